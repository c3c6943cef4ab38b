#!/usr/bin/python3
"""A mail server for the tests, on a loopback port (Debian's python3-aiosmtpd).

Prints "PORT <n>" once it listens, then records every message it takes as one JSON line
(envelope sender, recipients, the message in base64) in --out. Options shape it: STARTTLS
with a certificate, login required, recipients refused for good (550) or for now (451), the
answer to a mail's data held back (the first mail to a --hold recipient, after recording it).
"""
import argparse
import asyncio
import base64
import json
import logging
import socket
import ssl
import sys
import threading
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Handler:
    def __init__(self, args):
        self.args = args
        self.lock = threading.Lock()
        self.held = set()

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.args.refuse:
            return "550 5.1.1 Mailbox unavailable: " + address
        if address in self.args.defer:
            return "451 4.3.0 Mailbox busy, try again later"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        record = {
            "from": envelope.mail_from,
            "to": envelope.rcpt_tos,
            # STARTTLS sets the session's; TLS from the first byte only the transport's.
            "tls": session.ssl is not None or server.transport.get_extra_info("ssl_object") is not None,
            "data": base64.b64encode(envelope.original_content).decode("ascii"),
        }
        with self.lock, open(self.args.out, "a", encoding="utf-8") as out:
            out.write(json.dumps(record) + "\n")
        hold = [a for a in envelope.rcpt_tos if a in self.args.hold and a not in self.held]
        if hold:
            self.held.update(hold)
            await asyncio.sleep(self.args.hold_seconds)
        return "250 Message accepted for delivery"


def main():
    warnings.simplefilter("ignore")  # aiosmtpd 1.4 warns about its own deprecations
    # A client refusing the test's certificate is a case of the tests, not an error to print.
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    p = argparse.ArgumentParser()
    p.add_argument("--out", required=True)
    p.add_argument("--cert")
    p.add_argument("--key")
    p.add_argument("--user")
    p.add_argument("--password")
    p.add_argument("--refuse", action="append", default=[])
    p.add_argument("--defer", action="append", default=[])
    p.add_argument("--hold", action="append", default=[])
    p.add_argument("--hold-seconds", type=float, default=0)
    p.add_argument("--implicit", action="store_true", help="TLS from the first byte instead of STARTTLS")
    args = p.parse_args()

    kwargs = {}
    if args.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
        if args.implicit:
            kwargs.update(ssl_context=context)
        else:
            kwargs.update(tls_context=context, require_starttls=True)
    if args.user:
        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = (isinstance(auth_data, LoginPassword)
                  and auth_data.login.decode() == args.user
                  and auth_data.password.decode() == args.password)
            return AuthResult(success=ok, handled=False)
        kwargs.update(authenticator=authenticator, auth_required=True,
                      auth_require_tls=bool(args.cert) and not args.implicit)
    else:
        kwargs.update(auth_require_tls=False)

    port = free_port()
    controller = Controller(Handler(args), hostname="127.0.0.1", port=port, **kwargs)
    controller.start()
    print("PORT", port, flush=True)
    try:
        sys.stdin.read()  # runs until the test closes its end
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
