#!/usr/bin/python3
"""Where writing a one-file 7z archive in process beats starting the archiver (not part of ctest).

  inprocess_bench.py [--bin DIR] [--work DIR] [--repeat N] [--levels 1,0,5] [--use-bench]

For every size from 0 B to 4 MiB, for compressible (text) and incompressible (random) content
and for each compression level the program uses, it times

  archiver:   `7za a -mx<L> -ssw -mmt -w<work> -spd -- ARCHIVE SOURCE` and the listing test
              `7za l -spd -- ARCHIVE > testzip.tmp` (what the program runs per file today);
              beside it `7za a` with -mmt=off instead of -mmt, the listing the same;
  in process: the one-entry archive written with libarchive's 7-Zip writer (store for level 0,
              LZMA2 otherwise) and its header read back and judged (one file, name, size).

The in-process figures come from the library calls the program makes, made here through ctypes;
with --use-bench from `ombrix_bench pack` in --bin (the program's own code, once it has a writer).
Printed: the median of each, and per level and content the size at which the archiver becomes
the faster way (the crossover), interpolated between the measured sizes on a log scale.
"""
import argparse
import ctypes
import math
import os
import random
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
KIB = 1024
SIZES = [0, 100, KIB, 4 * KIB, 16 * KIB, 32 * KIB, 64 * KIB, 128 * KIB, 256 * KIB, 512 * KIB,
         1024 * KIB, 2048 * KIB, 4096 * KIB]


