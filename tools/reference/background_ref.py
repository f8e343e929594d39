# SPDX-License-Identifier: MIT
# Slow, plain re-statement of the centred background surface and its
# division / subtraction, written only to cross-check the program's output
# sample for sample. Powers and roots go through Python's math module (the
# C library's pow and sqrt), one call per distinct squared distance.
import math

import numpy as np


def tdiv(a, b):
    """Integer division truncating toward zero (works on arrays)."""
    q = np.abs(a) // np.abs(b)
    return np.where((np.asarray(a) < 0) != (np.asarray(b) < 0), -q, q)


def quadratic_background(width, height, amplitude, floor, curve):
    """Returns (surface, peak) or (None, peak) when the corner distance is 0."""
    e = curve * 0.01
    dmax = int(math.trunc(math.pow(math.sqrt((width * width + height * height) * 0.25), e)))
    peak = amplitude + floor
    if dmax == 0:
        return None, peak
    ys, xs = np.mgrid[0:height, 0:width]
    d2 = (xs - width // 2) ** 2 + (ys - height // 2) ** 2
    uniq, inverse = np.unique(d2, return_inverse=True)
    powered = np.array([int(math.trunc(math.pow(math.sqrt(float(v)), e))) for v in uniq],
                       dtype=np.int64)
    big_d = powered[inverse].reshape(d2.shape)
    amp16 = int(tdiv(amplitude, 16))
    v = tdiv((dmax - big_d) * amp16, dmax)
    return np.clip(v * 16 + floor, 0, 65535), peak


def apply_background(planes, mode, levels, curve):
    """planes: (3, h, w); levels: six values in 1/65536 units (cR pR cG pG cB pB);
    mode 0 divide, 1 subtract (synthetic surface only)."""
    out = planes.copy()
    _, h, w = planes.shape
    for c in range(3):
        centre, periphery = levels[2 * c], levels[2 * c + 1]
        surface, peak = quadratic_background(w, h, centre - periphery, 1024, curve)
        if surface is None:
            return planes.copy()
        k = centre + 1024
        s = int(tdiv(peak, 16))
        src = planes[c]
        if mode == 0:
            safe = np.where(surface == 0, 1, surface)
            q = tdiv(src * s, safe) * 16
            out[c] = np.where(surface == 0, 65535, np.clip(q, 0, 65535))
        else:
            out[c] = np.clip(src - surface + k, 0, 65535)
    return out


def command_levels(mode, levels8, shift):
    """What the correction command hands over, in 1/65536 units, from the
    dialog's mode, six 8-bit levels (cR pR cG pG cB pB, already confirmed)
    and shift."""
    out = []
    for c in range(3):
        centre, periphery = levels8[2 * c], levels8[2 * c + 1]
        if mode == 1:
            centre, periphery = centre - 2 * periphery + shift, shift - periphery
        out += [centre * 256, periphery * 256]
    return out


def capture_levels(planes, x, row_from_top):
    """Background levels (8-bit units) picked by a click: the 3 x 3 block
    around the click moved one pixel inside, the mean of the third and fourth
    smallest of each channel (four placeholders of 65280 to start with)."""
    _, h, w = planes.shape
    x = min(max(x, 1), w - 2)
    y = min(max(h - 1 - row_from_top, 1), h - 2)
    out = []
    for c in range(3):
        values = sorted([65280] * 4 + list(planes[c, y - 1:y + 2, x - 1:x + 2].reshape(-1)))
        out.append(((values[2] + values[3]) // 2) // 256)
    return out
