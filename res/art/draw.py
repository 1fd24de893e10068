#!/usr/bin/env python3
"""Draws Morlind's icon (a maple leaf) and link cursor (a pointing hand).

    python3 res/art/draw.py [OUTDIR]

writes OUTDIR/Morlind.ico and OUTDIR/hand.cur (OUTDIR defaults to res/).
Standard library only, and no clock or randomness: the output is the same
bytes on every run, so the checked-in files can be compared with a fresh run.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Rasteriser: anti-aliased coverage of polygons under the nonzero rule, so a
# stroke built from many overlapping quads and discs comes out as one union.

SUBROWS = 16  # sub-scanlines per pixel row; horizontal coverage is exact


def coverage(polys, w, h):
    cov = [0.0] * (w * h)
    rows = h * SUBROWS
    buckets = [[] for _ in range(rows)]
    for poly in polys:
        n = len(poly)
        for i in range(n):
            x0, y0 = poly[i]
            x1, y1 = poly[(i + 1) % n]
            if y0 == y1:
                continue
            wind = 1
            if y0 > y1:
                x0, y0, x1, y1, wind = x1, y1, x0, y0, -1
            slope = (x1 - x0) / (y1 - y0)
            # Sub-row r samples y = (r + 0.5) / SUBROWS; half-open [y0, y1).
            first = max(0, math.ceil(y0 * SUBROWS - 0.5))
            last = min(rows - 1, math.ceil(y1 * SUBROWS - 0.5) - 1)
            for r in range(first, last + 1):
                buckets[r].append((x0, y0, slope, wind))
    weight = 1.0 / SUBROWS
    for r in range(rows):
        if not buckets[r]:
            continue
        y = (r + 0.5) / SUBROWS
        xs = sorted((x0 + (y - y0) * slope, wind) for x0, y0, slope, wind in buckets[r])
        base = (r // SUBROWS) * w
        winding = 0
        start = 0.0
        for x, wind in xs:
            before = winding
            winding += wind
            if before == 0 and winding != 0:
                start = x
            elif before != 0 and winding == 0:
                _span(cov, base, w, start, x, weight)
    return [min(c, 1.0) for c in cov]


def _span(cov, base, w, a, b, weight):
    a = max(a, 0.0)
    b = min(b, float(w))
    if b <= a:
        return
    ia, ib = int(a), int(b)
    if ia == ib:
        cov[base + ia] += (b - a) * weight
        return
    cov[base + ia] += (ia + 1 - a) * weight
    for i in range(ia + 1, ib):
        cov[base + i] += weight
    if ib < w:
        cov[base + ib] += (b - ib) * weight


# ---------------------------------------------------------------------------
# Shapes, in leaf space: y up, the stem joins the blade at the origin and the
# top lobe points up, its tip about one unit away.

def disc(c, radius, steps=16):
    # Clockwise like the stroke quads, so the nonzero rule unites them.
    return [(c[0] + radius * math.cos(-2 * math.pi * k / steps),
             c[1] + radius * math.sin(-2 * math.pi * k / steps)) for k in range(steps)]


def segment(a, b, wa, wb):
    dx, dy = b[0] - a[0], b[1] - a[1]
    length = math.hypot(dx, dy)
    nx, ny = -dy / length, dx / length
    return [(a[0] + nx * wa / 2, a[1] + ny * wa / 2), (b[0] + nx * wb / 2, b[1] + ny * wb / 2),
            (b[0] - nx * wb / 2, b[1] - ny * wb / 2), (a[0] - nx * wa / 2, a[1] - ny * wa / 2)]


def stroke_closed(points, width):
    # Quads along the edges, discs at the corners for round joins.
    shapes = []
    for i, p in enumerate(points):
        shapes.append(segment(p, points[(i + 1) % len(points)], width, width))
        shapes.append(disc(p, width / 2, 8))
    return shapes


def polar(deg, r):
    # Angle clockwise from straight up.
    t = math.radians(deg)
    return (r * math.sin(t), r * math.cos(t))


def quadratic(p0, p1, p2, steps):
    return [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
             (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1])
            for t in (k / steps for k in range(1, steps))]


# Half a lobe from its base to its tip as (along, across, small teeth on the
# way to this point), across being away from the lobe's axis. The main lobes
# have a long pointed shoulder tooth; the small ones are plain.
MAIN_LOBE = [(0.36, 0.17, 0), (0.58, 0.20, 1), (0.70, 0.34, 0), (0.76, 0.16, 0), (1.04, 0.0, 1)]
SMALL_LOBE = [(0.20, 0.12, 0), (0.36, 0.13, 1), (0.52, 0.0, 2)]
TOOTH = 0.045
# (axis angle, scale, profile), left to right; then the sinus depth between
# neighbours, the first and last being the base where the stem joins.
LOBES = [(-118, 1.0, SMALL_LOBE), (-60, 0.86, MAIN_LOBE), (0, 1.0, MAIN_LOBE),
         (60, 0.86, MAIN_LOBE), (118, 1.0, SMALL_LOBE)]
SINUSES = [0.0, 0.28, 0.40, 0.40, 0.28, 0.0]


def half_lobe(axis, scale, profile, side, tooth):
    """Points from the lobe base to its tip along one side."""
    d = polar(axis, 1.0)
    across = (-d[1] * side, d[0] * side)

    def at(a, c):
        return (scale * (d[0] * a + across[0] * c), scale * (d[1] * a + across[1] * c))

    points = [at(*profile[0][:2])]
    for (a0, c0, _), (a1, c1, teeth) in zip(profile, profile[1:]):
        # Saw teeth leaning towards the tip, on the line's outer side.
        ta, tc = a1 - a0, c1 - c0
        n = math.hypot(ta, tc)
        oa, oc = -tc / n, ta / n
        if oc < 0:
            oa, oc = -oa, -oc
        for k in range(teeth if tooth else 0):
            f = (k + 0.65) / teeth
            points.append(at(a0 + ta * f + oa * tooth, c0 + tc * f + oc * tooth))
            f = (k + 1) / teeth
            if k + 1 < teeth:
                points.append(at(a0 + ta * f, c0 + tc * f))
        points.append(at(a1, c1))
    return points


def leaf_outline(tooth):
    """Clockwise outline, starting at the base."""
    outline = []
    for i, (axis, scale, profile) in enumerate(LOBES):
        rising = half_lobe(axis, scale, profile, 1, tooth)
        falling = half_lobe(axis, scale, profile, -1, tooth)
        if outline:
            # A rounded sinus between this lobe and the one before.
            mid = (LOBES[i - 1][0] + axis) / 2
            outline += quadratic(outline[-1], polar(mid, SINUSES[i]), rising[0], 6)
        outline += rising + list(reversed(falling[:-1]))
    # Round the base back to the first lobe.
    outline += quadratic(outline[-1], polar(180, SINUSES[0]), outline[0], 6)
    return outline


STEM = [(0.0, 0.0), (-0.035, -0.21), (0.0, -0.42)]
VEINS = [polar(axis, scale * profile[-1][0] * 0.8) for axis, scale, profile in LOBES]

# ---------------------------------------------------------------------------
# The icon.

LIGHT = (176, 226, 96)
MID = (58, 150, 38)
DARK = (22, 84, 22)
VEIN = (34, 110, 28)


def leaf_image(size):
    """RGBA pixels (straight alpha, 0-255) of the leaf at size x size."""
    # Small teeth only blur the smallest images.
    outline = leaf_outline(TOOTH if size >= 32 else 0)
    # Stem to the upper-left corner: turn leaf space by 135 degrees and flip y.
    c, s = math.cos(math.radians(135)), math.sin(math.radians(135))

    def turn(p):
        x, y = p[0], -p[1]
        return (c * x - s * y, s * x + c * y)

    pts = [turn(p) for p in outline + STEM]
    x0, x1 = min(p[0] for p in pts), max(p[0] for p in pts)
    y0, y1 = min(p[1] for p in pts), max(p[1] for p in pts)
    margin = 0.5 if size <= 24 else size / 40
    scale = (size - 2 * margin) / max(x1 - x0, y1 - y0)
    ox = size / 2 - (x0 + x1) / 2 * scale
    oy = size / 2 - (y0 + y1) / 2 * scale

    def place(p):
        q = turn(p)
        return (ox + q[0] * scale, oy + q[1] * scale)

    line = max(0.9, size / 60)  # outline width in pixels
    body = [[place(p) for p in outline]]
    rim = stroke_closed(body[0], line)
    stem_pts = [place(p) for p in STEM]
    thick = max(line * 1.9, 1.5)  # the stem must still show at 16 px
    stem = [segment(stem_pts[0], stem_pts[1], thick, thick * 0.85),
            segment(stem_pts[1], stem_pts[2], thick * 0.85, thick * 0.7),
            disc(stem_pts[1], thick * 0.425), disc(stem_pts[2], thick * 0.35)]
    centre = place((0.0, 0.0))
    veins = [segment(centre, place(v), line * 0.9, line * 0.4) for v in VEINS] if size >= 32 else []

    cover_body = coverage(body, size, size)
    cover_rim = coverage(rim, size, size)
    cover_stem = coverage(stem, size, size)
    cover_veins = coverage(veins, size, size) if veins else [0.0] * (size * size)

    pixels = []
    for i in range(size * size):
        x, y = i % size + 0.5, i // size + 0.5
        # Light from the upper left, mid green towards the lower right.
        t = min(1.0, max(0.0, ((x + y) / (2 * size) - 0.2) / 0.6))
        fill = tuple(a + (b - a) * t for a, b in zip(LIGHT, MID))
        r = g = b = a = 0.0  # premultiplied
        for colour, amount in ((fill, cover_body[i]), (VEIN, cover_veins[i] * 0.6),
                               (DARK, cover_rim[i]), (DARK, cover_stem[i])):
            if amount <= 0:
                continue
            keep = 1 - amount
            r = colour[0] * amount + r * keep
            g = colour[1] * amount + g * keep
            b = colour[2] * amount + b * keep
            a = amount + a * keep
        alpha = round(a * 255)
        if alpha == 0:
            pixels.append((0, 0, 0, 0))
        else:
            pixels.append((min(255, round(r / a)), min(255, round(g / a)), min(255, round(b / a)), alpha))
    return pixels


def median_cut(colours, count):
    """Up to count palette colours for (colour, weight) pairs."""
    boxes = [sorted(colours)]
    while len(boxes) < count:
        best, best_key = None, None
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = [max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3)]
            key = (max(spans) * sum(w for _, w in box), -i)
            if best_key is None or key > best_key:
                best, best_key = i, key
        if best is None:
            break
        box = boxes.pop(best)
        spans = [max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3)]
        axis = spans.index(max(spans))
        box.sort(key=lambda c: (c[0][axis], c[0]))
        half = sum(w for _, w in box) / 2
        run, cut = 0, 1
        for cut in range(1, len(box)):
            run += box[cut - 1][1]
            if run >= half:
                break
        boxes[best:best] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(w for _, w in box)
        palette.append(tuple(round(sum(c[k] * w for c, w in box) / total) for k in range(3)))
    return palette


def quantise(pixels, bits):
    """Palette (black first, for the transparent pixels) and indices."""
    counts = {}
    for r, g, b, a in pixels:
        if a >= 128:
            counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
    palette = [(0, 0, 0)] + median_cut(sorted(counts.items()), (1 << bits) - 1)
    palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
    nearest = {}
    indices = []
    for r, g, b, a in pixels:
        if a < 128:
            indices.append(0)
            continue
        key = (r, g, b)
        if key not in nearest:
            nearest[key] = min(range(1, len(palette)), key=lambda k: (
                (palette[k][0] - r) ** 2 * 2 + (palette[k][1] - g) ** 2 * 4 + (palette[k][2] - b) ** 2 * 3, k))
        indices.append(nearest[key])
    mask = [a < 128 for _, _, _, a in pixels]
    return palette, indices, mask


# ---------------------------------------------------------------------------
# Files: icon/cursor images are DIBs of double height (colour, then AND mask),
# bottom-up, each row padded to four bytes.

def _rows(size, row_bytes):
    return [row_bytes(y) + b"\0" * (-len(row_bytes(y)) % 4) for y in reversed(range(size))]


def _pack_bits(values, bits):
    out = bytearray()
    per = 8 // bits
    for i in range(0, len(values), per):
        byte = 0
        for k, v in enumerate(values[i:i + per]):
            byte |= v << (8 - bits * (k + 1))
        out.append(byte)
    return bytes(out)


def dib(size, bits, colour_rows, mask, palette=()):
    xor = b"".join(_rows(size, colour_rows))
    andmask = b"".join(_rows(size, lambda y: _pack_bits([int(m) for m in mask[y * size:(y + 1) * size]], 1)))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + pal + xor + andmask


def icon_entry(size, pixels, bits):
    if bits == 32:
        mask = [p[3] == 0 for p in pixels]
        rows = lambda y: b"".join(struct.pack("<BBBB", b, g, r, a) for r, g, b, a in pixels[y * size:(y + 1) * size])
        return dib(size, 32, rows, mask)
    palette, indices, mask = quantise(pixels, bits)
    rows = lambda y: _pack_bits(indices[y * size:(y + 1) * size], bits)
    return dib(size, bits, rows, mask, palette)


def directory(kind, entries):
    """kind 1 = icon, 2 = cursor; entries are (size, colours, word1, word2, data)."""
    head = struct.pack("<HHH", 0, kind, len(entries))
    offset = len(head) + 16 * len(entries)
    table, blobs = b"", b""
    for size, colours, word1, word2, data in entries:
        table += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, word1, word2, len(data), offset)
        offset += len(data)
        blobs += data
    return head + table + blobs


ICON_SIZES = {32: [128, 96, 72, 64, 48, 32, 24, 16], 8: [48, 32, 24, 16], 4: [48, 32, 24, 16]}


def icon_file():
    images = {}
    entries = []
    for bits in (32, 8, 4):
        for size in ICON_SIZES[bits]:
            if size not in images:
                images[size] = leaf_image(size)
            data = icon_entry(size, images[size], bits)
            entries.append((size, 16 if bits == 4 else 0, 1, bits, data))
    return directory(1, entries)


# ---------------------------------------------------------------------------
# The cursor: drawn pixel by pixel, as a smoothed 32-pixel hand looks blurred.
# X black, o white, anything else transparent. The hot spot is the first
# white pixel under the fingertip.

HAND = """
...........XXX..................
..........XoooX.................
..........XoooX.................
..........XoooX.................
..........XoooX.................
..........XoooX.................
..........XoooX.................
..........XoooX.................
..........XoooXXXX..............
..........XoooXoooXXXX..........
..........XoooXoooXoooXXX.......
..........XoooXoooXoooXooX......
...XX.....XoooXoooXoooXooX......
..XooX....XoooXoooXoooXooX......
..XoooX...XoooooooooooXooX......
..XooooX..XooooooooooooooX......
...XooooX.XooooooooooooooX......
...XoooooXXooooooooooooooX......
....XooooooooooooooooooooX......
....XooooooooooooooooooooX......
.....XoooooooooooooooooooX......
......XooooooooooooooooooX......
.......XooooooooooooooooX.......
........XooooooooooooooX........
.........XooooooooooooX.........
.........XooooooooooooX.........
.........XooooooooooooX.........
.........XXXXXXXXXXXXXX.........
................................
................................
................................
................................
"""
HOTSPOT = (12, 1)

# The 16-colour VGA order: black at 0, white at 15.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def cursor_file():
    grid = HAND.strip("\n").split("\n")
    assert len(grid) == 32 and all(len(row) == 32 for row in grid)
    cells = "".join(grid)
    indices = [15 if ch == "o" else 0 for ch in cells]
    mask = [ch not in "Xo" for ch in cells]
    rows = lambda y: _pack_bits(indices[y * 32:(y + 1) * 32], 4)
    data = dib(32, 4, rows, mask, VGA)
    return directory(2, [(32, 16, HOTSPOT[0], HOTSPOT[1], data)])


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for name, data in (("Morlind.ico", icon_file()), ("hand.cur", cursor_file())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv)
