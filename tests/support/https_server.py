#!/usr/bin/python3
"""An HTTPS server for the tests: Python's http.server wrapped in ssl.

Listens on 127.0.0.1 (ask for port 0 to get a free one) and prints "PORT <n>" on its first line of
output once it listens. It answers GET requests from the files of --root: the request path with
every "/" and "." turned into "_" names the file ("/verze_info.php" is served from
verze_info_php), the query is ignored. A path without a file gets 404. The files may be changed
while the server runs. When <name>.cut holds a number N, the answer announces the whole file but
the connection is dropped after its first N bytes.

Every request is appended to <root>/requests.jsonl as {"path", "query", "user_agent", "accept"}
before it is answered, so a test can tell what a client asked for (and that it asked nothing).

  --cert CERT --key KEY  the server's certificate and key
  --log FILE             the server's own log
  --parent-pid PID       end by itself when that process is gone
"""

import argparse
import http.server
import json
import logging
import os
import ssl
import sys
import urllib.parse

from server_common import end_with_parent


class Handler(http.server.BaseHTTPRequestHandler):
    root = "."

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        record = {
            "path": url.path,
            "query": url.query,
            "user_agent": self.headers.get("User-Agent"),
            "accept": self.headers.get("Accept"),
        }
        with open(os.path.join(self.root, "requests.jsonl"), "a", encoding="utf-8") as f:
            f.write(json.dumps(record) + "\n")
        name = url.path.strip("/").replace("/", "_").replace(".", "_")
        path = os.path.join(self.root, name)
        if not name or not os.path.isfile(path):
            self.send_error(404)
            return
        with open(path, "rb") as f:
            body = f.read()
        sent = body
        try:
            with open(path + ".cut", "r", encoding="ascii") as f:
                sent = body[:int(f.read().strip())]
        except (OSError, ValueError):
            pass
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(sent)
        if len(sent) < len(body):
            self.wfile.flush()
            self.close_connection = True
            self.connection.close()

    def log_message(self, format, *args):
        logging.info("%s %s", self.address_string(), format % args)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--log")
    parser.add_argument("--parent-pid", type=int)
    args = parser.parse_args()

    logging.basicConfig(filename=args.log, level=logging.INFO,
                        format="%(asctime)s %(levelname)s %(message)s")
    if args.parent_pid:
        end_with_parent(args.parent_pid)
    os.makedirs(args.root, exist_ok=True)
    Handler.root = args.root

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    port = server.server_address[1]
    logging.info("listening on 127.0.0.1:%d", port)
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()
    server.serve_forever()


if __name__ == "__main__":
    main()
