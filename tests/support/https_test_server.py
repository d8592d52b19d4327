"""A real HTTPS server for the tests, on 127.0.0.1.

Every request is recorded as one JSON file in --out (method, path, headers, body in
base64) before it is answered. --answers is a comma-separated list of answers, one per
request in turn, the last repeated: an HTTP status (200, 401, 500, ...) or "stall" (read
the request, then never answer).

Prints "READY <port>" once it is listening, then runs until it is terminated.
"""

import argparse
import base64
import http.server
import json
import os
import signal
import ssl
import sys
import threading

STOP = threading.Event()

BODIES = {
    200: b'{"id":"test","event":"message"}\n',
    401: b'{"code":40101,"http":401,"error":"unauthorized"}\nsee the docs\n',
    429: b'{"code":42901,"http":429,"error":"limit reached"}\n',
}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length)
        server = self.server
        with server.lock:
            server.count += 1
            number = server.count
        record = {
            "method": self.command,
            "path": self.path,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body": base64.b64encode(body).decode("ascii"),
        }
        name = os.path.join(server.out, "request-%03d.json" % number)
        with open(name + ".part", "w", encoding="utf-8") as f:
            json.dump(record, f)
        os.replace(name + ".part", name)

        answers = server.answers
        answer = answers[min(number, len(answers)) - 1]
        if answer == "stall":
            STOP.wait()
            return
        status = int(answer)
        payload = BODIES.get(status, b"server trouble\nsecond line\n")
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)

    do_PUT = do_POST
    do_GET = do_POST

    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--answers", default="200")
    args = parser.parse_args()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.out = args.out
    server.answers = args.answers.split(",")
    server.count = 0
    server.lock = threading.Lock()
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print("READY %d" % server.server_address[1], flush=True)

    signal.signal(signal.SIGTERM, lambda *_: STOP.set())
    signal.signal(signal.SIGINT, lambda *_: STOP.set())
    # Also end when the test process goes away and closes our stdin.
    threading.Thread(target=lambda: (sys.stdin.read(), STOP.set()), daemon=True).start()
    while not STOP.is_set():
        STOP.wait(0.5)


if __name__ == "__main__":
    main()
