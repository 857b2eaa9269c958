"""The hostile inputs of test_hostile.py, one row per case, grouped into the
runs that share them. Cases of one run touch different keys, so that none
masks another; an escaping name aims at a file of its own in the drive's
root (enough ".." reach the root from any folder). Paths and logged texts
may name the places of PLACES in braces ({windows}, {programs_dir}, ...)."""
import random
from dataclasses import dataclass, field
from typing import Callable, Dict, List, Optional, Sequence

from vtxkit import DELETE, RUN_KEY, UNINSTALL_KEY, Dword, ExpandSz, RawValue
from vtxkit.registry import REG_BINARY, REG_SZ

PLACES = ("windows", "system", "driver", "temp", "programs_dir", "group_dir", "program_dir",
          "common_programs", "common_desktop", "cpl_registry_key", "uninstall_entry",
          "personal", "appdata")
LNK = b"L\0\0\0lnk"

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
    allowed: Sequence[str] = ()       # others' files the run may take away
    allowed_values: Sequence[tuple] = ()  # others' values (key, name) it may change
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
    schedule: bool = False        # the scheduled entries, exactly, short names on 9x
    protected: Sequence[str] = () # files Windows File Protection guards (a stand-in says so)


def refusal(setting: str, name: str) -> str:
    return f'{setting} "{name}" is not a plain file name, nothing removed'


def esc_file(name: str) -> Dict[str, str]:
    return {target(name): "not the package's\r\n"}


def not_deleted(action: str, key: str) -> str:
    return f'{action}: key "{key}" is not the package\'s, not deleted'


def not_removed(action: str, directory: str) -> str:
    return f'{action}: directory "{directory}" is not the package\'s, not removed'


# ------------------------------------------------------------ escaping names

DOTS_PROGRAM_DIR = r"Program Files\Kelmora\PM100\...."


def dots_refused(folder: str) -> str:
    return (f'vtxRemoveGuiComponents: ProgramFilesDir "{folder}" has a component made only of '
            "dots, not removed")


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
         {"inis": {"LineMon.ini": {"SystemInfo": {"RegistryKey": "Microsoft"}}}},
         logged=[not_deleted("vtxRemoveNewCplRegistry", "Software\\Microsoft")]),
]

# ------------------------------------------------------------ odd values

LONG = 600


def long_device_id():
    return "KELCHIP\\ADSL\\" + "U" * (LONG - 13)


VALUES = [
    Case("VTX.INI", f"DeviceId of {LONG} characters",
         {"vtx_ini": {"SystemInfo": {"DeviceId": long_device_id()}}},
         check=lambda run: run.device_record_cut()),
    # The profile API drops the blanks before a value, so the name that
    # keeps its leading blank is the second one.
    Case("VTX.INI", "RemoveFromWinSysDir names with spaces",
         {"vtx_ini": {"SystemInfo": {"RemoveFromWinSysDir": "PM100 Cpl.cpl, Kmi Line.dll"}},
          "files": {"%SYSTEM%": ["PM100 Cpl.cpl", " Kmi Line.dll"]}},
         gone=[r"{system}\ Kmi Line.dll", r"{system}\PM100 Cpl.cpl"]),
    Case("registry", "OrigTmpDir as REG_EXPAND_SZ",
         {"package_values": {"OrigTmpDir": ExpandSz(r"%WINDOWS%\temp")}},
         logged=["value=OrigTmpDir"], kept=[r"{windows}\temp\KmiInst.exe"]),
    Case("registry", "languageDll as REG_BINARY without NUL",
         {"package_values": {"languageDll": RawValue(REG_BINARY, b"SetupLangEnglish.dll")}},
         logged=["value=languageDll"]),
    # Windows 95 reads "...." as three folders up: from the program folder,
    # the drive's root.
    Case("brdsetup.ini", "ProgramFilesDir ending in ....",
         {"brdsetup": {"SystemInfo": {"ProgramFilesDir": DOTS_PROGRAM_DIR}}},
         logged=[dots_refused("C:\\" + DOTS_PROGRAM_DIR)], kept=[r"{program_dir}\KmiCon.exe"]),
]

# ------------------------------------------------------------ empty and missing

