"""The installer-library stand-in: put it beside the tool, set how it
answers, and read the calls it recorded.

Its settings file "kmiinst.cfg" ([Stub]): ProgressCalls (callbacks per
uninstall, default 2), ProgressFigures (comma list, default 25, 50, ...),
ProgressDelayMs (pause before each callback, taking messages sent to the
caller's windows), IsUserAdmin (1/0), InitializeStatus, UninstallStatus,
UninstallDeletes (Windows paths separated by "|" that uninstall deletes
after its progress calls, as a package's own uninstaller removes files).

Its call list "kmiinst.calls" has one line per event:
  load pid=N
  isUserAdmin result=1
  initialize record=0x... hwType=... hwChipset=... usbCtrlr=... modemId=...
             reservedText1=... reservedNumber=0 flags=0,0,0 reservedText2=...
  uninstall callback=0x... arg=0x... calls=N
  progress n=1 figure=25 bar=20   (bar: the caller's progress bar after the
                                   callback, or "none")
  uninstall-deleted path=C:\\... deleted=1
  uninstall-done status=0
  unload freed=1                  (1: FreeLibrary, 0: process exit)"""
import shutil
from pathlib import Path
from typing import List, Optional, Sequence

from . import env
from .records import Event, parse_lines


def install_stub(directory: Path, variant: str = "normal", progress_calls: int = 2,
                 figures: Optional[Sequence[int]] = None, is_user_admin: bool = True,
                 delay_ms: int = 0, initialize_status: int = 0,
                 uninstall_status: int = 0, uninstall_deletes: Sequence[str] = ()) -> Path:
    """Copies the stand-in ("normal", or "noadmin" without isUserAdmin) into
    directory as kmiinst.dll with its settings; an old call list is removed.
    Returns the DLL's path."""
    directory = Path(directory)
    directory.mkdir(parents=True, exist_ok=True)
    source = env.kit_file("kmiinst" if variant == "normal" else "kmiinst-" + variant)
    target = directory / "kmiinst.dll"
    shutil.copyfile(source, target)
    write_stub_config(directory, progress_calls, figures, is_user_admin, delay_ms,
                      initialize_status, uninstall_status, uninstall_deletes)
    calls = directory / "kmiinst.calls"
    if calls.exists():
        calls.unlink()
    return target


def write_stub_config(directory: Path, progress_calls: int = 2,
                      figures: Optional[Sequence[int]] = None, is_user_admin: bool = True,
                      delay_ms: int = 0, initialize_status: int = 0,
                      uninstall_status: int = 0, uninstall_deletes: Sequence[str] = ()) -> None:
    lines = ["[Stub]", f"ProgressCalls={progress_calls}",
             f"IsUserAdmin={1 if is_user_admin else 0}", f"ProgressDelayMs={delay_ms}",
             f"InitializeStatus={initialize_status}", f"UninstallStatus={uninstall_status}"]
    if figures is not None:
        lines.append("ProgressFigures=" + ",".join(str(f) for f in figures))
    if uninstall_deletes:
        lines.append("UninstallDeletes=" + "|".join(uninstall_deletes))
    (Path(directory) / "kmiinst.cfg").write_bytes(("\r\n".join(lines) + "\r\n").encode())


def read_calls(directory: Path) -> List[Event]:
    """The recorded calls in order (empty when the stand-in was never loaded)."""
    path = Path(directory) / "kmiinst.calls"
    if not path.exists():
        return []
    return parse_lines(path.read_bytes().decode("cp1252", errors="replace"), timed=False)


def call_kinds(directory: Path, skip=("load", "unload")) -> List[str]:
    """Just the event words, without load and unload by default."""
    return [e.kind for e in read_calls(directory) if e.kind not in skip]
