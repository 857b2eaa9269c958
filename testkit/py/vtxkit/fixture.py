"""An installed driver package laid out in a prefix as its setup would have
left it, and things of others beside it that a removal must leave alone
(sentinels).

Where things lie (the layout) is set by the constructor's arguments; what
the package's files and registry values *say* (brdsetup.ini, VTX.INI,
LineMon.ini, the package key) is derived from the layout and can be
overridden key by key, so that a hostile variant is one argument:

    PackageFixture(prefix, brdsetup={"SystemInfo": {"ProgramFilesDir": ""}})
    PackageFixture(prefix, package_values={"FirmwareFiles": Dword(5)})

INI overrides map section -> {key: value}; a value of None drops the key, a
section mapped to None drops the section. Registry overrides map value name
-> value (see registry.py for the types); DELETE drops the value.

After install(), `footprint` lists what belongs to the package (what a
complete removal takes away at once), `scheduled` the files that a removal
only schedules for the next start (the setup program's temporary files),
and `sentinels` what belongs to others. All paths are Windows paths."""
import shutil
from dataclasses import dataclass, field
from pathlib import Path
from typing import Dict, List, Optional, Sequence, Tuple

from . import env, kmi
from .inifile import ini_text, join, merge_ini, merge_values
from .registry import DELETE, reg_file_text

PRODUCT_CODE = "{5e1d0c7a-93b2-4f16-8a44-2b7c90d1e6f3}"
RUN_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
SETUP_RECORD_ROOT = r"C:\Program Files\InstallShield Installation Information"
SETUP_TEMP_FILES = ["KmiInst.exe", "KmiInst.dll", "hires.bmp", "lores.bmp"]
RUN_VALUES = ["KMICONEXE", "LINEMONEXE", "LINEWATCHEXE", "KMISETUP"]

DEFAULT_ICONS = [  # (section, Description, ShortcutToDesktop)
    ("Icon1", "Pathmark 100 Control Panel", "1"),
    ("Icon2", "Pathmark 100 Line Monitor", "0"),
    ("Icon3", "Pathmark 100 Help", "1"),
]
DEFAULT_ISPS = [("Isp1", "Kelnet DSL"), ("Isp2", "Fastline ADSL")]


@dataclass
class Footprint:
    files: List[str] = field(default_factory=list)
    dirs: List[str] = field(default_factory=list)
    keys: List[str] = field(default_factory=list)
    values: List[Tuple[str, str]] = field(default_factory=list)  # (key, value name)