EMPTY = [
    Case("VTX.INI", "RemoveFromWinDir empty, RemoveFromWinSysDir missing",
         {"vtx_ini": {"SystemInfo": {"RemoveFromWinDir": "", "RemoveFromWinSysDir": None}}},
         logged=["RemoveFromWinDir=", "RemoveFromWinSysDir="]),
    Case("VTX.INI", "DeviceId missing",
         {"vtx_ini": {"SystemInfo": {"DeviceId": None}}}, logged=["devId.IsEmpty"],
         check=lambda run: run.no_library_calls("initialize")),
    Case("brdsetup.ini", "icon and provider lists of commas only",
         {"brdsetup": {"SystemInfo": {"StartMenuIconSections": ",,,", "IspSections": ",,,"}}}),
    Case("LineMon.ini", "RegistryKey empty",
         {"inis": {"LineMon.ini": {"SystemInfo": {"RegistryKey": ""}}}}),
    Case("registry", "FirmwareFiles missing",
         {"package_values": {"FirmwareFiles": DELETE}},
         gone=[r"{driver}\mdmcode.bin"]),
    Case("brdsetup.ini", "ProgramFilesDir with a ... component",
         {"brdsetup": {"SystemInfo": {"ProgramFilesDir": r"Program Files\Kelmora\...\PM100"}}},
         logged=[dots_refused(r"C:\Program Files\Kelmora\...\PM100")],
         kept=[r"{program_dir}\KmiCon.exe"]),
]

# ------------------------------------------------------------ names that would be shared places

def refused_dir(path: str) -> str:
    return not_removed("vtxRemoveGuiComponents", path + "\\")


def refused_key(key: str) -> str:
    return not_deleted("vtxRemoveGuiComponents", key + "\\")


# What the description no longer names stays: the group, the program
# directory, the control panel's key and the uninstall entry; everything
# else of the package goes.
EMPTY_NAMES = [
    Case("brdsetup.ini", "ProductName empty: group = programs folder, entry = Uninstall",
         {"brdsetup": {"SystemInfo": {"ProductName": ""}},
          "extra_files": {r"{common_programs}\Root Shortcut.lnk": LNK},
          "registry": {UNINSTALL_KEY: {"SharedValue": "keep"}}},
         logged=[refused_dir("{common_programs}"), refused_key(UNINSTALL_KEY[5:])],
         kept=[r"{common_programs}\Root Shortcut.lnk"],
         # The companions' start-up values start programs in the program
         # folder the next row keeps: nothing shows they are the package's.
         check=lambda run: [p for p in run.left_only_below(
             "group_dir", "program_dir", "cpl_registry_key", "uninstall_entry")
             if "CurrentVersion\\Run : " not in p]),
    Case("brdsetup.ini", "ProgramFilesDir missing: program directory = drive root",
         {"brdsetup": {"SystemInfo": {"ProgramFilesDir": None}},
          "extra_files": {r"C:\IO.SYS": "root file", r"C:\mdmpack\keep.txt": "not the package's\r\n",
                          r"{common_desktop}\Shared Desktop.lnk": LNK}},
         logged=[refused_dir("C:")],
         kept=[r"C:\IO.SYS", r"C:\mdmpack\keep.txt", r"{common_desktop}\Shared Desktop.lnk"]),
    Case("brdsetup.ini", "DriverDirXP empty", {"brdsetup": {"SystemInfo": {"DriverDirXP": ""}}},
         logged=["Can't get driver directory"]),
]

# On Windows 95, 98 and Me one key deletion takes a whole subtree.
ODD_WININIT = ("[Settings]\r\nKeep=1\r\n"
               "[Rename]\r\nNUL=C:\\windows\\OLDSETUP.TMP\r\n" +
               ";" + "x" * 510 + "[rename]" + "y" * (700 - 519) + "\r\n\r\n"
               "[Other]\r\nAfter=1\r\n")

EMPTY_KEY = [
    Case("brdsetup.ini", "SetupSoftwareKey empty: package key = Software",
         {"brdsetup": {"SystemInfo": {"SetupSoftwareKey": ""}}},
         logged=[refused_key("Software")],
         check=lambda run: run.key_kept(r"HKLM\Software\Microsoft\Windows\CurrentVersion") +
         run.left_without_package_key()),
    Case("wininit.ini", "[Rename] in capitals, a 700-character line, a section after",
         {"wininit_text": ODD_WININIT,
          "extra_files": {r"C:\windows\OLDSETUP.TMP": "left by an earlier setup\r\n"}},
         allowed=[r"C:\windows\OLDSETUP.TMP"], gone=[r"C:\windows\OLDSETUP.TMP"],
         check=lambda run: run.wininit_entries_before("[Other]", ODD_WININIT)),
]

# ------------------------------------------------------------ format characters

P = "%s%n"
PERCENT_NAMES = {  # the sample's names, and what they become
    "Pathmark 100 ADSL Router": f"PM100 {P} Router",
    r"Kelmora\PM100": f"Kelmora\\PM{P}",
    r"Program Files\Kelmora\PM100": f"Program Files\\Kelmora\\PM{P}100",
    r"Kelmora\PM100 Panel": f"Kelmora\\Panel {P}",
    "SetupLangEnglish.dll": f"Lang{P}.dll",
    r"%WINDOWS%\temp": f"%WINDOWS%\\temp\\IS{P}",
    "dspcode1.bin": f"dsp{P}.bin",
    "Pathmark 100 Control Panel": f"Control {P} Panel",
    "Pathmark Internet": f"Kelnet {P}",
    "Kelnet DSL": f"Fast{P}line",
    "Fastline ADSL": "%s%n%x%d",
    "PM100Usb.ini": f"PM{P}.ini",
    "KmiLine.dll": f"Kmi{P}.dll",
    r"KELCHIP\ADSL\USB\VID_0A5C&PID_2110": f"KELCHIP\\ADSL\\USB\\{P}",
}

