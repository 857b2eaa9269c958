"""Seeded faults: each one a small change to the product that a chosen set of
tests must notice. The runner applies one fault at a time to a scratch copy
of the sources (never the working tree), builds what the tests need, runs
them, and prints one row per fault.

    python3 -m vtxkit.mutants [NAME...]      (needs DISPLAY; see scripts/mutants)

A fault is a file tests/mutants/NAME.fault:

    reason: the refusal of a file name goes to the trace logger
    tests: -R ^observe_run\\.test_error_level_run$
    --- cleanup/Guards.cpp
    -    runErrorLog.log("%s \\"%s\\" is not a plain file name ...", ...);
    +    runTraceLog.log("%s \\"%s\\" is not a plain file name ...", ...);

"tests:" holds the ctest arguments of the selection that must fail. After a
"--- PATH" line come hunks: lines starting with " " (kept), "-" (taken out)
and "+" (put in); a line "@@" or an empty line ends a hunk. A hunk's old
lines must occur exactly once in the file, so a fault still applies when
unrelated lines move and stops with an error when its text has changed.
"unobservable: WHY" instead of "tests:" lists a fault that Wine cannot make
visible; it is shown with its reason and not run.

Faults run side by side, one per worker: worker N has its scratch tree
build/mutants/workerN/src and, inside it, a build tree laid out as the
working tree's is (src/build, or src/build/win64 for the 64-bit test build),
with its Wine prefixes below it. Both are kept between runs. Compiles go
through the compiler cache with paths taken relative to the tree, so a
worker's first build, and each file put back after a fault, are cache hits
of what the working tree's own build or another worker compiled. The tests
that caught a fault run once more, meanwhile, in a scratch tree of their
own that no fault changes (build/mutants/unchanged)."""
import fcntl
import json
import os
import queue
import re
import subprocess
import sys
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path
from typing import Dict, List, Optional, Sequence, Tuple

from . import env

CAUGHT, SURVIVED, UNOBSERVABLE, BROKEN = "caught", "survived", "not observable under Wine", "error"
NOT_RUN = "not run on this build"


class FaultError(ValueError):
    """A fault file that cannot be read or no longer applies."""


@dataclass
class Hunk:
    old: List[str]
    new: List[str]


@dataclass
class Fault:
    name: str
    reason: str = ""
    tests: List[str] = field(default_factory=list)
    unobservable: str = ""
    edits: Dict[str, List[Hunk]] = field(default_factory=dict)


@dataclass
class Outcome:
    fault: Fault
    verdict: str
    tests_run: int = 0
    seconds: float = 0.0
    detail: str = ""
    failed: List[str] = field(default_factory=list)  # the tests that failed


_printing = threading.Lock()


def progress(text: str) -> None:
    with _printing:
        print(f"mutants: {text}", file=sys.stderr, flush=True)


# ------------------------------------------------------------ fault files

def parse_fault(name: str, text: str) -> Fault:
    fault = Fault(name)
    path: Optional[str] = None
    hunk: Optional[Hunk] = None

    def close_hunk():
        nonlocal hunk
        if hunk is not None:
            if not hunk.old:
                raise FaultError(f"{name}: a hunk in {path} has no old lines to find")
            fault.edits[path].append(hunk)
        hunk = None

    for number, line in enumerate(text.splitlines(), 1):
        if path is None:
            if not line.strip() or line.startswith("#"):
                continue
            key, _, value = line.partition(":")
            if line.startswith("--- "):
                path = line[4:].strip()
                fault.edits.setdefault(path, [])
            elif key == "reason":
                fault.reason = value.strip()
            elif key == "tests":
                fault.tests = value.split()
            elif key == "unobservable":
                fault.unobservable = value.strip()
            else:
                raise FaultError(f"{name}:{number}: unknown line {line!r}")
            continue
        if line.startswith("--- "):
            close_hunk()
            path = line[4:].strip()
            fault.edits.setdefault(path, [])
        elif line == "@@" or line == "":
            close_hunk()
        elif line[0] in " -+":
            hunk = hunk or Hunk([], [])
            if line[0] != "+":
                hunk.old.append(line[1:])
            if line[0] != "-":
                hunk.new.append(line[1:])
        else:
            raise FaultError(f"{name}:{number}: a hunk line must start with ' ', '-' or '+'")
    close_hunk()
    if not fault.reason:
        raise FaultError(f"{name}: no reason")
    if not fault.edits:
        raise FaultError(f"{name}: no change")
    if not fault.tests and not fault.unobservable:
        raise FaultError(f"{name}: neither tests nor unobservable")
    return fault


