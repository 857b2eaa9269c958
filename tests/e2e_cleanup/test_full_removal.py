"""A confirmed removal of a whole installed package on each Windows persona:
exactly the package's footprint goes, the other family's folders are not
looked at, the setup files and the run's lists are scheduled in order in
the platform's own place, and a restart takes them away."""
import shutil

import vtxkit
from vtxkit import join, personas, shortcuts

import removal as rm


def cleanup_lines(package):
    """The log lines of the clean-up actions of a full run, in order."""
    drivers = join(package.system_dir, "drivers") if package.prefix.is_nt else package.system_dir
    lines = [f"vtxRemoveInstallShieldFiles={package.setup_record_dir}",
             f"removeDspBin: {join(drivers, 'mdmcode.bin')}",
             "removeDspBin: Parsing FirmwareFiles"]
    lines += [f"removeDspBin: {join(drivers, name)} removed" for name in package.firmware_files]
    lines += ["vtxRemoveGuiComponents", "vtxCloseExternalApplications",
              "vtxRemoveNewCplRegistry", "vtxRemoveProgramFilesIcons", "vtxRemoveDialups",
              f"IspDefault: {package.isp_default} removed"]
    lines += [f"{section}: {name} removed" for section, name in package.isps]
    lines += ["vtxDontRestartSetup",
              "removeReboot:", f"removeReboot: {join(package.windows_dir, 'KmiRbt.txt')} removed",
              "removeCfgIni:", f"removeCfgIni: {join(package.windows_dir, 'brdsetup.ini')} removed",
              "RemoveFromWinDir=" + ",".join(package.remove_from_win_dir),
              "RemoveFromWinSysDir=" + ",".join(package.remove_from_win_sys_dir)]
    return lines


def full_removal(version, prefix=None, renames=None):
    prefix = prefix or vtxkit.Prefix.fresh(version)
    # What the removal leaves is watched here; its pauses in test_run.py.
    package = vtxkit.Package(prefix, extra_files=rm.decoys(prefix), renames=renames,
                             short_pauses=True, brdsetup=rm.driver_dir_only_for(version)).install()
    assert package.missing_footprint() == []
    shorts = rm.short_paths(prefix, rm.schedule_candidates(package))
    removal = rm.remove(package)

    # The whole footprint went, and nothing else: no sentinel, no file of the
    # package's names in the other family's folders.
    assert package.leftovers(removal.after.registry) == [], package.leftovers()
    rm.assert_only_footprint_changed(removal)

    # The driver directory and its key follow the version; no error line.
    log = removal.log
    expected = cleanup_lines(package)
    start = log.index(expected[0])
    assert log[start:start + len(expected)] == expected, "\n".join(log)
    assert "Can't get driver directory" not in log
    assert removal.error_lines() == [], removal.error_lines()

    rm.assert_schedule(removal, shorts)
    entries = vtxkit.scheduled_deletions(prefix)
    print(rm.report(removal, entries))
    restart = rm.restart_and_check(removal)
    print(f"=== {version}: removed by the restart")
    print("\n".join(restart.files_removed))
    return package


# Where Windows 95, 98 and Me keep the start menu and the desktop: inside the
# Windows directory. Wine keeps them outside but follows these keys.
NINE_X_SHELL_FOLDERS = {"Start Menu": r"C:\windows\Start Menu",
                        "Programs": r"C:\windows\Start Menu\Programs",
                        "Startup": r"C:\windows\Start Menu\Programs\StartUp",
                        "Desktop": r"C:\windows\Desktop"}
EXPLORER = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer"


def shell_folders_in_windows_dir(prefix, explorer: str, folders: dict) -> None:
    """Makes the folders (all inside C:\\windows) and points the Explorer
    keys at them, as the real platform lays them out."""
    for folder in folders.values():
        prefix.unix(r"C:\windows").joinpath(*folder.split("\\")[2:]).mkdir(parents=True,
                                                                          exist_ok=True)
    prefix.reg_import({join(explorer, "User Shell Folders"): folders,
                       join(explorer, "Shell Folders"): folders})


