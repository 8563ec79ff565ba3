"""Failures the stand-in produces on purpose: error status, close, hang, delay, refusal, wrong extId, lost answer."""
import socket
import time

from standin_harness import GROUP_NAME, StandInTest, extract_number, run_cli

SEARCH = "restapi/objs-groups/search/"
SEARCH_DOC = '{"q": "%s"}' % GROUP_NAME
CREATE_OBJECT = "restapi/objects/create-standalone/"


class StartupFaultTest(StandInTest):
    start_options = ("--fail-at", "2", "--fail-status", "503", "--fail-body", '{"error":"busy"}')

    def test_the_nth_request_gets_the_error_status_and_is_not_carried_out(self):
        first, second, third = (self.create_group() for _ in range(3))
        self.assertEqual((first, second), (100, 0))
        self.assertEqual(third, 101, "the refused request created nothing")
        journal = self.standin.control("journal")
        self.assertEqual([(r["status"], r["fault"]) for r in journal], [(200, None), (503, "status"), (200, None)])
        self.assertEqual(journal[1]["answer"], '{"error":"busy"}')


class FaultTest(StandInTest):
    def test_a_rule_limited_to_a_path_counts_only_that_path(self):
        self.standin.control("fail", {"kind": "status", "path": CREATE_OBJECT, "at": 2})
        group = self.create_group()
        self.assertEqual([self.create_object(group, n).status for n in (1, 2, 3)], [200, 500, 200])
        self.assertEqual(self.standin.post(SEARCH, SEARCH_DOC).status, 200)
        self.assertEqual(self.standin.control("faults")[0]["fired"], 1)

    def test_close_without_answer_with_and_without_reset(self):
        self.standin.control("fail", [{"kind": "close", "at": 1}, {"kind": "close", "at": 2, "reset": True}])
        self.assertEqual(self.standin.post(SEARCH, SEARCH_DOC).raw, b"", "closed without a byte")
        try:
            self.assertEqual(self.standin.post(SEARCH, SEARCH_DOC).raw, b"")
        except ConnectionResetError:
            pass
        self.assertEqual(self.standin.post(SEARCH, SEARCH_DOC).status, 200)
        self.assertEqual([r["status"] for r in self.standin.control("journal")], [None, None, 200])

    def test_a_dropped_answer_leaves_the_object_created(self):
        self.standin.control("fail", {"kind": "drop", "path": CREATE_OBJECT, "at": 2})
        group = self.create_group()
        replies = [self.create_object(group, n) for n in (1, 2, 3)]
        self.assertEqual([r.status for r in replies], [200, None, 200])
        self.assertEqual(replies[1].raw, b"", "closed without a byte")
        self.assertEqual(extract_number("id", replies[2].text), 1002, "the dropped create took 1001")
        journal = self.standin.control("journal")
        self.assertEqual([(r["status"], r["fault"]) for r in journal[1:]], [(200, None), (200, "drop"), (200, None)])
        # The journal's accepted lines count what the platform carried out.
        accepted = run_cli("journal", "--state", self.standin.state, "--format", "accepted").stdout.splitlines()
        self.assertEqual([line.split(" ")[1] for line in accepted], ["/restapi/objs-groups/create/"] + ["/" + CREATE_OBJECT] * 3)

    def test_a_held_request_gets_no_answer_while_others_are_served(self):
        self.standin.control("fail", {"kind": "hang", "at": 1})
        held = socket.create_connection(("127.0.0.1", self.standin.port), timeout=0.5)
        self.addCleanup(held.close)
        body = SEARCH_DOC.encode("utf-8")
        held.sendall(b"POST /%s HTTP/1.0\r\nContent-Length: %d\r\n\r\n%s" % (SEARCH.encode(), len(body), body))
        self.assertRaises(socket.timeout, held.recv, 1)
        self.assertEqual(self.standin.post(SEARCH, SEARCH_DOC).status, 200)
        self.assertEqual(self.standin.stop(), 0, "stops although a request is held")
        held.settimeout(5)
        self.assertEqual(held.recv(1), b"", "the held connection is closed at the stop")

    def test_a_slow_answer_comes_after_its_delay(self):
        self.standin.control("fail", {"kind": "delay", "ms": 300, "at": 1})
        began = time.monotonic()
        reply = self.standin.post(SEARCH, SEARCH_DOC)
        self.assertGreaterEqual(time.monotonic() - began, 0.3)
        self.assertEqual(reply.status, 200)
        self.assertEqual(self.standin.control("journal")[0]["fault"], "delay")


    def test_a_wrong_extid_is_answered_for_the_chosen_object_only(self):
        self.standin.control("fail", [{"kind": "wrong-extid", "extId": 7}, {"kind": "wrong-extid", "extId": 9, "answer": 0}])
        group = self.create_group()
        answers = {n: extract_number("extId", self.create_object(group, n).text) for n in (6, 7, 9)}
        self.assertEqual(answers, {6: 6, 7: 8, 9: 0})

    def test_rules_set_from_the_shell_reach_the_running_server(self):
        set_rule = run_cli("fail", "--state", self.standin.state, "--fail-at", "1", "--path", SEARCH)
        self.assertEqual(set_rule.returncode, 0, set_rule.stderr)
        self.assertEqual(self.standin.post(SEARCH, SEARCH_DOC).status, 500)
        self.assertEqual(run_cli("fail", "--state", self.standin.state, "--clear", "--close-at", "5").returncode, 0)
        self.assertEqual([r["kind"] for r in self.standin.control("faults")], ["close"])
        self.assertEqual(self.standin.control("faults/clear"), [])

    def test_unusable_rules_are_refused(self):
        rules = [{"kind": "explode"}, {"kind": "status", "at": 0}, {"kind": "delay", "ms": "fast"},
                 {"kind": "close", "status": 500}, ["not", "a", "rule"]]
        for rule in rules:
            with self.assertRaises(Exception, msg=str(rule)) as caught:
                self.standin.control("fail", rule)
            self.assertEqual(getattr(caught.exception, "code", None), 400, rule)
        refused = run_cli("fail", "--state", self.standin.state, "--fault", '{"kind": "status", "status": 700}')
        self.assertEqual(refused.returncode, 2)
        self.assertIn("status", refused.stderr)
        self.assertEqual(self.standin.control("faults"), [])


class RefusedGuardTest(StandInTest):
    start_options = ("--refuse-guard", "2")

    def test_a_refused_guard_answers_without_id_and_is_not_kept(self):
        guard_group = extract_number("id", self.standin.post("restapi/guards/create-guard-group/",
                                                             '{"name":"ГБР", "parentId": null}').text)
        replies = [self.standin.post("restapi/guards/create-guard/",
                                     '{"name":"Экипаж %d", "person":"", "phone":"", "login":"gbr%d", '
                                     '"password":"h8r2k5w9m3q", "comment":"", "guardGroupsId": %d}' % (n, n, guard_group))
                   for n in (1, 2, 3)]
        self.assertEqual([r.status for r in replies], [200, 200, 200])
        self.assertEqual([extract_number("id", r.text) for r in replies], [300, 0, 301])
        self.assertFalse(replies[1].json()["success"])
        self.assertEqual([g["login"] for g in self.standin.control("state")["guards"].values()], ["gbr1", "gbr3"])
