"""A driver package described in one INI file, as its maker would describe
it (the format is in the README, "Rehearsing your own package").

Sections (names of sections and keys in any letter case):

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
from dataclasses import dataclass, field
from pathlib import Path
from typing import Dict, List, Mapping, Optional, Tuple

from .env import source_dir
from .registry import Dword

SAMPLE = source_dir() / "dist" / "sample-pathmark100.ini"
SHIPPED_INIS = ("brdsetup.ini", "vtx.ini")
REGISTRY_ROOTS = ("HKLM\\", "HKCU\\", "HKEY_LOCAL_MACHINE\\", "HKEY_CURRENT_USER\\")
PLACEHOLDERS = ("WINDOWS", "SYSTEM", "DRIVERS", "TEMP", "PROGRAMS", "DESKTOP")
_PLACEHOLDER = re.compile(r"%([A-Za-z]+)%")

Sections = Dict[str, Dict[str, str]]


class DescriptionError(ValueError):
    pass


@dataclass
class Items:
    """Files (per folder), registry keys with their values, INI contents."""
    files: Dict[str, List[str]] = field(default_factory=dict)
    registry: Dict[str, Dict[str, object]] = field(default_factory=dict)
    inis: Dict[str, Sections] = field(default_factory=dict)


@dataclass
class PackageDescription:
    path: Path
    sections: Sections  # as read, for renaming
    name: str
    tool_dir: str
    installer_library: Optional[Path]
    package: Items
    others: Items
    dialups: List[str]
    windows: List[Tuple[str, str, str]]  # (label, class, title)
    brdsetup: Sections
    vtx_ini: Sections

    @classmethod
    def read(cls, path=SAMPLE) -> "PackageDescription":
        path = Path(path)
        parser = configparser.ConfigParser(delimiters=("=",), interpolation=None,
                                           comment_prefixes=(";", "#"), strict=True)
        parser.optionxform = str
        try:
            with open(path, encoding="cp1252") as handle:
                parser.read_file(handle)
        except (OSError, configparser.Error) as problem:
            raise DescriptionError(f"{path}: {problem}") from problem
        sections = {s: dict(parser[s]) for s in parser.sections()}
        _check_placeholders(path, sections)
        return cls.from_sections(path, sections)

    @classmethod
    def from_sections(cls, path: Path, sections: Sections) -> "PackageDescription":
        package, others = Items(), Items()
        shipped: Dict[str, Sections] = {name: {} for name in SHIPPED_INIS}
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
                others.registry[section[6:].strip()] = registry_values(keys)
            elif is_registry_key(section):
                package.registry[section] = registry_values(keys)
            elif "/" in section:
                file, _, ini_section = section.rpartition("/")
                target = shipped.get(file.lower())
                if target is None:
                    target = package.inis.setdefault(file, {})
                target[ini_section] = keys
            else:
                raise DescriptionError(f"{path}: unknown section [{section}]")
        library = settings.get("installerlibrary", "").strip()
        return cls(path=path, sections=sections, name=settings.get("name", path.stem),
                   tool_dir=settings.get("tooldir", r"C:\VtxRemove").strip() or r"C:\VtxRemove",
                   installer_library=(path.parent / library) if library else None,
                   package=package, others=others, dialups=dialups, windows=windows,
                   brdsetup=shipped["brdsetup.ini"], vtx_ini=shipped["vtx.ini"])

    def renamed(self, renames: Mapping[str, str]) -> "PackageDescription":
        """The same package with some of its names changed everywhere: in
        section names, folders, file names and values (see rename)."""
        if not renames:
            return self
        sections = {}
        for section, keys in self.sections.items():
            lists = section.lower() in ("files", "other files")
            sections[rename(section, renames)] = {
                rename(k, renames) if lists else k: _rename_list(v, renames) if lists
                else rename(v, renames) for k, v in keys.items()}
        return self.from_sections(self.path, sections)

    def setting(self, file: str, section: str, key: str) -> Optional[str]:
        """A key of brdsetup.ini, VTX.INI or another INI file of the package
        (by its file name), any letter case."""
        inis = {"brdsetup.ini": self.brdsetup, "vtx.ini": self.vtx_ini}
        content = inis.get(file.lower()) or next(
            (c for path, c in self.package.inis.items()
             if path.replace("/", "\\").rsplit("\\", 1)[-1].lower() == file.lower()), {})
        return lookup(content, section, key)


def lookup(sections: Mapping[str, Mapping[str, object]], section: str, key: str):
    """sections[section][key] without regard to letter case, or None."""
    for name, keys in sections.items():
        if name.lower() == section.lower():
            for k, v in (keys or {}).items():
                if k.lower() == key.lower():
                    return v
    return None


def rename(text: str, renames: Mapping[str, str]) -> str:
    """Every occurrence of a name to rename that stands as a whole name in
    text (bounded by the text's ends, a backslash, a comma or, after it, a
    dot) replaced at once; the longest name wins where two overlap."""
    if not renames:
        return text
    olds = sorted(renames, key=len, reverse=True)
    pattern = r"(?:^|(?<=[\\,]))(" + "|".join(map(re.escape, olds)) + r")(?=$|[\\,.])"
    return re.sub(pattern, lambda m: renames[m.group(1)], text)


def _rename_list(text: str, renames: Mapping[str, str]) -> str:
    return ", ".join(rename(name, renames) for name in names(text))


def names(text: str) -> List[str]:
    return [item.strip() for item in text.split(",") if item.strip()]


def is_registry_key(name: str) -> bool:
    return name.strip().upper().startswith(REGISTRY_ROOTS)


def window_row(path: Path, label: str, value: str) -> Tuple[str, str, str]:
    window_class, comma, title = value.partition(",")
    if not comma:
        raise DescriptionError(f"{path}: [Windows] {label} needs \"class, title\"")
    return label, window_class.strip(), title.strip()


def registry_values(keys: Mapping[str, str]) -> Dict[str, object]:
    """A key's values as the description writes them: "@" for the default
    value, dword:HEX for a number, anything else text."""
    values: Dict[str, object] = {}
    for name, text in keys.items():
        match = re.fullmatch(r"dword:([0-9A-Fa-f]{1,8})", text.strip())
        values["" if name == "@" else name] = Dword(int(match.group(1), 16)) if match else text
    return values


def _check_placeholders(path: Path, sections: Sections) -> None:
    texts = [s for s in sections] + [t for keys in sections.values()
                                     for pair in keys.items() for t in pair]
    for text in texts:
        for match in _PLACEHOLDER.finditer(text):
            if match.group(1).upper() not in PLACEHOLDERS:
                raise DescriptionError(
                    f"{path}: unknown placeholder %{match.group(1)}% in {text!r}")


class Placeholders:
    """%NAME% -> the prefix's folder for the running Windows version. Other
    percent signs stay as they are."""

    def __init__(self, prefix):
        folders = prefix.folders()
        nt = prefix.is_nt
        self.values = {
            "WINDOWS": folders["windows"],
            "SYSTEM": folders["system"],
            "DRIVERS": folders["system"] + "\\drivers" if nt else folders["system"],
            "TEMP": folders["temp"],
            "PROGRAMS": folders["common_programs" if nt else "programs"],
            "DESKTOP": folders["common_desktop" if nt else "desktop"],
        }

    def expand(self, value):
        """Text with its placeholders filled in (of the same type: ExpandSz
        stays ExpandSz); any other value as it is."""
        if not isinstance(value, str):
            return value
        return type(value)(_PLACEHOLDER.sub(
            lambda m: self.values.get(m.group(1).upper(), m.group(0)), value))
