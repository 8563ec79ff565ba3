"""State file, request journal and picture folder of the platform stand-in.

The state (what runs created, the fault rules, the request counter) is one JSON
file, replaced atomically after every change. Beside it live the journal,
STATE + ".journal" (JSON lines, one record per platform request, in arrival
order), and the uploaded pictures, STATE + ".pictures/". Every access holds an
exclusive lock on STATE + ".lock", and the state is read again whenever the
file changed, so a running server and the command-line subcommands can work
on the same state at the same time. Store objects are safe to share between
threads.
"""
import contextlib
import fcntl
import json
import os
import shutil
import threading

FIRST_IDS = {"group": 100, "guard_group": 200, "guard": 300, "object": 1000, "picture": 5000}


def empty_state():
    return {"format": 1, "requests": 0, "next_ids": dict(FIRST_IDS),
            "groups": {}, "guard_groups": {}, "guards": {}, "objects": {},
            "pictures": {}, "faults": []}


class StateError(Exception):
    """The state file exists but cannot be used."""


class Store:
    def __init__(self, path):
        self.path = os.path.abspath(path)
        self.journal_path = self.path + ".journal"
        self.pictures_dir = self.path + ".pictures"
        self._lock_path = self.path + ".lock"
        self._thread_lock = threading.Lock()
        self._state = None
        self._signature = None

    @contextlib.contextmanager
    def _locked(self):
        with self._thread_lock:
            fd = os.open(self._lock_path, os.O_RDWR | os.O_CREAT, 0o644)
            try:
                fcntl.flock(fd, fcntl.LOCK_EX)
                yield
            finally:
                os.close(fd)

    def _file_signature(self):
        try:
            info = os.stat(self.path)
        except FileNotFoundError:
            return None
        return (info.st_ino, info.st_mtime_ns, info.st_size)

    def _current(self):
        signature = self._file_signature()
        if self._state is None or signature != self._signature:
            if signature is None:
                self._state = empty_state()
            else:
                try:
                    with open(self.path, encoding="utf-8") as file:
                        state = json.load(file)
                except (OSError, ValueError) as error:
                    raise StateError("cannot read state file %s: %s" % (self.path, error))
                if not isinstance(state, dict) or state.get("format") != 1:
                    raise StateError("%s is not a stand-in state file" % self.path)
                self._state = state
            self._signature = signature
        return self._state

    def _write(self, state):
        temporary = "%s.%d.tmp" % (self.path, os.getpid())
        with open(temporary, "w", encoding="utf-8") as file:
            file.write(json.dumps(state, ensure_ascii=False))
            file.write("\n")
        os.replace(temporary, self.path)
        self._state = state
        self._signature = self._file_signature()

    @contextlib.contextmanager
    def change(self):
        """Yields the state for changing; it is written back when the block ends normally."""
        with self._locked():
            state = self._current()
            try:
                yield state
            except BaseException:
                self._state = None  # drop half-made changes; the file still holds the last good state
                raise
            self._write(state)

    def snapshot(self):
        """A copy of the state as it is now."""
        with self._locked():
            return json.loads(json.dumps(self._current()))

    def close(self):
        """Waits for a change in progress and bars every later one (the process is ending)."""
        self._thread_lock.acquire()

    def ensure_file(self):
        """Reads (or creates) the state file, so a broken file shows at start-up."""
        with self.change():
            pass

    def reset(self):
        """Forgets everything: state, fault rules, journal and pictures."""
        with self._locked():
            shutil.rmtree(self.pictures_dir, ignore_errors=True)
            open(self.journal_path, "w").close()
            self._write(empty_state())

    # The methods below expect to be called inside change().

    def append_journal(self, record):
        with open(self.journal_path, "a", encoding="utf-8") as file:
            file.write(json.dumps(record, ensure_ascii=False) + "\n")

    def save_picture(self, name, data):
        """Stores data as name in the picture folder; returns the path relative to the state's folder."""
        os.makedirs(self.pictures_dir, exist_ok=True)
        with open(os.path.join(self.pictures_dir, name), "wb") as file:
            file.write(data)
        return os.path.join(os.path.basename(self.pictures_dir), name)

    def journal(self):
        """Every journal record, oldest first."""
        with self._locked():
            try:
                with open(self.journal_path, encoding="utf-8") as file:
                    return [json.loads(line) for line in file if line.strip()]
            except FileNotFoundError:
                return []

    def clear_journal(self):
        with self._locked():
            open(self.journal_path, "w").close()
