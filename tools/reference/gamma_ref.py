# SPDX-License-Identifier: MIT
# Slow, plain re-statement of the three-point tone curve, written only to
# cross-check the program's output sample for sample. Every step is done in
# the obvious order with Python floats (IEEE doubles, like the program).
import functools
import math

import numpy as np


def unpack(p1, p2, p3):
    xs = [float((p // 1000) * 256) for p in (p1, p2, p3)]
    ys = [float((p % 1000) * 256) for p in (p1, p2, p3)]
    if xs[1] == xs[0]:
        xs[1] = xs[0] + 1
    if xs[2] == xs[1]:
        xs[1] = xs[2] - 1
    return xs, ys


def build_curve(xs, ys, kind):
    """Returns the limits (x0, x1, x2) and four (a0, a1, a2, a3) segments."""
    x0, x1, x2 = xs
    y0, y1, y2 = ys
    if x0 == 0:
        x0 = 1.0
    if x1 <= x0:
        x1 = x0 + 1
    if x2 <= x1:
        x2 = x1 + 1
    if x2 >= 65535:
        x2 = 65535.0
    if x2 <= x1:
        x1 = x2 - 1
    if x1 <= x0:
        x0 = x1 - 1
    s0 = y0 / x0
    s1 = (y1 - y0) / (x1 - x0)
    s2 = (y2 - y1) / (x2 - x1)
    s3 = (65535 - y2) / (65535 - x2)
    if kind == 0:
        seg1 = (y0, 0.0, 0.0, 0.0) if (y0 >= 65280 or x0 <= 255) else (0.0, s0, 0.0, 0.0)
        seg2 = (y1 - s1 * x1, s1, 0.0, 0.0)
        seg3 = (y2 - s2 * x2, s2, 0.0, 0.0)
        if y2 <= 255 or x2 >= 65280:
            seg4 = (y2, 0.0, 0.0, 0.0)
        else:
            seg4 = (65535 - s3 * 65535, s3, 0.0, 0.0)
    else:
        # Squares and cubes are formed first, then scaled, as the formulas
        # read (a2 * v^2 is a2 * (v * v)).
        q0, q1, q2 = x0 * x0, x1 * x1, x2 * x2
        a2 = ((s1 - s0) / x0) * 0.5
        seg1 = (0.0, s0 - x0 * a2, a2, 0.0)
        if y0 == 0:
            a3 = 0.0
            a2 = ((s2 - s1) / (x1 - x0)) * 0.5
            a1 = (s1 + s2) * 0.5 - 2 * a2 * x1
            a0 = y0 - a2 * q0 - a1 * x0
        else:
            a3 = ((s2 - 2 * s1 + s0) / (q0 + q1 - 2 * x1 * x0)) * 0.5
            a2 = ((s1 - s0) * 0.5 - (x1 * x0 + q1 - 2 * q0) * a3) / (x1 - x0)
            a1 = (s0 + s1) * 0.5 - 3 * a3 * q0 - 2 * a2 * x0
            a0 = y0 - a3 * (q0 * x0) - a2 * q0 - a1 * x0
        seg2 = (a0, a1, a2, a3)
        if y2 < 65280:
            a3 = ((s3 - 2 * s2 + s1) / (q1 + q2 - 2 * x2 * x1)) * 0.5
            a2 = ((s2 - s1) * 0.5 - (x2 * x1 + q2 - 2 * q1) * a3) / (x2 - x1)
            a1 = (s1 + s2) * 0.5 - 3 * a3 * q1 - 2 * a2 * x1
            a0 = y1 - a3 * (q1 * x1) - a2 * q1 - a1 * x1
        else:
            a3 = 0.0
            a2 = ((s2 - s1) / (x2 - x1)) * 0.5
            a1 = (s1 + s2) * 0.5 - 2 * a2 * x1
            a0 = y1 - a2 * q1 - a1 * x1
        seg3 = (a0, a1, a2, a3)
        a2 = ((s3 - s2) / (65535 - x2)) * 0.5
        a1 = (s2 + s3) * 0.5 - 2 * a2 * x2
        a0 = y2 - a2 * q2 - a1 * x2
        seg4 = (a0, a1, a2, 0.0)
    return (x0, x1, x2), (seg1, seg2, seg3, seg4)


def map_value(v, limits, segs):
    x0, x1, x2 = limits
    fv = float(v)
    if fv < x0:
        a = segs[0]
    elif fv < x1:
        a = segs[1]
    elif fv < x2:
        a = segs[2]
    else:
        a = segs[3]
    out = a[0] + a[1] * fv + a[2] * (fv * fv) + a[3] * (fv * fv * fv)
    out = min(max(out, 0.0), 65535.0)
    return int(math.trunc(out))


@functools.lru_cache(maxsize=None)
def curve_table(p1, p2, p3, kind):
    """Every input 0..65535 through the curve; numpy does the same IEEE
    operations in the same order as map_value, element by element."""
    xs, ys = unpack(p1, p2, p3)
    (x0, x1, x2), segs = build_curve(xs, ys, kind)
    v = np.arange(65536, dtype=np.float64)
    seg = np.where(v < x0, 0, np.where(v < x1, 1, np.where(v < x2, 2, 3)))
    a = np.array(segs)[seg].T
    out = a[0] + a[1] * v + a[2] * (v * v) + a[3] * (v * v * v)
    out = np.minimum(np.maximum(out, 0.0), 65535.0)
    table = np.trunc(out).astype(np.int64)
    table.flags.writeable = False
    return table


def pack(table):
    """table: six values in1 out1 in2 out2 in3 out3 (8-bit units)."""
    return [table[0] * 1000 + table[1], table[2] * 1000 + table[3], table[4] * 1000 + table[5]]


def apply_gamma(planes, kind, tables, per_channel):
    """tables: four rows of six values (all colours, R, G, B)."""
    out = np.empty_like(planes)
    for c in range(3):
        row = tables[c + 1] if per_channel else tables[0]
        out[c] = curve_table(*pack(row), kind)[planes[c]]
    return out
