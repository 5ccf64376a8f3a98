#!/usr/bin/python3
"""An SMTP server on 127.0.0.1 for the mail client's tests: it accepts every message and writes
it to a folder, nothing else.

  smtp_sink.py --port PORT (0: any free port) [--dir DIR] [--ready FILE] [--auth USER:PASSWORD]
               [--tls CERT:KEY] [--fill FILE]

Each message is written as DIR/N.eml (the bytes received) with DIR/N.env beside it (JSON: the
envelope sender and recipients), and DIR/connections holds the number of connections accepted
so far. Without --dir messages are only counted. When listening, the
port is written to FILE (--ready). With --auth, clients must log in (AUTH PLAIN or LOGIN, allowed
without TLS) before sending. With --tls, clients must upgrade with STARTTLS (the certificate and
key files are PEM). With --fill, each accepted message is followed by writing FILE until its
file system is full (a disk that fills the moment the server has the message). Runs until it is terminated (SIGTERM).
"""

import argparse
import asyncio
import json
import logging
import os
import signal
import ssl
import warnings

from aiosmtpd.smtp import SMTP, AuthResult


class Sink:
    def __init__(self, folder, fill=None):
        self.folder = folder
        self.fill = fill
        self.count = 0
        self.connections = 0

    def connected(self):
        self.connections += 1
        if self.folder:
            path = os.path.join(self.folder, "connections")
            with open(path + ".tmp", "w") as f:
                f.write(str(self.connections))
            os.rename(path + ".tmp", path)

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        if self.folder:
            # A sink started again on the same folder goes on after the messages already there.
            while os.path.exists(os.path.join(self.folder, str(self.count) + ".eml")):
                self.count += 1
            base = os.path.join(self.folder, str(self.count))
            with open(base + ".env.tmp", "w") as f:
                json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos}, f)
            with open(base + ".eml.tmp", "wb") as f:
                f.write(envelope.original_content or envelope.content)
            # The .eml appears last and whole, so a reader that sees it sees the message.
            os.rename(base + ".env.tmp", base + ".env")
            os.rename(base + ".eml.tmp", base + ".eml")
        if self.fill:
            try:
                with open(self.fill, "ab") as f:
                    while True:
                        f.write(b"\0" * 4096)
                        f.flush()
            except OSError:
                pass
        return "250 Message accepted"


class CountingSMTP(SMTP):
    def __init__(self, sink, **options):
        super().__init__(sink, **options)
        self.sink = sink

    def connection_made(self, transport):
        self.sink.connected()
        super().connection_made(transport)


def make_authenticator(user, password):
    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = auth_data.login.decode() == user and auth_data.password.decode() == password
        return AuthResult(success=ok)
    return authenticate


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--dir")
    parser.add_argument("--ready")
    parser.add_argument("--auth")
    parser.add_argument("--tls")
    parser.add_argument("--fill")
    args = parser.parse_args()

    # The server's own log (refused logins, failed TLS handshakes) goes beside the messages, so
    # the tests' output stays readable; without --dir it is dropped.
    if args.dir:
        logging.basicConfig(filename=os.path.join(args.dir, "sink.log"), level=logging.INFO)
    else:
        logging.disable(logging.CRITICAL)
    warnings.simplefilter("ignore")
    sink = Sink(args.dir, args.fill)
    options = {"decode_data": False, "enable_SMTPUTF8": True}
    if args.auth:
        user, _, password = args.auth.partition(":")
        options.update(authenticator=make_authenticator(user, password),
                       auth_required=True, auth_require_tls=False)

    if args.tls:
        cert, _, key = args.tls.partition(":")
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(cert, key)
        options.update(tls_context=context, require_starttls=True)

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(
        loop.create_server(lambda: CountingSMTP(sink, **options), host="127.0.0.1",
                           port=args.port))
    port = server.sockets[0].getsockname()[1]
    if args.ready:
        with open(args.ready + ".tmp", "w") as f:
            f.write(str(port))
        os.rename(args.ready + ".tmp", args.ready)
    loop.add_signal_handler(signal.SIGTERM, loop.stop)
    loop.add_signal_handler(signal.SIGINT, loop.stop)
    try:
        loop.run_forever()
    finally:
        server.close()
        loop.run_until_complete(server.wait_closed())


if __name__ == "__main__":
    main()
