"""What a program really calls: Wine's relay trace of chosen functions,
limited to the calls that come from the program's own image.

    relay = Relay(["kernel32.GetPrivateProfileStringA", "user32.FindWindowA"])
    relay.install(prefix)                 # before the program starts
    traced = relay.wrap(prefix)           # hand this to whatever starts it
    ...
    relay.calls(program_file)             # -> [Call("GetPrivateProfileStringA", [...])]

A traced argument is its text when Wine shows a string, else None (a
number or a null pointer)."""
import re
import struct
from pathlib import Path
from typing import List, NamedTuple, Optional, Sequence

DEBUG_KEY = r"HKCU\Software\Wine\Debug"
_CALL = re.compile(r"^[0-9a-f]+:Call [\w.]+\.(\w+)\((.*)\) ret=([0-9a-f]{8})$")
_ARG = re.compile(r'([0-9a-f]{8})(?: L?"((?:[^"\\]|\\.)*)")?')
_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}


class Call(NamedTuple):
    function: str
    args: List[Optional[str]]


class Relay:
    def __init__(self, functions: Sequence[str], output: Optional[Path] = None):
        self.functions = list(functions)
        self.output = output

    def install(self, prefix) -> None:
        """Traces only these functions in the prefix (needs +relay in the
        traced process's WINEDEBUG, which wrap() gives)."""
        self.output = self.output or prefix.path / "vtxkit" / "relay.txt"
        self.output.parent.mkdir(parents=True, exist_ok=True)
        prefix.wine(["reg", "add", DEBUG_KEY, "/v", "RelayInclude", "/d",
                     ";".join(self.functions), "/f"])

    def wrap(self, prefix) -> "_TracedPrefix":
        return _TracedPrefix(prefix, self.output)

    def calls(self, program: Path) -> List[Call]:
        """The traced calls whose return address lies in program's image."""
        low, high = image_range(program)
        found = []
        text = self.output.read_text(encoding="cp1252", errors="replace") \
            if self.output and self.output.exists() else ""
        for line in text.splitlines():
            match = _CALL.match(line)
            if match and low <= int(match.group(3), 16) < high:
                found.append(Call(match.group(1), _arguments(match.group(2))))
        return found


class _TracedPrefix:
    """The prefix, but whatever it starts runs with +relay and writes the
    trace to the relay's file."""

    def __init__(self, prefix, output: Path):
        self._prefix, self._output = prefix, output

    def __getattr__(self, name):
        return getattr(self._prefix, name)

    def start(self, *args, **popen):
        popen["extra_env"] = {**(popen.get("extra_env") or {}), "WINEDEBUG": "+relay"}
        popen["stderr"] = open(self._output, "ab")
        return self._prefix.start(*args, **popen)


def image_range(program: Path):
    """(image base, image end) from the program file's PE header."""
    data = Path(program).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    optional = pe + 24
    base = struct.unpack_from("<I", data, optional + 28)[0]
    size = struct.unpack_from("<I", data, optional + 56)[0]
    return base, base + size


def _arguments(text: str) -> List[Optional[str]]:
    args = []
    for match in _ARG.finditer(text):
        quoted = match.group(2)
        args.append(None if quoted is None else
                    re.sub(r"\\(.)", lambda m: _ESCAPES.get(m.group(1), m.group(1)), quoted))
    return args
