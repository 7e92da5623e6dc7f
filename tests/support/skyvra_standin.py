#!/usr/bin/python3
"""A stand-in for the network-disk service Skyvra, on 127.0.0.1 only.

The service has two faces: an HTTPS web host that answers the account information query

  GET /getSkyvraInfo.php?user=<account>&pass=<MD5 of the password>

and an FTP host that serves the account's files. This script is the web host; with --ftp-root it
also starts the FTP host (ftp_server.py beside it) for the same account, rooted at that folder.

The query is answered with the bytes of --info-file (read again for every request, so a test may
change them while the server runs; several lines may be given, the program shows the first) when
the account name is --user and the digest is the password's: MD5 of the password with every
character outside 7-bit ASCII replaced by "?", as 32 upper-case hexadecimal digits. Any other
account or digest gets "403 Forbidden" with an empty body; any other path 404.

Every request is appended to --requests (JSON lines: "path", "query", "user", "pass", "accept",
"user_agent") before it is answered.

Prints "PORT <n>" once the web host listens (ask for port 0 to get a free one), then, with
--ftp-root, "FTP_PORT <n>" and the environment lines that point ombrix at the stand-in.

By hand (see the README's developer section):

  /usr/bin/python3 tests/support/skyvra_standin.py --user ucet --password heslo \\
      --ftp-root /tmp/skyvra-ucet

Without --cert/--key a certificate is made for the run (test_cert.py) and the SSL_CERT_FILE line
printed names its authority.
"""

import argparse
import hashlib
import http.server
import json
import logging
import os
import shutil
import signal
import ssl
import subprocess
import sys
import tempfile
import urllib.parse

from server_common import end_with_parent, password_of

HERE = os.path.dirname(os.path.abspath(__file__))


def digest(password):
    ascii_text = "".join(c if ord(c) < 128 else "?" for c in password)
    return hashlib.md5(ascii_text.encode("ascii")).hexdigest().upper()


class Handler(http.server.BaseHTTPRequestHandler):
    user = ""
    expected = ""
    info_file = None
    requests_file = None

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        user = query.get("user", [None])[0]
        given = query.get("pass", [None])[0]
        if self.requests_file:
            record = {
                "path": url.path,
                "query": url.query,
                "user": user,
                "pass": given,
                "accept": self.headers.get("Accept"),
                "user_agent": self.headers.get("User-Agent"),
            }
            with open(self.requests_file, "a", encoding="utf-8") as f:
                f.write(json.dumps(record) + "\n")
        if url.path != "/getSkyvraInfo.php":
            self.answer(404, b"")
            return
        if user != self.user or given != self.expected:
            self.answer(403, b"")
            return
        body = b""
        if self.info_file:
            try:
                with open(self.info_file, "rb") as f:
                    body = f.read()
            except OSError:
                body = b""
        self.answer(200, body)

    def answer(self, status, body):
        self.send_response(status)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, format, *args):
        logging.info("%s %s", self.address_string(), format % args)


def make_certificate():
    folder = tempfile.mkdtemp(prefix="skyvra-standin-")
    subprocess.run([sys.executable, os.path.join(HERE, "test_cert.py"), folder], check=True)
    return folder


def start_ftp(args, password, work):
    password_file = os.path.join(work, "ftp-password")
    with open(password_file, "w", encoding="utf-8") as f:
        f.write(password + "\n")
    os.chmod(password_file, 0o600)
    command = [sys.executable, os.path.join(HERE, "ftp_server.py"), "--root", args.ftp_root,
               "--user", args.user, "--password-file", password_file, "--port", str(args.ftp_port),
               "--parent-pid", str(os.getpid())]
    process = subprocess.Popen(command, stdout=subprocess.PIPE, text=True)
    line = process.stdout.readline()
    if not line.startswith("PORT "):
        raise SystemExit("the FTP server did not start")
    return process, int(line.split()[1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", help="the password (visible to everyone in the process list)")
    parser.add_argument("--password-file", help="a file whose first line is the password")
    parser.add_argument("--info-file", help="the answer body for the right account")
    parser.add_argument("--info", default="Skyvra stand-in: 10 GB, 10 GB free",
                        help="the answer line when no --info-file is given")
    parser.add_argument("--requests")
    parser.add_argument("--ftp-root")
    parser.add_argument("--ftp-port", type=int, default=0)
    parser.add_argument("--log")
    parser.add_argument("--parent-pid", type=int)
    args = parser.parse_args()

    password = password_of(args, parser)

    # A terminated stand-in ends its FTP host too.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    logging.basicConfig(filename=args.log, level=logging.INFO,
                        format="%(asctime)s %(levelname)s %(message)s")
    if args.parent_pid:
        end_with_parent(args.parent_pid)

    work = tempfile.mkdtemp(prefix="skyvra-standin-work-")
    certificate_folder = None
    cert, key = args.cert, args.key
    if not cert or not key:
        certificate_folder = make_certificate()
        cert = os.path.join(certificate_folder, "server.pem")
        key = os.path.join(certificate_folder, "server.key")

    info_file = args.info_file
    if not info_file:
        info_file = os.path.join(work, "info")
        with open(info_file, "wb") as f:
            f.write(args.info.encode("utf-8") + b"\r\n")

    Handler.user = args.user
    Handler.expected = digest(password)
    Handler.info_file = info_file
    Handler.requests_file = args.requests

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    port = server.server_address[1]
    logging.info("listening on 127.0.0.1:%d for account %s", port, args.user)
    sys.stdout.write("PORT %d\n" % port)

    ftp = None
    if args.ftp_root:
        os.makedirs(args.ftp_root, exist_ok=True)
        ftp, ftp_port = start_ftp(args, password, work)
        sys.stdout.write("FTP_PORT %d\n" % ftp_port)
        sys.stdout.write("export OMBRIX_SKYVRA_INFO_URL=https://127.0.0.1:%d\n" % port)
        sys.stdout.write("export OMBRIX_SKYVRA_FTP_HOST=127.0.0.1:%d\n" % ftp_port)
        if certificate_folder:
            sys.stdout.write("export SSL_CERT_FILE=%s\n" % os.path.join(certificate_folder, "ca.pem"))
    sys.stdout.flush()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        if ftp is not None:
            ftp.terminate()
            ftp.wait()
        shutil.rmtree(work, ignore_errors=True)
        if certificate_folder:
            shutil.rmtree(certificate_folder, ignore_errors=True)


if __name__ == "__main__":
    main()
