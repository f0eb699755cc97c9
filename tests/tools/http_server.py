#!/usr/bin/env python3
"""A web server for the download tests, on an ephemeral loopback port.

    http_server.py ROOT STATE [IDLE_SECONDS]

Serves the files in ROOT. When it listens it writes its port into STATE/port (whole, through a
rename) and appends one line per request to STATE/requests.log: "METHOD PATH RANGE" (RANGE "-"
when the request had none). It ends on GET /quit, or after IDLE_SECONDS (default 120) without a
request, so that a test that died leaves nothing running.

The first part of a path chooses how the file named by the rest is served:
  /files/NAME            as it is, honouring a Range request (206)
  /norange/NAME          as it is, ignoring any Range (200, whole file)
  /drop/NAME             the first request is cut off halfway; later ones as /files
  /drop-norange/NAME     the first request is cut off halfway; later ones as /norange
  /stall/NAME            half of it, then nothing until the server ends
  /slow/NAME             in pieces of 16 KiB, 20 ms apart
  /fail-once/CODE/NAME   the first request answers CODE; later ones as /files
  /status/CODE           always CODE
  /redirect/REST         302 to /REST
"""
import http.server
import os
import re
import sys
import threading
import time

ROOT, STATE = sys.argv[1], sys.argv[2]
IDLE_SECONDS = float(sys.argv[3]) if len(sys.argv) > 3 else 120.0
seen_paths = set()
seen_lock = threading.Lock()
last_request = [time.monotonic()]
stopping = threading.Event()


def first_time(path):
    with seen_lock:
        if path in seen_paths:
            return False
        seen_paths.add(path)
        return True


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        last_request[0] = time.monotonic()
        range_header = self.headers.get("Range")
        with open(os.path.join(STATE, "requests.log"), "a") as log:
            log.write("%s %s %s\n" % (self.command, self.path, range_header or "-"))
        parts = self.path.lstrip("/").split("/", 1)
        kind, rest = parts[0], parts[1] if len(parts) > 1 else ""
        if kind == "quit":
            self.answer_status(200)
            stopping.set()
        elif kind == "status":
            self.answer_status(int(rest))
        elif kind == "redirect":
            self.send_response(302)
            self.send_header("Location", "/" + rest)
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif kind == "fail-once":
            code, name = rest.split("/", 1)
            if first_time(self.path):
                self.answer_status(int(code))
            else:
                self.send_file(name, range_header)
        elif kind in ("drop", "drop-norange"):
            honour = kind == "drop"
            if first_time(self.path):
                self.send_file(rest, None, cut=True)
            else:
                self.send_file(rest, range_header if honour else None)
        elif kind == "stall":
            self.send_file(rest, None, stall=True)
        elif kind == "slow":
            self.send_file(rest, range_header, slow=True)
        elif kind == "files":
            self.send_file(rest, range_header)
        elif kind == "norange":
            self.send_file(rest, None)
        else:
            self.answer_status(404)

    def answer_status(self, code):
        body = ("status %d\n" % code).encode()
        self.send_response(code)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_file(self, name, range_header, cut=False, stall=False, slow=False):
        path = os.path.join(ROOT, name)
        if not os.path.isfile(path):
            self.answer_status(404)
            return
        size = os.path.getsize(path)
        start = 0
        match = re.fullmatch(r"bytes=(\d+)-", range_header or "")
        if match and int(match.group(1)) < size:
            start = int(match.group(1))
            self.send_response(206)
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))
        else:
            self.send_response(200)
        self.send_header("Content-Length", str(size - start))
        self.send_header("Content-Type", "application/octet-stream")
        self.end_headers()
        with open(path, "rb") as f:
            if cut or stall:
                half = (size - start) // 2
                f.seek(start)
                self.wfile.write(f.read(half))
                self.wfile.flush()
                if stall:
                    stopping.wait(IDLE_SECONDS)
                self.close_connection = True
                return
            if slow:
                f.seek(start)
                while True:
                    piece = f.read(16384)
                    if not piece or stopping.is_set():
                        break
                    self.wfile.write(piece)
                    self.wfile.flush()
                    time.sleep(0.02)
                return
            self.wfile.flush()
            self.connection.sendfile(f, start, size - start)


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    port_file = os.path.join(STATE, "port")
    with open(port_file + ".new", "w") as f:
        f.write(str(server.server_address[1]))
    os.rename(port_file + ".new", port_file)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    while not stopping.wait(1.0):
        if time.monotonic() - last_request[0] > IDLE_SECONDS:
            break
    server.shutdown()


if __name__ == "__main__":
    main()
