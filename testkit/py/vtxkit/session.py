"""The running test, as the kit's pytest plugin sets it: names the prefixes
that the test makes."""
import re

current_test = "adhoc"
_prefix_serial = 0


def begin(test_id: str) -> None:
    global current_test, _prefix_serial
    current_test = test_id
    _prefix_serial = 0


def next_prefix_name() -> str:
    """A prefix name unique to the running test: "<file>.<test>", then
    "<file>.<test>-2" and so on for further prefixes of the same test."""
    global _prefix_serial
    _prefix_serial += 1
    suffix = "" if _prefix_serial == 1 else f"-{_prefix_serial}"
    return re.sub(r"[^A-Za-z0-9_.-]", "_", current_test) + suffix
