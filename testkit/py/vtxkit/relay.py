"""What a program's own code calls, from Wine's relay trace, in two forms:

- CallCounter / TracedRun: every call of one program run, kept to the calls
  made from the program's image by its first thread and counted as the
  trace streams by (the trace is read line by line and never stored);
- Relay: the calls of a few chosen functions, with their string arguments.

Wine writes one line per call into a built-in DLL to standard error:

    0164:0168:Call KERNEL32.GetVersionExA(0064fd40) ret=00401a2b

(process with +pid, thread, DLL.function, arguments, return address).

    relay = Relay(["kernel32.GetPrivateProfileStringA", "user32.FindWindowA"])
    relay.install(prefix)                 # before the program starts
    traced = relay.wrap(prefix)           # hand this to whatever starts it
    ...
    relay.calls(program_file)             # -> [Call("GetPrivateProfileStringA", [...])]

A traced argument is its text when Wine shows a string, else None (a
number or a null pointer)."""
import re
import struct
import subprocess
import threading
from collections import Counter
from pathlib import Path
from typing import Dict, List, NamedTuple, Optional, Sequence, Tuple

DEBUG_KEY = r"HKCU\Software\Wine\Debug"
RELAY_DEBUG = "+pid,+relay"
_CALL = re.compile(r"^([0-9a-f]+):([0-9a-f]+):Call ([^(]+)\((.*)\) ret=([0-9a-f]+)$")

def relay_calls_from(prefix, program_name: str) -> None:
    """Has Wine relay only the calls that the image `program_name` (for
    example "vtxremove.exe") makes, with no function left out. Takes effect
    for programs started afterwards."""
    for value in ("RelayExclude", "RelayFromExclude"):
        prefix.wine(["reg", "delete", DEBUG_KEY, "/v", value, "/f"], check=False)
    prefix.wine(["reg", "add", DEBUG_KEY, "/v", "RelayFromInclude", "/d", program_name, "/f"])


class CallCounter:
    """Counts the calls of one process's first thread whose return address
    lies in [low, high). The process is told afterwards (select), so the
    counts are kept per process and thread until then: a few hundred
    distinct entries, whatever the length of the trace."""

    def __init__(self, low: int, high: int):
        self.low, self.high = low, high
        self.lines = 0
        self._counts: Dict[Tuple[int, int], Counter] = {}
        self._first_thread: Dict[int, int] = {}

    def feed(self, line: str) -> None:
        self.lines += 1
        m = _CALL.match(line.rstrip("\r\n"))
        if not m or not self.low <= int(m.group(5), 16) < self.high:
            return
        pid, tid = int(m.group(1), 16), int(m.group(2), 16)
        self._first_thread.setdefault(pid, tid)
        dll, _, function = m.group(3).rpartition(".")
        dll = dll.upper()
        if dll.endswith(".DLL"):
            dll = dll[:-4]
        # (DLL in upper case without ".DLL", function)
        self._counts.setdefault((pid, tid), Counter())[(dll, function)] += 1

    def read(self, stream) -> None:
        for raw in stream:
            self.feed(raw.decode("latin-1"))

    def select(self, pid: int) -> Counter:
        """The calls of the given process's first thread."""
        tid = self._first_thread.get(pid)
        return Counter(self._counts.get((pid, tid), {}))


class TracedRun:
    """The package's tool run under the driver with the relay trace on
    (relay_calls_from must have been called on the prefix). image is the
    tool's (base, end) in memory."""

    def __init__(self, package, image: Tuple[int, int], answers=(), **options):
        self.prefix = package.prefix
        self.counter = CallCounter(*image)
        self.run = package.start_tool(answers, extra_env={"WINEDEBUG": RELAY_DEBUG},
                                      stderr=subprocess.PIPE, **options)
        self.reader = threading.Thread(target=self.counter.read, args=(self.run.process.stderr,),
                                       daemon=True)
        self.reader.start()
        self.transcript = None

    def wait(self):
        """The driver's transcript, once the tool and the driver have ended."""
        self.transcript = self.run.wait()
        return self.transcript

    def calls(self) -> Counter:
        """Stops the prefix (which ends every program that could still hold
        the trace open), then counts each (DLL, function) that the tool's
        first thread called from inside its image."""
        self.prefix.stop()
        self.reader.join(60)
        starts = self.transcript.of_kind("start") if self.transcript else []
        return self.counter.select(int(starts[0]["pid"])) if starts else Counter()

# Addresses and arguments have at least 8 hex digits (more in a 64-bit process).
_ARGS_CALL = re.compile(r"^[0-9a-f]+:Call [\w.]+\.(\w+)\((.*)\) ret=([0-9a-f]{8,16})$")
_ARG = re.compile(r'([0-9a-f]{8,16})(?: L?"((?:[^"\\]|\\.)*)")?')
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
            match = _ARGS_CALL.match(line)
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
    """(image base, image end) from the program file's PE header (32-bit or
    64-bit image)."""
    data = Path(program).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    optional = pe + 24
    if struct.unpack_from("<H", data, optional)[0] == 0x20B:
        base = struct.unpack_from("<Q", data, optional + 24)[0]
    else:
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
