#!/usr/bin/env python3
"""Draws the brand bitmaps of the logo area (150x50, 24-bit BMP) into assets/.

Each bitmap is a line-sensor mark (housing, pixel line, edge profile) and a word in a 5x7 font.
The program name is drawn over the lower half of the maker's bitmap, so only its top rows carry ink.
"""
import pathlib
import struct

WIDTH, HEIGHT = 150, 50
BLUE, WHITE, GREY = (0x00, 0x80, 0xFF), (0xFF, 0xFF, 0xFF), (0x80, 0x80, 0x80)
PALE_BLUE, PALE_GREY = (0xB8, 0xDC, 0xFF), (0xC0, 0xC0, 0xC0)

GLYPHS = {  # 5 columns x 7 rows, '#' = ink
    "A": ".###.#...##...#######...##...##...#",
    "C": ".###.#...##....#....#....#...#.###.",
    "D": "####.#...##...##...##...##...#####.",
    "E": "######....#....####.#....#....#####",
    "I": ".###...#....#....#....#....#...###.",
    "L": "#....#....#....#....#....#....#####",
    "M": "#...###.###.#.##...##...##...##...#",
    "N": "#...###..##.#.##..###...##...##...#",
    "O": ".###.#...##...##...##...##...#.###.",
    "P": "####.#...##...#####.#....#....#....",
    "R": "####.#...##...#####.#.#..#..#.#...#",
    "V": "#...##...##...##...##...#.#.#...#..",
    "W": "#...##...##...##.#.##.#.##.#.#.#.#.",
    "X": "#...##...#.#.#...#...#.#.#...##...#",
}


def fill(img, x0, y0, w, h, color):
    for y in range(max(y0, 0), min(y0 + h, HEIGHT)):
        for x in range(max(x0, 0), min(x0 + w, WIDTH)):
            img[y][x] = color


def word_width(word, scale):
    return len(word) * (6 * scale - 1) - scale + 1


def draw_word(img, word, left, top, scale, color):
    for i, ch in enumerate(word):
        glyph = GLYPHS[ch]
        for row in range(7):
            for col in range(5):
                if glyph[row * 5 + col] == "#":
                    x = left + i * (6 * scale - 1) + col * scale
                    fill(img, x, top + row * scale, scale, scale, color)


def draw_mark(img, left, top, size, ink, accent):
    """A sensor housing with its pixel line and, above it, the light profile with two edges."""
    fill(img, left, top, size, 2, ink)
    fill(img, left, top + size - 2, size, 2, ink)
    fill(img, left, top, 2, size, ink)
    fill(img, left + size - 2, top, 2, size, ink)
    line_y = top + size - 8
    for x in range(left + 4, left + size - 5, 3):
        fill(img, x, line_y, 2, 4, ink)
    low, high = top + size - 13, top + 5
    edge_l, edge_r = left + size // 3, left + 2 * size // 3
    fill(img, left + 4, low, edge_l - left - 4, 2, accent)
    fill(img, edge_l, high, 2, low - high + 2, accent)
    fill(img, edge_l, high, edge_r - edge_l, 2, accent)
    fill(img, edge_r, high, 2, low - high + 2, accent)
    fill(img, edge_r, low, left + size - 4 - edge_r, 2, accent)


def make(word, background, ink, accent, compact):
    img = [[background] * WIDTH for _ in range(HEIGHT)]
    if compact:  # the maker's mark: top rows only, the program name is drawn below it
        draw_mark(img, 2, 1, 22, ink, accent)
        draw_word(img, word, 32, 2, 3, ink)
    else:
        draw_mark(img, 4, 7, 36, ink, accent)
        draw_word(img, word, 46, 11, 3, ink)
        fill(img, 46, 38, word_width(word, 3), 2, accent)
    return img


def write_bmp(path, img):
    row_bytes = (WIDTH * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(img):  # BMP rows run bottom-up, pixels as B, G, R
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        pixels += line + bytes(row_bytes - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    path.write_bytes(header + info + pixels)


def main():
    assets = pathlib.Path(__file__).resolve().parent.parent / "assets"
    assets.mkdir(exist_ok=True)
    brands = {
        "mo.bmp": ("MO", BLUE, WHITE, PALE_BLUE, True),
        "pellin.bmp": ("PELLIN", WHITE, GREY, PALE_GREY, False),
        "corvex.bmp": ("CORVEX", BLUE, WHITE, PALE_BLUE, False),
        "alder.bmp": ("ALDER", WHITE, GREY, PALE_GREY, False),
    }
    for name, (word, background, ink, accent, compact) in brands.items():
        write_bmp(assets / name, make(word, background, ink, accent, compact))


if __name__ == "__main__":
    main()
