#!/usr/bin/python3
"""The program side by side with 7-Zip and restic, in one run on one machine (not part of ctest).

  reference_bench.py [--bin DIR] [--work DIR] [--files N] [--small-files N]
                     [--nochange-files N,N...] [--skip full,small,nochange,restore]
  run_bench.py --only reference      (the same with the default counts)

restic is the reference. It is installed here, for this script only (`apt-get install -y restic`,
through sudo when not root); it is never a dependency of the program or its tests. Its repository
is repository version 2 (compressed, like the archives), its password comes from the environment
and its cache lies in the scratch folder, so nothing outside --work is touched.

1. full: a full backup of the N-file mixed tree (gen_tree.py, default 2,000) with `ombrix -start`,
   beside one `7za a -mx1` of the whole tree into a single archive (the compression work itself)
   and `restic backup` of the same tree.
2. small: a full backup of M small files (`gen_tree.py --small`, default 100,000) with
   `ombrix -start` and with restic.
3. nochange: a no-change run over each count of small files (default 100,000 and 1,000,000) with
   `ombrix -start` (against a hand-made previous set, as run_bench.py does) and a second
   `restic backup` of the unchanged tree; time and peak memory (max RSS) of each. The program's
   run includes its fixed 3 s pause after "nothing changed".
4. restore: the set of step 1 restored by the restore engine (`ombrix_bench restore`), beside
   `restic restore latest` and one `7za x` of the single archive; every restored tree is compared
   with the source.
Printed: every time, and the program's time as a multiple of each reference ("ratio").
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import run_bench  # noqa: E402  (the shared helpers of the other benchmarks)

DEFAULT_NOCHANGE = [100000, 1000000]
RESTIC_PASSWORD = "ombrix-bench"


def ensure_restic():
    """restic on PATH, installed from Debian's archive when missing. Returns its version line."""
    if not shutil.which("restic"):
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        print("  installing restic (apt-get install -y restic) for this benchmark only")
        subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "restic"], env=env, check=False)
        if not shutil.which("restic"):
            subprocess.run(sudo + ["apt-get", "update", "-qq"], env=env, check=False)
            subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "restic"], env=env, check=False)
    if not shutil.which("restic"):
        sys.exit("restic could not be installed")
    return subprocess.run(["restic", "version"], stdout=subprocess.PIPE, text=True).stdout.strip()


def timed(arguments, env=None, cwd=None, timeout=7200):
    """Runs a program to its end; returns (seconds, max RSS in KiB, exit code)."""
    devnull = subprocess.DEVNULL
    errors_file = tempfile.TemporaryFile()  # a file, not a pipe: a chatty program never blocks on it
    start = time.monotonic()
    proc = subprocess.Popen(arguments, env=env, cwd=cwd, stdin=devnull, stdout=devnull, stderr=errors_file)
    deadline = start + timeout
    while True:
        pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
        if pid:
            break
        if time.monotonic() > deadline:
            proc.kill()
            pid, status, usage = os.wait4(proc.pid, 0)
            print("  %s did not end within %d s; killed" % (arguments[0], timeout))
            break
        time.sleep(0.005)
    seconds = time.monotonic() - start
    code = os.waitstatus_to_exitcode(status)
    errors_file.seek(0)
    errors = errors_file.read().decode("utf-8", "replace").strip()
    errors_file.close()
    if code != 0 and errors:
        print("  %s failed (exit %d): %s" % (arguments[0], code, errors[-500:]))
    return seconds, usage.ru_maxrss, code


class Restic:
    """One restic repository in the scratch folder."""

    def __init__(self, root):
        self.repo = os.path.join(root, "restic-repo")
        self.env = dict(os.environ, RESTIC_PASSWORD=RESTIC_PASSWORD, RESTIC_REPOSITORY=self.repo,
                        RESTIC_CACHE_DIR=os.path.join(root, "restic-cache"))
        seconds, _, code = timed(["restic", "init", "--repository-version", "2"], self.env)
        if code != 0:
            sys.exit("restic init failed")

    def backup(self, source):
        return timed(["restic", "backup", "--quiet", source], self.env)

    def restore(self, target):
        return timed(["restic", "restore", "latest", "--target", target], self.env)


