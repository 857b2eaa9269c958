"""A driver package described in one INI file, as its maker would describe
it, and its installation into a prefix.

Sections of a description (names of sections and keys in any letter case):

  [Package]        Name (for the output), ToolDir (where the tool is started
                   from, default C:\\VtxRemove), InstallerLibrary (the maker's
                   own kmiinst.dll, relative to the description; empty: the
                   test kit's stand-in)
  [Files]          one key per folder: FOLDER = name, name, ...
  [HKLM\\...]       a registry key of the package with its values
  [Dialups]        Entries = name, name, ...   (dial-up phonebook entries)
  [Windows]        LABEL = class, title        (companion program windows)
  [FILE/SECTION]   content of an INI file: brdsetup.ini and VTX.INI are
                   shipped beside the tool (the setup also left brdsetup.ini
                   in the Windows directory); any other FILE is a path of
                   the package's and gets that section
  [Other files], [Other HKLM\\...]   things of others that must survive

Folders and values may use %WINDOWS%, %SYSTEM%, %DRIVERS% (system32\\drivers
on Windows 2000 and XP, the system directory on 95, 98 and Me), %TEMP%,
%PROGRAMS% and %DESKTOP% (all users' on 2000 and XP, the user's on 95, 98
and Me). Registry values are text, or dword:HEX as in .reg files."""
import configparser
import re
import shutil
from dataclasses import dataclass, field
from pathlib import Path
from typing import Dict, List, Optional, Tuple

from . import env, kmi
from .inifile import ini_text, join
from .registry import Dword

SHIPPED_INIS = ("brdsetup.ini", "vtx.ini")
REGISTRY_ROOTS = ("HKLM\\", "HKCU\\", "HKEY_LOCAL_MACHINE\\", "HKEY_CURRENT_USER\\")


class DescriptionError(ValueError):
    pass


@dataclass
class Items:
    """Files (per folder), registry keys with their values, INI contents."""
    files: Dict[str, List[str]] = field(default_factory=dict)
    registry: Dict[str, Dict[str, str]] = field(default_factory=dict)
    inis: Dict[str, Dict[str, Dict[str, str]]] = field(default_factory=dict)


@dataclass
class PackageDescription:
    path: Path
    name: str
    tool_dir: str
    installer_library: Optional[Path]
    package: Items
    others: Items
    dialups: List[str]
    windows: List[Tuple[str, str, str]]  # (label, class, title)
    brdsetup: Dict[str, Dict[str, str]]
    vtx_ini: Dict[str, Dict[str, str]]

    @classmethod
    def read(cls, path) -> "PackageDescription":
        path = Path(path)
        parser = configparser.ConfigParser(delimiters=("=",), interpolation=None,
                                           comment_prefixes=(";", "#"), strict=True)
        parser.optionxform = str
        try:
            with open(path, encoding="cp1252") as handle:
                parser.read_file(handle)
        except (OSError, configparser.Error) as problem:
            raise DescriptionError(f"{path}: {problem}") from problem
        return cls._from_sections(path, {s: dict(parser[s]) for s in parser.sections()})

    @classmethod
    def _from_sections(cls, path: Path, sections: Dict[str, Dict[str, str]]):
        package, others = Items(), Items()
        shipped: Dict[str, Dict[str, Dict[str, str]]] = {name: {} for name in SHIPPED_INIS}
        settings: Dict[str, str] = {}
        dialups: List[str] = []
        windows: List[Tuple[str, str, str]] = []
        for section, keys in sections.items():
            lower = section.lower()
            if lower == "package":
                settings = {k.lower(): v for k, v in keys.items()}
            elif lower == "files":
                package.files.update({k: names(v) for k, v in keys.items()})
            elif lower == "other files":
                others.files.update({k: names(v) for k, v in keys.items()})
            elif lower == "dialups":
                dialups = names(keys.get("Entries", ""))
            elif lower == "windows":
                windows = [window_row(path, label, value) for label, value in keys.items()]
            elif lower.startswith("other ") and is_registry_key(section[6:]):
                others.registry[section[6:].strip()] = keys
            elif is_registry_key(section):
                package.registry[section] = keys
            elif "/" in section:
                file, _, ini_section = section.rpartition("/")
                target = shipped.get(file.lower())
                if target is None:
                    target = package.inis.setdefault(file, {})
                target[ini_section] = keys
            else:
                raise DescriptionError(f"{path}: unknown section [{section}]")
        library = settings.get("installerlibrary", "").strip()
        return cls(path=path, name=settings.get("name", path.stem),
                   tool_dir=settings.get("tooldir", r"C:\VtxRemove").strip() or r"C:\VtxRemove",
                   installer_library=(path.parent / library) if library else None,
                   package=package, others=others, dialups=dialups, windows=windows,
                   brdsetup=shipped["brdsetup.ini"], vtx_ini=shipped["vtx.ini"])


