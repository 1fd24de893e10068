#!/usr/bin/env python3
"""Prints the benchmark results as one Markdown table: each walk, scan,
search or clean with its ratio to the bare walk (or, for deletions, the
bare delete) of the same tree on the same side. The URL index and sort
cases are not walks and have no ratio."""
import json
import sys

native_json, windows_tsv = sys.argv[1], sys.argv[2]
rows = []  # (side, case, files, ms, rows, peak MB)

SORT_STEPS = {"SortKeys": "key copy", "SortOrderOf": "order", "SortApply": "apply"}

def native_name(name):
    step, _, column = name.partition("/")
    if step in SORT_STEPS:
        return f"sort {column.replace('_', ' ')}: {SORT_STEPS[step]}"
    return {"BM_BareWalk": "bare walk", "BM_BareDelete": "bare delete",
            "BM_DeleteTree": "clean (DeleteTree)"}.get(name, name.replace("Scan/", "scan "))

with open(native_json) as f:
    for b in json.load(f)["benchmarks"]:
        name = native_name(b["name"].split("/min_time")[0].split("/iterations")[0])
        rows.append(("native", name, 120000, b["real_time"], int(b.get("rows", b.get("entries", 0))),
                     b.get("peak_MB", 0.0)))

with open(windows_tsv) as f:
    for line in f:
        theme, name, files, ms, count, peak = line.rstrip("\n").split("\t")
        side = "Wine" if theme == "theme off" else "Wine, theme on"
        rows.append((side, name, int(files), float(ms), int(count), float(peak)))

def base(side, name):
    side = "Wine" if side.startswith("Wine") else side
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
    return not name.startswith(("longest stall", "URL index", "sort "))

print("| side | case | files | time (ms) | ratio | rows | peak MB |")
print("|---|---|---:|---:|---:|---:|---:|")
for side, name, files, ms, count, peak in rows:
    time = f"{ms:,.0f}" if ms >= 10 else f"{ms:.2f}"
    ratio = f"{ms / base(side, name):.2f}" if has_ratio(name) else ""
    print(f"| {side} | {name} | {files:,} | {time} | {ratio} | {count:,} | {peak:.1f} |")
