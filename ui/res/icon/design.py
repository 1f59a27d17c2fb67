"""The Tessam application icon: a USB stick carrying a PLC program.

A blue stick stands upright with its metal plug at the bottom; on the stick
a white normally-open contact, the first thing a ladder diagram shows, sits
above a yellow arrow pointing down into the plug: a PLC program going onto
the stick.

The picture is described once, in units of a 256-pixel square, and drawn
at every size from that description. Edges are snapped to whole pixels of
the target size so small renderings stay crisp instead of blurring. The
16-pixel picture is drawn by hand below: at that size every pixel matters.
"""

import raster

OUTLINE = (18, 40, 86)
BODY = (32, 102, 204)
BODY_LIGHT = (74, 146, 236)
PLUG = (214, 220, 228)
PLUG_EDGE = (88, 98, 114)
PLUG_HOLE = (62, 72, 90)
CONTACT = (255, 255, 255)
ARROW = (255, 196, 36)
ARROW_EDGE = (178, 104, 0)


class Grid:
    """Maps design units (0 to 256) to pixels of one size."""

    def __init__(self, size):
        self.scale = size / 256.0

    def edge(self, value):
        """A straight edge, moved to the nearest pixel boundary."""
        return round(value * self.scale)

    def free(self, value):
        """A point that keeps its exact place (slanted edges blur anyway)."""
        return value * self.scale

    def band(self, start, end, least=1):
        """An edge pair at least `least` pixels apart, so thin strokes never vanish."""
        low, high = self.edge(start), self.edge(end)
        return low, max(high, low + least)


def draw_vector(canvas):
    grid = Grid(canvas.size)
    _draw_plug(canvas, grid)
    _draw_body(canvas, grid)
    _draw_contact(canvas, grid)
    _draw_arrow(canvas, grid)


def _draw_plug(canvas, grid):
    left, right, top, bottom = grid.edge(80), grid.edge(176), grid.edge(168), grid.edge(248)
    stroke = max(1, grid.edge(7))
    canvas.fill(raster.rounded_rect(left, top, right, bottom, grid.free(10)), PLUG_EDGE)
    canvas.fill(raster.rounded_rect(left + stroke, top + stroke, right - stroke, bottom - stroke,
                                    grid.free(5)), PLUG)
    hole_top, hole_bottom = grid.band(200, 222, least=2)
    for hole_left, hole_right in ((100, 120), (136, 156)):
        low, high = grid.band(hole_left, hole_right, least=2)
        canvas.fill(raster.rect(low, hole_top, high, hole_bottom), PLUG_HOLE)


def _draw_body(canvas, grid):
    left, right, top, bottom = grid.edge(44), grid.edge(212), grid.edge(8), grid.edge(184)
    stroke = max(1, grid.edge(8))
    radius = grid.free(28)
    canvas.fill(raster.rounded_rect(left, top, right, bottom, radius), OUTLINE)
    inner = (left + stroke, top + stroke, right - stroke, bottom - stroke)
    canvas.fill(raster.rounded_rect(*inner, radius - stroke), BODY)
    # A lighter band down the left side gives the flat stick a little depth.
    shine_right = inner[0] + max(1, grid.edge(18))
    shine = raster.combine(
        raster.rounded_rect(*inner, radius - stroke),
        raster.rounded_rect(shine_right, inner[1] - 1, inner[2] + 1, inner[3] + 1, 0),
    )
    canvas.fill(shine, BODY_LIGHT)


def _draw_contact(canvas, grid):
    """The ladder contact: a wire, two upright bars, a wire."""
    wire_top, wire_bottom = grid.band(52, 62, least=1)
    bar_top, bar_bottom = grid.edge(30), grid.edge(84)
    for left, right in ((72, 106), (150, 184)):
        canvas.fill(raster.rect(grid.edge(left), wire_top, grid.edge(right), wire_bottom), CONTACT)
    for left, right in ((102, 114), (142, 154)):
        low, high = grid.band(left, right, least=1)
        canvas.fill(raster.rect(low, bar_top, high, bar_bottom), CONTACT)


def _draw_arrow(canvas, grid):
    """A bold arrow pointing down at the plug, with a thin dark rim for contrast."""
    def arrow(grow):
        shaft_left, shaft_right = grid.free(106 - grow), grid.free(150 + grow)
        head_left, head_right = grid.free(70 - 1.6 * grow), grid.free(186 + 1.6 * grow)
        top, neck, tip = grid.free(98 - grow), grid.free(126 - grow * 0.4), grid.free(172 + 1.8 * grow)
        middle = grid.free(128)
        return raster.polygon([
            (shaft_left, top), (shaft_right, top), (shaft_right, neck), (head_right, neck),
            (middle, tip), (head_left, neck), (shaft_left, neck),
        ])
    canvas.fill(arrow(6), ARROW_EDGE)
    canvas.fill(arrow(0), ARROW)


# The 16-pixel picture, one character per pixel.
PIXELS_16_KEY = {
    ".": None,
    "o": OUTLINE,
    "b": BODY,
    "l": BODY_LIGHT,
    "w": CONTACT,
    "y": ARROW,
    "e": ARROW_EDGE,
    "p": PLUG,
    "g": PLUG_EDGE,
    "h": PLUG_HOLE,
}

PIXELS_16 = """
...oooooooooo...
..olbbwbbwbbbo..
..olwwwbbwwwbo..
..olbbwbbwbbbo..
..olbbbbbbbbbo..
..olbbbyybbbbo..
..olbbbyybbbbo..
..olbbbyybbbbo..
..olbyyyyyybbo..
..olbbyyyybbbo..
..olbbbyybbbbo..
...oooooooooo...
....gppppppg....
....ghhpphhg....
....gppppppg....
....gggggggg....
"""


def draw_pixels(canvas, pixels=PIXELS_16, key=PIXELS_16_KEY):
    rows = [line for line in pixels.strip().splitlines()]
    if len(rows) != canvas.size or any(len(row) != canvas.size for row in rows):
        raise ValueError(f"pixel picture is not {canvas.size} x {canvas.size}")
    for y, row in enumerate(rows):
        for x, symbol in enumerate(row):
            colour = key[symbol]
            if colour is not None:
                canvas.fill(raster.rect(x, y, x + 1, y + 1), colour)


def draw(size):
    """The picture at one size, as straight 8-bit RGBA tuples, top row first."""
    canvas = raster.Canvas(size)
    if size == 16:
        draw_pixels(canvas)
    else:
        draw_vector(canvas)
    return canvas.rgba()
