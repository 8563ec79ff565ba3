"""TCP side of the stand-in: accepts connections, one request each, and carries out outcomes.

Each connection runs on a thread of its own, so a request held by a "hang" or
"delay" fault does not hold up the others. serve() runs until SIGTERM or
SIGINT and then returns; held requests are released and closed, and a request
that is being carried out finishes its writes first, so the state file and the
journal are never left half written.
"""
import signal
import socket
import socketserver
import ssl
import struct
import sys
import threading
import traceback

from . import app, wire

READ_TIMEOUT_S = 30


def tls_context(cert_file, key_file):
    """A server context for https: the certificate chain and key from PEM files, TLS 1.2 or newer."""
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    try:
        context.load_cert_chain(cert_file, key_file)
    except (ssl.SSLError, OSError) as error:
        raise OSError("cannot load %s / %s: %s" % (cert_file, key_file, error)) from None
    return context


class _Handler(socketserver.StreamRequestHandler):
    def setup(self):
        # The handshake runs on the connection's own thread, never in the accept loop.
        self.handshake_failed = False
        if self.server.tls is not None:
            self.request.settimeout(READ_TIMEOUT_S)
            try:
                self.request = self.server.tls.wrap_socket(self.request, server_side=True)
            except (ssl.SSLError, OSError) as error:
                self.handshake_failed = True
                if self.server.verbose:
                    print("TLS handshake failed: %s" % error, file=sys.stderr, flush=True)
                return
        super().setup()

    def finish(self):
        if self.handshake_failed:
            return
        super().finish()
        if self.server.tls is not None:
            try:
                self.request.close()
            except OSError:
                pass

    def handle(self):
        if self.handshake_failed:
            return
        self.request.settimeout(READ_TIMEOUT_S)
        platform = self.server.platform
        try:
            request = wire.read_request(self.rfile)
        except wire.BadRequest as error:
            self._answer(app.json_outcome(error.status, {"success": False, "error": error.message}))
            self._drain()
            return
        except OSError:
            return
        if request is None:
            return
        try:
            outcome = platform.handle(request)
        except Exception as error:  # a fault of the stand-in itself: say so, do not hang the client
            traceback.print_exc(file=sys.stderr)
            outcome = app.json_outcome(500, {"success": False, "error": "stand-in failure: %s" % error})
        if self.server.verbose:
            print("%s %s -> %s" % (request.method, request.target, outcome.status or outcome.action),
                  file=sys.stderr, flush=True)
        if outcome.delay_ms and self.server.stopping.wait(outcome.delay_ms / 1000.0):
            return
        if outcome.action == "hang":
            self.server.stopping.wait(None if outcome.hang_ms is None else outcome.hang_ms / 1000.0)
        elif outcome.action == "close":
            if outcome.reset:
                self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.request.close()
        else:
            self._answer(outcome)

    def _drain(self):
        # Unread request bytes would turn our close into a reset that can destroy the answer.
        try:
            self.request.shutdown(socket.SHUT_WR)
            self.request.settimeout(0.5)
            while self.request.recv(65536):
                pass
        except OSError:
            pass

    def _answer(self, outcome):
        try:
            wire.write_answer(self.wfile, outcome.status, outcome.body, app.JSON_TYPE, outcome.headers)
        except OSError:
            pass


class _Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    request_queue_size = 64
    daemon_threads = True
    block_on_close = False


def serve(platform, host, port, on_listening, verbose=False, tls=None):
    """Serves until SIGTERM or SIGINT; on_listening(port) is called once the socket listens.

    With tls (an ssl.SSLContext) every connection is https."""
    try:
        server = _Server((host, port), _Handler)
    except OSError as error:
        raise OSError("cannot listen on %s:%d: %s" % (host, port, error.strerror or error)) from None
    server.platform = platform
    server.verbose = verbose
    server.tls = tls
    server.stopping = threading.Event()

    def stop(signum, frame):
        server.stopping.set()
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    try:
        on_listening(server.server_address[1])
        server.serve_forever(poll_interval=0.1)
    finally:
        server.stopping.set()
        server.server_close()
        platform.close()
