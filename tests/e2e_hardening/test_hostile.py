"""Hostile input, as a table (hostile_cases.py): each run installs a package
whose settings carry several hostile values at once, confirms the removal,
declines the restart, then restarts the prefix so that whatever was
scheduled happens too. Every case asks that the run ended normally and that
nothing outside the package's footprint changed, plus checks of its own.
The table of cases and outcomes is printed.

    python3 test_hostile.py     runs every group and prints the whole table"""
import time
from typing import List

import removal as rm
import vtxkit
from vtxkit import sfc
from hardening import Footprint, ended_normally, vantix_lines
from hostile_cases import GROUPS, PLACES, Case, Group

TRANSFORMS = {"vtx_ini_transform": ("vtx_ini_text", "vtx_ini_text"),
              "brdsetup_transform": ("brdsetup_text", "brdsetup_text")}


def merged(into: dict, options: dict, what: str, path=()) -> None:
    """options merged into into, dictionaries level by level; a value set
    by two cases is an error, since one would mask the other."""
    for name, value in options.items():
        if isinstance(value, dict) and isinstance(into.get(name, {}), dict):
            merged(into.setdefault(name, {}), value, what, path + (name,))
        else:
            assert name not in into, f"{what}: {' / '.join(path + (name,))} set twice"
            into[name] = value


def merged_options(cases: List[Case]) -> dict:
    """The package options of all cases of a run."""
    options: dict = {}
    for case in cases:
        merged(options, case.options, case.what)
    return options


def apply_transforms(prefix, options: dict) -> dict:
    """Texts rewritten from the package's own (a header in capitals, ...)."""
    plain = {k: v for k, v in options.items() if k not in TRANSFORMS}
    probe = vtxkit.Package(prefix, **plain)
    for name, (option, method) in TRANSFORMS.items():
        if name in options:
            plain[option] = options[name](getattr(probe, method)())
    return plain


def with_places(text: str, places: dict) -> str:
    for name, value in places.items():
        text = text.replace("{" + name + "}", value)
    return text


def placed_files(options: dict, places: dict) -> dict:
    """The options with the places in extra_files' paths, in brdsetup.ini
    values and in the text registry and package values filled in."""
    if "extra_files" in options:
        options = dict(options, extra_files={with_places(path, places): content for path, content
                                             in options["extra_files"].items()})
    if "brdsetup" in options:
        options = dict(options, brdsetup={section: {key: placed_setting(key, value, places)
                                                    for key, value in values.items()}
                                           for section, values in options["brdsetup"].items()})
    if "registry" in options:
        options = dict(options, registry={key: {name: with_places(value, places) if type(value)
                                                is str else value for name, value in values.items()}
                                          for key, values in options["registry"].items()})
    if "package_values" in options:
        options = dict(options, package_values={
            name: with_places(value, places) if type(value) is str else value
            for name, value in options["package_values"].items()})
    return options


def placed_setting(key: str, value, places: dict):
    """A brdsetup.ini value with the places filled in; ProgramFilesDir
    without its drive, which the tool puts before it."""
    if type(value) is not str:
        return value
    value = with_places(value, places)
    return value[3:] if key == "ProgramFilesDir" and value[1:3] == ":\\" else value


def text_lines(text) -> List[str]:
    return text.split("\r\n") if text is not None else []