# Names with %s%n are names like any other: the whole package goes and the
# log holds them as they are.
PERCENT = [
    Case("layout", "%s%n in every name the package has", {"renames": PERCENT_NAMES},
         logged=[f"Parse DeviceId=KELCHIP\\ADSL\\USB\\{P}", f"removeDspBin: {{driver}}\\dsp{P}.bin removed",
                 f"IspDefault: Kelnet {P} removed", f"Isp1: Fast{P}line removed",
                 f"RemoveFromWinSysDir=Kmi{P}.dll"]),
    Case("VTX.INI", "% directives in RemoveFromWinDir",
         {"vtx_ini": {"SystemInfo": {"RemoveFromWinDir": f"PM{P}.ini,%x%d.ini,KmiSetup.log"}},
          "files": {"%WINDOWS%": ["%x%d.ini"]}},
         logged=[f"RemoveFromWinDir=PM{P}.ini,%x%d.ini,KmiSetup.log"]),
    Case("brdsetup.ini", "% directives in a DialupName", logged=["Isp2: %s%n%x%d removed"]),
]

# ------------------------------------------------------------ long values, wrong type

# Close to the 511 characters an INI value can have: with its label the
# line would not fit the log's message buffer.
LISTED_500 = ",".join(["KmiLine.dll", "PM100Cpl.cpl"] + [f"absent{i:03}.dll" for i in range(34)])

LONG_ROWS = [
    Case("brdsetup.ini", f"ProductName of {LONG} characters",
         {"brdsetup": {"SystemInfo": {"ProductName": "P" * LONG}}},
         check=lambda run: run.logged_start(
             'vtxRemoveGuiComponents: directory "{programs_dir}\\' + "P" * 50)),
    Case("brdsetup.ini", f"SysTrayWindowName and CplWindowName of {LONG} characters",
         {"brdsetup": {"SystemInfo": {"SysTrayWindowName": "W" * LONG,
                                      "CplWindowName": "C" * LONG}}}),
    Case("brdsetup.ini", f"DialupName and icon Description of {LONG} characters",
         {"brdsetup": {"IspDefault": {"DialupName": "I" * LONG},
                       "Icon1": {"Description": "N" * LONG}}}),
    # Read into 256 characters: the key is a vendor's, named whole in the
    # refusal, and its products stay.
    Case("LineMon.ini", f"RegistryKey of {LONG} characters",
         {"inis": {"LineMon.ini": {"SystemInfo": {"RegistryKey": "K" * LONG}}},
          "registry": {"HKLM\\Software\\" + "K" * 255 + "\\Other Product": {"Keep": "1"}}},
         check=lambda run: run.logged_line(walked_refused("Software\\" + "K" * 255)) +
         run.key_kept("HKLM\\Software\\" + "K" * 255 + "\\Other Product")),
    Case("VTX.INI", f"RemoveFromWinDir with an item of {LONG} characters",
         {"vtx_ini": {"SystemInfo": {"RemoveFromWinDir": "PM100Usb.ini,KmiSetup.log," + "R" * LONG}}},
         check=lambda run: run.log_lines_at_most(511)),
    Case("VTX.INI", f"RemoveFromWinSysDir of {len(LISTED_500)} characters",
         {"vtx_ini": {"SystemInfo": {"RemoveFromWinSysDir": LISTED_500}}},
         check=lambda run: run.logged_line(("RemoveFromWinSysDir=" + LISTED_500)[:511])),
    Case("registry", "FirmwareFiles as REG_DWORD",
         {"package_values": {"FirmwareFiles": Dword(5)}},
         kept=[r"{driver}\dspcode1.bin"], gone=[r"{driver}\mdmcode.bin"],
         check=lambda run: run.logged_after("removeDspBin: Parsing FirmwareFiles", [
             "Can't get registry value:", "key=Software\\Kelmora\\PM100", "value=FirmwareFiles"])),
    Case("registry", f"languageDll of {LONG} characters",
         {"package_values": {"languageDll": "L" * LONG + ".dll"}},
         check=lambda run: run.logged_start(
             "vtxRemoveGuiComponents: no short path for {temp}\\" + "L" * LONG, 141)),
    # Inside TEMP by its text, but beyond the platform's path limit.
    Case("registry", f"OrigTmpDir of {LONG} characters",
         {"package_values": {"OrigTmpDir": "{windows}\\temp\\" + "T" * LONG}},
         check=lambda run: run.logged_start(orig_refused("{windows}\\temp\\" + "T" * LONG), 120) +
         run.not_scheduled("T" * 50)),
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
         {"package_values": {"OrigTmpDir": RawValue(REG_SZ, r"C:\windows\temp".encode("utf-16-le"))}},
         gone=[r"{windows}\temp\KmiInst.exe"]),
]

