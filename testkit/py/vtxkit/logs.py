"""What the tool leaves for later reading: its log VTX.LOG in the Windows
directory, the [rename] entries of wininit.ini, and the platform's pending
file renames."""
import re
from typing import List, NamedTuple, Optional, Tuple

SESSION_MANAGER = r"HKLM\System\CurrentControlSet\Control\Session Manager"


class LogLine(NamedTuple):
    logger: str   # the writer's name, e.g. "Vantix"
    message: str  # what follows "->"


def read_log_text(prefix) -> str:
    path = prefix.windows_dir / "VTX.LOG"
    if not path.exists():
        return ""
    return path.read_bytes().decode("cp1252", errors="replace")


def read_log(prefix) -> List[LogLine]:
    """VTX.LOG as (logger, message) pairs, one per line, in file order.
    Lines without "->" come back with an empty logger name."""
    lines = []
    for line in read_log_text(prefix).split("\n"):
        line = line.rstrip("\r")
        if not line:
            continue
        logger, sep, message = line.partition("->")
        lines.append(LogLine(logger, message) if sep else LogLine("", line))
    return lines


def log_messages(prefix, logger: Optional[str] = None) -> List[str]:
    return [line.message for line in read_log(prefix) if logger is None or line.logger == logger]


def read_wininit(prefix, processed: bool = False) -> Optional[str]:
    """wininit.ini of the Windows directory as text, or None. processed:
    read wininit.bak instead, the name a boot gives the file once it has
    performed it (an accepted restart does that at once under Wine)."""
    path = prefix.windows_dir / ("wininit.bak" if processed else "wininit.ini")
    path = prefix.unix(prefix.win(path))  # any letter case
    if not path.exists():
        return None
    return path.read_bytes().decode("cp1252", errors="replace")


def wininit_sections(text: str) -> List[Tuple[str, List[str]]]:
    """(section name, its lines) in file order; lines before the first
    section header belong to a section named ""."""
    sections: List[Tuple[str, List[str]]] = [("", [])]
    for line in re.split(r"\r?\n", text):
        m = re.match(r"^\s*\[([^\]]*)\]", line)
        if m:
            sections.append((m.group(1), []))
        else:
            sections[-1][1].append(line)
    if not sections[0][1] or sections[0][1] == [""]:
        sections.pop(0)
    return sections


def wininit_renames(prefix, processed: bool = False) -> List[Tuple[str, str]]:
    """(key, value) of every entry of every [rename] section (any letter
    case), in file order; "NUL=path" means: delete path at the next start.
    processed: from wininit.bak (see read_wininit)."""
    text = read_wininit(prefix, processed)
    if text is None:
        return []
    entries = []
    for name, lines in wininit_sections(text):
        if name.strip().lower() != "rename":
            continue
        for line in lines:
            key, sep, value = line.partition("=")
            if sep:
                entries.append((key.strip(), value.strip()))
    return entries


def pending_renames(prefix) -> List[Tuple[str, str]]:
    """PendingFileRenameOperations as (source, target) pairs in order; an
    empty target means: delete at the next start. Paths keep their \\??\\."""
    # Read through reg export: the value's empty strings (the deletion
    # targets) survive only in its raw form.
    value = prefix.read_key(SESSION_MANAGER).get(SESSION_MANAGER, "PendingFileRenameOperations", [])
    if isinstance(value, bytes):
        value = value.decode("utf-16-le", errors="replace").rstrip("\0").split("\0")
    if isinstance(value, str):
        value = [value]
    items = list(value)
    if len(items) % 2:
        items.append("")
    return [(items[i], items[i + 1]) for i in range(0, len(items), 2)]


def pending_deletions(prefix) -> List[str]:
    """The sources of the pending renames that delete, without \\??\\."""
    return [source[4:] if source.startswith("\\??\\") else source
            for source, target in pending_renames(prefix) if target == ""]


def scheduled_deletions(prefix) -> List[str]:
    """What is scheduled for deletion at the next start, in order: the
    pending renames that delete on the NT family, the "NUL" entries of
    wininit.ini [rename] on Windows 95, 98 and Me."""
    if prefix.is_nt:
        return pending_deletions(prefix)
    return [value for key, value in wininit_renames(prefix) if key.upper() == "NUL"]