class HostileRun:
    """One run of a group and what the cases' checks read from it."""

    def __init__(self, group: Group):
        self.group = group
        self.prefix = vtxkit.Prefix.fresh(group.version)
        folders = self.prefix.folders()
        before_install = {name: folders[name] for name in ("windows", "system", "temp",
                                                           "common_programs", "common_desktop",
                                                           "personal", "appdata")}
        # The Programs folder that holds the group, before the package says so.
        before_install["programs_dir"] = folders["common_programs" if self.prefix.is_nt
                                                 else "programs"]
        before_install["driver"] = vtxkit.join(folders["system"], "drivers") if self.prefix.is_nt \
            else folders["system"]
        options = placed_files(merged_options(group.cases), before_install)
        options = apply_transforms(self.prefix, options)
        # The table watches what the run leaves, not its pauses.
        self.package = vtxkit.Package(self.prefix, short_pauses=True, **options).install()
        package = self.package
        self.places = {name: getattr(package, f"{name}_dir", None) or getattr(package, name, None)
                       or folders[name] for name in PLACES}
        self.footprint = Footprint(package, [self.path(p) for c in group.cases for p in c.allowed])
        self.footprint.values |= {(vtxkit.registry.normalize_key(k).lower(), n.lower())
                                  for c in group.cases for k, n in c.allowed_values}
        self.watched = [key for case in group.cases for key in case.watched]
        self.extra_env = {}
        if group.protected:
            sfc.protect(self.prefix, [self.path(p) for p in group.protected])
            self.extra_env = sfc.NATIVE_FIRST

    def watched_items(self) -> list:
        """The values below the watched keys, which the snapshot leaves out."""
        if not self.watched:
            return []
        return sorted(self.prefix.read_keys(self.watched).items(), key=repr)

    def wininit_bytes(self):
        path = self.prefix.windows_dir / "wininit.ini"
        return path.read_bytes() if path.exists() else None

    def play(self) -> None:
        self.wininit_before = vtxkit.read_wininit(self.prefix)
        self.wininit_bytes_before = self.wininit_bytes()
        if self.group.schedule:
            shorts = rm.short_paths(self.prefix, rm.schedule_candidates(self.package))
        before = vtxkit.Snapshot.take(self.prefix)
        watched_before = self.watched_items()
        started = time.monotonic()
        self.transcript = self.package.run_tool(answers=["yes", "no"], extra_env=self.extra_env)
        self.seconds = time.monotonic() - started
        self.wininit_after = vtxkit.read_wininit(self.prefix)
        self.wininit_bytes_after = self.wininit_bytes()
        self.log_text = vtxkit.read_log_text(self.prefix)
        self.calls = vtxkit.call_kinds(self.package.tool_dir)
        self.records = [c for c in vtxkit.read_calls(self.package.tool_dir)
                        if c.kind == "initialize"]
        self.common = ended_normally(self.transcript, self.prefix, self.group.logged)
        if self.group.full_removal:
            self.common += [f"left: {item}" for item in self.package.leftovers()]
        # After the snapshot leftovers() read, the schedule comes from it.
        self.pending_after = vtxkit.pending_deletions(self.prefix)
        if self.group.schedule:
            self.common += self.schedule_problems(shorts)
        # What was scheduled happens now: the difference shows it.
        self.prefix.restart()
        difference = vtxkit.diff(before, vtxkit.Snapshot.take(self.prefix))
        self.common += self.footprint.outside(difference)
        if self.watched_items() != watched_before:
            self.common.append("changed: " + ", ".join(self.watched))
        if self.group.schedule:
            self.common += [f"scheduled, still there: {p}" for p in self.package.scheduled_left()]

    def schedule_problems(self, shorts) -> List[str]:
        """The scheduled entries, in order and in the platform's own place,
        short names on 9x."""
        entries = [e.lower() for e in vtxkit.scheduled_deletions(self.prefix)]
        wanted = [e.lower() for e in rm.expected_schedule(self.package, shorts)]
        problems = [] if entries == wanted else [f"scheduled {entries}, expected {wanted}"]
        if not self.prefix.is_nt and vtxkit.pending_deletions(self.prefix):
            problems.append("pending deletions on 9x")
        return problems

    # ------------------------------------------------------------ case checks
    def path(self, template: str) -> str:
        """A path or text with the places of PLACES in braces filled in."""
        return with_places(template, self.places)

    def exists(self, template: str) -> bool:
        return self.prefix.unix(self.path(template)).exists()

    def problems_of(self, case: Case) -> List[str]:
        found = [f"not logged: {self.path(text)}" for text in case.logged
                 if self.path(text) not in self.log_text]
        found += [f"removed: {p}" for p in case.kept if not self.exists(p)]
        found += [f"still there: {p}" for p in case.gone if self.exists(p)]
        if case.check is not None:
            found += case.check(self)
        return found

    def log_lines(self) -> List[str]:
        return vtxkit.log_messages(self.prefix)

    def logged_start(self, template: str, length=None) -> List[str]:
        """Some log line begins with the text (its first length characters)."""
        start = self.path(template)[:length]
        return [] if any(m.startswith(start) for m in self.log_lines()) else \
            [f"no line begins {start[:80]!r}"]

    def logged_line(self, line: str) -> List[str]:
        return [] if line in self.log_lines() else [f"no line {line[:80]!r}..."]

    def logged_after(self, line: str, following: List[str]) -> List[str]:
        lines = self.log_lines()
        if line not in lines:
            return [f"not logged: {line}"]
        at = lines.index(line) + 1
        got = lines[at:at + len(following)]
        return [] if got == following else [f"after {line!r}: {got}, expected {following}"]

    def log_lines_at_most(self, length: int) -> List[str]:
        longest = max((len(m) for m in self.log_lines()), default=0)
        return [] if longest <= length else [f"a log line of {longest} characters"]

    def not_scheduled(self, text: str) -> List[str]:
        entries = (self.wininit_after or "") + "".join(self.pending_after)
        return [f"scheduled: {text[:20]}..."] if text in entries else []

    def key_kept(self, key: str) -> List[str]:
        return [] if self.prefix.registry().has_key(key) else [f"key gone: {key}"]

    def left_only_below(self, *places: str) -> List[str]:
        """What the description no longer names stays (the folders and keys
        named by places and what is below them); everything else of the
        package went, and the two folders are among what stayed."""
        roots = [self.places[p].lower() for p in places]
        left = self.package.leftovers()
        elsewhere = [item for item in left if not any(
            item.split(" ", 1)[1].lower().startswith(r) for r in roots)]
        missing = [f"dir {self.places[p]}" for p in ("group_dir", "program_dir")
                   if p in places and f"dir {self.places[p]}" not in left]
        return [f"left: {item}" for item in elsewhere] + [f"removed: {m}" for m in missing]

    def left_without_package_key(self) -> List[str]:
        """Without the package key no firmware list is read: the listed
        images and the key itself stay, nothing else."""
        package = self.package
        wanted = sorted([f"file {vtxkit.join(package.driver_dir, n)}" for n in package.firmware_files]
                        + [f"key {package.package_key}"])
        left = sorted(package.leftovers())
        return [] if left == wanted else [f"left {left}, expected {wanted}"]

    def wininit_entries_before(self, header: str, original: str) -> List[str]:
        """wininit.ini as it was, with the run's entries (the setup
        program's fixed temporary files and the listed files) added to
        [rename] just before header."""
        package = self.package
        entries = [vtxkit.join(package.temp_dir, n) for n in rm.SETUP_TEMP_FILES]
        entries += rm.listed_paths(package)
        added = "".join(f"NUL={e}\r\n" for e in entries)
        wanted = original.replace(header, added + header)
        if self.wininit_after == wanted:
            return []
        return [f"wininit.ini {self.wininit_after!r}, expected {wanted!r}"]

    def no_library_calls(self, kind: str) -> List[str]:
        return [f"{kind} called"] if kind in self.calls else []

    def device_record_cut(self) -> List[str]:
        """A value longer than the INI buffer reaches the library cut to 511
        characters, as one device."""
        wanted = ("ADSL", "KELCHIP", "ADSL\\" + "U" * (511 - len("KELCHIP\\ADSL\\")))
        got = [(r["hwType"], r["hwChipset"], r["usbCtrlr"]) for r in self.records]
        return [] if got == [wanted] else [f"records {got}"]

    def log_empty(self) -> List[str]:
        return [] if not self.log_text.strip() else ["log written: " + self.log_text[:80]]

    def wininit_kept_and_extended(self, header: str, appended=False) -> List[str]:
        """Every line of the old wininit.ini is still there, in order, and
        the new lines are "NUL=" entries at the end of the section (after
        the header that was appended, with appended)."""
        old, new = text_lines(self.wininit_before), text_lines(self.wininit_after)
        added, at = [], 0
        for index, line in enumerate(new):
            if at < len(old) and line == old[at]:
                at += 1
            else:
                added.append(index)
        problems = [] if at == len(old) else [f"lost old line {at + 1}: {old[at][:60]!r}"]
        if appended and added:
            problems += [] if new[added[0]] == header else [f"no {header} appended"]
            added = added[1:]
        if not added:
            return problems + ["no entry added"]
        problems += [f"added line not an entry: {new[i][:60]!r}" for i in added
                     if not new[i].startswith("NUL=")]
        start = new.index(header) if header in new else -1
        end = next((i for i in range(start + 1, len(new)) if new[i].startswith("[")), len(new))
        if not all(start < i < end for i in added):
            problems.append(f"entries outside {header}")
        elif [i for i in range(added[0], end) if i not in added and new[i]]:
            problems.append(f"entries not at the end of {header}")
        return problems

    def wininit_unchanged(self) -> List[str]:
        same = self.wininit_bytes_after == self.wininit_bytes_before
        return [] if same else ["wininit.ini rewritten"]

    def wininit_section_untouched(self, header: str) -> List[str]:
        def section(lines):
            if header not in lines:
                return None
            start = lines.index(header)
            end = next((i for i in range(start + 1, len(lines)) if lines[i].lstrip()
                        .startswith("[")), len(lines))
            while end > start and not lines[end - 1]:
                end -= 1
            return lines[start:end]
        old = section(text_lines(self.wininit_before))
        return [] if old is not None and old == section(text_lines(self.wininit_after)) else \
            [f"{header.strip()} section changed"]


