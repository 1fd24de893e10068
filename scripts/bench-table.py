#!/usr/bin/env python3
"""Prints the benchmark results as one Markdown table: each walk, scan,
search or clean with its ratio to the bare walk (or, for deletions, the
bare delete) of the same tree on the same side; the browser caches' listing
to reading their files' bytes once, and the search over the tree and the
browser caches to the bare walk and that reading together. The URL index
and sort cases are not walks and have no ratio. Wine's lines also give the
peak working set."""
import json
import sys

native_json, windows_tsv = sys.argv[1], sys.argv[2]
rows = []  # (side, case, files, ms, rows, peak MB, peak working set MB or None)

SORT_STEPS = {"SortKeys": "key copy", "SortOrderOf": "order", "SortApply": "apply"}

def native_name(name):
    step, _, column = name.partition("/")
    if step in SORT_STEPS:
        return f"sort {column.replace('_', ' ')}: {SORT_STEPS[step]}"
    if step in ("BrowserReadEveryByte", "BrowserScan"):
        what = "read every byte" if step == "BrowserReadEveryByte" else "scan *"
        return f"browser caches: {what}, {column.capitalize()}"
    return {"BM_BareWalk": "bare walk", "BM_BareDelete": "bare delete",
            "BM_DeleteTree": "clean (DeleteTree)"}.get(name, name.replace("Scan/", "scan "))

def files_of(source):
    return next(r[4] for r in rows if r[1] == "browser caches: read every byte, " + source)

with open(native_json) as f:
    for b in json.load(f)["benchmarks"]:
        name = native_name(b["name"].split("/min_time")[0].split("/iterations")[0])
        count = int(b.get("rows", b.get("entries", 0)))
        files = 120000
        if name.startswith("browser caches: "):
            # The reading counts the caches' files, and comes first.
            source = name.rsplit(", ", 1)[1]
            files = count if "read" in name else files_of(source)
        rows.append(("native", name, files, b["real_time"], count, b.get("peak_MB", 0.0), None))

with open(windows_tsv) as f:
    for line in f:
        theme, name, files, ms, count, peak, *working_set = line.rstrip("\n").split("\t")
        side = "Wine" if theme == "theme off" else "Wine, theme on"
        rows.append((side, name, int(files), float(ms), int(count), float(peak),
                     float(working_set[0]) if working_set else None))

def time_of(side, name):
    return next((r[3] for r in rows if r[0] == side and r[1] == name), None)

def base(side, name):
    side = "Wine" if side.startswith("Wine") else side
    if name.startswith("browser caches: "):
        return time_of(side, "browser caches: read every byte, " + name.rsplit(", ", 1)[1])
    if "browser caches" in name:
        walk, read = time_of(side, "bare walk"), time_of(side, "browser caches: read every byte, all")
        return walk + read if walk and read else None
    if "delete" in name or "clean" in name:
        wanted = "bare delete"
    else:
        # The bare walk of the same run where there is one: the runs around
        # the URL index name their state after a comma.
        condition = name[name.rfind(", "):] if "index" in name else ""
        wanted = "bare walk" + condition
        if not any(r[0] == side and r[1] == wanted for r in rows):
            wanted = "bare walk"
    return next(r[3] for r in rows if r[0] == side and r[1] == wanted)

def has_ratio(name):
    # A stall is the window's longest wait for an answer, not a run time;
    # the index and the sorts do not walk the tree.
    return not name.startswith(("longest stall", "URL index", "sort ", "browser caches: find"))

print("| side | case | files | time (ms) | ratio | rows | peak private MB | peak working set MB |")
print("|---|---|---:|---:|---:|---:|---:|---:|")
for side, name, files, ms, count, peak, working_set in rows:
    time = f"{ms:,.0f}" if ms >= 10 else f"{ms:.2f}"
    ratio = ""
    if has_ratio(name) and base(side, name):
        ratio = f"{ms / base(side, name):.2f}"
    working_set = f"{working_set:.1f}" if working_set is not None else ""
    print(f"| {side} | {name} | {files:,} | {time} | {ratio} | {count:,} | {peak:.1f} | {working_set} |")