# Where Windows NT 4.0 keeps all users' start menu and desktop: in the
# profiles inside the Windows directory.
NT4_ALL_USERS = r"C:\windows\Profiles\All Users"
NT4_SHELL_FOLDERS = {"Common Start Menu": NT4_ALL_USERS + r"\Start Menu",
                     "Common Programs": NT4_ALL_USERS + r"\Start Menu\Programs",
                     "Common Startup": NT4_ALL_USERS + r"\Start Menu\Programs\Startup",
                     "Common Desktop": NT4_ALL_USERS + r"\Desktop"}
ALL_USERS_EXPLORER = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer"


def test_full_removal_win95():
    full_removal("win95")


def test_full_removal_win98():
    full_removal("win98")


def test_full_removal_win98_start_menu_in_windows_dir():
    """The Windows directory is refused but for folders strictly below a
    Programs folder: with the real 9x layout the group still goes."""
    prefix = vtxkit.Prefix.fresh("win98")
    shell_folders_in_windows_dir(prefix, EXPLORER, NINE_X_SHELL_FOLDERS)
    package = full_removal("win98", prefix)
    programs = NINE_X_SHELL_FOLDERS["Programs"]
    assert package.group_dir.lower().startswith(programs.lower() + "\\"), package.group_dir
    assert prefix.unix(programs).is_dir()


def test_full_removal_nt40_profiles_in_windows_dir():
    """NT 4.0 (version 4.0 on the NT family, so DriverDir95) with all users'
    start menu and desktop in its profiles inside the Windows directory: the
    group and the shortcuts still go."""
    prefix = vtxkit.Prefix.fresh("nt40")
    shell_folders_in_windows_dir(prefix, ALL_USERS_EXPLORER, NT4_SHELL_FOLDERS)
    package = full_removal("win95", prefix)
    programs = NT4_SHELL_FOLDERS["Common Programs"]
    assert package.group_dir.lower().startswith(programs.lower() + "\\"), package.group_dir
    assert prefix.unix(programs).is_dir()


def test_full_removal_winme():
    full_removal("winme")


def test_full_removal_win2k():
    full_removal("win2k")


def test_full_removal_winxp():
    full_removal("winxp")


# Where Windows Vista and later keep all users' start menu and desktop; the
# tool takes them from the shell, as on 2000 and XP.
LATER_WINDOWS_FOLDERS = (r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs",
                         r"C:\users\Public\Desktop")


def later_windows_removal(version):
    """A version after XP: the package laid out in the platform's all-users
    folders goes as on XP (it counts as XP)."""
    prefix = vtxkit.Prefix.fresh(version)
    places = vtxkit.Package(prefix)
    folders = [places.programs_dir, places.desktop_dir]
    assert [f.lower() for f in folders] == [f.lower() for f in LATER_WINDOWS_FOLDERS], folders
    package = full_removal(version, prefix)
    assert package.group_dir.lower().startswith(LATER_WINDOWS_FOLDERS[0].lower() + "\\")


def test_full_removal_win7():
    later_windows_removal("win7")


def test_full_removal_win10():
    later_windows_removal("win10")


# The tool shipped in the package's program folder, started from there (a
# shortcut's Start-in folder), with the companion registered in App Paths.
TOOL_IN_PROGRAM_DIR = {r"C:\PM100Remove": r"C:\Program Files\Kelmora\PM100"}
APP_PATHS = r"HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths"


