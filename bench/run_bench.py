#!/usr/bin/python3
"""Ombrix benchmarks (not part of ctest). See bench/README.md.

  run_bench.py [--bin DIR] [--work DIR] [--files N] [--small-files N]
               [--only full|nochange|restore|merge|reference]

1. full: a full backup of N mixed files (default 2,000) with `ombrix -start`, against the bare
   sequence the program runs per file (`7za a` with the same switches and level, then `7za l`).
2. nochange: an incremental run over M small files (default 100,000) in which nothing changed,
   with the time of `find` over the same tree beside it; 3. its peak memory (max RSS).
4. restore: the restore engine (driven by ombrix_bench) restoring the full set of N mixed files
   below a folder, against the bare `7za e` sequence over the same archives.
5. merge: the merge engine merging 5 sets (a full backup and 4 incremental runs of N files).
reference (only when asked for): reference_bench.py, the program beside 7za and restic.
"""
import argparse
import os
import resource
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
NO_COMPRESS = ("@.3gp@.bik@.mov@.mp4@.wmv@.flv@.m1v@.avi@.mpg@.vob@.mpeg@.jpeg@.jpg@.png@.amr@.mp3@.wma@"
               ".ogg@.ape@.flac@.001@.7z@.7zip@.ace@.arj@.cab@.cbr@.jar@.msi@.rar@.tib@.zip@.bzip@.bzip2@.zix@.gz")


def write_lines(path, lines, bom=True):
    with open(path, "wb") as f:
        if bom:
            f.write(b"\xef\xbb\xbf")
        for line in lines:
            f.write(line.encode("utf-8") + b"\r\n")


def make_program_folder(folder, dest, source, extra_system=()):
    os.makedirs(folder, exist_ok=True)
    os.makedirs(dest, exist_ok=True)
    system = ["[SYSTEM]", "LAST_ARCHIV_NAME=", "LAST_BACKUP_LIST_INDEX=0", "LAST_BACKUP_DONE=1",
              "BACKUP_DESTINATION=DIR", "BACKUP_DIR=" + dest,
              "SUM_DONE=1", "RECOVERY_DONE=1"]
    system = [l for l in system if l.split("=")[0] not in [e.split("=")[0] for e in extra_system]]
    write_lines(os.path.join(folder, "config.ini"),
                system + list(extra_system) + ["", "[OPTIONS]", "COMPRES_LEVEL=DEFAULT", "ARCHIVLIST_BUFFER=0"],
                bom=False)
    write_lines(os.path.join(folder, "sources.txt"), [source])


def run_ombrix(binary, home, timeout):
    """Runs `ombrix -start` on a program folder; returns (seconds, max RSS in KiB, exit code)."""
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    env.update(QT_QPA_PLATFORM="offscreen", OMBRIX_HOME=home,
               OMBRIX_AUTOSTART_DELAY_MS="0", OMBRIX_EXIT_DELAY_MS="0")
    log = open(os.path.join(home, "..", "ombrix-output.txt"), "ab")
    start = time.monotonic()
    proc = subprocess.Popen([binary, "-start"], env=env, stdout=log, stderr=log)
    deadline = start + timeout
    while True:
        pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
        if pid:
            break
        if time.monotonic() > deadline:
            proc.kill()
            pid, status, usage = os.wait4(proc.pid, 0)
            print("  ombrix did not end within %d s; killed" % timeout)
            break
        time.sleep(0.01)
    seconds = time.monotonic() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    return seconds, usage.ru_maxrss, proc.returncode


def config_value(home, key):
    with open(os.path.join(home, "config.ini"), "rb") as f:
        for raw in f.read().decode("utf-8", "replace").splitlines():
            if raw.strip().startswith(key + "="):
                return raw.split("=", 1)[1].strip()
    return None


def sets_of(dest):
    return sorted(d for d in os.listdir(dest) if d.startswith("OMX_"))


def level_of(name):
    dot = name.rfind(".")
    ext = name[dot:].lower() if dot >= 0 else ""
    return "0" if ext and ext in NO_COMPRESS else "1"


