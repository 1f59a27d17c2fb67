#!/usr/bin/env python3
"""Checks ui/res/tessam.ico, reading it with a parser of its own, and that
scripts/make-icon.py still produces exactly that file and the hicolor PNGs."""

import pathlib
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

REPO = pathlib.Path(__file__).resolve().parents[2]
ICON = REPO / "ui" / "res" / "tessam.ico"
MAKER = REPO / "scripts" / "make-icon.py"

EXPECTED = [(48, 4), (32, 4), (24, 4), (16, 4), (48, 8), (32, 8), (24, 8), (16, 8),
            (256, 32), (48, 32), (32, 32), (24, 32), (16, 32)]
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def read_directory(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    entries = [struct.unpack_from("<BBBBHHII", data, 6 + 16 * i) for i in range(count)]
    return reserved, kind, entries


def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def decode_dib(blob, size, bits):
    """(pixels, transparent): pixels are palette indices or BGRA tuples, top row first."""
    palette_entries = 1 << bits if bits <= 8 else 0
    offset = 40 + 4 * palette_entries
    colour_stride, mask_stride = row_bytes(size, bits), row_bytes(size, 1)
    mask_offset = offset + colour_stride * size
    pixels, transparent = [], []
    for y in reversed(range(size)):   # stored bottom row first
        row = blob[offset + y * colour_stride:]
        mask = blob[mask_offset + y * mask_stride:]
        for x in range(size):
            if bits == 32:
                pixels.append(tuple(row[4 * x:4 * x + 4]))
            else:
                per_byte = 8 // bits
                shift = 8 - bits * (x % per_byte + 1)
                pixels.append((row[x // per_byte] >> shift) & ((1 << bits) - 1))
            transparent.append(bool((mask[x // 8] >> (7 - x % 8)) & 1))
    palette = [tuple(blob[40 + 4 * i:40 + 4 * i + 4]) for i in range(palette_entries)]
    return pixels, transparent, palette


def decode_png(blob):
    """(width, height, RGBA tuples top row first) of an 8-bit RGBA PNG."""
    assert blob.startswith(PNG_SIGNATURE)
    position, idat, header = 8, b"", None
    while position < len(blob):
        length, kind = struct.unpack_from(">I4s", blob, position)
        body = blob[position + 8:position + 8 + length]
        crc, = struct.unpack_from(">I", blob, position + 8 + length)
        assert crc == zlib.crc32(kind + body), f"bad CRC in {kind}"
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        position += 12 + length
    width, height, depth, colour_type = header[:4]
    assert (depth, colour_type) == (8, 6), "not 8-bit RGBA"
    raw, stride, rows, previous = zlib.decompress(idat), width * 4, [], bytearray(width * 4)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = row[i - 4] if i >= 4 else 0
            up, up_left = previous[i], previous[i - 4] if i >= 4 else 0
            if kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                predicted = left if pa <= pb and pa <= pc else (up if pb <= pc else up_left)
            else:
                predicted = [0, left, up, (left + up) // 2][kind]
            row[i] = (row[i] + predicted) & 0xFF
        rows.append(row)
        previous = row
    pixels = [tuple(row[4 * x:4 * x + 4]) for row in rows for x in range(width)]
    return width, height, pixels


def first_difference(actual, expected, size):
    """Where two pictures of `size` pixels a row first differ, or None (a readable failure
    message: unittest would otherwise diff thousands of pixels)."""
    if len(actual) != len(expected):
        return f"{len(actual)} pixels against {len(expected)}"
    for i, (a, b) in enumerate(zip(actual, expected)):
        if a != b:
            return f"first difference at x={i % size}, y={i // size}: {a} against {b}"
    return None


class CommittedIcon(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = ICON.read_bytes()
        cls.reserved, cls.kind, cls.entries = read_directory(cls.data)

    def blob(self, index):
        *_, length, offset = self.entries[index]
        return self.data[offset:offset + length]

    def index_of(self, size, bits):
        return EXPECTED.index((size, bits))

    def test_directory_lists_the_thirteen_images_in_order(self):
        self.assertEqual((self.reserved, self.kind), (0, 1))
        self.assertEqual(len(self.entries), 13)
        for (width, height, colours, reserved, planes, bits, _, _), (size, want_bits) in zip(
                self.entries, EXPECTED):
            self.assertEqual((width, height), (size % 256, size % 256))
            self.assertEqual((planes, bits, reserved), (1, want_bits, 0))
            self.assertEqual(colours, 16 if want_bits == 4 else 0)

    def test_image_data_lies_inside_the_file_without_overlap(self):
        ranges = sorted((offset, offset + length) for *_, length, offset in self.entries)
        self.assertGreaterEqual(ranges[0][0], 6 + 16 * len(self.entries))
        self.assertLessEqual(ranges[-1][1], len(self.data))
        for (_, end), (start, _) in zip(ranges, ranges[1:]):
            self.assertLessEqual(end, start)

    def test_bitmaps_have_doubled_height_and_exact_padded_size(self):
        for index, (size, bits) in enumerate(EXPECTED):
            if size == 256:
                continue
            blob = self.blob(index)
            header = struct.unpack_from("<IiiHHI", blob, 0)
            self.assertEqual(header, (40, size, 2 * size, 1, bits, 0), f"image {index}")
            palette = 4 * (1 << bits) if bits <= 8 else 0
            expected = 40 + palette + size * (row_bytes(size, bits) + row_bytes(size, 1))
            self.assertEqual(len(blob), expected, f"image {index}")

    def test_largest_image_is_a_256_pixel_rgba_png(self):
        width, height, pixels = decode_png(self.blob(self.index_of(256, 32)))
        self.assertEqual((width, height), (256, 256))
        alphas = {pixel[3] for pixel in pixels}
        self.assertIn(0, alphas)
        self.assertIn(255, alphas)

    def test_masks_agree_with_alpha_and_hide_only_black(self):
        for size in (48, 32, 24, 16):
            true_colour, mask32, _ = decode_dib(self.blob(self.index_of(size, 32)), size, 32)
            self.assertIsNone(first_difference(mask32, [pixel[3] == 0 for pixel in true_colour],
                                               size), f"{size} px")
            covered = [pixel[3] < 128 for pixel in true_colour]
            self.assertTrue(0 < sum(covered) < size * size, f"{size} px is blank or full")
            for bits in (4, 8):
                indices, mask, palette = decode_dib(self.blob(self.index_of(size, bits)), size, bits)
                self.assertIsNone(first_difference(mask, covered, size), f"{size} px, {bits} bits")
                # Windows XORs the colour of a masked pixel onto the background.
                for index, hidden in zip(indices, mask):
                    if hidden:
                        self.assertEqual(palette[index][:3], (0, 0, 0))

    def test_palette_images_keep_the_colours_of_the_true_colour_image(self):
        for size in (48, 16):
            true_colour, _, _ = decode_dib(self.blob(self.index_of(size, 32)), size, 32)
            for bits, tolerance in ((8, 8), (4, 48)):
                indices, mask, palette = decode_dib(self.blob(self.index_of(size, bits)), size, bits)
                errors = [max(abs(a - b) for a, b in zip(palette[i][:3], pixel[:3]))
                          for i, pixel, hidden in zip(indices, true_colour, mask)
                          if not hidden and pixel[3] == 255]
                self.assertLessEqual(sum(errors) / len(errors), tolerance, f"{size} px, {bits} bits")


class Regeneration(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory()
        cls.out = pathlib.Path(cls.scratch.name)
        subprocess.run([sys.executable, str(MAKER), "--output", str(cls.out / "tessam.ico"),
                        "--hicolor", str(cls.out / "hicolor")], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def test_committed_icon_is_what_the_script_makes(self):
        self.assertTrue((self.out / "tessam.ico").read_bytes() == ICON.read_bytes(),
                        "ui/res/tessam.ico is stale: run scripts/make-icon.py and commit it")

    def test_hicolor_pngs_match_the_true_colour_images_the_right_way_up(self):
        data = ICON.read_bytes()
        _, _, entries = read_directory(data)
        for index, (size, bits) in enumerate(EXPECTED):
            if bits != 32:
                continue
            png_path = self.out / "hicolor" / f"{size}x{size}" / "apps" / "tessam.png"
            width, height, pixels = decode_png(png_path.read_bytes())
            self.assertEqual((width, height), (size, size))
            *_, length, offset = entries[index]
            blob = data[offset:offset + length]
            if size == 256:
                self.assertIsNone(first_difference(decode_png(blob)[2], pixels, size))
            else:
                bgra, _, _ = decode_dib(blob, size, 32)
                rgba = [(r, g, b, a) for b, g, r, a in bgra]
                self.assertIsNone(first_difference(rgba, pixels, size), f"{size} px")


if __name__ == "__main__":
    unittest.main(verbosity=2)