INDENTED = [
    Case("wininit.ini", "an indented [rename] header",
         {"wininit_text": INDENTED_WININIT},
         check=lambda run: run.wininit_section_untouched("  [rename]") +
         run.wininit_kept_and_extended("[rename]", appended=True)),
    # Registry paths do not resolve "..": the key named is a key of that
    # name, and the other vendor's key (a sentinel) stays.
    Case("LineMon.ini", "RegistryKey with .. names no key above",
         {"inis": {"LineMon.ini": {"SystemInfo": {
             "RegistryKey": r"..\Software\Other Vendor\Other App"}}}},
         check=lambda run: run.key_kept(r"HKLM\Software\Other Vendor\Other App")),
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
          "extra_files": {r"{programs_dir}\Administrative Tools\Other Tool.lnk": LNK}},
         logged=[not_removed(GUI, r"{programs_dir}\Administrative Tools")],
         kept=[r"{programs_dir}\Administrative Tools\Other Tool.lnk"]),
]

# On Windows 95, 98 and Me one key deletion takes the whole subtree.
GUARDS_98 = [
    Case("LineMon.ini", "RegistryKey naming Classes\\TypeLib",
         {"inis": {"LineMon.ini": {"SystemInfo": {"RegistryKey": "Classes\\TypeLib"}}}},
         logged=[not_deleted(CPL, r"Software\Classes\TypeLib")],
         watched=[r"HKLM\Software\Classes\TypeLib"]),
    Case("brdsetup.ini", "SetupSoftwareKey naming RunServices",
         {"brdsetup": {"SystemInfo": {"SetupSoftwareKey": RUN_SERVICES[9:]}},
          "registry": {"HKLM\\" + RUN_SERVICES: {"OtherService": "other.exe"},
                       "HKLM\\" + RUN_SERVICES + "\\Other": {"Keep": "1"}}},
         logged=[not_deleted(GUI, RUN_SERVICES)]),
    Case("brdsetup.ini", "ProductName making the group StartUp",
         {"brdsetup": {"SystemInfo": {"ProductName": "StartUp"}},
          "extra_files": {r"{programs_dir}\StartUp\Other Tray.lnk": LNK}},
         logged=[not_removed(GUI, r"{programs_dir}\StartUp")],
         kept=[r"{programs_dir}\StartUp\Other Tray.lnk"]),
]

# ------------------------------------------------------------ names not (only) the package's

MZ = b"MZ\x90\0" + bytes(60)
OTHER = "not the package's\r\n"
OTHER_APP = r"C:\Program Files\Other Vendor\Other App"
OTHER_APP_KEY = r"HKLM\Software\Other Vendor\Other App"
LINEMON = "[SystemInfo]\r\nRegistryKey={}\r\n"
COMMON_SYSTEM = r"C:\Program Files\Common Files\System"
BROWSER = r"C:\Program Files\Internet Explorer"
APP_PATHS = r"HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths"
OTHER_PRODUCT = r"HKLM\Software\Kelmora\Other Product\Settings"


def vendor_kept(run):
    return run.key_kept(OTHER_PRODUCT) + run.key_kept(r"HKLM\Software\Kelmora\Shared")


def orig_refused(folder):
    return f'{GUI}: OrigTmpDir "{folder}" is not a temporary folder, nothing scheduled there'


def walked_refused(key):
    return f'{CPL}: RegistryKey "{key}" lies less than two levels below Software, not deleted'


def shared_dir(folder, why):
    return f'{GUI}: ProgramFilesDir "{folder}" {why}, only the package\'s files removed'


def firmware_refused(name, why):
    return f'removeDspBin: FirmwareFiles "{name}": {{driver}}\\{name} {why}, not removed'


