"""The benchmark: what the tool's own work costs on this machine, each figure
beside the cost of starting and ending an empty Windows program in the same
kind of prefix. Figures only: nothing is compared with a limit.

    testkit/python tools/bench/bench.py     (scripts/bench runs it: it
                                            needs DISPLAY and a build)

  baseline        emptyprogram.exe started and ended in a fresh winxp
                  prefix, timed from Linux (median of 9, after one warm-up)
  run             vtxremove.exe on an installed package in a fresh winxp
                  prefix, no companion window, the driver confirming and
                  putting the restart off: from its start to its exit as the
                  driver saw them, less the run's designed pauses (3 runs)
  floor           floorprogram.exe, the run's boxes, progress window, steps
                  and pauses without any clean-up, timed like the run in a
                  fresh winxp prefix (3 runs): the runs are also shown as a
                  ratio to it, and the run less the floor is the clean-up's
                  own cost
  log entry       one entry through a Logger, timed inside Windows
                  (logbench.exe writing 2000 entries, median of 3 such runs)
  deleteAtReboot  on win98 against a wininit.ini of 10, 1,000 and 100,000
                  lines (wininitbench.exe, 5 calls per size, median), timed
                  inside Windows

Progress goes to stderr, the table to stdout. The prefixes
(build/wine/prefixes/bench-*) are removed at the end unless
VTX_KEEP_PREFIXES=1."""
import os
import statistics
import subprocess
import sys
import time
from dataclasses import dataclass
from typing import Dict, List, Sequence

from floor import PROGRAMS, floor_runs
from vtxkit import env
from vtxkit.package import Package
from vtxkit.prefix import Prefix, WineError

DESIGNED_PAUSES = 5 + 2 + 3  # seconds the run sleeps on purpose
RUNS = 3
BASELINE_STARTS = 9
LOG_ENTRIES = 2000
LOG_BATCHES = 3
WININIT_SIZES = (10, 1_000, 100_000)
WININIT_CALLS = 5


class BenchError(RuntimeError):
    """A measured step did not do its work: its figure would mean nothing."""


@dataclass
class Figure:
    label: str
    seconds: float
    note: str = ""
    per_floor: bool = False  # also shown as a ratio to the floor


def progress(text: str) -> None:
    print(f"bench: {text}", file=sys.stderr, flush=True)


def output_fields(text: str) -> Dict[str, List[str]]:
    """The "name=value" lines of a bench program's output, by name."""
    fields: Dict[str, List[str]] = {}
    for line in text.splitlines():
        name, sep, value = line.strip().partition("=")
        if sep:
            fields.setdefault(name, []).append(value)
    return fields


def run_checked(prefix: Prefix, name: str, *args, cwd=None) -> Dict[str, List[str]]:
    done = prefix.run(PROGRAMS / f"{name}.exe", *args, cwd=cwd, timeout=300)
    if done.returncode != 0:
        raise BenchError(f"{name} exited {done.returncode}: {done.stdout.strip()} "
                         f"{done.stderr.strip()[-300:]}")
    return output_fields(done.stdout)


def spread(values_ms: Sequence[float]) -> str:
    return f"{min(values_ms):.3g} to {max(values_ms):.3g} ms"


def finished(prefix: Prefix) -> None:
    if os.environ.get("VTX_KEEP_PREFIXES") == "1":
        prefix.stop()
    else:
        prefix.remove()


# ------------------------------------------------------------ measurements
def start_and_end(prefix: Prefix, program) -> float:
    """Seconds from starting `wine PROGRAM` to its end, output discarded."""
    started = time.monotonic()
    done = subprocess.run([env.wine(), prefix.win(program)], env=prefix.env(),
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=60)
    seconds = time.monotonic() - started
    if done.returncode != 0:
        raise BenchError(f"{program} exited {done.returncode}")
    return seconds


def measure_baseline(prefix: Prefix) -> Figure:
    """Under Wine these starts fall into steps of about 16 ms and vary with
    the machine's load: the median of several."""
    program = PROGRAMS / "emptyprogram.exe"
    prefix.boot()
    start_and_end(prefix, program)  # warm-up: the image is read once
    seconds = [start_and_end(prefix, program) for _ in range(BASELINE_STARTS)]
    return Figure(f"baseline: empty program started and ended (median of {BASELINE_STARTS})",
                  statistics.median(seconds), spread([s * 1000 for s in seconds]))


def measure_log_entry(prefix: Prefix) -> Figure:
    work = prefix.drive_c / "bench"
    work.mkdir(exist_ok=True)
    (work / "VTX.INI").write_bytes(b"[SystemInfo]\r\nDebug=TRACE\r\n")
    entry_ms = [float(run_checked(prefix, "logbench", str(LOG_ENTRIES), cwd=work)["entry_ms"][0])
                for _ in range(LOG_BATCHES)]
    return Figure(f"one log entry (median of {LOG_BATCHES} x {LOG_ENTRIES}, timed inside Windows)",
                  statistics.median(entry_ms) / 1000, spread(entry_ms))


def check_removed(package: Package) -> None:
    left = [p for p in package.footprint.files if package.prefix.unix(p).exists()]
    if left or package.prefix.reg_value(package.package_key, "vci") is not None:
        raise BenchError(f"the run left the package behind: {left[:3]} ...")


