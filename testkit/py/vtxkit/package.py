"""A driver package laid out in a prefix as its setup would have left it,
beside things of others that a removal must leave alone: the one engine of
the end-to-end tests, the rehearsals and the demo.

The package is a description (description.py; by default the sample
dist/sample-pathmark100.ini) with a test's overrides, so that a hostile
variant is one argument:

    Package(prefix)                                         the sample as it is
    Package(prefix, brdsetup={"SystemInfo": {"ProgramFilesDir": ""}})
    Package(prefix, package_values={"FirmwareFiles": Dword(5)})
    Package(prefix, renames={"Pathmark 100 ADSL Router": "PM100 %s%n Router"})

  renames         {old: new}: names changed wherever the description has
                  them (folders, files, keys, values; description.rename)
  files           {folder: [names]}: further files of the package
  registry        {key: {name: value or DELETE} or DELETE}: a key of the
                  package or of others changed value by value; any other key
                  is laid out last and belongs to neither
  package_values  the same for the package key
  vtx_ini, brdsetup, inis={file name: ...}: INI content overridden key by
                  key, {section: {key: value or None} or None} (None drops)
  vtx_ini_text, brdsetup_text: the whole file instead (text or bytes)
  extra_files     {path: text or bytes}: files of neither, laid out last
  wininit_text    wininit.ini, laid out last (only in a running prefix)
  stub, stub_config: the installer-library stand-in ("normal", "noadmin" or
                  None) and how it answers (kmi.install_stub), unless the
                  description names the maker's own library
  short_pauses    the tool of the test build whose designed pauses are a
                  twentieth (build/testkit/shortpauses, never packaged) in
                  place of build/package's, for tests that do not watch the
                  pauses; the whole-run tests keep the shipped one

Paths may use the description's placeholders (%WINDOWS%, ...).

After install(), `footprint` holds what a complete removal takes away at
once, `scheduled` the setup's temporary files (in the temporary folder and
the description's OrigTmpDir) that a removal only schedules for the next
start, and `sentinels` what belongs to others. Both are measured while
laying out, others first: a folder or key counts when laying out made it
(on the way included; not a temporary folder, which a removal leaves), a
value put into a key that was there counts alone. All paths are Windows
paths."""
import shutil
import time
from dataclasses import dataclass, field
from pathlib import Path, PureWindowsPath
from typing import Dict, List, Optional, Tuple

from . import budget, env, kmi
from .description import Items, PackageDescription, Placeholders, lookup, rename
from .inifile import ini_text, join, merge_ini, merge_values
from .registry import DELETE, normalize_key

PRODUCT_CODE = "{5e1d0c7a-93b2-4f16-8a44-2b7c90d1e6f3}"  # the setup record the tool removes
SETUP_RECORD_ROOT = r"C:\Program Files\InstallShield Installation Information"
RUN_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"


@dataclass
class Footprint:
    files: List[str] = field(default_factory=list)
    dirs: List[str] = field(default_factory=list)
    keys: List[str] = field(default_factory=list)
    values: List[Tuple[str, str]] = field(default_factory=list)  # (key, value name)


def _lower_key(key: str) -> str:
    return normalize_key(key).lower()


def _ancestors(key: str) -> List[str]:
    """The key and the keys above it, below the first level of its root
    (HKLM\\Software\\A\\B: itself and HKLM\\Software\\A)."""
    parts = key.split("\\")
    return ["\\".join(parts[:n]) for n in range(len(parts), 2, -1)]


