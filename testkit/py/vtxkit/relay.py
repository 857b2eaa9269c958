"""What a program's own code calls: Wine's relay trace of one program run,
kept to the calls made from that program's image and counted as the trace
streams by.

Wine writes one line per call into a built-in DLL to standard error:

    0164:0168:Call KERNEL32.GetVersionExA(0064fd40) ret=00401a2b

(process, thread, DLL.function, arguments, return address). The prefix is
set up so that Wine relays only the imports of the traced program
(RelayFromInclude) and leaves nothing out (no RelayExclude); the counter
then keeps the calls of the program's first thread whose return address
lies inside its image, which leaves exactly the calls of the program's code
and its static runtime. The trace is read line by line and never stored."""
import re
import subprocess
import threading
from collections import Counter
from typing import Dict, Tuple

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
    """The fixture's tool run under the driver with the relay trace on
    (relay_calls_from must have been called on the prefix). image is the
    tool's (base, end) in memory."""

    def __init__(self, fixture, image: Tuple[int, int], answers=(), **options):
        self.prefix = fixture.prefix
        self.counter = CallCounter(*image)
        self.run = fixture.start_tool(answers, extra_env={"WINEDEBUG": RELAY_DEBUG},
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