def bare_sequence(source, dest, work):
    """What the program runs per file, without the program: 7za a + 7za l > testzip.tmp."""
    devnull = subprocess.DEVNULL
    count = 0
    start = time.monotonic()
    for folder, _, files in os.walk(source):
        for name in sorted(files):
            src = os.path.join(folder, name)
            target_dir = os.path.join(dest, "BARE", folder.lstrip("/"))
            os.makedirs(target_dir, exist_ok=True)
            archive = os.path.join(target_dir, name + ".7z")
            subprocess.run(["7za", "a", archive, src, "-mx" + level_of(name), "-ssw", "-mmt", "-w" + work],
                           stdout=devnull, stderr=devnull, stdin=devnull)
            with open(os.path.join(work, "testzip.tmp"), "wb") as out:
                subprocess.run(["7za", "l", archive], stdout=out, stderr=devnull, stdin=devnull)
            os.remove(os.path.join(work, "testzip.tmp"))
            count += 1
    return time.monotonic() - start, count


def bench_full(binary, work, files):
    print("== 1. full backup of %d mixed files" % files)
    root = os.path.join(work, "full")
    shutil.rmtree(root, ignore_errors=True)
    source, home, dest = (os.path.join(root, n) for n in ("src", "program", "dest"))
    subprocess.run([sys.executable, os.path.join(HERE, "gen_tree.py"), source, str(files)], check=True)
    make_program_folder(home, dest, source)
    seconds, rss, code = run_ombrix(binary, home, 3600)
    done = config_value(home, "LAST_BACKUP_DONE") == "1" and len(sets_of(dest)) == 1
    print("  ombrix -start:          %8.2f s  (exit %d, %s, max RSS %d KiB)"
          % (seconds, code, "completed" if done else "NOT completed", rss))
    bare_work = os.path.join(root, "bare-work")
    os.makedirs(bare_work, exist_ok=True)
    bare, count = bare_sequence(source, dest, bare_work)
    print("  bare 7za a + 7za l:     %8.2f s  (%d files)" % (bare, count))
    print("  overhead of ombrix:     %8.1f %%  (%.1f ms per file)"
          % (100.0 * (seconds - bare) / bare, 1000.0 * (seconds - bare) / max(count, 1)))
    shutil.rmtree(root, ignore_errors=True)


def catalog_time(mtime):
    # Catalog time: local time of the modification time, at two-second resolution.
    t = time.localtime(int(mtime) - int(mtime) % 2)
    return time.strftime("%Y-%m-%d-%H-%M-%S", t)


def hand_made_previous_set(root, source, home, dest):
    """The previous set made by hand (archiving 100,000 files one by one would take hours): its
    catalog lists every file as the program would, so a run finds nothing changed. Also writes the
    program folder that names it as the last set. Returns the set's name."""
    set_name = "OMX_2020-01-01_00-00-00"
    lines = []
    for folder, _, names in os.walk(source):
        for name in names:
            path = os.path.join(folder, name)
            lines.append('"%s";"%s";"%s"' % (path, catalog_time(os.stat(path).st_mtime), set_name))
    lines.sort(key=str.lower)
    set_dir = os.path.join(dest, set_name)
    os.makedirs(set_dir)
    catalog = os.path.join(root, "archivlist.csv")
    write_lines(catalog, lines)
    subprocess.run(["7za", "a", os.path.join(set_dir, "archivlist.csv.7z"), catalog, "-mx1"],
                   check=True, stdout=subprocess.DEVNULL)
    make_program_folder(home, dest, source, ("LAST_ARCHIV_NAME=" + set_name,))
    return set_name


def bench_nochange(binary, work, files):
    print("== 2./3. no-change incremental run over %d small files" % files)
    root = os.path.join(work, "nochange")
    shutil.rmtree(root, ignore_errors=True)
    source, home, dest = (os.path.join(root, n) for n in ("src", "program", "dest"))
    t0 = time.monotonic()
    subprocess.run([sys.executable, os.path.join(HERE, "gen_tree.py"), source, str(files), "--small"], check=True)
    print("  generated in %.1f s" % (time.monotonic() - t0))
    set_name = hand_made_previous_set(root, source, home, dest)

    t0 = time.monotonic()
    subprocess.run(["find", source, "-type", "f"], stdout=subprocess.DEVNULL, check=True)
    find_plain = time.monotonic() - t0
    t0 = time.monotonic()
    subprocess.run(["find", source, "-type", "f", "-printf", "%T@ %s %p\n"], stdout=subprocess.DEVNULL, check=True)
    find_stat = time.monotonic() - t0

    seconds, rss, code = run_ombrix(binary, home, 3600)
    unchanged = sets_of(dest) == [set_name]
    print("  ombrix -start:          %8.2f s  (exit %d, %s)"
          % (seconds, code, "no new set" if unchanged else "MADE A NEW SET: the hand-made catalog did not match"))
    print("    of which fixed pauses: 3.0 s after \"nothing changed\" (start-up and exit delays set to 0)")
    print("  find -type f:           %8.2f s" % find_plain)
    print("  find -printf mtime/size:%8.2f s" % find_stat)
    print("  peak memory (max RSS):  %8d KiB = %.1f MiB" % (rss, rss / 1024.0))
    shutil.rmtree(root, ignore_errors=True)


