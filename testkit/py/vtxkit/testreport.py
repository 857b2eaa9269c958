"""The end of scripts/test: the tests that needed a second try, and the tests
and test cases that did not run, each with its reason.

    python3 -m vtxkit.testreport CONSOLE_LOG JUNIT_FILE

CONSOLE_LOG is what ctest printed (every attempt of a test ends with a
result line); JUNIT_FILE is its --output-junit file (the output of every
test). Both are ctest's own files of this run: its LastTest.log can be
rewritten by any other ctest call on the same build tree, such as the seeded
faults' check. A test that did not run names its reason in its output
("SKIPPED NAME: reason", as the kit's pytest plugin and vtx_skipped_test
write it);
a GoogleTest case skipped inside a program that ran is followed by
"[  SKIPPED ] Case (...)", its reason on the line before."""
import re
import sys
import xml.etree.ElementTree as ElementTree
from typing import Dict, List, Tuple

from .mutants import test_results

_SKIPPED_CASE = re.compile(r"^\[  SKIPPED \] (\S+) \(")
_REASON = re.compile(r"^SKIPPED \S+: (.+)$")


def retried(console: str) -> List[Tuple[str, str]]:
    """(test, outcome) of every test with more than one result line."""
    results: Dict[str, List[str]] = {}
    for name, status in test_results(console):
        results.setdefault(name, []).append(status)
    return sorted((name, "passed on its second try" if statuses[-1] == "Passed"
                   else "failed both tries")
                  for name, statuses in results.items() if len(statuses) > 1)


def not_run(junit: str) -> List[Tuple[str, str]]:
    """(test or "test (case)", reason) of what did not run."""
    found = []
    for case in ElementTree.fromstring(junit).iter("testcase"):
        name, output = case.get("name", "?"), case.findtext("system-out") or ""
        lines = [line for line in output.splitlines() if line.strip()]
        if case.get("status") not in ("run", "fail"):  # a failed test ran
            reasons = [m.group(1) for m in map(_REASON.match, lines) if m]
            skipped = case.find("skipped")
            found.append((name, reasons[0] if reasons else
                          skipped.get("message", "") if skipped is not None else
                          case.get("status", "not run")))
        for before, line in zip([""] + lines, lines):
            match = _SKIPPED_CASE.match(line)
            if match:
                found.append((f"{name} ({match.group(1)})", before))
    return sorted(found)


def report(console: str, junit: str) -> str:
    again = retried(console)
    lines = [f"  {name}: {outcome}" for name, outcome in again]
    lines.append(f"{len(again)} test(s) needed a second try, named above." if again
                 else "No test needed a second try.")
    skipped = not_run(junit)
    if skipped:
        lines.append(f"{len(skipped)} test(s) did not run:")
        lines += [f"  {name}: {reason or 'no reason given'}" for name, reason in skipped]
    else:
        lines.append("Every selected test ran.")
    return "\n".join(lines)


def main(argv: List[str]) -> int:
    if len(argv) != 2:
        print(__doc__)
        return 2
    try:
        with open(argv[0], encoding="utf-8", errors="replace") as console, \
                open(argv[1], encoding="utf-8", errors="replace") as junit:
            print(report(console.read(), junit.read()))
    except (OSError, ElementTree.ParseError) as error:
        print(f"no report of the retried and skipped tests: {error}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