def measure_run(number: int) -> Figure:
    prefix = Prefix.fresh("winxp", name="bench-run")
    try:
        package = Package(prefix).install()
        transcript = package.run_tool(answers=["yes", "no"])
        if transcript.result != "exit" or transcript.exit_code != 0:
            raise BenchError(f"run {number} did not end well:\n{transcript.summary()}")
        check_removed(package)
    finally:
        finished(prefix)
    gross = transcript.of_kind("exit")[-1].time - transcript.of_kind("start")[0].time
    return Figure(f"run {number}: winxp, full package, less {DESIGNED_PAUSES} s of pauses",
                  gross - DESIGNED_PAUSES, f"{gross:.2f} s in all, {len(transcript.boxes)} boxes",
                  per_floor=True)


def wininit_text(lines: int) -> bytes:
    entries = [f"NUL=C:\\WINDOWS\\TEMP\\OLD{i:06d}.TMP" for i in range(1, lines)]
    return ("\r\n".join(["[rename]"] + entries) + "\r\n").encode("ascii")


def lay_out_wininit(prefix: Prefix, lines: int) -> None:
    """Only in the running prefix: a boot would perform the file."""
    windows = prefix.windows_dir
    for entry in windows.iterdir():
        if entry.name.lower() in ("wininit.ini", "wininit.bak"):
            entry.unlink()
    (windows / "wininit.ini").write_bytes(wininit_text(lines))


def measure_delete_at_reboot(prefix: Prefix, lines: int) -> Figure:
    lay_out_wininit(prefix, lines)
    fields = run_checked(prefix, "wininitbench", str(WININIT_CALLS))
    if int(fields["lines_before"][0]) != lines:
        raise BenchError(f"wininit.ini had {fields['lines_before'][0]} lines, not {lines}")
    calls_ms = [float(v) for v in fields["call_ms"]]
    return Figure(f"deleteAtReboot, win98, wininit.ini of {lines:,} lines",
                  statistics.median(calls_ms) / 1000,
                  f"median of {len(calls_ms)} calls, {spread(calls_ms)}")


# ------------------------------------------------------------ the table
def shown_time(seconds: float) -> str:
    if seconds >= 1:
        return f"{seconds:.2f} s"
    ms = seconds * 1000
    if ms >= 100:
        return f"{ms:.0f} ms"
    return f"{ms:.1f} ms" if ms >= 1 else f"{ms:.3f} ms"


def shown_ratio(ratio: float) -> str:
    return f"{ratio:.0f}" if ratio >= 1000 else f"{ratio:.3g}"


def wine_version() -> str:
    done = subprocess.run([env.wine(), "--version"], capture_output=True, text=True)
    return done.stdout.strip() or "wine"


def print_table(figures: List[Figure], baseline: Figure, floor: Figure, load: float) -> None:
    width = max(len(f.label) for f in figures)
    build = "64-bit test build" if env.wine_arch() == "win64" else "32-bit build"
    print(f"vtxremove benchmark: the {build} under {wine_version()}, {os.cpu_count()} cores, "
          f"load {load:.2f} at the start")
    print(f"{'figure':<{width}}  {'value':>9}  {'/ baseline':>10}  {'/ floor':>7}  note")
    print(f"{'-' * width}  {'-' * 9}  {'-' * 10}  {'-' * 7}  {'-' * 4}")
    for f in figures:
        ratio = shown_ratio(f.seconds / baseline.seconds)
        per_floor = shown_ratio(f.seconds / floor.seconds) if f.per_floor else ""
        print(f"{f.label:<{width}}  {shown_time(f.seconds):>9}  {ratio:>10}  {per_floor:>7}  "
              f"{f.note}")


def measure_all() -> List[Figure]:
    progress("baseline and log entry in a fresh winxp prefix")
    xp = Prefix.fresh("winxp", name="bench-xp")
    try:
        baseline = measure_baseline(xp)
        log_entry = measure_log_entry(xp)
    finally:
        finished(xp)
    runs = []
    for number in range(1, RUNS + 1):
        progress(f"run {number} of {RUNS} (a fresh winxp prefix, about 15 s)")
        runs.append(measure_run(number))
    median_run = Figure(f"run: median of {RUNS}", statistics.median(f.seconds for f in runs),
                        per_floor=True)
    progress(f"floor: {RUNS} runs of floorprogram.exe (a fresh winxp prefix each, about 12 s)")
    floors = floor_runs(RUNS, DESIGNED_PAUSES, finished)
    floor = Figure(f"floor: same boxes, window and pauses, no clean-up (median of {RUNS})",
                   statistics.median(floors), spread([s * 1000 for s in floors]))
    cleanup = Figure("run less floor: what the clean-up itself costs",
                     median_run.seconds - floor.seconds)
    progress("deleteAtReboot in a fresh win98 prefix")
    w98 = Prefix.fresh("win98", name="bench-98")
    try:
        reboot = [measure_delete_at_reboot(w98, lines) for lines in WININIT_SIZES]
    finally:
        finished(w98)
    return [baseline, floor] + runs + [median_run, cleanup, log_entry] + reboot


def main() -> int:
    load = os.getloadavg()[0]
    try:
        figures = measure_all()
    except (BenchError, WineError, OSError, RuntimeError, subprocess.SubprocessError) as error:
        print(f"bench: {error}", file=sys.stderr)
        return 1
    print_table(figures, figures[0], figures[1], load)
    return 0


if __name__ == "__main__":
    sys.exit(main())
