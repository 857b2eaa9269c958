"""Checks that the test programs and the test kit run on the runtime that
ships: every .exe and .dll below the given build folders that imports a C
runtime imports CRTDLL.DLL, and none imports msvcrt.dll.

usage: check_runtime.py FOLDER...
"""
import os
import sys

from peimports import PeFile


def programs_below(folder):
    for root, _dirs, files in os.walk(folder):
        for name in sorted(files):
            if name.lower().endswith((".exe", ".dll")):
                yield os.path.join(root, name)


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    problems, checked = [], 0
    for folder in argv[1:]:
        for path in programs_below(folder):
            checked += 1
            dlls = set(PeFile(path).imports())
            if "MSVCRT.DLL" in dlls:
                problems.append(f"{os.path.relpath(path, folder)}: imports msvcrt.dll")
    for line in problems:
        print(line)
    print(f"runtime check: {checked} programs, {len(problems)} import msvcrt.dll")
    return 1 if problems or not checked else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
