#!/usr/bin/env python3
"""Checks ui/res/tessam.ico, read with a parser of its own, and that scripts/make-icon.py makes exactly it."""

import pathlib
import struct
import subprocess
import sys
import tempfile
import unittest

REPO = pathlib.Path(__file__).resolve().parents[2]
ICON = REPO / "ui" / "res" / "tessam.ico"

# (size, bits per pixel) of every image, in directory order.
EXPECTED = [(48, 4), (32, 4), (24, 4), (16, 4), (48, 8), (32, 8), (24, 8), (16, 8),
            (256, 32), (48, 32), (32, 32), (24, 32), (16, 32)]


class Icon(unittest.TestCase):
    def test_directory_lists_each_image_in_order_and_its_data_lies_apart_inside_the_file(self):
        data = ICON.read_bytes()
        self.assertEqual(struct.unpack_from("<HHH", data), (0, 1, len(EXPECTED)))
        end_of_last = 6 + 16 * len(EXPECTED)
        for index, (size, bits) in enumerate(EXPECTED):
            with self.subTest(image=index):
                width, height, colours, reserved, planes, bit_count, length, offset = struct.unpack_from(
                    "<BBBBHHII", data, 6 + 16 * index)
                self.assertEqual((width, height), (size % 256, size % 256))  # 0 stands for 256
                self.assertEqual((colours, reserved, planes, bit_count), (16 if bits == 4 else 0, 0, 1, bits))
                # Images are stored in directory order, so "apart" is "after the last one".
                self.assertGreaterEqual(offset, end_of_last)
                end_of_last = offset + length
                self.assertLessEqual(end_of_last, len(data))
                blob = data[offset:end_of_last]
                if size == 256:  # a PNG: width, height, bit depth 8, colour type 6 (RGBA)
                    self.assertEqual(blob[:16], b"\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR")
                    self.assertEqual(struct.unpack(">IIBB", blob[16:26]), (256, 256, 8, 6))
                else:  # a DIB whose height counts the colour and the mask rows
                    self.assertEqual(struct.unpack_from("<IiiHH", blob), (40, size, 2 * size, 1, bits))

    def test_committed_icon_is_what_the_script_makes(self):
        with tempfile.TemporaryDirectory() as scratch:
            made = pathlib.Path(scratch) / "tessam.ico"
            subprocess.run([sys.executable, str(REPO / "scripts" / "make-icon.py"), "--output", str(made)], check=True)
            self.assertTrue(made.read_bytes() == ICON.read_bytes(),
                            "ui/res/tessam.ico is stale: run scripts/make-icon.py and commit it")


if __name__ == "__main__":
    unittest.main(verbosity=2)
