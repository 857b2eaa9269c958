"""The hostile inputs of test_hostile.py, one row per case, grouped into the
runs that share them. Cases of one run touch different keys, so that none
masks another; an escaping name aims at a file of its own in the drive's
root (enough ".." reach the root from any folder)."""
import random
from dataclasses import dataclass, field
from typing import Callable, Dict, List, Optional, Sequence

from vtxkit import DELETE, Dword, ExpandSz, RawValue
from vtxkit.registry import REG_BINARY, REG_SZ

UP = "..\\" * 8  # from any folder of the prefix up to the root of drive C


def escape(name: str) -> str:
    return UP + name


def target(name: str) -> str:
    return "C:\\" + name


def garbage(size: int, seed: int) -> bytes:
    """Bytes of every value, NUL and Ctrl-Z included, with a few line breaks."""
    chance = random.Random(seed)
    return bytes(chance.randrange(256) for _ in range(size))


@dataclass
class Case:
    file: str
    what: str
    options: dict = field(default_factory=dict)
    logged: Sequence[str] = ()        # texts the log must hold
    kept: Sequence[str] = ()          # paths that must still exist at the end
    gone: Sequence[str] = ()          # paths that must be gone at the end
    # Paths here and in extra_files may name {windows}, {system}, {driver},
    # {temp} and {programs} (the Programs folder that holds the group).
    # Keys the snapshot leaves out (HKLM\Software\Classes) whose subtrees
    # must come out of the run unchanged.
    watched: Sequence[str] = ()
    check: Optional[Callable] = None  # (HostileRun) -> list of problems


@dataclass
class Group:
    name: str
    version: str
    cases: List[Case]
    logged: bool = True           # False: the log level writes nothing
    full_removal: bool = False    # every file of the package must be gone


def refusal(setting: str, name: str) -> str:
    return f'{setting} "{name}" is not a plain file name, nothing removed'


def esc_file(name: str) -> Dict[str, str]:
    return {target(name): "not the package's\r\n"}


def not_deleted(action: str, key: str) -> str:
    return f'{action}: key "{key}" is not the package\'s, not deleted'


def not_removed(action: str, directory: str) -> str:
    return f'{action}: directory "{directory}" is not the package\'s, not removed'


# ------------------------------------------------------------ escaping names

ESCAPES = [
    Case("VTX.INI", "RemoveFromWinDir item with ..",
         {"vtx_ini": {"SystemInfo": {"RemoveFromWinDir":
                                     "PM100Usb.ini," + escape("esc-windir.txt")}},
          "extra_files": esc_file("esc-windir.txt")},
         logged=[refusal("vtxRemoveDevice: RemoveFromWinDir", escape("esc-windir.txt"))],
         kept=[target("esc-windir.txt")], gone=[r"{windows}\PM100Usb.ini"]),
    Case("VTX.INI", "RemoveFromWinSysDir absolute and rooted items",
         {"vtx_ini": {"SystemInfo": {"RemoveFromWinSysDir":
                                     r"C:\AUTOEXEC.BAT,\othercpl.dll,KmiLine.dll,/x.dll"}}},
         logged=[refusal("vtxRemoveDevice: RemoveFromWinSysDir", r"C:\AUTOEXEC.BAT"),
                  refusal("vtxRemoveDevice: RemoveFromWinSysDir", r"\othercpl.dll"),
                  refusal("vtxRemoveDevice: RemoveFromWinSysDir", "/x.dll")],
         gone=[r"{system}\KmiLine.dll"]),
    Case("VTX.INI", "DeviceId of commas only",
         {"vtx_ini": {"SystemInfo": {"DeviceId": ",,,,"}}},
         check=lambda run: run.no_library_calls("initialize")),
    Case("brdsetup.ini", "icon Description with ..",
         {"brdsetup": {"Icon1": {"Description": escape("esc-icon")}},
          "extra_files": esc_file("esc-icon.lnk")},
         logged=[refusal("vtxRemoveProgramFilesIcons: Description",
                          escape("esc-icon") + ".lnk")],
         kept=[target("esc-icon.lnk")]),
    Case("brdsetup.ini", "DialupName with ..",
         {"brdsetup": {"IspDefault": {"DialupName": escape("esc-dialup")}},
          "extra_files": esc_file("esc-dialup.lnk")},
         logged=[refusal("vtxRemoveDialups: DialupName", escape("esc-dialup") + ".lnk")],
         kept=[target("esc-dialup.lnk")]),
    Case("registry", "FirmwareFiles item with ..",
         {"package_values": {"FirmwareFiles": "dspcode1.bin," + escape("esc-firmware.bin")},
          "extra_files": esc_file("esc-firmware.bin")},
         logged=[refusal("removeDspBin: FirmwareFiles", escape("esc-firmware.bin"))],
         kept=[target("esc-firmware.bin")], gone=[r"{driver}\dspcode1.bin"]),
    Case("registry", "languageDll with ..",
         {"package_values": {"languageDll": escape("esc-langdll.dll")},
          "extra_files": esc_file("esc-langdll.dll")},
         logged=[refusal("vtxRemoveGuiComponents: languageDll", escape("esc-langdll.dll"))],
         kept=[target("esc-langdll.dll")]),
    Case("LineMon.ini", "RegistryKey naming a shared key",
         {"linemon": {"SystemInfo": {"RegistryKey": "Microsoft"}}},
         logged=[not_deleted("vtxRemoveNewCplRegistry", "Software\\Microsoft")]),
]

