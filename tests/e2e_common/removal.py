"""Shared steps of the clean-up tests: a confirmed removal run with pictures
of the prefix before and after, the check that nothing outside the
package's footprint changed, the entries scheduled for the next start, and
a readable report of a run."""
import re
from dataclasses import dataclass
from typing import Dict, Iterable, List, Optional, Sequence

import vtxkit
from texts import CONFIRMATION, EN, RESTART_QUESTION
from vtxkit import env, join

PENDING_VALUE = "PendingFileRenameOperations"
DRIVER_DIR_KEYS = {"win95": "DriverDir95", "win98": "DriverDir98", "winme": "DriverDirMe",
                   "win2k": "DriverDir2k", "winxp": "DriverDirXP"}
SETUP_TEMP_FILES = ["KmiInst.exe", "KmiInst.dll", "hires.bmp", "lores.bmp"]
ERROR_LOGGERS = ("KmvdUtil", "RegistryIO:")
_SHORT_COMPONENT = re.compile(r"^[^.\s\\/]{1,8}(\.[^.\s\\/]{1,3})?$")


# ------------------------------------------------------------ paths

def same(a: str, b: str) -> bool:
    return a.rstrip("\\").lower() == b.rstrip("\\").lower()


def lowered(paths: Iterable[str]) -> set:
    return {p.rstrip("\\").lower() for p in paths}


def is_short_form(path: str) -> bool:
    """Every component after the drive is an 8.3 name."""
    parts = path.split("\\")
    return bool(re.match(r"^[A-Za-z]:$", parts[0])) and \
        all(_SHORT_COMPONENT.match(p) for p in parts[1:])


def short_paths(prefix, paths: Sequence[str]) -> Dict[str, str]:
    """The platform's short form of each existing path (asked in the prefix
    by the helper program shortname.exe); paths without one are left out."""
    program = env.build_dir() / "tests" / "e2e_cleanup" / "shortname.exe"
    if not program.exists():
        raise FileNotFoundError(f"{program} is missing: build the tests first")
    done = prefix.run(program, *paths)
    answers = done.stdout.replace("\r", "").split("\n")
    return {path: answer for path, answer in zip(paths, answers) if answer}


def decoys(prefix, product_name="Pathmark 100 ADSL Router") -> Dict[str, bytes]:
    """Files of the package's names in the other family's folders: they
    survive only when the tool follows the running version."""
    nt = prefix.is_nt
    folders = prefix.folders()
    programs = folders["programs" if nt else "common_programs"]
    desktop = folders["desktop" if nt else "common_desktop"]
    drivers = folders["system"] if nt else join(folders["system"], "drivers")
    lnk = b"L\0\0\0lnk"
    return {join(programs, product_name, "Pathmark 100 Help.lnk"): lnk,
            join(desktop, "Pathmark 100 Control Panel.lnk"): lnk,
            join(desktop, "Pathmark Internet.lnk"): lnk,
            join(drivers, "mdmcode.bin"): b"decoy",
            join(drivers, "dspcode1.bin"): b"decoy"}


def driver_dir_only_for(version: str) -> dict:
    """brdsetup override: the driver directory key of the running version
    only (XP's for any later version); the tool logs "Can't get driver
    directory" if it reads another."""
    own = DRIVER_DIR_KEYS.get(version, DRIVER_DIR_KEYS["winxp"])
    return {"SystemInfo": {key: "" for key in DRIVER_DIR_KEYS.values() if key != own}}


# ------------------------------------------------------------ the run

@dataclass
class Removal:
    package: "vtxkit.Package"
    transcript: "vtxkit.Transcript"
    before: "vtxkit.Snapshot"
    after: "vtxkit.Snapshot"
    diff: "vtxkit.Diff"
    wininit_before: Optional[str]

    @property
    def prefix(self):
        return self.package.prefix

    @property
    def log(self) -> List[str]:
        """The messages of every log line, in file order."""
        return vtxkit.log_messages(self.prefix)

    def log_lines(self) -> List[str]:
        return [f"{line.logger}->{line.message}" for line in vtxkit.read_log(self.prefix)]

    def error_lines(self) -> List[str]:
        """Lines of the utility and registry error loggers."""
        return [f"{line.logger}->{line.message}" for line in vtxkit.read_log(self.prefix)
                if line.logger in ERROR_LOGGERS]


