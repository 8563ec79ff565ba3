"""Fault rules of the platform stand-in: failures it produces on purpose.

A rule is a JSON object with a "kind" and optional filters:
  "path"   the request path must end with it (leading "/" optional);
  "match"  the request body, as text, must contain it;
  "at"     n >= 1: fire only at the n-th request that passes the filters,
           counted from the moment the rule was set; without "at" the rule
           fires at every such request.
Kinds and their own members:
  "status"      answer with "status" (default 500) and "body" (text or JSON,
                default {"success": false, "error": "injected failure"});
                the request is not carried out
  "close"       read the request, close the connection without an answer;
                "reset": true closes with a TCP reset instead of a FIN
  "hang"        read the request and never answer (until the server stops, or
                for "ms" milliseconds, then close)
  "delay"       answer normally after "ms" milliseconds (default 1000)
  "refuse"      answer 200 with "body" (default {"success": false,
                "error": "refused"}, which has no "id") and create nothing;
                "path" defaults to restapi/guards/create-guard/
  "drop"        carry the request out (an object is created, say), then close
                the connection without the answer: a lost answer; "reset":
                true closes with a TCP reset
  "wrong-extid" create the object but answer with "answer" as its "extId"
                (default: the extId sent plus 1); "extId" limits the rule to
                the object sent with that extId; "path" defaults to
                restapi/objects/create-standalone/
Each rule keeps how many requests passed its filters ("seen") and how often it
fired ("fired").
"""
import json

DEFAULT_PATHS = {"refuse": "restapi/guards/create-guard/",
                 "wrong-extid": "restapi/objects/create-standalone/"}
EARLY_KINDS = ("status", "close", "hang")
_MEMBERS = {"status": {"status", "body"}, "close": {"reset"}, "hang": {"ms"},
            "delay": {"ms"}, "refuse": {"body"}, "wrong-extid": {"extId", "answer"},
            "drop": {"reset"}}
_COMMON = {"kind", "path", "match", "at", "seen", "fired"}


class BadRule(ValueError):
    """A fault rule that cannot be used."""


def _is_int(value):
    return isinstance(value, int) and not isinstance(value, bool)


def _body_text(body):
    return body if isinstance(body, str) else json.dumps(body, ensure_ascii=False)


def normalize(rule):
    """A checked copy of rule with its defaults filled in; raises BadRule."""
    if not isinstance(rule, dict):
        raise BadRule("a fault rule is a JSON object")
    kind = rule.get("kind")
    if kind not in _MEMBERS:
        raise BadRule("unknown fault kind %r" % (kind,))
    unknown = set(rule) - _COMMON - _MEMBERS[kind]
    if unknown:
        raise BadRule("unknown member(s) for %s: %s" % (kind, ", ".join(sorted(unknown))))
    checked = dict(rule)
    checked.setdefault("path", DEFAULT_PATHS.get(kind, ""))
    checked.setdefault("match", "")
    for key in ("path", "match"):
        if not isinstance(checked[key], str):
            raise BadRule("%s must be a text" % key)
    for key, low in (("at", 1), ("status", 100), ("ms", 0), ("extId", None), ("answer", None)):
        if key in checked and not (_is_int(checked[key]) and (low is None or checked[key] >= low)):
            raise BadRule("%s must be an integer%s" % (key, "" if low is None else " >= %d" % low))
    if kind == "status" and checked.get("status", 500) > 599:
        raise BadRule("status must lie in 100 to 599")
    if "reset" in checked and not isinstance(checked["reset"], bool):
        raise BadRule("reset must be true or false")
    if kind == "status":
        checked.setdefault("status", 500)
        checked["body"] = _body_text(checked.get("body", {"success": False, "error": "injected failure"}))
    if kind == "refuse":
        checked["body"] = _body_text(checked.get("body", {"success": False, "error": "refused"}))
    if kind == "delay":
        checked.setdefault("ms", 1000)
    checked.setdefault("seen", 0)
    checked.setdefault("fired", 0)
    return checked


def _passes(rule, path, body_text, document):
    wanted = rule["path"].lstrip("/")
    if wanted and not path.endswith("/" + wanted):
        return False
    if rule["match"] and rule["match"] not in body_text:
        return False
    if "extId" in rule:
        return isinstance(document, dict) and document.get("extId") == rule["extId"]
    return True


class Decision:
    """The rules that fire for one request: at most one early, one late, plus a delay."""

    def __init__(self):
        self.early = None  # status, close or hang: answered instead of the request
        self.late = None  # refuse or wrong-extid: shapes the platform's answer
        self.drop = None  # the request is carried out, its answer is lost
        self.delay_ms = 0


def decide(rules, path, body_text, document):
    """Counts the request against every rule and returns what fires. Updates the rules' counters."""
    decision = Decision()
    for rule in rules:
        if not _passes(rule, path, body_text, document):
            continue
        rule["seen"] += 1
        if "at" in rule and rule["at"] != rule["seen"]:
            continue
        kind = rule["kind"]
        if kind == "delay":
            decision.delay_ms = max(decision.delay_ms, rule["ms"])
        elif kind == "drop":
            if decision.drop is not None:
                continue
            decision.drop = rule
        elif kind in EARLY_KINDS:
            if decision.early is not None:
                continue
            decision.early = rule
        elif decision.late is not None:
            continue
        else:
            decision.late = rule
        rule["fired"] += 1
    return decision