# ------------------------------------------------------------ odd values

LONG = 600


def long_device_id():
    return "KELCHIP\\ADSL\\" + "U" * (LONG - 13)


VALUES = [
    Case("VTX.INI", "% directives in RemoveFromWinDir",
         {"vtx_ini": {"SystemInfo": {"RemoveFromWinDir": "%s%s%s%n,%x%d.ini,PM100Usb.ini"}}},
         logged=["RemoveFromWinDir=%s%s%s%n,%x%d.ini,PM100Usb.ini"],
         gone=[r"{windows}\PM100Usb.ini"]),
    Case("VTX.INI", f"DeviceId of {LONG} characters",
         {"vtx_ini": {"SystemInfo": {"DeviceId": long_device_id()}}},
         check=lambda run: run.device_record_cut()),
    # The profile API drops the blanks before a value, so the name that
    # keeps its leading blank is the second one.
    Case("VTX.INI", "RemoveFromWinSysDir names with spaces",
         {"remove_from_win_sys_dir": ("PM100 Cpl.cpl", " Kmi Line.dll")},
         gone=[r"{system}\ Kmi Line.dll", r"{system}\PM100 Cpl.cpl"]),
    Case("registry", "FirmwareFiles as REG_DWORD",
         {"package_values": {"FirmwareFiles": Dword(5)}},
         logged=["value=FirmwareFiles"], kept=[r"{driver}\dspcode1.bin"]),
    Case("registry", "OrigTmpDir as REG_EXPAND_SZ",
         {"package_values": {"OrigTmpDir": ExpandSz(r"C:\windows\temp\_ISTMP1.DIR")}},
         logged=["value=OrigTmpDir"], kept=[r"C:\windows\temp\_ISTMP1.DIR\KmiInst.exe"]),
    Case("registry", "languageDll as REG_BINARY without NUL",
         {"package_values": {"languageDll": RawValue(REG_BINARY, b"SetupLangEnglish.dll")}},
         logged=["value=languageDll"]),
    Case("brdsetup.ini", f"ProductName of {LONG} characters",
         {"brdsetup": {"SystemInfo": {"ProductName": "P" * LONG}}}),
    Case("brdsetup.ini", "% directives in a DialupName",
         {"brdsetup": {"Isp2": {"DialupName": "%s%n%x%d"}}},
         logged=["Isp2: %s%n%x%d removed"]),
    Case("LineMon.ini", f"RegistryKey of {LONG} characters",
         {"linemon": {"SystemInfo": {"RegistryKey": "K" * LONG}}}),
]

# ------------------------------------------------------------ empty and missing