def remove(package, answers=("yes", "no"), **driver_options) -> Removal:
    """Confirms the removal and by default declines the restart (the test
    restarts the prefix itself); checks that the run ran to its end."""
    wininit_before = vtxkit.read_wininit(package.prefix)
    before = vtxkit.Snapshot.take(package.prefix)
    transcript = package.run_tool(answers=list(answers), **driver_options)
    after = vtxkit.Snapshot.take(package.prefix)
    removal = Removal(package, transcript, before, after, vtxkit.diff(before, after),
                      wininit_before)
    assert_completed(removal)
    return removal


def assert_completed(removal: Removal) -> None:
    """Exit code 0, the whole dialogue of a confirmed run (with the notice
    of a restart put off when it was), the end line written."""
    transcript = removal.transcript
    assert transcript.complete and transcript.exit_code == 0, transcript
    dialogue = [CONFIRMATION, EN[112], RESTART_QUESTION]
    if [b.answer for b in transcript.boxes[2:3]] == ["no"]:
        dialogue.append(EN[39])
    assert transcript.box_texts == dialogue, transcript.summary()
    lines = removal.log
    assert "User needs to reboot" in lines, "\n".join(lines)
    assert lines and lines[-1].startswith("<=== : "), "\n".join(lines)


# ------------------------------------------------------------ what changed

def allowed_new_files(package) -> List[str]:
    files = [join(package.windows_dir, "VTX.LOG"), join(package.tool_dir_win, "kmiinst.calls")]
    if not package.prefix.is_nt:
        files.append(join(package.windows_dir, "wininit.ini"))
    return files


def is_pending_value(key: str, name: str) -> bool:
    return key.lower().endswith("\\control\\session manager") and \
        name.lower() == PENDING_VALUE.lower()


def changes_outside_footprint(removal: Removal) -> List[str]:
    """Every change of the run that the package's footprint, the log, the
    stand-in library's record and the schedule for the next start do not
    explain."""
    package, d = removal.package, removal.diff
    mine = package.footprint
    files, dirs, keys = lowered(mine.files), lowered(mine.dirs), lowered(mine.keys)
    values = {(k.lower(), n.lower()) for k, n in mine.values}
    new_files = lowered(allowed_new_files(package))
    wininit = join(package.windows_dir, "wininit.ini").lower()

    def key_of(k):
        return k.replace("HKEY_LOCAL_MACHINE", "HKLM").replace("HKEY_CURRENT_USER", "HKCU")

    found = [f"file removed: {p}" for p in d.files_removed if p.lower() not in files]
    found += [f"dir removed: {p}" for p in d.dirs_removed if p.lower() not in dirs]
    found += [f"file added: {p}" for p in d.files_added if p.lower() not in new_files]
    found += [f"file changed: {p}" for p in d.files_changed if p.lower() != wininit]
    found += [f"dir added: {p}" for p in d.dirs_added]
    found += [f"key removed: {k}" for k in d.keys_removed if key_of(k).lower() not in keys]
    found += [f"key added: {k}" for k in d.keys_added]
    found += [f"value removed: {k} : {n}" for k, n in d.values_removed
              if key_of(k).lower() not in keys and (key_of(k).lower(), n.lower()) not in values]
    found += [f"value added or changed: {k} : {n}" for k, n in d.values_added + d.values_changed
              if not is_pending_value(k, n)]
    return found


def assert_only_footprint_changed(removal: Removal) -> None:
    outside = changes_outside_footprint(removal)
    assert outside == [], "changed outside the package's footprint:\n" + "\n".join(outside)
    lost = removal.package.lost_sentinels(removal.after.registry)
    assert lost == [], lost


# ------------------------------------------------------------ the schedule

def expected_schedule(package, shorts: Dict[str, str], in_use: Sequence[str] = ()) -> List[str]:
    """The entries a run schedules, in their order: the setup program's
    temporary files (the language library by its short path), those of
    OrigTmpDir, then the run's own lists. On 9x every entry of an existing
    file is its short form; a listed file deleted at once goes in as given."""
    nine_x = not package.prefix.is_nt

    def entry(path, exists=True):
        return shorts.get(path, path) if nine_x and exists else path

    temp = package.temp_dir
    result = [entry(join(temp, name)) for name in SETUP_TEMP_FILES]
    if package.language_dll:
        result.append(shorts[join(temp, package.language_dll)])
    if package.orig_tmp_dir:
        names = SETUP_TEMP_FILES + ([package.language_dll] if package.language_dll else [])
        result += [entry(join(package.orig_tmp_dir, name)) for name in names]
    held = lowered(in_use)
    for path in listed_paths(package):
        result.append(entry(path, exists=path.lower() in held))
    return result


