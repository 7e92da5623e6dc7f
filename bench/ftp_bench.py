#!/usr/bin/python3
"""Full backups to a loopback FTP server against the same to a folder (not part of ctest).

  ftp_bench.py [--bin DIR] [--work DIR] [--files N] [--delays 0,20]

The same generated tree (gen_tree.py, default 2,000 mixed files) is backed up by `ombrix -start`
once to a folder and once to a pyftpdlib server on 127.0.0.1 for every reply delay given (the
project's test server, tests/support/ftp_server.py, with every command answered that many
milliseconds late, to show what a real network's round trips cost per file). Printed: the times,
the ratio to the folder run, and the cost per file of the upload step (FTP time minus folder time,
divided by the number of files).
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(HERE)
sys.path.insert(0, HERE)
import run_bench  # noqa: E402  (the shared helpers of the other benchmarks)

USER = "bench"
PASSWORD = "bench-password"


def start_server(root, delay_ms, work):
    password_file = os.path.join(work, "password")
    with open(password_file, "w") as f:
        f.write(PASSWORD + "\n")
    log = open(os.path.join(work, "ftp-server.txt"), "wb")
    proc = subprocess.Popen(["/usr/bin/python3", os.path.join(TOP, "tests", "support", "ftp_server.py"),
                             "--root", root, "--user", USER, "--password-file", password_file,
                             "--port", "0", "--delay-ms", str(delay_ms), "--parent-pid", str(os.getpid())],
                            stdout=subprocess.PIPE, stderr=log)
    line = proc.stdout.readline().decode()
    if not line.startswith("PORT "):
        proc.kill()
        raise RuntimeError("the FTP server did not start: " + line)
    return proc, int(line.split()[1])


def scrambled_password(binary_dir):
    # config.ini keeps the password scrambled; the program's own rule does it (ombrix_bench).
    out = subprocess.run([os.path.join(binary_dir, "ombrix_bench"), "scramble", PASSWORD],
                         capture_output=True, text=True, check=True)
    return out.stdout.strip()


def backup(binary, root, source, destination_lines):
    home = os.path.join(root, "program")
    dest = os.path.join(root, "dest")
    run_bench.make_program_folder(home, dest, source, extra_system=destination_lines)
    seconds, rss, code = run_bench.run_ombrix(binary, home, 7200)
    done = run_bench.config_value(home, "LAST_BACKUP_DONE") == "1"
    return seconds, code, done


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", default=os.environ.get("OMBRIX_BIN_DIR", os.path.join(TOP, "build", "bin")))
    parser.add_argument("--work", default="/tmp/ombrix-ftp-bench")
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--delays", default="0,20")
    args = parser.parse_args()
    binary = os.path.join(args.bin, "ombrix")
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    source = os.path.join(args.work, "src")
    subprocess.run([sys.executable, os.path.join(HERE, "gen_tree.py"), source, str(args.files)], check=True)
    password = scrambled_password(args.bin)

    print("== full backup of %d mixed files: folder against FTP on 127.0.0.1" % args.files)
    folder_root = os.path.join(args.work, "folder")
    folder_seconds, code, done = backup(binary, folder_root, source, ())
    print("  to a folder:                 %8.2f s  (exit %d, %s)"
          % (folder_seconds, code, "completed" if done else "NOT completed"))
    shutil.rmtree(folder_root, ignore_errors=True)

    for delay in (int(d) for d in args.delays.split(",") if d.strip()):
        root = os.path.join(args.work, "ftp-%d" % delay)
        served = os.path.join(root, "served")
        os.makedirs(served)
        server, port = start_server(served, delay, root)
        try:
            seconds, code, done = backup(binary, root, source, (
                "BACKUP_DESTINATION=FTP", "BACKUP_FTP_HOST=127.0.0.1:%d" % port, "BACKUP_FTP_USER=" + USER,
                "BACKUP_FTP_PASS=" + password, "BACKUP_FTP_DIR=zaloha"))
        finally:
            server.kill()
            server.wait()
        print("  to FTP, replies %3d ms late: %8.2f s  (exit %d, %s)  %.2fx the folder run, "
              "%.1f ms per file for the upload step"
              % (delay, seconds, code, "completed" if done else "NOT completed", seconds / folder_seconds,
                 1000.0 * (seconds - folder_seconds) / args.files))
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
