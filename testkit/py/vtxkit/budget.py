"""Where the suite's seconds go. While a test runs, the kit adds up the time of
its own steps by kind; the pytest plugin writes the sums of each test to
build/Testing/budget/<test>.json, and `scripts/bench --loop` adds them up
over the last run, beside the unit tests' seconds from ctest's log.

    prefix     fresh prefixes: copy, boot, version, layout files
    registry   live registry reads (regdump.exe, reg.exe) and imports
    tool       the tool's runs under the driver, less their designed pauses
    pauses     the designed pauses of those runs (as the transcript shows
               which were reached: 5 + 2 + 3 s, 3 s more for an accepted
               restart; a twentieth for the short-pause build)
    restarts   stopping and booting a prefix again
    other      the rest of the test (its own programs, checks, Python)

A step inside another step counts for the outer one only."""
import json
import re
import time
from contextlib import contextmanager
from pathlib import Path
from typing import Dict, Iterable, List, Tuple

KINDS = ("prefix", "registry", "tool", "pauses", "restarts", "other", "unit")
_spent: Dict[str, float] = {}
_depth = [0]


@contextmanager
def spend(kind: str):
    """Adds the time of the block to kind, unless an outer step counts it."""
    _depth[0] += 1
    started = time.monotonic()
    try:
        yield
    finally:
        _depth[0] -= 1
        if _depth[0] == 0:
            add(kind, time.monotonic() - started)


def add(kind: str, seconds: float) -> None:
    _spent[kind] = _spent.get(kind, 0.0) + seconds


def designed_pauses(transcript, short: bool) -> float:
    """The seconds of designed pause a run's transcript shows it went
    through."""
    seconds = 0.0
    statuses = [e.get("status") for e in transcript.progress]
    if len(set(statuses)) > 1:  # the status changed: the first pause is behind
        seconds += 5
    if transcript.of_kind("progress-gone"):
        seconds += 2 + 3
    boxes = transcript.boxes
    if len(boxes) >= 3 and boxes[2].answer == "yes" and transcript.exit_code is not None:
        seconds += 3
    return seconds / 20 if short else seconds


def spent_tool(seconds: float, transcript, short: bool) -> None:
    pauses = min(seconds, designed_pauses(transcript, short))
    if _depth[0] == 0:
        add("pauses", pauses)
        add("tool", seconds - pauses)


def write(directory: Path, test: str, total: float) -> None:
    """The sums of the test that ends, with its whole time; starts afresh."""
    spent = dict(_spent)
    spent["other"] = max(0.0, total - sum(spent.values()))
    directory.mkdir(parents=True, exist_ok=True)
    (directory / f"{test}.json").write_text(json.dumps(spent))
    _spent.clear()


def read(directory: Path) -> Dict[str, Dict[str, float]]:
    """{test: {kind: seconds}} of the files a run wrote."""
    return {path.stem: json.loads(path.read_text()) for path in sorted(directory.glob("*.json"))}


def table(per_test: Dict[str, Dict[str, float]], unit: Iterable[Tuple[str, float]]) -> str:
    totals = {kind: 0.0 for kind in KINDS}
    for spent in per_test.values():
        for kind, seconds in spent.items():
            totals[kind] = totals.get(kind, 0.0) + seconds
    totals["unit"] = sum(seconds for _, seconds in unit)
    whole = sum(totals.values()) or 1.0
    lines: List[str] = [f"{'kind':<10} {'test-seconds':>12} {'share':>6}"]
    for kind in KINDS:
        lines.append(f"{kind:<10} {totals[kind]:12.0f} {100 * totals[kind] / whole:5.0f} %")
    lines.append(f"{'all':<10} {whole:12.0f}   ({len(per_test)} end-to-end tests)")
    return "\n".join(lines)


# "  3/12 Test  #81: name ......   Passed   41.86 sec"
_RESULT = re.compile(r"^\s*(?:\d+/\d+ )?Test\s+#\d+: (\S+) .*?([\d.]+) sec$")


def ctest_seconds(log: Path) -> Dict[str, float]:
    """{test: seconds} of a ctest log (the last try of a test counts)."""
    text = log.read_text(errors="replace") if log.exists() else ""
    return {m.group(1): float(m.group(2)) for m in map(_RESULT.match, text.splitlines()) if m}


def main(argv: List[str]) -> int:
    """Prints the budget of the last scripts/test run of a build tree."""
    build = Path(argv[0]) if argv else Path("build")
    per_test = read(build / "Testing" / "budget")
    seconds = ctest_seconds(build / "Testing" / "Temporary" / "LastRun.log")
    if not per_test:
        print(f"no budget in {build / 'Testing' / 'budget'}: run scripts/test first")
        return 1
    unit = [(name, s) for name, s in seconds.items() if name not in per_test]
    print(table(per_test, unit))
    print(f"(unit: {len(unit)} tests without the kit; ctest's own sum: "
          f"{sum(seconds.values()):.0f} test-seconds)")
    return 0

