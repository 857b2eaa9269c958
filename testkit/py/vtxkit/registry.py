"""Registry content in Python: a parsed snapshot (from the kit's regdump.exe,
from `reg export` files or from the prefix's own hive files) and the text of .reg files to import.

Key paths are written as in Windows, with the root spelt out or short:
"HKLM\\Software\\X" or "HKEY_LOCAL_MACHINE\\Software\\X". Lookups ignore
letter case, like the registry itself.

Values come back as Python data: REG_SZ and REG_EXPAND_SZ as str, REG_DWORD
as int, REG_MULTI_SZ as a list of str, everything else as bytes."""
import re
from typing import Dict, Iterable, List, NamedTuple, Optional, Set

REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD = 0, 1, 2, 3, 4
REG_LINK, REG_MULTI_SZ, REG_QWORD = 6, 7, 11

_ROOTS = {
    "hklm": "HKEY_LOCAL_MACHINE", "hkey_local_machine": "HKEY_LOCAL_MACHINE",
    "hkcu": "HKEY_CURRENT_USER", "hkey_current_user": "HKEY_CURRENT_USER",
    "hkcr": "HKEY_CLASSES_ROOT", "hkey_classes_root": "HKEY_CLASSES_ROOT",
    "hku": "HKEY_USERS", "hkey_users": "HKEY_USERS",
}


def normalize_key(path: str) -> str:
    """Full root name, single backslashes, no trailing backslash."""
    parts = [p for p in path.replace("/", "\\").split("\\") if p]
    if not parts:
        raise ValueError(f"empty registry path {path!r}")
    root = _ROOTS.get(parts[0].lower())
    if root is None:
        raise ValueError(f"unknown registry root in {path!r}")
    return "\\".join([root] + parts[1:])


# ---------------------------------------------------------------- values

class Dword(int):
    """A REG_DWORD value to import."""


class ExpandSz(str):
    """A REG_EXPAND_SZ value to import."""


class MultiSz(list):
    """A REG_MULTI_SZ value to import."""


class Binary(bytes):
    """A REG_BINARY value to import."""


class RawValue(NamedTuple):
    """Any type with its raw bytes, for values no program would write."""
    type: int
    data: bytes


DELETE = object()  # as a value: delete the value; as a key's values: delete the key


class Value(NamedTuple):
    name: str
    type: int
    data: object


def _decode(kind: int, raw: bytes):
    if kind in (REG_SZ, REG_EXPAND_SZ):
        text = raw.decode("utf-16-le", errors="replace")
        return text.split("\0", 1)[0]
    if kind == REG_MULTI_SZ:
        text = raw.decode("utf-16-le", errors="replace").rstrip("\0")
        return text.split("\0") if text else []
    if kind == REG_DWORD and len(raw) == 4:
        return int.from_bytes(raw, "little")
    if kind == REG_QWORD and len(raw) == 8:
        return int.from_bytes(raw, "little")
    return bytes(raw)


# ---------------------------------------------------------------- snapshot

