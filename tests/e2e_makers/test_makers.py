"""The package makers' side, end to end: the README's tables against what
the program really does in a run, and rehearsals of the second sample
package (scripts/demo --package) under Windows 98 and XP."""
import fnmatch
import tempfile
from pathlib import Path, PureWindowsPath

import readme_tables as readme
from vtxkit import env, join, read_log
from vtxkit.description import PackageDescription
from vtxkit.rehearsal import NOT_NAMED, Rehearsal
from vtxkit.relay import Relay

SECOND_SAMPLE = env.source_dir() / "dist" / "sample-skylink420.ini"
FIRST_SAMPLE = env.source_dir() / "dist" / "sample-pathmark100.ini"
TRACED = ["kernel32.GetPrivateProfileStringA", "kernel32.DeleteFileA", "kernel32.MoveFileExA",
          "kernel32.RemoveDirectoryA", "kernel32.CreateMutexA", "kernel32.LoadLibraryA",
          "user32.FindWindowA", "advapi32.RegQueryValueExA", "advapi32.RegDeleteValueA",
          "advapi32.RegDeleteKeyA"]
PACKAGE_KEY = r"HKLM\Software\Contract\Probe"
UNINSTALL = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
RUN = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"

# What the contract run writes into brdsetup.ini for each key of the README's
# table; a key missing here keeps its default (which the run then shows).
SETUP_VALUES = {
    "ProgramFilesDir": r"Program Files\Contract\Probe", "ProductName": "Contract Probe",
    "HardwareType": "usb", "HardwarePlatform": "adsl", "DriverDir95": "Drv", "DriverDir98": "Drv",
    "DriverDirMe": "Drv", "DriverDir2k": "Drv", "DriverDirXP": "Drv",
    "UsbCtrlrId": r"USB\VID_0001&PID_0002", "InstallSilently": "1",
    "SetupSoftwareKey": r"Contract\Probe", "CplWindowName": "Contract Probe Panel",
    "StartMenuIconSections": "IconA", "IspSections": "IspB",
    ("IconA", "Description"): "Contract Probe Help", ("IconA", "ShortcutToDesktop"): "1",
    ("IspDefault", "DialupName"): "Probe Net", ("IspB", "DialupName"): "Probe Backup",
}
LEFT_OUT = {"ModemId"}  # absent, so that UsbCtrlrId is read
SECTIONS = {"SystemInfo": "SystemInfo", "IspDefault": "IspDefault",
            "each icon section": "IconA", "each provider section": "IspB"}
WRITTEN_BY_THE_TOOL = {"vtx.log", "wininit.ini"}
MISTAKE = "NoSettingNamesMe.sys"
# Read by the folder guards and the proofs of registrations from the
# platform's own keys (CurrentVersion, the profile lists, App Paths, the
# uninstall entries and the start-up values), never from the package key.
PLATFORM_VALUES = {"ProgramFilesDir", "CommonFilesDir", "ProfileImagePath", "ProfilesDirectory",
                   "AllUsersProfile", "DefaultUserProfile", "ProgramData", "Public", "Path", "",
                   "InstallLocation", "UninstallString", "DisplayIcon",
                   "KMICONEXE", "LINEMONEXE", "LINEWATCHEXE", "KMISETUP",
                   "ProgramW6432Dir", "CommonW6432Dir"}
