#!/usr/bin/env python3
"""Draws the window program's pictures into app/resources/: the five speed-button glyphs
(16-colour BMP), the application icon MAINICON (16-colour ICO with its mask) and the same
icon as PNG for desktops. Pure Python, so it runs on a machine without image libraries.

Run it again after changing a drawing; the files it writes are kept in the tree."""

import os
import struct
import sys
import zlib

# The 16 colours of a 4-bit Windows bitmap, in the system's order.
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon (dark red)
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver (light grey)
    (0x80, 0x80, 0x80),  # 8 grey (dark grey)
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 cyan
    (0xFF, 0xFF, 0xFF),  # 15 white
]
K, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, CYAN, WHITE = range(16)


class Canvas:
    def __init__(self, width, height, ground):
        self.width, self.height, self.ground = width, height, ground
        self.px = [[ground] * width for _ in range(height)]

    def set(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def box(self, x0, y0, x1, y1, outline, inside=None):
        if inside is not None:
            self.fill(x0, y0, x1, y1, inside)
        for x in range(x0, x1 + 1):
            self.set(x, y0, outline)
            self.set(x, y1, outline)
        for y in range(y0, y1 + 1):
            self.set(x0, y, outline)
            self.set(x1, y, outline)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def art(self, x0, y0, rows, colours):
        """Paints a small picture given as text; '.' leaves the pixel alone."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.set(x0 + dx, y0 + dy, colours[ch])

    def paste(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                self.set(x0 + x, y0 + y, other.get(x, y))


def folder(cv, x0, y0):
    """A yellow folder 14 wide and 11 high with its tab at the top left."""
    cv.box(x0, y0, x0 + 5, y0 + 2, K, YELLOW)
    cv.box(x0, y0 + 2, x0 + 13, y0 + 10, K, YELLOW)
    cv.fill(x0 + 1, y0 + 3, x0 + 12, y0 + 3, WHITE)  # the lit upper edge of the flap
    cv.fill(x0 + 1, y0 + 9, x0 + 12, y0 + 9, OLIVE)  # shade along the bottom


def draw_add():
    cv = Canvas(32, 32, RED)
    folder(cv, 2, 2)
    folder(cv, 17, 19)
    # The arrow leaves the upper folder downwards and turns right into the lower one.
    cv.fill(7, 13, 8, 24, K)
    cv.fill(7, 23, 12, 24, K)
    for i, half in enumerate((4, 3, 2, 1)):
        cv.fill(13 + i, 24 - half, 13 + i, 23 + half, K)
    return cv


def draw_delete():
    cv = Canvas(32, 32, RED)
    # The basket: a grey body narrowing downwards, with ribs.
    for y in range(11, 30):
        inset = (y - 11) // 6
        cv.fill(7 + inset, y, 24 - inset, y, SILVER)
        cv.set(7 + inset, y, GREY)
        cv.set(24 - inset, y, GREY)
    cv.fill(8, 29, 23, 29, GREY)
    cv.fill(6, 10, 25, 11, GREY)
    for x in (10, 21):
        cv.line(x, 13, x + (1 if x < 16 else -1), 27, GREY)
    # The recycling mark: three green arrows chasing each other round a triangle.
    cv.art(11, 15, [
        "....gg....",
        "...gggg...",
        "..gg..gg..",
        "..g....g..",
        ".gg....gg.",
        ".g......g.",
        "gg......gg",
        "gggg..gggg",
        "ggg....ggg",
    ], {"g": GREEN})
    # The lid lies on the left rim and is lifted on the right: ajar.
    for x in range(5, 27):
        top = 7 - ((x - 5) * 5) // 21
        cv.fill(x, top, x, top + 2, SILVER)
        cv.set(x, top - 1, GREY)
        cv.set(x, top + 3, GREY)
    cv.fill(4, 6, 4, 10, GREY)
    cv.fill(27, 1, 27, 5, GREY)
    cv.art(13, 1, [
        ".gggg",
        "g....g",
    ], {"g": GREY})  # the handle
    return cv


def draw_create():
    cv = Canvas(32, 32, RED)
    # The document, its top-right corner folded over.
    cv.box(1, 1, 17, 26, K, WHITE)
    for y in range(1, 6):
        cv.fill(13 + y, y, 17, y, RED)  # the corner folded away shows the ground
    cv.line(13, 1, 17, 5, K)
    for y in range(2, 5):
        cv.fill(14, y, 12 + y, y, SILVER)  # the back of the fold
    cv.line(13, 1, 13, 5, K)
    cv.line(13, 5, 17, 5, K)
    for y in range(5, 12, 2):
        cv.fill(4, y, 11 if y < 9 else 14, y, SILVER)
    # The film strip: black with sprocket holes and four cyan frames.
    cv.fill(22, 1, 30, 30, K)
    for y in range(2, 30, 3):
        cv.set(23, y, WHITE)
        cv.set(29, y, WHITE)
    for i in range(4):
        cv.fill(24, 2 + 7 * i, 28, 6 + 7 * i, CYAN)
    # The film camera in front of the document: two reels, the body, the lens.
    for cx in (6, 12):
        cv.art(cx - 2, 12, [
            ".ggg.",
            "gsssg",
            "gskSg",
            "gsssg",
            ".ggg.",
        ], {"g": GREY, "s": SILVER, "k": K, "S": SILVER})
    cv.box(3, 17, 16, 27, GREY, SILVER)
    cv.fill(4, 18, 15, 18, WHITE)
    cv.set(14, 20, K)  # not red: red is the ground and would turn transparent
    cv.art(17, 19, [
        "kk..",
        "kkkk",
        "kgkk",
        "kgkk",
        "kkkk",
        "kk..",
    ], {"k": K, "g": GREY})
    return cv


def draw_exit():
    cv = Canvas(16, 16, OLIVE)
    cv.box(3, 0, 12, 15, K, MAROON)
    cv.box(5, 2, 10, 6, K, CYAN)
    cv.set(10, 9, YELLOW)
    cv.set(10, 10, YELLOW)
    return cv


def draw_about():
    cv = Canvas(16, 16, OLIVE)
    cv.art(0, 0, [
        "......rrrr......",
        ".....rr..rr.....",
        ".........rr.....",
        "........rr......",
        ".......rr.......",
        ".......rr.......",
        "................",
        ".......rr.......",
        "................",
        ".kkkkkk..kkkkkk.",
        "kwwwwwwkkwwwwwwk",
        "kwggggwkkwggggwk",
        "kwwwwwwkkwwwwwwk",
        "kwggggwkkwgggwwk",
        "kwwwwwwkkwwwwwwk",
        ".kkkkkkkkkkkkkk.",
    ], {"r": RED, "k": K, "w": WHITE, "g": GREY})
    return cv


def outline_in_grey(image):
    """The disabled look of a door: only its outline, in grey."""
    out = Canvas(image.width, image.height, image.ground)
    for y in range(image.height):
        for x in range(image.width):
            if image.get(x, y) == image.ground:
                continue
            edge = any(
                not (0 <= x + dx < image.width and 0 <= y + dy < image.height)
                or image.get(x + dx, y + dy) == image.ground
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))
            )
            if edge or image.get(x, y) == K:
                out.set(x, y, GREY)
    return out


def in_grey(image):
    """The disabled look of a picture: the same shapes in shades of grey."""
    out = Canvas(image.width, image.height, image.ground)
    for y in range(image.height):
        for x in range(image.width):
            c = image.get(x, y)
            if c == image.ground:
                continue
            r, g, b = PALETTE[c]
            light = (r * 3 + g * 6 + b) / 10
            out.set(x, y, WHITE if light > 200 else SILVER if light > 150 else GREY)
    return out


def strip(first, second):
    cv = Canvas(first.width * 2, first.height, first.ground)
    cv.paste(first, 0, 0)
    cv.paste(second, first.width, 0)
    return cv


def bmp4(cv):
    """A 4-bit BI_RGB BMP file: bottom-up rows padded to 4 bytes."""
    stride = ((cv.width * 4 + 31) // 32) * 4
    rows = bytearray()
    for y in reversed(range(cv.height)):
        row = bytearray(stride)
        for x in range(cv.width):
            c = cv.get(x, y)
            row[x // 2] |= c << 4 if x % 2 == 0 else c
        rows += row
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(colours)
    info = struct.pack("<IiiHHIIiiII", 40, cv.width, cv.height, 1, 4, 0, len(rows), 3780, 3780, 16, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return head + info + colours + bytes(rows)


def ico4(cv):
    """A one-image ICO of 16 colours; the ground colour becomes transparent through the mask."""
    stride = ((cv.width * 4 + 31) // 32) * 4
    mask_stride = ((cv.width + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(cv.height)):
        row, mrow = bytearray(stride), bytearray(mask_stride)
        for x in range(cv.width):
            c = cv.get(x, y)
            if c == cv.ground:
                mrow[x // 8] |= 0x80 >> (x % 8)
                c = K  # a masked pixel is black, so it leaves the background as it is
            row[x // 2] |= c << 4 if x % 2 == 0 else c
        xor += row
        mask += mrow
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, cv.width, cv.height * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + colours + bytes(xor) + bytes(mask)
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", cv.width, cv.height, 16, 0, 1, 4, len(image), 6 + 16)
    return header + entry + image


def png_rgba(cv):
    raw = bytearray()
    for y in range(cv.height):
        raw.append(0)
        for x in range(cv.width):
            c = cv.get(x, y)
            r, g, b = PALETTE[c]
            raw += bytes((r, g, b, 0 if c == cv.ground else 255))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", cv.width, cv.height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "app", "resources")
    os.makedirs(out, exist_ok=True)
    exit_door, about_book = draw_exit(), draw_about()
    create = draw_create()
    files = {
        "add.bmp": bmp4(draw_add()),
        "delete.bmp": bmp4(draw_delete()),
        "create.bmp": bmp4(create),
        "exit.bmp": bmp4(strip(exit_door, outline_in_grey(exit_door))),
        "about.bmp": bmp4(strip(about_book, in_grey(about_book))),
        "mainicon.ico": ico4(create),
        "mainicon.png": png_rgba(create),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
