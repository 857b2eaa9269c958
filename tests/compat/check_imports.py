"""Proves by inspection that the shipped files can load on Windows 95 and NT 4.0.

Every shipped .exe and .dll may import only from the allowed system DLLs (the
C runtime is CRTDLL.DLL, never msvcrt.dll), only
functions on the reviewed list (functions present on Windows 95 and NT 4.0, or
explained there), must not import the remote access library, and must carry OS
and subsystem version 4.0.

usage: check_imports.py REVIEWED_LIST FILE...
"""
import os
import sys

from peimports import PeFile

ALLOWED_DLLS = {"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL", "SHELL32.DLL",
                "COMCTL32.DLL", "GDI32.DLL", "CRTDLL.DLL"}


def read_reviewed(path):
    """Lines 'DLL function [# why]'; returns {(DLL, function)}."""
    reviewed = set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                dll, function = line.split()
                reviewed.add((dll.upper() + ".DLL", function))
    return reviewed


def problems_of(path, reviewed):
    pe = PeFile(path)
    name = os.path.basename(path)
    found = []
    if pe.machine != 0x14C:
        found.append(f"{name}: not a 32-bit x86 image (machine {pe.machine:#x})")
    if (pe.os_major, pe.os_minor) != (4, 0):
        found.append(f"{name}: OS version {pe.os_major}.{pe.os_minor}, expected 4.0")
    if (pe.subsystem_major, pe.subsystem_minor) != (4, 0):
        found.append(f"{name}: subsystem version {pe.subsystem_major}.{pe.subsystem_minor}, expected 4.0")
    if pe.delay_imports():
        found.append(f"{name}: has delay-load imports")
    for dll, functions in sorted(pe.imports().items()):
        if dll == "RASAPI32.DLL":
            found.append(f"{name}: imports the remote access library (load it at run time)")
        elif dll == "MSVCRT.DLL":
            found.append(f"{name}: imports msvcrt.dll, which the first Windows 95 releases lack "
                         "(link against CRTDLL.DLL: cmake/crtdll-link.rules)")
        elif dll not in ALLOWED_DLLS:
            found.append(f"{name}: imports from {dll}, which is not an allowed system DLL")
        for function in functions:
            if (dll, function) not in reviewed:
                found.append(f"{name}: {dll} {function} is not on the reviewed list")
    return found


def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    reviewed = read_reviewed(argv[1])
    problems = []
    for path in argv[2:]:
        problems += problems_of(path, reviewed)
        print(f"checked {os.path.basename(path)}")
    for line in problems:
        print(line)
    print(f"import check: {len(argv) - 2} files, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