def apply_hunks(name: str, path: str, text: str, hunks: Sequence[Hunk]) -> str:
    """The text with every hunk applied; each hunk's old lines must occur
    exactly once (as whole lines)."""
    lines = text.split("\n")
    for hunk in hunks:
        size = len(hunk.old)
        places = [i for i in range(len(lines) - size + 1) if lines[i:i + size] == hunk.old]
        if len(places) != 1:
            raise FaultError(f"{name}: {path}: the lines to change occur {len(places)} times "
                             f"(expected once):\n  " + "\n  ".join(hunk.old))
        at = places[0]
        lines[at:at + size] = hunk.new
    return "\n".join(lines)


def load_faults(directory: Path, names: Sequence[str]) -> List[Fault]:
    files = {p.stem: p for p in sorted(directory.glob("*.fault"))}
    unknown = [n for n in names if n not in files]
    if unknown:
        raise FaultError(f"no such fault: {', '.join(unknown)} (see {directory})")
    chosen = names or list(files)
    return by_file([parse_fault(n, files[n].read_text()) for n in chosen])


def by_file(faults: Sequence[Fault]) -> List[Fault]:
    """The faults ordered by the files they change (then by name), so that
    consecutive runs rebuild the same objects and the cache answers."""
    return sorted(faults, key=lambda f: (sorted(f.edits), f.name))


# ------------------------------------------------------------ scratch tree

# What an end-to-end test may start besides the shipped tool: its test build
# with short pauses (Package(short_pauses=True)) and the kit's programs.
KIT_PROGRAMS = ("vtxremove_shortpauses", "vtxdriver", "fakeapp", "holdfile", "winpaths",
                "regkeys", "regdump", "kitprobe", "scenario")


