"""Prints how long the kit's common steps take here, the new ways beside the
ways they replaced (the registry read by reg.exe, a fresh prefix without the
version template, the shipped tool beside its short-pause build):

    testkit/python tools/bench/measure.py
        (with the environment scripts/bench gives: DISPLAY, a build,
        PYTHONPATH=testkit/py)"""
import sys
import time

from vtxkit import env
from vtxkit.driver import run_driver
from vtxkit.package import Package
from vtxkit import prefix as prefix_module
from vtxkit.prefix import Prefix
from vtxkit.snapshot import Snapshot


def _time(label: str, action):
    started = time.monotonic()
    result = action()
    print(f"{label:<40} {time.monotonic() - started:6.2f} s")
    return result


def _fresh_as_before() -> Prefix:
    """A copy of winerun's template, booted, then the version and its layout
    files set and the folders asked: what every test did before the version
    templates."""
    made = Prefix(prefix_module._prepare("measure-before"), "winxp")
    made.boot()
    made.set_version("winxp")
    made.folders()
    return made


def main() -> int:
    scenario = env.build_dir() / "testkit" / "tests" / "scenario.exe"
    Prefix.fresh("winxp", "measure").remove()  # the version template, once
    prefix = _time("fresh prefix (version template)", lambda: Prefix.fresh("winxp", "measure"))
    try:
        _time("folders (the template's answers)", prefix.folders)
        old = _time("fresh prefix as before (copy, boot, version)", _fresh_as_before)
        old.remove()
        package = _time("package install (the sample)", lambda: Package(prefix).install())
        key = package.package_key
        _time("reg_value (reg query)", lambda: prefix.reg_value(key, "vci"))
        _time("read_key (regdump.exe, one key)", lambda: prefix.read_key(key))
        _time("read_key (reg export, one key)", lambda: prefix.exported_keys([key]))
        whole = _time("registry (regdump.exe, no Classes)", prefix.registry)
        tops = [rf"HKLM\Software\{name}" for name in whole.subkeys(r"HKLM\Software")]
        _time("the same by reg.exe (as before)",
              lambda: (prefix.wine(["reg", "query", r"HKLM\Software"]),
                       prefix.exported_keys(tops + [r"HKLM\System", "HKCU"])))
        _time("snapshot (files + live registry)", lambda: Snapshot.take(prefix))
        _time("snapshot right after (read once)", lambda: Snapshot.take(prefix))
        if scenario.exists():
            _time("driver run (scenario, 3 boxes)",
                  lambda: run_driver(prefix, scenario, "--pause", "0", answers=["yes"]))
        _time("registry_from_files (stops prefix)", prefix.registry_from_files)
        _time("boot after stop", prefix.boot)
        _time("restart (stop + boot)", prefix.restart)
    finally:
        _time("remove prefix", prefix.remove)
    for short in (False, True):
        other = Prefix.fresh("winxp", "measure-tool")
        package = Package(other, short_pauses=short).install()
        _time("tool run, " + ("short pauses" if short else "shipped (10 s of pauses)"),
              lambda: package.run_tool(answers=["yes", "no"]))
        other.remove()
    return 0


if __name__ == "__main__":
    sys.exit(main())
