#!/usr/bin/env python3
"""Draws Corvella's icons, cursor and maker's notice from scratch and writes them next to this script."""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

WHITE = (255, 255, 255)

# The window icon's 3 x 3 grid, row by row: a teal seed in the centre, cooler blues to the left,
# greener teals to the right, lighter above and deeper below.
GRID_COLORS = [
    (150, 196, 235), (132, 214, 220), (150, 224, 196),
    (58, 134, 206), (26, 158, 178), (44, 176, 146),
    (34, 78, 148), (18, 98, 122), (28, 112, 96),
]


# ---------------------------------------------------------------- drawing on RGBA canvases

def new_canvas(size, color=(0, 0, 0), alpha=0.0):
    return [[[float(color[0]), float(color[1]), float(color[2]), alpha] for _ in range(size)]
            for _ in range(size)]


def blend(pixel, color, alpha):
    """Lays `color` at opacity `alpha` over `pixel` (straight, not premultiplied)."""
    if alpha <= 0.0:
        return
    out_alpha = alpha + pixel[3] * (1.0 - alpha)
    for i in range(3):
        pixel[i] = (color[i] * alpha + pixel[i] * pixel[3] * (1.0 - alpha)) / out_alpha
    pixel[3] = out_alpha


def rounded_box_distance(x, y, box, radius):
    """Signed distance from (x, y) to a box (left, top, right, bottom) with rounded corners."""
    left, top, right, bottom = box
    qx = abs(x - (left + right) / 2) - ((right - left) / 2 - radius)
    qy = abs(y - (top + bottom) / 2) - ((bottom - top) / 2 - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def fill_rounded_box(canvas, box, radius, color, opacity=1.0, softness=1.0):
    """Fills a rounded box, its edge anti-aliased over `softness` pixels."""
    size = len(canvas)
    reach = softness
    x0, y0 = max(0, int(box[0] - reach)), max(0, int(box[1] - reach))
    x1, y1 = min(size, int(math.ceil(box[2] + reach))), min(size, int(math.ceil(box[3] + reach)))
    for y in range(y0, y1):
        for x in range(x0, x1):
            distance = rounded_box_distance(x + 0.5, y + 0.5, box, radius)
            coverage = min(1.0, max(0.0, 0.5 - distance / softness))
            blend(canvas[y][x], color, coverage * opacity)


def to_bytes_rgba(canvas):
    return [[tuple(int(round(min(255.0, max(0.0, c)))) for c in pixel[:3]) + (int(round(pixel[3] * 255)),)
             for pixel in row] for row in canvas]


# ---------------------------------------------------------------- the palette grid icon

def grid_cells(left, top, extent, gap):
    """Pixel-aligned boxes of a 3 x 3 grid filling a square of `extent` pixels, row by row."""
    cell = (extent - 2 * gap) / 3
    steps = [round(i * (cell + gap)) for i in range(3)]
    span = round(cell)
    return [(left + sx, top + sy, left + sx + span, top + sy + span) for sy in steps for sx in steps]


def draw_grid(canvas, left, top, extent, gap, radius):
    for box, color in zip(grid_cells(left, top, extent, gap), GRID_COLORS):
        fill_rounded_box(canvas, box, radius, color)


def window_icon_32():
    """The 32 px icon: the grid straight on opaque white, squares 8 px with 2 px gaps."""
    canvas = new_canvas(32, WHITE, 1.0)
    draw_grid(canvas, 2, 2, 28, 2, 1.5)
    return to_bytes_rgba(canvas)


def theme_icon(size):
    """The larger icon: a white rounded tile with a soft shadow and a hairline edge, the grid inside."""
    canvas = new_canvas(size)
    inset = size * 0.04
    tile = (inset, inset, size - inset, size - inset - size * 0.025)
    radius = size * 0.2
    drop = size * 0.02
    fill_rounded_box(canvas, (tile[0], tile[1] + drop, tile[2], tile[3] + drop), radius, (20, 40, 60),
                     0.35, size * 0.03)
    fill_rounded_box(canvas, tile, radius, (192, 200, 210))
    hairline = max(1.0, size / 128)
    inner = (tile[0] + hairline, tile[1] + hairline, tile[2] - hairline, tile[3] - hairline)
    fill_rounded_box(canvas, inner, radius - hairline, WHITE)
    extent = round(tile[3] - tile[1] - 2 * size * 0.14)
    left = round((tile[0] + tile[2] - extent) / 2)
    top = round((tile[1] + tile[3] - extent) / 2)
    draw_grid(canvas, left, top, extent, round(size * 0.045), size * 0.05)
    return to_bytes_rgba(canvas)


# ---------------------------------------------------------------- the eyedropper

EYEDROPPER_OUTLINE = (44, 50, 62)


def eyedropper_part(u, v):
    """Which part of the eyedropper lies at (u along the axis from the tip, v across it), or None."""
    across = abs(v)
    if u < 0.0:
        return None
    if u < 7.0:
        return "liquid" if across <= 0.75 + u * 0.12 else None
    if u < 19.0:
        if across > 1.75:
            return None
        return "liquid" if u < 11.5 else "glass"
    if u < 22.5:
        return "collar" if across <= 2.75 else None
    bulb_end, bulb_radius = 33.5, 4.1
    if u > bulb_end - bulb_radius:
        return "bulb" if math.hypot(u - (bulb_end - bulb_radius), v) <= bulb_radius else None
    # The bulb swells out of the collar.
    return "bulb" if across <= min(bulb_radius, 2.2 + (u - 22.5) * 0.9) else None


def eyedropper_shade(part, u, v):
    """The color of a filled pixel; light falls from the upper left, i.e. from negative v."""
    if part == "liquid":
        return (96, 204, 212) if v < -0.5 else (26, 150, 172)
    if part == "glass":
        return (255, 255, 255) if v < -0.5 else (208, 226, 238)
    if part == "collar":
        return (188, 196, 206) if v < -0.9 else (116, 124, 138)
    if v < -1.6 and 24.0 < u < 31.5:
        return (112, 164, 228)
    return (54, 106, 182) if v < 1.8 else (36, 74, 138)


def eyedropper():
    """Pixels (RGB or None where transparent) of the eyedropper, tip at bottom left."""
    tip_x, tip_y = 2.5, 29.5
    parts = {}
    for y in range(32):
        for x in range(32):
            dx, dy = x + 0.5 - tip_x, y + 0.5 - tip_y
            u, v = (dx - dy) / math.sqrt(2), (dx + dy) / math.sqrt(2)
            part = eyedropper_part(u, v)
            if part:
                parts[(x, y)] = eyedropper_shade(part, u, v)
    pixels = [[parts.get((x, y)) for x in range(32)] for y in range(32)]
    for y in range(32):
        for x in range(32):
            if pixels[y][x] is None and any((x + dx, y + dy) in parts
                                            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                pixels[y][x] = EYEDROPPER_OUTLINE
    return pixels


# ---------------------------------------------------------------- the hand cursor

VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

HAND_HOT_SPOT = (12, 1)

# K black, W white, S silver, B blue, N navy; dots are transparent.
HAND = [
    "................................",
    "...........KKKK.................",
    "..........KWWWWK................",
    "..........KWWWWK................",
    "..........KWWWWK................",
    "..........KWWWWK................",
    "..........KWWWWK................",
    "..........KWWWWK................",
    "..........KWWWWKKKK.............",
    "..........KWWWWKWWWKKKK.........",
    "..........KWWWWKWWWKWWWK........",
    "..........KWWWWKWWWKWWWKKKK.....",
    "..........KWWWWKWWWKWWWKWWWK....",
    "....KKKK..KWWWWKWWWKWWWKWWWK....",
    "...KWWWWKKKWWWWSWWWSWWWSWWWK....",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWK....",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWK....",
    "...KWWWWWSSWWWWWWWWWWWWWWWWK....",
    "....KKKKKWWSWWWWWWWWWWWWWWWK....",
    "........KWWWWWWWWWWWWWWWWWWK....",
    "........KWWWWWWWWWWWWWWWWWK.....",
    ".........KWWWWWWWWWWWWWWWWK.....",
    ".........KWWWWWWWWWWWWWWWK......",
    "........KKKKKKKKKKKKKKKKKKK.....",
    "........KBBBBBBBBBBBBBBBBBK.....",
    "........KBBBBBBBBBBBBBBBBBK.....",
    "........KBBBBBBBBBBBBBBBBBK.....",
    "........KNNNNNNNNNNNNNNNNNK.....",
    "........KKKKKKKKKKKKKKKKKKK.....",
    "................................",
    "................................",
    "................................",
]

HAND_COLORS = {"K": 0, "W": 15, "S": 7, "B": 12, "N": 4}


def hand():
    """Palette indices (None where transparent) of the pointing hand."""
    return [[HAND_COLORS.get(c) for c in row] for row in HAND]


# ---------------------------------------------------------------- ICO and CUR files

def bitmap_header(bit_count, image_bytes, colors_used):
    # The height counts the color rows and the mask rows together.
    return struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, bit_count, 0, image_bytes, 0, 0, colors_used, 0)


def and_mask(opaque):
    """1 bit per pixel, bottom row first, 1 where transparent; 32 px rows fill 4 bytes exactly."""
    out = bytearray()
    for row in reversed(opaque):
        bits = 0
        for flag in row:
            bits = (bits << 1) | (0 if flag else 1)
        out += struct.pack(">I", bits)
    return bytes(out)


def icon_file(kind, entry_fields, image):
    """An icon (kind 1) or cursor (kind 2) file holding one 32 x 32 image."""
    header = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, entry_fields[0], 0, entry_fields[1], entry_fields[2],
                        len(image), 6 + 16)
    return header + entry + image


