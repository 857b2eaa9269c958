"""Prints how long the kit's common steps take here:

    python3 -m vtxkit.measure      (needs DISPLAY and a built test kit)"""
import sys
import time

from . import env
from .driver import run_driver
from .fixture import PackageFixture
from .prefix import Prefix
from .snapshot import Snapshot


def _time(label: str, action):
    started = time.monotonic()
    result = action()
    print(f"{label:<40} {time.monotonic() - started:6.2f} s")
    return result


def main() -> int:
    scenario = env.build_dir() / "testkit" / "tests" / "scenario.exe"
    prefix = _time("fresh prefix (copy, boot, version)", lambda: Prefix.fresh("winxp", "measure"))
    try:
        _time("folders (winpaths.exe)", prefix.folders)
        fixture = _time("fixture install", lambda: PackageFixture(prefix).install())
        key = fixture.package_key
        _time("reg_value (reg query)", lambda: prefix.reg_value(key, "vci"))
        _time("read_key (reg export, one key)", lambda: prefix.read_key(key))
        _time("registry (live, without Classes)", prefix.registry)
        _time("snapshot (files + live registry)", lambda: Snapshot.take(prefix))
        if scenario.exists():
            _time("driver run (scenario, 3 boxes)",
                  lambda: run_driver(prefix, scenario, "--pause", "0", answers=["yes"]))
        _time("registry_from_files (stops prefix)", prefix.registry_from_files)
        _time("boot after stop", prefix.boot)
        _time("restart (stop + boot)", prefix.restart)
    finally:
        _time("remove prefix", prefix.remove)
    return 0


if __name__ == "__main__":
    sys.exit(main())
