"""Runs the platform stand-in as a process and talks to it the way our HTTP client does.

post() sends one HTTP/1.0 POST with the client's header lines on a connection of
its own and reads until the server closes; extract_number() finds a number in
an answer the way the export run does.
"""
import base64
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest
import urllib.request
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[2] / "tools" / "marivon_standin.py"
GROUP_NAME = "Стационарные объекты"


def run_cli(*args):
    """Runs a control subcommand; returns the finished process (text output)."""
    return subprocess.run([sys.executable, str(SCRIPT), *args], capture_output=True,
                          text=True, encoding="utf-8", timeout=30)


def extract_number(key, text):
    """First "key" in text, then its digits up to a double quote, comma or closing brace; 0 if none."""
    start = text.find('"%s"' % key)
    if start < 0:
        return 0
    digits = ""
    for char in text[start + len(key) + 2:]:
        if char in '",}':
            break
        if char.isdigit():
            digits += char
    return int(digits) if digits and int(digits) <= 2147483647 else 0


class Reply:
    def __init__(self, raw):
        self.raw = raw
        head, _, self.body = raw.partition(b"\r\n\r\n")
        lines = head.decode("latin-1").split("\r\n") if raw else []
        self.status = int(lines[0].split()[1]) if lines else None
        self.headers = dict(line.split(": ", 1) for line in lines[1:])

    @property
    def text(self):
        return self.body.decode("utf-8")

    def json(self):
        return json.loads(self.text)


def basic(user, password):
    return "Basic " + base64.b64encode(("%s:%s" % (user, password)).encode("cp1251")).decode("ascii")


class StandIn:
    """One stand-in process on a free port, with its state file in directory."""

    def __init__(self, directory, *options):
        self.state = os.path.join(directory, "state.json")
        port_file = os.path.join(directory, "port")
        self.process = subprocess.Popen(
            [sys.executable, str(SCRIPT), "--state", self.state, "--port", "0",
             "--port-file", port_file, *options],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.banner = self.process.stdout.readline().strip()
        if not self.banner:
            raise RuntimeError("stand-in did not start: " + self.process.stderr.read())
        self.port = int(Path(port_file).read_text())

    def stop(self):
        """SIGTERM; returns the exit status."""
        if self.process.poll() is None:
            self.process.terminate()
        status = self.process.wait(timeout=10)
        self.process.stdout.close()
        self.process.stderr.close()
        return status

    def send_raw(self, data, timeout=5, half_close=False):
        with socket.create_connection(("127.0.0.1", self.port), timeout=timeout) as connection:
            connection.sendall(data)
            if half_close:
                connection.shutdown(socket.SHUT_WR)
            chunks = []
            while True:
                chunk = connection.recv(65536)
                if not chunk:
                    return Reply(b"".join(chunks))
                chunks.append(chunk)

    def post(self, path, body, content_type="application/json", authorization=None, timeout=5):
        if isinstance(body, str):
            body = body.encode("utf-8")
        head = ["POST /%s HTTP/1.0" % path, "Connection: keep-alive",
                "Content-Type: " + content_type, "Content-Length: %d" % len(body),
                "Host: 127.0.0.1:%d" % self.port, "Accept: */*",
                "Accept-Language: ru-ru,ru;q=0.8,en-us;q=0.6,en;q=0.4",
                "User-Agent: JAX-RS Marivon-client",
                "Authorization: " + (authorization or basic("root", "larkspur"))]
        return self.send_raw(("\r\n".join(head) + "\r\n\r\n").encode("latin-1") + body, timeout)

    def control(self, action, rule=None):
        data = None if rule is None else json.dumps(rule).encode("utf-8")
        url = "http://127.0.0.1:%d/_control/%s" % (self.port, action)
        with urllib.request.urlopen(urllib.request.Request(url, data=data), timeout=5) as answer:
            return json.loads(answer.read().decode("utf-8"))


class StandInTest(unittest.TestCase):
    """Each test gets a fresh directory and a stand-in started with start_options."""

    start_options = ()

    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="standin-")
        self.addCleanup(shutil.rmtree, self.directory, True)
        self.standin = self.start(*self.start_options)

    def start(self, *options):
        standin = StandIn(self.directory, *options)
        self.addCleanup(self.stopped, standin)
        return standin

    def stopped(self, standin):
        self.assertEqual(standin.stop(), 0, "the stand-in must stop cleanly on SIGTERM")

    def create_group(self, standin=None):
        document = '{"name":"%s", "groupType":1, "parentId": null}' % GROUP_NAME
        return extract_number("id", (standin or self.standin).post("restapi/objs-groups/create/", document).text)

    def create_object(self, group_id, ext_id, name="Склад"):
        document = ('{"name":"%s", "extId": %d, "objPrefix": 0, "password": "", '
                    '"objsGroupsIds": [%d], "objType": 1}' % (name, ext_id, group_id))
        return self.standin.post("restapi/objects/create-standalone/", document)