def ownership(orig_tmp_dir: str, language_dll: str, protected=()) -> List[Case]:
    """A temporary folder, a program folder, a vendor key, a firmware list
    and a start-menu group that are not (only) the package's, beside others'."""
    group = r"{programs_dir}\Accessories"
    firmware = ["dspcode1.bin", "usbhub.sys", *protected]
    with_protected = " and a protected file" if protected else ""
    return [
        Case("registry", f"OrigTmpDir {orig_tmp_dir}, languageDll {language_dll}",
             {"package_values": {"OrigTmpDir": orig_tmp_dir, "languageDll": language_dll},
              "extra_files": {orig_tmp_dir + r"\hires.bmp": OTHER}},
             logged=[orig_refused(orig_tmp_dir)],
             kept=[orig_tmp_dir + "\\" + language_dll, orig_tmp_dir + r"\hires.bmp"]),
        # Its LineMon.ini names the vendor's key (next row), but a LineMon.ini
        # is read only from a folder that is the package's as a whole.
        Case("brdsetup.ini", "ProgramFilesDir inside Common Files",
             {"brdsetup": {"SystemInfo": {"ProgramFilesDir": COMMON_SYSTEM[3:]}},
              "extra_files": {COMMON_SYSTEM + r"\LineMon.ini": LINEMON.format("Kelmora"),
                              COMMON_SYSTEM + r"\shared.dll": MZ}},
             logged=[shared_dir(COMMON_SYSTEM, "lies in Common Files")],
             kept=[COMMON_SYSTEM + r"\shared.dll"], gone=[COMMON_SYSTEM + r"\LineMon.ini"],
             allowed=[COMMON_SYSTEM + r"\LineMon.ini"]),
        Case("LineMon.ini", "RegistryKey naming the vendor's key, in a shared folder",
             {"registry": {OTHER_PRODUCT: {"Keep": "1"}}},
             check=lambda run: vendor_kept(run) + ([] if walked_refused(r"Software\Kelmora")
                                                   not in run.log_text else ["LineMon.ini read"])),
        Case("registry", "FirmwareFiles naming a driver" + with_protected,
             {"package_values": {"FirmwareFiles": ",".join(firmware)},
              "extra_files": {r"{driver}\usbhub.sys": MZ,
                              **{"{driver}\\" + name: OTHER for name in protected}}},
             logged=[firmware_refused("usbhub.sys", "is an executable image or cannot be read")] +
             [firmware_refused(name, "is protected by Windows") for name in protected],
             kept=[r"{driver}\usbhub.sys"] + ["{driver}\\" + name for name in protected],
             gone=[r"{driver}\dspcode1.bin"]),
        Case("brdsetup.ini", "ProductName making the group Accessories",
             {"brdsetup": {"SystemInfo": {"ProductName": "Accessories"}},
              "extra_files": {group + r"\Notepad.lnk": LNK, group + r"\Pathmark 100 Help.lnk": LNK,
                              group + r"\System Tools\Backup.lnk": LNK}},
             logged=[f'{GUI}: ProductName group "{group}" holds what is not the package\'s, '
                     "only its shortcuts removed"],
             kept=[group + r"\Notepad.lnk", group + r"\System Tools\Backup.lnk"],
             gone=[group + r"\Pathmark 100 Help.lnk"], allowed=[group + r"\Pathmark 100 Help.lnk"]),
    ]


# The package key is the vendor's (the package values lie there).
SHARED = [
    Case("layout", "SetupSoftwareKey the vendor's key, products below",
         {"renames": {r"HKLM\Software\Kelmora\PM100": r"HKLM\Software\Kelmora"},
          "brdsetup": {"SystemInfo": {"SetupSoftwareKey": "Kelmora"}},
          "registry": {OTHER_PRODUCT: {"Keep": "1"}}},
         logged=[f'{GUI}: key "Software\\Kelmora" still has sub-keys, not deleted'],
         check=vendor_kept),
    Case("registry", "OrigTmpDir the drive root",
         {"package_values": {"OrigTmpDir": "C:\\", "languageDll": "IO.SYS"},
          "extra_files": {r"C:\IO.SYS": OTHER, r"C:\lores.bmp": OTHER}},
         logged=[orig_refused("C:\\")], kept=[r"C:\IO.SYS", r"C:\lores.bmp"]),
    # Its LineMon.ini names a key below InstallShield (next row), not read in
    # a shared folder; KMICONEXE starts the package's companion from there.
    Case("brdsetup.ini", "ProgramFilesDir the browser's folder (App Paths)",
         {"brdsetup": {"SystemInfo": {"ProgramFilesDir": BROWSER[3:]}},
          "extra_files": {BROWSER + r"\LineMon.ini": LINEMON.format(r"InstallShield\Kelmora"),
                          BROWSER + r"\KmiCon.exe": MZ},
          # As the real platform registers its browser (64-bit Wine's own
          # entry points into "Program Files (x86)").
          "registry": {RUN_KEY: {"KMICONEXE": BROWSER + r"\KmiCon.exe"},
                       APP_PATHS + r"\iexplore.exe": {"": BROWSER + r"\iexplore.exe",
                                                      "Path": BROWSER + ";"}}},
         logged=[shared_dir(BROWSER, "holds a program of another product "
                                     "(App Paths\\iexplore.exe)")],
         kept=[BROWSER + r"\iexplore.exe"],
         gone=[BROWSER + r"\LineMon.ini", BROWSER + r"\KmiCon.exe"],
         allowed=[BROWSER + r"\LineMon.ini", BROWSER + r"\KmiCon.exe"]),
    # The group climbs out of the start menu into another product's folder,
    # where a shortcut of the package's name lies.
    Case("brdsetup.ini", "ProductName leading out of the programs folder",
         {"brdsetup": {"SystemInfo": {"ProductName": UP + OTHER_APP[3:]}},
          "extra_files": {OTHER_APP + r"\Pathmark 100 Help.lnk": LNK}},
         check=lambda run: run.logged_start(f'{GUI}: ProductName group "') +
         ([] if run.exists(OTHER_APP + r"\Pathmark 100 Help.lnk") else ["removed: the shortcut"])),
    Case("LineMon.ini", "RegistryKey below the InstallShield root, in a shared folder",
         {"registry": {r"HKLM\Software\InstallShield\Kelmora\Other": {"Keep": "1"}}},
         check=lambda run: run.key_kept(r"HKLM\Software\InstallShield\Kelmora\Other") +
         ([] if r"InstallShield\Kelmora" not in run.log_text else ["LineMon.ini read"])),
]

