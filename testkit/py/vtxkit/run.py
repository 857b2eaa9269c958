"""Runs one test function of an end-to-end test file, as ctest does:

    python3 -m vtxkit.run FILE.py TEST_NAME      run one test
    python3 -m vtxkit.run --list FILE.py         list the test names

A test is a top-level function `def test_...():` without arguments. It
passes when it returns, fails on any exception (plain `assert` is fine) and
is skipped when it raises vtxkit.Skip. The asserts of the test file and of
every module it imports from the tests' folders name what they got and what
they expected (vtxkit.asserts). Exit codes: 0 passed, 1 failed,
77 skipped. Prefixes made by a passing test are removed; those of a failing
test are kept for inspection (VTX_KEEP_PREFIXES=1 keeps all)."""
import os
import re
import sys
import time
import traceback
from pathlib import Path

from . import asserts, session
from .session import Skip

SKIP_CODE = 77


def find_tests(path: Path):
    pattern = re.compile(r"^def (test_\w+)\s*\(")
    return [m.group(1) for line in path.read_text().splitlines()
            if (m := pattern.match(line))]


def _load(path: Path):
    sys.path.insert(0, str(path.parent))
    roots = [path.parent]
    if os.environ.get("VTX_SOURCE_DIR"):
        roots.append(Path(os.environ["VTX_SOURCE_DIR"]) / "tests")
    asserts.install(roots)
    return asserts.load_test_file(path)


def _finish_prefixes(passed: bool) -> None:
    from .prefix import created_prefixes
    keep = os.environ.get("VTX_KEEP_PREFIXES") == "1"
    for prefix in created_prefixes():
        if passed and not keep:
            prefix.remove()
        else:
            prefix.stop()
            print(f"prefix kept: {prefix.path}")


def run_test(path: Path, name: str) -> int:
    current_test = f"{path.stem}.{name}"
    session.begin(current_test)
    started = time.monotonic()
    passed = False
    try:
        function = getattr(_load(path), name)
        function()
        passed = True
        print(f"PASSED {current_test} in {time.monotonic() - started:.1f} s")
        return 0
    except Skip as skip:
        passed = True
        print(f"SKIPPED {current_test}: {skip}")
        return SKIP_CODE
    except BaseException:
        traceback.print_exc()
        print(f"FAILED {current_test} after {time.monotonic() - started:.1f} s")
        return 1
    finally:
        sys.stdout.flush()
        _finish_prefixes(passed)


def main(argv) -> int:
    if len(argv) == 2 and argv[0] == "--list":
        print("\n".join(find_tests(Path(argv[1]))))
        return 0
    if len(argv) != 2:
        print(__doc__)
        return 2
    return run_test(Path(argv[0]).resolve(), argv[1])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
