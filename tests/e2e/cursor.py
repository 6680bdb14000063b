"""Checks the cursor the X server shows now against a .cur file (argv[1]): the same size, and the click
point (hot spot) where the file puts it."""
import struct
import sys

from Xlib import display

with open(sys.argv[1], "rb") as cur:
    header = cur.read(14)  # the file's header, then the first entry: width, height, colors, -, hot spot
width, height, _, _, hot_x, hot_y = struct.unpack("<6x4B2H", header)
screen = display.Display()
screen.xfixes_query_version()
shown = screen.xfixes_get_cursor_image(None)
got = (shown.width, shown.height, shown.xhot, shown.yhot)
assert got == (width, height, hot_x, hot_y), "the X server shows a %dx%d cursor with its hot spot at (%d, %d), " \
    "the file a %dx%d one at (%d, %d)" % (got + (width, height, hot_x, hot_y))
