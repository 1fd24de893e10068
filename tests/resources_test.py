#!/usr/bin/env python3
"""Checks that the checked-in icon and cursor files are what res/art/draw.py
makes now. That they load from the built resources is checked by the
dialog tests under Wine."""

import filecmp
import os
import subprocess
import sys
import tempfile
import unittest

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")


class GeneratorTest(unittest.TestCase):
    def test_checked_in_files_are_current(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(RES, "art", "draw.py"), out], check=True)
            for name in ("Morlind.ico", "hand.cur"):
                self.assertTrue(filecmp.cmp(os.path.join(out, name), os.path.join(RES, name), shallow=False),
                                f"res/{name} differs from a fresh run of res/art/draw.py")


if __name__ == "__main__":
    unittest.main()
