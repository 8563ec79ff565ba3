#!/usr/bin/env python3
"""Stand-in of the Marivon platform for tests and demos (Python 3 standard library only).

Serving
  marivon_standin.py [serve] --state FILE [--port N] [--host 127.0.0.1]
                     [--user root] [--password larkspur] [--port-file F]
                     [--cookie "NAME=VALUE; Path=/"] [--stable-ids] [--reset]
                     [--verbose] [--tls-cert PEM --tls-key PEM] [fault options]
  Listens on host:port (port 0, the default, picks a free port; --port-file
  receives it), prints "listening on HOST:PORT" on stdout and serves until
  SIGTERM or SIGINT (exit status 0). --reset starts from an empty state.
  --cookie adds that Set-Cookie line to every platform answer.
  --tls-cert and --tls-key (PEM files, both or neither) serve https instead
  of http: every connection starts with a TLS handshake (TLS 1.2 or newer);
  a client that fails it reaches nothing and is not journalled.
  --stable-ids gives objects and pictures ids that do not depend on the order
  in which requests arrive (described after the answers below).

  Every connection carries one request and is closed after the answer
  ("Connection: close"); HTTP/1.0 and HTTP/1.1 request lines are accepted.
  Platform requests are POSTs to a path ending in one of the endpoints below
  (any base path before it). Each needs Basic authorization with the account
  (401 otherwise); JSON endpoints need Content-Type application/json (415) and
  a body of strict UTF-8 JSON (400: not UTF-8, a BOM, NaN, duplicate members,
  missing or mistyped members); the upload needs a strict multipart/form-data
  body with the fields file (with a file name), objectId and caption. Ids the
  platform does not know give 404. Answers are UTF-8 JSON with "id" first:
    restapi/objs-groups/search/          {"success": true, "total": n, "data": [groups whose name contains "q"]}
    restapi/objs-groups/create/          {"id": 100, "name": ..., "groupType": 1, "parentId": null}
    restapi/guards/create-guard-group/   {"id": 200, "name": ..., "parentId": null}
    restapi/guards/create-guard/         {"id": 300, "name": ..., "login": ..., "guardGroupsId": 200}
                                         a taken login: {"success": false, "error": ...} (no id)
    restapi/objects/create-standalone/   {"id": 1000, "extId": <as sent>, "name": ..., "objsGroupsIds": [...]}
    restapi/objects/obj-card-save/       {"success": true, "id": <object id>}
    restapi/objects/obj-add-guards/      {"success": true, "objectId": ..., "guardIds": [...]}
    restapi/pictures/upload/             {"success": true, "id": 5000, "objectId": ..., "fileName": ..., "size": n}
  Ids count up per kind from the first numbers shown. With --stable-ids an
  object's id follows from its create document and a picture's from its
  object id and the number of pictures the object had (numbers from 100000
  up, below 2^31), so objects sent side by side get the ids they would get
  one after another; only an object whose document equals an earlier one's
  takes the next free number.

State
  FILE (JSON) holds the groups, guard groups, guards, objects (with "card",
  "persons", "guardIds", "pictures"), pictures, fault rules and the request
  counter; it survives restarts, so a second run finds its objects group. It
  is rewritten after every request: made for test-sized runs (some hundred
  requests a second), not as a benchmark responder.
  FILE.journal holds one JSON line per platform request, in arrival order:
  {"seq" (number of the request since the last reset), "method", "target", "version", "headers": [[name, value], ...],
   "body" (text; "body_base64" holds the exact bytes when "body_utf8" is false),
   "status" (null when closed or held), "answer", "fault"}.
  FILE.pictures/ holds the uploaded files as <picture id>.png|.jpg|.bin.

Control, while serving (no authorization; GET or POST; not journalled):
  /_control/reset           forget everything (state, faults, journal, pictures)
  /_control/state           the state        /_control/journal        the journal as a JSON array
  /_control/journal/clear   empty the journal
  /_control/fail            body: one fault rule or an array of them, added
  /_control/faults          the rules in force    /_control/faults/clear   remove them
Control from the shell (works with or without a running server on FILE):
  marivon_standin.py reset   --state FILE
  marivon_standin.py state   --state FILE
  marivon_standin.py journal --state FILE [--format json|lines|accepted] [--clear]
      lines: "METHOD TARGET BODY" per request; BODY is "base64:..." when the
      body is not UTF-8 or holds a line break; accepted: the same lines for
      the requests the platform carried out (answered 2xx, or carried out and
      its answer dropped), searches left out
  marivon_standin.py fail    --state FILE [fault options] [--clear]

Fault options ("fail" adds them to the rules in force; given to serve, they
replace the rules kept in FILE, which otherwise stay in force across restarts):
  --fault JSON           a rule as described in standin/faults.py, e.g.
                         '{"kind": "status", "path": "restapi/objects/create-standalone/", "at": 2}'
  --fail-at N            answer the N-th request with --fail-status (500) and --fail-body
  --close-at N           close the N-th request's connection without an answer
  --hang-at N            never answer the N-th request
  --delay-ms MS          answer every request MS ms late (only the N-th with --delay-at N)
  --path P               count only requests to P for the four options above
  --refuse-guard N       answer the N-th create-guard with {"success": false, ...} (no id)
  --wrong-extid EXTID    answer the create-standalone of object EXTID with extId EXTID+1
  N counts the requests that match, from the moment the rule is set.

Fault rules (JSON objects; standin/faults.py has the details):
  {"kind": K, "path": P, "match": TEXT, "at": N, ...}   path/match/at optional
  K = "status" (+ "status", "body") | "close" (+ "reset": true for a TCP reset)
    | "hang" (+ "ms") | "delay" (+ "ms") | "refuse" (+ "body"; path defaults
    to restapi/guards/create-guard/) | "wrong-extid" (+ "extId", "answer";
    path defaults to restapi/objects/create-standalone/) | "drop" (+ "reset")
  status, close and hang stand in for the request (nothing is carried out);
  drop carries the request out and then closes without the answer;
  refuse answers 200 without an id and creates nothing; wrong-extid creates
  the object and answers another extId; delay only slows the answer.
"""
import argparse
import base64
import json
import os
import sys

