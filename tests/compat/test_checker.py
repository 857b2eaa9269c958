"""The import check must fail when a shipped file imports something that is not
on the reviewed list: checked by taking each DLL's first entry off the list.

usage: test_checker.py REVIEWED_LIST FILE
"""
import sys

import check_imports
from peimports import PeFile


def main(argv):
    reviewed = check_imports.read_reviewed(argv[1])
    path = argv[2]
    failures = 0
    for dll, functions in sorted(PeFile(path).imports().items()):
        missing = (dll, sorted(functions)[0])
        problems = check_imports.problems_of(path, reviewed - {missing})
        if not any(f"{missing[0]} {missing[1]} is not on the reviewed list" in p for p in problems):
            print(f"taking {missing} off the list went unnoticed")
            failures += 1
    if not check_imports.problems_of(path, set()):
        print("an empty list went unnoticed")
        failures += 1
    print(f"checker self-test: {failures} unnoticed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
