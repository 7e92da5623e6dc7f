"""What the test servers share: ending with the test that started them, and reading the
account password without putting it on the command line."""
import os
import threading
import time


def _watch_parent(pid):
    while True:
        time.sleep(1)
        try:
            os.kill(pid, 0)
        except OSError:
            os._exit(0)


def end_with_parent(pid):
    """Ends this process once the process pid (the test) is gone, even after a crash of it."""
    threading.Thread(target=_watch_parent, args=(pid,), daemon=True).start()


def password_of(args, parser):
    """--password, or the first line of --password-file; a parser error when neither is given."""
    password = args.password
    if args.password_file:
        with open(args.password_file, "r", encoding="utf-8") as f:
            password = f.readline().rstrip("\r\n")
    if password is None:
        parser.error("--password or --password-file is required")
    return password
