#!/usr/bin/env python3
"""Checks the structure of ui/res/tessam.ico, read with a parser of its own, and
that scripts/make-icon.py still produces exactly that file."""

import pathlib
import struct
import subprocess
import sys
import tempfile
import unittest

REPO = pathlib.Path(__file__).resolve().parents[2]
ICON = REPO / "ui" / "res" / "tessam.ico"
MAKER = REPO / "scripts" / "make-icon.py"

# (size, bits per pixel) of every image, in directory order.
EXPECTED = [(48, 4), (32, 4), (24, 4), (16, 4), (48, 8), (32, 8), (24, 8), (16, 8),
            (256, 32), (48, 32), (32, 32), (24, 32), (16, 32)]
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class CommittedIcon(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = ICON.read_bytes()
        reserved, kind, count = struct.unpack_from("<HHH", cls.data, 0)
        cls.header = (reserved, kind)
        cls.entries = [struct.unpack_from("<BBBBHHII", cls.data, 6 + 16 * i) for i in range(count)]

    def test_directory_lists_the_thirteen_images_in_order(self):
        self.assertEqual(self.header, (0, 1))
        self.assertEqual(len(self.entries), 13)
        for index, ((width, height, colours, reserved, planes, bits, _, _), (size, want_bits)) in enumerate(
                zip(self.entries, EXPECTED)):
            with self.subTest(image=index):
                self.assertEqual((width, height), (size % 256, size % 256))  # 0 stands for 256
                self.assertEqual((planes, bits, reserved), (1, want_bits, 0))
                self.assertEqual(colours, 16 if want_bits == 4 else 0)

    def test_image_data_lies_inside_the_file_without_overlap(self):
        ranges = sorted((offset, offset + length) for *_, length, offset in self.entries)
        self.assertGreaterEqual(ranges[0][0], 6 + 16 * len(self.entries))
        self.assertLessEqual(ranges[-1][1], len(self.data))
        for (_, end), (start, _) in zip(ranges, ranges[1:]):
            self.assertLessEqual(end, start)

    def test_only_the_256_pixel_image_is_a_png(self):
        for index, (*_, length, offset) in enumerate(self.entries):
            blob = self.data[offset:offset + length]
            with self.subTest(image=index):
                if EXPECTED[index][0] == 256:
                    self.assertTrue(blob.startswith(PNG_SIGNATURE))
                    # IHDR: width, height, bit depth 8, colour type 6 (RGBA).
                    self.assertEqual(blob[12:16], b"IHDR")
                    self.assertEqual(struct.unpack(">IIBB", blob[16:26]), (256, 256, 8, 6))
                else:
                    # A DIB whose height counts the colour and the mask rows.
                    size, bits = EXPECTED[index]
                    self.assertEqual(struct.unpack_from("<IiiHH", blob), (40, size, 2 * size, 1, bits))


class Regeneration(unittest.TestCase):
    def test_committed_icon_is_what_the_script_makes(self):
        with tempfile.TemporaryDirectory() as scratch:
            made = pathlib.Path(scratch) / "tessam.ico"
            subprocess.run([sys.executable, str(MAKER), "--output", str(made)], check=True)
            self.assertTrue(made.read_bytes() == ICON.read_bytes(),
                            "ui/res/tessam.ico is stale: run scripts/make-icon.py and commit it")


if __name__ == "__main__":
    unittest.main(verbosity=2)