EMPTY = [
    Case("VTX.INI", "RemoveFromWinDir empty, RemoveFromWinSysDir missing",
         {"vtx_ini": {"SystemInfo": {"RemoveFromWinDir": "", "RemoveFromWinSysDir": None}}},
         logged=["RemoveFromWinDir=", "RemoveFromWinSysDir="]),
    Case("VTX.INI", "DeviceId missing",
         {"vtx_ini": {"SystemInfo": {"DeviceId": None}}}, logged=["devId.IsEmpty"],
         check=lambda run: run.no_library_calls("initialize")),
    Case("brdsetup.ini", "SetupSoftwareKey empty",
         {"brdsetup": {"SystemInfo": {"SetupSoftwareKey": ""}}},
         logged=[not_deleted("vtxRemoveGuiComponents", "Software\\")]),
    Case("brdsetup.ini", "ProductName empty",
         {"brdsetup": {"SystemInfo": {"ProductName": ""}}},
         logged=['Uninstall\\" is not the package\'s, not deleted']),
    Case("brdsetup.ini", "ProgramFilesDir missing",
         {"brdsetup": {"SystemInfo": {"ProgramFilesDir": None}},
          "extra_files": {r"C:\mdmpack\keep.txt": "not the package's\r\n"}},
         kept=[r"C:\mdmpack\keep.txt"]),
    Case("brdsetup.ini", "icon and provider lists of commas only",
         {"brdsetup": {"SystemInfo": {"StartMenuIconSections": ",,,", "IspSections": ",,,"}}}),
    Case("LineMon.ini", "RegistryKey empty",
         {"linemon": {"SystemInfo": {"RegistryKey": ""}}}),
    Case("registry", "FirmwareFiles missing",
         {"package_values": {"FirmwareFiles": DELETE}},
         gone=[r"{driver}\mdmcode.bin"]),
]

# ------------------------------------------------------------ wininit.ini layout

WININIT_LINES = 100_000


def long_wininit() -> str:
    half = (WININIT_LINES - 8) // 2
    lines = ["[Settings]"] + [f"Key{i:06}=value {i}" for i in range(half)]
    lines += ["[RENAME]", r"NUL=C:\OLDRUN.TMP", "", "; left by an earlier setup", "[Other]"]
    lines += [f"Other{i:06}=x" for i in range(WININIT_LINES - len(lines))]
    return "\r\n".join(lines) + "\r\n"


# An indented header is not taken for the section (the tool compares lines
# as they stand), so a section of its own goes to the end of the file.
INDENTED_WININIT = "[Settings]\r\nKeep=1\r\n  [rename]\r\nNUL=C:\\INDENTED.TMP\r\n"

LAYOUT = [
    Case("wininit.ini", f"{WININIT_LINES:,} lines, [rename] written [RENAME]",
         {"wininit_text": long_wininit()},
         check=lambda run: run.wininit_kept_and_extended("[RENAME]")),
    Case("registry", "OrigTmpDir as REG_SZ without NUL",
         {"package_values": {"OrigTmpDir": RawValue(
             REG_SZ, r"C:\windows\temp\_ISTMP1.DIR".encode("utf-16-le"))}},
         gone=[r"C:\windows\temp\_ISTMP1.DIR\KmiInst.exe"]),
]

INDENTED = [
    Case("wininit.ini", "an indented [rename] header",
         {"wininit_text": INDENTED_WININIT},
         check=lambda run: run.wininit_section_untouched("  [rename]") +
         run.wininit_kept_and_extended("[rename]", appended=True)),
    Case("LineMon.ini", "RegistryKey climbing with ..",
         {"linemon": {"SystemInfo": {"RegistryKey": r"..\Software\Other Vendor\Other App"}}}),
    Case("registry", "FirmwareFiles of commas only",
         {"package_values": {"FirmwareFiles": ",,,,"}}),
]

# ------------------------------------------------------------ garbage

GARBAGE_98 = [
    Case("wininit.ini", "binary garbage instead of wininit.ini",
         {"wininit_text": garbage(4096, 1)}, check=lambda run: run.wininit_unchanged()),
    Case("LineMon.ini", "binary garbage instead of LineMon.ini",
         {"extra_files": {r"C:\Program Files\Kelmora\PM100\LineMon.ini": garbage(2048, 2)}}),
    Case("VTX.INI", "Debug key missing: nothing is logged",
         {"vtx_ini": {"SystemInfo": {"Debug": None}}}, check=lambda run: run.log_empty()),
]

GARBAGE_XP = [
    Case("VTX.INI", "binary garbage instead of VTX.INI",
         {"vtx_ini_text": garbage(2048, 3)}, check=lambda run: run.log_empty()),
    Case("brdsetup.ini", "binary garbage instead of brdsetup.ini",
         {"brdsetup_text": garbage(4096, 4)}),
]