class LibArchive:
    """The libarchive calls the program's in-process writer and header reader make."""

    def __init__(self):
        lib = ctypes.CDLL("libarchive.so.13")
        vp, i, s = ctypes.c_void_p, ctypes.c_int, ctypes.c_char_p
        for name, result, arguments in [
                ("archive_write_new", vp, []), ("archive_write_set_format_7zip", i, [vp]),
                ("archive_write_set_format_option", i, [vp, s, s, s]),
                ("archive_write_open_fd", i, [vp, i]), ("archive_write_header", i, [vp, vp]),
                ("archive_write_data", ctypes.c_ssize_t, [vp, ctypes.c_char_p, ctypes.c_size_t]),
                ("archive_write_close", i, [vp]), ("archive_write_free", i, [vp]),
                ("archive_entry_new", vp, []), ("archive_entry_free", None, [vp]),
                ("archive_entry_set_pathname_utf8", None, [vp, s]),
                ("archive_entry_set_size", None, [vp, ctypes.c_int64]),
                ("archive_entry_set_filetype", None, [vp, ctypes.c_uint]),
                ("archive_entry_set_perm", None, [vp, ctypes.c_uint]),
                ("archive_entry_set_mtime", None, [vp, ctypes.c_int64, ctypes.c_long]),
                ("archive_read_new", vp, []), ("archive_read_support_format_7zip", i, [vp]),
                ("archive_read_open_filename", i, [vp, s, ctypes.c_size_t]),
                ("archive_read_next_header", i, [vp, ctypes.POINTER(vp)]),
                ("archive_entry_pathname_utf8", s, [vp]), ("archive_entry_size", ctypes.c_int64, [vp]),
                ("archive_entry_filetype", ctypes.c_uint, [vp]), ("archive_read_free", i, [vp])]:
            function = getattr(lib, name)
            function.restype = result
            function.argtypes = arguments
        self.lib = lib

    def write(self, source, archive, level):
        lib = self.lib
        info = os.stat(source)
        a = lib.archive_write_new()
        lib.archive_write_set_format_7zip(a)
        if level == "0":
            lib.archive_write_set_format_option(a, b"7zip", b"compression", b"store")
        else:
            lib.archive_write_set_format_option(a, b"7zip", b"compression", b"lzma2")
            lib.archive_write_set_format_option(a, b"7zip", b"compression-level", level.encode())
        fd = os.open(archive, os.O_WRONLY | os.O_CREAT | os.O_TRUNC | os.O_CLOEXEC, 0o600)
        ok = lib.archive_write_open_fd(a, fd) == 0
        entry = lib.archive_entry_new()
        lib.archive_entry_set_pathname_utf8(entry, os.path.basename(source).encode())
        lib.archive_entry_set_size(entry, info.st_size)
        lib.archive_entry_set_filetype(entry, 0o100000)
        lib.archive_entry_set_perm(entry, info.st_mode & 0o7777)
        lib.archive_entry_set_mtime(entry, info.st_mtime_ns // 10 ** 9, info.st_mtime_ns % 10 ** 9)
        ok = ok and lib.archive_write_header(a, entry) == 0
        with open(source, "rb") as f:
            while ok:
                block = f.read(256 * KIB)
                if not block:
                    break
                ok = lib.archive_write_data(a, block, len(block)) == len(block)
        lib.archive_entry_free(entry)
        ok = lib.archive_write_close(a) == 0 and ok
        lib.archive_write_free(a)
        os.close(fd)
        return ok

    def holds_one_file(self, archive, name, size):
        lib = self.lib
        a = lib.archive_read_new()
        lib.archive_read_support_format_7zip(a)
        entry = ctypes.c_void_p()
        ok = lib.archive_read_open_filename(a, archive.encode(), 64 * KIB) == 0
        ok = ok and lib.archive_read_next_header(a, ctypes.byref(entry)) == 0
        ok = ok and (lib.archive_entry_pathname_utf8(entry) or b"") == name.encode()
        ok = ok and lib.archive_entry_size(entry) == size and lib.archive_entry_filetype(entry) == 0o100000
        ok = ok and lib.archive_read_next_header(a, ctypes.byref(entry)) == 1  # ARCHIVE_EOF
        lib.archive_read_free(a)
        return ok


def spawn_wait(arguments, stdout_path=None):
    """Starts a program the way the program does (no shell, input from /dev/null) and waits."""
    actions = [(os.POSIX_SPAWN_OPEN, 0, os.devnull, os.O_RDONLY, 0)]
    actions.append((os.POSIX_SPAWN_OPEN, 1, stdout_path or os.devnull, os.O_WRONLY | os.O_CREAT | os.O_TRUNC,
                    0o600))
    actions.append((os.POSIX_SPAWN_OPEN, 2, os.devnull, os.O_WRONLY, 0))
    pid = os.posix_spawnp(arguments[0], arguments, os.environ, file_actions=actions)
    os.waitpid(pid, 0)


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


def archiver_once(source, archive, level, work, threads):
    if os.path.exists(archive):
        os.remove(archive)
    listing = os.path.join(work, "testzip.tmp")
    start = time.perf_counter()
    spawn_wait(["7za", "a", "-mx" + level, "-ssw", threads, "-w" + work, "-spd", "--", archive, source])
    spawn_wait(["7za", "l", "-spd", "--", archive], listing)
    with open(listing, "rb") as f:
        passed = b"1 files" in (f.read().splitlines() or [b""])[-1]
    os.remove(listing)
    return time.perf_counter() - start, passed


def inprocess_ctypes(lib, source, archive, level, repeat):
    times = []
    passed = True
    for _ in range(repeat):
        start = time.perf_counter()
        ok = lib.write(source, archive, level)
        ok = ok and lib.holds_one_file(archive, os.path.basename(source), os.path.getsize(source))
        times.append(time.perf_counter() - start)
        passed = passed and ok
        os.remove(archive)
    return median(times), passed


def inprocess_bench(bench, source, archive, level, repeat):
    proc = subprocess.run([bench, "pack", source, archive, level, str(repeat)], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True)
    if proc.returncode != 0:
        return None, False
    figures = dict(item.split("=", 1) for item in proc.stdout.split())
    return float(figures["seconds"]), figures.get("checked") == "1"


def content(kind, size, rng):
    if kind == "random":
        return rng.randbytes(size)
    words = [b"lorem", b"ipsum", b"dolor", b"sit", b"amet,", b"consectetur", b"2024-05-17", b"backup",
             b"archive", b"12.50", b"\r\n"]
    out = bytearray()
    while len(out) < size:
        out += rng.choice(words) + b" "
    return bytes(out[:size])


def crossover(rows):
    """The size at which the archiver gets faster: log-interpolated between the last size where
    the in-process way won and the first where it lost. None when it never lost."""
    previous = None
    for size, archiver, inprocess in rows:
        if inprocess >= archiver:
            if previous is None:
                return 0
            (s0, a0, i0) = previous
            d0, d1 = a0 - i0, archiver - inprocess  # positive, then zero or negative
            t = d0 / (d0 - d1) if d0 != d1 else 0.0
            low, high = math.log(max(s0, 1)), math.log(max(size, 1))
            return int(math.exp(low + t * (high - low)))
        previous = (size, archiver, inprocess)
    return None


def main():
    parser = argparse.ArgumentParser()
    top = os.path.dirname(HERE)
    parser.add_argument("--bin", default=os.environ.get("OMBRIX_BIN_DIR", os.path.join(top, "build", "bin")))
    parser.add_argument("--work", default="/tmp/ombrix-bench")
    parser.add_argument("--repeat", type=int, default=15, help="runs per figure (fewer above 1 MiB)")
    parser.add_argument("--levels", default="1,0,5")
    parser.add_argument("--use-bench", action="store_true", help="measure `ombrix_bench pack` instead of ctypes")
    args = parser.parse_args()
    if not shutil.which("7za"):
        sys.exit("no 7za on PATH")
    bench = os.path.join(args.bin, "ombrix_bench")
    use_bench = args.use_bench
    if use_bench and not os.access(bench, os.X_OK):
        sys.exit("no ombrix_bench at %s (use --bin)" % bench)
    lib = None if use_bench else LibArchive()
    root = os.path.join(os.path.abspath(args.work), "inprocess")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    rng = random.Random(1)
    print("== in-process 7z writing + header check against 7za a + 7za l, %d runs per figure (%s)"
          % (args.repeat, "ombrix_bench pack" if use_bench else "libarchive through ctypes"))
    summary = []
    for level in args.levels.split(","):
        for kind in ("text", "random"):
            print("  level %s, %s content:" % (level, kind))
            print("    %9s %12s %14s %12s %8s" % ("size", "7za a+l", "(-mmt=off)", "in process", "ratio"))
            rows = []
            for size in SIZES:
                source = os.path.join(root, "source %s %d.dat" % (kind, size))
                with open(source, "wb") as f:
                    f.write(content(kind, size, rng))
                os.utime(source, ns=(1700000000123456789, 1700000000123456789))
                archive = os.path.join(root, "a.7z")
                repeat = max(3, args.repeat // (4 if size >= 1024 * KIB else 1))
                mt, single, ok_a = [], [], True
                for _ in range(repeat):
                    seconds, passed = archiver_once(source, archive, level, root, "-mmt")
                    mt.append(seconds)
                    ok_a = ok_a and passed
                    seconds, passed = archiver_once(source, archive, level, root, "-mmt=off")
                    single.append(seconds)
                if os.path.exists(archive):
                    os.remove(archive)
                if use_bench:
                    inproc, ok_i = inprocess_bench(bench, source, archive, level, repeat)
                else:
                    inproc, ok_i = inprocess_ctypes(lib, source, archive, level, repeat)
                if inproc is None:
                    sys.exit("ombrix_bench pack failed on %s" % source)
                archiver = median(mt)
                rows.append((size, archiver, inproc))
                print("    %9d %9.2f ms %11.2f ms %9.2f ms %7.2fx%s"
                      % (size, archiver * 1e3, median(single) * 1e3, inproc * 1e3, archiver / max(inproc, 1e-9),
                         "" if ok_a and ok_i else "  CHECK FAILED"))
                os.remove(source)
            point = crossover(rows)
            summary.append((level, kind, point))
    print("  crossover (the archiver is faster from this size on):")
    for level, kind, point in summary:
        print("    level %s, %-6s content: %s" % (level, kind, "above 4 MiB" if point is None else "%d bytes (%.0f KiB)"
                                                  % (point, point / 1024.0)))
    shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
