"""The eight platform requests a run sends, carried out on the stand-in's state.

Each handler checks its document, changes the state and returns the JSON value
to answer with 200. Answers put "id" (and "extId") first, as plain numbers, so
a client that takes the first "id" followed by digits finds the right one.
Handlers raise documents.Rejected (answered 400) for a document they cannot
use and NotFound (answered 404) for an id the state does not know.

Objects and pictures get ids counting up in arrival order, or, with stable
ids, ids that follow from what was sent: an object's from its create
document, a picture's from its object and how many pictures the object had.
A run that sends its objects side by side then meets the same ids as a run
that sends them one after another.
"""
import json
import zlib

from .documents import Rejected, parse_json

SEARCH = "restapi/objs-groups/search/"
CREATE_GROUP = "restapi/objs-groups/create/"
CREATE_GUARD_GROUP = "restapi/guards/create-guard-group/"
CREATE_GUARD = "restapi/guards/create-guard/"
CREATE_OBJECT = "restapi/objects/create-standalone/"
SAVE_CARD = "restapi/objects/obj-card-save/"
ADD_GUARDS = "restapi/objects/obj-add-guards/"
UPLOAD_PICTURE = "restapi/pictures/upload/"

CARD_TEXTS = ("scode", "City", "Street", "House", "Region", "Building", "GateCode",
              "IntercomCode", "AppNumber", "OwnerPassword", "ContractNumber", "ContractDate",
              "SIM", "SIM2", "InstallDate", "DESCRIPTION", "Installer", "ExtraHardware",
              "RESPONSIVE_PERSONS")


class NotFound(Exception):
    """The document names an id the platform does not have."""


class Context:
    """What a handler works with: the state, the late fault rule (or None), the picture store."""

    def __init__(self, state, late_rule, store, stable_ids=False):
        self.state = state
        self.late_rule = late_rule
        self.store = store
        self.stable_ids = stable_ids


def _is_int(value):
    return isinstance(value, int) and not isinstance(value, bool)


_KINDS = {
    "text": lambda value: isinstance(value, str),
    "integer": _is_int,
    "integer or null": lambda value: value is None or _is_int(value),
    "list of integers": lambda value: isinstance(value, list) and all(map(_is_int, value)),
    "list": lambda value: isinstance(value, list),
}


def _member(document, key, kind, required=True, default=None):
    if key not in document:
        if required:
            raise Rejected("member %r is missing" % key)
        return default
    if not _KINDS[kind](document[key]):
        raise Rejected("member %r must be a %s" % (key, kind))
    return document[key]


def _object_document(value, what="document"):
    if not isinstance(value, dict):
        raise Rejected("the %s must be a JSON object" % what)
    return value


def _new_id(state, kind):
    value = state["next_ids"][kind]
    state["next_ids"][kind] = value + 1
    return value


STABLE_ID_BASE = 100000
STABLE_ID_RANGE = 2000000000  # keeps every id a positive 32-bit number


def _stable_id(table, key):
    """An id taken from key alone; the next free one when an equal key came before."""
    number = STABLE_ID_BASE + zlib.crc32(key.encode("utf-8")) % STABLE_ID_RANGE
    while str(number) in table:
        number = STABLE_ID_BASE + (number - STABLE_ID_BASE + 1) % STABLE_ID_RANGE
    return number


def _known(table, number, what):
    if str(number) not in table:
        raise NotFound("no %s with id %d" % (what, number))
    return table[str(number)]


def search_groups(ctx, document):
    query = _member(_object_document(document), "q", "text").casefold()
    found = [group for group in ctx.state["groups"].values() if query in group["name"].casefold()]
    return {"success": True, "total": len(found), "data": found}


def create_group(ctx, document):
    document = _object_document(document)
    name = _member(document, "name", "text")
    group_type = _member(document, "groupType", "integer", required=False, default=1)
    parent = _member(document, "parentId", "integer or null", required=False)
    if parent is not None:
        _known(ctx.state["groups"], parent, "objects group")
    group = {"id": _new_id(ctx.state, "group"), "name": name, "groupType": group_type,
             "parentId": parent}
    ctx.state["groups"][str(group["id"])] = group
    return group


def create_guard_group(ctx, document):
    document = _object_document(document)
    name = _member(document, "name", "text")
    parent = _member(document, "parentId", "integer or null", required=False)
    if parent is not None:
        _known(ctx.state["guard_groups"], parent, "guard group")
    group = {"id": _new_id(ctx.state, "guard_group"), "name": name, "parentId": parent}
    ctx.state["guard_groups"][str(group["id"])] = group
    return group


def create_guard(ctx, document):
    document = _object_document(document)
    guard = {key: _member(document, key, "text") for key in ("name", "person", "phone", "login", "password")}
    guard["comment"] = _member(document, "comment", "text", required=False, default="")
    guard["guardGroupsId"] = _member(document, "guardGroupsId", "integer")
    _known(ctx.state["guard_groups"], guard["guardGroupsId"], "guard group")
    if any(other["login"] == guard["login"] for other in ctx.state["guards"].values()):
        return {"success": False, "error": "login %s is taken" % guard["login"]}
    guard = {"id": _new_id(ctx.state, "guard"), **guard}
    ctx.state["guards"][str(guard["id"])] = guard
    return {"id": guard["id"], "name": guard["name"], "login": guard["login"],
            "guardGroupsId": guard["guardGroupsId"]}