HEADERS = [
    Case("VTX.INI", "section header written [SYSTEMINFO]",
         {"vtx_ini_transform": lambda text: text.replace("[SystemInfo]", "[SYSTEMINFO]")}),
    Case("brdsetup.ini", "indented [SystemInfo], [ISPDEFAULT] in capitals",
         {"brdsetup_transform": lambda text: text.replace("[SystemInfo]", "   [SystemInfo]")
          .replace("[IspDefault]", "[ISPDEFAULT]")}),
]

# ------------------------------------------------------------ others' folders and keys

GUI = "vtxRemoveGuiComponents"
CPL = "vtxRemoveNewCplRegistry"
WINLOGON = r"Software\Microsoft\Windows NT\CurrentVersion\Winlogon"
RUN_SERVICES = r"Software\Microsoft\Windows\CurrentVersion\RunServices"
OTHER_PANEL = r"HKLM\Software\Kelmora\Other Panel"
OTHER_LINEMON = "[SystemInfo]\r\nRegistryKey=Kelmora\\Other Panel\r\n"
LNK = b"L\0\0\0lnk"

GUARDS_XP = [
    Case("brdsetup.ini", "SetupSoftwareKey naming Winlogon",
         {"brdsetup": {"SystemInfo": {"SetupSoftwareKey": WINLOGON[9:]}}},
         logged=[not_deleted(GUI, WINLOGON)]),
    # Its mdmpack and its LineMon.ini (naming another panel's key) are
    # someone else's too.
    Case("brdsetup.ini", "ProgramFilesDir inside the Windows directory",
         {"brdsetup": {"SystemInfo": {"ProgramFilesDir": "WINDOWS\\Help"}},
          "extra_files": {r"{windows}\help\other.hlp": "help\r\n",
                          r"{windows}\help\mdmpack\other.txt": "keep\r\n",
                          r"{windows}\help\LineMon.ini": OTHER_LINEMON},
          "registry": {OTHER_PANEL: {"Keep": "1"}}},
         logged=[not_removed(GUI, r"C:\WINDOWS\Help\mdmpack"),
                 not_removed(GUI, r"C:\WINDOWS\Help")],
         kept=[r"{windows}\help\other.hlp", r"{windows}\help\mdmpack\other.txt"]),
    Case("brdsetup.ini", "ProductName making the group Administrative Tools",
         {"brdsetup": {"SystemInfo": {"ProductName": "Administrative Tools"}},
          "extra_files": {r"{programs}\Administrative Tools\Other Tool.lnk": LNK}},
         logged=[not_removed(GUI, r"{programs}\Administrative Tools")],
         kept=[r"{programs}\Administrative Tools\Other Tool.lnk"]),
]

# On Windows 95, 98 and Me one key deletion takes the whole subtree.
GUARDS_98 = [
    Case("LineMon.ini", "RegistryKey naming Classes\\TypeLib",
         {"linemon": {"SystemInfo": {"RegistryKey": "Classes\\TypeLib"}}},
         logged=[not_deleted(CPL, r"Software\Classes\TypeLib")],
         watched=[r"HKLM\Software\Classes\TypeLib"]),
    Case("brdsetup.ini", "SetupSoftwareKey naming RunServices",
         {"brdsetup": {"SystemInfo": {"SetupSoftwareKey": RUN_SERVICES[9:]}},
          "registry": {"HKLM\\" + RUN_SERVICES: {"OtherService": "other.exe"},
                       "HKLM\\" + RUN_SERVICES + "\\Other": {"Keep": "1"}}},
         logged=[not_deleted(GUI, RUN_SERVICES)]),
    Case("brdsetup.ini", "ProductName making the group StartUp",
         {"brdsetup": {"SystemInfo": {"ProductName": "StartUp"}},
          "extra_files": {r"{programs}\StartUp\Other Tray.lnk": LNK}},
         logged=[not_removed(GUI, r"{programs}\StartUp")],
         kept=[r"{programs}\StartUp\Other Tray.lnk"]),
]

GROUPS = [
    Group("escapes", "winxp", ESCAPES),
    Group("values", "win98", VALUES),
    Group("empty", "winxp", EMPTY),
    Group("layout", "win98", LAYOUT),
    Group("indented", "win98", INDENTED),
    Group("garbage98", "win98", GARBAGE_98, logged=False),
    Group("garbagexp", "winxp", GARBAGE_XP, logged=False),
    Group("headers", "winxp", HEADERS, full_removal=True),
    Group("guardsxp", "winxp", GUARDS_XP),
    Group("guards98", "win98", GUARDS_98),
]
