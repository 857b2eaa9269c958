"""The demo: the rehearsal (vtxkit.rehearsal) of a described driver package,
by default the sample package dist/sample-pathmark100.ini, told step by step,
with pictures of the tool's boxes and progress window, and all of it on one
page, report.html (report.py), beside the pictures.

    testkit/python tools/demo/demo.py [--package FILE] [--windows 95|98|me|2000|xp]
                                      [--interactive] [--out DIR]  (scripts/demo runs it)

Without --interactive a scripted user confirms and puts the restart off;
with it, the person at the display answers the boxes."""
import argparse
import shutil
import struct
import subprocess
import sys
import threading
import time
from pathlib import Path
from typing import List, Tuple

import report
from png import bmp_to_png
from vtxkit import env
from vtxkit.description import SAMPLE, DescriptionError, PackageDescription
from vtxkit.driver import DEFAULT_CAPTION, start_driver
from vtxkit.prefix import Prefix, WineError
from vtxkit.rehearsal import VERSIONS, Outcome, Rehearsal, short_key

SNAPSHOT = env.build_dir() / "tools" / "demo" / "snapshot.exe"


def heading(text: str) -> None:
    print(f"\n=== {text} ===", flush=True)


def listing(title: str, items) -> None:
    items = list(items)
    print(f"{title} ({len(items)}):")
    for item in items:
        print(f"  {item}")


# ---------------------------------------------------------------- pictures
HELD_BOXES = range(1, 9)  # more than a run shows: each is held for its picture
BOX_TRIES = 5


class Snapper:
    """Takes the pictures of the tool's windows, in the order it shows them."""

    def __init__(self, out: Path):
        self.prefix, self.out = None, out
        self.saved: List[Tuple[str, Path]] = []  # (what it shows, PNG file)

    def take(self, kind: str, name: str, what: str) -> bool:
        bmp = self.out / f"{name}.bmp"
        done = self.prefix.run(SNAPSHOT, "--caption", DEFAULT_CAPTION,
                               "--kind", kind, "--out", self.prefix.win(bmp), timeout=30)
        if done.returncode != 0 or not bmp.exists():
            return False
        png = self.out / f"{name}.png"
        bmp_to_png(bmp, png)
        bmp.unlink()
        self.saved.append((what, png))
        return True

    def follow(self, run) -> None:
        """For the scripted run: a picture of each box while the driver holds
        it, and of the progress window once its bar has reached 20 (devices
        are being uninstalled), until the driver ends."""
        pictured, progress, tries = set(), False, {}
        while run.process.poll() is None:
            transcript = run.transcript()
            if not progress and any(p >= 20 for p in transcript.progress_positions()):
                progress = self.take("progress", "progress", "The progress window at work")
            for box in transcript.boxes:
                held = any(e.int("n") == box.n for e in transcript.of_kind("hold"))
                if held and box.n not in pictured:
                    # A box not yet drawn gives no picture: it stays held for
                    # a few more tries.
                    tries[box.n] = tries.get(box.n, 0) + 1
                    if self.take("box", f"box-{box.n}", f"Box {box.n}: {box.text}") \
                            or tries[box.n] >= BOX_TRIES:
                        pictured.add(box.n)
                        run.release(box.n)
            time.sleep(0.05)

    def watch(self, stop: threading.Event) -> None:
        """For the interactive run: keeps trying until both pictures exist."""
        wanted = {"box-1": ("box", "The first box"),
                  "progress": ("progress", "The progress window")}
        while wanted and not stop.is_set():
            for name, (kind, what) in list(wanted.items()):
                if self.take(kind, name, what):
                    del wanted[name]
            time.sleep(0.2)


def scripted_runner(snapper: Snapper):
    """A scripted user who confirms and puts the restart off, with pictures
    of every box and of the progress window at work."""
    def run_scripted(prefix: Prefix, tool_exe: Path, tool_dir: str) -> None:
        heading("Running vtxremove.exe with a scripted user (confirms, restarts later)")
        snapper.prefix = prefix
        run = start_driver(prefix, tool_exe, cwd=tool_dir, answers=["yes", "no"],
                           holds=list(HELD_BOXES))
        snapper.follow(run)
        print(run.wait().summary())
    return run_scripted


def interactive_runner(snapper: Snapper):
    def run_interactive(prefix: Prefix, tool_exe: Path, tool_dir: str) -> None:
        heading("Running vtxremove.exe: answer its questions on your display")
        snapper.prefix = prefix
        stop = threading.Event()
        watcher = threading.Thread(target=snapper.watch, args=(stop,), daemon=True)
        watcher.start()
        code = prefix.start(tool_exe, cwd=tool_dir).wait()
        stop.set()
        watcher.join(timeout=5)
        print(f"vtxremove.exe ended with exit code {code}")
    return run_interactive


