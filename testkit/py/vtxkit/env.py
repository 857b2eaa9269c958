"""Where things are: the source and build trees, the Wine prefixes, the
kit's own programs, and the environment for running Wine."""
import os
from pathlib import Path

_HERE = Path(__file__).resolve().parent


def source_dir() -> Path:
    value = os.environ.get("VTX_SOURCE_DIR")
    return Path(value) if value else _HERE.parents[2]


def build_dir() -> Path:
    value = os.environ.get("VTX_BUILD_DIR")
    return Path(value) if value else source_dir() / "build"


def wine_root() -> Path:
    value = os.environ.get("VTX_WINE_ROOT")
    return Path(value) if value else build_dir() / "wine"


def package_dir() -> Path:
    """The shipped files: the tool, its language libraries, the sample INI."""
    return build_dir() / "package"


def winerun() -> Path:
    return source_dir() / "testkit" / "wine" / "winerun"


def kit_file(name: str) -> Path:
    """A program or library of the kit, by its short name."""
    files = {
        "driver": "testkit/driver/vtxdriver.exe",
        "kmiinst": "testkit/kmiinst/kmiinst.dll",
        "kmiinst-noadmin": "testkit/kmiinst-noadmin/kmiinst.dll",
        "rasapi": "testkit/rasapi/rasapi32.dll",
        "sfc": "testkit/sfc/sfc.dll",
        "fakeapp": "testkit/apps/fakeapp.exe",
        "holdfile": "testkit/apps/holdfile.exe",
        "winpaths": "testkit/apps/winpaths.exe",
        "snapshot": "testkit/apps/snapshot.exe",
        "logbench": "testkit/bench/logbench.exe",
        "wininitbench": "testkit/bench/wininitbench.exe",
        "emptyprogram": "testkit/bench/emptyprogram.exe",
        "floorprogram": "testkit/bench/floorprogram.exe",
    }
    path = build_dir() / files[name]
    if not path.exists():
        raise FileNotFoundError(f"{path} is missing: build the test kit first")
    return path


WINE64 = "/usr/lib/wine/wine64"


def wine_arch() -> str:
    """"win64" when the programs of this run are the 64-bit test build (its
    tests and the scripts say so through WINEARCH), else "win32"."""
    return "win64" if os.environ.get("WINEARCH") == "win64" else "win32"


def wine() -> str:
    """The Wine loader for this run's programs: /usr/bin/wine starts the
    32-bit loader whenever wine32 is installed, so 64-bit programs get the
    64-bit loader by name."""
    return WINE64 if wine_arch() == "win64" else "wine"


def wine_env(prefix_path: Path) -> dict:
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": str(prefix_path),
        "WINEARCH": wine_arch(),
        "WINEDEBUG": os.environ.get("WINEDEBUG", "-all"),
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
    })
    if wine_arch() == "win64":
        env["WINELOADER"] = WINE64
    return env
