"""A tiny anti-aliased shape painter, enough to draw the application icon.

Shapes are lists of closed contours (lists of (x, y) points in pixels, y
down) filled with the even-odd rule, so a contour inside another cuts a hole.
Coverage is exact along x and sampled with SUB_ROWS rows per pixel along y,
which is what a box filter of a large rendering would give, without drawing
the large rendering first.
"""

import math

SUB_ROWS = 16


def rect(x0, y0, x1, y1):
    return [[(x0, y0), (x1, y0), (x1, y1), (x0, y1)]]


def rounded_rect(x0, y0, x1, y1, radius, steps_per_corner=12, rounded=(True, True, True, True)):
    """A rectangle with round corners; `rounded` picks which ones, clockwise from top right."""
    radius = min(radius, (x1 - x0) / 2, (y1 - y0) / 2)
    if radius <= 0:
        return rect(x0, y0, x1, y1)
    corners = [  # corner point, centre of its arc and the arc's start angle, clockwise on screen
        ((x1, y0), (x1 - radius, y0 + radius), -90),
        ((x1, y1), (x1 - radius, y1 - radius), 0),
        ((x0, y1), (x0 + radius, y1 - radius), 90),
        ((x0, y0), (x0 + radius, y0 + radius), 180),
    ]
    points = []
    for (point, (cx, cy), start), is_round in zip(corners, rounded):
        if not is_round:
            points.append(point)
            continue
        for step in range(steps_per_corner + 1):
            angle = math.radians(start + 90 * step / steps_per_corner)
            points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return [points]


def polygon(points):
    return [list(points)]


def combine(*shapes):
    """One shape from several: overlapping parts cancel (even-odd), so use it for holes."""
    return [contour for shape in shapes for contour in shape]


def coverage(shape, width, height):
    """Fraction of each pixel covered by the shape, row-major, top row first."""
    edges = []
    for contour in shape:
        for (ax, ay), (bx, by) in zip(contour, contour[1:] + contour[:1]):
            if ay != by:
                edges.append((ax, ay, bx, by))
    result = [0.0] * (width * height)
    for row in range(height):
        partial = [0.0] * (width + 1)   # coverage of pixels a span only partly crosses
        steps = [0.0] * (width + 1)     # +1 where a run of fully covered pixels starts, -1 after it
        for sub in range(SUB_ROWS):
            y = row + (sub + 0.5) / SUB_ROWS
            crossings = sorted(
                ax + (y - ay) * (bx - ax) / (by - ay)
                for ax, ay, bx, by in edges
                if (ay <= y < by) or (by <= y < ay)
            )
            for left, right in zip(crossings[0::2], crossings[1::2]):
                _add_span(max(left, 0.0), min(right, float(width)), partial, steps)
        running = 0.0
        base = row * width
        for column in range(width):
            running += steps[column]
            result[base + column] = min(1.0, (running + partial[column]) / SUB_ROWS)
    return result


def _add_span(left, right, partial, steps):
    if right <= left:
        return
    first, last = int(left), int(right)
    if first == last:
        partial[first] += right - left
        return
    partial[first] += first + 1 - left
    steps[first + 1] += 1.0
    steps[last] -= 1.0
    if right > last:
        partial[last] += right - last


class Canvas:
    """A square RGBA picture painted back to front with the 'over' operator."""

    def __init__(self, size):
        self.size = size
        # Premultiplied colour and alpha, 0.0 to 1.0, so 'over' is one multiply-add.
        self._pixels = [(0.0, 0.0, 0.0, 0.0)] * (size * size)

    def fill(self, shape, colour, opacity=1.0):
        red, green, blue = (channel / 255.0 for channel in colour)
        cover = coverage(shape, self.size, self.size)
        pixels = self._pixels
        for index, amount in enumerate(cover):
            alpha = amount * opacity
            if alpha <= 0.0:
                continue
            r, g, b, a = pixels[index]
            keep = 1.0 - alpha
            pixels[index] = (red * alpha + r * keep, green * alpha + g * keep,
                             blue * alpha + b * keep, alpha + a * keep)

    def rgba(self):
        """Straight (not premultiplied) 8-bit RGBA tuples, row-major, top row first."""
        result = []
        for r, g, b, a in self._pixels:
            if a <= 0.0:
                result.append((0, 0, 0, 0))
                continue
            result.append((_byte(r / a), _byte(g / a), _byte(b / a), _byte(a)))
        return result


def _byte(value):
    return max(0, min(255, int(round(value * 255.0))))
