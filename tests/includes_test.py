#!/usr/bin/env python3
"""The folders' include order and the absence of include cycles, over this
checkout, and that scripts/check-includes.py finds each kind of fault."""

import importlib.util
import os
import tempfile
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
found = importlib.util.spec_from_file_location("check_includes", os.path.join(ROOT, "scripts", "check-includes.py"))
check_includes = importlib.util.module_from_spec(found)
found.loader.exec_module(check_includes)


def faults_of(files):
    """The faults of a tree made of files: {path: text}."""
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                f.write(text)
        return check_includes.check(root)


class IncludesTest(unittest.TestCase):
    def test_this_checkout_has_none(self):
        self.assertEqual(check_includes.check(ROOT), [])

    def test_each_fault_is_found(self):
        base = {
            "platform/WideText.h": "",
            "platform/Platform.h": "",
            "search/ResultTable.h": '#include "platform/Platform.h"\n',
            "wingui/Wnd.h": '#include "platform/WideText.h"\n',
            "ui/MainDlg.h": '#include "wingui/Wnd.h"\n#include "search/ResultTable.h"\n',
        }
        cases = [
            ({}, []),
            ({"wingui/Wnd.cpp": '#include "platform/Platform.h"\n'},
             ["wingui/Wnd.cpp: includes platform/Platform.h, against the folders' order"]),
            ({"wingui/Dialog.h": '#include "ui/MainDlg.h"\n'},
             ["wingui/Dialog.h: includes ui/MainDlg.h, against the folders' order"]),
            ({"platform/Paths.cpp": '#include "search/ResultTable.h"\n'},
             ["platform/Paths.cpp: includes search/ResultTable.h, against the folders' order"]),
            ({"search/Scan.cpp": "#include <Windows.h>\n"}, ["search/Scan.cpp: a Win32 header in portable code"]),
            # A header and its source are one: the two sources close a cycle.
            ({"wingui/A.h": "", "wingui/B.h": "", "wingui/A.cpp": '#include "wingui/B.h"\n',
              "wingui/B.cpp": '#include "wingui/A.h"\n'}, ["include cycle between wingui/A, wingui/B"]),
            ({"tests/X.h": '#include "tests/Y.h"\n', "tests/Y.h": '#include "tests/X.h"\n'},
             ["include cycle between tests/X, tests/Y"]),
        ]
        for extra, expected in cases:
            with self.subTest(extra=sorted(extra)):
                self.assertEqual(faults_of({**base, **extra}), expected)


if __name__ == "__main__":
    unittest.main()
