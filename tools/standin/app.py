"""What the stand-in does with one request: platform requests and control requests.

Platform.handle() turns a wire.Request into an Outcome (answer, close or hang,
possibly after a delay); the socket side carries the outcome out. Platform
requests are counted, checked against the fault rules, authenticated, carried
out and journalled; control requests (paths under /_control/) are neither
counted nor journalled and need no authentication.
"""
import base64
import binascii
import json

from . import endpoints, faults
from .documents import Rejected, media_type, parse_json, parse_multipart

CONTROL_PREFIX = "/_control/"
JSON_TYPE = "application/json; charset=utf-8"


class Outcome:
    """How to meet one request. action is "answer", "close" or "hang"."""

    def __init__(self, status=200, body=b"", headers=(), action="answer"):
        self.status = status
        self.body = body
        self.headers = list(headers)
        self.action = action
        self.delay_ms = 0
        self.hang_ms = None
        self.reset = False


def json_outcome(status, value, headers=()):
    return Outcome(status, json.dumps(value, ensure_ascii=False).encode("utf-8"), headers)


def _error(status, message, headers=()):
    return json_outcome(status, {"success": False, "error": message}, headers)


def _early_outcome(rule):
    kind = rule["kind"]
    if kind == "status":
        return Outcome(rule["status"], rule["body"].encode("utf-8"))
    outcome = Outcome(status=None, action=kind)
    outcome.reset = rule.get("reset", False)
    outcome.hang_ms = rule.get("ms")
    return outcome


class Platform:
    def __init__(self, store, user, password, cookie=None, stable_ids=False):
        self.store = store
        self.cookie = cookie
        self.stable_ids = stable_ids
        self._credentials = set()
        pair = "%s:%s" % (user, password)
        for encoding in ("cp1251", "utf-8"):
            try:
                self._credentials.add(pair.encode(encoding))
            except UnicodeEncodeError:
                pass

    def close(self):
        """Lets a request in progress finish its state and journal writes; later ones wait for ever."""
        self.store.close()

    def handle(self, request):
        if request.path.startswith(CONTROL_PREFIX):
            return self._control(request)
        return self._platform(request)

    def _authorized(self, request):
        scheme, _, token = (request.header("Authorization") or "").partition(" ")
        if scheme.lower() != "basic":
            return False
        try:
            return base64.b64decode(token.strip(), validate=True) in self._credentials
        except (binascii.Error, ValueError):
            return False

    def _platform(self, request):
        try:
            document, reason = parse_json(request.body), None
        except Rejected as error:
            document, reason = None, str(error)
        try:
            text, is_utf8 = request.body.decode("utf-8"), True
        except UnicodeDecodeError:
            text, is_utf8 = request.body.decode("utf-8", errors="replace"), False
        with self.store.change() as state:
            state["requests"] += 1
            decision = faults.decide(state["faults"], request.path, text, document)
            if decision.early is not None:
                outcome = _early_outcome(decision.early)
            else:
                outcome = self._carry_out(state, request, document, reason, decision.late)
                if self.cookie:
                    outcome.headers.append(("Set-Cookie", self.cookie))
                if decision.drop is not None:
                    outcome.action = "close"
                    outcome.reset = decision.drop.get("reset", False)
            outcome.delay_ms = decision.delay_ms
            fired = decision.early or decision.drop or decision.late
            record = {"seq": state["requests"], "method": request.method,
                      "target": request.target, "version": request.version,
                      "headers": [list(pair) for pair in request.headers],
                      "body": text, "body_utf8": is_utf8, "status": outcome.status,
                      "answer": outcome.body.decode("utf-8", errors="replace") if outcome.action == "answer" else None,
                      "fault": fired["kind"] if fired else ("delay" if decision.delay_ms else None)}
            if not is_utf8:
                record["body_base64"] = base64.b64encode(request.body).decode("ascii")
            self.store.append_journal(record)
        return outcome

    def _carry_out(self, state, request, document, json_reason, late_rule):
        if not self._authorized(request):
            return _error(401, "authentication required", [("WWW-Authenticate", 'Basic realm="Marivon"')])
        endpoint = endpoints.route(request.path)
        if endpoint is None:
            return _error(404, "no such endpoint")
        if request.method != "POST":
            return _error(405, "only POST is served here", [("Allow", "POST")])
        try:
            kind, params = media_type(request.header("Content-Type"))
            if endpoint == endpoints.UPLOAD_PICTURE:
                if kind != "multipart/form-data":
                    return _error(415, "multipart/form-data expected")
                document = parse_multipart(request.body, params.get("boundary"))
            elif kind != "application/json":
                return _error(415, "application/json expected")
            elif json_reason is not None:
                raise Rejected(json_reason)
            if late_rule is not None and late_rule["kind"] == "refuse":
                return Outcome(200, late_rule["body"].encode("utf-8"))
            context = endpoints.Context(state, late_rule, self.store, self.stable_ids)
            return json_outcome(200, endpoints.HANDLERS[endpoint](context, document))
        except Rejected as error:
            return _error(400, str(error))
        except endpoints.NotFound as error:
            return _error(404, str(error))

    def _control(self, request):
        if request.method not in ("GET", "POST"):
            return _error(405, "GET or POST", [("Allow", "GET, POST")])
        action = request.path[len(CONTROL_PREFIX):].strip("/")
        if action == "state":
            return json_outcome(200, self.store.snapshot())
        if action == "journal":
            return json_outcome(200, self.store.journal())
        if action == "journal/clear":
            self.store.clear_journal()
            return json_outcome(200, {"success": True})
        if action == "reset":
            self.store.reset()
            return json_outcome(200, {"success": True})
        if action == "faults":
            return json_outcome(200, self.store.snapshot()["faults"])
        if action == "faults/clear":
            return json_outcome(200, set_faults(self.store, [], replace=True))
        if action == "fail":
            try:
                value = parse_json(request.body)
                return json_outcome(200, set_faults(self.store, value if isinstance(value, list) else [value]))
            except (Rejected, faults.BadRule) as error:
                return _error(400, str(error))
        return _error(404, "no such control path")


def set_faults(store, rules, replace=False):
    """Adds rules (or puts them in place of the present ones); returns the rules now in force."""
    checked = [faults.normalize(rule) for rule in rules]
    with store.change() as state:
        state["faults"] = checked if replace else state["faults"] + checked
        return list(state["faults"])