class Scratch:
    """A scratch copy of the working tree's files (root/src) and its build
    tree, which lies inside it where the working tree's build lies in the
    working tree (`build_path`): compile commands then read the same
    relative to the compiler cache's base directory, and the cache answers
    for files compiled in either tree."""

    def __init__(self, source: Path, root: Path, build_path: Path = Path("build")):
        self.source = source
        self.src = root / "src"
        self.build = self.src / build_path
        self.skipped = self.src / build_path.parts[0]  # the build trees below src

    def sync(self) -> None:
        """Copies every file git knows or would add, rewriting only those
        whose content differs, so that an incremental build stays small."""
        listed = subprocess.run(
            ["git", "-C", str(self.source), "ls-files", "-z", "--cached", "--others",
             "--exclude-standard"], check=True, capture_output=True).stdout
        wanted = {Path(p.decode()) for p in listed.split(b"\0") if p}
        for relative in wanted:
            origin = self.source / relative
            if not origin.is_file():
                continue  # deleted in the working tree, not yet in the index
            target = self.src / relative
            data = origin.read_bytes()
            if not target.exists() or target.read_bytes() != data:
                target.parent.mkdir(parents=True, exist_ok=True)
                target.write_bytes(data)
            target.chmod(origin.stat().st_mode & 0o777)
        for target in self._copied_files():
            if target.relative_to(self.src) not in wanted:
                target.unlink()

    def _copied_files(self):
        """Every file below src except the build trees'."""
        for folder, subfolders, files in os.walk(self.src):
            if Path(folder) == self.src and self.skipped.name in subfolders:
                subfolders.remove(self.skipped.name)
            for name in files:
                yield Path(folder) / name

    def configure(self, like: Path) -> None:
        """Configures the scratch build tree as the build tree `like` is: the
        same toolchain file (the 32-bit one, or the 64-bit test build's) and
        the same tree of shipped files, compiling through the compiler cache
        as the working tree's build does."""
        launcher = compiler_launcher(like, self.source, self.src)
        if (self.build / "CMakeCache.txt").exists():
            cached = _cache_values(self.build / "CMakeCache.txt")
            if launcher and launcher[-1] != \
                    "-DCMAKE_CXX_COMPILER_LAUNCHER:STRING=" + cached.get("CMAKE_CXX_COMPILER_LAUNCHER", ""):
                subprocess.run(["cmake", *launcher, str(self.build)], check=True,
                               stdout=subprocess.DEVNULL)
            return
        cache = _cache_values(like / "CMakeCache.txt")
        toolchain = Path(cache.get("CMAKE_TOOLCHAIN_FILE", "toolchain-mingw32.cmake")).name
        options = [f"-D{name}={cache[name]}" for name in ("VTX_SHIPPED_BUILD_DIR",) if name in cache]
        generator = ["-G", "Ninja"] if _has("ninja") else []
        subprocess.run(["cmake", "-S", str(self.src), "-B", str(self.build), *generator,
                        f"-DCMAKE_TOOLCHAIN_FILE={self.src}/cmake/{toolchain}",
                        "-DCMAKE_BUILD_TYPE=Release", *options, *launcher], check=True,
                       stdout=subprocess.DEVNULL)

    def build_targets(self, targets: Sequence[str] = ()) -> Tuple[bool, str]:
        command = ["cmake", "--build", str(self.build), f"-j{os.cpu_count() or 2}"]
        if targets:
            command += ["--target", *targets]
        done = subprocess.run(command, capture_output=True, text=True)
        return done.returncode == 0, done.stdout + done.stderr

    def test_programs(self, selection: Sequence[str]) -> List[str]:
        """The build targets the selected tests run: every program of the
        build tree named in their commands, and the tool (both builds) and
        the kit's programs when an end-to-end test (one that names no program of the
        build tree: a Python one) is among them. A selection of unit tests
        alone does not relink the tool."""
        done = subprocess.run(["ctest", "--test-dir", str(self.build), "--show-only=json-v1",
                               *selection], capture_output=True, text=True, check=True)
        targets = set()
        for test in json.loads(done.stdout).get("tests", []):
            programs = {Path(a).stem for a in test.get("command", [])
                        if Path(a).suffix == ".exe" and str(self.build) in a}
            targets |= programs or {"vtxremove", *KIT_PROGRAMS}
        return sorted(targets)

    def count_tests(self, selection: Sequence[str], build: Optional[Path] = None) -> int:
        done = subprocess.run(["ctest", "--test-dir", str(build or self.build),
                               "--show-only=json-v1",
                               *selection], capture_output=True, text=True, check=True)
        return len(json.loads(done.stdout).get("tests", []))


def compiler_launcher(like: Path, source: Path, tree: Path) -> List[str]:
    """CMake options that compile tree through the compiler cache as
    scripts/build compiles the build tree `like` of the working tree
    (`source`): its launcher, with the paths below tree taken relative; none
    when that build compiles without the cache."""
    launcher = _cache_values(like / "CMakeCache.txt").get("CMAKE_CXX_COMPILER_LAUNCHER", "")
    if not launcher:
        return []
    launcher = launcher.replace(f"CCACHE_BASEDIR={source}", f"CCACHE_BASEDIR={tree}")
    return [f"-DCMAKE_{lang}_COMPILER_LAUNCHER:STRING={launcher}" for lang in ("C", "CXX")]


def _cache_values(cache: Path) -> Dict[str, str]:
    """NAME:TYPE=VALUE entries of a CMakeCache.txt (none when it is missing)."""
    values = {}
    text = cache.read_text(errors="replace") if cache.exists() else ""
    for line in text.splitlines():
        match = re.match(r"^([A-Za-z_][A-Za-z0-9_]*):[A-Z]+=(.*)$", line)
        if match:
            values[match.group(1)] = match.group(2)
    return values


def _has(program: str) -> bool:
    return subprocess.run(["sh", "-c", f"command -v {program}"],
                          stdout=subprocess.DEVNULL).returncode == 0


# ------------------------------------------------------------ one fault

# "  3/12 Test  #81: name ......   Passed   41.86 sec" (or "***Failed",
# "***Timeout", "***Skipped", ...); a second try has no "3/12".
_RESULT = re.compile(r"^\s*(?:\d+/\d+ )?Test\s+#\d+: (\S+) \.*\s*(?:\*\*\*)?(\S.*?)\s+[\d.]+ sec$")


