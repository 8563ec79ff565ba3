"""The stand-in answers the eight platform requests as a run relies on, and refuses what is not one."""
import base64
import json
import os

from standin_harness import GROUP_NAME, StandInTest, basic, extract_number

SEARCH = "restapi/objs-groups/search/"
SEARCH_DOC = '{"q": "%s"}' % GROUP_NAME
BOUNDARY = "MigrationPathMapBoundary"


def upload_body(file_bytes, object_id, file_name="карта.png".encode("cp1251"), boundary=BOUNDARY):
    line = lambda text: text.encode("latin-1") + b"\r\n"
    return (line("--" + boundary)
            + b'Content-Disposition: form-data; name="file"; filename="' + file_name + b'"\r\n'
            + line("Content-Type: image/png") + b"\r\n" + file_bytes + b"\r\n"
            + line("--" + boundary) + line('Content-Disposition: form-data; name="objectId"')
            + b"\r\n" + line(str(object_id))
            + line("--" + boundary) + line('Content-Disposition: form-data; name="caption"')
            + b"\r\n" + "Карта проезда".encode("utf-8") + b"\r\n"
            + line("--" + boundary + "--"))


class WholeRunTest(StandInTest):
    start_options = ("--cookie", "SESSION=abc; Path=/")

    def test_a_run_is_answered_kept_and_journalled(self):
        post = self.standin.post
        sent = []

        def call(path, document, content_type="application/json"):
            sent.append((path, document))
            reply = post(path, document, content_type)
            self.assertEqual(reply.status, 200, reply.body)
            self.assertEqual(reply.headers["Connection"], "close")
            self.assertNotIn("Location", reply.headers)
            self.assertEqual(reply.headers["Set-Cookie"], "SESSION=abc; Path=/")
            return reply.text

        self.assertNotIn(GROUP_NAME, call(SEARCH, SEARCH_DOC))
        answer = call("restapi/objs-groups/create/", '{"name":"%s", "groupType":1, "parentId": null}' % GROUP_NAME)
        self.assertIn(GROUP_NAME, answer)
        group_id = extract_number("id", answer)
        guard_group = extract_number("id", call("restapi/guards/create-guard-group/", '{"name":"ГБР", "parentId": null}'))
        guards = [extract_number("id", call(
            "restapi/guards/create-guard/",
            '{"name":"Экипаж \\"%d\\"", "person":"Петров", "phone":"+7 900", "login":"gbr%d", '
            '"password":"h8r2k5w9m3q", "comment":"", "guardGroupsId": %d}' % (team, team, guard_group)))
            for team in (4, 7)]
        answer = call("restapi/objects/create-standalone/",
                      '{"name":"Склад №1", "imei": "356938035643809", "extId": 1005, "objPrefix": 3, '
                      '"password": "1234", "objsGroupsIds": [%d], "objType": 1}' % group_id)
        self.assertEqual(extract_number("extId", answer), 1005)
        object_id = extract_number("id", answer)
        self.assertEqual(len({group_id, guard_group, object_id, *guards} - {0}), 5, "distinct non-zero ids")
        persons = '{\\"pass1\\":\\"\\",\\"pass2\\":\\"\\",\\"persons\\":[{\\"key\\":\\"1\\",\\"name\\":\\"Иванов\\",' \
                  '\\"phone1\\":\\"1\\",\\"phone2\\":\\"\\",\\"comment\\":\\"\\"}]}'
        card = ('{"id":%d, "objType": 1, "scode":"YDX", "objsGroupsIds": [%d], "City": "Тверь", '
                '"IS_ACTIVE": 1, "RESPONSIVE_PERSONS": "%s", "areas": [{"num": 1, "name":"Склад", '
                '"comment":"", "zones":[{"num": 2, "name":"Дверь", "comment":"геркон"}]}]}' % (object_id, group_id, persons))
        call("restapi/objects/obj-card-save/", card)
        call("restapi/objects/obj-add-guards/", '{"objectId": %d, "guardIds": [%s]}' % (object_id, ", ".join(map(str, guards))))
        picture = bytes(range(256)) + b"\r\n--Migration"
        call("restapi/pictures/upload/", upload_body(picture, object_id),
             "multipart/form-data; boundary=" + BOUNDARY)

        state = self.standin.control("state")
        self.assertEqual([g["name"] for g in state["groups"].values()], [GROUP_NAME])
        self.assertEqual([g["login"] for g in state["guards"].values()], ["gbr4", "gbr7"])
        self.assertEqual(state["guards"][str(guards[0])]["name"], 'Экипаж "4"')
        kept = state["objects"][str(object_id)]
        self.assertEqual((kept["extId"], kept["imei"], kept["guardIds"]), (1005, "356938035643809", guards))
        self.assertEqual(kept["card"], json.loads(card))
        self.assertEqual(kept["persons"]["persons"][0]["name"], "Иванов")
        stored = state["pictures"][str(kept["pictures"][0])]
        self.assertEqual((stored["fileName"], stored["caption"]), ("карта.png", "Карта проезда"))
        with open(os.path.join(self.directory, stored["file"]), "rb") as file:
            self.assertEqual(file.read(), picture)

        journal = self.standin.control("journal")
        self.assertEqual([(r["seq"], r["status"]) for r in journal], [(n, 200) for n in range(1, len(sent) + 1)])
        for record, (path, document) in zip(journal, sent):
            self.assertEqual((record["method"], record["target"], record["version"]), ("POST", "/" + path, "HTTP/1.0"))
            exact = base64.b64decode(record["body_base64"]) if not record["body_utf8"] else record["body"].encode("utf-8")
            self.assertEqual(exact, document if isinstance(document, bytes) else document.encode("utf-8"))
            self.assertIn(["Authorization", basic("root", "larkspur")], record["headers"])
        self.assertEqual(journal[0]["headers"][0], ["Connection", "keep-alive"])


