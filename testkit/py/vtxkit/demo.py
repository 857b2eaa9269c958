"""The demo: installs a sample driver package into a sandbox Wine prefix,
shows its footprint, lets the tool remove it, and shows what is gone, what is
scheduled for the next start, the log, and that a restart removes the rest.

    python3 -m vtxkit.demo [--windows 95|98|me|2000|xp] [--interactive]

Without --interactive a scripted user confirms and puts the restart off;
with it, the person at the display answers the boxes."""
import argparse
import sys
import threading
import time
from pathlib import Path

from . import env
from .apps import FakeApp
from .driver import DEFAULT_CAPTION
from .fixture import PackageFixture
from .logs import pending_deletions, read_log_text, wininit_renames
from .png import bmp_to_png
from .prefix import Prefix
from .snapshot import Snapshot, diff

VERSIONS = {"95": "win95", "98": "win98", "me": "winme", "2000": "win2k", "xp": "winxp"}
COMPANIONS = [("Kelbridge Cpl Window Class", "Kelbridge Cpl Target Window", "tray program"),
              ("LINEWATCHAPP", "LINEWATCH", "line agent")]


def heading(text: str) -> None:
    print(f"\n=== {text} ===", flush=True)


def listing(title: str, items) -> None:
    items = list(items)
    print(f"{title} ({len(items)}):")
    for item in items:
        print(f"  {item}")


def show_inventory(fixture: PackageFixture, companions) -> None:
    heading("The driver package's footprint before the removal")
    mine = fixture.footprint
    listing("files", [f for f in mine.files if not f.lower().endswith(".lnk")])
    listing("shortcuts", [f for f in mine.files if f.lower().endswith(".lnk")])
    listing("folders", mine.dirs)
    listing("registry keys (HKLM)", mine.keys)
    listing("registry values (HKLM)", [f"{key} : {name}" for key, name in mine.values])
    listing("setup files left for removal at the next start", fixture.scheduled)
    listing("companion program windows",
            [f'"{title}" (class "{cls}"), the {what}' for cls, title, what in companions])
    listing("not the package's, must survive", fixture.sentinels.files + fixture.sentinels.keys)


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


def run_scripted(fixture: PackageFixture, snapper: Snapper) -> None:
    heading("Running vtxremove.exe with a scripted user (confirms, restarts later)")
    run = fixture.start_tool(answers=["yes", "no"], holds=[1])
    run.wait_for("hold", n=1, timeout=60)
    snapper.take("box", "confirmation")
    run.release(1)
    wait_for_bar(run, 20)
    snapper.take("progress", "progress")
    transcript = run.wait()
    print(transcript.summary())


def run_interactive(fixture: PackageFixture, snapper: Snapper) -> None:
    heading("Running vtxremove.exe: answer its questions on your display")
    stop = threading.Event()
    watcher = threading.Thread(target=snapper.watch, args=(stop,), daemon=True)
    watcher.start()
    tool = fixture.prefix.start(fixture.tool_exe, cwd=fixture.tool_dir)
    code = tool.wait()
    stop.set()
    watcher.join(timeout=5)
    print(f"vtxremove.exe ended with exit code {code}")


def show_results(fixture: PackageFixture, before: Snapshot) -> bool:
    prefix = fixture.prefix
    after = Snapshot.take(prefix)
    registry = prefix.registry()
    heading("What the removal changed (before/after snapshot)")
    print(diff(before, after))
    leftovers, lost = fixture.leftovers(registry), fixture.lost_sentinels(registry)
    listing("left of the package", leftovers)
    listing("lost of what is not the package's", lost)
    heading("Scheduled for deletion at the next start")
    if prefix.is_nt:
        listing("PendingFileRenameOperations", pending_deletions(prefix))
    else:
        listing("wininit.ini [rename]", [f"{k}={v}" for k, v in wininit_renames(prefix)])
    heading("The log, VTX.LOG in the Windows directory")
    print(read_log_text(prefix))
    heading("Restarting Windows in the prefix")
    prefix.restart()
    left = fixture.scheduled_left()
    listing("scheduled files still there after the restart", left)
    return not leftovers and not lost and not left


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--windows", choices=sorted(VERSIONS), default="xp")
    parser.add_argument("--interactive", action="store_true")
    args = parser.parse_args(argv)

    out = env.build_dir() / "demo"
    out.mkdir(parents=True, exist_ok=True)
    heading(f"Sandbox prefix as Windows {args.windows}")
    prefix = Prefix.fresh(VERSIONS[args.windows], name=f"demo-{args.windows}")
    print(prefix.path)
    fixture = PackageFixture(prefix, stub_config={"progress_calls": 3, "delay_ms": 300}).install()
    companions = [FakeApp(prefix, cls, title) for cls, title, _ in COMPANIONS]
    show_inventory(fixture, COMPANIONS)
    before = Snapshot.take(prefix)
    snapper = Snapper(prefix, out)
    (run_interactive if args.interactive else run_scripted)(fixture, snapper)
    closed = [what for app, (_, _, what) in zip(companions, COMPANIONS) if not app.alive()]
    listing("companion programs closed by the tool", closed)
    clean = show_results(fixture, before)
    for app in companions:
        app.stop()
    prefix.stop()
    heading("Screenshots")
    listing("saved", [str(p) for p in snapper.saved.values()])
    print("\nResult:", "the package is gone and nothing else was touched" if clean
          else "something was left or lost (see above)")
    return 0 if clean else 1


if __name__ == "__main__":
    sys.exit(main())