def test_results(output: str) -> List[Tuple[str, str]]:
    """(test, result) for every result line of ctest: "Passed", "Failed",
    "Skipped", "Timeout", "Not Run (Disabled)", ..."""
    return [(m.group(1), m.group(2)) for m in map(_RESULT.match, output.splitlines()) if m]


def did_not_run(result: str) -> bool:
    """A skipped or disabled test neither passed nor failed."""
    return result == "Skipped" or result.startswith("Not Run")


def run_fault(scratch: Scratch, fault: Fault, log_dir: Path) -> Outcome:
    if fault.unobservable:
        return Outcome(fault, UNOBSERVABLE, detail=fault.unobservable)
    started = time.monotonic()
    originals: Dict[Path, bytes] = {}
    try:
        for path, hunks in fault.edits.items():
            file = scratch.src / path
            if not file.exists():
                raise FaultError(f"{fault.name}: no file {path}")
            originals[file] = file.read_bytes()
            changed = apply_hunks(fault.name, path, originals[file].decode("latin-1"), hunks)
            file.write_bytes(changed.encode("latin-1"))
        if scratch.count_tests(fault.tests) == 0:
            raise FaultError(f"{fault.name}: the selection {' '.join(fault.tests)} names no test")
        built, output = scratch.build_targets(scratch.test_programs(fault.tests))
        if not built:
            (log_dir / f"{fault.name}.build.log").write_text(output)
            return Outcome(fault, BROKEN, 0, time.monotonic() - started,
                           f"does not build (see {log_dir / (fault.name + '.build.log')})")
        done = subprocess.run(["ctest", "--test-dir", str(scratch.build), "--no-tests=error",
                               "--output-on-failure", "-j2", "--stop-on-failure", *fault.tests],
                              capture_output=True, text=True)
        (log_dir / f"{fault.name}.ctest.log").write_text(done.stdout + done.stderr)
        results = [(name, result) for name, result in test_results(done.stdout)
                   if not did_not_run(result)]
        failed = [name for name, result in results if result != "Passed"]
        if not results:
            return Outcome(fault, NOT_RUN, 0, time.monotonic() - started,
                           "none of its tests runs on this build")
        if done.returncode != 0 and not failed:
            return Outcome(fault, BROKEN, len(results), time.monotonic() - started,
                           f"ctest ended with {done.returncode} without a failed test")
        verdict = CAUGHT if failed else SURVIVED
        detail = ("by " + ", ".join(failed)) if failed else ""
        return Outcome(fault, verdict, len(results), time.monotonic() - started, detail, failed)
    except FaultError as error:
        return Outcome(fault, BROKEN, 0, time.monotonic() - started, str(error))
    finally:
        for file, data in originals.items():
            file.write_bytes(data)


# ------------------------------------------------------------ the table

def table(outcomes: Sequence[Outcome]) -> str:
    rows = [("fault", "tests run", "caught or survived", "seconds")]
    for o in outcomes:
        ran = str(o.tests_run) if o.verdict not in (UNOBSERVABLE, NOT_RUN) else "-"
        rows.append((o.fault.name, ran, o.verdict, f"{o.seconds:.0f}"))
    widths = [max(len(r[i]) for r in rows) for i in range(4)]
    lines = []
    for index, row in enumerate(rows):
        lines.append(" | ".join(cell.ljust(widths[i]) for i, cell in enumerate(row)).rstrip())
        if index == 0:
            lines.append("-|-".join("-" * w for w in widths))
    return "\n".join(lines)


def notes(outcomes: Sequence[Outcome]) -> str:
    lines = []
    for o in outcomes:
        if o.verdict in (UNOBSERVABLE, BROKEN, SURVIVED, NOT_RUN):
            lines.append(f"{o.fault.name} ({o.verdict}): {o.detail or o.fault.reason}")
    return "\n".join(lines)


