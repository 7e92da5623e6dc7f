#!/usr/bin/python3
"""Writes a source tree for the benchmarks, fast and repeatable.

  gen_tree.py ROOT COUNT [--small] [--seed N]

Mixed (default): sizes from empty to ~2 MiB, random or repetitive content, a few names with
blanks, quotes and non-ASCII, spread over nested folders.
--small: COUNT files of 20-200 bytes, 1,000 to a folder, with equal-length names and modification
times on an even second (so a hand-made catalog can describe them exactly).
"""
import os
import random
import sys

def mixed(root, count, rng):
    folders = ["docs", "docs/2024 reports", "photos/-raw-", "Příliš/žluťoučký", "deep/a/b/c/d", ".config"]
    odd = ["with space", "quote\"d", "single'q", "-dash", "kůň úpěl", "日本"]
    block = rng.randbytes(2 * 1024 * 1024)
    total = 0
    for i in range(count):
        folder = os.path.join(root, folders[i % len(folders)], "sub%02d" % (i % 17))
        os.makedirs(folder, exist_ok=True)
        name = ("%s %d.dat" % (odd[i % len(odd)], i)) if i % 20 == 0 else "file%05d.%s" % (i, "jpg" if i % 9 == 0 else "dat")
        roll = rng.random()
        size = 0 if roll < 0.05 else rng.randrange(200) if roll < 0.6 else rng.randrange(64 * 1024) if roll < 0.97 else rng.randrange(512 * 1024, 2 * 1024 * 1024)
        if i % 3 == 0:
            data = (b"lorem ipsum dolor sit amet %d " % i) * (size // 28 + 1)
            data = data[:size]
        else:
            start = rng.randrange(len(block) - size) if size < len(block) else 0
            data = block[start:start + size]
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        total += size
    return total

def small(root, count, rng):
    stamp = 1700000000  # an even second
    total = 0
    for i in range(count):
        folder = os.path.join(root, "d%04d" % (i // 1000))
        if i % 1000 == 0:
            os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "f%06d.txt" % i)
        size = 20 + rng.randrange(180)
        with open(path, "wb") as f:
            f.write((b"%06d" % i) * (size // 6 + 1))
        os.utime(path, (stamp, stamp))
        total += size
    return total

def main():
    args = sys.argv[1:]
    seed = 1
    if "--seed" in args:
        k = args.index("--seed")
        seed = int(args[k + 1])
        del args[k:k + 2]
    is_small = "--small" in args
    args = [a for a in args if a != "--small"]
    root, count = args[0], int(args[1])
    rng = random.Random(seed)
    os.makedirs(root, exist_ok=True)
    total = small(root, count, rng) if is_small else mixed(root, count, rng)
    print("%d files, %.1f MiB in %s" % (count, total / 1048576.0, root))

if __name__ == "__main__":
    main()