# ------------------------------------------------------------ names that are the platform's

def refused_file(setting: str, name: str, folder: str, why: str) -> str:
    return f'{setting} "{name}": {folder}\\{name} {why}, not removed'


LISTED = "is listed in Windows's LAYOUT.INF"
DEVICE = "names a device"
WIN_DIR = "vtxRemoveDevice: RemoveFromWinDir"
SYS_DIR = "vtxRemoveDevice: RemoveFromWinSysDir"
FIRMWARE = "removeDspBin: FirmwareFiles"


def platform_files(nt: bool, data_dir: str) -> List[Case]:
    """Names of the platform's own files and devices in the lists, and a
    program folder inside the user's data (data_dir), beside files that
    are not the package's."""
    code_page = "c_1252.nls" if nt else "CP_1252.NLS"
    long_name = [] if nt else [
        r"deleteAtReboot: {windows}\kernel32.dll.old has no short name, not scheduled"]
    return [
        Case("VTX.INI", "RemoveFromWinDir naming a profile, a device and a long name",
             {"vtx_ini": {"SystemInfo": {"RemoveFromWinDir":
                                         "PM100Usb.ini,SYSTEM.INI,NUL,kernel32.dll.old"}}},
             logged=[refused_file(WIN_DIR, "SYSTEM.INI", "{windows}", "is a profile Windows reads"),
                     refused_file(WIN_DIR, "NUL", "{windows}", DEVICE)] + long_name,
             kept=[r"{windows}\system.ini"], gone=[r"{windows}\PM100Usb.ini"]),
        Case("VTX.INI", "RemoveFromWinSysDir naming files the setup laid out",
             {"vtx_ini": {"SystemInfo": {"RemoveFromWinSysDir":
                                         "KmiLine.dll,UNICODE.NLS,STDOLE2.TLB"}},
              "extra_files": {r"{system}\UNICODE.NLS": OTHER}},
             logged=[refused_file(SYS_DIR, "UNICODE.NLS", "{system}", LISTED),
                     refused_file(SYS_DIR, "STDOLE2.TLB", "{system}", LISTED)],
             kept=[r"{system}\UNICODE.NLS"], gone=[r"{system}\KmiLine.dll"]),
        Case("registry", "FirmwareFiles naming a code page and a device",
             {"package_values": {"FirmwareFiles": f"dspcode1.bin,{code_page},NUL"},
              "extra_files": {"{driver}\\" + code_page: OTHER}},
             logged=[refused_file(FIRMWARE, code_page, "{driver}", LISTED),
                     refused_file(FIRMWARE, "NUL", "{driver}", DEVICE)],
             kept=["{driver}\\" + code_page], gone=[r"{driver}\dspcode1.bin"]),
        # Its LineMon.ini names another panel's key; its mdmpack is someone
        # else's; the companion the start-up value names is the package's.
        Case("brdsetup.ini", "ProgramFilesDir inside the user's data",
             {"brdsetup": {"SystemInfo": {"ProgramFilesDir": data_dir}},
              "extra_files": {data_dir + r"\Letter.doc": OTHER,
                              data_dir + r"\mdmpack\keep.txt": OTHER,
                              data_dir + r"\LineMon.ini": OTHER_LINEMON,
                              data_dir + r"\KmiCon.exe": MZ},
              "registry": {OTHER_PANEL: {"Keep": "1"},
                           RUN_KEY: {"KMICONEXE": data_dir + r"\KmiCon.exe"}}},
             kept=[data_dir + r"\Letter.doc", data_dir + r"\mdmpack\keep.txt"],
             gone=[data_dir + r"\LineMon.ini", data_dir + r"\KmiCon.exe"],
             allowed=[data_dir + r"\LineMon.ini", data_dir + r"\KmiCon.exe"],
             check=lambda run: run.logged_start(
                 f'{GUI}: ProgramFilesDir "{data_dir}" lies in the user\'s data (') +
             run.key_kept(OTHER_PANEL)),
    ]


