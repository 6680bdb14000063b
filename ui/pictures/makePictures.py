#!/usr/bin/python3
"""Draws Corvella's icons, cursor and maker's notice from scratch and writes them next to this script; the
eyedropper, the cursor and the notice also at twice the size, for screens at scale 2."""

import io
import math
import os
import struct
import sys

from PIL import IcoImagePlugin, Image, ImageDraw, ImageFont

FLIP = Image.Transpose.FLIP_TOP_BOTTOM

WHITE = (255, 255, 255)

# The window icon's 3 x 3 grid, row by row: a teal seed in the centre, cooler blues to the left,
# greener teals to the right, lighter above and deeper below.
GRID_COLORS = [
    (150, 196, 235), (132, 214, 220), (150, 224, 196),
    (58, 134, 206), (26, 158, 178), (44, 176, 146),
    (34, 78, 148), (18, 98, 122), (28, 112, 96),
]


# ---------------------------------------------------------------- anti-aliased rounded boxes
# ImageDraw draws no anti-aliased rounded boxes, and compositing 8-bit layers rounds after every
# layer, so coverage and blending stay in floating point until the finished picture becomes an image.

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
    x0, y0 = max(0, int(box[0] - softness)), max(0, int(box[1] - softness))
    x1, y1 = min(size, math.ceil(box[2] + softness)), min(size, math.ceil(box[3] + softness))
    for y in range(y0, y1):
        for x in range(x0, x1):
            distance = rounded_box_distance(x + 0.5, y + 0.5, box, radius)
            coverage = min(1.0, max(0.0, 0.5 - distance / softness))
            blend(canvas[y][x], color, coverage * opacity)


def to_image(canvas):
    image = Image.new("RGBA", (len(canvas), len(canvas)))
    image.putdata([tuple(round(min(255.0, max(0.0, c))) for c in pixel[:3]) + (round(pixel[3] * 255),)
                   for row in canvas for pixel in row])
    return image


# ---------------------------------------------------------------- the palette grid icon

def draw_grid(canvas, left, top, extent, gap, radius):
    """A 3 x 3 grid of pixel-aligned squares filling a square of `extent` pixels."""
    cell = (extent - 2 * gap) / 3
    steps = [round(i * (cell + gap)) for i in range(3)]
    span = round(cell)
    boxes = [(left + sx, top + sy, left + sx + span, top + sy + span) for sy in steps for sx in steps]
    for box, color in zip(boxes, GRID_COLORS):
        fill_rounded_box(canvas, box, radius, color)


def window_icon_32():
    """The 32 px icon: the grid straight on opaque white, squares 8 px with 2 px gaps."""
    canvas = new_canvas(32, WHITE, 1.0)
    draw_grid(canvas, 2, 2, 28, 2, 1.5)
    return to_image(canvas)


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
    return to_image(canvas)


# ---------------------------------------------------------------- outlined pixel drawings
# The eyedropper and the hand are designed on a 32 px grid; at `scale` each pixel takes the color of the
# design at its centre, so twice the size is the same drawing with twice the detail.

def grown(mask, reach):
    """`mask` grown by `reach` pixels, a 4-neighbour step at a time: one step adds no corners, two make a
    disc of radius 2."""
    for _ in range(reach):
        step = mask.copy()
        for offset in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            step.paste(255, offset, mask)
        mask = step
    return mask


def outlined(mode, scale, color_at, outline):
    """The picture `color_at` (x, y in grid pixels -> color or None) draws at `scale`, outlined one grid
    pixel wide, on color 0; and its opaque mask."""
    side = 32 * scale
    colors, body = Image.new(mode, (side, side)), Image.new("L", (side, side))
    for y in range(side):
        for x in range(side):
            color = color_at((x + 0.5) / scale, (y + 0.5) / scale)
            if color is not None:
                colors.putpixel((x, y), color)
                body.putpixel((x, y), 255)
    opaque = grown(body, scale)
    picture = Image.new(mode, (side, side))
    picture.paste(outline, mask=opaque)
    picture.paste(colors, mask=body)
    return picture, opaque


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


