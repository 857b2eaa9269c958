"""What the end-to-end tests need of pytest beyond its defaults (loaded by
testkit/pytest.ini; testkit/e2e.cmake runs one test function per ctest test):

- the asserts of the modules the tests share (every module of the tests'
  folders, not only test_*.py) name what they got and what they expected;
- the prefixes a test makes are named after it ("<file>.<test>"), removed
  when it passes and kept when it fails (VTX_KEEP_PREFIXES=1 keeps all);
- a skipped test prints "SKIPPED <file>.<test>: reason" (the end of
  scripts/test reads it) and exits with 77, ctest's code for skipped;
- where its seconds went (budget.py) goes to build/Testing/budget/."""
import os
import time
from pathlib import Path

import pytest

from . import budget, env, session as running

SKIP_CODE = 77
_outcome = {"failed": False, "skipped": [], "started": time.monotonic()}  # one test a process


def shared_modules():
    """The names of the modules of the tests' folders that are not tests."""
    return sorted({path.stem for path in (env.source_dir() / "tests").glob("*/*.py")
                   if not path.name.startswith("test_")})


def pytest_configure(config) -> None:
    pytest.register_assert_rewrite(*shared_modules())


def pytest_runtest_setup(item) -> None:
    running.begin(f"{Path(str(item.fspath)).stem}.{item.name}")


def pytest_runtest_logreport(report) -> None:
    if report.failed:
        _outcome["failed"] = True
    elif report.skipped:
        reason = report.longrepr[2] if isinstance(report.longrepr, tuple) else str(report.longrepr)
        _outcome["skipped"].append(reason.removeprefix("Skipped: "))


def pytest_sessionfinish(session, exitstatus) -> None:
    from .prefix import created_prefixes
    passed = not _outcome["failed"] and exitstatus == pytest.ExitCode.OK
    keep = os.environ.get("VTX_KEEP_PREFIXES") == "1"
    for prefix in created_prefixes():
        if passed and not keep:
            prefix.remove()
        else:
            prefix.stop()
            print(f"prefix kept: {prefix.path}")
    if running.current_test != "adhoc":
        budget.write(env.build_dir() / "Testing" / "budget", running.current_test,
                     time.monotonic() - _outcome["started"])
    if passed and _outcome["skipped"]:
        print(f"\nSKIPPED {running.current_test}: {_outcome['skipped'][0]}")
        session.exitstatus = SKIP_CODE
