"""What the stand-in keeps: the state file across restarts, its reset, and the journal."""
import base64
import os
import subprocess
import sys

from standin_harness import GROUP_NAME, SCRIPT, StandIn, StandInTest, extract_number, run_cli
from test_standin_requests import BOUNDARY, upload_body

SEARCH = "restapi/objs-groups/search/"
SEARCH_DOC = '{"q": "%s"}' % GROUP_NAME


class StateTest(StandInTest):
    def test_a_second_run_after_a_restart_finds_the_group(self):
        self.assertEqual(self.standin.banner, "listening on 127.0.0.1:%d" % self.standin.port)
        group = self.create_group()
        self.assertNotEqual(extract_number("id", self.create_object(group, 5).text), 0)
        self.assertEqual(self.standin.stop(), 0)
        again = self.start()
        answer = again.post(SEARCH, SEARCH_DOC).text
        self.assertIn(GROUP_NAME, answer)
        self.assertEqual(extract_number("id", answer), group)
        self.assertEqual(self.create_group(again), group + 1, "ids go on counting")
        self.assertEqual([r["seq"] for r in again.control("journal")], [1, 2, 3, 4])

    def test_reset_from_the_shell_and_over_http_forgets_everything(self):
        for reset in (lambda: run_cli("reset", "--state", self.standin.state),
                      lambda: self.standin.control("reset")):
            group = self.create_group()
            object_id = extract_number("id", self.create_object(group, 5).text)
            self.standin.post("restapi/pictures/upload/", upload_body(b"abc", object_id),
                              "multipart/form-data; boundary=" + BOUNDARY)
            self.standin.control("fail", {"kind": "delay", "ms": 1})
            self.assertTrue(os.listdir(self.standin.state + ".pictures"))
            reset()
            state = self.standin.control("state")
            self.assertEqual((state["groups"], state["objects"], state["faults"], state["requests"]), ({}, {}, [], 0))
            self.assertEqual(self.standin.control("journal"), [])
            self.assertFalse(os.path.exists(self.standin.state + ".pictures"))
            self.assertNotIn(GROUP_NAME, self.standin.post(SEARCH, SEARCH_DOC).text)
            self.assertEqual(self.create_group(), 100, "ids start afresh")
            self.standin.control("reset")

    def test_journal_from_the_shell_as_json_and_as_lines(self):
        self.standin.post(SEARCH, SEARCH_DOC)
        binary = upload_body(b"\x89PNG", 1000)
        self.standin.post("restapi/pictures/upload/", binary, "multipart/form-data; boundary=" + BOUNDARY)
        lines = run_cli("journal", "--state", self.standin.state, "--format", "lines", "--clear")
        self.assertEqual(lines.stdout.splitlines(), [
            "POST /%s %s" % (SEARCH, SEARCH_DOC),
            "POST /restapi/pictures/upload/ base64:" + base64.b64encode(binary).decode("ascii")])
        self.assertEqual(run_cli("journal", "--state", self.standin.state).stdout.strip(), "[]")

    def test_an_unreadable_state_file_stops_the_start(self):
        self.assertEqual(self.standin.stop(), 0)
        with open(self.standin.state, "w") as file:
            file.write('{"groups": ')
        started = subprocess.run([sys.executable, str(SCRIPT), "--state", self.standin.state, "--port", "0"],
                                 capture_output=True, text=True, timeout=30)
        self.assertEqual((started.returncode, started.stdout), (2, ""))
        self.assertIn("state file", started.stderr)
        with open(self.standin.state) as file:
            self.assertEqual(file.read(), '{"groups": ', "the broken file is left as it was")


class StableIdsTest(StandInTest):
    start_options = ("--stable-ids",)

    def run_in_order(self, standin, ext_ids):
        """Creates the objects in this order, uploads one picture to each; {extId: (object id, picture id)}."""
        group = self.create_group(standin)
        ids = {}
        for ext_id in ext_ids:
            document = ('{"name":"Объект %d", "extId": %d, "objPrefix": 0, "password": "", '
                        '"objsGroupsIds": [%d], "objType": 1}' % (ext_id, ext_id, group))
            object_id = extract_number("id", standin.post("restapi/objects/create-standalone/", document).text)
            picture = standin.post("restapi/pictures/upload/", upload_body(b"png", object_id),
                                   "multipart/form-data; boundary=" + BOUNDARY)
            ids[ext_id] = (object_id, extract_number("id", picture.text))
        return ids

    def test_ids_follow_what_was_sent_not_the_order_it_came_in(self):
        forward = self.run_in_order(self.standin, [1, 16, 597, 4660])
        other = os.path.join(self.directory, "other")
        os.mkdir(other)
        backward_standin = StandIn(other, "--stable-ids")
        self.addCleanup(self.stopped, backward_standin)
        backward = self.run_in_order(backward_standin, [4660, 597, 16, 1])
        self.assertEqual(forward, backward)
        every_id = [number for pair in forward.values() for number in pair]
        self.assertEqual(len(set(every_id)), len(every_id))
        self.assertTrue(all(100000 <= number < 2 ** 31 for number in every_id), every_id)

    def test_an_equal_document_sent_again_gets_a_new_object(self):
        group = self.create_group()
        first, second = (extract_number("id", self.create_object(group, 5).text) for _ in range(2))
        self.assertNotEqual(first, second)
        self.assertEqual(set(self.standin.control("state")["objects"]), {str(first), str(second)})