def check(source: Path, build: Path, faults: Sequence[Fault]) -> int:
    """Only tells whether every fault still applies to the working tree and,
    when the build tree is configured, whether its selection names tests."""
    broken = 0
    configured = (build / "CTestTestfile.cmake").exists()
    counts: Dict[Tuple[str, ...], int] = {}
    for fault in faults:
        try:
            for path, hunks in fault.edits.items():
                apply_hunks(fault.name, path, (source / path).read_bytes().decode("latin-1"),
                            hunks)
            selection = tuple(fault.tests)
            if configured and selection:
                if selection not in counts:
                    counts[selection] = Scratch(source, build).count_tests(selection, build)
                if counts[selection] == 0:
                    raise FaultError(f"{fault.name}: the selection {' '.join(selection)} "
                                     "names no test")
        except (FaultError, OSError) as error:
            print(error)
            broken += 1
    print(f"{len(faults) - broken} of {len(faults)} faults apply"
          + (" and name tests" if configured else ""))
    return 1 if broken else 0


class Confirmation:
    """A fault counts as caught only when the tests that failed with it pass
    without it. Those tests run once more, while other faults run, in a
    scratch tree that no fault changes: each test once, however many faults
    it caught. A catch whose tests fail there, or do not run, becomes an
    error."""

    def __init__(self, unchanged: Scratch, log_dir: Path):
        self.build = unchanged.build
        self.log = log_dir / "confirmation.log"
        self.log.write_text("")
        self.pending: "queue.Queue[Optional[str]]" = queue.Queue()
        self.asked: set = set()
        self.asking = threading.Lock()  # workers ask side by side
        self.passed: set = set()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def ask(self, outcome: Outcome) -> None:
        with self.asking:
            for name in outcome.failed:
                if name not in self.asked:
                    self.asked.add(name)
                    self.pending.put(name)

    def _run(self) -> None:
        ending = False
        while not ending:
            batch = [self.pending.get()]
            while not self.pending.empty():
                batch.append(self.pending.get())
            ending = None in batch
            tests = [t for t in batch if t is not None]
            if tests:
                self._confirm(tests)

    def _confirm(self, tests: Sequence[str]) -> None:
        selection = ["-R", "^(" + "|".join(re.escape(t) for t in tests) + ")$"]
        done = subprocess.run(["ctest", "--test-dir", str(self.build), "--output-on-failure",
                               "-j2", *selection], capture_output=True, text=True)
        with self.log.open("a") as log:
            log.write(done.stdout + done.stderr)
        self.passed |= {name for name, result in test_results(done.stdout) if result == "Passed"}

    def judge(self, outcomes: Sequence[Outcome]) -> None:
        """Waits for the last tests, then turns unconfirmed catches into errors."""
        self.pending.put(None)
        self.thread.join()
        for outcome in outcomes:
            unconfirmed = [name for name in outcome.failed if name not in self.passed]
            if outcome.verdict == CAUGHT and unconfirmed:
                outcome.verdict = BROKEN
                outcome.detail = (f"not a catch: {', '.join(unconfirmed)} also failed or did "
                                  f"not run without the fault (see {self.log})")


def baseline(scratch: Scratch, faults: Sequence[Fault], log_dir: Path) -> List[str]:
    """Runs every distinct selection on the unchanged tree: a fault can only
    count as caught by tests that pass without it. Returns the failing
    selections."""
    failing = []
    selections = sorted({tuple(f.tests) for f in faults if f.tests})
    for index, selection in enumerate(selections):
        progress(f"baseline {index + 1}/{len(selections)}: {' '.join(selection)}")
        built, output = scratch.build_targets(scratch.test_programs(selection))
        done = subprocess.run(["ctest", "--test-dir", str(scratch.build), "--no-tests=error",
                               "--output-on-failure", "-j2", *selection],
                              capture_output=True, text=True) if built else None
        if done is None or done.returncode != 0:
            (log_dir / f"baseline-{index + 1}.log").write_text(
                output if done is None else done.stdout + done.stderr)
            failing.append(" ".join(selection))
    return failing


def scratch_build_path(source: Path, build: Path) -> Path:
    """Where a scratch tree's build tree lies inside it: where the working
    tree's lies in the working tree (build/ when that is elsewhere)."""
    try:
        return build.resolve().relative_to(source.resolve())
    except ValueError:
        return Path("build")


def workers_wanted() -> int:
    """VTX_MUTANT_WORKERS, else two faults at a time on a machine with two
    processors or more: a fault's tests wait on Wine and the tool's pauses
    more than they compute."""
    wanted = os.environ.get("VTX_MUTANT_WORKERS", "")
    return max(1, int(wanted)) if wanted.isdigit() else min(2, os.cpu_count() or 1)