from standin import app, server
from standin.faults import BadRule
from standin.store import StateError, Store

SUBCOMMANDS = ("serve", "reset", "state", "journal", "fail")


def _fault_options(parser):
    group = parser.add_argument_group("fault options")
    group.add_argument("--fault", action="append", default=[], metavar="JSON")
    group.add_argument("--fail-at", type=int, metavar="N")
    group.add_argument("--fail-status", type=int, default=500)
    group.add_argument("--fail-body")
    group.add_argument("--close-at", type=int, metavar="N")
    group.add_argument("--hang-at", type=int, metavar="N")
    group.add_argument("--delay-ms", type=int, metavar="MS")
    group.add_argument("--delay-at", type=int, metavar="N")
    group.add_argument("--path", default="")
    group.add_argument("--refuse-guard", type=int, metavar="N")
    group.add_argument("--wrong-extid", type=int, metavar="EXTID")


def _rules_from(options):
    rules = []
    for text in options.fault:
        try:
            rules.append(json.loads(text))
        except ValueError as error:
            raise BadRule("--fault %s: %s" % (text, error))

    def counted(kind, at, **members):
        rule = {"kind": kind, "path": options.path, **members}
        if at is not None:
            rule["at"] = at
        rules.append(rule)

    if options.fail_at is not None:
        body = {} if options.fail_body is None else {"body": options.fail_body}
        counted("status", options.fail_at, status=options.fail_status, **body)
    if options.close_at is not None:
        counted("close", options.close_at)
    if options.hang_at is not None:
        counted("hang", options.hang_at)
    if options.delay_ms is not None:
        counted("delay", options.delay_at, ms=options.delay_ms)
    if options.refuse_guard is not None:
        rules.append({"kind": "refuse", "at": options.refuse_guard})
    if options.wrong_extid is not None:
        rules.append({"kind": "wrong-extid", "extId": options.wrong_extid})
    return rules


