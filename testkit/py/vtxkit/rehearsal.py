"""The rehearsal of a package's removal: lays a described package out in a
sandbox prefix (package.py), runs the real tool on it, and judges what was
removed, what of the package is left and why, what else changed, the
scheduled entries and the log; then restarts the prefix and judges again.
(The makers' tests and scripts/demo --package FILE run it.)

    rehearsal = Rehearsal(description, "98")
    outcome = rehearsal.run()            # or, step by step with a look at
                                         # each: install(), remove(), restart()

The package's footprint is measured, not taken on trust: everything that
laying out the description made (package.py)."""
from dataclasses import dataclass, field
from pathlib import Path, PureWindowsPath
from typing import Callable, List, Optional, Tuple

from . import env
from .apps import FakeApp
from .driver import run_driver
from .logs import read_log, read_log_text, scheduled_deletions
from .package import Package
from .description import PackageDescription
from .prefix import Prefix
from .registry import normalize_key
from .relay import Relay
from .snapshot import Diff, Snapshot, diff

VERSIONS = {"95": "win95", "98": "win98", "me": "winme", "2000": "win2k", "xp": "winxp"}
STUB_CONFIG = {"progress_calls": 3, "delay_ms": 300}
SESSION_MANAGER = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Session Manager"
NOT_NAMED = "not named by any setting"
SCHEDULED = "scheduled for the next start"

# A runner starts the tool in its directory and returns when it has ended.
Runner = Callable[[Prefix, Path, str], None]


def scripted_runner(prefix: Prefix, tool_exe: Path, tool_dir: str) -> None:
    """A scripted user: confirms, then puts the restart off."""
    print(run_driver(prefix, tool_exe, cwd=tool_dir, answers=["yes", "no"]).summary())


# ---------------------------------------------------------------- items
Item = Tuple[str, ...]  # ("file", path) ("dir", path) ("key", key) ("value", key, name)


def short_key(key: str) -> str:
    for long, short in (("HKEY_LOCAL_MACHINE\\", "HKLM\\"), ("HKEY_CURRENT_USER\\", "HKCU\\")):
        if key.upper().startswith(long):
            return short + key[len(long):]
    return key


def describe(item: Item) -> str:
    if item[0] == "value":
        return f"value {short_key(item[1])} : {item[2] or '@'}"
    if item[0] == "key":
        return f"key {short_key(item[1])}"
    return f"{item[0]} {item[1]}"


def added_items(change: Diff) -> List[Item]:
    """What a change added, values of added keys left implied by their key."""
    new_keys = {k.lower() for k in change.keys_added}
    items = [("dir", p) for p in change.dirs_added] + [("file", p) for p in change.files_added]
    items += [("key", k) for k in change.keys_added]
    items += [("value", k, n) for k, n in change.values_added if k.lower() not in new_keys]
    return items


def removed_items(change: Diff) -> List[Item]:
    gone_keys = {k.lower() for k in change.keys_removed}
    items = [("dir", p) for p in change.dirs_removed] + [("file", p) for p in change.files_removed]
    items += [("key", k) for k in change.keys_removed]
    items += [("value", k, n) for k, n in change.values_removed if k.lower() not in gone_keys]
    return items


def other_changes(change: Diff) -> List[str]:
    """Additions and changes of a diff as text lines (removals are judged
    against the package's footprint)."""
    lines = [f"added {describe(i)}" for i in added_items(change)]
    lines += [f"changed file {p}" for p in change.files_changed]
    lines += [f"changed value {short_key(k)} : {n or '@'}" for k, n in change.values_changed]
    return lines


def key_of(item: Item) -> str:
    if item[0] in ("key", "value"):
        item = (item[0], normalize_key(item[1])) + tuple(item[2:])
    return "|".join(item).lower()


def under(path: str, folder: str) -> bool:
    return path.lower().startswith(folder.rstrip("\\").lower() + "\\")