def outcome_rows(run: HostileRun) -> List[tuple]:
    rows = []
    for case in run.group.cases:
        problems = run.common + run.problems_of(case)
        rows.append((run.group.name, case.file, case.what, "ok" if not problems else
                     "FAILED: " + "; ".join(problems)))
    return rows


def print_table(rows, first_number=1) -> None:
    print(f"{'#':>3}  {'run':<10} {'file':<13} {'case':<52} outcome")
    for number, (group, file, what, outcome) in enumerate(rows, first_number):
        print(f"{number:>3}  {group:<10} {file:<13} {what:<52} {outcome}")


def play_group(name: str) -> List[tuple]:
    """Runs one group and prints its rows of the table."""
    group = next(g for g in GROUPS if g.name == name)
    run = HostileRun(group)
    run.play()
    rows = outcome_rows(run)
    first = 1 + sum(len(g.cases) for g in GROUPS[:GROUPS.index(group)])
    print(f"run '{name}' on {group.version}: {run.seconds:.1f} s, "
          f"exit code {run.transcript.exit_code}")
    print_table(rows, first)
    if run.common:
        print("\n".join(vantix_lines(run.prefix)))
    return rows


def run_group(name: str) -> None:
    rows = play_group(name)
    failed = [row for row in rows if row[3] != "ok"]
    assert not failed, "\n".join(f"{r[2]}: {r[3]}" for r in failed)


