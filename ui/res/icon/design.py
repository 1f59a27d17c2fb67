"""The Tessam application icon: a USB stick carrying a PLC program.

A blue stick stands upright with its metal plug at the bottom; on the stick
a white normally-open contact, the first thing a ladder diagram shows, sits
above a yellow arrow pointing down into the plug: a PLC program going onto
the stick.

The picture is described once, in units of a 256-pixel square, and drawn
at every size from that description. Edges are snapped to whole pixels of
the target size so small renderings stay crisp instead of blurring. The
16- and 24-pixel pictures are drawn by hand below: there every pixel matters.
"""

import math

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
    # A lighter band down the left side gives the flat stick a little depth.
    inner_left, inner_top, inner_right, inner_bottom = (left + stroke, top + stroke,
                                                        right - stroke, bottom - stroke)
    canvas.fill(raster.rounded_rect(inner_left, inner_top, inner_right, inner_bottom,
                                    radius - stroke), BODY_LIGHT)
    shine_right = inner_left + max(1, grid.edge(18))
    canvas.fill(raster.rounded_rect(shine_right, inner_top, inner_right, inner_bottom,
                                    radius - stroke, rounded=(True, True, False, False)), BODY)


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
    """A bold arrow pointing down at the plug, with a dark rim for contrast.

    The head's sides run at 45 degrees, so with its corners on whole pixels
    they stay clean steps even at small sizes.
    """
    middle = grid.free(128)
    shaft_half, head_half = grid.edge(128 + 20) - middle, grid.edge(128 + 50) - middle
    top, neck = grid.edge(92), grid.edge(120)
    tip = neck + head_half
    rim = max(1.0, grid.free(6))
    diagonal = rim * math.sqrt(2)

    def arrow(grow, head_grow, tip_grow):
        return raster.polygon([
            (middle - shaft_half - grow, top - grow), (middle + shaft_half + grow, top - grow),
            (middle + shaft_half + grow, neck - grow), (middle + head_half + head_grow, neck - grow),
            (middle, tip + tip_grow),
            (middle - head_half - head_grow, neck - grow), (middle - shaft_half - grow, neck - grow),
        ])
    canvas.fill(arrow(rim, rim + diagonal, diagonal), ARROW_EDGE)
    canvas.fill(arrow(0, 0, 0), ARROW)


# The two smallest pictures, drawn by hand one character per pixel: scaled
# down, the contact and the arrow run into each other.
PIXEL_KEY = {
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

HAND_DRAWN = {
    16: """
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
""",
    24: """
........................
.....oooooooooooooo.....
....olbbbbwbbwbbbbbo....
....olbbbbwbbwbbbbbo....
....olbwwwwbbwwwwbbo....
....olbbbbwbbwbbbbbo....
....olbbbbwbbwbbbbbo....
....olbbbbbbbbbbbbbo....
....olbbbbyyyybbbbbo....
....olbbbbyyyybbbbbo....
....olbbbbyyyybbbbbo....
....olbyyyyyyyyyybbo....
....olbbyyyyyyyybbbo....
....olbbbyyyyyybbbbo....
....olbbbbyyyybbbbbo....
....olbbbbbyybbbbbbo....
.....oooooooooooooo.....
........gppppppg........
........gppppppg........
........ghhpphhg........
........ghhpphhg........
........gppppppg........
........gggggggg........
........................
""",
}


def draw_pixels(canvas, pixels):
    rows = pixels.strip().splitlines()
    if len(rows) != canvas.size or any(len(row) != canvas.size for row in rows):
        raise ValueError(f"pixel picture is not {canvas.size} x {canvas.size}")
    for y, row in enumerate(rows):
        for x, symbol in enumerate(row):
            colour = PIXEL_KEY[symbol]
            if colour is not None:
                canvas.fill(raster.rect(x, y, x + 1, y + 1), colour)


def draw(size):
    """The picture at one size, as straight 8-bit RGBA tuples, top row first."""
    canvas = raster.Canvas(size)
    if size in HAND_DRAWN:
        draw_pixels(canvas, HAND_DRAWN[size])
    else:
        draw_vector(canvas)
    return canvas.rgba()