class Package:
    def __init__(self, prefix, description: Optional[PackageDescription] = None, *,
                 renames: Optional[Dict[str, str]] = None, files: Optional[dict] = None,
                 registry: Optional[dict] = None, package_values: Optional[dict] = None,
                 vtx_ini: Optional[dict] = None, brdsetup: Optional[dict] = None,
                 inis: Optional[dict] = None, vtx_ini_text=None, brdsetup_text=None,
                 extra_files: Optional[dict] = None, wininit_text: Optional[str] = None,
                 stub: Optional[str] = "normal", stub_config: Optional[dict] = None,
                 short_pauses: bool = False):
        self.prefix = prefix
        self._places: Optional[Placeholders] = None
        self._original = description or PackageDescription.read()
        self._renames = renames or {}
        self.description = self._original.renamed(self._renames)
        self._files = files or {}
        self._registry_overrides = dict(registry or {})
        if package_values:
            key = self.package_key
            self._registry_overrides[key] = {**self._registry_overrides.get(key, {}),
                                             **package_values}
        self._vtx_ini, self._brdsetup, self._inis = vtx_ini, brdsetup, inis or {}
        self._vtx_ini_text, self._brdsetup_text = vtx_ini_text, brdsetup_text
        self.extra_files = extra_files or {}
        self.wininit_text = wininit_text
        self.stub, self.stub_config = stub, stub_config or {}
        self.short_pauses = short_pauses
        self.footprint, self.sentinels = Footprint(), Footprint()
        self.scheduled: List[str] = []

    # ------------------------------------------------------------ places
    def expand(self, value):
        if self._places is None:
            self._places = Placeholders(self.prefix)
        return self._places.expand(value)

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
        return self.expand("%DRIVERS%")

    @property
    def programs_dir(self) -> str:
        return self.expand("%PROGRAMS%")

    @property
    def desktop_dir(self) -> str:
        return self.expand("%DESKTOP%")

    def _laid_out(self, file: str, key: str, place: str) -> Optional[str]:
        """A place the description's own settings name (file, [SystemInfo],
        key), where laying it out put it: before a test's INI overrides,
        after its renames."""
        value = self._original.setting(file, "SystemInfo", key)
        return None if value is None else self.expand(rename(place.format(value), self._renames))

    @property
    def program_dir(self) -> Optional[str]:
        return self._laid_out("brdsetup.ini", "ProgramFilesDir", "C:\\{}")

    @property
    def mdmpack_dir(self) -> Optional[str]:
        return join(self.program_dir, "mdmpack") if self.program_dir else None

    @property
    def group_dir(self) -> Optional[str]:
        return self._laid_out("brdsetup.ini", "ProductName", "%PROGRAMS%\\{}")

    @property
    def package_key(self) -> Optional[str]:
        return self._laid_out("brdsetup.ini", "SetupSoftwareKey", "HKLM\\Software\\{}")

    @property
    def cpl_registry_key(self) -> Optional[str]:
        return self._laid_out("LineMon.ini", "RegistryKey", "HKLM\\Software\\{}")

    @property
    def uninstall_entry(self) -> Optional[str]:
        return self._laid_out("brdsetup.ini", "ProductName", UNINSTALL_KEY + "\\{}")

    @property
    def setup_record_dir(self) -> str:
        return rename(join(SETUP_RECORD_ROOT, PRODUCT_CODE), self._renames)

    @property
    def setup_record_entry(self) -> str:
        return rename(join(UNINSTALL_KEY, PRODUCT_CODE), self._renames)

    @property
    def tool_dir_win(self) -> str:
        return self.description.tool_dir

    @property
    def tool_dir(self) -> Path:
        return self.prefix.unix(self.tool_dir_win)

    @property
    def tool_exe(self) -> Path:
        return self.tool_dir / "vtxremove.exe"

    # ------------------------------------------------------------ contents
    def brdsetup_sections(self) -> dict:
        return merge_ini(self.description.brdsetup, self._brdsetup)

    def brdsetup_text(self):
        return self._brdsetup_text if self._brdsetup_text is not None else \
            ini_text(self.brdsetup_sections())

    def vtx_ini_sections(self) -> dict:
        return merge_ini(self.description.vtx_ini, self._vtx_ini)

    def vtx_ini_text(self):
        return self._vtx_ini_text if self._vtx_ini_text is not None else \
            ini_text(self.vtx_ini_sections())

    def ini_sections(self, path: str) -> dict:
        """Another INI file of the package, by the description's path."""
        name = path.replace("/", "\\").rsplit("\\", 1)[-1].lower()
        overrides = {k.lower(): v for k, v in self._inis.items()}.get(name)
        return merge_ini(self.description.package.inis[path], overrides)

    def _ini_file_text(self, path: str) -> str:
        return ini_text({section: {k: self.expand(v) for k, v in keys.items()}
                         for section, keys in self.ini_sections(path).items()})

    def _registry(self, items: Items) -> Dict[str, dict]:
        return {key: {name: self.expand(value) for name, value in values.items()}
                for key, values in items.registry.items()}

    def registry_content(self) -> Tuple[Dict[str, dict], Dict[str, dict], Dict[str, object]]:
        """(the package's keys, the others', the test's own further keys),
        with the test's registry overrides in their places."""
        package, others = self._registry(self.description.package), \
            self._registry(self.description.others)
        extra: Dict[str, object] = {}
        for key, values in self._registry_overrides.items():
            owner = next((c for c in (package, others) if _lower_key(key) in
                          {_lower_key(k) for k in c}), None)
            if owner is None:
                extra[key] = values
                continue
            mine = next(k for k in owner if _lower_key(k) == _lower_key(key))
            if values is DELETE:
                del owner[mine]
            else:
                owner[mine] = merge_values(owner[mine], {n: self.expand(v)
                                                         for n, v in values.items()})
        return package, others, extra

    # ------------------------------------------------------------ what the settings say
    def _package_key_value(self, registry: Dict[str, dict], name: str):
        values = next((v for k, v in registry.items()
                       if self.package_key and _lower_key(k) == _lower_key(self.package_key)), {})
        return lookup({"": values}, "", name)

    def _value(self, name: str):
        return self._package_key_value(self.registry_content()[0], name)

    def _list(self, text) -> List[str]:
        return text.split(",") if isinstance(text, str) and text else []

    @property
    def product_name(self) -> Optional[str]:
        return lookup(self.brdsetup_sections(), "SystemInfo", "ProductName")

    @property
    def icons(self) -> List[Tuple[str, str, str]]:
        """(section, Description, ShortcutToDesktop) of each icon section."""
        sections = self.brdsetup_sections()
        return [(s, lookup(sections, s, "Description"), lookup(sections, s, "ShortcutToDesktop"))
                for s in self._list(lookup(sections, "SystemInfo", "StartMenuIconSections"))]

    @property
    def isp_default(self) -> Optional[str]:
        return lookup(self.brdsetup_sections(), "IspDefault", "DialupName")

    @property
    def isps(self) -> List[Tuple[str, str]]:
        sections = self.brdsetup_sections()
        return [(s, lookup(sections, s, "DialupName"))
                for s in self._list(lookup(sections, "SystemInfo", "IspSections"))]

    @property
    def remove_from_win_dir(self) -> List[str]:
        return self._list(lookup(self.vtx_ini_sections(), "SystemInfo", "RemoveFromWinDir"))

    @property
    def remove_from_win_sys_dir(self) -> List[str]:
        return self._list(lookup(self.vtx_ini_sections(), "SystemInfo", "RemoveFromWinSysDir"))

    @property
    def firmware_files(self) -> List[str]:
        return self._list(self._value("FirmwareFiles"))

    @property
    def language_dll(self) -> Optional[str]:
        value = self._value("languageDll")
        return value if isinstance(value, str) and value else None

    @property
    def orig_tmp_dir(self) -> Optional[str]:
        value = self._value("OrigTmpDir")
        return value if isinstance(value, str) and value else None

    # ------------------------------------------------------------ laying out
    def install(self) -> "Package":
        """Lays out the others' things, then the package and the tool's
        directory, then the test's further files; the prefix keeps running
        (wininit.ini, when given, is written last)."""
        package, others, extra = self.registry_content()
        existing = self.prefix.existing_keys(
            {a for key in list(package) + list(others) for a in _ancestors(key)})
        self._lay_files(self.description.others, self.sentinels, [])
        self._note_keys(others, existing, self.sentinels)
        self._lay_package_files()
        self._lay_tool_dir()
        existing |= {_lower_key(a) for key in others for a in _ancestors(key)}
        self._note_keys(package, existing, self.footprint)
        content = dict(others)
        for key, values in package.items():
            content[key] = {**content.get(key, {}), **values}
        self.prefix.reg_import({**content, **extra})
        for path, data in self.extra_files.items():
            self._put(self.expand(path), data)
        if self.wininit_text is not None:
            self._put(join(self.windows_dir, "wininit.ini"), self.wininit_text)
        return self

    def _lay_package_files(self) -> None:
        items = self.description.package
        files = {folder: list(names) for folder, names in items.files.items()}
        for folder, names in self._files.items():
            files.setdefault(folder, []).extend(names)
        inis = {self.expand(path).lower(): path for path in items.inis}
        self._lay_files(Items(files=files), self.footprint, self._temporary_folders(),
                        lambda path: inis.pop(path.lower(), None))
        for path in inis.values():  # an INI file no folder lists
            self._make_folder(str(PureWindowsPath(self.expand(path)).parent), self.footprint)
            self._put(self.expand(path), self._ini_file_text(path), self.footprint)
        self._put(join(self.windows_dir, "brdsetup.ini"), self.brdsetup_text(), self.footprint)

    def _temporary_folders(self) -> List[str]:
        """Where the setup left files that a removal only schedules: the
        temporary folder and the description's OrigTmpDir."""
        folders = [self.temp_dir]
        orig = self._package_key_value(self._registry(self.description.package), "OrigTmpDir")
        if isinstance(orig, str) and orig:
            folders.append(orig)
        return [f.rstrip("\\").lower() for f in folders]

    def _lay_files(self, items: Items, owner: Footprint, temporary: List[str],
                   ini_of=lambda path: None) -> None:
        for folder, names in items.files.items():
            folder = self.expand(folder)
            is_temporary = folder.rstrip("\\").lower() in temporary
            # A removal leaves a temporary folder (it schedules the files).
            self._make_folder(folder, Footprint() if is_temporary else owner)
            for name in names:
                path = join(folder, name)
                ini = ini_of(path)
                text = self._ini_file_text(ini) if ini else None
                if is_temporary:
                    self.scheduled.append(self._put(path, text))
                else:
                    self._put(path, text, owner)

    def _make_folder(self, folder: str, owner: Footprint) -> None:
        """The folder with the folders above it; those it makes are owner's."""
        made = [str(p) for p in [PureWindowsPath(folder)] + list(PureWindowsPath(folder).parents)
                if not self.prefix.unix(str(p)).exists()]
        self.prefix.unix(folder).mkdir(parents=True, exist_ok=True)
        owner.dirs += [d for d in reversed(made) if d not in owner.dirs]

    def _put(self, win_path: str, content=None, owner: Optional[Footprint] = None) -> str:
        path = self.prefix.unix(win_path)
        path.parent.mkdir(parents=True, exist_ok=True)
        if content is None:
            content = f"{PureWindowsPath(win_path).name} ({self.description.name})\r\n"
        data = content if isinstance(content, bytes) else content.encode("cp1252", "replace")
        if path.is_file() and path.stat().st_nlink > 1:
            path.unlink()  # shared with the template prefix: never write through
        path.write_bytes(data)
        if owner is not None:
            owner.files.append(win_path)
        return win_path

    @staticmethod
    def _note_keys(content: Dict[str, dict], existing: set, owner: Footprint) -> None:
        """Keys made by laying out (on the way included) are owner's whole;
        of a key that was there, the values laid into it."""
        for key, values in content.items():
            made = [a for a in reversed(_ancestors(key)) if _lower_key(a) not in existing]
            owner.keys += [k for k in made if k not in owner.keys]
            existing |= {_lower_key(k) for k in made}
            if not made:
                owner.values += [(key, name) for name in values]

    def _lay_tool_dir(self) -> None:
        tool = self.tool_dir
        tool.mkdir(parents=True, exist_ok=True)
        if env.package_dir().is_dir():
            for source in sorted(env.package_dir().iterdir()):
                if source.is_file():
                    shutil.copyfile(source, tool / source.name)
        if self.short_pauses:
            shutil.copyfile(env.kit_file("shortpauses"), tool / "vtxremove.exe")
        if self.description.vtx_ini or self._vtx_ini or self._vtx_ini_text is not None:
            self._put(join(self.tool_dir_win, "VTX.INI"), self.vtx_ini_text())
        self._put(join(self.tool_dir_win, "brdsetup.ini"), self.brdsetup_text())
        if self.description.installer_library:
            shutil.copyfile(self.description.installer_library, tool / "kmiinst.dll")
        elif self.stub:
            kmi.install_stub(tool, self.stub, **self.stub_config)

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
        started = time.monotonic()
        transcript = self.start_tool(answers, **options).wait()
        budget.spent_tool(time.monotonic() - started, transcript, self.short_pauses)
        return transcript

    # ------------------------------------------------------------ checks
    def _exists(self, win_path: str) -> bool:
        return self.prefix.unix(win_path).exists()

    def _found(self, items: Footprint, registry, present: bool) -> List[str]:
        found = [f"file {p}" for p in items.files if self._exists(p) == present]
        found += [f"dir {p}" for p in items.dirs if self._exists(p) == present]
        found += [f"key {k}" for k in items.keys if registry.has_key(k) == present]
        found += [f"value {k} : {n}" for k, n in items.values
                  if (registry.value(k, n) is not None) == present]
        return found

    def leftovers(self, registry=None) -> List[str]:
        """What of the package's footprint is still there ("file ...",
        "dir ...", "key ...", "value KEY : NAME"); registry: a Registry to use
        instead of a fresh live read."""
        return self._found(self.footprint, registry or self.prefix.registry(), True)

    def missing_footprint(self, registry=None) -> List[str]:
        """What of the footprint is already gone (before a run: nothing)."""
        return self._found(self.footprint, registry or self.prefix.registry(), False)

    def lost_sentinels(self, registry=None) -> List[str]:
        """The others' things that are gone."""
        return self._found(self.sentinels, registry or self.prefix.registry(), False)

    def scheduled_left(self) -> List[str]:
        """The setup's temporary files that still exist."""
        return [p for p in self.scheduled if self._exists(p)]

