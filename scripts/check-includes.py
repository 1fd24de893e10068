#!/usr/bin/env python3
"""Fails on an include that points the wrong way between the source folders,
on a Win32 header in the portable folders, or on a cycle between files.

Usage: scripts/check-includes.py [ROOT]   (default: this checkout)

A file and its header are one unit (ui/Dialog.cpp and ui/Dialog.h are
ui/Dialog): Dialog.cpp including WinApp.h while WinApp.cpp includes
Dialog.h is a cycle even though no header includes itself."""

import os
import re
import sys

# What each folder may include besides itself. The window framework knows
# nothing of ours but the UTF-8 conversions.
MAY_INCLUDE = {
    "platform": set(),
    "caches": {"platform"},
    "search": {"caches", "platform"},
    "actions": {"search", "caches", "platform"},
    "wingui": {"platform/WideText.h"},
    "ui": {"wingui", "actions", "search", "caches", "platform", "res"},
    "app": {"ui", "wingui", "actions", "search", "caches", "platform", "res"},
}
# The portable code sees the system through the platform only.
PORTABLE = {"caches", "search", "actions"}
WIN32_HEADER = re.compile(r"#\s*include\s*<(windows|windowsx|commctrl|commdlg|shellapi|shlobj|shlwapi|wininet|winbase|winnt|winuser)\.h>",
                          re.IGNORECASE)
# Where cycles are looked for too: the tests and tools include our files.
SCANNED = list(MAY_INCLUDE) + ["res", "tests", "bench", "scripts"]
QUOTED = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SOURCES = (".h", ".hpp", ".cpp", ".c")


def sources(root):
    for top in SCANNED:
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs[:] = [d for d in dirs if d != "data"]
            for name in sorted(files):
                if name.endswith(SOURCES):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def allowed(source, target):
    here, there = source.split("/")[0], target.split("/")[0]
    if here not in MAY_INCLUDE or here == there:
        return True
    return any(target == rule or target.startswith(rule + "/") for rule in MAY_INCLUDE[here])


def unit(path):
    return os.path.splitext(path)[0]


def cycles(edges):
    """Each strongly connected set of more than one unit, as a sorted list."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(start):
        # Tarjan's algorithm without recursion: (node, its successors left).
        work = [(start, iter(sorted(edges.get(start, ()))))]
        index[start] = low[start] = len(index)
        stack.append(start)
        on_stack.add(start)
        while work:
            node, successors = work[-1]
            for succ in successors:
                if succ not in index:
                    index[succ] = low[succ] = len(index)
                    stack.append(succ)
                    on_stack.add(succ)
                    work.append((succ, iter(sorted(edges.get(succ, ())))))
                    break
                if succ in on_stack:
                    low[node] = min(low[node], index[succ])
            else:
                work.pop()
                if work:
                    low[work[-1][0]] = min(low[work[-1][0]], low[node])
                if low[node] == index[node]:
                    members = []
                    while True:
                        member = stack.pop()
                        on_stack.discard(member)
                        members.append(member)
                        if member == node:
                            break
                    if len(members) > 1:
                        found.append(sorted(members))

    for node in sorted(edges):
        if node not in index:
            visit(node)
    return found


def check(root):
    """The faults found under root, one line each."""
    faults, edges = [], {}
    for path in sources(root):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        if path.split("/")[0] in PORTABLE and WIN32_HEADER.search(text):
            faults.append(f"{path}: a Win32 header in portable code")
        for target in QUOTED.findall(text):
            if not os.path.isfile(os.path.join(root, target)):
                continue  # not one of ours (relative to the checkout's root)
            if not allowed(path, target):
                faults.append(f"{path}: includes {target}, against the folders' order")
            if unit(target) != unit(path):
                edges.setdefault(unit(path), set()).add(unit(target))
    for members in cycles(edges):
        faults.append("include cycle between " + ", ".join(members))
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    faults = check(root)
    for fault in faults:
        print(fault)
    print(f"check-includes: {len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
