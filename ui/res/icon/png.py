"""PNG encoding of RGBA pictures with the standard library's zlib."""

import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def encode(rgba, width, height):
    """8-bit RGBA PNG; each row gets the filter that leaves the smallest residue."""
    stride = width * 4
    flat = bytes(channel for pixel in rgba for channel in pixel)
    raw = bytearray()
    previous = bytes(stride)
    for y in range(height):
        row = flat[y * stride:(y + 1) * stride]
        candidates = [_filter(kind, row, previous) for kind in range(5)]
        kind = min(range(5), key=lambda k: sum(b if b < 128 else 256 - b for b in candidates[k]))
        raw.append(kind)
        raw += candidates[kind]
        previous = row
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (SIGNATURE + _chunk(b"IHDR", header)
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b""))


def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def _filter(kind, row, previous):
    out = bytearray(len(row))
    for i, value in enumerate(row):
        left = row[i - 4] if i >= 4 else 0
        up = previous[i]
        up_left = previous[i - 4] if i >= 4 else 0
        if kind == 0:
            predicted = 0
        elif kind == 1:
            predicted = left
        elif kind == 2:
            predicted = up
        elif kind == 3:
            predicted = (left + up) // 2
        else:
            predicted = _paeth(left, up, up_left)
        out[i] = (value - predicted) & 0xFF
    return out


def _paeth(left, up, up_left):
    estimate = left + up - up_left
    to_left, to_up, to_up_left = abs(estimate - left), abs(estimate - up), abs(estimate - up_left)
    if to_left <= to_up and to_left <= to_up_left:
        return left
    if to_up <= to_up_left:
        return up
    return up_left
