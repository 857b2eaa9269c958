"""Shared checks of the end-to-end tests: the run's log lines, a run that
ended normally, a run that ended early and changed nothing, and the places
a removal may touch."""
import re
from pathlib import PureWindowsPath
from typing import List

import vtxkit
from texts import CONFIRMATION, EN, RESTART_QUESTION  # noqa: F401 (also taken from here)

START_LINE = re.compile(r"^===> : \d{1,2}/\d{1,2}/\d{4} - \d{1,2}:\d{1,2}:\d{1,2}$")
END_LINE = re.compile(r"^<=== : \d{1,2}/\d{1,2}/\d{4} - \d{1,2}:\d{1,2}:\d{1,2}$")
SESSION_MANAGER = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Session Manager"


def vantix_lines(prefix) -> List[str]:
    """The messages of the run's own log lines, in file order."""
    return vtxkit.log_messages(prefix, "Vantix")


def assert_start_and_end(lines: List[str]) -> None:
    assert START_LINE.match(lines[0]), lines
    assert END_LINE.match(lines[-1]), lines


def assert_unchanged(package, before) -> None:
    """Nothing but the log and the stand-in's own files differs from before."""
    ignore = vtxkit.snapshot.DEFAULT_IGNORE_FILES + [
        vtxkit.join(package.windows_dir, "VTX.LOG"),
        vtxkit.join(package.tool_dir_win, "kmiinst.calls")]
    difference = vtxkit.diff(before, vtxkit.Snapshot.take(package.prefix), ignore_files=ignore)
    assert difference.is_empty(), str(difference)


def assert_quiet_end(package, message: str) -> None:
    """A run that ends before its first box: the library loaded and released
    by the tool, one error line between start and end, nothing changed."""
    before = vtxkit.Snapshot.take(package.prefix)
    transcript = package.run_tool(answers=["yes", "yes"])
    assert transcript.exit_code == 0 and transcript.boxes == [], transcript
    calls = vtxkit.read_calls(package.tool_dir)
    assert [c.kind for c in calls] == ["load", "unload"]
    assert calls[-1]["freed"] == "1"
    lines = vantix_lines(package.prefix)
    assert lines[1:-1] == [f"vtxRemoveDevice: {message}"], lines
    assert_start_and_end(lines)
    assert_unchanged(package, before)


def ended_normally(transcript, prefix, logged=True) -> List[str]:
    """What keeps a run from counting as a normal end: exit code 0, the
    restart question asked, and (when the log level allows it) the end line
    as the last line of the run."""
    problems = []
    if not transcript.complete or transcript.exit_code != 0:
        problems.append(f"exit code {transcript.exit_code}, result {transcript.result}")
    if RESTART_QUESTION not in transcript.box_texts:
        problems.append("no restart question")
    lines = vantix_lines(prefix)
    if logged and not (lines and END_LINE.match(lines[-1])):
        problems.append("no end line: " + (lines[-1] if lines else "empty log"))
    return problems


def _lower(path: str) -> str:
    return str(PureWindowsPath(path)).lower().rstrip("\\")


def _under(path: str, roots) -> bool:
    lowered = _lower(path)
    return any(lowered == r or lowered.startswith(r + "\\") for r in roots)


class Footprint:
    """What a removal may change in a prefix: the package's files, folders,
    keys and values, the files it only schedules, and the tool's own traces
    (its log, wininit.ini, the pending renames, the stand-in's call list)."""

    def __init__(self, package, extra_paths=()):
        prefix = package.prefix
        self.paths = [_lower(p) for p in package.footprint.files + package.footprint.dirs]
        self.paths += [_lower(p) for p in package.scheduled]
        self.paths += [_lower(vtxkit.join(package.windows_dir, name)) for name in
                       ("VTX.LOG", "wininit.ini", "wininit.bak", "brdsetup.ini")]
        self.paths += [_lower(vtxkit.join(package.tool_dir_win, "kmiinst.calls"))]
        self.paths += [_lower(p) for p in extra_paths]
        self.temp = _lower(package.temp_dir)
        self.keys = [vtxkit.registry.normalize_key(k).lower() for k in package.footprint.keys]
        self.values = {(vtxkit.registry.normalize_key(k).lower(), n.lower())
                       for k, n in package.footprint.values}
        self.values.add((SESSION_MANAGER.lower(), "pendingfilerenameoperations"))
        self.prefix = prefix

    def _path_allowed(self, path: str) -> bool:
        if _under(path, self.paths):
            return True
        # addIniEntry's own scratch file, which it deletes again.
        name = PureWindowsPath(path).name.lower()
        return _lower(str(PureWindowsPath(path).parent)) == self.temp and name.startswith("kmi") \
            and name.endswith(".tmp")

    def _value_allowed(self, key: str, name: str) -> bool:
        return _under(key, self.keys) or (key.lower(), name.lower()) in self.values

    def outside(self, difference) -> List[str]:
        """The changes of a snapshot difference that lie outside."""
        found = []
        for kind in ("files_added", "files_removed", "files_changed", "dirs_added",
                     "dirs_removed"):
            found += [f"{kind} {p}" for p in getattr(difference, kind) if not self._path_allowed(p)]
        for kind in ("keys_added", "keys_removed"):
            found += [f"{kind} {k}" for k in getattr(difference, kind) if not _under(k, self.keys)]
        for kind in ("values_added", "values_removed", "values_changed"):
            found += [f"{kind} {k} : {n}" for k, n in getattr(difference, kind)
                      if not self._value_allowed(k, n)]
        return found