def listed_paths(package) -> List[str]:
    """RemoveFromWinDir and RemoveFromWinSysDir as paths, in list order."""
    return [join(package.windows_dir, n) for n in package.remove_from_win_dir] + \
        [join(package.system_dir, n) for n in package.remove_from_win_sys_dir]


def schedule_candidates(package) -> List[str]:
    """Every path that a run may schedule, for short_paths before the run."""
    return list(package.scheduled) + listed_paths(package)


def assert_schedule(removal: Removal, shorts: Dict[str, str], in_use: Sequence[str] = ()) -> None:
    """The entries in order, short names on 9x, and each in the platform's
    own place only: wininit.ini on 9x, the pending deletions on NT."""
    prefix = removal.prefix
    entries = vtxkit.scheduled_deletions(prefix)
    wanted = expected_schedule(removal.package, shorts, in_use)
    assert [e.lower() for e in entries] == [w.lower() for w in wanted], \
        "scheduled:\n" + "\n".join(entries) + "\nexpected:\n" + "\n".join(wanted)
    if prefix.is_nt:
        assert vtxkit.read_wininit(prefix) == removal.wininit_before, "wininit.ini on NT"
        assert [v for v in removal.diff.values_added + removal.diff.values_changed
                if is_pending_value(*v)], "the pending deletions were not seen changing"
    else:
        assert vtxkit.pending_deletions(prefix) == [], "pending deletions on 9x"
        long_names = [e for e in entries if not is_short_form(e) and
                      prefix.unix(e).exists()]
        assert long_names == [], f"long names of existing files in wininit.ini: {long_names}"


def restart_and_check(removal: Removal, kept_in_use: Sequence[str] = ()) -> "vtxkit.Diff":
    """Restarts the prefix; every scheduled file is gone afterwards, and
    nothing but scheduled files (and the schedule itself) went. Returns
    the difference the restart made."""
    package = removal.package
    prefix = removal.prefix
    prefix.restart()
    later = vtxkit.Snapshot.take(prefix)
    d = vtxkit.diff(removal.after, later)
    assert package.scheduled_left() == [], package.scheduled_left()
    still = [p for p in listed_paths(package) if prefix.unix(p).exists()]
    assert still == [], f"listed files left after the restart: {still}"
    scheduled = lowered(package.scheduled + listed_paths(package) +
                        [join(package.windows_dir, "wininit.ini")])
    unexpected = [p for p in d.files_removed if p.lower() not in scheduled]
    unexpected += [f"dir {p}" for p in d.dirs_removed]
    unexpected += [f"added {p}" for p in d.files_added
                   if not same(p, join(package.windows_dir, "wininit.bak"))]
    unexpected += [f"key {k}" for k in d.keys_removed]
    unexpected += [f"value {k} : {n}" for k, n in d.values_removed if not is_pending_value(k, n)]
    assert unexpected == [], "the restart removed more than the schedule:\n" + \
        "\n".join(unexpected)
    assert vtxkit.scheduled_deletions(prefix) == [], "performed entries are cleared"
    assert package.lost_sentinels(later.registry) == []
    return d


# ------------------------------------------------------------ reading

def report(removal: Removal, entries: Sequence[str]) -> str:
    """The log, the scheduled entries, and what was removed and what
    survived, for reading."""
    package, d = removal.package, removal.diff
    lines = [f"=== {package.prefix.version}: log VTX.LOG", *removal.log_lines(),
             f"=== {package.prefix.version}: scheduled for the next start", *entries,
             f"=== {package.prefix.version}: removed"]
    lines += [f"dir  {p}" for p in d.dirs_removed] + [f"file {p}" for p in d.files_removed]
    lines += [f"key  {k}" for k in d.keys_removed]
    removed_keys = lowered(d.keys_removed)
    lines += [f"value {k} : {n}" for k, n in d.values_removed if k.lower() not in removed_keys]
    keep = package.sentinels
    lines.append(f"=== {package.prefix.version}: survived (others' things)")
    lines += [f"dir  {p}" for p in keep.dirs] + [f"file {p}" for p in keep.files]
    lines += [f"file {p}" for p in package.extra_files]
    lines += [f"key  {k}" for k in keep.keys] + [f"value {k} : {n}" for k, n in keep.values]
    return "\n".join(lines)
