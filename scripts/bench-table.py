#!/usr/bin/env python3
"""Prints the benchmark results as one Markdown table: each time with its
ratio to the bare walk (or, for deletions, the bare delete) of the same
tree on the same side."""
import json
import sys

native_json, windows_tsv = sys.argv[1], sys.argv[2]
rows = []  # (side, case, files, ms, rows, peak MB)

with open(native_json) as f:
    for b in json.load(f)["benchmarks"]:
        name = b["name"].split("/min_time")[0].split("/iterations")[0]
        name = {"BM_BareWalk": "bare walk", "BM_BareDelete": "bare delete",
                "BM_DeleteTree": "clean (DeleteTree)"}.get(name, name.replace("Scan/", "scan "))
        rows.append(("native", name, 120000, b["real_time"], int(b.get("rows", b.get("entries", 0))),
                     b.get("peak_MB", 0.0)))

with open(windows_tsv) as f:
    for line in f:
        theme, name, files, ms, count, peak = line.rstrip("\n").split("\t")
        side = "Wine" if theme == "theme off" else "Wine, theme on"
        rows.append((side, name, int(files), float(ms), int(count), float(peak)))

def base(side, name):
    wanted = "bare delete" if "delete" in name or "clean" in name else "bare walk"
    side = "Wine" if side.startswith("Wine") else side
    return next(r[3] for r in rows if r[0] == side and r[1] == wanted)

print("| side | case | files | time (ms) | ratio | rows | peak MB |")
# A stall is the window's longest wait for an answer, not a run time: its
# ratio is left out.
print("|---|---|---:|---:|---:|---:|---:|")
for side, name, files, ms, count, peak in rows:
    time = f"{ms:,.0f}" if ms >= 10 else f"{ms:.2f}"
    ratio = "" if name.startswith("longest stall") else f"{ms / base(side, name):.2f}"
    print(f"| {side} | {name} | {files:,} | {time} | {ratio} | {count:,} | {peak:.1f} |")
