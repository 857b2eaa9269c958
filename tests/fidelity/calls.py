"""The reviewed table of the functions the tool calls, per platform, and the
judgement of a trace against it.

Table lines (tests/compat/calls_by_platform.txt):

    DLL  function  platforms  reason

platforms: "all", "9x" (win95, win98, winme), "nt" (nt40, win2k, winxp), or
platform names joined by commas: where the function exists and works (not
a stub). The reason is one line and may not be left out."""
import sys
from collections import Counter
from dataclasses import dataclass
from pathlib import Path
from typing import Dict, List, Mapping, Tuple

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "compat"))
from peimports import PeFile  # noqa: E402

TABLE = Path(__file__).resolve().parents[1] / "compat" / "calls_by_platform.txt"
GROUPS = {
    "9x": ("win95", "win98", "winme"),
    "nt": ("nt40", "win2k", "winxp"),
}
GROUPS["all"] = GROUPS["9x"] + GROUPS["nt"]
Call = Tuple[str, str]


@dataclass
class Entry:
    platforms: Tuple[str, ...]
    written: str
    reason: str


def platforms_of(text: str) -> Tuple[str, ...]:
    names: List[str] = []
    for part in text.split(","):
        if part in GROUPS:
            names += GROUPS[part]
        elif part in GROUPS["all"]:
            names.append(part)
        else:
            raise ValueError(f"unknown platform {part!r}")
    return tuple(names)


def read_table(path: Path = TABLE) -> Dict[Call, Entry]:
    table: Dict[Call, Entry] = {}
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        fields = line.split(None, 3)
        if len(fields) < 4:
            raise ValueError(f"{path.name} line {number}: DLL, function, platforms and reason wanted")
        dll, function, platforms, reason = fields
        try:
            table[(dll.upper(), function)] = Entry(platforms_of(platforms), platforms, reason)
        except ValueError as error:
            raise ValueError(f"{path.name} line {number}: {error}") from None
    return table


def line_to_add(call: Call) -> str:
    return f"{call[0]:<9} {call[1]:<27} all    <why it exists and works on every platform>"


def judge(calls_by_platform: Mapping[str, Counter], table: Mapping[Call, Entry]) -> List[str]:
    """One problem per call that the table does not list, and per call on a
    platform where the table says the function is missing or a stub."""
    problems = []
    for platform, calls in calls_by_platform.items():
        for call, count in sorted(calls.items()):
            entry = table.get(call)
            name = f"{call[0]} {call[1]}"
            if entry is None:
                problems.append(
                    f"{platform}: {name} was called {count} times and is not in {TABLE.name}. "
                    f"Review it and add a line, with the platforms where it exists and works:\n"
                    f"    {line_to_add(call)}")
            elif platform not in entry.platforms:
                problems.append(
                    f"{platform}: {name} was called {count} times, but {TABLE.name} has it only "
                    f"on {entry.written}: {entry.reason}")
    return problems


def import_names(program: Path, system_dir: Path) -> Dict[Call, Call]:
    """Wine reports a call by the function that runs, which is not always
    the one imported: KERNEL32 InitializeCriticalSection forwards to NTDLL
    RtlInitializeCriticalSection. Maps each forward target that the
    program's imports reach to the imported name."""
    names: Dict[Call, Call] = {}
    for dll, functions in PeFile(program).imports().items():
        module = dll[:-4] if dll.endswith(".DLL") else dll
        path = system_dir / dll.lower()
        forwards = PeFile(path).forwarders() if path.exists() else {}
        for function in functions:
            target = forwards.get(function)
            if target:
                target_dll, _, target_function = target.partition(".")
                names[(target_dll.upper(), target_function)] = (module, function)
    return names


def renamed(calls: Counter, names: Mapping[Call, Call]) -> Counter:
    result: Counter = Counter()
    for call, count in calls.items():
        result[names.get(call, call)] += count
    return result


def table_text(calls_by_platform: Mapping[str, Counter]) -> str:
    """Functions down, platforms across, the number of calls in each cell."""
    platforms = list(calls_by_platform)
    every = sorted(set().union(*(c.keys() for c in calls_by_platform.values())))
    width = max([len(f"{d} {f}") for d, f in every] + [8])
    lines = [f"{'function':<{width}}" + "".join(f"{p:>8}" for p in platforms)]
    for call in every:
        cells = "".join(f"{calls_by_platform[p].get(call, '-'):>8}" for p in platforms)
        lines.append(f"{call[0] + ' ' + call[1]:<{width}}{cells}")
    totals = "".join(f"{len(calls_by_platform[p]):>8}" for p in platforms)
    lines.append(f"{'distinct functions':<{width}}{totals}")
    return "\n".join(lines)