class Registry:
    """Keys and values of one or more registry subtrees."""

    def __init__(self):
        self._keys: Dict[str, tuple] = {}  # lower path -> (path, {lower name: Value})
        # Link keys (lower paths) as the registry stores them: each reads
        # here as an empty key, where a program sees its target's content.
        self.links: Set[str] = set()

    def add_key(self, path: str) -> dict:
        """The value table of the key, made (with its parents) if new."""
        return self._add_normalized(normalize_key(path))

    def _add_normalized(self, path: str) -> dict:
        entry = self._keys.get(path.lower())
        if entry is None:
            entry = (path, {})
            self._keys[path.lower()] = entry
            parent = path.rsplit("\\", 1)[0]
            if parent != path and "\\" in parent:
                self._add_normalized(parent)
        return entry[1]

    def set_value(self, path: str, name: str, kind: int, data) -> None:
        self.add_key(path)[name.lower()] = Value(name, kind, data)

    def merge(self, other: "Registry") -> "Registry":
        for path, values in other._keys.values():
            mine = self.add_key(path)
            mine.update(values)
        self.links |= other.links
        return self

    def through_link(self, path: str) -> bool:
        """Whether the key is a link key here or lies below one: this
        Registry does not hold what a program reads there."""
        lower = normalize_key(path).lower()
        return any(lower == link or lower.startswith(link + "\\") for link in self.links)

    # lookups
    def keys(self) -> List[str]:
        return [path for path, _ in self._keys.values()]

    def has_key(self, path: str) -> bool:
        return normalize_key(path).lower() in self._keys

    def value(self, path: str, name: str = "") -> Optional[Value]:
        entry = self._keys.get(normalize_key(path).lower())
        return entry[1].get(name.lower()) if entry else None

    def get(self, path: str, name: str = "", default=None):
        found = self.value(path, name)
        return found.data if found else default

    def values(self, path: str) -> Dict[str, object]:
        entry = self._keys.get(normalize_key(path).lower())
        return {v.name: v.data for v in entry[1].values()} if entry else {}

    def subkeys(self, path: str) -> List[str]:
        base = normalize_key(path).lower() + "\\"
        names = set()
        for lower, (full, _) in self._keys.items():
            if lower.startswith(base):
                names.add(full[len(base):].split("\\", 1)[0])
        return sorted(names, key=str.lower)

    def subtree(self, path: str) -> List[str]:
        base = normalize_key(path).lower()
        return [full for lower, (full, _) in self._keys.items()
                if lower == base or lower.startswith(base + "\\")]

    def part(self, keys: Iterable[str]) -> "Registry":
        """A Registry of the given keys with everything below them."""
        part = Registry()
        for key in keys:
            for path in self.subtree(key):
                values = self._keys[path.lower()][1]
                part.add_key(path).update(values)
                if path.lower() in self.links:
                    part.links.add(path.lower())
        return part

    def items(self) -> Iterable[tuple]:
        """(key path, Value) for every value."""
        for path, values in self._keys.values():
            for value in values.values():
                yield path, value

    def __len__(self) -> int:
        return len(self._keys)


# ------------------------------------------------- parsing `reg export` files

_HEX_TYPE = re.compile(r"hex(?:\(([0-9a-fA-F]+)\))?:(.*)$", re.S)


_SURROGATE = re.compile("[\ud800-\udfff]")


def _join_surrogates(text: str) -> str:
    """Wine's hive files write a character beyond U+FFFF as its two UTF-16
    halves, each its own escape."""
    if not _SURROGATE.search(text):
        return text
    return text.encode("utf-16-le", "surrogatepass").decode("utf-16-le", "replace")


def _read_quoted(text: str, pos: int, escapes: str) -> tuple:
    """Reads a quoted string starting after the opening quote; returns the
    text and the position after the closing quote."""
    end = text.find('"', pos)
    if end >= 0 and "\\" not in text[pos:end]:
        return text[pos:end], end + 1
    out = []
    while pos < len(text):
        c = text[pos]
        if c == '"':
            return _join_surrogates("".join(out)), pos + 1
        if c == "\\" and pos + 1 < len(text):
            pos, char = _unescape(text, pos + 1, escapes)
            out.append(char)
            continue
        out.append(c)
        pos += 1
    raise ValueError(f"unterminated string in {text!r}")


_SIMPLE = {"a": "\a", "b": "\b", "t": "\t", "n": "\n", "v": "\v", "f": "\f",
           "r": "\r", "e": "\x1b", "0": "\0"}


def _unescape(text: str, pos: int, escapes: str) -> tuple:
    """Decodes the escape whose letter is at pos. escapes names the style:
    "export" (\\\\, \\", \\n, \\r only) or "hive" (Wine's C-like escapes)."""
    c = text[pos]
    if escapes == "hive":
        if c == "x":
            m = re.match(r"[0-9a-fA-F]{1,4}", text[pos + 1:pos + 5])
            if m:
                return pos + 1 + len(m.group()), chr(int(m.group(), 16))
        if c in "01234567":
            m = re.match(r"[0-7]{1,3}", text[pos:pos + 3])
            return pos + len(m.group()), chr(int(m.group(), 8))
        if c in _SIMPLE:
            return pos + 1, _SIMPLE[c]
        return pos + 1, c
    if c == "n":
        return pos + 1, "\n"
    if c == "r":
        return pos + 1, "\r"
    return pos + 1, c


