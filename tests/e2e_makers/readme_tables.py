"""The README's tables for package makers, read as data: the rows of the
table that follows a heading, and the names written in backticks."""
import re
from pathlib import Path
from typing import Dict, List, NamedTuple, Optional

from vtxkit import env


class SetupKey(NamedTuple):
    section: str   # "SystemInfo", "IspDefault", or "each icon section" and the like
    key: str
    default: str   # "" for empty


class FixedName(NamedTuple):
    kind: str      # file, files, folder, key, values, INI value, window, mutex, library
    names: List[str]
    where: str
    literal: bool  # every name of the row is written out (not "the value of ...")
    read_only: bool = False  # "read, never changed": nothing of the package's


def readme_text() -> str:
    return (env.source_dir() / "README.md").read_text(encoding="utf-8")


def table_after(heading: str, text: Optional[str] = None) -> List[Dict[str, str]]:
    """Rows (header -> cell) of the first table after the heading line."""
    lines = (text if text is not None else readme_text()).splitlines()
    start = next((i for i, line in enumerate(lines) if line.strip() == heading), None)
    if start is None:
        raise AssertionError(f"README.md has no heading {heading!r}")
    rows, header = [], None
    for line in lines[start + 1:]:
        if line.startswith("#"):
            break
        if not line.startswith("|"):
            if header:
                break
            continue
        cells = [c.strip() for c in re.split(r"(?<!\\)\|", line.strip())[1:-1]]
        if header is None:
            header = cells
        elif not set(line.replace("|", "").strip()) <= {"-", ":", " "}:
            rows.append(dict(zip(header, cells)))
    return rows


def ticked(cell: str) -> List[str]:
    return re.findall(r"`([^`]*)`", cell)


def setup_keys(text: Optional[str] = None) -> List[SetupKey]:
    """The brdsetup.ini table; an empty section cell repeats the one above."""
    keys, section = [], ""
    for row in table_after("### brdsetup.ini", text):
        if row["section"]:
            names = ticked(row["section"])
            section = names[0].strip("[]") if names else row["section"]
        default = row["default"]
        keys.append(SetupKey(section, ticked(row["key"])[0],
                             "" if default == "empty" else ticked(default)[0]))
    return keys


def package_values(text: Optional[str] = None) -> Dict[str, str]:
    """The package-key table: value name -> what its absence costs."""
    return {ticked(row["value"])[0]: row["when it is missing"]
            for row in table_after("### The package key", text)}


def fixed_names(text: Optional[str] = None) -> List[FixedName]:
    rows = []
    for row in table_after("### What the tool always looks for", text):
        names = ticked(row["name"])
        literal = "value of" not in row["name"]
        if row["kind"] == "window" and "any title" in row["name"]:
            names.append("")  # any title
        read_only = row["what the tool does"].startswith("read, never changed")
        rows.append(FixedName(row["kind"], names, row["where"], literal, read_only))
    return rows


def tool_ini_keys(text: Optional[str] = None) -> List[str]:
    return [ticked(row["key"])[0] for row in table_after("### VTX.INI", text)
            if ticked(row["key"])]
