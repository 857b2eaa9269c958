"""Removals driven by hostile installation descriptions: empty names that
would point at shared folders and keys, format characters, over-long
values, a value of the wrong type, and an odd wininit.ini. Each run
completes, nothing of others is touched, and the log says what was
refused."""
import vtxkit
from vtxkit import UNINSTALL_KEY, join

import removal as rm

LONG = 600
LNK = b"L\0\0\0lnk"


def installed(version, **options):
    return vtxkit.PackageFixture(vtxkit.Prefix.fresh(version), **options).install()


def assert_logged(removal, *wanted):
    log = removal.log
    missing = [line for line in wanted if line not in log]
    assert missing == [], "not in the log: " + repr(missing) + "\n" + "\n".join(log)


# ------------------------------------------------------------ empty names

def test_empty_program_dir_and_product_name():
    """The program directory would be the drive root, the start-menu group
    the whole programs folder, the uninstall entry the Uninstall key."""
    prefix = vtxkit.Prefix.fresh("winxp")
    programs = prefix.folders()["common_programs"]
    desktop = prefix.folders()["common_desktop"]
    fixture = vtxkit.PackageFixture(
        prefix,
        brdsetup={"SystemInfo": {"ProgramFilesDir": "", "ProductName": "", "DriverDirXP": ""}},
        extra_files={r"C:\IO.SYS": "root file", join(programs, "Root Shortcut.lnk"): LNK,
                     join(desktop, "Shared Desktop.lnk"): LNK},
        registry={UNINSTALL_KEY: {"SharedValue": "keep"}}).install()
    removal = rm.remove(fixture)
    rm.assert_only_footprint_changed(removal)
    assert_logged(
        removal, "Can't get driver directory",
        'vtxRemoveGuiComponents: directory "C:\\" is not the package\'s, not removed',
        f'vtxRemoveGuiComponents: directory "{programs}\\" is not the package\'s, not removed',
        f'vtxRemoveGuiComponents: key "{UNINSTALL_KEY[5:]}\\" is not the package\'s, not deleted')
    # What the description no longer names stays; everything else went.
    left = fixture.leftovers(removal.after.registry)
    named_elsewhere = (fixture.program_dir.lower(), fixture.group_dir.lower(),
                       fixture.cpl_registry_key.lower(), fixture.uninstall_entry.lower())
    assert [item for item in left if not item.split(" ", 1)[1].lower()
            .startswith(named_elsewhere)] == [], left
    assert f"dir {fixture.group_dir}" in left and f"dir {fixture.program_dir}" in left


def test_empty_setup_software_key_and_odd_wininit():
    """The package key would be "Software\\" itself, which Windows 98
    deletes with every subkey; wininit.ini holds a [Rename] section in
    another letter case with a 700-character line, then another section."""
    fixture = installed("win98", brdsetup={"SystemInfo": {"SetupSoftwareKey": ""}},
                        wininit_text=ODD_WININIT)
    removal = rm.remove(fixture)
    rm.assert_only_footprint_changed(removal)
    assert_logged(removal,
                  'vtxRemoveGuiComponents: key "Software\\" is not the package\'s, not deleted')
    assert removal.after.registry.has_key(r"HKLM\Software\Microsoft\Windows\CurrentVersion")
    # Without the package key: no firmware list, no OrigTmpDir, no language
    # library; the fixed names and the run's lists are still scheduled.
    assert sorted(fixture.leftovers(removal.after.registry)) == sorted(
        [f"file {join(fixture.driver_dir, n)}" for n in fixture.firmware_files] +
        [f"key {fixture.package_key}"])
    entries = [join(fixture.temp_dir, n) for n in rm.SETUP_TEMP_FILES] + rm.listed_paths(fixture)
    added = "".join(f"NUL={e}\r\n" for e in entries)
    expected = ODD_WININIT.replace("[Other]", added + "[Other]")
    assert vtxkit.read_wininit(fixture.prefix) == expected, vtxkit.read_wininit(fixture.prefix)

    fixture.prefix.restart()
    gone = [e for e in entries + [r"C:\windows\OLDSETUP.TMP"] if fixture.prefix.unix(e).exists()]
    assert gone == [], f"still there after the restart: {gone}"
    assert fixture.lost_sentinels() == []


LONG_LINE = ";" + "x" * 510 + "[rename]" + "y" * (700 - 519)
ODD_WININIT = ("[Settings]\r\nKeep=1\r\n"
               "[Rename]\r\nNUL=C:\\windows\\OLDSETUP.TMP\r\n" + LONG_LINE + "\r\n\r\n"
               "[Other]\r\nAfter=1\r\n")