def eyedropper_at(x, y):
    """The tip is at bottom left; u runs up and right along the axis, v across it."""
    dx, dy = x - 2.5, y - 29.5
    u, v = (dx - dy) / math.sqrt(2), (dx + dy) / math.sqrt(2)
    part = eyedropper_part(u, v)
    return eyedropper_shade(part, u, v) if part else None


def eyedropper(scale=1):
    return outlined("RGB", scale, eyedropper_at, EYEDROPPER_OUTLINE)


# ---------------------------------------------------------------- the hand cursor

VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, BLUE, PAPER_WHITE = 0, 4, 7, 12, 15

# On the fingertip's top row, the second pixel from the left; doubled, it is so at twice the size too.
HAND_HOT_SPOT = (12, 1)


def box(left, top, right, bottom, radius=0.0):
    return lambda x, y: rounded_box_distance(x, y, (left, top, right, bottom), radius) <= 0.0


def polygon(*corners):
    """A convex polygon, corners clockwise on screen."""
    edges = list(zip(corners, corners[1:] + corners[:1]))
    return lambda x, y: all((x1 - x0) * (y - y0) >= (y1 - y0) * (x - x0) for (x0, y0), (x1, y1) in edges)


# The first shape holding a point colors it. Silver creases where the fingers part and across the thumb's
# root; rounded fingers and thumb, the thumb's root square where it meets the palm; a palm narrowing
# towards the wrist.
HAND_SHAPES = [
    (SILVER, box(15, 14, 16, 15)), (SILVER, box(19, 14, 20, 15)), (SILVER, box(23, 14, 24, 15)),
    (SILVER, polygon((9, 16.5), (12, 18), (12, 19), (9, 17.5))),
    (PAPER_WHITE, box(11, 2, 15, 16, 1.5)), (PAPER_WHITE, box(16, 9, 19, 16, 1.5)),
    (PAPER_WHITE, box(20, 10, 23, 16, 1.5)), (PAPER_WHITE, box(24, 12, 27, 16, 1.5)),
    (PAPER_WHITE, box(3, 14, 9, 18, 2.0)), (PAPER_WHITE, box(7, 15, 9, 18)),
    (PAPER_WHITE, polygon((7.5, 15), (27, 15), (27, 19), (24.5, 24), (10.5, 24))),
]

# A blue cuff outlined in black, navy at the bottom, over the wrist: (color, left, top, right, bottom).
CUFF = [(BLACK, 8, 23, 27, 29), (BLUE, 9, 24, 26, 27), (NAVY, 9, 27, 26, 28)]


def hand(scale=1):
    """Palette indices of the pointing hand and its opaque mask."""
    picture, opaque = outlined(
        "P", scale, lambda x, y: next((color for color, holds in HAND_SHAPES if holds(x, y)), None), BLACK)
    for color, left, top, right, bottom in CUFF:
        corners = (left * scale, top * scale, right * scale - 1, bottom * scale - 1)
        ImageDraw.Draw(picture).rectangle(corners, fill=color)
        ImageDraw.Draw(opaque).rectangle(corners, fill=255)
    return picture, opaque


# ---------------------------------------------------------------- ICO and CUR files
# Pillow 9.4 writes no cursors, and the bitmap entries of its icons (bitmap_format="bmp"; PNG by default)
# have an empty AND mask, 0 planes and, for a palette picture, 8 bits and 256 colors, never 4: packed here.

