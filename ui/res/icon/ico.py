"""The Windows icon container and the bitmaps inside it.

An icon file is a 6-byte ICONDIR, one 16-byte ICONDIRENTRY per image, then
the images. Each image is either a PNG file or a DIB: a BITMAPINFOHEADER
whose height counts the colour rows and the mask rows together (twice the
icon height), the palette, the colour (XOR) rows and the 1-bit AND mask
rows, both stored bottom row first and each row padded to 4 bytes.
"""

import struct

BITMAPINFOHEADER_SIZE = 40


class Image:
    """One finished image of the icon: its directory fields and its bytes."""

    def __init__(self, size, bits, data, palette_size=0):
        self.size, self.bits, self.data, self.palette_size = size, bits, data, palette_size


def _row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def _pack_row(values, bits):
    """Pack small integers (palette indices or mask bits) high bits first, padded to 4 bytes."""
    out = bytearray(_row_bytes(len(values), bits))
    per_byte = 8 // bits
    for x, value in enumerate(values):
        shift = 8 - bits * (x % per_byte + 1)
        out[x // per_byte] |= value << shift
    return bytes(out)


def _info_header(size, bits, image_bytes, palette_size):
    return struct.pack("<IiiHHIIiiII", BITMAPINFOHEADER_SIZE, size, 2 * size, 1, bits, 0,
                       image_bytes, 0, 0, palette_size, 0)


def _and_mask(size, transparent):
    rows = [_pack_row([int(t) for t in transparent[y * size:(y + 1) * size]], 1)
            for y in reversed(range(size))]
    return b"".join(rows)


def palette_dib(size, bits, palette, indices, transparent):
    """A 4- or 8-bit palette image; the palette is padded to its full 2**bits entries."""
    entries = 1 << bits
    if len(palette) > entries:
        raise ValueError(f"{len(palette)} colours do not fit in {bits} bits")
    quads = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    quads += bytes(4 * (entries - len(palette)))
    colour_rows = b"".join(_pack_row(indices[y * size:(y + 1) * size], bits)
                           for y in reversed(range(size)))
    mask = _and_mask(size, transparent)
    header = _info_header(size, bits, len(colour_rows) + len(mask), 0)
    return Image(size, bits, header + quads + colour_rows + mask,
                 palette_size=entries if bits < 8 else 0)


def rgba_dib(size, rgba):
    """A 32-bit BGRA image; the AND mask repeats the alpha for programs that ignore it."""
    colour_rows = b"".join(
        bytes(channel for r, g, b, a in rgba[y * size:(y + 1) * size] for channel in (b, g, r, a))
        for y in reversed(range(size)))
    mask = _and_mask(size, [pixel[3] == 0 for pixel in rgba])
    header = _info_header(size, 32, len(colour_rows) + len(mask), 0)
    return Image(size, 32, header + colour_rows + mask)


def png_image(size, png_bytes):
    return Image(size, 32, png_bytes)


def container(images):
    """The whole .ico file, images in the order given."""
    directory_size = 6 + 16 * len(images)
    offset = directory_size
    entries = []
    for image in images:
        dimension = image.size if image.size < 256 else 0   # 0 means 256 in a byte field
        entries.append(struct.pack("<BBBBHHII", dimension, dimension, image.palette_size, 0,
                                   1, image.bits, len(image.data), offset))
        offset += len(image.data)
    return (struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries)
            + b"".join(image.data for image in images))
