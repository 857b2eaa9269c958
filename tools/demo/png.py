"""Turns the 24-bit BMP files of snapshot.exe into PNG, with the standard
library alone."""
import struct
import zlib
from pathlib import Path


def _chunk(kind: bytes, data: bytes) -> bytes:
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def bmp_to_png(bmp: Path, png: Path) -> None:
    data = Path(bmp).read_bytes()
    if data[:2] != b"BM":
        raise ValueError(f"{bmp}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise ValueError(f"{bmp}: {bits} bits per pixel, expected 24")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y  # BMP rows run bottom-up
        row = data[offset + source * stride: offset + source * stride + width * 3]
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]  # BGR to RGB
        rows.append(b"\0" + bytes(rgb))
    header = struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)
    Path(png).write_bytes(b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header)
                          + _chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
                          + _chunk(b"IEND", b""))
