"""Checks the distributable: the zip holds exactly the shipped files, and each
program file carries a version resource with the build's version, and every
language library that the sample VTX.INI lists ships.

usage: check_package.py VERSION ZIP PACKAGE_DIR FILE...
"""
import configparser
import os
import re
import subprocess
import sys
import zipfile


def version_strings(path):
    """The string values of a file's version resource, read back with windres."""
    rc = subprocess.run(["i686-w64-mingw32-windres", "-i", path, "-J", "coff", "-O", "rc"],
                        check=True, capture_output=True, text=True, encoding="cp1252").stdout
    return dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', rc))


def listed_libraries(vtx_ini):
    """The library file of each [Languages] entry of a VTX.INI."""
    ini = configparser.ConfigParser(interpolation=None)
    ini.read(vtx_ini, encoding="cp1252")
    return [entry.split(",")[0] for entry in ini["Languages"].values()]


def main(argv):
    version, zip_path, package_dir, shipped = argv[1], argv[2], argv[3], argv[4:]
    problems = []
    with zipfile.ZipFile(zip_path) as archive:
        names = sorted(archive.namelist())
        if names != sorted(shipped):
            problems.append(f"{os.path.basename(zip_path)} holds {names}, expected {sorted(shipped)}")
        for name in set(names) & set(shipped):
            with open(os.path.join(package_dir, name), "rb") as f:
                if archive.read(name) != f.read():
                    problems.append(f"{name} in the zip differs from {package_dir}")
    for library in listed_libraries(os.path.join(package_dir, "VTX.INI")):
        if library not in shipped:
            problems.append(f"VTX.INI lists {library}, which is not shipped")
    for name in shipped:
        if not name.lower().endswith((".exe", ".dll")):
            continue
        values = version_strings(os.path.join(package_dir, name))
        for key in ("FileVersion", "ProductVersion"):
            if values.get(key) != version:
                problems.append(f"{name}: {key} is {values.get(key)!r}, expected {version!r}")
        if values.get("OriginalFilename", "").lower() != name.lower():
            problems.append(f"{name}: OriginalFilename is {values.get('OriginalFilename')!r}")
        if not values.get("FileDescription"):
            problems.append(f"{name}: no FileDescription")
    for line in problems:
        print(line)
    print(f"package check: {len(shipped)} files, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
