#!/usr/bin/env python3
"""Checks the checked-in icon and cursor files: their formats, and that they
are what res/art/draw.py makes now. What the built exe holds is checked
under Wine (tests/ExeResourcesTest.cpp)."""

import filecmp
import os
import struct
import subprocess
import sys
import tempfile
import unittest

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")


def read_directory(path):
    """(kind, entries); an entry is (width, height, colours, word1, word2, image bytes)."""
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data)
    assert reserved == 0
    entries = []
    for i in range(count):
        w, h, colours, _, word1, word2, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        assert offset + size <= len(data)
        entries.append((w or 256, h or 256, colours, word1, word2, data[offset:offset + size]))
    return kind, entries


class ArtTest(unittest.TestCase):
    def test_icon_sizes_and_depths(self):
        kind, entries = read_directory(os.path.join(RES, "Morlind.ico"))
        self.assertEqual(kind, 1)
        got = sorted((w, bits) for w, h, colours, planes, bits, image in entries)
        want = [(s, 32) for s in (128, 96, 72, 64, 48, 32, 24, 16)] + \
               [(s, b) for s in (48, 32, 24, 16) for b in (8, 4)]
        self.assertEqual(got, sorted(want))

    def test_cursor_is_32_pixels_16_colours_with_hot_spot_at_the_fingertip(self):
        kind, entries = read_directory(os.path.join(RES, "hand.cur"))
        self.assertEqual((kind, len(entries)), (2, 1))
        w, h, colours, hot_x, hot_y, image = entries[0]
        self.assertEqual((w, h, colours, hot_x, hot_y), (32, 32, 16, 12, 1))
        bits = struct.unpack_from("<H", image, 14)[0]
        self.assertEqual(bits, 4)


class GeneratorTest(unittest.TestCase):
    def test_checked_in_files_are_current(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(RES, "art", "draw.py"), out], check=True)
            for name in ("Morlind.ico", "hand.cur"):
                self.assertTrue(filecmp.cmp(os.path.join(out, name), os.path.join(RES, name), shallow=False),
                                f"res/{name} differs from a fresh run of res/art/draw.py")


if __name__ == "__main__":
    unittest.main()
