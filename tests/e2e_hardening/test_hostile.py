"""Hostile input, as a table (hostile_cases.py): each run installs a package
whose settings carry several hostile values at once, confirms the removal,
declines the restart, then restarts the prefix so that whatever was
scheduled happens too. Every case asks that the run ended normally and that
nothing outside the package's footprint changed, plus checks of its own.
The table of cases and outcomes is printed.

    python3 test_hostile.py     runs every group and prints the whole table"""
import time
from typing import List

import vtxkit
from hardening import Footprint, ended_normally, vantix_lines
from hostile_cases import GROUPS, Case, Group

DICT_OPTIONS = ("vtx_ini", "brdsetup", "linemon", "registry")
FLAT_OPTIONS = ("package_values", "extra_files")
TRANSFORMS = {"vtx_ini_transform": ("vtx_ini_text", "vtx_ini_text"),
              "brdsetup_transform": ("brdsetup_text", "brdsetup_text")}


def merged_options(cases: List[Case]) -> dict:
    """The fixture options of all cases of a run; a key set by two cases is
    an error, since one would mask the other."""
    options: dict = {}
    for case in cases:
        for name, value in case.options.items():
            if name in DICT_OPTIONS:
                sections = options.setdefault(name, {})
                for section, keys in value.items():
                    target = sections.setdefault(section, {})
                    clash = set(target) & set(keys)
                    assert not clash, f"{case.what}: {name} [{section}] {clash} set twice"
                    target.update(keys)
            elif name in FLAT_OPTIONS:
                target = options.setdefault(name, {})
                clash = set(target) & set(value)
                assert not clash, f"{case.what}: {name} {clash} set twice"
                target.update(value)
            else:
                assert name not in options, f"{case.what}: {name} set twice"
                options[name] = value
    return options


def apply_transforms(prefix, options: dict) -> dict:
    """Texts rewritten from the fixture's own (a header in capitals, ...)."""
    plain = {k: v for k, v in options.items() if k not in TRANSFORMS}
    probe = vtxkit.PackageFixture(prefix, **plain)
    for name, (option, method) in TRANSFORMS.items():
        if name in options:
            plain[option] = options[name](getattr(probe, method)())
    return plain


def text_lines(text) -> List[str]:
    return text.split("\r\n") if text is not None else []


def prefix_places(prefix) -> dict:
    """The folders a case's paths may name, as this prefix has them."""
    folders = prefix.folders()
    return {"windows": folders["windows"], "system": folders["system"],
            "driver": folders["system"] + ("\\drivers" if prefix.is_nt else ""), "temp": folders["temp"],
            "programs": folders["common_programs" if prefix.is_nt else "programs"]}


def expand(template: str, places: dict) -> str:
    for name, place in places.items():
        template = template.replace("{" + name + "}", place.rstrip("\\"))
    return template


class HostileRun:
    """One run of a group and what the cases' checks read from it."""

    def __init__(self, group: Group):
        self.group = group
        self.prefix = vtxkit.Prefix.fresh(group.version)
        self.places = prefix_places(self.prefix)
        options = apply_transforms(self.prefix, merged_options(group.cases))
        if "extra_files" in options:
            options["extra_files"] = {expand(path, self.places): content
                                      for path, content in options["extra_files"].items()}
        self.fixture = vtxkit.PackageFixture(self.prefix, **options).install()
        self.footprint = Footprint(self.fixture)
        self.watched = [key for case in group.cases for key in case.watched]

    def watched_items(self) -> list:
        if not self.watched:
            return []
        return sorted(self.prefix.read_keys(self.watched).items(), key=repr)

    def wininit_bytes(self):
        path = self.prefix.windows_dir / "wininit.ini"
        return path.read_bytes() if path.exists() else None

    def play(self) -> None:
        self.wininit_before = vtxkit.read_wininit(self.prefix)
        self.wininit_bytes_before = self.wininit_bytes()
        before = vtxkit.Snapshot.take(self.prefix)
        watched_before = self.watched_items()
        started = time.monotonic()
        self.transcript = self.fixture.run_tool(answers=["yes", "no"])
        self.seconds = time.monotonic() - started
        self.wininit_after = vtxkit.read_wininit(self.prefix)
        self.wininit_bytes_after = self.wininit_bytes()
        self.log_text = vtxkit.read_log_text(self.prefix)
        self.calls = vtxkit.call_kinds(self.fixture.tool_dir)
        self.records = [c for c in vtxkit.read_calls(self.fixture.tool_dir)
                        if c.kind == "initialize"]
        self.common = ended_normally(self.transcript, self.prefix, self.group.logged)
        if self.group.full_removal:
            self.common += [f"left: {item}" for item in self.fixture.leftovers()]
        # What was scheduled happens now: the difference shows it.
        self.prefix.restart()
        difference = vtxkit.diff(before, vtxkit.Snapshot.take(self.prefix))
        self.common += self.footprint.outside(difference)
        if self.watched_items() != watched_before:
            self.common.append("changed: " + ", ".join(self.watched))

    # ------------------------------------------------------------ case checks
    def path(self, template: str) -> str:
        return expand(template, self.places)

    def exists(self, template: str) -> bool:
        return self.prefix.unix(self.path(template)).exists()

    def problems_of(self, case: Case) -> List[str]:
        found = [f"not logged: {text}" for text in map(self.path, case.logged)
                 if text not in self.log_text]
        found += [f"removed: {p}" for p in case.kept if not self.exists(p)]
        found += [f"still there: {p}" for p in case.gone if self.exists(p)]
        if case.check is not None:
            found += case.check(self)
        return found

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


if __name__ == "__main__":
    all_rows = []
    for each in GROUPS:
        all_rows += play_group(each.name)
        print()
    print_table(all_rows)
