"""The remote access library's stand-in (testkit/rasapi): copied into a
folder of a prefix and preferred to Wine's own library through a DLL
override, it records every load with the path it came from and every
RasDeleteEntryA call, in order, in C:\\rasapi_calls.txt:

    load C:\\windows\\system32\\rasapi32.dll
    delete |Pathmark Internet          (phonebook|entry; "" for the default)"""
import shutil
from pathlib import Path
from typing import List

from . import env

RECORD = r"C:\rasapi_calls.txt"
# For run_tool(extra_env=...): a rasapi32.dll file wins over Wine's built-in.
NATIVE_FIRST = {"WINEDLLOVERRIDES": env.DLL_OVERRIDES + ";rasapi32=n,b"}


def place_stand_in(folder: Path) -> Path:
    """Copies the stand-in into folder (a Unix path of the prefix) as
    rasapi32.dll. A copy of its own: the prefix's program images are hard
    links to the template's, which an in-place write would change too."""
    target = Path(folder) / "rasapi32.dll"
    if target.exists():
        target.unlink()
    shutil.copy(env.kit_file("rasapi"), target)
    return target


def recorded_calls(prefix) -> List[str]:
    """The recorded lines in order (empty when the stand-in never loaded)."""
    record = prefix.unix(RECORD)
    return record.read_text().splitlines() if record.exists() else []
