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
