"""Stand-ins for other programs: fakeapp (a companion program's window) and
holdfile (files held open without sharing)."""
import itertools
import time
from pathlib import Path
from typing import List, Optional, Sequence

from . import env

_serial = itertools.count(1)


def _wait_file(path: Path, process, timeout: float, what: str) -> str:
    deadline = time.monotonic() + timeout
    while not path.exists():
        if process.poll() is not None:
            raise RuntimeError(f"{what} ended (code {process.returncode}) before it was ready")
        if time.monotonic() > deadline:
            raise TimeoutError(f"{what} not ready after {timeout} s")
        time.sleep(0.02)
    return path.read_text(errors="replace")


class FakeApp:
    """A top-level window of the given class and title in its own process.
    Its log lists what it was asked: "syscommand-close", "close",
    "queryendsession", "endsession", "closed-after-delay", "destroy",
    "exit". It may first wait up to 120 s for the prefix's desktop (see
    testkit/README.md); timeout is longer, so that fakeapp's own verdict
    (it ends with 2) is what a test sees."""

    def __init__(self, prefix, window_class: str, title: Optional[str], *,
                 ignore_close: bool = False, close_delay_ms: int = 0, hidden: bool = False,
                 lifetime_ms: int = 0, timeout: float = 150):
        self.prefix = prefix
        work = prefix.path / "vtxkit"
        work.mkdir(exist_ok=True)
        serial = next(_serial)
        self.ready_file = work / f"fakeapp-{serial}.ready"
        self.log_file = work / f"fakeapp-{serial}.log"
        args = ["--class", window_class, "--ready", prefix.win(self.ready_file),
                "--log", prefix.win(self.log_file)]
        args += ["--no-title"] if title is None else ["--title", title]
        if ignore_close:
            args.append("--ignore-close")
        if close_delay_ms:
            args += ["--close-delay", str(close_delay_ms)]
        if hidden:
            args.append("--hidden")
        if lifetime_ms:
            args += ["--lifetime", str(lifetime_ms)]
        self.process = prefix.start(env.kit_file("fakeapp"), *args)
        self.pid = int(_wait_file(self.ready_file, self.process, timeout, "fakeapp").strip())

    def log(self) -> List[str]:
        if not self.log_file.exists():
            return []
        return self.log_file.read_text(errors="replace").split()

    def alive(self) -> bool:
        return self.process.poll() is None

    def wait(self, timeout: float = 10) -> Optional[int]:
        """Waits for the program to end by itself; its exit code or None."""
        try:
            return self.process.wait(timeout=timeout)
        except Exception:
            return None

    def stop(self) -> None:
        if self.alive():
            self.process.kill()
            self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class HoldFile:
    """Keeps files (Windows or Unix paths) open without sharing, so that
    other programs can neither delete, move, copy nor read them."""

    def __init__(self, prefix, paths: Sequence, timeout: float = 30):
        self.prefix = prefix
        work = prefix.path / "vtxkit"
        work.mkdir(exist_ok=True)
        serial = next(_serial)
        self.ready_file = work / f"holdfile-{serial}.ready"
        self.stop_file = work / f"holdfile-{serial}.stop"
        args = ["--ready", prefix.win(self.ready_file), "--stop", prefix.win(self.stop_file)]
        args += [prefix.win(p) for p in paths]
        self.process = prefix.start(env.kit_file("holdfile"), *args)
        report = _wait_file(self.ready_file, self.process, timeout, "holdfile")
        self.held = [line[5:] for line in report.splitlines() if line.startswith("held ")]
        self.failed = [line[7:] for line in report.splitlines() if line.startswith("failed ")]
        if self.failed:
            self.stop()
            raise RuntimeError(f"holdfile could not open: {self.failed}")

    def alive(self) -> bool:
        return self.process.poll() is None

    def release(self, timeout: float = 10) -> None:
        """Closes the files (the program ends)."""
        self.stop_file.write_text("stop")
        try:
            self.process.wait(timeout=timeout)
        except Exception:
            self.stop()

    def stop(self) -> None:
        if self.alive():
            self.process.kill()
            self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