def names(text: str) -> List[str]:
    return [item.strip() for item in text.split(",") if item.strip()]


def is_registry_key(name: str) -> bool:
    return name.strip().upper().startswith(REGISTRY_ROOTS)


def window_row(path: Path, label: str, value: str) -> Tuple[str, str, str]:
    window_class, comma, title = value.partition(",")
    if not comma:
        raise DescriptionError(f"{path}: [Windows] {label} needs \"class, title\"")
    return label, window_class.strip(), title.strip()


class Placeholders:
    """%NAME% -> the prefix's folder for the running Windows version."""

    def __init__(self, prefix):
        folders = prefix.folders()
        nt = prefix.is_nt
        self.values = {
            "WINDOWS": folders["windows"],
            "SYSTEM": folders["system"],
            "DRIVERS": join(folders["system"], "drivers") if nt else folders["system"],
            "TEMP": folders["temp"],
            "PROGRAMS": folders["common_programs" if nt else "programs"],
            "DESKTOP": folders["common_desktop" if nt else "desktop"],
        }

    def expand(self, text: str) -> str:
        def replace(match):
            name = match.group(1).upper()
            if name not in self.values:
                raise DescriptionError(f"unknown placeholder %{match.group(1)}% in {text!r}")
            return self.values[name]
        return re.sub(r"%([A-Za-z]+)%", replace, text)


@dataclass
class Installed:
    """What install() put where, as Windows paths and registry keys."""
    files: List[str] = field(default_factory=list)
    keys: List[str] = field(default_factory=list)
    values: List[Tuple[str, str]] = field(default_factory=list)


def install_others(description: PackageDescription, prefix) -> Installed:
    """The others' things alone (laid out before the package)."""
    return _lay_items(prefix, Placeholders(prefix), description.others)


def install(description: PackageDescription, prefix,
            stub_config: Optional[dict] = None) -> Installed:
    """Lays the package out in the prefix and puts the tool's files into
    the tool directory."""
    places = Placeholders(prefix)
    package = _lay_items(prefix, places, description.package)
    brdsetup = ini_text(description.brdsetup)
    package.files.append(_put(prefix, join(places.values["WINDOWS"], "brdsetup.ini"), brdsetup))
    _lay_tool_dir(prefix, description, brdsetup, stub_config or {})
    return package


def _lay_items(prefix, places: Placeholders, items: Items) -> Installed:
    done = Installed()
    inis = {places.expand(path).lower(): (places.expand(path), sections)
            for path, sections in items.inis.items()}
    for folder, file_names in items.files.items():
        for name in file_names:
            path = join(places.expand(folder), name)
            content = inis.pop(path.lower(), (None, None))[1]
            text = ini_text({s: {k: places.expand(v) for k, v in keys.items()}
                             for s, keys in content.items()}) if content else None
            done.files.append(_put(prefix, path, text))
    for path, sections in inis.values():  # an INI file not listed under a folder
        done.files.append(_put(prefix, path, ini_text(sections)))
    content = {}
    for key, values in items.registry.items():
        content[key] = {name if name != "@" else "": _reg_value(places.expand(value))
                        for name, value in values.items()}
        done.keys.append(key)
        done.values += [(key, name) for name in values]
    if content:
        prefix.reg_import(content)
    return done


def _reg_value(text: str):
    match = re.fullmatch(r"dword:([0-9A-Fa-f]{1,8})", text.strip())
    return Dword(int(match.group(1), 16)) if match else text


def _put(prefix, win_path: str, text: Optional[str] = None) -> str:
    path = prefix.unix(win_path)
    path.parent.mkdir(parents=True, exist_ok=True)
    if text is None:
        text = f"{Path(win_path.replace(chr(92), '/')).name} (rehearsal)\r\n"
    if path.is_file() and path.stat().st_nlink > 1:
        path.unlink()  # shared with the template prefix: never write through
    path.write_bytes(text.encode("cp1252", "replace"))
    return win_path


def _lay_tool_dir(prefix, description: PackageDescription, brdsetup: str,
                  stub_config: dict) -> None:
    tool = prefix.unix(description.tool_dir)
    tool.mkdir(parents=True, exist_ok=True)
    for source in sorted(env.package_dir().iterdir()):
        if source.is_file():
            shutil.copyfile(source, tool / source.name)
    if description.vtx_ini:
        _put(prefix, join(description.tool_dir, "VTX.INI"), ini_text(description.vtx_ini))
    _put(prefix, join(description.tool_dir, "brdsetup.ini"), brdsetup)
    if description.installer_library:
        shutil.copyfile(description.installer_library, tool / "kmiinst.dll")
    else:
        kmi.install_stub(tool, "normal", **stub_config)
