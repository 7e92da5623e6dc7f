#!/usr/bin/python3
"""A small FTP server for the tests, on top of pyftpdlib.

Serves one folder to one user on 127.0.0.1 and prints "PORT <n>" on its first line of output once
it listens (ask for port 0 to get a free one). Besides the plain server it can misbehave the way
real servers do, so the client's handling of slow, stalling and refusing servers can be tested:

  --no-mlsd            neither MLSD nor MLST is offered (clients must fall back to LIST)
  --delay-ms N         every command is answered N milliseconds late
  --throttle BPS       data connections move at most BPS bytes per second each way
  --stall-after N      an upload (STOR) stops being read after N bytes; 0 reads nothing at all
  --refuse-logins      every login is refused with 530
  --reply-421          every new connection is greeted with 421 and closed; an open one gets
                       421 for its next command
  --refuse-rename TEXT an RNFR whose path contains TEXT is refused with 550

The same switches can be changed while the server runs through the JSON file given with
--control (keys no_mlsd, delay_ms, throttle, stall_after, refuse_logins, reply_421,
refuse_rename); it is read again whenever it changed, at every new connection and every command.

The password comes from --password-file (first line), so it never shows in the process list,
or from --password.

--log FILE receives one line per command ("<connection> <COMMAND> <argument>", the password
masked), so tests can count what a client asked. --parent-pid makes the server end by itself
when that process is gone, so a crashed test never leaves a server behind.
"""

import argparse
import json
import logging
import os
import sys

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

from server_common import password_of


class Options:
    """The misbehaviour switches in force now: command line first, control file over it."""

    def __init__(self, args):
        self.base = {
            "no_mlsd": bool(args.no_mlsd),
            "delay_ms": int(args.delay_ms),
            "throttle": int(args.throttle),
            "stall_after": int(args.stall_after),
            "refuse_logins": bool(args.refuse_logins),
            "reply_421": bool(args.reply_421),
            "refuse_rename": str(args.refuse_rename or ""),
        }
        self.control = args.control
        self.control_stamp = None
        self.values = dict(self.base)

    def current(self):
        if self.control:
            try:
                stat = os.stat(self.control)
                stamp = (stat.st_mtime_ns, stat.st_size, stat.st_ino)
            except OSError:
                stamp = None
            if stamp != self.control_stamp:
                self.control_stamp = stamp
                values = dict(self.base)
                if stamp is not None:
                    try:
                        with open(self.control, "r", encoding="utf-8") as f:
                            values.update(json.load(f))
                    except (OSError, ValueError):
                        pass
                self.values = values
        return self.values


OPTIONS = None
COMMAND_LOG = None
CONNECTIONS = [0]


def record(connection, cmd, arg):
    if COMMAND_LOG is None:
        return
    if cmd == "PASS":
        arg = "******"
    with open(COMMAND_LOG, "a", encoding="utf-8", errors="replace") as f:
        f.write("%d %s %s\n" % (connection, cmd, arg))


class TestAuthorizer(DummyAuthorizer):
    def validate_authentication(self, username, password, handler):
        if OPTIONS.current()["refuse_logins"]:
            raise AuthenticationFailed("Authentication failed.")
        return DummyAuthorizer.validate_authentication(self, username, password, handler)


class TestDTPHandler(ThrottledDTPHandler):
    def __init__(self, sock, cmd_channel):
        options = OPTIONS.current()
        self.read_limit = max(0, int(options["throttle"]))
        self.write_limit = max(0, int(options["throttle"]))
        self.stall_after = int(options["stall_after"])
        ThrottledDTPHandler.__init__(self, sock, cmd_channel)

    def enable_receiving(self, type, cmd):
        ThrottledDTPHandler.enable_receiving(self, type, cmd)
        if self.stall_after == 0:
            # Accept the upload, then never read a byte of it.
            self.del_channel()

    def handle_read(self):
        ThrottledDTPHandler.handle_read(self)
        if not self.receive or self.file_obj is None:
            return
        try:
            # What arrived is on disk at once, so a listing shows the partial size.
            self.file_obj.flush()
        except (OSError, ValueError):
            pass
        if self.stall_after > 0 and self.tot_bytes_received >= self.stall_after:
            self.del_channel()

    # The base class binds its own reader under this name; the loop calls it directly.
    handle_read_event = handle_read


class TestHandler(FTPHandler):
    dtp_handler = TestDTPHandler
    auth_failed_timeout = 0.05
    banner = "Ombrix test server ready."

    def __init__(self, conn, server, ioloop=None):
        FTPHandler.__init__(self, conn, server, ioloop)
        CONNECTIONS[0] += 1
        self.connection_number = CONNECTIONS[0]
        if OPTIONS.current()["no_mlsd"]:
            self.proto_cmds = dict(self.proto_cmds)
            self.proto_cmds.pop("MLSD", None)
            self.proto_cmds.pop("MLST", None)

    def handle(self):
        if OPTIONS.current()["reply_421"]:
            record(self.connection_number, "(refused)", "421")
            self.respond("421 Service not available, closing control connection.")
            self.close_when_done()
            return
        FTPHandler.handle(self)

    def pre_process_command(self, line, cmd, arg):
        record(self.connection_number, cmd, arg)
        options = OPTIONS.current()
        if options["reply_421"]:
            self.respond("421 Service not available, closing control connection.")
            self.close_when_done()
            return
        refused = options.get("refuse_rename") or ""
        if cmd == "RNFR" and refused and refused in arg:
            self.respond("550 Renaming refused.")
            return
        delay = int(options["delay_ms"]) / 1000.0
        if delay > 0 and cmd != "QUIT":
            # Stop reading the connection until the answer is due, so commands stay in order.
            self.del_channel()

            def answer():
                if self._closed:
                    return
                self.add_channel()
                FTPHandler.pre_process_command(self, line, cmd, arg)

            self.ioloop.call_later(delay, answer, _errback=self.handle_error)
            return
        FTPHandler.pre_process_command(self, line, cmd, arg)


def main():
    global OPTIONS, COMMAND_LOG
    parser = argparse.ArgumentParser(description="FTP server for the Ombrix tests")
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", help="the password (visible to everyone in the process list)")
    parser.add_argument("--password-file", help="a file whose first line is the password")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--log")
    parser.add_argument("--control")
    parser.add_argument("--parent-pid", type=int, default=0)
    parser.add_argument("--no-mlsd", action="store_true")
    parser.add_argument("--delay-ms", type=int, default=0)
    parser.add_argument("--throttle", type=int, default=0)
    parser.add_argument("--stall-after", type=int, default=-1)
    parser.add_argument("--refuse-logins", action="store_true")
    parser.add_argument("--reply-421", action="store_true")
    parser.add_argument("--refuse-rename", default="")
    args = parser.parse_args()

    password = password_of(args, parser)

    OPTIONS = Options(args)
    COMMAND_LOG = args.log

    logging.basicConfig(stream=sys.stderr, level=logging.INFO,
                        format="[%(asctime)s] %(message)s")

    authorizer = TestAuthorizer()
    authorizer.add_user(args.user, password, os.path.abspath(args.root), perm="elradfmwMT")
    TestHandler.authorizer = authorizer

    server = FTPServer(("127.0.0.1", args.port), TestHandler)
    server.max_cons = 0
    server.max_cons_per_ip = 0

    if args.parent_pid > 0:
        def watch_parent():
            try:
                os.kill(args.parent_pid, 0)
            except OSError:
                os._exit(0)

        server.ioloop.call_every(0.5, watch_parent)

    sys.stdout.write("PORT %d\n" % server.address[1])
    sys.stdout.flush()
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
