#!/usr/bin/env python3
"""Runs Linux programs for the Windows tests under Wine.

Wine starts a Linux program, but gives the Windows side no handle to wait for it, read
its output or stop it. The tests start `linux-program.exe` instead (under the Linux
program's name); it connects here, and this process runs the program on the Linux side
and relays its input, output, error output and exit code.

One connection is one program. Frames both ways: one type byte, a 4-byte little-endian
length, the payload. From the client: K key, A arguments (NUL-separated UTF-8),
D working folder, R run; then I input, E end of input, T terminate. To the client:
O output, F error output, X exit (the code, or "signal N"), W what went wrong.
A program whose client goes away is killed.

Usage: linux_programs.py <file for "port key"> <pid file>
"""

import os
import secrets
import signal
import socket
import socketserver
import struct
import subprocess
import sys
import threading

KEY = secrets.token_hex(16)
FRAME_LIMIT = 1 << 20


def read_exactly(stream, count):
    data = b""
    while len(data) < count:
        chunk = stream.recv(count - len(data))
        if not chunk:
            return None
        data += chunk
    return data


def read_frame(stream):
    head = read_exactly(stream, 5)
    if head is None:
        return None, None
    kind, length = head[:1], struct.unpack("<I", head[1:])[0]
    if length > FRAME_LIMIT:
        return None, None
    payload = read_exactly(stream, length)
    return (kind, payload) if payload is not None else (None, None)


class Connection(socketserver.BaseRequestHandler):
    def setup(self):
        self.lock = threading.Lock()

    def send(self, kind, payload=b""):
        with self.lock:
            try:
                self.request.sendall(kind + struct.pack("<I", len(payload)) + payload)
            except OSError:
                pass

    def handle(self):
        arguments, folder, key = [], None, None
        while True:
            kind, payload = read_frame(self.request)
            if kind is None:
                return
            if kind == b"K":
                key = payload.decode()
            elif kind == b"A":
                arguments = [a.decode() for a in payload.split(b"\0") if a]
            elif kind == b"D":
                folder = payload.decode()
            elif kind == b"R":
                break
        if not secrets.compare_digest(key or "", KEY) or not arguments:
            self.send(b"W", b"refused: wrong key or no program")
            return
        try:
            process = subprocess.Popen(
                arguments,
                cwd=folder if folder and os.path.isdir(folder) else None,
                stdin=subprocess.PIPE,
                stdout=subprocess.PIPE,
                stderr=subprocess.PIPE,
                start_new_session=True,
            )
        except OSError as error:
            self.send(b"W", str(error).encode())
            return
        pumps = [
            threading.Thread(target=self.pump, args=(process.stdout, b"O")),
            threading.Thread(target=self.pump, args=(process.stderr, b"F")),
        ]
        for pump in pumps:
            pump.start()
        threading.Thread(target=self.take_input, args=(process,), daemon=True).start()
        code = process.wait()
        for pump in pumps:
            pump.join()
        exit_text = "signal %d" % -code if code < 0 else str(code)
        self.send(b"X", exit_text.encode())

    def pump(self, stream, kind):
        while True:
            data = stream.read1(65536)
            if not data:
                return
            self.send(kind, data)

    def take_input(self, process):
        while True:
            kind, payload = read_frame(self.request)
            if kind is None:  # the client is gone: so is its program
                kill(process, signal.SIGKILL)
                return
            if kind == b"I" and process.stdin:
                try:
                    process.stdin.write(payload)
                    process.stdin.flush()
                except OSError:
                    pass
            elif kind == b"E" and process.stdin:
                process.stdin.close()
            elif kind == b"T":
                kill(process, signal.SIGTERM)


def kill(process, which):
    if process.poll() is not None:
        return
    try:
        os.killpg(process.pid, which)
    except OSError:
        pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    address_file, pid_file = sys.argv[1], sys.argv[2]
    server = Server(("127.0.0.1", 0), Connection)
    with open(pid_file, "w") as f:
        f.write("%d\n" % os.getpid())
    with open(address_file + ".new", "w") as f:
        f.write("%d %s\n" % (server.server_address[1], KEY))
    os.chmod(address_file + ".new", 0o600)
    os.replace(address_file + ".new", address_file)
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    server.serve_forever()


if __name__ == "__main__":
    main()
