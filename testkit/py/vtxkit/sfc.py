"""Windows File Protection's stand-in (testkit/sfc): placed in a prefix's
system directory and preferred to Wine's own library (which protects
nothing), its SfcIsFileProtected says yes for the paths of
C:\\sfc_protected.txt, one a line, in any case."""
import shutil
from typing import Iterable

from . import env

LIST = r"C:\sfc_protected.txt"
# For run_tool(extra_env=...): the sfc.dll file wins over Wine's built-in.
NATIVE_FIRST = {"WINEDLLOVERRIDES": "mscoree,mshtml=;sfc=n,b"}


def protect(prefix, paths: Iterable[str]) -> None:
    """Places the stand-in as the system directory's sfc.dll (a copy of its
    own: program images are hard links to the template's) and lists paths
    (Windows paths) as protected."""
    target = prefix.system_dir / "sfc.dll"
    if target.exists():
        target.unlink()
    shutil.copy(env.kit_file("sfc"), target)
    prefix.unix(LIST).write_text("".join(f"{path}\r\n" for path in paths))
