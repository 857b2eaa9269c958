"""The rehearsal of a package's removal: installs a described package (see
package.py) into a sandbox prefix, runs the real tool on it, and reports
what was removed, what of the package is left and why, what else changed,
the scheduled entries and the log; then restarts the prefix and checks that
nothing of the package is left and nothing else changed.
(scripts/demo --package FILE runs it; see demo.py).

The package's footprint is measured, not taken on trust: it is everything
that laying out the description added to the prefix (folders created on
the way included), beside the others' things laid out before it."""
from dataclasses import dataclass, field
from pathlib import Path, PureWindowsPath
from typing import Callable, List, Optional, Tuple

from . import env
from .apps import FakeApp
from .driver import run_driver
from .logs import read_log, read_log_text, scheduled_deletions
from .package import PackageDescription, install, install_others
from .prefix import Prefix
from .relay import Relay
from .snapshot import Diff, Snapshot, diff

VERSIONS = {"95": "win95", "98": "win98", "me": "winme", "2000": "win2k", "xp": "winxp"}
STUB_CONFIG = {"progress_calls": 3, "delay_ms": 300}
SESSION_MANAGER = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Session Manager"
NOT_NAMED = "not named by any setting"
SCHEDULED = "scheduled for the next start"

# A runner starts the tool in its directory and returns when it has ended.
Runner = Callable[[Prefix, Path, str], None]


def heading(text: str) -> None:
    print(f"\n=== {text} ===", flush=True)


def listing(title: str, items) -> None:
    items = list(items)
    print(f"{title} ({len(items)}):")
    for item in items:
        print(f"  {item}")


def scripted_runner(prefix: Prefix, tool_exe: Path, tool_dir: str) -> None:
    """A scripted user: confirms, then puts the restart off."""
    heading("Running vtxremove.exe with a scripted user (confirms, restarts later)")
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
    return "|".join(item).lower()


def under(path: str, folder: str) -> bool:
    return path.lower().startswith(folder.rstrip("\\").lower() + "\\")


