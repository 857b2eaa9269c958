"""Before/after pictures of a prefix: every file and folder of drive C and
every key and value of HKEY_LOCAL_MACHINE\\Software (but its Classes) and
\\System and of HKEY_CURRENT_USER, and the difference between two of them."""
import fnmatch
import os
from dataclasses import dataclass, field
from typing import Dict, Iterable, List, Optional, Tuple

from .registry import Registry

# What Wine itself changes while programs run or the prefix boots.
DEFAULT_IGNORE_FILES = [
    r"C:\windows\Installer*",
    r"C:\users\*\AppData\Local\Microsoft\Windows\INetCache*",
    r"C:\users\*\Temp\*.reg",
]
DEFAULT_IGNORE_KEYS = [
    r"HKEY_LOCAL_MACHINE\HARDWARE*",
    r"HKEY_LOCAL_MACHINE\Software\Wine*",
    r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts*",
    r"HKEY_LOCAL_MACHINE\System\*ControlSet*\Control\Class*",
    # Device interface links: Wine's plug and play fills them in at each boot.
    r"HKEY_LOCAL_MACHINE\System\*ControlSet*\Control\DeviceClasses*",
    r"HKEY_LOCAL_MACHINE\System\*ControlSet*\Control\Video*",
    # services.exe counts its own starts here.
    r"HKEY_LOCAL_MACHINE\System\*ControlSet*\Control\ServiceCurrent*",
    r"HKEY_LOCAL_MACHINE\System\*ControlSet*\Control\Session Manager\Environment*",
    r"HKEY_LOCAL_MACHINE\System\*ControlSet*\Enum*",
    r"HKEY_LOCAL_MACHINE\System\*ControlSet*\Hardware Profiles*",
    r"HKEY_LOCAL_MACHINE\System\*ControlSet*\Services*",
    r"HKEY_LOCAL_MACHINE\System\MountedDevices*",
    r"HKEY_CURRENT_USER\Software\Wine*",
    r"HKEY_CURRENT_USER\Volatile Environment*",
]


@dataclass
class Snapshot:
    files: Dict[str, Tuple[str, bool, int, int]]  # lower path -> (path, is_dir, size, mtime)
    registry: Registry

    @classmethod
    def take(cls, prefix, registry: bool = True) -> "Snapshot":
        """Files of drive C, and (unless registry=False) a live read of the
        registry (Prefix.registry). What cannot be read raises: it must not
        look removed in a difference."""
        return cls(_scan_files(prefix), prefix.registry() if registry else Registry())

    def has_file(self, win_path: str) -> bool:
        return win_path.rstrip("\\").lower() in self.files


@dataclass
class Diff:
    files_added: List[str] = field(default_factory=list)
    files_removed: List[str] = field(default_factory=list)
    files_changed: List[str] = field(default_factory=list)
    dirs_added: List[str] = field(default_factory=list)
    dirs_removed: List[str] = field(default_factory=list)
    keys_added: List[str] = field(default_factory=list)
    keys_removed: List[str] = field(default_factory=list)
    values_added: List[Tuple[str, str]] = field(default_factory=list)
    values_removed: List[Tuple[str, str]] = field(default_factory=list)
    values_changed: List[Tuple[str, str]] = field(default_factory=list)

    def is_empty(self) -> bool:
        return not any(getattr(self, name) for name in self.__dataclass_fields__)

    def removed_paths(self) -> List[str]:
        return sorted(self.files_removed + self.dirs_removed, key=str.lower)

    def __str__(self) -> str:
        lines = []
        for name in self.__dataclass_fields__:
            for item in getattr(self, name):
                text = "\\".join(item) if isinstance(item, tuple) else item
                if isinstance(item, tuple):
                    text = f"{item[0]} : {item[1] or '@'}"
                lines.append(f"{name.replace('_', ' ')}: {text}")
        return "\n".join(lines) if lines else "(no difference)"


def diff(before: Snapshot, after: Snapshot, ignore_files: Optional[Iterable[str]] = None,
         ignore_keys: Optional[Iterable[str]] = None) -> Diff:
    """What changed from before to after. Patterns (shell-style, compared
    without regard to case) name files and keys to leave out; the defaults
    leave out what Wine changes by itself."""
    file_patterns = [p.lower() for p in (DEFAULT_IGNORE_FILES if ignore_files is None
                                         else ignore_files)]
    key_patterns = [p.lower() for p in (DEFAULT_IGNORE_KEYS if ignore_keys is None
                                        else ignore_keys)]
    result = Diff()
    _diff_files(before, after, file_patterns, result)
    _diff_registry(before.registry, after.registry, key_patterns, result)
    return result


def _ignored(path: str, patterns: List[str]) -> bool:
    lower = path.lower()
    return any(fnmatch.fnmatchcase(lower, p) for p in patterns)


def _unreadable(error: OSError) -> None:
    """A folder or file that vanished while the walk went on is gone; one
    that could not be read must not look gone."""
    if not isinstance(error, FileNotFoundError):
        raise error


def _scan_files(prefix) -> Dict[str, tuple]:
    found = {}
    root = str(prefix.drive_c)
    for directory, dirs, files in os.walk(root, onerror=_unreadable):
        rel = directory[len(root):].lstrip("/").replace("/", "\\")
        base = "C:\\" + rel + ("\\" if rel else "")
        for name in dirs:
            path = base + name
            found[path.lower()] = (path, True, 0, 0)
        for name in files:
            path = base + name
            try:
                info = os.lstat(os.path.join(directory, name))
            except FileNotFoundError:
                continue
            found[path.lower()] = (path, False, info.st_size, info.st_mtime_ns)
    return found


def _diff_files(before: Snapshot, after: Snapshot, patterns: List[str], result: Diff) -> None:
    for lower, (path, is_dir, size, mtime) in after.files.items():
        if _ignored(path, patterns):
            continue
        old = before.files.get(lower)
        if old is None:
            (result.dirs_added if is_dir else result.files_added).append(path)
        elif not is_dir and (old[2], old[3]) != (size, mtime):
            result.files_changed.append(path)
    for lower, (path, is_dir, _, _) in before.files.items():
        if lower not in after.files and not _ignored(path, patterns):
            (result.dirs_removed if is_dir else result.files_removed).append(path)
    for name in ("files_added", "files_removed", "files_changed", "dirs_added", "dirs_removed"):
        getattr(result, name).sort(key=str.lower)


def _diff_registry(before: Registry, after: Registry, patterns: List[str], result: Diff) -> None:
    old_keys = {k.lower(): k for k in before.keys()}
    new_keys = {k.lower(): k for k in after.keys()}
    for lower, key in new_keys.items():
        if _ignored(key, patterns):
            continue
        if lower not in old_keys:
            result.keys_added.append(key)
        old_values = {n.lower(): v for n, v in before.values(key).items()}
        new_values = {n.lower(): (n, v) for n, v in after.values(key).items()}
        for name_lower, (name, value) in new_values.items():
            if name_lower not in old_values:
                result.values_added.append((key, name))
            elif old_values[name_lower] != value:
                result.values_changed.append((key, name))
        for name, _ in before.values(key).items():
            if name.lower() not in new_values:
                result.values_removed.append((key, name))
    for lower, key in old_keys.items():
        if lower not in new_keys and not _ignored(key, patterns):
            result.keys_removed.append(key)
            result.values_removed.extend((key, name) for name in before.values(key))
    for name in ("keys_added", "keys_removed", "values_added", "values_removed", "values_changed"):
        getattr(result, name).sort(key=lambda item: str(item).lower())