# A device as a provider's entry name: no shortcut and no phonebook entry.
DEVICE_DIALUP = Case("brdsetup.ini", "DialupName CON",
                     {"brdsetup": {"IspDefault": {"DialupName": "CON"}}},
                     logged=[refused_file("vtxRemoveDialups: DialupName", "CON.lnk",
                                          "{common_desktop}", DEVICE)],
                     check=lambda run: [] if "IspDefault: CON removed" not in run.log_text
                     else ["CON deleted from the phonebook"])

# ------------------------------------------------------------ others' registrations named

def key_refused(action: str) -> str:
    return (f'{action}: SetupSoftwareKey "Software\\Other Vendor\\Other App" holds fewer than two '
            "of vpi, vci, layer3Protocol, modulation, driverType, annexType, not used")


# Another product's uninstall entry named by ProductName, another vendor's key
# by SetupSoftwareKey (holding names of its own files): both stay whole, and
# the names the key holds steer nothing.
FOREIGN = [
    Case("brdsetup.ini", "ProductName naming another product's uninstall entry",
         {"brdsetup": {"SystemInfo": {"ProductName": "Other App"}},
          "registry": {UNINSTALL_KEY + r"\Other App": {
              "UninstallString": OTHER_APP + r"\other.exe /uninstall",
              "DisplayIcon": OTHER_APP + r"\other.exe,0"}}},
         logged=[f'{GUI}: ProductName "Other App": uninstall entry points into neither the '
                 "program folder nor the tool's, not deleted"],
         check=lambda run: run.key_kept(UNINSTALL_KEY + r"\Other App")),
    Case("brdsetup.ini", "SetupSoftwareKey naming another vendor's key",
         {"brdsetup": {"SystemInfo": {"SetupSoftwareKey": r"Other Vendor\Other App"}},
          "registry": {OTHER_APP_KEY: {"FirmwareFiles": "other.sys", "languageDll": "other.tmp",
                                       "OrigTmpDir": r"{windows}\temp\OtherSetup", "vpi": "8"}},
          "extra_files": {r"{windows}\temp\OtherSetup\KmiInst.exe": OTHER}},
         logged=[key_refused(GUI), key_refused("removeDspBin")],
         kept=[r"{driver}\other.sys", r"{temp}\other.tmp", r"{windows}\temp\OtherSetup\KmiInst.exe"],
         check=lambda run: run.key_kept(OTHER_APP_KEY) + run.not_scheduled("OtherSetup")),
]

# ------------------------------------------------------------ proof of the package's

SHARED_DLLS = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
OTHER_TOOL_ENTRY = UNINSTALL_KEY + r"\Other Tool"


def shared_counts(run):
    """A count above 1 lowered by one, a count of 1 gone with its file."""
    registry = run.prefix.registry()
    counts = {name.lower(): value for name, value in registry.values(SHARED_DLLS).items()}
    found = [] if counts.get(r"c:\windows\vtxshared.ocx") == 2 else [f"SharedDLLs counts {counts}"]
    return found + ([] if r"c:\windows\vtxlast.ocx" not in counts else ["count of 1 kept"])


