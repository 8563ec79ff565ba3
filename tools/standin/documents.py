"""Strict readers of the bodies the platform accepts: UTF-8 JSON and multipart/form-data.

Both raise Rejected with a short English reason when a body is not well formed;
the platform answers that with 400. Nothing here touches the state.
"""
import json


class Rejected(Exception):
    """A body that is not a well-formed document."""


def _no_duplicate_keys(pairs):
    seen = {}
    for key, value in pairs:
        if key in seen:
            raise Rejected("duplicate member %r" % key)
        seen[key] = value
    return seen


def _no_constants(name):
    raise Rejected("%s is not JSON" % name)


def _check_texts(value):
    # Escapes like \ud800 decode to lone surrogates, which are no characters at all.
    if isinstance(value, str):
        try:
            value.encode("utf-8")
        except UnicodeEncodeError:
            raise Rejected("a text holds a lone surrogate escape") from None
    elif isinstance(value, dict):
        for key, item in value.items():
            _check_texts(key)
            _check_texts(item)
    elif isinstance(value, list):
        for item in value:
            _check_texts(item)


def parse_json(data):
    """The value of a UTF-8 JSON text (RFC 8259): no BOM, NaN, Infinity or duplicate members."""
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        raise Rejected("body is not UTF-8") from None
    if text.startswith("\ufeff"):
        raise Rejected("body starts with a byte order mark")
    try:
        value = json.loads(text, object_pairs_hook=_no_duplicate_keys,
                           parse_constant=_no_constants)
    except json.JSONDecodeError as error:
        raise Rejected("body is not JSON: %s" % error) from None
    _check_texts(value)
    return value


def media_type(header_value):
    """(lower-cased media type, {parameter: value}) of a Content-Type value."""
    if header_value is None:
        return "", {}
    pieces = _split_outside_quotes(header_value)
    params = {}
    for piece in pieces[1:]:
        name, eq, value = piece.partition("=")
        if not eq:
            raise Rejected("malformed Content-Type parameter")
        params[name.strip().lower()] = _unquote(value.strip())
    return pieces[0].strip().lower(), params


def _split_outside_quotes(text):
    pieces, current, quoted = [], [], False
    for char in text:
        if char == '"':
            quoted = not quoted
        if char == ";" and not quoted:
            pieces.append("".join(current))
            current = []
        else:
            current.append(char)
    if quoted:
        raise Rejected("unbalanced double quote in a header value")
    pieces.append("".join(current))
    return pieces


def _unquote(value):
    if len(value) >= 2 and value[0] == '"' and value[-1] == '"':
        return value[1:-1]
    if '"' in value:
        raise Rejected("stray double quote in a header value")
    return value


class Part:
    """One part of a multipart body. filename is the raw bytes of the parameter, or None."""

    def __init__(self, name, filename, content_type, content):
        self.name = name
        self.filename = filename
        self.content_type = content_type
        self.content = content


def _parse_part(raw):
    head, separator, content = raw.partition(b"\r\n\r\n")
    if not separator:
        raise Rejected("part without an empty line after its headers")
    disposition = content_type = None
    for line in head.split(b"\r\n"):
        name, colon, value = line.partition(b":")
        if not colon:
            raise Rejected("malformed part header line")
        key = name.strip().lower()
        if key == b"content-disposition":
            disposition = value.strip().decode("latin-1")
        elif key == b"content-type":
            content_type = value.strip().decode("latin-1")
        else:
            raise Rejected("unexpected part header %r" % name.decode("latin-1"))
    if disposition is None:
        raise Rejected("part without Content-Disposition")
    kind, params = media_type(disposition)
    if kind != "form-data" or not params.get("name"):
        raise Rejected("part is not form-data with a name")
    filename = params.get("filename")
    return Part(params["name"], None if filename is None else filename.encode("latin-1"),
                content_type, content)


def parse_multipart(data, boundary):
    """The parts of a multipart/form-data body (RFC 7578), in order; no preamble, no epilogue."""
    if not boundary or len(boundary) > 70:
        raise Rejected("missing or overlong boundary")
    delimiter = b"--" + boundary.encode("latin-1")
    if not data.startswith(delimiter + b"\r\n"):
        raise Rejected("body does not start with the boundary line")
    parts = []
    position = len(delimiter) + 2
    while True:
        end = data.find(b"\r\n" + delimiter, position)
        if end < 0:
            raise Rejected("closing boundary missing")
        parts.append(_parse_part(data[position:end]))
        position = end + 2 + len(delimiter)
        tail = data[position:position + 2]
        if tail == b"--":
            if data[position + 2:] not in (b"", b"\r\n"):
                raise Rejected("bytes after the closing boundary")
            return parts
        if tail != b"\r\n":
            raise Rejected("boundary line not ended by CR LF")
        position += 2