def _parse_data(data_text: str, escapes: str) -> tuple:
    """(type, data) from the text after '='."""
    # A string is written without the terminating NUL it is stored with;
    # it reads as the stored bytes do (a NUL inside ends a REG_SZ).
    if data_text.startswith('"'):
        text, _ = _read_quoted(data_text, 1, escapes)
        return REG_SZ, _decode(REG_SZ, (text + "\0").encode("utf-16-le", "surrogatepass"))
    if data_text.startswith("dword:"):
        return REG_DWORD, int(data_text[6:].strip(), 16)
    if data_text.startswith("str("):
        kind = int(data_text[4:data_text.index(")")], 16)
        text, _ = _read_quoted(data_text, data_text.index('"') + 1, escapes)
        return kind, _decode(kind, (text + "\0").encode("utf-16-le", "surrogatepass"))
    m = _HEX_TYPE.match(data_text)
    if m:
        kind = int(m.group(1), 16) if m.group(1) else REG_BINARY
        digits = re.sub(r"[\s\\,]", "", m.group(2))
        return kind, _decode(kind, bytes.fromhex(digits))
    raise ValueError(f"cannot read value {data_text!r}")


def _logical_lines(text: str) -> Iterable[str]:
    """Lines with hex continuations ("\\" at the end) joined."""
    pending = ""
    for line in text.splitlines():
        if pending:
            line = pending + line.strip()
            pending = ""
        if line.endswith("\\") and not line.lstrip().startswith("["):
            pending = line[:-1]
            continue
        yield line
    if pending:
        yield pending


def _parse_value_line(line: str, escapes: str) -> Optional[tuple]:
    if line.startswith("@="):
        name, rest = "", line[2:]
    elif line.startswith('"'):
        name, pos = _read_quoted(line, 1, escapes)
        if pos >= len(line) or line[pos] != "=":
            return None
        rest = line[pos + 1:]
    else:
        return None
    kind, data = _parse_data(rest, escapes)
    return name, kind, data


def parse_export(text: str, registry: Optional[Registry] = None) -> Registry:
    """Parses the text of a .reg file as `reg export` or regedit writes it.
    Deletions ("[-KEY]", "NAME"=-) are no content and are passed over."""
    registry = registry if registry is not None else Registry()
    key = None
    for line in _logical_lines(text.lstrip("\ufeff")):
        if line.startswith("[") and line.rstrip().endswith("]"):
            key = line.strip()[1:-1]
            if key.startswith("-"):
                key = None
            else:
                registry.add_key(key)
            continue
        if key is None or line.rstrip().endswith("=-"):
            continue
        parsed = _parse_value_line(line, "export")
        if parsed:
            registry.set_value(key, *parsed)
    return registry


# ------------------------------------------- parsing Wine's own hive files

def _hive_key_name(line: str) -> str:
    inner = line[1:line.rfind("]")]
    if "\\" not in inner.replace("\\\\", ""):  # no escape but doubled backslashes
        return inner.replace("\\\\", "\\")
    out, pos = [], 1
    while pos < len(line):
        c = line[pos]
        if c == "]":
            break
        if c == "\\" and pos + 1 < len(line):
            pos, char = _unescape(line, pos + 1, "hive")
            out.append(char)
            continue
        out.append(c)
        pos += 1
    return _join_surrogates("".join(out))


def _at_or_below(lower: str, roots: Iterable[str]) -> bool:
    """Whether the lower-case key path is one of roots or lies below one."""
    return any(lower == root or lower.startswith(root + "\\") for root in roots)


def parse_hive(text: str, root: str, registry: Optional[Registry] = None,
               skip: Iterable[str] = ()) -> Registry:
    """Parses Wine's system.reg (root "HKLM") or user.reg (root "HKCU"),
    as the wineserver writes them when it exits, or a key saved by
    RegSaveKey (root: the key's path; "[]" names the key itself). The files
    leave out keys that only hold other keys; those are made from their
    subkeys' paths. Keys at or below a path in skip are left out. A key
    marked "#link" goes into registry.links."""
    registry = registry if registry is not None else Registry()
    skipped = [normalize_key(path).lower() for path in skip]
    root = normalize_key(root)
    key = values = None
    for line in _logical_lines(text):
        if line.startswith("["):
            # As normalize_key has it, without asking it for every key.
            name = _hive_key_name(line).replace("/", "\\").strip("\\")
            key = root + "\\" + name if name else root
            if _at_or_below(key.lower(), skipped):
                key = None
            else:
                values = registry._add_normalized(key)
            continue
        if key is None:
            continue
        if line.startswith("#"):
            if line.strip() == "#link":
                registry.links.add(key.lower())
            continue
        parsed = _parse_value_line(line, "hive")
        # A link key's target (REG_LINK) is the registry's own bookkeeping,
        # not a value that programs see.
        if parsed and parsed[1] != REG_LINK:
            values[parsed[0].lower()] = Value(*parsed)
    return registry


