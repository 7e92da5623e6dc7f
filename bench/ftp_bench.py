#!/usr/bin/python3
"""Backup, restore and merge on a loopback FTP server against the same on a folder (not part of ctest).

  ftp_bench.py [--bin DIR] [--work DIR] [--files N] [--delays 0,20] [--only backup|restore|merge]

The FTP server is the project's test server, tests/support/ftp_server.py (pyftpdlib on 127.0.0.1),
with every command answered that many milliseconds late for every reply delay given, to show
what a real network's round trips cost per file. The trees are written by gen_tree.py (default
2,000 mixed files).

backup:  the tree backed up by `ombrix -start` once to a folder and once to the server for every
         delay (default delays 0,20). Printed: the times, the ratio to the folder run, and the cost
         per file of the upload step (FTP time minus folder time, divided by the number of files).
restore: the tree backed up once to a folder and once to the server (not timed, no delay), then
         the whole set restored below a folder by `ombrix_bench restore` from each, the server
         answering with every delay given (default 0). Printed: the times, the ratio FTP/folder,
         the milliseconds per file, and whether each restored tree equals the source.
merge:   5 sets (a full backup and 4 incremental runs, as run_bench.py makes them) on the folder
         and on the server (not timed, no delay), merged by `ombrix_bench merge`, the server
         answering with every delay given (default 0; the FTP sets are put back as they were
         before each further delay). Printed: the times, the ratio FTP/folder, the sets left, and
         whether the merged set restores the last state of the tree.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(HERE)
sys.path.insert(0, HERE)
import run_bench  # noqa: E402  (the shared helpers of the other benchmarks)

USER = "bench"
PASSWORD = "bench-password"
REMOTE_FOLDER = "zaloha"
CATALOG = "archivlist.csv.7z"


def start_server(root, delay_ms, work, control=None):
    """The test server serving root; with control, its reply delay can be changed while it runs
    (set_delay). Returns (process, port)."""
    password_file = os.path.join(work, "password")
    with open(password_file, "w") as f:
        f.write(PASSWORD + "\n")
    log = open(os.path.join(work, "ftp-server.txt"), "wb")
    command = ["/usr/bin/python3", os.path.join(TOP, "tests", "support", "ftp_server.py"),
               "--root", root, "--user", USER, "--password-file", password_file,
               "--port", "0", "--delay-ms", str(delay_ms), "--parent-pid", str(os.getpid())]
    if control:
        command += ["--control", control]
    proc = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=log)
    line = proc.stdout.readline().decode()
    if not line.startswith("PORT "):
        proc.kill()
        raise RuntimeError("the FTP server did not start: " + line)
    return proc, int(line.split()[1])


def stop_server(server):
    server.kill()
    server.wait()


def set_delay(control, delay_ms):
    """Every command from now on answered delay_ms late (the server reads the file again when it
    changed; a new file each time, so the change is always seen)."""
    temporary = control + ".new"
    with open(temporary, "w") as f:
        json.dump({"delay_ms": int(delay_ms)}, f)
    os.replace(temporary, control)


def scrambled_password(binary_dir):
    # config.ini keeps the password scrambled; the program's own rule does it (ombrix_bench).
    out = subprocess.run([os.path.join(binary_dir, "ombrix_bench"), "scramble", PASSWORD],
                         capture_output=True, text=True, check=True)
    return out.stdout.strip()


def ftp_lines(port, password):
    """The [SYSTEM] lines naming the server as the destination."""
    return ("BACKUP_DESTINATION=FTP", "BACKUP_FTP_HOST=127.0.0.1:%d" % port, "BACKUP_FTP_USER=" + USER,
            "BACKUP_FTP_PASS=" + password, "BACKUP_FTP_DIR=" + REMOTE_FOLDER)


def server_name(name):
    """A name below a set folder as the program stores it on the server: the sum of its UTF-16
    code units before the extension (enough for the plain ASCII names asked for here)."""
    data = name.encode("utf-16-le")
    total = sum(int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2))
    dot = name.rfind(".")
    return "%s.%d%s" % (name[:dot], total, name[dot:]) if dot >= 0 else "%s.%d" % (name, total)


def catalog_archive(sets_dir, set_name, remote):
    return os.path.join(sets_dir, set_name, server_name(CATALOG) if remote else CATALOG)


def delays_of(text):
    return [int(d) for d in text.split(",") if d.strip()]


def backup(binary, root, source, destination_lines):
    home = os.path.join(root, "program")
    dest = os.path.join(root, "dest")
    run_bench.make_program_folder(home, dest, source, extra_system=destination_lines)
    seconds, rss, code = run_bench.run_ombrix(binary, home, 7200)
    done = run_bench.config_value(home, "LAST_BACKUP_DONE") == "1"
    return seconds, code, done


def restore_set(bench, home, sets_dir, set_name, remote, source, target):
    """Restores the whole set below target with ombrix_bench (the set's catalog as
    recoverylist.csv, as choosing the set on the restore page leaves it). Returns (figures,
    whether the restored tree equals source); figures is empty when the restore failed."""
    with open(os.path.join(home, "recoverylist.csv"), "wb") as f:
        subprocess.run(["7za", "e", "-so", catalog_archive(sets_dir, set_name, remote)],
                       stdout=f, stderr=subprocess.DEVNULL, check=True)
    figures = run_bench.run_engine_bench(bench, ["restore", home, set_name, target])
    restored = os.path.join(target, source.lstrip("/"))
    equal = bool(figures) and os.path.isdir(restored) and \
        run_bench.tree_digest(restored) == run_bench.tree_digest(source)
    return figures, equal


def put_back(snapshot, folder):
    """folder as it was when snapshot was copied from it."""
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(snapshot, folder, symlinks=True)


def bench_backup(binary, work, files, delays, password):
    print("== full backup of %d mixed files: folder against FTP on 127.0.0.1" % files)
    root = os.path.join(work, "backup")
    source = os.path.join(root, "src")
    subprocess.run([sys.executable, os.path.join(HERE, "gen_tree.py"), source, str(files)], check=True)
    folder_root = os.path.join(root, "folder")
    folder_seconds, code, done = backup(binary, folder_root, source, ())
    print("  to a folder:                 %8.2f s  (exit %d, %s)"
          % (folder_seconds, code, "completed" if done else "NOT completed"))
    shutil.rmtree(folder_root, ignore_errors=True)

    for delay in delays:
        ftp_root = os.path.join(root, "ftp-%d" % delay)
        served = os.path.join(ftp_root, "served")
        os.makedirs(served)
        server, port = start_server(served, delay, ftp_root)
        try:
            seconds, code, done = backup(binary, ftp_root, source, ftp_lines(port, password))
        finally:
            stop_server(server)
        print("  to FTP, replies %3d ms late: %8.2f s  (exit %d, %s)  %.2fx the folder run, "
              "%.1f ms per file for the upload step"
              % (delay, seconds, code, "completed" if done else "NOT completed", seconds / folder_seconds,
                 1000.0 * (seconds - folder_seconds) / files))
        shutil.rmtree(ftp_root, ignore_errors=True)
    shutil.rmtree(root, ignore_errors=True)


def describe_restore(figures, equal):
    seconds = float(figures["seconds"])
    lines = int(figures["lines"])
    return seconds, lines, "%8.2f s  (%d lines, %.1f ms per file, %s)" % (
        seconds, lines, 1000.0 * seconds / max(lines, 1), "tree equal" if equal else "TREE DIFFERS")


def bench_restore(binary, bench, work, files, delays, password):
    print("== restore of a full set of %d mixed files: folder against FTP on 127.0.0.1" % files)
    root = os.path.join(work, "restore")
    source = os.path.join(root, "src")
    subprocess.run([sys.executable, os.path.join(HERE, "gen_tree.py"), source, str(files)], check=True)

    # The folder set and the folder restore.
    folder_root = os.path.join(root, "folder")
    seconds, code, done = backup(binary, folder_root, source, ())
    folder_home, folder_dest = os.path.join(folder_root, "program"), os.path.join(folder_root, "dest")
    sets = run_bench.sets_of(folder_dest)
    print("  set made to a folder in %.1f s (exit %d, %s)"
          % (seconds, code, "completed" if done and len(sets) == 1 else "NOT completed"))
    folder_seconds = None
    if sets:
        figures, equal = restore_set(bench, folder_home, folder_dest, sets[-1], False, source,
                                     os.path.join(folder_root, "restored"))
        if figures:
            folder_seconds, _, text = describe_restore(figures, equal)
            print("  from a folder:                 " + text)
    shutil.rmtree(folder_root, ignore_errors=True)

    # The FTP set, made without delay, then restored with every delay.
    ftp_root = os.path.join(root, "ftp")
    served, control, server, port = start_delayable_server(ftp_root)
    try:
        seconds, code, done = backup(binary, ftp_root, source, ftp_lines(port, password))
        home = os.path.join(ftp_root, "program")
        sets_dir = os.path.join(served, REMOTE_FOLDER)
        sets = run_bench.sets_of(sets_dir) if os.path.isdir(sets_dir) else []
        print("  set made to FTP in %.1f s (exit %d, %s)"
              % (seconds, code, "completed" if done and len(sets) == 1 else "NOT completed"))
        if not sets:
            return
        snapshot = os.path.join(ftp_root, "program-before")
        shutil.copytree(home, snapshot, symlinks=True)
        for index, delay in enumerate(delays):
            if index > 0:
                put_back(snapshot, home)
            set_delay(control, delay)
            target = os.path.join(ftp_root, "restored-%d" % delay)
            figures, equal = restore_set(bench, home, sets_dir, sets[-1], True, source, target)
            set_delay(control, 0)
            if not figures:
                continue
            seconds, lines, text = describe_restore(figures, equal)
            line = "  from FTP, replies %3d ms late: %s" % (delay, text)
            if folder_seconds:
                line += "  %.2fx the folder run, %.1f ms more per file" % (
                    seconds / folder_seconds, 1000.0 * (seconds - folder_seconds) / max(lines, 1))
            print(line)
            shutil.rmtree(target, ignore_errors=True)
    finally:
        stop_server(server)
        shutil.rmtree(root, ignore_errors=True)


def start_delayable_server(ftp_root):
    """A server on ftp_root/served that answers at once until its control file says otherwise.
    Returns (served folder, control file, server process, port)."""
    served = os.path.join(ftp_root, "served")
    os.makedirs(served)
    control = os.path.join(ftp_root, "control.json")
    set_delay(control, 0)
    server, port = start_server(served, 0, ftp_root, control)
    return served, control, server, port


def merge_and_check(bench, home, sets_dir, remote, source, target, before_check=None):
    """Merges every set of sets_dir into the last with ombrix_bench, then restores the merged set
    below target. Returns (seconds or None, the line of figures to print)."""
    sets = run_bench.sets_of(sets_dir)
    if len(sets) != 5:
        return None, "expected 5 sets, found %d; not measured" % len(sets)
    archives = sum(1 for s in sets[:-1] for f, _, n in os.walk(os.path.join(sets_dir, s)) for x in n
                   if f != os.path.join(sets_dir, s))
    figures = run_bench.run_engine_bench(bench, ["merge", home, sets[0], sets[-1]])
    if not figures:
        return None, "the merge failed"
    seconds = float(figures["seconds"])
    left = run_bench.sets_of(sets_dir)
    if before_check:
        before_check()
    _, equal = restore_set(bench, home, sets_dir, sets[-1], remote, source, target)
    shutil.rmtree(target, ignore_errors=True)
    return seconds, "%8.2f s  (%s sets, %d archives in the merged sets, %s unmoved, %s, merged set %s)" % (
        seconds, figures["sets"], archives, figures["unmoved"],
        "one set left" if left == [sets[-1]] else "SETS LEFT: " + " ".join(left),
        "restores the last state" if equal else "DOES NOT RESTORE THE LAST STATE")


def bench_merge(binary, bench, work, files, delays, password):
    print("== merge of 5 sets of %d mixed files (a full backup and 4 incremental runs): "
          "folder against FTP on 127.0.0.1" % files)
    root = os.path.join(work, "merge")

    folder_root = os.path.join(root, "folder")
    t0 = time.monotonic()
    source, home, dest = run_bench.backed_up_chain(binary, folder_root, files, 5)
    print("  folder sets made in %.1f s" % (time.monotonic() - t0))
    folder_seconds, text = merge_and_check(bench, home, dest, False, source, os.path.join(folder_root, "restored"))
    print("  on a folder:                   " + text)
    shutil.rmtree(folder_root, ignore_errors=True)

    ftp_root = os.path.join(root, "ftp")
    served, control, server, port = start_delayable_server(ftp_root)
    try:
        t0 = time.monotonic()
        source, home, _ = run_bench.backed_up_chain(binary, ftp_root, files, 5, ftp_lines(port, password))
        sets_dir = os.path.join(served, REMOTE_FOLDER)
        print("  FTP sets made in %.1f s" % (time.monotonic() - t0))
        if not os.path.isdir(sets_dir):
            print("  no sets on the server; not measured")
            return
        # Every delay merges the same five sets: the sets and the program folder as they are now.
        home_before = os.path.join(ftp_root, "program-before")
        sets_before = os.path.join(ftp_root, "sets-before")
        if len(delays) > 1:
            shutil.copytree(home, home_before, symlinks=True)
            shutil.copytree(sets_dir, sets_before, symlinks=True)
        for index, delay in enumerate(delays):
            if index > 0:
                put_back(home_before, home)
                put_back(sets_before, sets_dir)
            set_delay(control, delay)
            seconds, text = merge_and_check(bench, home, sets_dir, True, source,
                                            os.path.join(ftp_root, "restored"),
                                            before_check=lambda: set_delay(control, 0))
            set_delay(control, 0)
            line = "  on FTP, replies %3d ms late:  %s" % (delay, text)
            if seconds is not None and folder_seconds:
                line += "  %.2fx the folder run" % (seconds / folder_seconds)
            print(line)
    finally:
        stop_server(server)
        shutil.rmtree(root, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", default=os.environ.get("OMBRIX_BIN_DIR", os.path.join(TOP, "build", "bin")))
    parser.add_argument("--work", default="/tmp/ombrix-ftp-bench")
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--delays", help="reply delays in ms, comma-separated (default 0,20 for backup, "
                                         "0 for restore and merge)")
    parser.add_argument("--only", choices=["backup", "restore", "merge"])
    args = parser.parse_args()
    binary = os.path.join(args.bin, "ombrix")
    bench = os.path.join(args.bin, "ombrix_bench")
    for program in (binary, bench):
        if not os.access(program, os.X_OK):
            sys.exit("no %s (use --bin; both are built with the programs)" % program)
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    password = scrambled_password(args.bin)

    if args.only in (None, "backup"):
        bench_backup(binary, work, args.files, delays_of(args.delays or "0,20"), password)
    if args.only in (None, "restore"):
        bench_restore(binary, bench, work, args.files, delays_of(args.delays or "0"), password)
    if args.only in (None, "merge"):
        bench_merge(binary, bench, work, args.files, delays_of(args.delays or "0"), password)


if __name__ == "__main__":
    main()