def tool_in_program_folder(version):
    """The lists are read before the folder goes, the tool's files still in
    use are scheduled, and the folder goes too: on NT at the next start, on
    9x (whose wininit.ini removes files only) it stays, empty."""
    prefix = vtxkit.Prefix.fresh(version)
    program_dir = r"C:\Program Files\Kelmora\PM100"
    companion = join(program_dir, "KmiCon.exe")
    package = vtxkit.Package(prefix, renames=TOOL_IN_PROGRAM_DIR, short_pauses=True,
                             brdsetup=rm.driver_dir_only_for(version),
                             registry={join(APP_PATHS, "KmiCon.exe"): {"": companion,
                                                                       "Path": program_dir}}
                             ).install()
    tool_files = [join(program_dir, p.name) for p in package.tool_dir.iterdir()]
    shorts = {} if prefix.is_nt else rm.short_paths(prefix, tool_files)  # wininit.ini's names
    removal = rm.remove(package)

    assert "RemoveFromWinDir=PM100Usb.ini,KmiSetup.log" in removal.log
    assert [p for p in rm.listed_paths(package) if prefix.unix(p).exists()] == []
    outside = [c for c in rm.changes_outside_footprint(removal)
               if not c.lower().startswith("file removed: " + program_dir.lower())]
    assert outside == [], outside
    # The stand-in library writes its record as it is released; a package's
    # own library leaves nothing.
    prefix.unix(join(program_dir, "kmiinst.calls")).unlink()
    left = [join(program_dir, p.name) for p in prefix.unix(program_dir).iterdir()]
    scheduled = rm.lowered(vtxkit.scheduled_deletions(prefix))
    unscheduled = [p for p in left if shorts.get(p, p).lower() not in scheduled]
    assert unscheduled == [], f"left unscheduled in the program folder: {unscheduled}"
    assert package.leftovers() in ([], [f"dir {program_dir}"]), package.leftovers()

    prefix.restart()
    folder = prefix.unix(program_dir)
    print(f"=== {version}: left in the program folder after the run: {left}")
    print(f"=== {version}: the folder after the restart: "
          f"{sorted(p.name for p in folder.iterdir()) if folder.exists() else 'gone'}")
    if prefix.is_nt:
        assert not folder.exists()
    else:
        assert folder.exists() and list(folder.iterdir()) == []
    assert [item for item in package.leftovers() if item != f"dir {program_dir}"] == []


def test_tool_in_program_folder_win98():
    tool_in_program_folder("win98")


def test_tool_in_program_folder_winxp():
    tool_in_program_folder("winxp")



def localized_removal(version, language):
    """The setup record in the platform's own Program Files, the group and
    shortcuts in its start menu and desktop, all named in its language."""
    prefix = vtxkit.Prefix.fresh(version)
    folders = personas.localize(prefix, language)
    package = full_removal(version, prefix, renames=personas.renames(language))
    programs = folders["Common Programs" if prefix.is_nt else "Programs"]
    for place, root in ((package.setup_record_dir, folders["ProgramFilesDir"]),
                        (package.group_dir, programs)):
        assert place.lower().startswith(root.lower() + "\\") and prefix.unix(root).is_dir()


def test_full_removal_win98_german():
    localized_removal("win98", "german")


def test_full_removal_winxp_german():
    localized_removal("winxp", "german")


def test_full_removal_win98_spanish():
    localized_removal("win98", "spanish")


def test_full_removal_winxp_spanish():
    localized_removal("winxp", "spanish")


# The user runs a copy of the tool (from a CD, a download) while the maker's
# uninstall entry starts it from the maker's folder; the setup put a status
# shortcut and a web link to the readme into the group, unlisted.
COPY_DIR = r"C:\Download\PM100Remove"
GROUP_EXTRAS = {"Pathmark 100 Status.lnk": ("LineMon.exe", shortcuts.shell_link),
                "Pathmark 100 Readme.url": ("Readme.txt", shortcuts.file_url)}


class CopiedTool(vtxkit.Package):
    def start_tool(self, answers=(), **options):
        return vtxkit.start_driver(self.prefix, self.prefix.unix(COPY_DIR) / "vtxremove.exe",
                                   cwd=COPY_DIR, answers=answers, **options)


def copied_tool(version):
    prefix = vtxkit.Prefix.fresh(version)
    places = vtxkit.Package(prefix)
    extras = {join(places.group_dir, name): write(join(places.program_dir, target))
              for name, (target, write) in GROUP_EXTRAS.items()}
    package = CopiedTool(prefix, extra_files=extras,
                         brdsetup=rm.driver_dir_only_for(version)).install()
    shutil.copytree(package.tool_dir, prefix.unix("C:\\").joinpath(*COPY_DIR.split("\\")[1:]))
    removal = rm.remove(package)
    assert package.leftovers(removal.after.registry) == [], package.leftovers()
    assert package.lost_sentinels(removal.after.registry) == []
    assert [p for p in extras if prefix.unix(p).exists()] == []
    assert removal.error_lines() == [], removal.error_lines()
    assert (f'vtxRemoveGuiComponents: ProductName "{package.product_name}": uninstall entry '
            "starts a copy of this tool") in removal.log
    assert [path for path in extras if not any(
        line.startswith(f'vtxRemoveGuiComponents: shortcut "{path}" starts')
        for line in removal.log)] == []


def test_copied_tool_win98():
    copied_tool("win98")


def test_copied_tool_winxp():
    copied_tool("winxp")