# ------------------------------------------- parsing the kit's regdump.exe

def _dump_text(field: str) -> str:
    return "" if field == "-" else bytes.fromhex(field).decode("utf-16-le", errors="replace")


def parse_dump(data: bytes, skip: Iterable[str] = ()) -> Optional[Dict[str, object]]:
    """Reads what the kit's regdump.exe wrote: {requested key: its Registry,
    None when the key does not exist, or the error text of a failed read}.
    None when the output is cut short (no END line): nothing of it counts.
    Keys at or below a path in skip are left out (regdump.exe, given them,
    leaves them out itself)."""
    answers: Dict[str, object] = {}
    requested = part = None
    pos = 0
    while pos < len(data):
        end = data.find(b"\n", pos)
        if end < 0:
            return None
        kind, _, rest = data[pos:end].decode("ascii", "replace").strip().partition(" ")
        pos = end + 1
        if kind == "END":
            return answers
        if kind == "R":
            requested = part = _dump_text(rest)
            answers[requested] = "no answer"
        elif requested is None:
            return None
        elif kind == "M":
            answers[requested] = None
        elif kind == "F":
            answers[requested] = f"error {rest}"
        elif kind in ("P", "H", "V"):
            registry = answers.get(requested)
            if not isinstance(registry, Registry):
                registry = answers[requested] = Registry()
                registry.add_key(requested)
            if kind == "P":
                below = _dump_text(rest)
                part = requested + "\\" + below if below else requested
            elif kind == "V":
                _dump_value(registry, part, rest, skip)
            else:
                size = int(rest)
                if pos + size > len(data):
                    return None
                text = data[pos:pos + size].decode("utf-8", "replace")
                pos += size + 1
                parse_hive(text, part, registry, skip=skip)
    return None


def _dump_value(registry: Registry, key: str, fields: str, skip: Iterable[str]) -> None:
    """A "V <name> <type> <data>" line of regdump.exe: a value of key."""
    name, kind, raw = fields.split(" ")
    kind = int(kind)
    if kind == REG_LINK or _at_or_below(normalize_key(key).lower(),
                                        [normalize_key(path).lower() for path in skip]):
        return
    registry.set_value(key, _dump_text(name), kind, _decode(kind, b"" if raw == "-" else bytes.fromhex(raw)))


# ------------------------------------------------------ .reg files to import

def _quote(text: str) -> str:
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def _hex(kind: Optional[int], data: bytes) -> str:
    head = "hex:" if kind is None else f"hex({kind:x}):"
    return head + ",".join(f"{b:02x}" for b in data)


def _value_text(value) -> str:
    if value is DELETE:
        return "-"
    if isinstance(value, RawValue):
        return _hex(value.type, value.data)
    if isinstance(value, ExpandSz):
        return _hex(REG_EXPAND_SZ, (value + "\0").encode("utf-16-le"))
    if isinstance(value, MultiSz):
        return _hex(REG_MULTI_SZ, ("\0".join(value) + "\0\0").encode("utf-16-le"))
    if isinstance(value, Binary):
        return _hex(None, bytes(value))
    if isinstance(value, bool) or not isinstance(value, (int, str)):
        raise TypeError(f"cannot write registry value {value!r}")
    if isinstance(value, int):
        return f"dword:{value & 0xFFFFFFFF:08x}"
    if any(ord(c) < 32 for c in value):  # control characters: written as bytes
        return _hex(REG_SZ, (value + "\0").encode("utf-16-le"))
    return _quote(value)


def reg_file_text(content: Dict[str, object]) -> str:
    """Text of a .reg file (Unicode regedit format) that creates the given
    keys: {key path: {value name ("" for the default): value}}. A value of
    DELETE deletes that value; a key mapped to DELETE is deleted with its
    subkeys. str is REG_SZ, int REG_DWORD; see Dword, ExpandSz, MultiSz,
    Binary and RawValue for the others."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for path, values in content.items():
        path = normalize_key(path)
        if values is DELETE:
            lines += [f"[-{path}]", ""]
            continue
        lines.append(f"[{path}]")
        for name, value in (values or {}).items():
            left = "@" if name == "" else _quote(name)
            lines.append(f"{left}={_value_text(value)}")
        lines.append("")
    return "\r\n".join(lines) + "\r\n"
