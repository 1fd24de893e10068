#!/usr/bin/env python3
"""Checks the checked-in icon, cursor and version resource: their formats,
that they are what res/art/draw.py makes now, and that windres takes them."""

import filecmp
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
WINDRES = shutil.which("x86_64-w64-mingw32-windres")


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


def decode(image):
    """(width, bits, RGBA pixels, AND mask); rows top-down, masked pixels get alpha 0."""
    hsize, w, h2, planes, bits, compression = struct.unpack_from("<IiiHHI", image)
    assert (hsize, planes, compression, h2) == (40, 1, 0, 2 * w)
    colours = 1 << bits if bits <= 8 else 0
    palette = [struct.unpack_from("<BBB", image, 40 + 4 * k)[::-1] for k in range(colours)]
    stride = (w * bits + 31) // 32 * 4
    mask_stride = (w + 31) // 32 * 4
    xor_at = 40 + 4 * colours
    and_at = xor_at + stride * w
    assert and_at + mask_stride * w == len(image), "image size does not match its header"
    pixels, mask = [], []
    for y in range(w):
        row = image[xor_at + stride * (w - 1 - y):]
        mrow = image[and_at + mask_stride * (w - 1 - y):]
        for x in range(w):
            masked = bool(mrow[x // 8] >> (7 - x % 8) & 1)
            mask.append(masked)
            if bits == 32:
                b, g, r, a = row[4 * x:4 * x + 4]
                pixels.append((r, g, b, a))
            else:
                per = 8 // bits
                k = row[x // per] >> (8 - bits * (x % per + 1)) & ((1 << bits) - 1)
                pixels.append(palette[k] + (0 if masked else 255,))
    return w, bits, pixels, mask


class IconTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.kind, cls.entries = read_directory(os.path.join(RES, "Morlind.ico"))
        cls.images = {}
        for w, h, colours, planes, bits, image in cls.entries:
            size, depth, pixels, mask = decode(image)
            assert (w, h, planes, bits, colours) == (size, size, 1, depth, 16 if depth == 4 else 0), \
                "directory entry disagrees with its image"
            cls.images[(size, depth)] = (pixels, mask)

    def test_sizes_and_depths(self):
        self.assertEqual(self.kind, 1)
        want = [(s, 32) for s in (128, 96, 72, 64, 48, 32, 24, 16)] + \
               [(s, b) for s in (48, 32, 24, 16) for b in (8, 4)]
        self.assertEqual(len(self.entries), len(want))
        self.assertEqual(sorted(self.images), sorted(want))

    def test_transparency(self):
        for (size, bits), (pixels, mask) in self.images.items():
            with self.subTest(size=size, bits=bits):
                for (r, g, b, a), masked in zip(pixels, mask):
                    # Masked pixels must be black or they show through the XOR.
                    if masked:
                        self.assertEqual((r, g, b, a), (0, 0, 0, 0))
                    else:
                        self.assertGreater(a, 0)
                for corner in (0, size - 1, size * (size - 1), size * size - 1):
                    self.assertTrue(mask[corner])
                if bits == 32 and size >= 32:
                    smooth = sum(1 for p in pixels if 0 < p[3] < 255)
                    self.assertGreater(smooth, size, "edges are not anti-aliased")

    def test_green_leaf_with_stem_to_the_upper_left(self):
        for (size, bits), (pixels, mask) in self.images.items():
            with self.subTest(size=size, bits=bits):
                opaque = [i for i, p in enumerate(pixels) if p[3] >= 128]
                self.assertTrue(0.25 < len(opaque) / size ** 2 < 0.8)
                green = [i for i in opaque if pixels[i][1] > max(pixels[i][0], pixels[i][2])]
                self.assertGreater(len(green), 0.95 * len(opaque))
                # Only the dark stem reaches into the upper-left corner; a
                # lobe tip there would bring the light fill along.
                reach = min(i % size + i // size for i in opaque)
                corner = [pixels[i] for i in opaque if i % size + i // size <= reach + max(2, size // 12)]
                self.assertLess(reach, size // 2)
                self.assertLess(max(p[1] for p in corner), 110)

    def test_palette_images_match_the_true_colour_ones(self):
        for (size, bits), (pixels, mask) in self.images.items():
            if bits == 32:
                continue
            with self.subTest(size=size, bits=bits):
                truth = self.images[(size, 32)][0]
                outline = sum(1 for m, p in zip(mask, truth) if m != (p[3] < 128))
                self.assertEqual(outline, 0, "silhouette differs from the true-colour image")
                shown = [(p, q) for p, q in zip(pixels, truth) if p[3]]
                error = sum(abs(p[c] - q[c]) for p, q in shown for c in range(3)) / (3 * len(shown))
                self.assertLess(error, 6 if bits == 8 else 14)


class CursorTest(unittest.TestCase):
    def test_hand(self):
        kind, entries = read_directory(os.path.join(RES, "hand.cur"))
        self.assertEqual((kind, len(entries)), (2, 1))
        w, h, colours, hot_x, hot_y, image = entries[0]
        self.assertEqual((w, h, colours, hot_x, hot_y), (32, 32, 16, 12, 1))
        size, bits, pixels, mask = decode(image)
        self.assertEqual((size, bits), (32, 4))
        colours = {p for p in pixels}
        self.assertEqual(colours, {(0, 0, 0, 0), (0, 0, 0, 255), (255, 255, 255, 255)})
        white = [p == (255, 255, 255, 255) for p in pixels]
        # The hot spot is the fingertip: white, with only outline above it.
        self.assertTrue(white[1 * 32 + 12])
        self.assertEqual(pixels[12], (0, 0, 0, 255))
        self.assertFalse(any(white[:32]))
        # The outline is closed: no white pixel touches a transparent one.
        for i in (i for i in range(32 * 32) if white[i]):
            x, y = i % 32, i // 32
            for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                self.assertTrue(0 <= nx < 32 and 0 <= ny < 32 and not mask[ny * 32 + nx], (x, y))
        self.assertGreater(sum(white), 150)


class GeneratorTest(unittest.TestCase):
    def test_checked_in_files_are_current(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(RES, "art", "draw.py"), out], check=True)
            for name in ("Morlind.ico", "hand.cur"):
                self.assertTrue(filecmp.cmp(os.path.join(out, name), os.path.join(RES, name), shallow=False),
                                f"res/{name} differs from a fresh run of res/art/draw.py")


def read_res(path):
    """{(type, name): data} of a compiled .res, numeric types and names only."""
    with open(path, "rb") as f:
        data = f.read()
    found, at = {}, 0
    while at < len(data):
        size, header = struct.unpack_from("<II", data, at)
        kind_tag, kind, name_tag, name = struct.unpack_from("<HHHH", data, at + 8)
        if kind_tag == 0xFFFF and name_tag == 0xFFFF:
            found[(kind, name)] = data[at + header:at + header + size]
        at = (at + header + size + 3) & ~3
    return found


def version_tree(data, at=0):
    """(key, value bytes, children) of one VS_VERSIONINFO node."""
    length, value_length, text = struct.unpack_from("<HHH", data, at)
    end = data.index(b"\0\0", at + 6)
    while (end - at - 6) % 2:
        end = data.index(b"\0\0", end + 1)
    key = data[at + 6:end].decode("utf-16-le")
    value_at = (end + 2 + 3) & ~3
    value_size = value_length * 2 if text else value_length
    children, child = [], (value_at + value_size + 3) & ~3
    while child < at + length:
        children.append(version_tree(data, child))
        child = (child + struct.unpack_from("<H", data, child)[0] + 3) & ~3
    return key, data[value_at:value_at + value_size], children


@unittest.skipUnless(WINDRES, "needs x86_64-w64-mingw32-windres")
class WindresTest(unittest.TestCase):
    def test_one_script_takes_icon_cursor_and_version(self):
        with tempfile.TemporaryDirectory() as tmp:
            rc, res = os.path.join(tmp, "t.rc"), os.path.join(tmp, "t.res")
            with open(rc, "w", encoding="utf-8") as f:
                f.write('#include <windows.h>\n128 ICON "%s"\n130 CURSOR "%s"\n#include "%s"\n' % tuple(
                    os.path.join(RES, n).replace("\\", "/") for n in ("Morlind.ico", "hand.cur", "version.rc2")))
            subprocess.run([WINDRES, "-c", "65001", "-O", "res", rc, res], check=True)
            found = read_res(res)
        self.assertEqual(struct.unpack_from("<HHH", found[(14, 128)]), (0, 1, 16))  # RT_GROUP_ICON
        self.assertEqual(struct.unpack_from("<HHH", found[(12, 130)]), (0, 2, 1))  # RT_GROUP_CURSOR
        cursors = [data for (kind, _), data in found.items() if kind == 1]  # RT_CURSOR
        self.assertEqual([struct.unpack_from("<HH", c) for c in cursors], [(12, 1)])

        key, fixed, (strings, variables) = version_tree(found[(16, 1)])  # RT_VERSION
        self.assertEqual(key, "VS_VERSION_INFO")
        fields = struct.unpack_from("<13I", fixed)
        self.assertEqual(fields[0], 0xFEEF04BD)
        self.assertEqual(fields[2:6], (0x00020000, 0x00000001) * 2)
        self.assertEqual(fields[8:10], (4, 1))  # VOS__WINDOWS32, VFT_APP
        self.assertEqual(strings[0], "StringFileInfo")
        (table, _, values), = strings[2]
        self.assertEqual(table, "080404b0")
        texts = {k: v.decode("utf-16-le").rstrip("\0") for k, v, _ in values}
        self.assertEqual(texts, {
            "Comments": "", "CompanyName": "", "FileDescription": "Morlind", "FileVersion": "2, 0, 0, 1",
            "InternalName": "Morlind", "LegalCopyright": "Copyright (C) 2008 Morlind", "LegalTrademarks": "",
            "OriginalFilename": "Morlind.exe", "PrivateBuild": "", "ProductName": "Morlind",
            "ProductVersion": "2, 0, 0, 1", "SpecialBuild": ""})
        self.assertEqual(variables[0], "VarFileInfo")
        (name, translation, _), = variables[2]
        self.assertEqual((name, struct.unpack("<HH", translation)), ("Translation", (0x804, 1200)))


if __name__ == "__main__":
    unittest.main()