def test_hostile_escapes():
    run_group("escapes")


def test_hostile_values():
    run_group("values")


def test_hostile_empty():
    run_group("empty")


def test_hostile_emptynames():
    run_group("emptynames")


def test_hostile_emptykey():
    run_group("emptykey")


def test_hostile_percent():
    run_group("percent")


def test_hostile_long():
    run_group("long")


def test_hostile_layout():
    run_group("layout")


def test_hostile_indented():
    run_group("indented")


def test_hostile_garbage98():
    run_group("garbage98")


def test_hostile_garbagexp():
    run_group("garbagexp")


def test_hostile_headers():
    run_group("headers")


def test_hostile_guardsxp():
    run_group("guardsxp")


def test_hostile_guards98():
    run_group("guards98")


def test_hostile_owner98():
    run_group("owner98")


def test_hostile_ownerxp():
    run_group("ownerxp")


def test_hostile_shared98():
    run_group("shared98")


def test_hostile_sharedxp():
    run_group("sharedxp")


def test_hostile_platform98():
    run_group("platform98")


def test_hostile_platformxp():
    run_group("platformxp")


def test_hostile_foreign98():
    run_group("foreign98")


def test_hostile_foreignxp():
    run_group("foreignxp")


def test_hostile_proof98():
    run_group("proof98")


def test_hostile_proofxp():
    run_group("proofxp")


if __name__ == "__main__":
    all_rows = []
    for each in GROUPS:
        all_rows += play_group(each.name)
        print()
    print_table(all_rows)