def ico_24(rgb_rows):
    """A 24-bit icon from rows of RGB tuples (None where transparent)."""
    xor = bytearray()
    for row in reversed(rgb_rows):
        for pixel in row:
            r, g, b = pixel if pixel else (0, 0, 0)
            xor += bytes((b, g, r))
    mask = and_mask([[pixel is not None for pixel in row] for row in rgb_rows])
    image = bitmap_header(24, len(xor) + len(mask), 0) + bytes(xor) + mask
    return icon_file(1, (0, 1, 24), image)


def cur_4(index_rows, hot_spot):
    """A 16-color cursor from rows of VGA palette indices (None where transparent)."""
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA_PALETTE)
    xor = bytearray()
    for row in reversed(index_rows):
        for left, right in zip(row[0::2], row[1::2]):
            xor.append(((left or 0) << 4) | (right or 0))
    mask = and_mask([[index is not None for index in row] for row in index_rows])
    image = bitmap_header(4, len(xor) + len(mask), 16) + table + bytes(xor) + mask
    return icon_file(2, (16, hot_spot[0], hot_spot[1]), image)


# ---------------------------------------------------------------- PNG

def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_rgba(rows):
    raw = b"".join(b"\x00" + bytes(channel for pixel in row for channel in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


# ---------------------------------------------------------------- the notice: pixel font and GIF

FONT = {
    "©": ["..###..", ".#...#.", "#.###.#", "#.#...#", "#.###.#", ".#...#.", "..###.."],
    " ": ["..", "..", "..", "..", "..", "..", ".."],
    ".": [".", ".", ".", ".", ".", ".", "#"],
    "0": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    "L": ["#...", "#...", "#...", "#...", "#...", "#...", "####"],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "d": ["...#", "...#", ".###", "#..#", "#..#", "#..#", ".###"],
    "e": ["....", "....", ".##.", "#..#", "####", "#...", ".###"],
    "l": ["##", ".#", ".#", ".#", ".#", ".#", ".#"],
    "n": ["....", "....", "###.", "#..#", "#..#", "#..#", "#..#"],
    "o": ["....", "....", ".##.", "#..#", "#..#", "#..#", ".##."],
    "t": ["...", ".#.", "###", ".#.", ".#.", ".#.", "..#"],
    "u": ["....", "....", "#..#", "#..#", "#..#", "#..#", ".###"],
}

NOTICE = "© 2026 Quenlot Ltd."
NOTICE_SIZE = (103, 9)
TEXT_GRAY = (102, 102, 102)


def render_text(text, width, height):
    """Palette indices: 0 for ink, 1 for the background; the line is centred, one pixel column between
    glyphs."""
    glyphs = [FONT[c] for c in text]
    text_width = sum(len(g[0]) for g in glyphs) + len(glyphs) - 1
    x = (width - text_width) // 2
    top = (height - 7) // 2
    pixels = [[1] * width for _ in range(height)]
    for glyph in glyphs:
        for dy, line in enumerate(glyph):
            for dx, c in enumerate(line):
                if c == "#":
                    pixels[top + dy][x + dx] = 0
        x += len(glyph[0]) + 1
    return pixels


def lzw_codes(indices, min_code_size):
    """GIF LZW: yields (code, bit width) pairs, starting with a clear code and ending with end-of-info."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1

    def fresh():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, width = fresh()
    yield clear, width
    phrase = ()
    for index in indices:
        if phrase + (index,) in table:
            phrase += (index,)
            continue
        yield table[phrase], width
        if next_code < 4096:
            table[phrase + (index,)] = next_code
            next_code += 1
            # The decoder learns each entry one code later, so it widens after reading the next code.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            yield clear, width
            table, next_code, width = fresh()
        phrase = (index,)
    if phrase:
        yield table[phrase], width
        # The decoder still adds an entry for this last code and may widen before reading the end code.
        if next_code == (1 << width) and width < 12:
            width += 1
    yield end, width


def lzw_bytes(indices, min_code_size):
    """Packs the codes least significant bit first and cuts them into sub-blocks of up to 255 bytes."""
    packed, buffer, filled = bytearray(), 0, 0
    for code, width in lzw_codes(indices, min_code_size):
        buffer |= code << filled
        filled += width
        while filled >= 8:
            packed.append(buffer & 0xFF)
            buffer >>= 8
            filled -= 8
    if filled:
        packed.append(buffer & 0xFF)
    chunks = [packed[i:i + 255] for i in range(0, len(packed), 255)]
    blocks = b"".join(bytes((len(chunk),)) + chunk for chunk in chunks)
    return bytes((min_code_size,)) + blocks + b"\x00"


def gif_two_colors(pixels, ink, paper):
    """A GIF89a with a two-entry global table (ink, paper) whose paper entry is transparent."""
    width, height = len(pixels[0]), len(pixels)
    # Global table present, 8 bits per primary in the source, table of 2 ** (0 + 1) entries.
    screen = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF0, 1, 0)
    table = bytes(ink) + bytes(paper)
    control = b"\x21\xf9\x04" + struct.pack("<BHB", 0x01, 0, 1) + b"\x00"
    descriptor = b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    data = lzw_bytes([index for row in pixels for index in row], 2)
    return screen + table + control + descriptor + data + b"\x3b"


# ---------------------------------------------------------------- writing

def write(name, data):
    path = os.path.join(HERE, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


def opaque_rgb(rows):
    return [[pixel[:3] for pixel in row] for row in rows]


def main():
    write("corvella.ico", ico_24(opaque_rgb(window_icon_32())))
    write("eyedropper.ico", ico_24(eyedropper()))
    write("hand.cur", cur_4(hand(), HAND_HOT_SPOT))
    write("notice.gif", gif_two_colors(render_text(NOTICE, *NOTICE_SIZE), TEXT_GRAY, WHITE))
    # The icon theme takes PNG: the window icon's own 32 px picture, and larger renderings.
    write(os.path.join("icons", "corvella-32.png"), png_rgba(window_icon_32()))
    for size in (48, 64, 128, 256):
        write(os.path.join("icons", "corvella-%d.png" % size), png_rgba(theme_icon(size)))


if __name__ == "__main__":
    main()
