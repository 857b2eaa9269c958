"""Shortcuts as setups leave them in a group: shell_link writes the smallest
.lnk every shell reads (the header and a LinkInfo holding the volume and
the local path, no item list); file_url a .url with a file: URL."""
import struct
import uuid
from pathlib import PureWindowsPath


def shell_link(target: str) -> bytes:
    path = target.encode("cp1252") + b"\0"
    volume = struct.pack("<IIII", 0x11, 3, 0x1C0FFEE, 0x10) + b"\0"  # a fixed drive
    base_at = 0x1C + len(volume)
    info = struct.pack("<IIIIIII", base_at + len(path) + 1, 0x1C, 1, 0x1C, base_at, 0,
                       base_at + len(path)) + volume + path + b"\0"
    link_class = uuid.UUID("00021401-0000-0000-c000-000000000046").bytes_le
    header = struct.pack("<I16sIIQQQIiIHHII", 0x4C, link_class, 2, 0x20, 0, 0, 0, 0, 0, 1, 0,
                         0, 0, 0)  # flag 2: it has a LinkInfo
    return header + info + b"\0\0\0\0"


def file_url(target: str) -> bytes:
    url = "file:///" + PureWindowsPath(target).as_posix().replace(" ", "%20")
    return f"[InternetShortcut]\r\nURL={url}\r\n".encode("cp1252")
