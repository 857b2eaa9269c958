"""Shortcuts as setups leave them in a start-menu group: a shell link
(.lnk) to a local file, and an Internet shortcut (.url) to a file: URL.

shell_link writes the smallest link the shell reads on every Windows: the
header and a LinkInfo with the volume and the local base path (no item ID
list), as the shell-link format describes them."""
import struct
import uuid
from pathlib import PureWindowsPath

SHELL_LINK_CLASS = uuid.UUID("00021401-0000-0000-c000-000000000046").bytes_le
HAS_LINK_INFO = 0x02
VOLUME_ID_AND_LOCAL_BASE_PATH = 0x01
DRIVE_FIXED = 3


def shell_link(target: str) -> bytes:
    """A .lnk whose target is the local path target (ANSI, code page 1252)."""
    path = target.encode("cp1252") + b"\0"
    volume = struct.pack("<IIII", 0x11, DRIVE_FIXED, 0x1C0FFEE, 0x10) + b"\0"
    header_size = 0x1C
    base_at = header_size + len(volume)
    suffix_at = base_at + len(path)
    info = struct.pack("<IIIIIII", suffix_at + 1, header_size, VOLUME_ID_AND_LOCAL_BASE_PATH,
                       header_size, base_at, 0, suffix_at) + volume + path + b"\0"
    header = struct.pack("<I16sIIQQQIiIHHII", 0x4C, SHELL_LINK_CLASS, HAS_LINK_INFO, 0x20,
                         0, 0, 0, 0, 0, 1, 0, 0, 0, 0)
    return header + info + b"\0\0\0\0"


def file_url(target: str) -> bytes:
    """A .url whose URL is the file: URL of the local path target."""
    url = "file:///" + PureWindowsPath(target).as_posix().replace(" ", "%20")
    return f"[InternetShortcut]\r\nURL={url}\r\n".encode("cp1252")
