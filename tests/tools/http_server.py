#!/usr/bin/env python3
"""The tests' web server, on 127.0.0.1 only: http_server.py PORT_FILE [CERT KEY]

Writes "HTTP_PORT HTTPS_PORT CLOSED_PORT" to PORT_FILE once it listens (the
HTTPS server only with a certificate; CLOSED_PORT is bound but does not
listen, so connecting to it is refused) and serves until killed.

  /hello          "hello world"
  /slow           "first part", then after a second " and the rest"
  /auth           the Authorization header as received
  /stall          a few bytes, then nothing for a minute
  /big?n=BYTES    BYTES bytes of "x"
  POST /echo      the request body
  /upgrade/upgrade_check/CODE?...   the upgrade server: "Ok" for CODE "current",
                  for "hostile" an installer named ../../x.run, else 126_game.run
  /files/NAME     an installer: a shell script that appends "ran NAME" to the
                  file named by $TARN_TEST_INSTALLER_LOG
"""
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlparse


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def answer(self, body, length=None):
        self.send_response(200)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def do_GET(self):
        url = urlparse(self.path)
        if url.path == "/hello":
            self.answer(b"hello world")
        elif url.path == "/slow":
            self.answer(b"first part", len(b"first part and the rest"))
            time.sleep(1.0)
            self.wfile.write(b" and the rest")
        elif url.path == "/auth":
            self.answer(self.headers.get("Authorization", "none").encode())
        elif url.path == "/agent":
            self.answer(self.headers.get("User-Agent", "none").encode())
        elif url.path == "/stall":
            self.answer(b"wait", 1000)
            time.sleep(60)
        elif url.path.startswith("/upgrade/upgrade_check/"):
            code = url.path.rsplit("/", 1)[1]
            base = "http://127.0.0.1:%d/files/" % self.server.server_address[1]
            if code == "current":
                self.answer(b"Ok")
            elif code == "hostile":
                self.answer((base + "..%2F..%2Fx.run/../../x.run").encode())
            else:
                self.answer((base + "126_game.run").encode())
        elif url.path.startswith("/files/") or url.path.endswith(".run"):
            name = url.path.rsplit("/", 1)[1]
            self.answer(('#!/bin/sh\necho "ran %s" >> "$TARN_TEST_INSTALLER_LOG"\n' % name).encode())
        elif url.path == "/big":
            n = int(parse_qs(url.query).get("n", ["0"])[0])
            self.answer(b"x" * n)
        else:
            self.send_error(404)

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        self.answer(body)


def serve(server):
    threading.Thread(target=server.serve_forever, daemon=True).start()


def main():
    ThreadingHTTPServer.daemon_threads = True
    plain = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    serve(plain)
    secure_port = 0
    if len(sys.argv) == 4:
        secure = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[2], sys.argv[3])
        secure.socket = context.wrap_socket(secure.socket, server_side=True)
        serve(secure)
        secure_port = secure.server_address[1]
    # Bound but never listening: connections are refused, and no other
    # server of a parallel test can take the port meanwhile.
    closed = socket.socket()
    closed.bind(("127.0.0.1", 0))
    closed_port = closed.getsockname()[1]
    with open(sys.argv[1] + ".tmp", "w") as f:
        f.write("%d %d %d\n" % (plain.server_address[1], secure_port, closed_port))
    import os
    os.rename(sys.argv[1] + ".tmp", sys.argv[1])
    while True:
        time.sleep(3600)


if __name__ == "__main__":
    main()