# Every start-up value is read (another product's may start a program in the
# program folder).
STARTUP_KEYS = [r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run",
                r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\RunServices"]


# ---------------------------------------------------------------- the contract
def contract_description(tmp: Path) -> PackageDescription:
    """A package laid out from the README's tables (and one file that no
    setting names)."""
    program = r"C:\Program Files\Contract\Probe"
    files = {program: ["probe.exe", "LineMon.ini"],
             r"%PROGRAMS%\Contract Probe": ["Contract Probe Help.lnk"],
             "%DESKTOP%": ["Contract Probe Help.lnk", "Probe Net.lnk", "Probe Backup.lnk"],
             "%DRIVERS%": ["probe.bin"], "%WINDOWS%": ["probe.ini"],
             "%SYSTEM%": ["probe.dll", MISTAKE]}
    sections = {
        "Package": {"Name": "The README's contract", "ToolDir": r"C:\ContractTool"},
        # Two of the values only a modem's setup writes show that the key is
        # the package's; the uninstall entry points into the tool's folder.
        PACKAGE_KEY: {"FirmwareFiles": "probe.bin", "OrigTmpDir": r"%WINDOWS%\temp",
                      "vpi": "8", "vci": "35"},
        join(UNINSTALL, "Contract Probe"): {"DisplayName": "Contract Probe",
                                            "UninstallString": r"C:\ContractTool\vtxremove.exe"},
        "Dialups": {"Entries": "Probe Net, Probe Backup"},
        # The company key above the package's keys is not the package's.
        "Other HKLM\\Software\\Contract\\Shared": {"Users": "1"},
        "Windows": {},
        "VTX.INI/SystemInfo": {"Debug": "TRACE", "DeviceId": r"PROBE\ADSL\USB\VID_0001&PID_0002",
                               "RemoveFromWinDir": "probe.ini", "RemoveFromWinSysDir": "probe.dll",
                               "SupportedLanguages": "english", "ForceLanguage": "english"},
        "VTX.INI/Languages": {"english": "kmtext_english.dll,0x0009,0,101"},
    }
    for missing, cost in readme.package_values().items():
        assert missing in sections[PACKAGE_KEY] or \
            cost.startswith("one log entry"), f"package value {missing}: {cost!r}"
    for entry in readme.setup_keys():
        section = SECTIONS.get(entry.section)
        assert section, f"README names a brdsetup.ini section the test cannot lay out: {entry}"
        value = SETUP_VALUES.get((section, entry.key), SETUP_VALUES.get(entry.key))
        if entry.key in LEFT_OUT:
            continue
        if value is None:
            assert entry.default, f"brdsetup.ini key {entry.key}: no value and no default"
            continue
        sections.setdefault(f"brdsetup.ini/{section}", {})[entry.key] = value
    windows = sections["Windows"]
    for number, row in enumerate(readme.fixed_names()):
        lay_fixed(row, number, program, files, sections, windows)
    defaults = {k.key: k.default for k in readme.setup_keys()}
    windows["the tray program"] = f"{defaults['SysTrayClassName']}, {defaults['SysTrayWindowName']}"
    lines = []
    for name, keys in sections.items():
        lines.append(f"[{name}]")
        lines += [f"{k}={v}" for k, v in keys.items()]
    lines.append("[Files]")
    lines += [f"{folder}={', '.join(names)}" for folder, names in files.items()]
    path = tmp / "contract.ini"
    path.write_text("\n".join(lines) + "\n", encoding="cp1252")
    return PackageDescription.read(path)


def lay_fixed(row, number, program, files, sections, windows) -> None:
    """One row of the fixed-footprint table as things of the package."""
    where = readme.ticked(row.where)
    written = WRITTEN_BY_THE_TOOL | {"brdsetup.ini"}
    if row.read_only:  # the platform's, read only
        return
    if row.kind in ("file", "files") and (row.names[0].lower() in written or "*" in row.names[0]):
        return
    if row.kind in ("file", "files"):
        folders = ["%TEMP%", r"%WINDOWS%\temp"] if "OrigTmpDir" in row.where else where
        for folder in folders:
            files.setdefault(folder, []).extend(row.names)
    elif row.kind == "folder" and "the program folder" in row.where:
        files[join(program, row.names[0])] = ["probe.sys"]
    elif row.kind == "folder":
        files[join("C:", where[0], row.names[0])] = ["setup.ilg", "data1.hdr"]
    elif row.kind == "key":
        sections[join(where[0], row.names[0])] = {"DisplayName": "Contract Probe Setup"}
    elif row.kind == "values":
        sections[where[0]] = {name: r"C:\Program Files\Contract\Probe\probe.exe"
                              for name in row.names}
    elif row.kind == "INI value":
        ini, section = where[1], where[0].strip("[]")
        sections[f"{join(program, ini)}/{section}"] = {row.names[0]: r"Contract\Probe Panel"}
        sections[r"HKLM\Software\Contract\Probe Panel"] = {"Skin": "1"}
        sections[r"HKLM\Software\Contract\Probe Panel\Settings"] = {"Poll": "5"}
    elif row.kind == "window" and row.literal:
        window_class, title = row.names
        windows[f"row {number}"] = f"{window_class}, {title or 'Any Title'}"


def calls_of(relay, function):
    program = env.package_dir() / "vtxremove.exe"
    return [call.args for call in relay.calls(program) if call.function == function]


def check_setup_reads(relay, version_key: str) -> None:
    read = set()
    sections = {v: k for k, v in SECTIONS.items()}
    for args in calls_of(relay, "GetPrivateProfileStringA"):
        section, key, default, file = args[0], args[1], args[2], args[5]
        if file.lower().endswith("\\brdsetup.ini") and not file.startswith(".\\"):
            read.add((sections.get(section, section), key, "" if default == "0" else default))
    listed = {(k.section, k.key, "" if k.default == "0" else k.default)
              for k in readme.setup_keys()
              if not k.key.startswith("DriverDir") or k.key == version_key}
    assert read == listed, (f"brdsetup.ini keys read but not in the README: {read - listed}; "
                            f"in the README but not read: {listed - read}")


def check_tool_ini_reads(relay) -> None:
    read = {args[1] for args in calls_of(relay, "GetPrivateProfileStringA")
            if args[5] == ".\\VTX.INI" and args[0] == "SystemInfo"}
    assert read == set(readme.tool_ini_keys()), f"VTX.INI keys read: {read}"


def check_package_values(relay, prefix, package_key: dict) -> None:
    listed = readme.package_values()
    read = {args[1] for args in calls_of(relay, "RegQueryValueExA")} - PLATFORM_VALUES
    read -= {name for key in STARTUP_KEYS for name in prefix.registry().values(key)}
    assert read == set(listed), f"package values read {read}, README lists {set(listed)}"
    reported = [line.message or line.logger for line in read_log(prefix)]
    for name, cost in listed.items():
        count = reported.count(f"value={name}")
        expected = 1 if cost.startswith("one log entry") and name not in package_key else 0
        assert count == expected, f"package value {name}: {count} log entries, README: {cost!r}"


def check_libraries(rows, loaded) -> None:
    """Each library the README lists is loaded the way its row says: by its
    bare name through the library search, or by its full path from the
    system directory; on this Windows 98 run, none that its row keeps to
    2000 and XP. The language library (".\\") is the VTX.INI's."""
    loaded = {name for name in loaded if not name.startswith(".\\")}
    expected = set()
    for row in rows:
        if row.kind != "library" or "2000 and XP only" in row.where:
            continue
        for name in row.names:
            by_path = "system directory" in row.where
            expected.add(f"C:\\windows\\system32\\{name}".lower() if by_path else name.lower())
    got = {name.lower() for name in loaded}
    assert got == expected, f"libraries loaded {sorted(got)}, README rows say {sorted(expected)}"


def check_fixed_names(relay, description, scheduled) -> None:
    rows = readme.fixed_names()
    seen_windows = {(a[0], a[1] or "") for a in calls_of(relay, "FindWindowA")}
    listed_windows = {tuple(r.names) for r in rows if r.kind == "window" and r.literal}
    brdsetup = description.brdsetup["SystemInfo"]
    tray = {k.key: k.default for k in readme.setup_keys()}
    from_settings = {("#32770", brdsetup["CplWindowName"]),
                     (tray["SysTrayClassName"], tray["SysTrayWindowName"])}
    assert seen_windows == listed_windows | from_settings, \
        f"windows looked for: {seen_windows ^ (listed_windows | from_settings)} differ"
    mutexes = {a[2] for a in calls_of(relay, "CreateMutexA")} - {None}
    listed = {n for r in rows if r.kind == "mutex" for n in r.names}
    assert mutexes == listed, f"mutexes used {mutexes}, README lists {listed}"
    check_libraries(rows, {a[0] for a in calls_of(relay, "LoadLibraryA")} - {None})
    run_values = {n for r in rows if r.kind == "values" for n in r.names}
    deleted_values = {a[1] for a in calls_of(relay, "RegDeleteValueA")}
    own_values = {n for keys in description.package.registry.values() for n in keys}
    assert run_values <= deleted_values <= run_values | own_values, \
        f"values deleted {deleted_values}, README lists {run_values}"
    deleted = {PureWindowsPath(a[0]).name.lower() for a in calls_of(relay, "DeleteFileA")}
    deleted |= {PureWindowsPath(p).name.lower() for p in scheduled}
    laid = {n.lower() for names in description.package.files.values() for n in names}
    fixed_files = {n.lower() for r in rows if r.kind in ("file", "files") and not r.read_only
                   for n in r.names}
    never = {f for f in fixed_files - WRITTEN_BY_THE_TOOL
             if not any(fnmatch.fnmatchcase(d, f) for d in deleted)}
    assert not never, f"README file names never deleted: {never}"
    unnamed = {d for d in deleted - laid if not any(fnmatch.fnmatchcase(d, f) for f in fixed_files)}
    assert not unnamed, f"files deleted that the README does not name: {unnamed}"
    removed_dirs = {PureWindowsPath(a[0]).name for a in calls_of(relay, "RemoveDirectoryA")}
    assert {n for r in rows if r.kind == "folder" for n in r.names} <= removed_dirs
    deleted_keys = {PureWindowsPath(a[1]).name for a in calls_of(relay, "RegDeleteKeyA")}
    assert {n for r in rows if r.kind == "key" and not r.read_only for n in r.names} <= deleted_keys
    platforms = {n.lower() for r in rows if r.read_only for n in r.names}
    touched = {n.lower() for n in deleted | deleted_keys}
    assert not {n for n in touched if any(fnmatch.fnmatchcase(n, p) for p in platforms)}, \
        "the platform's own names, read only, were deleted"


def test_readme_contract_and_a_mistake_98():
    """One run on Windows 98 of a package laid out from the README's tables,
    traced: what the program reads, looks for and removes is exactly what the
    README says, every item goes (the scheduled ones at the restart), and the
    one file that no setting names is left and named."""
    with tempfile.TemporaryDirectory() as tmp:
        description = contract_description(Path(tmp))
    relay = Relay(TRACED)
    rehearsal = Rehearsal(description, "98", relay=relay)
    outcome = rehearsal.run()
    system = rehearsal.prefix.folders()["system"]
    mistake = join(system, MISTAKE)
    assert outcome.left_after_restart == [f"file {mistake}"], outcome.left_after_restart
    assert f"file {mistake}: {NOT_NAMED}" in outcome.left, outcome.left
    assert outcome.exit_code == 1
    assert outcome.else_changed == [] and outcome.else_changed_after_restart == []
    assert outcome.scheduled, "nothing in wininit.ini [rename]"
    assert "Vantix->===> : " in outcome.log, "no VTX.LOG in the Windows folder"
    check_setup_reads(relay, "DriverDir98")
    check_tool_ini_reads(relay)
    check_package_values(relay, rehearsal.prefix, description.package.registry[PACKAGE_KEY])
    check_fixed_names(relay, description, outcome.scheduled)


# ---------------------------------------------------------------- second sample
def rehearse_second_sample(windows: str) -> None:
    outcome = Rehearsal(PackageDescription.read(SECOND_SAMPLE), windows).run()
    assert outcome.left_after_restart == [], outcome.left_after_restart
    assert outcome.else_changed == [], outcome.else_changed
    assert outcome.else_changed_after_restart == [], outcome.else_changed_after_restart
    assert any(line.startswith("dial-up entry Broadwave DSL") for line in outcome.removed)
    assert outcome.exit_code == 0


def test_second_sample_98():
    rehearse_second_sample("98")


def test_second_sample_xp():
    rehearse_second_sample("xp")


def chosen_names(description: PackageDescription) -> set:
    """The names a maker chooses: files, folders, keys, dial-up entries,
    windows and the values of the installation description and the device
    list; the tool's fixed names and the platform's places left out."""
    rows = readme.fixed_names()
    fixed = {n.lower() for r in rows for n in r.names}
    fixed |= {n.lower() for r in rows if r.kind == "INI value" for n in readme.ticked(r.where)}
    names = set()
    for folder, files in description.package.files.items():
        names |= {f.lower() for f in files}
        names |= {p.lower() for p in PureWindowsPath(folder).parts[1:] if "%" not in p}
    for key in description.package.registry:
        names |= {p.lower() for p in PureWindowsPath(key).parts[1:]}
    names |= {n.lower() for n in description.dialups}
    names |= {part.lower() for _, cls, title in description.windows for part in (cls, title)}
    for keys in description.brdsetup.values():
        names |= {v.lower() for k, v in keys.items() if not v.isdigit()}
    names |= {d.lower() for d in description.vtx_ini["SystemInfo"]["DeviceId"].split(",")}
    platform = {"program files", "software", "microsoft", "windows", "currentversion",
                "uninstall", "run", "usb", "systeminfo"}
    return names - fixed - platform


def test_samples_share_no_names():
    first = chosen_names(PackageDescription.read(FIRST_SAMPLE))
    second = chosen_names(PackageDescription.read(SECOND_SAMPLE))
    assert not first & second, f"the samples share {sorted(first & second)}"
