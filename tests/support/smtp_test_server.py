"""A real SMTP server for the tests, on 127.0.0.1.

Modes:
  serve     implicit TLS with the given certificate, AUTH required; each received
            message becomes one JSON file in --out (envelope, login, raw content and the
            decoded text parts). Recipients in the domain "refused.invalid" get a 550.
            A message to a recipient in one of these domains is taken whole, then:
              stall.invalid      never answered
              trickle.invalid    answered by a "250-" line every half second, never ended
              busy.invalid       refused for now (451)
              busy-once.invalid  refused for now the first time, accepted after
              reject.invalid     refused for good (554)
  starttls  as serve, but plain at first: STARTTLS is required before AUTH and mail.
  silent    accepts TCP connections and never says a word.
  freeport  prints a port nothing listens on and exits.

Prints "READY <port>" once it is listening, then runs until it is terminated.
"""

import argparse
import asyncio
import email
import email.policy
import json
import os
import signal
import socket
import ssl
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Recorder:
    def __init__(self, out):
        self.out = out
        self.count = 0
        self.busy_once_seen = False

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower().endswith("@refused.invalid"):
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        domains = {address.rsplit("@", 1)[-1].lower() for address in envelope.rcpt_tos}
        if "stall.invalid" in domains:
            await asyncio.sleep(3600)
        if "trickle.invalid" in domains:
            while True:
                await server.push("250-still working on it")
                await asyncio.sleep(0.5)
        if "busy.invalid" in domains:
            return "451 4.3.0 Mail system busy, try again later"
        if "busy-once.invalid" in domains and not self.busy_once_seen:
            self.busy_once_seen = True
            return "451 4.3.0 Mail system busy, try again later"
        if "reject.invalid" in domains:
            return "554 5.6.0 Message content rejected"
        raw = envelope.original_content or envelope.content
        if isinstance(raw, str):
            raw = raw.encode("utf-8")
        parsed = email.message_from_bytes(raw, policy=email.policy.compat32)
        parts = []
        for part in parsed.walk():
            if part.is_multipart():
                continue
            payload = part.get_payload(decode=True) or b""
            charset = part.get_content_charset() or "utf-8"
            parts.append({"type": part.get_content_type(),
                          "text": payload.decode(charset, errors="replace")})
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "login": getattr(session, "tillora_login", None),
            "content_type": parsed.get_content_type(),
            "raw": raw.decode("latin-1"),
            "parts": parts,
        }
        self.count += 1
        name = os.path.join(self.out, "message-%03d.json" % self.count)
        with open(name + ".part", "w", encoding="utf-8") as f:
            json.dump(record, f)
        os.replace(name + ".part", name)
        return "250 Message accepted"


def make_authenticator(user, password):
    def authenticate(server, session, envelope, mechanism, auth_data):
        login = auth_data.login.decode("utf-8", errors="replace")
        secret = auth_data.password.decode("utf-8", errors="replace")
        if login == user and secret == password:
            session.tillora_login = login
            return AuthResult(success=True)
        return AuthResult(success=False, handled=False)
    return authenticate


def serve(args):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)
    port = free_port()
    if args.mode == "starttls":
        tls = dict(tls_context=context, require_starttls=True, auth_require_tls=True)
    else:
        tls = dict(ssl_context=context, auth_require_tls=False)
    controller = Controller(
        Recorder(args.out),
        hostname="127.0.0.1",
        port=port,
        authenticator=make_authenticator(args.user, args.password),
        auth_required=True,
        **tls,
    )
    controller.start()
    print("READY %d" % port, flush=True)
    wait_for_end()
    controller.stop()


def silent(args):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    held = []

    def accept():
        while True:
            try:
                conn, _ = listener.accept()
            except OSError:
                return
            held.append(conn)  # kept open, never answered

    threading.Thread(target=accept, daemon=True).start()
    print("READY %d" % listener.getsockname()[1], flush=True)
    wait_for_end()


def wait_for_end():
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    # Also end when the test process goes away and closes our stdin.
    threading.Thread(target=lambda: (sys.stdin.read(), stop.set()), daemon=True).start()
    while not stop.is_set():
        stop.wait(0.5)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["serve", "starttls", "silent", "freeport"])
    parser.add_argument("--out")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--user", default="")
    parser.add_argument("--password", default="")
    args = parser.parse_args()
    if args.mode == "freeport":
        print("READY %d" % free_port(), flush=True)
    elif args.mode == "silent":
        silent(args)
    else:
        serve(args)


if __name__ == "__main__":
    main()