def prepare(scratch: Scratch, like: Path) -> bool:
    scratch.sync()
    scratch.configure(like)
    built, output = scratch.build_targets()
    if not built:
        print(output, file=sys.stderr)
        progress(f"the unchanged scratch tree {scratch.src} does not build")
    return built


def run_faults(scratches: Sequence[Scratch], faults: Sequence[Fault], log_dir: Path,
               confirmation: Confirmation) -> List[Outcome]:
    """Each worker takes the next fault in order until none is left."""
    todo: "queue.Queue[int]" = queue.Queue()
    for index in range(len(faults)):
        todo.put(index)
    outcomes: List[Optional[Outcome]] = [None] * len(faults)

    def work(scratch: Scratch) -> None:
        while True:
            try:
                index = todo.get_nowait()
            except queue.Empty:
                return
            fault = faults[index]
            progress(f"{fault.name}: {fault.reason}")
            try:
                outcome = run_fault(scratch, fault, log_dir)
            except (OSError, subprocess.CalledProcessError) as error:
                outcome = Outcome(fault, BROKEN, detail=str(error))
            progress(f"{fault.name}: {outcome.verdict} in {outcome.seconds:.0f} s {outcome.detail}")
            if outcome.verdict == CAUGHT:
                confirmation.ask(outcome)
            outcomes[index] = outcome

    threads = [threading.Thread(target=work, args=(s,)) for s in scratches]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return [o for o in outcomes if o is not None]


def main(argv: Sequence[str]) -> int:
    source = env.source_dir()
    options = {a for a in argv if a.startswith("--")}
    faults = load_faults(source / "tests" / "mutants", [a for a in argv if a not in options])
    if "--check" in options:
        return check(source, env.build_dir(), faults)
    root = env.build_dir() / "mutants"
    log_dir = root / "logs"
    log_dir.mkdir(parents=True, exist_ok=True)
    # One run at a time owns the scratch trees.
    lock = open(root / "lock", "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        progress(f"another run uses {root}; try again when it has ended")
        return 2
    started = time.monotonic()
    build_path = scratch_build_path(source, env.build_dir())
    count = min(workers_wanted(), len(faults)) or 1
    scratches = [Scratch(source, root / f"worker{n + 1}", build_path) for n in range(count)]
    unchanged = Scratch(source, root / "unchanged", build_path)
    for scratch in [*scratches, unchanged]:
        progress(f"copying the sources to {scratch.src} and building them "
                 "(the first run builds everything)")
        if not prepare(scratch, env.build_dir()):
            return 2
    if "--baseline" in options:
        failing = baseline(scratches[0], faults, log_dir)
        if failing:
            print("selections that fail without any fault (logs in " + str(log_dir) + "):")
            print("\n".join("  " + s for s in failing))
            return 2
        progress("every selection passes on the unchanged tree")
    progress(f"{len(faults)} faults, {count} at a time")
    confirmation = Confirmation(unchanged, log_dir)
    outcomes = run_faults(scratches, faults, log_dir, confirmation)
    progress(f"waiting for the confirmation of {len(confirmation.asked)} tests")
    confirmation.judge(outcomes)
    print(table(outcomes))
    extra = notes(outcomes)
    if extra:
        print()
        print(extra)
    caught = sum(o.verdict == CAUGHT for o in outcomes)
    print(f"\n{caught} of {len(outcomes)} caught, "
          f"{sum(o.verdict == UNOBSERVABLE for o in outcomes)} not observable under Wine, "
          f"{sum(o.verdict == NOT_RUN for o in outcomes)} not run on this build, "
          f"{time.monotonic() - started:.0f} s in all with {count} workers (logs in {log_dir})")
    bad = [o for o in outcomes if o.verdict in (SURVIVED, BROKEN)]
    return 1 if bad else 0


def run(argv: Sequence[str]) -> int:
    """main, with a fault file that no longer applies or a failing build
    step told in one line."""
    try:
        return main(argv)
    except (FaultError, OSError, subprocess.CalledProcessError) as error:
        progress(str(error))
        return 2


if __name__ == "__main__":
    sys.exit(run(sys.argv[1:]))
