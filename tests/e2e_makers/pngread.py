"""Reads the PNG files of the page (the pictures of the tool's windows, the
browser's drawing of the page) with the standard library alone, and judges
what they show."""
import struct
import zlib
from collections import Counter
from typing import List, NamedTuple, Tuple

Pixel = Tuple[int, int, int]


class Picture(NamedTuple):
    width: int
    height: int
    pixels: List[Pixel]  # row by row

    def at(self, x: int, y: int) -> Pixel:
        return self.pixels[y * self.width + x]


def _paeth(a: int, b: int, c: int) -> int:
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def read_png(data: bytes) -> Picture:
    """8-bit RGB or RGBA, not interlaced: what snapshot.exe's pictures
    (tools/demo/png.py) and Chromium write."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, color, _, _, interlace = struct.unpack(">IIBBBBB", chunk)
        elif kind == b"IDAT":
            idat += chunk
    assert depth == 8 and color in (2, 6) and interlace == 0, (depth, color, interlace)
    step = 3 if color == 2 else 4
    raw, stride, pixels = zlib.decompress(idat), width * step, []
    previous = bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride) if kind else ():
            a = line[i - step] if i >= step else 0
            c = previous[i - step] if i >= step else 0
            line[i] = (line[i] + (a, previous[i], (a + previous[i]) // 2,
                                  _paeth(a, previous[i], c))[kind - 1]) & 255
        pixels += [tuple(line[i:i + 3]) for i in range(0, stride, step)]
        previous = line
    return Picture(width, height, pixels)


def dark_share(picture: Picture) -> float:
    """The share of pixels that are not near white (ink on the page)."""
    return sum(1 for p in picture.pixels if sum(p) < 600) / len(picture.pixels)


def looks_like_window(picture: Picture) -> bool:
    """Not a blank, black or one-coloured rectangle: a window has a frame,
    a title bar and text in several colours."""
    colours = Counter(picture.pixels)
    black = sum(n for c, n in colours.items() if max(c) < 40)
    return (picture.width >= 100 and picture.height >= 50 and len(colours) >= 6
            and colours.most_common(1)[0][1] < 0.9 * len(picture.pixels)
            and black < 0.5 * len(picture.pixels))


def close_glyph(picture: Picture) -> List[Tuple[int, int]]:
    """The black pixels inside the close button: the light rectangle at the
    title bar's right end (left of it, an active title bar may show its
    caption in black). Its rows are those with an unbroken light run of
    button width in the picture's right end."""
    light = lambda x, y: sum(picture.at(x, y)) > 600
    spans = []
    for y in range(min(30, picture.height)):
        x, right = max(0, picture.width - 60), picture.width
        while x < right:
            start = x
            while x < right and light(x, y):
                x += 1
            if 8 <= x - start <= 30:
                spans.append((start, x, y))
            x += 1
    if not spans:
        return []
    left, end = min(s[0] for s in spans), max(s[1] for s in spans)
    top, bottom = min(s[2] for s in spans), max(s[2] for s in spans)
    return [(x, y) for y in range(top, bottom + 1) for x in range(left, end)
            if max(picture.at(x, y)) < 40]


def symmetric_glyph(picture: Picture) -> bool:
    """The close button shows Marlett's cross, which is its own mirror image;
    without the font Windows draws the letter "r" there, which is not."""
    glyph = set(close_glyph(picture))
    if len(glyph) < 4:
        return False
    left, right = min(x for x, _ in glyph), max(x for x, _ in glyph)
    return {(left + right - x, y) for x, y in glyph} == glyph
