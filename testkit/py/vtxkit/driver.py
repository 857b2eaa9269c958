"""Plays the user through the driver program vtxdriver.exe: starts a
Windows program in a prefix, answers its message boxes, samples its
progress window and returns the transcript.

Transcript events (one per line, see records.py):
  desktop   ms=         (the prefix's desktop up and a window shown, before
                         the program is started; see testkit/README.md)
  start     program= cwd= pid=
  box       n= caption= buttons=yes,no text=       (each box once, numbered)
  answer    n= button= from=list|default|only|fallback
  hold      n= file=    / release n=              (a held box, see holds)
  mismatch  n= wanted=  (the listed answer has no button in that box)
  reclick   n=          (a click that did not end the box, repeated)
  progress  window= visible= pos= range= caption= heading= status=
  progress-gone window=
  window    class= caption=  (any other visible top-level window, once)
  exit      code=       (the program's exit code)
  timeout   seconds=    (the program was ended by the driver)
  error     message= [code=]  (the prefix cannot show a window, or the
                               program cannot be started)
  end       result=exit|timeout|error boxes="""
import itertools
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path
from typing import Dict, Iterable, List, Optional, Sequence

from . import env
from .records import Event, parse_lines

DEFAULT_CAPTION = "Pathmark 100 ADSL Router USB Driver Remove"
_serial = itertools.count(1)


@dataclass
class Box:
    n: int
    caption: str
    buttons: List[str]
    text: str
    answer: Optional[str] = None
    answered_from: Optional[str] = None


class Transcript:
    def __init__(self, text: str, driver_code: Optional[int]):
        self.text = text
        self.driver_code = driver_code
        self.events: List[Event] = parse_lines(text, timed=True)

    def of_kind(self, kind: str) -> List[Event]:
        return [e for e in self.events if e.kind == kind]

    @property
    def complete(self) -> bool:
        """True once the driver wrote its closing line."""
        return bool(self.of_kind("end"))

    @property
    def result(self) -> Optional[str]:
        ends = self.of_kind("end")
        return ends[-1]["result"] if ends else None

    @property
    def exit_code(self) -> Optional[int]:
        exits = self.of_kind("exit")
        return exits[-1].int("code") if exits else None

    @property
    def boxes(self) -> List[Box]:
        boxes: Dict[int, Box] = {}
        for e in self.events:
            if e.kind == "box":
                boxes[e.int("n")] = Box(e.int("n"), e["caption"],
                                        [b for b in e["buttons"].split(",") if b], e["text"])
            elif e.kind == "answer" and e.int("n") in boxes:
                boxes[e.int("n")].answer = e["button"]
                boxes[e.int("n")].answered_from = e["from"]
        return [boxes[n] for n in sorted(boxes)]

    @property
    def box_texts(self) -> List[str]:
        return [b.text for b in self.boxes]

    @property
    def progress(self) -> List[Event]:
        return self.of_kind("progress")

    def filled_progress(self, caption: str = DEFAULT_CAPTION) -> List[Event]:
        """The progress samples from the first that carries caption on: a
        program creates its window from a template, then sets its texts, and
        the driver may sample the window in between."""
        samples = self.progress
        titled = [i for i, e in enumerate(samples) if e["caption"] == caption]
        return samples[titled[0]:] if titled else []

    def progress_positions(self) -> List[int]:
        """The distinct bar positions in the order seen."""
        seen: List[int] = []
        for e in self.progress:
            pos = e.get("pos")
            if pos not in (None, "?") and (not seen or seen[-1] != int(pos)):
                seen.append(int(pos))
        return seen

    def progress_statuses(self, caption: Optional[str] = None) -> List[str]:
        """The distinct lower-line texts in the order seen; with caption,
        those of the filled window only (filled_progress)."""
        seen: List[str] = []
        for e in self.progress if caption is None else self.filled_progress(caption):
            if not seen or seen[-1] != e["status"]:
                seen.append(e["status"])
        return seen

    def summary(self) -> str:
        """The events without times, one per line, for reading or comparing."""
        return "\n".join(e.line() for e in self.events)

    def __str__(self) -> str:
        return self.text

    def __repr__(self) -> str:  # what a failed assert shows
        return f"Transcript (driver exit {self.driver_code}):\n{self.summary()}"


class DriverRun:
    """A driver started in the background (start_driver)."""

    def __init__(self, prefix, process: subprocess.Popen, transcript: Path,
                 holds: Dict[int, Path], timeout: float):
        self.prefix = prefix
        self.process = process
        self.transcript_path = transcript
        self.holds = holds
        self.timeout = timeout

    def transcript(self) -> Transcript:
        """What the driver wrote so far."""
        text = ""
        if self.transcript_path.exists():
            text = self.transcript_path.read_bytes().decode("cp1252", errors="replace")
        return Transcript(text, self.process.poll())

    def wait_for(self, kind: str, timeout: float = 30, **fields) -> Event:
        """Waits until the transcript holds an event of that kind whose
        fields have the given values (compared as text)."""
        deadline = time.monotonic() + timeout
        while True:
            ended = self.process.poll() is not None
            transcript = self.transcript()
            for e in transcript.events:
                if e.kind == kind and all(e.get(k) == str(v) for k, v in fields.items()):
                    return e
            if ended or time.monotonic() > deadline:
                why = "driver ended" if ended else "timed out"
                raise AssertionError(f"{why} without {kind} {fields}:\n{transcript}")
            time.sleep(0.05)

    def release(self, box: int) -> None:
        """Lets a held box be answered."""
        self.holds[box].write_text("go")

    def wait(self, timeout: Optional[float] = None) -> Transcript:
        try:
            self.process.wait(timeout=timeout if timeout is not None else self.timeout + 30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        return self.transcript()


def start_driver(prefix, program, *args, cwd=None, answers: Iterable[str] = (),
                 caption: str = DEFAULT_CAPTION, timeout: int = 120,
                 holds: Sequence[int] = (), memory_read: bool = True,
                 **start_options) -> DriverRun:
    """Starts the driver on program (Unix or Windows path) with the given
    current directory. answers: for boxes with more than one button, in
    order ("yes", "no", "ok", "cancel"); once they are used up such boxes get
    "no". holds: numbers of boxes to keep open until release(n).
    start_options go to Prefix.start (extra_env, stderr, ...)."""
    work = prefix.path / "vtxkit"
    work.mkdir(exist_ok=True)
    serial = next(_serial)
    transcript = work / f"transcript-{serial}.txt"
    if transcript.exists():
        transcript.unlink()
    hold_files = {n: work / f"release-{serial}-{n}" for n in holds}
    cmd = [env.kit_file("driver"), "--transcript", prefix.win(transcript),
           "--caption", caption, "--timeout", str(timeout)]
    if answers:
        cmd += ["--answers", ",".join(answers)]
    if cwd is not None:
        cmd += ["--cwd", prefix.win(cwd)]
    for n, path in hold_files.items():
        cmd += ["--hold", f"{n}:{prefix.win(path)}"]
    if not memory_read:
        cmd.append("--no-memory-read")
    cmd += ["--", prefix.win(program)] + [str(a) for a in args]
    process = prefix.start(*cmd, **start_options)
    return DriverRun(prefix, process, transcript, hold_files, timeout)


def run_driver(prefix, program, *args, **options) -> Transcript:
    """start_driver, then wait for its end; returns the transcript."""
    return start_driver(prefix, program, *args, **options).wait()