def run_engine_bench(bench, args):
    """Runs ombrix_bench; returns its figures as a dict (empty when it failed)."""
    proc = subprocess.run([bench] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if proc.returncode != 0:
        print("  ombrix_bench failed (exit %d): %s" % (proc.returncode, proc.stderr.strip()))
        return {}
    return dict(item.split("=", 1) for item in proc.stdout.split())


def tree_digest(root):
    """File count and one digest over every file's relative path and content."""
    import hashlib
    digest = hashlib.sha256()
    count = 0
    for folder, dirs, files in os.walk(root):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            digest.update(os.path.relpath(path, root).encode("utf-8", "surrogateescape") + b"\0")
            with open(path, "rb") as f:
                digest.update(hashlib.sha256(f.read()).digest())
            count += 1
    return count, digest.hexdigest()


def backed_up_chain(binary, root, files, runs, extra_system=()):
    """A source tree of N mixed files, a program folder and `runs` sets made by `ombrix -start`:
    a full backup, then incremental runs that each change every 20th file. extra_system: more
    [SYSTEM] lines for config.ini (another destination, as make_program_folder takes them)."""
    source, home, dest = (os.path.join(root, n) for n in ("src", "program", "dest"))
    subprocess.run([sys.executable, os.path.join(HERE, "gen_tree.py"), source, str(files)], check=True)
    make_program_folder(home, dest, source, extra_system=extra_system)
    all_files = sorted(os.path.join(f, n) for f, _, names in os.walk(source) for n in names)
    for run in range(runs):
        if run > 0:
            for i, path in enumerate(all_files):
                if i % 20 == run:
                    with open(path, "ab") as f:
                        f.write(b"changed in run %d\n" % run)
                    st = os.stat(path)
                    os.utime(path, (st.st_atime, st.st_mtime + 3600 * run))
            time.sleep(1.1)  # set names have a one-second resolution
        seconds, _, code = run_ombrix(binary, home, 3600)
        if config_value(home, "LAST_BACKUP_DONE") != "1":
            print("  backup %d did NOT complete (exit %d)" % (run + 1, code))
    return source, home, dest


def bare_extract(set_dir, target):
    """The bare `7za e` per archive of a set (side archives at its top excluded)."""
    devnull = subprocess.DEVNULL
    count = 0
    start = time.monotonic()
    for folder, _, names in os.walk(set_dir):
        if folder == set_dir:
            continue
        for name in sorted(names):
            if not name.endswith(".7z"):
                continue
            out_dir = os.path.join(target, os.path.relpath(folder, set_dir))
            os.makedirs(out_dir, exist_ok=True)
            subprocess.run(["7za", "e", os.path.join(folder, name), "-o" + out_dir, "-y"],
                           stdout=devnull, stderr=devnull, stdin=devnull)
            count += 1
    return time.monotonic() - start, count


def bench_restore(binary, bench, work, files):
    print("== 4. restore of a full set of %d mixed files" % files)
    root = os.path.join(work, "restore")
    shutil.rmtree(root, ignore_errors=True)
    t0 = time.monotonic()
    source, home, dest = backed_up_chain(binary, root, files, 1)
    print("  set made in %.1f s" % (time.monotonic() - t0))
    set_name = sets_of(dest)[-1]
    with open(os.path.join(home, "recoverylist.csv"), "wb") as f:
        subprocess.run(["7za", "e", "-so", os.path.join(dest, set_name, "archivlist.csv.7z")],
                       stdout=f, stderr=subprocess.DEVNULL, check=True)
    target = os.path.join(root, "restored")
    figures = run_engine_bench(bench, ["restore", home, set_name, target])
    if not figures:
        return
    seconds = float(figures["seconds"])
    expected = tree_digest(source)
    restored = tree_digest(os.path.join(target, source.lstrip("/")))
    print("  restore engine:         %8.2f s  (%s lines, %s)"
          % (seconds, figures["lines"], "tree equal" if restored == expected else "TREE DIFFERS"))
    bare, count = bare_extract(os.path.join(dest, set_name), os.path.join(root, "bare"))
    print("  bare 7za e:             %8.2f s  (%d archives)" % (bare, count))
    print("  overhead of ombrix:     %8.1f %%  (%.1f ms per file)"
          % (100.0 * (seconds - bare) / bare, 1000.0 * (seconds - bare) / max(count, 1)))
    shutil.rmtree(root, ignore_errors=True)


def bench_merge(binary, bench, work, files):
    print("== 5. merge of 5 sets of %d mixed files (a full backup and 4 incremental runs)" % files)
    root = os.path.join(work, "merge")
    shutil.rmtree(root, ignore_errors=True)
    t0 = time.monotonic()
    source, home, dest = backed_up_chain(binary, root, files, 5)
    sets = sets_of(dest)
    print("  sets made in %.1f s: %s" % (time.monotonic() - t0, " ".join(sets)))
    if len(sets) != 5:
        print("  expected 5 sets; not measured")
        return
    archives = sum(1 for s in sets[:-1] for f, _, n in os.walk(os.path.join(dest, s)) for x in n
                   if f != os.path.join(dest, s))
    figures = run_engine_bench(bench, ["merge", home, sets[0], sets[-1]])
    if not figures:
        return
    left = sets_of(dest)
    print("  merge engine:           %8.2f s  (%s sets into %s, %d archives in the merged sets, %s unmoved, %s)"
          % (float(figures["seconds"]), figures["sets"], sets[-1], archives, figures["unmoved"],
             "one set left" if left == [sets[-1]] else "SETS LEFT: " + " ".join(left)))
    # The merged set must still restore the last state of the tree.
    with open(os.path.join(home, "recoverylist.csv"), "wb") as f:
        subprocess.run(["7za", "e", "-so", os.path.join(dest, sets[-1], "archivlist.csv.7z")],
                       stdout=f, stderr=subprocess.DEVNULL, check=True)
    target = os.path.join(root, "restored")
    restored = run_engine_bench(bench, ["restore", home, sets[-1], target])
    equal = restored and tree_digest(os.path.join(target, source.lstrip("/"))) == tree_digest(source)
    print("  restore of the merged set: %s" % ("tree equal" if equal else "TREE DIFFERS"))
    shutil.rmtree(root, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    top = os.path.dirname(HERE)
    parser.add_argument("--bin", default=os.environ.get("OMBRIX_BIN_DIR", os.path.join(top, "build", "bin")))
    parser.add_argument("--work", default="/tmp/ombrix-bench")
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--small-files", type=int, default=100000)
    parser.add_argument("--only", choices=["full", "nochange", "restore", "merge", "reference"],
                        help="reference: the side-by-side figures against 7za and restic (reference_bench.py; "
                             "not part of the default run)")
    args = parser.parse_args()
    binary = os.path.join(args.bin, "ombrix")
    if not os.access(binary, os.X_OK):
        sys.exit("no ombrix at %s (use --bin)" % binary)
    os.makedirs(args.work, exist_ok=True)
    if args.only == "reference":
        import reference_bench
        reference_bench.run(args.bin, os.path.abspath(args.work), args.files, args.small_files,
                            reference_bench.DEFAULT_NOCHANGE)
        return
    if args.only in (None, "full"):
        bench_full(binary, os.path.abspath(args.work), args.files)
    if args.only in (None, "nochange"):
        bench_nochange(binary, os.path.abspath(args.work), args.small_files)
    bench = os.path.join(args.bin, "ombrix_bench")
    if args.only in (None, "restore", "merge") and not os.access(bench, os.X_OK):
        sys.exit("no ombrix_bench at %s (it is built with the programs)" % bench)
    if args.only in (None, "restore"):
        bench_restore(binary, bench, os.path.abspath(args.work), args.files)
    if args.only in (None, "merge"):
        bench_merge(binary, bench, os.path.abspath(args.work), args.files)


if __name__ == "__main__":
    main()