# ---------------------------------------------------------------- the story
def show_footprint(rehearsal: Rehearsal) -> None:
    heading("The driver package's footprint before the removal")
    description, footprint = rehearsal.description, rehearsal.footprint
    files = [i[1] for i in footprint if i[0] == "file"]
    listing("files", [f for f in files if not f.lower().endswith(".lnk")])
    listing("shortcuts", [f for f in files if f.lower().endswith(".lnk")])
    listing("folders", [i[1] for i in footprint if i[0] == "dir"])
    listing("registry keys", [short_key(i[1]) for i in footprint if i[0] == "key"])
    listing("registry values in keys that are not the package's",
            [f"{short_key(i[1])} : {i[2]}" for i in footprint if i[0] == "value"])
    listing("dial-up entries", description.dialups)
    listing("companion program windows",
            [f'"{t}" (class "{c}"), {label}' for label, c, t in description.windows])
    others = rehearsal.package.sentinels
    listing("not the package's, must survive",
            others.files + others.keys + [f"{k} : {n}" for k, n in others.values])


def show_removal(outcome: Outcome, nt: bool) -> None:
    listing("companion programs closed by the tool", outcome.companions_closed)
    heading("What the removal changed (before/after snapshot)")
    listing("removed", outcome.removed)
    listing("left of the package", outcome.left)
    listing("what else changed", outcome.else_changed)
    heading("Scheduled for deletion at the next start")
    listing("PendingFileRenameOperations" if nt else "wininit.ini [rename] NUL", outcome.scheduled)
    heading("The log, VTX.LOG in the Windows directory")
    print(outcome.log)


def show_restart(outcome: Outcome) -> None:
    listing("left of the package after the restart", outcome.left_after_restart)
    listing("what else changed after the restart", outcome.else_changed_after_restart)


def summary(outcome: Outcome) -> str:
    if outcome.clean:
        return "the package is gone and nothing else was touched"
    return "something of the package was left or something else changed (see above)"


def rehearse(rehearsal: Rehearsal, runner) -> Outcome:
    heading(f"Sandbox prefix as Windows {rehearsal.windows}: {rehearsal.description.name}")
    rehearsal.install()
    print(rehearsal.prefix.path)
    show_footprint(rehearsal)
    show_removal(rehearsal.remove(runner), rehearsal.prefix.is_nt)
    heading("Restarting Windows in the prefix")
    outcome = rehearsal.restart()
    show_restart(outcome)
    return outcome


# ---------------------------------------------------------------- main
def unloadable_library(description: PackageDescription) -> str:
    """Why the package's own installer library cannot be rehearsed here: the
    64-bit test build cannot load a 32-bit library. Empty when it can."""
    library = description.installer_library
    if library is None or env.wine_arch() != "win64":
        return ""
    data = library.read_bytes()
    header = struct.unpack_from("<I", data, 0x3C)[0] if len(data) >= 0x40 else len(data)
    if data[header:header + 6] == b"PE\0\0\x64\x86":  # machine x86-64
        return ""
    return (f"{library} is a 32-bit library, and this host runs the 64-bit test build, which "
            "cannot load it: leave InstallerLibrary empty to rehearse with the kit's stand-in")


# Exit codes, as the README lists them.
CLEAN, LEFT_OR_CHANGED, BAD_DESCRIPTION, COULD_NOT_RUN = 0, 1, 2, 3


def missing_wine() -> str:
    """Names the Wine program this run needs and cannot find, else ""."""
    for program in (env.wine(), "wineserver"):
        if shutil.which(program) is None:
            return (f"demo: Wine is missing ({program} not found): scripts/build installs it "
                    "where it can, or says which packages to install")
    return ""


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--package", type=Path, default=SAMPLE,
                        help="package description (default: the sample package)")
    parser.add_argument("--windows", choices=sorted(VERSIONS), default="xp")
    parser.add_argument("--interactive", action="store_true")
    parser.add_argument("--out", type=Path, default=env.build_dir() / "demo",
                        help="folder for the page and the pictures (default: build/demo)")
    args = parser.parse_args(argv)

    try:
        description = PackageDescription.read(args.package)
        problem = unloadable_library(description)
    except (DescriptionError, OSError) as error:
        problem = str(error)
    if problem:
        print(problem, file=sys.stderr)
        return BAD_DESCRIPTION
    problem = missing_wine()
    if problem:
        print(problem, file=sys.stderr)
        return COULD_NOT_RUN
    out = args.out
    out.mkdir(parents=True, exist_ok=True)
    name = f"demo-{args.windows}" if args.package.resolve() == SAMPLE.resolve() else \
        f"demo-{args.package.stem}-{args.windows}"
    snapper = Snapper(out)
    runner = (interactive_runner if args.interactive else scripted_runner)(snapper)
    rehearsal = Rehearsal(description, args.windows, prefix_name=name)
    try:
        outcome = rehearse(rehearsal, runner)
    except (WineError, OSError, subprocess.SubprocessError) as error:
        print(f"demo: the rehearsal could not run: {error}", file=sys.stderr)
        return COULD_NOT_RUN
    heading("Screenshots")
    listing("saved", [str(p) for _, p in snapper.saved])
    page = report.write(out / "report.html", rehearsal, outcome, summary(outcome),
                        outcome.exit_code, snapper.saved, args.package.resolve())
    print(f"\nThe page with all of it (attach it to your release check): {page}")
    print("\nResult:", summary(outcome))
    return outcome.exit_code


if __name__ == "__main__":
    sys.exit(main())