# ------------------------------------------------------------ format characters

P = "%s%n"
PERCENT_LAYOUT = dict(
    product_name=f"PM100 {P} Router", software_key=f"Kelmora\\PM{P}",
    program_subdir=f"Program Files\\Kelmora\\PM{P}100", cpl_key=f"Kelmora\\Panel {P}",
    language_dll=f"Lang{P}.dll", orig_tmp_dir=f"C:\\windows\\temp\\IS{P}",
    firmware_files=(f"dsp{P}.bin", "dspcode2.bin"),
    icons=[("Icon1", f"Control {P} Panel", "1"), ("Icon2", "Line Monitor", "0")],
    isp_default=f"Kelnet {P}", isps=[("Isp1", f"Fast{P}line")],
    remove_from_win_dir=(f"PM{P}.ini", "KmiSetup.log"),
    remove_from_win_sys_dir=(f"Kmi{P}.dll",),
    device_ids=f"KELCHIP\\ADSL\\USB\\{P}")


def test_format_characters_in_paths_and_names():
    """Names with %s%n are names like any other: the whole package goes and
    the log holds them as they are."""
    fixture = installed("winme", **PERCENT_LAYOUT)
    shorts = rm.short_paths(fixture.prefix, rm.schedule_candidates(fixture))
    removal = rm.remove(fixture)
    assert fixture.leftovers(removal.after.registry) == []
    rm.assert_only_footprint_changed(removal)
    assert_logged(removal, f"Parse DeviceId=KELCHIP\\ADSL\\USB\\{P}",
                  f"removeDspBin: {join(fixture.driver_dir, f'dsp{P}.bin')} removed",
                  f"IspDefault: Kelnet {P} removed", f"Isp1: Fast{P}line removed",
                  f"RemoveFromWinDir=PM{P}.ini,KmiSetup.log", f"RemoveFromWinSysDir=Kmi{P}.dll")
    rm.assert_schedule(removal, shorts)
    rm.restart_and_check(removal)


# ------------------------------------------------------------ long values, wrong type

LONG_VALUES = dict(
    brdsetup={"SystemInfo": {"ProductName": "P" * LONG, "SysTrayWindowName": "W" * LONG,
                             "CplWindowName": "C" * LONG},
              "IspDefault": {"DialupName": "I" * LONG},
              "Icon1": {"Description": "N" * LONG}},
    linemon={"SystemInfo": {"RegistryKey": "K" * LONG}},
    vtx_ini={"SystemInfo": {"RemoveFromWinDir": "PM100Usb.ini,KmiSetup.log," + "R" * LONG}},
    package_values={"FirmwareFiles": vtxkit.Dword(5), "languageDll": "L" * LONG + ".dll",
                    "OrigTmpDir": "C:\\" + "T" * LONG})


def test_long_values_and_firmware_list_of_wrong_type():
    """600-character values in the description, the status monitor's INI,
    the tool INI and the package key; FirmwareFiles stored as a number."""
    fixture = installed("win95", **LONG_VALUES)
    removal = rm.remove(fixture)
    rm.assert_only_footprint_changed(removal)
    log = removal.log
    assert max(len(line) for line in log) <= 511, "log lines are cut"
    group = join(fixture.programs_dir, "P" * 50)
    assert any(line.startswith(f'vtxRemoveGuiComponents: directory "{group}')
               for line in log), "the over-long group folder is refused"
    temp_language = join(fixture.temp_dir, "L" * LONG)
    assert any(line.startswith(f"vtxRemoveGuiComponents: no short path for {temp_language[:99]}")
               for line in log), "no undefined short path is scheduled"
    registry_error = ["Can't get registry value:", "key=Software\\Kelmora\\PM100",
                      "value=FirmwareFiles"]
    start = log.index("removeDspBin: Parsing FirmwareFiles")
    assert log[start + 1:start + 4] == registry_error, log[start:start + 5]
    assert f"file {join(fixture.driver_dir, 'mdmcode.bin')}" not in \
        fixture.leftovers(removal.after.registry), "the fixed image still goes"
    print("\n".join(line[:160] for line in removal.log_lines()))
    print("--- scheduled")
    print("\n".join(e[:160] for e in vtxkit.scheduled_deletions(removal.prefix)))
    removal.prefix.restart()
    assert fixture.lost_sentinels() == []