def footprint_items(package: Package) -> List[Item]:
    """Everything of the package, the files it only schedules included."""
    mine = package.footprint
    ordered = lambda paths: sorted(paths, key=str.lower)  # noqa: E731
    items: List[Item] = [("dir", d) for d in ordered(mine.dirs)]
    items += [("file", f) for f in ordered(mine.files + package.scheduled)]
    items += [("key", normalize_key(k)) for k in mine.keys]
    items += [("value", normalize_key(k), n) for k, n in mine.values]
    return items


# ---------------------------------------------------------------- outcome
@dataclass
class Outcome:
    companions_closed: List[str] = field(default_factory=list)
    removed: List[str] = field(default_factory=list)
    left: List[str] = field(default_factory=list)          # "item: reason"
    else_changed: List[str] = field(default_factory=list)
    left_after_restart: List[str] = field(default_factory=list)
    else_changed_after_restart: List[str] = field(default_factory=list)
    scheduled: List[str] = field(default_factory=list)
    log: str = ""

    @property
    def clean(self) -> bool:
        return not (self.left_after_restart or self.else_changed or
                    self.else_changed_after_restart)

    @property
    def exit_code(self) -> int:
        return 0 if self.clean else 1


class Rehearsal:
    def __init__(self, description: PackageDescription, windows: str,
                 prefix_name: Optional[str] = None, relay: Optional[Relay] = None):
        self.description = description
        self.windows = windows
        self.prefix_name = prefix_name
        self.relay = relay  # traces what the tool calls (relay.py)
        self.prefix: Optional[Prefix] = None
        self.package: Optional[Package] = None
        self.footprint: List[Item] = []
        self.companions: List[Tuple[FakeApp, str]] = []
        self.installed: Optional[Snapshot] = None
        self.outcome = Outcome()

    def run(self, runner: Runner = scripted_runner) -> Outcome:
        self.install()
        self.remove(runner)
        self.restart()
        return self.outcome

    # ------------------------------------------------------------ steps
    def install(self) -> Package:
        """A fresh prefix of the Windows version with the package laid out
        and its companion programs' windows open."""
        self.prefix = prefix = Prefix.fresh(VERSIONS[self.windows], name=self.prefix_name)
        if self.relay:
            self.relay.install(prefix)
        self.package = Package(prefix, self.description, stub_config=STUB_CONFIG).install()
        self.footprint = footprint_items(self.package)
        self.installed = Snapshot.take(prefix)
        self.companions = [(FakeApp(prefix, cls, title), f'"{title}" (class "{cls}"), {label}')
                           for label, cls, title in self.description.windows]
        return self.package

    def remove(self, runner: Runner = scripted_runner) -> Outcome:
        """The tool run by runner, then what it changed."""
        prefix = self.prefix
        runner(self.relay.wrap(prefix) if self.relay else prefix,
               self.package.tool_exe, self.package.tool_dir_win)
        outcome = self.outcome
        outcome.companions_closed = [what for app, what in self.companions if not app.alive()]
        change = diff(self.installed, Snapshot.take(prefix))
        outcome.scheduled = scheduled_deletions(prefix)
        scheduled = self._scheduled_paths(outcome.scheduled)
        gone = {key_of(i) for i in removed_items(change)}
        outcome.removed = [describe(i) for i in self.footprint if key_of(i) in gone]
        left = self._left(gone)
        outcome.left = [f"{describe(i)}: {self._reason(i, left, gone, scheduled)}" for i in left]
        outcome.left += [f"window {what}: no row of the tool's window list matches it"
                         for app, what in self.companions if app.alive()]
        named = self._dialups_named()
        outcome.removed += [f"dial-up entry {n} (deleted through the phonebook)"
                            for n in self.description.dialups if n.lower() in named]
        outcome.left += [f"dial-up entry {n}: {NOT_NAMED}"
                         for n in self.description.dialups if n.lower() not in named]
        outcome.else_changed = self._else(change)
        outcome.log = read_log_text(prefix)
        return outcome

    def restart(self) -> Outcome:
        """Windows restarted in the prefix: what is left then."""
        outcome = self.outcome
        for app, _ in self.companions:
            app.stop()
        self.prefix.restart()
        change = diff(self.installed, Snapshot.take(self.prefix))
        gone = {key_of(i) for i in removed_items(change)}
        outcome.left_after_restart = [describe(i) for i in self._left(gone)]
        outcome.left_after_restart += [line for line in outcome.left
                                       if line.startswith(("window ", "dial-up entry "))]
        outcome.else_changed_after_restart = self._else(change)
        self.prefix.stop()
        return outcome

    # ------------------------------------------------------------ judging
    def _left(self, gone: set) -> List[Item]:
        """The footprint's items not gone; a value of a removed key went
        with it."""
        return [i for i in self.footprint if key_of(i) not in gone and
                not (i[0] == "value" and key_of(("key", i[1])) in gone)]

    def _else(self, change: Diff) -> List[str]:
        mine = {key_of(i) for i in self.footprint}
        lines = [f"removed {describe(i)}" for i in removed_items(change)
                 if key_of(i) not in mine and not self._expected(i)]
        for line, item in zip(other_changes(change), self._changed_items(change)):
            if not self._expected(item):
                lines.append(line)
        return lines

    @staticmethod
    def _changed_items(change: Diff) -> List[Item]:
        items = added_items(change)
        items += [("file", p) for p in change.files_changed]
        items += [("value", k, n) for k, n in change.values_changed]
        return items

    def _expected(self, item: Item) -> bool:
        """The tool's log, the scheduled deletions and the tool directory."""
        if item[0] in ("file", "dir"):
            name = PureWindowsPath(item[1]).name.lower()
            in_windows = PureWindowsPath(item[1]).parent == PureWindowsPath(
                self.prefix.folders()["windows"])
            if in_windows and name in ("vtx.log", "wininit.ini", "wininit.bak"):
                return True
            tool_dir = self.package.tool_dir_win
            return under(item[1], tool_dir) or item[1].lower() == tool_dir.lower()
        if item[0] == "value":
            return (item[1].lower() == SESSION_MANAGER.lower()
                    and item[2] == "PendingFileRenameOperations")
        return False

    def _reason(self, item: Item, left: List[Item], gone: set, scheduled: set) -> str:
        if item[0] == "file" and item[1].lower() in scheduled:
            return SCHEDULED
        if item[0] in ("dir", "key"):
            inside = [i for i in left if i[0] in ("file", "dir", "key") and under(i[1], item[1])]
            if inside:
                return "holds what is left"
        if item[0] == "file":
            folder = self._emptied_ancestor(item[1], gone)
            if folder:
                return (f"in a subfolder of {folder}: the tool empties a folder's own files, "
                        "not its subfolders")
        return NOT_NAMED

    def _emptied_ancestor(self, path: str, gone: set) -> Optional[str]:
        """A folder of the package above the file's own folder whose files
        the tool removed."""
        own = [i for i in self.footprint if i[0] == "file" and key_of(i) in gone]
        dirs = {key_of(i) for i in self.footprint if i[0] == "dir"}
        for folder in list(PureWindowsPath(path).parents)[1:]:
            if key_of(("dir", str(folder))) in dirs and \
                    any(PureWindowsPath(i[1]).parent == folder for i in own):
                return str(folder)
        return None

    def _scheduled_paths(self, entries: List[str]) -> set:
        """Long paths of the scheduled entries. Some are short names (all of
        them on Windows 95, 98 and Me): each file of the package still
        present is asked for its short form."""
        paths = {e.lower() for e in entries}
        if not entries:
            return paths
        files = [i[1] for i in self.footprint
                 if i[0] == "file" and self.prefix.unix(i[1]).exists()]
        program = env.build_dir() / "tests" / "e2e_cleanup" / "shortname.exe"
        answers = self.prefix.run(program, *files).stdout.replace("\r", "").split("\n")
        paths |= {path.lower() for path, short in zip(files, answers)
                  if short and short.lower() in paths}
        return paths

    def _dialups_named(self) -> set:
        """Dial-up entries the log says were removed ("SECTION: NAME removed")."""
        named = set()
        for line in read_log(self.prefix):
            if line.logger == "Vantix" and line.message.endswith(" removed"):
                section, sep, rest = line.message[:-len(" removed")].partition(": ")
                if sep and "\\" not in rest:
                    named.add(rest.lower())
        return named