class PackageFixture:
    def __init__(self, prefix, *,
                 product_name: str = "Pathmark 100 ADSL Router",
                 software_key: str = r"Kelmora\PM100",
                 program_subdir: str = r"Program Files\Kelmora\PM100",
                 cpl_key: str = r"Kelmora\PM100 Panel",
                 tool_dir: str = r"C:\PM100Remove",
                 language_dll: str = "SetupLangEnglish.dll",
                 orig_tmp_dir: Optional[str] = r"C:\windows\temp\_ISTMP1.DIR",
                 firmware_files: Sequence[str] = ("dspcode1.bin", "dspcode2.bin"),
                 icons: Sequence[Tuple[str, str, str]] = DEFAULT_ICONS,
                 isp_default: str = "Pathmark Internet",
                 isps: Sequence[Tuple[str, str]] = DEFAULT_ISPS,
                 device_ids: str = r"KELCHIP\ADSL\USB\VID_0A5C&PID_2110",
                 remove_from_win_dir: Sequence[str] = ("PM100Usb.ini", "KmiSetup.log"),
                 remove_from_win_sys_dir: Sequence[str] = ("KmiLine.dll", "PM100Cpl.cpl"),
                 brdsetup: Optional[dict] = None, brdsetup_text: Optional[str] = None,
                 windows_brdsetup=True,
                 vtx_ini: Optional[dict] = None, vtx_ini_text: Optional[str] = None,
                 linemon: Optional[dict] = None,
                 package_values: Optional[dict] = None,
                 registry: Optional[dict] = None,
                 stub: Optional[str] = "normal", stub_config: Optional[dict] = None,
                 copy_package: bool = True,
                 wininit_text: Optional[str] = None,
                 extra_files: Optional[Dict[str, object]] = None,
                 sentinels: bool = True):
        self.prefix = prefix
        self.product_name = product_name
        self.software_key = software_key
        self.program_subdir = program_subdir
        self.cpl_key = cpl_key
        self.tool_dir_win = tool_dir
        self.language_dll = language_dll
        self.orig_tmp_dir = orig_tmp_dir
        self.firmware_files = list(firmware_files)
        self.icons = list(icons)
        self.isp_default = isp_default
        self.isps = list(isps)
        self.device_ids = device_ids
        self.remove_from_win_dir = list(remove_from_win_dir)
        self.remove_from_win_sys_dir = list(remove_from_win_sys_dir)
        self._brdsetup_overrides = brdsetup
        self._brdsetup_text = brdsetup_text
        self._windows_brdsetup = windows_brdsetup
        self._vtx_ini_overrides = vtx_ini
        self._vtx_ini_text = vtx_ini_text
        self._linemon_overrides = linemon
        self._package_value_overrides = package_values
        self._registry_overrides = registry or {}
        self.stub = stub
        self.stub_config = stub_config or {}
        self.copy_package = copy_package
        self.wininit_text = wininit_text
        self.extra_files = extra_files or {}
        self.with_sentinels = sentinels
        self.footprint = Footprint()
        self.scheduled: List[str] = []
        self.sentinels = Footprint()
        self.tool_files: List[str] = []

    # ------------------------------------------------------------ places
    def _folder(self, name: str) -> str:
        return self.prefix.folders()[name]

    @property
    def windows_dir(self) -> str:
        return self._folder("windows")

    @property
    def system_dir(self) -> str:
        return self._folder("system")

    @property
    def temp_dir(self) -> str:
        return self._folder("temp")

    @property
    def driver_dir(self) -> str:
        return join(self.system_dir, "drivers") if self.prefix.is_nt else self.system_dir

    @property
    def programs_dir(self) -> str:
        return self._folder("common_programs" if self.prefix.is_nt else "programs")

    @property
    def desktop_dir(self) -> str:
        return self._folder("common_desktop" if self.prefix.is_nt else "desktop")

    @property
    def program_dir(self) -> str:
        return join("C:", self.program_subdir)

    @property
    def mdmpack_dir(self) -> str:
        return join(self.program_dir, "mdmpack")

    @property
    def group_dir(self) -> str:
        return join(self.programs_dir, self.product_name)

    @property
    def setup_record_dir(self) -> str:
        return join(SETUP_RECORD_ROOT, PRODUCT_CODE)

    @property
    def package_key(self) -> str:
        return join(r"HKLM\Software", self.software_key)

    @property
    def cpl_registry_key(self) -> str:
        return join(r"HKLM\Software", self.cpl_key)

    @property
    def uninstall_entry(self) -> str:
        return join(UNINSTALL_KEY, self.product_name)

    @property
    def setup_record_entry(self) -> str:
        return join(UNINSTALL_KEY, PRODUCT_CODE)

    @property
    def tool_dir(self) -> Path:
        return self.prefix.unix(self.tool_dir_win)

    @property
    def tool_exe(self) -> Path:
        return self.tool_dir / "vtxremove.exe"

    # ------------------------------------------------------------ contents
    def brdsetup_sections(self) -> dict:
        system = {
            "ProgramFilesDir": self.program_subdir,
            "ProductName": self.product_name,
            "HardwareType": "usb",
            "HardwarePlatform": "adsl",
            "DriverDir95": "Win95", "DriverDir98": "Win98", "DriverDirMe": "WinMe",
            "DriverDir2k": "Win2k", "DriverDirXP": "WinXP",
            "ModemId": "PM100",
            "UsbCtrlrId": r"USB\VID_0A5C&PID_2110",
            "InstallSilently": "0",
            "SetupSoftwareKey": self.software_key,
            "SysTrayClassName": "Kelbridge Cpl Window Class",
            "SysTrayWindowName": "Kelbridge Cpl Target Window",
            "CplWindowName": "Pathmark 100 Control Panel",
            "StartMenuIconSections": ",".join(s for s, _, _ in self.icons),
            "IspSections": ",".join(s for s, _ in self.isps),
        }
        sections = {"SystemInfo": system}
        for section, description, desktop in self.icons:
            sections[section] = {"Description": description, "ShortcutToDesktop": desktop}
        sections["IspDefault"] = {"DialupName": self.isp_default}
        for section, name in self.isps:
            sections[section] = {"DialupName": name}
        return merge_ini(sections, self._brdsetup_overrides)

    def brdsetup_text(self) -> str:
        return self._brdsetup_text if self._brdsetup_text is not None else \
            ini_text(self.brdsetup_sections())

    def vtx_ini_sections(self) -> dict:
        sections = {
            "SystemInfo": {
                "Debug": "TRACE",
                "DeviceId": self.device_ids,
                "RemoveFromWinDir": ",".join(self.remove_from_win_dir),
                "RemoveFromWinSysDir": ",".join(self.remove_from_win_sys_dir),
                "SupportedLanguages": "ENGLISH,GERMAN",
            },
            "Languages": {
                "english": "kmtext_english.dll,0x0009,0,101",
                "german": "kmtext_german.dll,0x0007,0,101",
            },
        }
        return merge_ini(sections, self._vtx_ini_overrides)

    def vtx_ini_text(self) -> str:
        return self._vtx_ini_text if self._vtx_ini_text is not None else \
            ini_text(self.vtx_ini_sections())

    def linemon_sections(self) -> dict:
        return merge_ini({"SystemInfo": {"RegistryKey": self.cpl_key, "PollSeconds": "5"}},
                         self._linemon_overrides)

    def package_values(self) -> dict:
        values = {
            "srcPath": r"D:\PM100\Setup",
            "hardwareTypeDir": "WinXP" if self.prefix.is_nt else "Win98",
            "language": "ENGLISH",
            "languageDll": self.language_dll,
            "languageDllCpl": "panelen.dll",
            "languageDllCplV2": "panelen2.dll",
            "driverType": "USB",
            "annexType": "A",
            "ispSection": "Isp1",
            "driverDir": self.driver_dir,
            "vci": "35", "vpi": "8", "layer3Protocol": "1", "modulation": "0",
            "FirmwareFiles": ",".join(self.firmware_files),
        }
        if self.orig_tmp_dir:
            values["OrigTmpDir"] = self.orig_tmp_dir
        return merge_values(values, self._package_value_overrides)

    # ------------------------------------------------------------ laying out
    def install(self) -> "PackageFixture":
        """Writes every file and imports every registry value; the prefix
        keeps running (wininit.ini, when given, is written last)."""
        self._lay_tool_dir()
        self._lay_system_files()
        self._lay_program_files()
        self._lay_shortcuts()
        self._lay_setup_files()
        if self.with_sentinels:
            self._lay_sentinel_files()
        for path, content in self.extra_files.items():
            self._put(path, content)
        self.prefix.reg_import(self._registry_content())
        self._note_registry()
        if self.wininit_text is not None:
            self._put(join(self.windows_dir, "wininit.ini"), self.wininit_text)
        return self

    def _put(self, win_path: str, content=None, owner: Optional[Footprint] = None) -> str:
        path = self.prefix.unix(win_path)
        path.parent.mkdir(parents=True, exist_ok=True)
        if content is None:
            content = f"{Path(win_path.replace(chr(92), '/')).name} (test fixture)\r\n"
        data = content if isinstance(content, bytes) else content.encode("cp1252", "replace")
        if path.is_file() and path.stat().st_nlink > 1:
            path.unlink()  # shared with the template prefix: never write through
        path.write_bytes(data)
        if owner is not None:
            owner.files.append(win_path)
        return win_path

    def _dir(self, win_path: str, owner: Footprint) -> None:
        self.prefix.unix(win_path).mkdir(parents=True, exist_ok=True)
        owner.dirs.append(win_path)

    def _lay_tool_dir(self) -> None:
        tool = self.tool_dir
        tool.mkdir(parents=True, exist_ok=True)
        if self.copy_package and env.package_dir().is_dir():
            for source in sorted(env.package_dir().iterdir()):
                if source.is_file():
                    shutil.copyfile(source, tool / source.name)
                    self.tool_files.append(join(self.tool_dir_win, source.name))
        self._put(join(self.tool_dir_win, "VTX.INI"), self.vtx_ini_text())
        self._put(join(self.tool_dir_win, "brdsetup.ini"), self.brdsetup_text())
        self.tool_files += [join(self.tool_dir_win, "VTX.INI"),
                            join(self.tool_dir_win, "brdsetup.ini")]
        if self.stub:
            kmi.install_stub(tool, self.stub, **self.stub_config)
            self.tool_files += [join(self.tool_dir_win, "kmiinst.dll"),
                                join(self.tool_dir_win, "kmiinst.cfg")]
        self.tool_files = sorted(set(self.tool_files), key=str.lower)

    def _lay_system_files(self) -> None:
        mine = self.footprint
        for name in ["mdmcode.bin"] + self.firmware_files:
            self._put(join(self.driver_dir, name), bytes(range(256)) * 4, mine)
        self._put(join(self.windows_dir, "KmiRbt.txt"), "reboot\r\n", mine)
        if self._windows_brdsetup is not False:
            text = self.brdsetup_text() if self._windows_brdsetup is True else \
                self._windows_brdsetup if isinstance(self._windows_brdsetup, str) else \
                ini_text(merge_ini(self.brdsetup_sections(), self._windows_brdsetup))
            self._put(join(self.windows_dir, "brdsetup.ini"), text, mine)
        for name in self.remove_from_win_dir:
            self._put(join(self.windows_dir, name), None, mine)
        for name in self.remove_from_win_sys_dir:
            self._put(join(self.system_dir, name), None, mine)
        self._put(join(self.system_dir, "panelen.dll"), None, mine)

    def _lay_program_files(self) -> None:
        mine = self.footprint
        self._dir(self.program_dir, mine)
        for name in ["KmiCon.exe", "LineMon.exe", "LineWatch.exe", "kmicpl.dll", "Readme.txt"]:
            self._put(join(self.program_dir, name), None, mine)
        self._put(join(self.program_dir, "LineMon.ini"), ini_text(self.linemon_sections()), mine)
        self._dir(self.mdmpack_dir, mine)
        for name in ["PM100.inf", "PM100.sys", "PM100.cat"]:
            self._put(join(self.mdmpack_dir, name), None, mine)

    def _lay_shortcuts(self) -> None:
        mine = self.footprint
        self._dir(self.group_dir, mine)
        for _, description, desktop in self.icons:
            self._put(join(self.group_dir, description + ".lnk"), b"L\0\0\0lnk", mine)
            if desktop.strip() not in ("", "0"):
                self._put(join(self.desktop_dir, description + ".lnk"), b"L\0\0\0lnk", mine)
        for name in [self.isp_default] + [n for _, n in self.isps]:
            if name:
                self._put(join(self.desktop_dir, name + ".lnk"), b"L\0\0\0lnk", mine)

    def _lay_setup_files(self) -> None:
        mine = self.footprint
        self._dir(self.setup_record_dir, mine)
        for name in ["setup.exe", "setup.ilg", "data1.hdr", "layout.bin"]:
            self._put(join(self.setup_record_dir, name), None, mine)
        names = SETUP_TEMP_FILES + ([self.language_dll] if self.language_dll else [])
        for name in names:
            self.scheduled.append(self._put(join(self.temp_dir, name)))
        if self.orig_tmp_dir:
            for name in names:
                self.scheduled.append(self._put(join(self.orig_tmp_dir, name)))

    def _lay_sentinel_files(self) -> None:
        keep = self.sentinels
        self._put(r"C:\AUTOEXEC.BAT", "@ECHO OFF\r\n", keep)
        other = r"C:\Program Files\Other Vendor\Other App"
        self._put(join(other, "other.exe"), None, keep)
        self._put(join(other, "readme.txt"), None, keep)
        self._put(r"C:\Program Files\Kelmora\Shared\kmshared.dll", None, keep)
        self._put(join(self.programs_dir, "Other App", "Other App.lnk"), b"L\0\0\0lnk", keep)
        self._put(join(self.desktop_dir, "Other App.lnk"), b"L\0\0\0lnk", keep)
        self._put(join(SETUP_RECORD_ROOT, "{0b5f1c2e-0000-4000-8000-00000000beef}",
                       "setup.ilg"), None, keep)
        self._put(join(self.windows_dir, "other.ini"), "[Other]\r\nKeep=1\r\n", keep)
        self._put(join(self.system_dir, "othercpl.dll"), None, keep)
        self._put(join(self.driver_dir, "other.sys"), None, keep)
        self._put(join(self.temp_dir, "other.tmp"), None, keep)
        keep.dirs += [other, r"C:\Program Files\Kelmora\Shared",
                      join(self.programs_dir, "Other App"), SETUP_RECORD_ROOT]

    def _registry_content(self) -> dict:
        tool_exe = join(self.tool_dir_win, "vtxremove.exe")
        content = {
            self.package_key: self.package_values(),
            self.cpl_registry_key: {"Version": "1.2", "Language": "english"},
            join(self.cpl_registry_key, "Settings"): {"PollSeconds": "5", "ShowTray": "1"},
            join(self.cpl_registry_key, "Connections"): {"Default": self.isp_default},
            RUN_KEY: {
                "KMICONEXE": join(self.program_dir, "KmiCon.exe"),
                "LINEMONEXE": join(self.program_dir, "LineMon.exe"),
                "LINEWATCHEXE": join(self.program_dir, "LineWatch.exe"),
                "KMISETUP": join(self.temp_dir, "KmiInst.exe") + " /restart",
            },
            self.uninstall_entry: {"DisplayName": self.product_name, "UninstallString": tool_exe},
            self.setup_record_entry: {
                "DisplayName": self.product_name + " Setup",
                "UninstallString": join(self.setup_record_dir, "setup.exe") + " -uninst",
                "LogFile": join(self.setup_record_dir, "setup.ilg"),
            },
        }
        if self.with_sentinels:
            content[RUN_KEY]["OtherAppTray"] = r"C:\Program Files\Other Vendor\Other App\other.exe"
            content[join(UNINSTALL_KEY, "Other App")] = {"DisplayName": "Other App"}
            content[r"HKLM\Software"] = {"OtherVendorFlag": "keep"}
            content[r"HKLM\Software\Other Vendor\Other App"] = {"Version": "3.1"}
            content[r"HKLM\Software\Kelmora\Shared"] = {"InstallCount": "2"}
            content[r"HKCU\Software\Other Vendor\Other App"] = {"Window": "10,10"}
        for key, values in self._registry_overrides.items():
            if values is DELETE or key not in content:
                content[key] = values
            else:
                content[key] = merge_values(content[key], values)
        return content

    def _note_registry(self) -> None:
        self.footprint.keys += [self.package_key, self.cpl_registry_key,
                                join(self.cpl_registry_key, "Settings"),
                                join(self.cpl_registry_key, "Connections"),
                                self.uninstall_entry, self.setup_record_entry]
        self.footprint.values += [(RUN_KEY, name) for name in RUN_VALUES]
        if self.with_sentinels:
            self.sentinels.keys += [join(UNINSTALL_KEY, "Other App"),
                                    r"HKLM\Software\Other Vendor\Other App",
                                    r"HKLM\Software\Kelmora\Shared",
                                    r"HKCU\Software\Other Vendor\Other App"]
            self.sentinels.values += [(RUN_KEY, "OtherAppTray"),
                                      (r"HKLM\Software", "OtherVendorFlag")]

    # ------------------------------------------------------------ running
    def start_tool(self, answers=(), **options):
        """Starts the tool (vtxremove.exe copied into the tool directory)
        from the tool directory under the driver; see driver.start_driver
        for the options. Returns the running driver."""
        from .driver import start_driver
        if not self.tool_exe.exists():
            raise FileNotFoundError(f"{self.tool_exe} missing: build/package has no vtxremove.exe")
        return start_driver(self.prefix, self.tool_exe, cwd=self.tool_dir_win,
                            answers=answers, **options)

    def run_tool(self, answers=(), **options):
        """start_tool, then wait for the end; returns the transcript."""
        return self.start_tool(answers, **options).wait()

    # ------------------------------------------------------------ checks
    def registry_text(self) -> str:
        """The .reg text that install() imports (for reading)."""
        return reg_file_text(self._registry_content())

    def _exists(self, win_path: str) -> bool:
        return self.prefix.unix(win_path).exists()

    def _present(self, items: Footprint, registry) -> List[str]:
        found = [f"file {p}" for p in items.files if self._exists(p)]
        found += [f"dir {p}" for p in items.dirs if self._exists(p)]
        found += [f"key {k}" for k in items.keys if registry.has_key(k)]
        found += [f"value {k} : {n}" for k, n in items.values if registry.value(k, n) is not None]
        return found

    def _absent(self, items: Footprint, registry) -> List[str]:
        missing = [f"file {p}" for p in items.files if not self._exists(p)]
        missing += [f"dir {p}" for p in items.dirs if not self._exists(p)]
        missing += [f"key {k}" for k in items.keys if not registry.has_key(k)]
        missing += [f"value {k} : {n}" for k, n in items.values if registry.value(k, n) is None]
        return missing

    def leftovers(self, registry=None) -> List[str]:
        """What of the package's footprint is still there ("file ...",
        "dir ...", "key ...", "value KEY : NAME"); registry: a Registry to use
        instead of a fresh live read."""
        return self._present(self.footprint, registry or self.prefix.registry())

    def missing_footprint(self, registry=None) -> List[str]:
        """What of the footprint is already gone (before a run: nothing)."""
        return self._absent(self.footprint, registry or self.prefix.registry())

    def lost_sentinels(self, registry=None) -> List[str]:
        """The sentinels that are gone."""
        return self._absent(self.sentinels, registry or self.prefix.registry())

    def scheduled_left(self) -> List[str]:
        """The setup program's temporary files that still exist."""
        return [p for p in self.scheduled if self._exists(p)]
