"""HTTP on the wire for the platform stand-in: one request in, one answer out.

read_request() reads a request strictly (CR LF line ends, a Content-Length body,
no chunked bodies) and raises BadRequest with the status to answer when the
bytes are not a request we accept. write_answer() sends a complete answer;
every connection carries one exchange and is closed after it.
"""
import http
import re

MAX_LINE = 16384
MAX_HEADERS = 100
MAX_BODY = 64 * 1024 * 1024

_REQUEST_LINE = re.compile(rb"([A-Z]+) (\S+) HTTP/(\d)\.(\d)")
_TOKEN = re.compile(rb"[!#$%&'*+\-.^_`|~0-9A-Za-z]+")


class BadRequest(Exception):
    """The bytes received are not a request the stand-in accepts."""

    def __init__(self, status, message):
        super().__init__(message)
        self.status = status
        self.message = message


class Request:
    """One request as received. Header names and values keep their bytes (latin-1)."""

    def __init__(self, method, target, version, headers, body):
        self.method = method
        self.target = target
        self.path = target.split("?", 1)[0].split("#", 1)[0]
        self.version = version
        self.headers = headers
        self.body = body

    def header(self, name):
        """First value of the header called name (letter case ignored), or None."""
        wanted = name.lower()
        for key, value in self.headers:
            if key.lower() == wanted:
                return value
        return None


def _read_line(rfile):
    line = rfile.readline(MAX_LINE + 2)
    if not line:
        return None
    if not line.endswith(b"\r\n"):
        if len(line) > MAX_LINE:
            raise BadRequest(431, "line too long")
        raise BadRequest(400, "line not ended by CR LF")
    return line[:-2]


def _read_headers(rfile):
    headers = []
    while True:
        line = _read_line(rfile)
        if line is None:
            raise BadRequest(400, "connection closed inside the header block")
        if line == b"":
            return headers
        if line[:1] in (b" ", b"\t"):
            if not headers:
                raise BadRequest(400, "continuation line before any header")
            name, value = headers[-1]
            headers[-1] = (name, value + " " + line.strip(b" \t").decode("latin-1"))
            continue
        name, colon, value = line.partition(b":")
        if not colon or not _TOKEN.fullmatch(name):
            raise BadRequest(400, "malformed header line")
        headers.append((name.decode("latin-1"), value.strip(b" \t").decode("latin-1")))
        if len(headers) > MAX_HEADERS:
            raise BadRequest(431, "too many header lines")


def _body_length(headers):
    values = {value for key, value in headers if key.lower() == "content-length"}
    if not values:
        return None
    if len(values) > 1:
        raise BadRequest(400, "conflicting Content-Length headers")
    text = values.pop()
    if not text.isascii() or not text.isdigit():
        raise BadRequest(400, "Content-Length is not a decimal number")
    length = int(text)
    if length > MAX_BODY:
        raise BadRequest(413, "body too large")
    return length


def read_request(rfile):
    """Reads one request; None when the peer closed before sending a byte."""
    line = _read_line(rfile)
    if line is None:
        return None
    match = _REQUEST_LINE.fullmatch(line)
    if not match:
        raise BadRequest(400, "malformed request line")
    method, target, major, minor = match.groups()
    version = "HTTP/%s.%s" % (major.decode(), minor.decode())
    if version not in ("HTTP/1.0", "HTTP/1.1"):
        raise BadRequest(505, "HTTP version not supported")
    headers = _read_headers(rfile)
    if any(key.lower() == "transfer-encoding" for key, _ in headers):
        raise BadRequest(501, "Transfer-Encoding is not supported")
    length = _body_length(headers)
    if length is None:
        if method == b"POST":
            raise BadRequest(411, "POST without Content-Length")
        length = 0
    body = rfile.read(length) if length else b""
    if len(body) != length:
        raise BadRequest(400, "body shorter than its Content-Length")
    return Request(method.decode(), target.decode("latin-1"), version, headers, body)


def reason_phrase(status):
    try:
        return http.HTTPStatus(status).phrase
    except ValueError:
        return "Status %d" % status


def write_answer(wfile, status, body, content_type, extra_headers=()):
    """Sends the status line, the headers and the body, all in one write."""
    lines = ["HTTP/1.0 %d %s" % (status, reason_phrase(status)),
             "Content-Type: " + content_type,
             "Content-Length: %d" % len(body),
             "Connection: close"]
    lines.extend("%s: %s" % pair for pair in extra_headers)
    head = ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")
    wfile.write(head + body)
    wfile.flush()