def _parser(command):
    parser = argparse.ArgumentParser(prog="marivon_standin.py " + command, description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--state", required=True, metavar="FILE")
    if command == "serve":
        parser.add_argument("--port", type=int, default=0)
        parser.add_argument("--host", default="127.0.0.1")
        parser.add_argument("--user", default="root")
        parser.add_argument("--password", default="larkspur")
        parser.add_argument("--port-file")
        parser.add_argument("--cookie")
        parser.add_argument("--stable-ids", action="store_true")
        parser.add_argument("--reset", action="store_true")
        parser.add_argument("--verbose", action="store_true")
        parser.add_argument("--tls-cert", metavar="PEM")
        parser.add_argument("--tls-key", metavar="PEM")
    if command in ("serve", "fail"):
        _fault_options(parser)
    if command == "fail":
        parser.add_argument("--clear", action="store_true", help="remove the rules in force first")
    if command == "journal":
        parser.add_argument("--format", choices=("json", "lines", "accepted"), default="json")
        parser.add_argument("--clear", action="store_true", help="empty the journal after printing it")
    return parser


def _carried_out(record):
    """A request that changed the platform: carried out, a search is not counted."""
    if record["target"].endswith("/search/"):
        return False
    if record["fault"] in ("status", "close", "hang", "refuse"):
        return False
    return record["status"] is not None and 200 <= record["status"] < 300


def _journal_line(record):
    body = record["body"]
    if not record["body_utf8"] or "\r" in body or "\n" in body:
        raw = base64.b64decode(record["body_base64"]) if "body_base64" in record else body.encode("utf-8")
        body = "base64:" + base64.b64encode(raw).decode("ascii")
    return "%s %s %s" % (record["method"], record["target"], body)


def _write_port_file(path, port):
    temporary = path + ".tmp"
    with open(temporary, "w") as file:
        file.write("%d\n" % port)
    os.replace(temporary, path)


def _serve(options, store):
    if options.reset:
        store.reset()
    store.ensure_file()
    rules = _rules_from(options)
    if rules:
        app.set_faults(store, rules, replace=True)
    platform = app.Platform(store, options.user, options.password, options.cookie,
                            options.stable_ids)
    if bool(options.tls_cert) != bool(options.tls_key):
        raise OSError("--tls-cert and --tls-key go together")
    tls = server.tls_context(options.tls_cert, options.tls_key) if options.tls_cert else None

    def listening(port):
        if options.port_file:
            _write_port_file(options.port_file, port)
        print("listening on %s:%d" % (options.host, port), flush=True)

    server.serve(platform, options.host, options.port, listening, options.verbose, tls)


def main(argv):
    command = argv[0] if argv and argv[0] in SUBCOMMANDS else "serve"
    options = _parser(command).parse_args(argv[1:] if argv and argv[0] == command else argv)
    store = Store(options.state)
    out = sys.stdout
    try:
        if command == "serve":
            _serve(options, store)
        elif command == "reset":
            store.reset()
        elif command == "state":
            json.dump(store.snapshot(), out, ensure_ascii=False, indent=1)
            out.write("\n")
        elif command == "journal":
            records = store.journal()
            if options.format == "accepted":
                records = [record for record in records if _carried_out(record)]
            if options.format in ("lines", "accepted"):
                out.writelines(_journal_line(record) + "\n" for record in records)
            else:
                json.dump(records, out, ensure_ascii=False, indent=1)
                out.write("\n")
            if options.clear:
                store.clear_journal()
        elif command == "fail":
            rules = app.set_faults(store, _rules_from(options), replace=options.clear)
            json.dump(rules, out, ensure_ascii=False, indent=1)
            out.write("\n")
    except (StateError, BadRule, OSError) as error:
        print("marivon_standin: %s" % error, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.stdout.reconfigure(encoding="utf-8")
    sys.exit(main(sys.argv[1:]))
