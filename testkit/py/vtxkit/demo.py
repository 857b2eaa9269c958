"""The demo: the rehearsal (rehearsal.py) of a described driver package,
by default the sample package dist/sample-pathmark100.ini, with pictures of
the tool's boxes and progress window.

    python3 -m vtxkit.demo [--package FILE] [--windows 95|98|me|2000|xp] [--interactive]

Without --interactive a scripted user confirms and puts the restart off;
with it, the person at the display answers the boxes."""
import argparse
import struct
import subprocess
import sys
import threading
import time
from pathlib import Path

from . import env
from .driver import DEFAULT_CAPTION, start_driver
from .package import DescriptionError, PackageDescription
from .png import bmp_to_png
from .prefix import Prefix, WineError
from .rehearsal import VERSIONS, Rehearsal, heading, listing, summary

SAMPLE = env.source_dir() / "dist" / "sample-pathmark100.ini"


class Snapper:
    """Takes the pictures: the confirmation question and the progress window."""

    def __init__(self, prefix: Prefix, out: Path):
        self.prefix, self.out = prefix, out
        self.saved = {}

    def take(self, kind: str, name: str) -> bool:
        bmp = self.out / f"{name}.bmp"
        done = self.prefix.run(env.kit_file("snapshot"), "--caption", DEFAULT_CAPTION,
                               "--kind", kind, "--out", self.prefix.win(bmp), timeout=30)
        if done.returncode != 0 or not bmp.exists():
            return False
        png = self.out / f"{name}.png"
        bmp_to_png(bmp, png)
        bmp.unlink()
        self.saved[name] = png
        return True

    def watch(self, stop: threading.Event) -> None:
        """For the interactive run: keeps trying until both pictures exist."""
        wanted = {"confirmation": "box", "progress": "progress"}
        while wanted and not stop.is_set():
            for name, kind in list(wanted.items()):
                if self.take(kind, name):
                    del wanted[name]
            time.sleep(0.2)


def wait_for_bar(run, position: int, timeout: float = 60) -> None:
    """Waits until the progress bar has reached position (devices are being
    uninstalled), so that the picture shows the run at work."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if any(p >= position for p in run.transcript().progress_positions()):
            return
        time.sleep(0.05)


def scripted_runner(snapper: Snapper):
    """A scripted user who confirms and puts the restart off, with pictures
    of the confirmation question and of the progress window at work."""
    def run_scripted(prefix: Prefix, tool_exe: Path, tool_dir: str) -> None:
        heading("Running vtxremove.exe with a scripted user (confirms, restarts later)")
        run = start_driver(prefix, tool_exe, cwd=tool_dir, answers=["yes", "no"], holds=[1])
        run.wait_for("hold", n=1, timeout=60)
        snapper.take("box", "confirmation")
        run.release(1)
        wait_for_bar(run, 20)
        snapper.take("progress", "progress")
        print(run.wait().summary())
    return run_scripted


def interactive_runner(snapper: Snapper):
    def run_interactive(prefix: Prefix, tool_exe: Path, tool_dir: str) -> None:
        heading("Running vtxremove.exe: answer its questions on your display")
        stop = threading.Event()
        watcher = threading.Thread(target=snapper.watch, args=(stop,), daemon=True)
        watcher.start()
        code = prefix.start(tool_exe, cwd=tool_dir).wait()
        stop.set()
        watcher.join(timeout=5)
        print(f"vtxremove.exe ended with exit code {code}")
    return run_interactive


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


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--package", type=Path, default=SAMPLE,
                        help="package description (default: the sample package)")
    parser.add_argument("--windows", choices=sorted(VERSIONS), default="xp")
    parser.add_argument("--interactive", action="store_true")
    args = parser.parse_args(argv)

    try:
        description = PackageDescription.read(args.package)
        problem = unloadable_library(description)
    except (DescriptionError, OSError) as error:
        problem = str(error)
    if problem:
        print(problem, file=sys.stderr)
        return 2
    out = env.build_dir() / "demo"
    out.mkdir(parents=True, exist_ok=True)
    name = f"demo-{args.windows}" if args.package.resolve() == SAMPLE.resolve() else \
        f"demo-{args.package.stem}-{args.windows}"
    snapper = Snapper(None, out)
    runner = (interactive_runner if args.interactive else scripted_runner)(snapper)

    def run_with_pictures(prefix: Prefix, tool_exe: Path, tool_dir: str) -> None:
        snapper.prefix = prefix
        runner(prefix, tool_exe, tool_dir)

    try:
        outcome = Rehearsal(description, args.windows, prefix_name=name,
                            runner=run_with_pictures).run()
    except (WineError, OSError, subprocess.SubprocessError) as error:
        print(f"demo: {error}", file=sys.stderr)
        return 1
    heading("Screenshots")
    listing("saved", [str(p) for p in snapper.saved.values()])
    print("\nResult:", summary(outcome))
    return outcome.exit_code


if __name__ == "__main__":
    sys.exit(main())
