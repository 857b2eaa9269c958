"""Windows File Protection's stand-in (testkit/sfc): in a prefix's system
directory and preferred to Wine's own library (which protects nothing), its
SfcIsFileProtected says yes for the paths of C:\\sfc_protected.txt."""
import shutil

from . import env

# For run_tool(extra_env=...): the sfc.dll file wins over Wine's built-in.
NATIVE_FIRST = {"WINEDLLOVERRIDES": env.DLL_OVERRIDES + ";sfc=n,b"}


def protect(prefix, paths) -> None:
    """The stand-in as the system directory's sfc.dll (a copy of its own:
    program images are hard links to the template's), paths listed."""
    target = prefix.system_dir / "sfc.dll"
    target.unlink(missing_ok=True)
    shutil.copy(env.kit_file("sfc"), target)
    prefix.unix(r"C:\sfc_protected.txt").write_text("".join(f"{p}\r\n" for p in paths))