class RefusalTest(StandInTest):
    def assert_refused(self, status, reply, what):
        self.assertEqual(reply.status, status, "%s: %r" % (what, reply.raw[:200]))
        self.assertFalse(reply.json()["success"], what)

    def test_authorization_is_checked_on_every_request(self):
        cases = [(None, "no Authorization line"), ("Basic " + base64.b64encode(b"root:wrong").decode(), "wrong password"),
                 (basic("admin", "larkspur"), "wrong user"), ("Bearer abc", "other scheme"),
                 ("Basic %%%", "not base64")]
        for authorization, what in cases:
            head = "POST /%s HTTP/1.0\r\nContent-Type: application/json\r\nContent-Length: %d\r\n" % (SEARCH, len(SEARCH_DOC.encode()))
            if authorization:
                head += "Authorization: %s\r\n" % authorization
            reply = self.standin.send_raw((head + "\r\n").encode() + SEARCH_DOC.encode())
            self.assert_refused(401, reply, what)
            self.assertEqual(reply.headers["WWW-Authenticate"], 'Basic realm="Marivon"')
        other = self.start("--user", "оператор", "--password", "pw")
        self.assertEqual(other.post(SEARCH, SEARCH_DOC).status, 401)
        self.assertEqual(other.post(SEARCH, SEARCH_DOC, authorization=basic("оператор", "pw")).status, 200)

    def test_bodies_that_are_not_strict_utf8_json_are_rejected(self):
        cases = [(b'{"name":"a"', "cut short"),
                 (b'{"name":"a"} x', "text after the document"),
                 (b'{"name": NaN}', "NaN"),
                 (b'{"name":"a", "name":"b"}', "a member twice"),
                 ('{"name":"Склад"}'.encode("cp1251"), "Windows-1251 text"),
                 (b'{"name":"\xd0"}', "a cut UTF-8 sequence"),
                 ('\ufeff{"name":"a"}'.encode("utf-8"), "a byte order mark"),
                 (b"", "empty body"),
                 (b'{"name":"\\ud800"}', "a lone surrogate escape"),
                 (b'{"name":"a=b+c%22%2C%22groupType%22%3A1%7D', "a form-encoded document"),
                 (b'["name"]', "not an object"),
                 (b'{"groupType":1}', "no name"),
                 (b'{"name":5}', "name not a text"),
                 (b'{"name":"a", "parentId": 77}', "unknown parent")]
        for body, what in cases:
            reply = self.standin.post("restapi/objs-groups/create/", body)
            self.assert_refused(404 if what == "unknown parent" else 400, reply, what)
        self.assertEqual(self.standin.control("state")["groups"], {})

    def test_a_card_whose_persons_document_is_not_json_is_refused(self):
        group = self.create_group()
        object_id = extract_number("id", self.create_object(group, 5).text)
        # A quote of a name escaped only once ends the inner string early.
        broken = '{\\"persons\\":[{\\"name\\":\\"ООО \\"Ромашка\\"\\"}]}'
        card = ('{"id":%d, "objType": 1, "scode":"YDX", "objsGroupsIds": [%d], "IS_ACTIVE": 1, '
                '"RESPONSIVE_PERSONS": "%s"}' % (object_id, group, broken))
        self.assert_refused(400, self.standin.post("restapi/objects/obj-card-save/", card), "persons")
        self.assertIsNone(self.standin.control("state")["objects"][str(object_id)]["card"])

    def test_requests_outside_the_interface_are_refused(self):
        post = self.standin.post
        self.assert_refused(404, post("restapi/objs-groups/lookup/", SEARCH_DOC), "unknown path")
        self.assert_refused(404, post("restapi/objs-groups/search", SEARCH_DOC), "no trailing slash")
        self.assert_refused(415, post(SEARCH, SEARCH_DOC, "application/x-www-form-urlencoded"), "form type")
        self.assert_refused(415, post("restapi/pictures/upload/", SEARCH_DOC), "JSON to the upload")
        self.assertEqual(post("base/" + SEARCH, SEARCH_DOC).status, 200, "a base path before the endpoint")
        auth = "Authorization: %s\r\n" % basic("root", "larkspur")
        raw = self.standin.send_raw
        self.assert_refused(405, raw(("GET /%s HTTP/1.0\r\n%s\r\n" % (SEARCH, auth)).encode()), "GET")
        self.assert_refused(411, raw(("POST /%s HTTP/1.0\r\n%s\r\n" % (SEARCH, auth)).encode()), "no length")
        self.assert_refused(501, raw(("POST /%s HTTP/1.1\r\nTransfer-Encoding: chunked\r\n%s\r\n0\r\n\r\n"
                                      % (SEARCH, auth)).encode()), "chunked")
        self.assert_refused(400, raw(("POST /%s HTTP/1.0\nContent-Length: 2\n\n{}" % SEARCH).encode()), "bare LF")
        self.assert_refused(400, raw(b"POST /x HTTP/1.0\r\nContent-Length: 9\r\n\r\n{}", half_close=True), "short body")

    def test_documents_naming_unknown_ids_are_refused(self):
        group = self.create_group()
        object_id = extract_number("id", self.create_object(group, 5).text)
        cases = [("restapi/objects/create-standalone/",
                  '{"name":"x", "extId": 1, "objPrefix": 0, "password": "", "objsGroupsIds": [999], "objType": 1}'),
                 ("restapi/objects/obj-card-save/", '{"id":999, "objType": 1, "scode":"YDX", "objsGroupsIds": [%d], "IS_ACTIVE": 0}' % group),
                 ("restapi/objects/obj-add-guards/", '{"objectId": %d, "guardIds": [999]}' % object_id),
                 ("restapi/guards/create-guard/", '{"name":"a", "person":"", "phone":"", "login":"gbr1", '
                                                  '"password":"p", "comment":"", "guardGroupsId": 999}')]
        for path, document in cases:
            self.assert_refused(404, self.standin.post(path, document), path)
        self.assert_refused(404, self.standin.post("restapi/pictures/upload/", upload_body(b"abc", 999),
                                                   "multipart/form-data; boundary=" + BOUNDARY), "picture of no object")

    def test_malformed_multipart_bodies_are_rejected(self):
        object_id = extract_number("id", self.create_object(self.create_group(), 5).text)
        good = upload_body(b"abc", object_id)
        typed = "multipart/form-data; boundary=" + BOUNDARY
        cases = [(good, "multipart/form-data", "no boundary parameter"),
                 (good, "multipart/form-data; boundary=Other", "another boundary"),
                 (good[:-len(BOUNDARY) - 6], typed, "no closing boundary"),
                 (good + b"tail", typed, "bytes after the closing boundary"),
                 (good.replace(b'name="objectId"', b'name="objectID"'), typed, "an unknown field"),
                 (good.replace(b'name="caption"', b'name="objectId"'), typed, "a field twice"),
                 (good.replace(b'; filename="' + "карта.png".encode("cp1251") + b'"', b""), typed, "a file without name"),
                 (upload_body(b"abc", "4x"), typed, "objectId not a number"),
                 (good.replace("Карта проезда".encode("utf-8"), "Карта".encode("cp1251")), typed, "caption not UTF-8"),
                 (good.replace(b"Content-Disposition", b"Content-Dispo"), typed, "a part without disposition")]
        for body, content_type, what in cases:
            self.assert_refused(400, self.standin.post("restapi/pictures/upload/", body, content_type), what)
        self.assertEqual(self.standin.control("state")["pictures"], {})

    def test_a_taken_guard_login_is_refused_without_an_id(self):
        guard_group = extract_number("id", self.standin.post("restapi/guards/create-guard-group/",
                                                             '{"name":"ГБР", "parentId": null}').text)
        document = ('{"name":"a", "person":"", "phone":"", "login":"gbr3", "password":"p", '
                    '"comment":"", "guardGroupsId": %d}' % guard_group)
        self.assertNotEqual(extract_number("id", self.standin.post("restapi/guards/create-guard/", document).text), 0)
        again = self.standin.post("restapi/guards/create-guard/", document)
        self.assertEqual((again.status, extract_number("id", again.text)), (200, 0))
