#!/usr/bin/env python3
"""An independent HTTP peer for the client's tests, on the standard library's
HTTP server: it listens on 127.0.0.1 at a port the system chooses, prints
that port on its first output line and answers POSTs by path:

  /echo/...     200: the request line, each header as parsed ("Name: value"),
                an empty line, then the body exactly as received
  /chunked/...  200 in chunks: the body, then " (chunked)"
  /close/...    200 without length, ended by closing: the body reversed
  /error/...    500 with a JSON body
  /cookie/...   200, setting a cookie with a path; /cookie/check/ echoes it
  /big/...      200 with 3 MiB of a repeating pattern
"""
import http.server
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def reply(self, status, body, headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        path = self.path
        if path.startswith("/echo/") or path.startswith("/cookie/check/"):
            head = self.requestline + "\n"
            head += "".join("%s: %s\n" % (k, v) for k, v in self.headers.items())
            self.reply(200, head.encode("latin-1") + b"\n" + body,
                       [("Content-Type", "text/plain")])
        elif path.startswith("/chunked/"):
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for part in (body, b" (chunked)"):
                if part:
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(part), part))
            self.wfile.write(b"0\r\n\r\n")
        elif path.startswith("/close/"):
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body[::-1])
            self.close_connection = True
        elif path.startswith("/error/"):
            self.reply(500, b'{"error":"no such object"}', [("Content-Type", "application/json")])
        elif path.startswith("/cookie/"):
            self.reply(200, b"", [("Set-Cookie", "sid=42; Path=/cookie")])
        elif path.startswith("/big/"):
            self.reply(200, bytes(range(256)) * (3 * 4096))
        else:
            self.reply(404, b"not found")


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    server.server_close()


if __name__ == "__main__":
    sys.exit(main())