# ---------------------------------------------------------------- outcome
@dataclass
class Outcome:
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
                 prefix_name: Optional[str] = None, runner: Runner = scripted_runner,
                 relay: Optional[Relay] = None):
        self.description = description
        self.windows = windows
        self.prefix_name = prefix_name
        self.runner = runner
        self.relay = relay  # traces what the tool calls (relay.py)
        self.tool_dir = description.tool_dir
        self.prefix: Optional[Prefix] = None
        self.footprint: List[Item] = []
        self.companions: List[Tuple[FakeApp, str]] = []
        self.outcome = Outcome()

    # ------------------------------------------------------------ steps
    def run(self) -> Outcome:
        heading(f"Sandbox prefix as Windows {self.windows}: {self.description.name}")
        self.prefix = prefix = Prefix.fresh(VERSIONS[self.windows], name=self.prefix_name)
        print(prefix.path)
        if self.relay:
            self.relay.install(prefix)
        others = install_others(self.description, prefix)
        bare = Snapshot.take(prefix)
        install(self.description, prefix, STUB_CONFIG)
        installed = Snapshot.take(prefix)
        self.footprint = [i for i in added_items(diff(bare, installed))
                          if not self._is_tool_item(i)]
        self.show_footprint(others)
        self.companions = [(FakeApp(prefix, cls, title), f'"{title}" (class "{cls}"), {label}')
                           for label, cls, title in self.description.windows]
        self.runner(self.relay.wrap(prefix) if self.relay else prefix,
                    prefix.unix(self.tool_dir) / "vtxremove.exe", self.tool_dir)
        self.judge_run(installed)
        self.show_schedule_and_log()
        heading("Restarting Windows in the prefix")
        for app, _ in self.companions:
            app.stop()
        prefix.restart()
        self.judge_restart(installed)
        prefix.stop()
        return self.outcome

    def _is_tool_item(self, item: Item) -> bool:
        return item[0] in ("file", "dir") and (
            under(item[1], self.tool_dir) or item[1].lower() == self.tool_dir.lower())

    def show_footprint(self, others) -> None:
        heading("The driver package's footprint before the removal")
        files = [i[1] for i in self.footprint if i[0] == "file"]
        listing("files", [f for f in files if not f.lower().endswith(".lnk")])
        listing("shortcuts", [f for f in files if f.lower().endswith(".lnk")])
        listing("folders", [i[1] for i in self.footprint if i[0] == "dir"])
        listing("registry keys", [short_key(i[1]) for i in self.footprint if i[0] == "key"])
        listing("registry values in keys that are not the package's",
                [f"{short_key(i[1])} : {i[2]}" for i in self.footprint if i[0] == "value"])
        listing("dial-up entries", self.description.dialups)
        listing("companion program windows",
                [f'"{t}" (class "{c}"), {label}' for label, c, t in self.description.windows])
        listing("not the package's, must survive", others.files + others.keys)

    # ------------------------------------------------------------ judging
    def judge_run(self, installed: Snapshot) -> None:
        prefix, outcome = self.prefix, self.outcome
        closed = [what for app, what in self.companions if not app.alive()]
        listing("companion programs closed by the tool", closed)
        after = Snapshot.take(prefix)
        change = diff(installed, after)
        heading("What the removal changed (before/after snapshot)")
        outcome.scheduled = scheduled_deletions(prefix)
        scheduled = self._scheduled_paths(outcome.scheduled)
        gone = {key_of(i) for i in removed_items(change)}
        mine = {key_of(i) for i in self.footprint}
        outcome.removed = [describe(i) for i in self.footprint if key_of(i) in gone]
        left = [i for i in self.footprint if key_of(i) not in gone and not self._gone_with(i, gone)]
        outcome.left = [f"{describe(i)}: {self._reason(i, left, gone, scheduled)}" for i in left]
        outcome.left += [f"window {what}: no row of the tool's window list matches it"
                         for app, what in self.companions if app.alive()]
        named = self._dialups_named()
        outcome.removed += [f"dial-up entry {n} (deleted through the phonebook)"
                            for n in self.description.dialups if n.lower() in named]
        outcome.left += [f"dial-up entry {n}: {NOT_NAMED}"
                         for n in self.description.dialups if n.lower() not in named]
        outcome.else_changed = self._else(change, mine)
        listing("removed", outcome.removed)
        listing("left of the package", outcome.left)
        listing("what else changed", outcome.else_changed)

    def judge_restart(self, installed: Snapshot) -> None:
        outcome = self.outcome
        change = diff(installed, Snapshot.take(self.prefix))
        gone = {key_of(i) for i in removed_items(change)}
        left = [i for i in self.footprint if key_of(i) not in gone and not self._gone_with(i, gone)]
        outcome.left_after_restart = [describe(i) for i in left]
        outcome.left_after_restart += [line for line in outcome.left
                                       if line.startswith(("window ", "dial-up entry "))]
        mine = {key_of(i) for i in self.footprint}
        outcome.else_changed_after_restart = self._else(change, mine)
        listing("left of the package after the restart", outcome.left_after_restart)
        listing("what else changed after the restart", outcome.else_changed_after_restart)

    @staticmethod
    def _gone_with(item: Item, gone: set) -> bool:
        """A value of a removed key went with it."""
        return item[0] == "value" and key_of(("key", item[1])) in gone

    def _else(self, change: Diff, mine: set) -> List[str]:
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
            return self._is_tool_item(item)
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
        for folder in list(PureWindowsPath(path).parents)[1:]:
            is_mine = key_of(("dir", str(folder))) in {key_of(i) for i in self.footprint}
            if is_mine and any(PureWindowsPath(i[1]).parent == folder for i in own):
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

    def show_schedule_and_log(self) -> None:
        heading("Scheduled for deletion at the next start")
        title = "PendingFileRenameOperations" if self.prefix.is_nt else "wininit.ini [rename] NUL"
        listing(title, self.outcome.scheduled)
        heading("The log, VTX.LOG in the Windows directory")
        self.outcome.log = read_log_text(self.prefix)
        print(self.outcome.log)


def summary(outcome: Outcome) -> str:
    if outcome.clean:
        return "the package is gone and nothing else was touched"
    return "something of the package was left or something else changed (see above)"

