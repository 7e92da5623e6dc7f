#!/usr/bin/python3
"""An SMTP server for the tests, on top of aiosmtpd.

Listens on 127.0.0.1 (ask for port 0 to get a free one) and prints "PORT <n>" on its first line of
output once it listens. Every accepted message is stored in --dir as <n>.eml (the data as
received) and <n>.json (what the tests assert on: envelope, From/To/Subject decoded, the HTML
body, the attachments, whether the connection was encrypted and who logged in). Every command the
server acted on is appended to <dir>/events.jsonl, so a test can tell that nothing (no login, no
MAIL) happened.

  --starttls CERT KEY   offer STARTTLS with this certificate and require it before MAIL
  --smtps CERT KEY      TLS from the first byte (SMTPS)
  --login USER:PASS     offer AUTH (LOGIN and PLAIN; over a plain connection too) and require it
  --reject ADDRESS      answer RCPT TO for this address with 550 (may be repeated)
  --silent              accept connections but never say a word (clients must time out)
  --log FILE            the server's own log
  --parent-pid PID      end by itself when that process is gone
"""

import argparse
import asyncio
import email
import email.policy
import json
import logging
import os
import ssl
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

from server_common import end_with_parent


class Recorder:
    def __init__(self, folder, rejected):
        self.folder = folder
        self.rejected = set(a.lower() for a in rejected)
        self.count = 0

    def event(self, server, name, **fields):
        fields["event"] = name
        fields["tls"] = encrypted(server)
        with open(os.path.join(self.folder, "events.jsonl"), "a", encoding="utf-8") as f:
            f.write(json.dumps(fields) + "\n")

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        self.event(server, "EHLO", hostname=hostname)
        session.host_name = hostname
        return responses

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        self.event(server, "MAIL", address=address)
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        self.event(server, "RCPT", address=address)
        if address.lower() in self.rejected:
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        number = self.count
        content = envelope.original_content or envelope.content
        with open(os.path.join(self.folder, "%d.eml" % number), "wb") as f:
            f.write(content)
        summary = summarize(content)
        summary.update({
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "tls": encrypted(server),
            "login": getattr(session, "ombrix_login", None),
        })
        path = os.path.join(self.folder, "%d.json" % number)
        with open(path + ".part", "w", encoding="utf-8") as f:
            json.dump(summary, f, ensure_ascii=False, indent=1)
        os.replace(path + ".part", path)
        self.event(server, "DATA", number=number)
        return "250 Message accepted for delivery"


def encrypted(server):
    transport = getattr(server, "transport", None)
    return transport is not None and transport.get_extra_info("ssl_object") is not None


def address_fields(header):
    if header is None:
        return []
    return [{"name": a.display_name, "address": a.addr_spec} for a in header.addresses]


def summarize(content):
    message = email.message_from_bytes(content, policy=email.policy.default)
    body = message.get_body(preferencelist=("html",))
    attachments = []
    for part in message.iter_attachments():
        attachments.append({
            "filename": part.get_filename(),
            "content_type": part.get_content_type(),
            "data": part.get_payload(decode=True).decode("latin-1"),
        })
    return {
        "from": address_fields(message["From"]),
        "to": address_fields(message["To"]),
        "subject": str(message["Subject"] or ""),
        "date": str(message["Date"] or ""),
        "mailer": str(message["X-Mailer"] or ""),
        "html": body.get_content() if body is not None else None,
        "html_type": body.get_content_type() if body is not None else None,
        "attachments": attachments,
    }


class Authenticator:
    def __init__(self, recorder, user, password):
        self.recorder = recorder
        self.user = user
        self.password = password

    def __call__(self, server, session, envelope, mechanism, auth_data):
        login = auth_data.login.decode("utf-8", "replace") if isinstance(auth_data, LoginPassword) else None
        password = auth_data.password.decode("utf-8", "replace") if isinstance(auth_data, LoginPassword) else None
        ok = login == self.user and password == self.password
        self.recorder.event(server, "AUTH", mechanism=mechanism, login=login, password=password, success=ok)
        if ok:
            session.ombrix_login = {"login": login, "password": password, "mechanism": mechanism,
                                    "tls": encrypted(server)}
        return AuthResult(success=ok)


class Silent(asyncio.Protocol):
    """Takes the connection and says nothing, ever."""

    def connection_made(self, transport):
        self.transport = transport


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--smtps", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--login")
    parser.add_argument("--reject", action="append", default=[])
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--log")
    parser.add_argument("--parent-pid", type=int)
    args = parser.parse_args()

    # aiosmtpd warns about a login over a plain connection; that is what the tests ask for.
    warnings.filterwarnings("ignore")
    logging.basicConfig(filename=args.log, level=logging.INFO,
                        format="%(asctime)s %(name)s %(levelname)s %(message)s")
    if args.parent_pid:
        end_with_parent(args.parent_pid)
    os.makedirs(args.dir, exist_ok=True)
    recorder = Recorder(args.dir, args.reject)

    options = {"hostname": "smtp.test", "decode_data": False}
    if args.starttls:
        options["tls_context"] = tls_context(*args.starttls)
        options["require_starttls"] = True
    if args.login:
        user, _, password = args.login.partition(":")
        options["authenticator"] = Authenticator(recorder, user, password)
        options["auth_required"] = True
        # With --starttls the login is only offered after STARTTLS; otherwise (plain, or SMTPS
        # where the whole connection is encrypted) right away.
        options["auth_require_tls"] = bool(args.starttls)
    else:
        # No login to offer: AUTH is announced without a mechanism, so a client with a user name
        # set must go on without logging in.
        options["auth_exclude_mechanism"] = ["LOGIN", "PLAIN"]

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server_tls = tls_context(*args.smtps) if args.smtps else None
    if args.silent:
        factory = Silent
    else:
        def factory():
            return SMTP(recorder, loop=loop, **options)
    server = loop.run_until_complete(
        loop.create_server(factory, host="127.0.0.1", port=args.port, ssl=server_tls))
    port = server.sockets[0].getsockname()[1]
    logging.info("listening on 127.0.0.1:%d", port)
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()
    try:
        loop.run_forever()
    finally:
        server.close()


if __name__ == "__main__":
    main()