def ratio(ours, reference):
    return "%.1fx" % (ours / reference) if reference > 0 else "-"


def line(what, seconds, extra=""):
    print("  %-34s %8.2f s%s" % (what + ":", seconds, ("  " + extra) if extra else ""))


def generate(source, count, small=False):
    t0 = time.monotonic()
    arguments = [sys.executable, os.path.join(HERE, "gen_tree.py"), source, str(count)]
    if small:
        arguments.append("--small")
    subprocess.run(arguments, check=True, stdout=subprocess.DEVNULL)
    print("  tree of %d files generated in %.1f s" % (count, time.monotonic() - t0))


def full_backup(binary, home, dest, source, timeout=7200):
    run_bench.make_program_folder(home, dest, source)
    seconds, rss, code = run_bench.run_ombrix(binary, home, timeout)
    done = run_bench.config_value(home, "LAST_BACKUP_DONE") == "1" and len(run_bench.sets_of(dest)) == 1
    return seconds, rss, code, done


def bench_full_and_restore(binary, bench, work, files, do_full, do_restore):
    print("== 1. full backup of %d mixed files, and 4. its restore" % files)
    root = os.path.join(work, "reference-full")
    shutil.rmtree(root, ignore_errors=True)
    source, home, dest = (os.path.join(root, n) for n in ("src", "program", "dest"))
    generate(source, files)
    expected = run_bench.tree_digest(source)

    ours, rss, code, done = full_backup(binary, home, dest, source)
    single = os.path.join(root, "single.7z")
    seven, _, _ = timed(["7za", "a", "-mx1", "-spd", "--", single, source])
    restic = Restic(root)
    ref, restic_rss, _ = restic.backup(source)
    if do_full:
        line("ombrix -start", ours, "(exit %d, %s, max RSS %d KiB)"
             % (code, "completed" if done else "NOT completed", rss))
        line("7za a -mx1, one archive", seven)
        line("restic backup", ref, "(max RSS %d KiB)" % restic_rss)
        print("  ratio ombrix / single 7za a -mx1:   %s   (target within 1.5x)" % ratio(ours, seven))
        print("  ratio ombrix / restic:              %s   (target within 4x)" % ratio(ours, ref))

    if do_restore:
        if not done:
            print("  restore not measured: the backup did not complete")
        elif not os.access(bench, os.X_OK):
            print("  restore not measured: no ombrix_bench at %s" % bench)
        else:
            set_name = run_bench.sets_of(dest)[-1]
            with open(os.path.join(home, "recoverylist.csv"), "wb") as f:
                subprocess.run(["7za", "e", "-so", os.path.join(dest, set_name, "archivlist.csv.7z")],
                               stdout=f, stderr=subprocess.DEVNULL, check=True)
            target = os.path.join(root, "restored-ombrix")
            figures = run_bench.run_engine_bench(bench, ["restore", home, set_name, target])
            if figures:
                restored = run_bench.tree_digest(os.path.join(target, source.lstrip("/")))
                ours_restore = float(figures["seconds"])
                restic_target = os.path.join(root, "restored-restic")
                ref_restore, _, _ = restic.restore(restic_target)
                restic_tree = run_bench.tree_digest(os.path.join(restic_target, source.lstrip("/")))
                seven_target = os.path.join(root, "restored-7za")
                seven_restore, _, _ = timed(["7za", "x", "-y", "-o" + seven_target, "-spd", "--", single])
                seven_tree = run_bench.tree_digest(os.path.join(seven_target, os.path.basename(source)))

                def verdict(tree):
                    return "tree equal" if tree == expected else "TREE DIFFERS"

                line("ombrix_bench restore", ours_restore, "(%s)" % verdict(restored))
                line("restic restore", ref_restore, "(%s)" % verdict(restic_tree))
                line("7za x, one archive", seven_restore, "(%s)" % verdict(seven_tree))
                print("  ratio ombrix / restic restore:      %s   (target within 3x)" % ratio(ours_restore, ref_restore))
                print("  ratio ombrix / single 7za x:        %s" % ratio(ours_restore, seven_restore))
    shutil.rmtree(root, ignore_errors=True)


