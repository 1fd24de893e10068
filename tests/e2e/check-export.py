#!/usr/bin/env python3
"""Reads the list the browsers scenario exported (FOLDER/list.csv) with
Python's csv module and compares it with the list as the window showed it
(FOLDER/list.shown: fields end in 0x1f, rows in 0x1e; sizes in KB, as
shown). Written again by the csv module (RFC 4180's minimal quoting, CRLF
lines), the rows must give the file's bytes."""
import csv, io, sys

raw = open(f"{sys.argv[1]}/list.csv", "rb").read()
assert raw.startswith(b"\xef\xbb\xbf"), "no byte-order mark"
table = list(csv.reader(io.StringIO(raw[3:].decode(), newline="")))
shown = [row.split("\x1f") for row in open(f"{sys.argv[1]}/list.shown", encoding="utf-8", newline="").read().split("\x1e")[:-1]]
assert table[0] == ["文件名", "文件类型", "访问时间", "大小", "网址", "来源", "路径"] and len(table) == len(shown) + 1 > 40
again = io.StringIO(newline="")
csv.writer(again, lineterminator="\r\n").writerows(table)
assert again.getvalue().encode() == raw[3:], "not RFC 4180's minimal quoting with CRLF lines"
for number, (read, wanted) in enumerate(zip(table[1:], shown), 1):
    read[3] = f"{-(-int(read[3]) // 1024):,} KB"
    assert read == wanted, f"row {number}: {read} != {wanted}"
print(f"check-export: {len(shown)} rows, every column as the window showed it")
