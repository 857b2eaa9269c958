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
        "regkeys": "testkit/apps/regkeys.exe",
        "regdump": "testkit/apps/regdump.exe",
        "shortpauses": "testkit/shortpauses/vtxremove.exe",
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


# Wine gives a program the language of the locale it starts in; the tests
# expect English texts, whatever the host's LANG, unless a test chooses a
# locale (extra_env=locale_env("de_DE.UTF-8")). "C" is English to Wine.
ENGLISH = "C.UTF-8"


def locale_env(name: str) -> dict:
    """The variables that start a Windows program in the locale name."""
    return {"LC_ALL": name, "LANG": name}


# As winerun sets them (testkit/wine/dll-overrides): no Mono or Gecko, no menu
# entries on the Unix desktop for the prefix's shortcuts, no drivers for the
# host's USB and input devices.
DLL_OVERRIDES = (Path(__file__).resolve().parents[2] / "wine" / "dll-overrides").read_text().strip()


def wine_env(prefix_path: Path) -> dict:
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_") and k != "LANGUAGE"}
    env.update(locale_env(ENGLISH))
    env.update({
        "WINEPREFIX": str(prefix_path),
        "WINEARCH": wine_arch(),
        "WINEDEBUG": os.environ.get("WINEDEBUG", "-all"),
        "WINEDLLOVERRIDES": DLL_OVERRIDES,
    })
    if wine_arch() == "win64":
        env["WINELOADER"] = WINE64
    return env