def bench_small(binary, work, files):
    print("== 2. full backup of %d small files" % files)
    root = os.path.join(work, "reference-small")
    shutil.rmtree(root, ignore_errors=True)
    source, home, dest = (os.path.join(root, n) for n in ("src", "program", "dest"))
    generate(source, files, small=True)
    ours, rss, code, done = full_backup(binary, home, dest, source, timeout=4 * 3600)
    ref, restic_rss, _ = Restic(root).backup(source)
    line("ombrix -start", ours, "(exit %d, %s, max RSS %d KiB)" % (code, "completed" if done else "NOT completed", rss))
    line("restic backup", ref, "(max RSS %d KiB)" % restic_rss)
    print("  ratio ombrix / restic:              %s   (target within 10x)" % ratio(ours, ref))
    shutil.rmtree(root, ignore_errors=True)


def bench_nochange(binary, work, files):
    print("== 3. no-change run over %d small files" % files)
    root = os.path.join(work, "reference-nochange")
    shutil.rmtree(root, ignore_errors=True)
    source, home, dest = (os.path.join(root, n) for n in ("src", "program", "dest"))
    generate(source, files, small=True)
    set_name = run_bench.hand_made_previous_set(root, source, home, dest)
    restic = Restic(root)
    first, _, _ = restic.backup(source)
    ours, rss, code = run_bench.run_ombrix(binary, home, 4 * 3600)
    unchanged = run_bench.sets_of(dest) == [set_name]
    ref, restic_rss, _ = restic.backup(source)
    line("ombrix -start", ours, "(exit %d, %s, max RSS %d KiB = %.0f MiB)"
         % (code, "no new set" if unchanged else "MADE A NEW SET", rss, rss / 1024.0))
    line("  of which the fixed pause", 3.0)
    line("restic backup, nothing changed", ref, "(max RSS %d KiB = %.0f MiB; its first backup %.2f s)"
         % (restic_rss, restic_rss / 1024.0, first))
    print("  ratio ombrix / restic:              %s   (%s without the 3 s pause)"
          % (ratio(ours, ref), ratio(max(ours - 3.0, 0.0), ref)))
    if files >= 1000000:
        print("  peak memory at %d files: %.0f MiB   (target under 800 MiB)" % (files, rss / 1024.0))
    shutil.rmtree(root, ignore_errors=True)


def run(bin_dir, work, files, small_files, nochange_counts, skip=()):
    binary = os.path.join(bin_dir, "ombrix")
    bench = os.path.join(bin_dir, "ombrix_bench")
    if not os.access(binary, os.X_OK):
        sys.exit("no ombrix at %s (use --bin)" % binary)
    print("== reference: %s, %s" % (ensure_restic(), subprocess.run(
        ["7za"], stdout=subprocess.PIPE, text=True).stdout.strip().splitlines()[0]))
    os.makedirs(work, exist_ok=True)
    if "full" not in skip or "restore" not in skip:
        bench_full_and_restore(binary, bench, work, files, "full" not in skip, "restore" not in skip)
    if "small" not in skip:
        bench_small(binary, work, small_files)
    if "nochange" not in skip:
        for count in nochange_counts:
            bench_nochange(binary, work, count)


def main():
    parser = argparse.ArgumentParser()
    top = os.path.dirname(HERE)
    parser.add_argument("--bin", default=os.environ.get("OMBRIX_BIN_DIR", os.path.join(top, "build", "bin")))
    parser.add_argument("--work", default="/tmp/ombrix-bench")
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--small-files", type=int, default=100000)
    parser.add_argument("--nochange-files", default=",".join(str(n) for n in DEFAULT_NOCHANGE))
    parser.add_argument("--skip", default="", help="comma-separated: full,small,nochange,restore")
    args = parser.parse_args()
    counts = [int(n) for n in args.nochange_files.split(",") if n.strip()]
    skip = {s.strip() for s in args.skip.split(",") if s.strip()}
    run(args.bin, os.path.abspath(args.work), args.files, args.small_files, counts, skip)


if __name__ == "__main__":
    main()