def icon_file(kind, fields, picture, opaque, table=b""):
    """An icon (kind 1, `fields` planes and bits) or cursor (kind 2, `fields` the hot spot) holding one
    square 24-bit or, with a 16-entry `table`, 4-bit picture: bitmap header, color table, color rows and
    AND mask (1 where transparent), rows bottom first."""
    side = picture.width
    bits = 24 if picture.mode == "RGB" else 4
    colors = picture.transpose(FLIP).tobytes("raw", "BGR" if bits == 24 else "P;4")
    # Rows of 32 and 64 pixels fill whole 4-byte words, as bitmap rows must.
    mask = opaque.point(lambda v: 0 if v else 255, "1").transpose(FLIP).tobytes()
    # The height counts the color rows and the mask rows together.
    image = (struct.pack("<IiiHHIIiiII", 40, side, 2 * side, 1, bits, 0, len(colors) + len(mask), 0, 0,
                         len(table) // 4, 0) + table + colors + mask)
    entry = struct.pack("<BBBBHHII", side, side, len(table) // 4, 0, *fields, len(image), 6 + 16)
    return struct.pack("<HHH", 0, kind, 1) + entry + image


def ico_24(picture, opaque):
    """A 24-bit icon, black where transparent: Qt ignores the mask of 24-bit icons, and the program
    rebuilds it from black."""
    return icon_file(1, (1, 24), picture, opaque)


def cur_4(picture, opaque, hot_spot):
    """A 16-color cursor from VGA palette indices."""
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA_PALETTE)
    return icon_file(2, hot_spot, picture, opaque, table)


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
INK, PAPER = 0, 1
# Larger, a scalable font: at 19 px its caps are 14 px high, like the pixel font's 7 doubled.
NOTICE_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def notice(scale=1):
    """The line centred in two colors, caps 7 px high at scale 1 with a clear row above and below: in the
    pixel font with one pixel column between glyphs, and larger in the scalable font without
    anti-aliasing, its baseline a pixel higher to keep the Q's tail off the edge."""
    width, height = NOTICE_SIZE[0] * scale, NOTICE_SIZE[1] * scale
    picture = Image.new("P", (width, height), PAPER)
    draw = ImageDraw.Draw(picture)
    if scale > 1:
        draw.fontmode = "1"
        font = ImageFont.truetype(NOTICE_FONT, round(9.5 * scale))
        draw.text((width // 2, 8 * scale - 1), NOTICE, INK, font, "ms")
        return picture
    glyphs = [FONT[c] for c in NOTICE]
    x = (width - (sum(len(g[0]) + 1 for g in glyphs) - 1)) // 2
    for glyph in glyphs:
        ink = [(x + dx, 1 + dy) for dy, row in enumerate(glyph) for dx, c in enumerate(row) if c == "#"]
        draw.point(ink, INK)
        x += len(glyph[0]) + 1
    return picture


def lzw_bytes(indices, min_code_size):
    """GIF LZW data: the code size, then sub-blocks of up to 255 bytes holding the codes least significant
    bit first, from a clear code to the end-of-information code."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1

    def fresh():
        return {(i,): i for i in range(clear)}, min_code_size + 1

    table, width = fresh()
    codes, phrase = [(clear, width)], ()
    for index in indices:
        if phrase + (index,) in table:
            phrase += (index,)
            continue
        codes.append((table[phrase], width))
        next_code = len(table) + 2  # after the clear and end codes
        if next_code == 4096:
            codes.append((clear, width))
            table, width = fresh()
        else:
            table[phrase + (index,)] = next_code
            # The decoder learns each entry one code later, so it widens after reading the next code.
            if next_code == 1 << width:
                width += 1
        phrase = (index,)
    if phrase:
        codes.append((table[phrase], width))
        # The decoder still adds an entry for this last code and may widen before reading the end code.
        if len(table) + 2 == 1 << width and width < 12:
            width += 1
    codes.append((end, width))
    stream, filled = 0, 0
    for code, bits in codes:
        stream |= code << filled
        filled += bits
    packed = stream.to_bytes((filled + 7) // 8, "little")
    return (bytes((min_code_size,)) + b"".join(bytes((len(packed[i:i + 255]),)) + packed[i:i + 255]
                                               for i in range(0, len(packed), 255)) + b"\x00")


def gif_two_colors(picture, ink, paper):
    """A GIF89a with a two-entry global table (ink, paper) whose paper entry is transparent. Pillow would
    pad the table to four entries and code with 8-bit roots, so the file is put together here."""
    width, height = picture.size
    # Global table present, 8 bits per primary in the source, table of 2 ** (0 + 1) entries.
    screen = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF0, 1, 0)
    control = b"\x21\xf9\x04" + struct.pack("<BHB", 0x01, 0, PAPER) + b"\x00"
    descriptor = b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    return (screen + bytes(ink) + bytes(paper) + control + descriptor + lzw_bytes(picture.tobytes(), 2)
            + b"\x3b")


# ---------------------------------------------------------------- writing, once read back

def write(folder, name, data, picture, opaque, palette=b"", hot_spot=None):
    """Writes `data` if Pillow reads it back as drawn: `picture` (indices into `palette`, its color table)
    where `opaque`, transparent elsewhere, with `hot_spot`; else stops, naming the file and the fault."""
    drawn = picture.copy()
    if palette:
        drawn.putpalette(palette)
    drawn = drawn.convert("RGBA")
    drawn.putalpha(opaque)
    try:
        read = Image.open(io.BytesIO(data))
        decoded, spot, table = read.convert("RGBA"), None, bytes(read.getpalette() or b"")[:len(palette)]
        if read.format == "CUR":
            # Pillow's cursor reader skips the mask and the hot spot; its icon reader, told it is an icon,
            # reads both (the hot spot as planes and bits).
            icon = IcoImagePlugin.IcoFile(io.BytesIO(data[:2] + b"\1" + data[3:]))
            decoded, spot = icon.frame(0), (icon.entry[0]["planes"], icon.entry[0]["bpp"])
    except Exception as error:
        sys.exit("%s: Pillow cannot read it: %s" % (name, error))
    for what, found, meant in (("size", decoded.size, drawn.size), ("hot spot", spot, hot_spot),
                               ("color table", table.hex(), palette.hex())):
        if found != meant:
            sys.exit("%s: %s %s, drawn %s" % (name, what, found, meant))
    wrong = next(((i % drawn.width, i // drawn.width, got, want) for i, (got, want)
                  in enumerate(zip(decoded.getdata(), drawn.getdata())) if got != want), None)
    if wrong:
        sys.exit("%s: pixel (%d, %d) reads back as %s, drawn %s" % ((name,) + wrong))
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def main():
    # Next to this script, or into the folder given as the only argument (to compare with those committed).
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(os.path.join(folder, "icons"), exist_ok=True)
    window_icon = window_icon_32()
    window = window_icon.convert("RGB"), window_icon.getchannel("A")
    write(folder, "corvella.ico", ico_24(*window), *window)
    for scale, suffix in ((1, ""), (2, "@2x")):
        dropper, pointer, text = eyedropper(scale), hand(scale), notice(scale)
        write(folder, "eyedropper%s.ico" % suffix, ico_24(*dropper), *dropper)
        hot_spot = (HAND_HOT_SPOT[0] * scale, HAND_HOT_SPOT[1] * scale)
        write(folder, "hand%s.cur" % suffix, cur_4(*pointer, hot_spot), *pointer,
              bytes(sum(VGA_PALETTE, ())), hot_spot)
        write(folder, "notice%s.gif" % suffix, gif_two_colors(text, TEXT_GRAY, WHITE), text,
              text.point(lambda i: 255 * (i != PAPER), "L"), bytes(TEXT_GRAY + WHITE))
    # The icon theme takes PNG: the window icon's own 32 px picture, and larger renderings.
    for size in (32, 48, 64, 128, 256):
        icon, png = window_icon if size == 32 else theme_icon(size), io.BytesIO()
        icon.save(png, "PNG", optimize=True)
        write(folder, "icons/corvella-%d.png" % size, png.getvalue(), icon, icon.getchannel("A"))


if __name__ == "__main__":
    main()
