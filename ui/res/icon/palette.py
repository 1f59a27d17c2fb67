"""Reduce an RGBA picture to a palette picture with a 1-bit transparency mask.

Palette images in an icon have no alpha: a pixel is either drawn or left
to the background by the AND mask. Half-covered edge pixels are drawn when
at least half opaque. Palette entry 0 is black and is what transparent
pixels hold, because Windows XORs the colour onto the masked background.
"""

OPAQUE_FROM = 128


def quantize(rgba, colours):
    """(palette, indices, transparent) with at most `colours` palette entries."""
    opaque = [pixel[:3] for pixel in rgba if pixel[3] >= OPAQUE_FROM]
    counts = {}
    for colour in opaque:
        counts[colour] = counts.get(colour, 0) + 1
    chosen = _median_cut(counts, colours - 1)
    palette = [(0, 0, 0)] + chosen
    nearest = {colour: 1 + _closest(colour, chosen) for colour in counts}
    indices, transparent = [], []
    for pixel in rgba:
        drawn = pixel[3] >= OPAQUE_FROM
        indices.append(nearest[pixel[:3]] if drawn else 0)
        transparent.append(not drawn)
    return palette, indices, transparent


def _closest(colour, palette):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def _median_cut(counts, limit):
    """At most `limit` colours standing for the counted colours, weighted by use."""
    if len(counts) <= limit:
        return sorted(counts)
    boxes = [sorted(counts.items())]
    while len(boxes) < limit:
        splittable = [box for box in boxes if len(box) > 1]
        if not splittable:
            break
        box = max(splittable, key=lambda b: _spread(b)[0] * sum(count for _, count in b))
        boxes.remove(box)
        channel = _spread(box)[1]
        box.sort(key=lambda item: item[0][channel])
        total, running, cut = sum(count for _, count in box), 0, 1
        for cut, (_, count) in enumerate(box, start=1):
            running += count
            if running * 2 >= total:
                break
        cut = min(max(cut, 1), len(box) - 1)
        boxes += [box[:cut], box[cut:]]
    return sorted(_average(box) for box in boxes)


def _spread(box):
    """Widest channel range of a box and the channel it is in."""
    ranges = [max(c[ch] for c, _ in box) - min(c[ch] for c, _ in box) for ch in range(3)]
    widest = max(range(3), key=lambda ch: ranges[ch])
    return ranges[widest], widest


def _average(box):
    total = sum(count for _, count in box)
    return tuple(round(sum(c[ch] * count for c, count in box) / total) for ch in range(3))