# A shared runtime and a folder in RemoveFromWinDir; another maker's
# programs in the start-up values of the same kit; another product's
# uninstall entry in LineMon.ini.
PROOF_NAMES = [
    Case("VTX.INI", "RemoveFromWinDir naming a counted runtime and a folder",
         {"vtx_ini": {"SystemInfo": {"RemoveFromWinDir":
                                     "PM100Usb.ini,KmiSetup.log,vtxshared.ocx,vtxlast.ocx,Fonts"}},
          "extra_files": {r"{windows}\vtxshared.ocx": MZ, r"{windows}\vtxlast.ocx": MZ,
                          r"{windows}\Fonts\vtxsentinel.fon": OTHER},
          "registry": {SHARED_DLLS: {r"C:\WINDOWS\VTXSHARED.OCX": Dword(3),
                                     r"c:\windows\vtxlast.ocx": Dword(1)}}},
         logged=[r'vtxRemoveDevice: RemoveFromWinDir "vtxshared.ocx": {windows}\vtxshared.ocx is '
                 "counted in SharedDLLs by other products (count 3, lowered by one), not removed",
                 r'vtxRemoveDevice: RemoveFromWinDir "Fonts": {windows}\Fonts is a folder, '
                 "not removed"],
         kept=[r"{windows}\vtxshared.ocx", r"{windows}\Fonts\vtxsentinel.fon"],
         gone=[r"{windows}\vtxlast.ocx", r"{windows}\PM100Usb.ini"],
         allowed=[r"{windows}\vtxlast.ocx"], check=shared_counts,
         allowed_values=[(SHARED_DLLS, r"C:\WINDOWS\VTXSHARED.OCX"),
                         (SHARED_DLLS, r"c:\windows\vtxlast.ocx")]),
    Case("registry", "KMICONEXE and KMISETUP starting another maker's programs",
         {"registry": {RUN_KEY: {"KMICONEXE": OTHER_APP + r"\KmiCon.exe",
                                 "KMISETUP": OTHER_APP + r"\KmiInst.exe /restart"}},
          "extra_files": {OTHER_APP + r"\KmiCon.exe": MZ, OTHER_APP + r"\KmiInst.exe": MZ}},
         logged=[f"{GUI}: start-up value KMICONEXE starts {OTHER_APP}\\KmiCon.exe, which is not "
                 "the package's, not deleted"],
         kept=[OTHER_APP + r"\KmiCon.exe"],
         check=lambda run: [] if set(run.prefix.registry().values(RUN_KEY)) >=
         {"KMICONEXE", "KMISETUP"} else ["start-up value gone"]),
    Case("LineMon.ini", "RegistryKey naming another product's uninstall entry",
         {"inis": {"LineMon.ini": {"SystemInfo": {"RegistryKey": OTHER_TOOL_ENTRY[5:][9:]}}},
          "registry": {OTHER_TOOL_ENTRY: {"UninstallString": OTHER_APP + r"\tool.exe /u"}}},
         logged=[f'{CPL}: RegistryKey "Software\\{OTHER_TOOL_ENTRY[14:]}": uninstall entry '
                 "points into neither the program folder nor the tool's, not deleted"],
         check=lambda run: run.key_kept(OTHER_TOOL_ENTRY)),
]

NO_PROOF_DIR = r"C:\Program Files\Old Vendor\Old App"

# The tool started from the drive's root (a CD's): the root is no folder of
# the package's, so the package's own uninstall entry, pointing there,
# stays.
TOOL_AT_ROOT = Case("layout", "the tool started from the drive's root",
                    {"renames": {r"C:\PM100Remove": "C:\\"}},
                    logged=[f'{GUI}: ProductName "Pathmark 100 ADSL Router": uninstall entry '
                            "points into neither the program folder nor the tool's, not deleted"],
                    check=lambda run: run.key_kept(UNINSTALL_KEY + r"\Pathmark 100 ADSL Router"))

# A program folder another product's setup made, holding nothing the
# package's setup wrote.
NO_PROOF = Case("brdsetup.ini", "ProgramFilesDir a folder without the package's proof",
                {"brdsetup": {"SystemInfo": {"ProgramFilesDir": NO_PROOF_DIR[3:]}},
                 "extra_files": {NO_PROOF_DIR + r"\oldapp.exe": MZ,
                                 NO_PROOF_DIR + r"\Readme.txt": OTHER}},
                logged=[shared_dir(NO_PROOF_DIR, "holds neither LineMon.ini nor a program a "
                                                 "companion's start-up value starts")],
                kept=[NO_PROOF_DIR + r"\oldapp.exe", NO_PROOF_DIR + r"\Readme.txt"])

GROUPS = [
    Group("escapes", "winxp", ESCAPES),
    Group("values", "win98", VALUES),
    Group("empty", "winxp", EMPTY),
    Group("emptynames", "winxp", EMPTY_NAMES),
    Group("emptykey", "win98", EMPTY_KEY),
    Group("percent", "winme", PERCENT, full_removal=True, schedule=True),
    Group("long", "win95", LONG_ROWS),
    Group("layout", "win98", LAYOUT),
    Group("indented", "win98", INDENTED),
    Group("garbage98", "win98", GARBAGE_98, logged=False),
    Group("garbagexp", "winxp", GARBAGE_XP, logged=False),
    Group("headers", "winxp", HEADERS, full_removal=True),
    Group("guardsxp", "winxp", GUARDS_XP),
    Group("guards98", "win98", GUARDS_98),
    Group("owner98", "win98", ownership("{windows}", "SYSTEM.INI")),
    Group("ownerxp", "winxp", ownership("{system}", "comctl32.dll", ["modemcal.bin"]),
          protected=[r"{driver}\modemcal.bin"]),
    Group("shared98", "win98", SHARED),
    Group("sharedxp", "winxp", SHARED),
    Group("platform98", "win98", platform_files(False, r"{personal}\Letters")),
    Group("platformxp", "winxp", platform_files(True, r"{appdata}\Microsoft\Protect\S-1-5-21-7")
          + [DEVICE_DIALUP]),
    Group("foreign98", "win98", FOREIGN + [NO_PROOF]),
    Group("foreignxp", "winxp", FOREIGN + [NO_PROOF]),
    Group("proof98", "win98", PROOF_NAMES + [TOOL_AT_ROOT]),
    Group("proofxp", "winxp", PROOF_NAMES + [TOOL_AT_ROOT]),
]