def create_object(ctx, document):
    document = _object_document(document)
    ext_id = _member(document, "extId", "integer")
    record = {"id": 0, "extId": ext_id,
              "name": _member(document, "name", "text"),
              "imei": _member(document, "imei", "text", required=False),
              "objPrefix": _member(document, "objPrefix", "integer"),
              "password": _member(document, "password", "text"),
              "objsGroupsIds": _member(document, "objsGroupsIds", "list of integers"),
              "objType": _member(document, "objType", "integer"),
              "card": None, "guardIds": [], "pictures": []}
    for group in record["objsGroupsIds"]:
        _known(ctx.state["groups"], group, "objects group")
    if ctx.stable_ids:
        key = json.dumps(document, ensure_ascii=False, sort_keys=True)
        record["id"] = _stable_id(ctx.state["objects"], "object " + key)
    else:
        record["id"] = _new_id(ctx.state, "object")
    ctx.state["objects"][str(record["id"])] = record
    answered = ext_id
    rule = ctx.late_rule
    if rule is not None and rule["kind"] == "wrong-extid":
        answered = rule.get("answer", ext_id + 1)
        record["answeredExtId"] = answered
    return {"id": record["id"], "extId": answered, "name": record["name"],
            "objsGroupsIds": record["objsGroupsIds"]}


def _check_areas(areas):
    for area in areas:
        _object_document(area, "partition")
        _member(area, "num", "integer")
        _member(area, "name", "text")
        _member(area, "comment", "text")
        for zone in _member(area, "zones", "list", required=False, default=[]):
            _object_document(zone, "zone")
            _member(zone, "num", "integer")
            _member(zone, "name", "text")
            _member(zone, "comment", "text")


def save_card(ctx, document):
    document = _object_document(document)
    record = _known(ctx.state["objects"], _member(document, "id", "integer"), "object")
    _member(document, "objType", "integer")
    _member(document, "IS_ACTIVE", "integer")
    for group in _member(document, "objsGroupsIds", "list of integers"):
        _known(ctx.state["groups"], group, "objects group")
    for key in CARD_TEXTS:
        _member(document, key, "text", required=False)
    _check_areas(_member(document, "areas", "list", required=False, default=[]))
    persons = document.get("RESPONSIVE_PERSONS")
    if persons is not None:
        # The persons travel as a JSON text inside the card; it must be JSON itself.
        try:
            persons = parse_json(persons.encode("utf-8"))
        except Rejected as error:
            raise Rejected("RESPONSIVE_PERSONS is not a JSON document: %s" % error)
    record["card"] = document
    if persons is not None:
        record["persons"] = persons
    return {"success": True, "id": record["id"]}


def add_guards(ctx, document):
    document = _object_document(document)
    record = _known(ctx.state["objects"], _member(document, "objectId", "integer"), "object")
    guard_ids = _member(document, "guardIds", "list of integers")
    for guard in guard_ids:
        _known(ctx.state["guards"], guard, "guard")
    for guard in guard_ids:
        if guard not in record["guardIds"]:
            record["guardIds"].append(guard)
    return {"success": True, "objectId": record["id"], "guardIds": record["guardIds"]}


def _form_fields(parts):
    fields = {}
    for part in parts:
        if part.name not in ("file", "objectId", "caption"):
            raise Rejected("unexpected form field %r" % part.name)
        if part.name in fields:
            raise Rejected("form field %r given twice" % part.name)
        fields[part.name] = part
    for name in ("file", "objectId"):
        if name not in fields:
            raise Rejected("form field %r is missing" % name)
    if not fields["file"].filename:
        raise Rejected("the file field has no file name")
    return fields


def _file_name(raw):
    try:
        return raw.decode("utf-8"), "utf-8"
    except UnicodeDecodeError:
        return raw.decode("cp1251", errors="replace"), "cp1251"


def upload_picture(ctx, parts):
    fields = _form_fields(parts)
    number = fields["objectId"].content
    if not number.isdigit() or not number.isascii():
        raise Rejected("objectId is not a decimal number")
    record = _known(ctx.state["objects"], int(number), "object")
    caption = None
    if "caption" in fields:
        try:
            caption = fields["caption"].content.decode("utf-8")
        except UnicodeDecodeError:
            raise Rejected("the caption is not UTF-8") from None
    file = fields["file"]
    name, encoding = _file_name(file.filename)
    if ctx.stable_ids:
        key = "picture %d %d" % (record["id"], len(record["pictures"]))
        picture_id = _stable_id(ctx.state["pictures"], key)
    else:
        picture_id = _new_id(ctx.state, "picture")
    extension = next((e for e in (".png", ".jpg") if name.lower().endswith(e)), ".bin")
    picture = {"id": picture_id, "objectId": record["id"], "fileName": name,
               "fileNameEncoding": encoding, "contentType": file.content_type,
               "caption": caption, "size": len(file.content),
               "file": ctx.store.save_picture("%d%s" % (picture_id, extension), file.content)}
    ctx.state["pictures"][str(picture_id)] = picture
    record["pictures"].append(picture_id)
    return {"success": True, "id": picture_id, "objectId": record["id"],
            "fileName": name, "size": picture["size"]}


HANDLERS = {SEARCH: search_groups, CREATE_GROUP: create_group,
            CREATE_GUARD_GROUP: create_guard_group, CREATE_GUARD: create_guard,
            CREATE_OBJECT: create_object, SAVE_CARD: save_card, ADD_GUARDS: add_guards,
            UPLOAD_PICTURE: upload_picture}


def route(path):
    """The endpoint a request path names (any base path before it), or None."""
    for endpoint in HANDLERS:
        if path.endswith("/" + endpoint):
            return endpoint
    return None
