# SPDX-License-Identifier: MIT
# Slow, plain re-statement of camera RAW development on small synthetic DNG
# files, written only to cross-check the program's output sample for sample:
# black-level normalisation, colour scaling by the normalised daylight
# multipliers, the master dark (frame combination, subtraction, defect
# repair), folding of the second green, then the fast development (tone
# curve and gamma, demosaicing, luminance smoothing and sharpening,
# false-colour reduction, hue and saturation). Nothing here is tuned; every
# loop is the obvious one. Mosaics are int64 arrays (4, height, width) with
# row 0 the top row; developed images are (3, height, width), top row first.
import math
import struct

import numpy as np


def tdiv(a, b):
    """Integer division truncating toward zero (C semantics)."""
    q = abs(a) // abs(b)
    return -q if (a < 0) != (b < 0) else q


def clamp(v, lo, hi):
    return lo if v < lo else hi if v > hi else v


# --- the synthetic DNG file ---------------------------------------------------

def read_dng(path):
    """The values the writer put in the file: size, pattern, samples, black,
    white and the colour matrix (None when absent)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"II*\0":
        raise ValueError("%s: not a little-endian TIFF" % path)
    (ifd,) = struct.unpack_from("<I", data, 4)
    (count,) = struct.unpack_from("<H", data, ifd)
    sizes = {1: 1, 2: 1, 3: 2, 4: 4, 10: 8}
    tags = {}
    for i in range(count):
        tag, typ, n = struct.unpack_from("<HHI", data, ifd + 2 + 12 * i)
        nbytes = sizes[typ] * n
        off = ifd + 2 + 12 * i + 8
        if nbytes > 4:
            (off,) = struct.unpack_from("<I", data, off)
        raw = data[off:off + nbytes]
        if typ == 3:
            vals = list(struct.unpack("<%dH" % n, raw))
        elif typ == 4:
            vals = list(struct.unpack("<%dI" % n, raw))
        elif typ == 10:
            pairs = struct.unpack("<%di" % (2 * n), raw)
            vals = [pairs[2 * k] / pairs[2 * k + 1] for k in range(n)]
        else:
            vals = list(raw)
        tags[tag] = vals
    w, h = tags[256][0], tags[257][0]
    spp = tags[277][0]
    offset = tags[273][0]
    samples = np.frombuffer(data, dtype="<u2", count=w * h * spp, offset=offset)
    samples = samples.astype(np.int64).reshape(h, w, spp)
    d = {"width": w, "height": h, "samples": samples,
         "black": tags.get(50714, [0])[0], "white": tags.get(50717, [65535])[0],
         "matrix": tags.get(50721)}
    d["mono"] = tags[262][0] != 32803 and spp == 1
    if tags[262][0] == 32803:
        dim = tags[33421][0]
        d["pattern"] = dim
        d["cfa"] = tags[33422][:dim * dim]
    else:
        d["pattern"] = 0
        d["cfa"] = None
    return d


# --- what the library decides ------------------------------------------------

# XYZ (D65) to linear sRGB primaries, the library's table.
XYZ_RGB = [[0.4124564, 0.3575761, 0.1804375],
           [0.2126729, 0.7151522, 0.0721750],
           [0.0193339, 0.1191920, 0.9503041]]


def daylight_multipliers(matrix):
    """Four single-precision daylight multipliers: the reciprocal row sums of
    camera-from-sRGB (the camera matrix times XYZ-from-sRGB); 1 without a
    matrix. Channel 3 (the second green) takes channel 1's."""
    if matrix is None:
        return [np.float32(1.0)] * 4
    pre = []
    for i in range(3):
        num = 0.0
        for j in range(3):
            cam_rgb = 0.0
            for k in range(3):
                cam_rgb += matrix[3 * i + k] * XYZ_RGB[k][j]
            num += cam_rgb
        pre.append(np.float32(1.0 / num))
    return pre + [pre[1]]


def channel_map(dng):
    """Library colour channel (0..3) of every mosaic position, (h, w) ints;
    on a 2 x 2 three-colour pattern one of the two greens is channel 3.
    None for a full-colour image."""
    h, w = dng["height"], dng["width"]
    if dng["pattern"] == 0:
        return None
    cfa, n = dng["cfa"], dng["pattern"]
    out = np.zeros((h, w), dtype=np.int64)
    if n == 6:
        for y in range(h):
            for x in range(w):
                out[y, x] = cfa[(y % 6) * 6 + x % 6]
        return out
    filters = 0
    for i in reversed(range(16)):
        filters = (filters << 2 | cfa[i % 4]) & 0xFFFFFFFF
    filters |= ((filters >> 2 & 0x22222222) | (filters << 2 & 0x88888888)) & (filters << 1)
    filters &= 0xFFFFFFFF
    for y in range(h):
        for x in range(w):
            out[y, x] = filters >> ((((y << 1) & 14) | (x & 1)) << 1) & 3
    return out


# --- driver stages --------------------------------------------------------------

def scaled_mosaic(dng, levels):
    """Decoded records after black normalisation and colour scaling,
    (4, h, w). `levels` are the four channel black levels as the library
    identifies them (a full-colour file has no level for channel 3, so 0).
    The factor and the product are single precision like the library's
    scaling loop: float(sample - black) * float(factor), truncated.
    Returns (mosaic, gain): when the brightest black-subtracted sample lies
    above 3/4 of the maximum (and below it) the library scales to that
    sample instead; gain is how much larger the samples then come out."""
    h, w = dng["height"], dng["width"]
    maximum = dng["white"]
    mosaic = np.zeros((4, h, w), dtype=np.int64)
    cmap = channel_map(dng)
    s = dng["samples"]
    spp = s.shape[2]
    for y in range(h):
        for x in range(w):
            if cmap is None:
                for c in range(spp):
                    mosaic[c, y, x] = s[y, x, c]
            else:
                mosaic[cmap[y, x], y, x] = s[y, x, 0]
    # The smallest level becomes the common one; the maximum is counted from
    # there, each sample from its own channel's level.
    common = min(levels)
    top = maximum - common
    brightest = 0
    for c in range(4):
        nz = mosaic[c][mosaic[c] > 0]
        if nz.size:
            brightest = max(brightest, int(nz.max()) - levels[c])
    gain = 1.0
    if 0 < brightest < top and brightest > float(np.float32(top) * np.float32(0.75)):
        gain = top / brightest
        top = brightest
    pre = daylight_multipliers(None if dng["mono"] else dng["matrix"])
    dmin = min(float(p) for p in pre)
    factors = []
    for c in range(4):
        normalised = np.float32(float(pre[c]) / dmin)
        factors.append(np.float32(float(normalised) * 65535.0 / top))
    for c in range(4):
        for y in range(h):
            for x in range(w):
                v = int(mosaic[c, y, x])
                if v == 0:
                    continue
                v -= levels[c]
                prod = np.float32(np.float32(v) * factors[c])
                mosaic[c, y, x] = clamp(int(prod), 0, 65535)
    return mosaic, gain


def rescale(v, frm, to):
    """A sample brought from scale `frm` to scale `to`, truncated."""
    if frm == to:
        return v
    return min(int(v * to / frm), 65535)


def combine_darks(frames):
    """Master dark from the loaded frames (list of ((4, h, w) array, gain)
    pairs, or None for a position that holds no frame, in position order).
    Counting stops at the first empty position or the first frame of another
    size. Frames are brought to the first frame's scale. Returns (master,
    gain) or None."""
    counted = []
    for f in frames:
        if f is None or (counted and f[0].shape != counted[0][0].shape):
            break
        counted.append(f)
    if not counted:
        return None
    g0 = counted[0][1]
    frames = [f if g == g0 else np.vectorize(lambda v, g=g: rescale(int(v), g, g0))(f).astype(np.int64)
              for f, g in counted]
    n = len(frames)
    if n == 0:
        return None
    shape = frames[-1].shape
    master = np.zeros(shape, dtype=np.int64)
    flat = [f.reshape(-1) for f in frames]
    out = master.reshape(-1)
    for i in range(out.size):
        v = [int(f[i]) for f in flat]
        if n == 1:
            out[i] = v[0]
        elif n == 2:
            out[i] = (v[0] + v[1]) >> 1
        elif n == 3:
            m = (v[0] + v[1] + v[2]) // 3
            dev = [abs(x - m) & 0xFFFF for x in v]
            if dev[0] >= dev[1] and dev[0] >= dev[2]:
                out[i] = (v[1] + v[2]) >> 1
            elif dev[1] >= dev[0] and dev[1] >= dev[2]:
                out[i] = (v[0] + v[2]) >> 1
            else:
                out[i] = (v[0] + v[1]) >> 1
        else:
            m = (v[0] + v[1] + v[2] + v[3]) >> 2
            dev = [abs(x - m) & 0xFFFF for x in v]
            drop = 0
            for k in range(4):
                if all(dev[k] >= dev[j] for j in range(4)):
                    drop = k
                    break
            out[i] = (sum(v) - v[drop]) // 3
    return master, g0


DIAMOND = [(0, -2), (-1, -1), (0, -1), (1, -1), (-2, 0), (-1, 0), (1, 0), (2, 0),
           (-1, 1), (0, 1), (1, 1), (0, 2)]


def diamond_value(mosaic, c, x, y):
    h, w = mosaic.shape[1], mosaic.shape[2]
    kept = []
    for dx, dy in DIAMOND:
        xx, yy = x + dx, y + dy
        if 0 <= xx < w and 0 <= yy < h and mosaic[c, yy, xx] != 0:
            kept.append(int(mosaic[c, yy, xx]))
    n = len(kept)
    if n == 0:
        return 0
    s = sum(kept)
    if n <= 2:
        return s // n
    m = s // n
    hi, lo = max(kept), min(kept)
    if abs(lo - m) < abs(hi - m):
        return (s - hi) // (n - 1)
    return (s - lo) // (n - 1)


def apply_dark(mosaic, master, mode, threshold, light_gain=1.0, dark_gain=1.0):
    """Subtracts the master dark in place, the dark brought to the light's
    scale; returns the list of defect marks."""
    h, w = mosaic.shape[1], mosaic.shape[2]
    marks = []
    for y in range(h):
        for x in range(w):
            for c in range(4):
                v = int(mosaic[c, y, x])
                d = rescale(int(master[c, y, x]), dark_gain, light_gain)
                if mode == 2:
                    if v == 0:
                        continue
                    if v > d + threshold:
                        mosaic[c, y, x] = v - d
                    else:
                        marks.append((x, y, c))
                        mosaic[c, y, x] = v - d if v > d else 0
                elif mode == 1:
                    mosaic[c, y, x] = v - d if v > d else 0
                else:
                    if v > d:
                        mosaic[c, y, x] = v - d
    for x, y, c in marks:
        mosaic[c, y, x] = diamond_value(mosaic, c, x, y)
    return marks


def fold_second_green(dng, mosaic):
    if dng["pattern"] == 2:
        mosaic[1] += mosaic[3]
        mosaic[3] = 0
    elif dng["mono"]:
        # A monochrome file carries its one colour in channel 0; it is
        # developed as grey.
        mosaic[1] = mosaic[0]
        mosaic[2] = mosaic[0]


# --- fast development -----------------------------------------------------------

class Params:
    def __init__(self, gamma=(2.2, 2.2, 2.2), black=(5, 3, 0), white=(180, 160, 130),
                 sharpness=6, radius=0, false_colour=2, saturation=3, hue_position=18):
        self.gamma = tuple(float(g) for g in gamma)
        self.black = tuple(black)
        self.white = tuple(white)
        self.sharpness = sharpness
        self.radius = radius
        self.false_colour = false_colour
        self.saturation = saturation
        self.hue = 2 * hue_position - 36


def tone_curve(b, wl, g):
    """Returns a function mapping one non-zero sample. Powers of the
    integers x0, x1 and v are exact in double precision and are formed
    first; each is then multiplied by its coefficient once."""
    x0 = float((b + 8) * 128)
    x1 = float((wl - 4) * 256)
    s0 = 2048.0 / x0
    s1 = 2048.0 / (65536.0 - x1)
    dl = x0 - x1
    x0_2, x1_2 = x0 * x0, x1 * x1
    x0_3, x1_3 = x0_2 * x0, x1_2 * x1
    a = (dl * (s0 + s1) + 124928.0) / (dl * dl * dl)
    p = (s0 * x0 - s1 * x1 + 62464.0 - 2.0 * a * (x0_3 - x1_3)) / (x0_2 - x1_2)
    r = s0 - 3.0 * a * x0_2 - 2.0 * p * x0
    e = 1024.0 - a * x0_3 - p * x0_2 - r * x0
    inv = 1.0 / g
    k = 65535.0 / math.pow(65535.0, inv)

    def curve(v):
        v2 = float(v * v)
        v3 = float(v * v * v)
        v = float(v)
        if v < x0:
            y = 1024.0 * v2 / x0_2
        elif v < x1:
            y = a * v3 + p * v2 + r * v + e
        else:
            y = (v - 65536.0) * s1 + 65536.0
        if y <= 0:
            return 0
        return clamp(int(math.pow(y, inv) * k), 0, 65535)

    return curve


def stage1(mosaic, prm):
    for c in range(3):
        curve = tone_curve(prm.black[c], prm.white[c], prm.gamma[c])
        plane = mosaic[c]
        cache = {}
        for idx in np.ndindex(plane.shape):
            v = int(plane[idx])
            if v == 0:
                continue
            if v not in cache:
                cache[v] = curve(v)
            plane[idx] = cache[v]


EDGE = [(0, -1), (-1, 0), (1, 0), (0, 1)]
CORNER = [(-1, -1), (1, -1), (-1, 1), (1, 1)]


def stage2(mosaic, pattern):
    _, h, w = mosaic.shape
    out = np.zeros((3, h, w), dtype=np.int64)
    for c in range(3):
        m = mosaic[c]
        for y in range(h):
            for x in range(w):
                if pattern == 0:
                    out[c, y, x] = m[y, x]
                    continue
                if pattern == 2 and m[y, x] != 0:
                    out[c, y, x] = m[y, x]
                    continue
                num = den = 0
                # Edge neighbours weigh 2, corners 1; the 6 x 6 pattern also
                # blends the centre with weight 16.
                window = [(2, EDGE), (1, CORNER)]
                if pattern == 6:
                    window.append((16, [(0, 0)]))
                for wt, offs in window:
                    for dx, dy in offs:
                        xx, yy = x + dx, y + dy
                        if 0 <= xx < w and 0 <= yy < h and m[yy, xx] != 0:
                            num += wt * int(m[yy, xx])
                            den += wt
                out[c, y, x] = num // den if den else 0
    return out


def window_mean(plane, x, y, offsets):
    h, w = plane.shape
    s = n = 0
    for dx, dy in offsets:
        xx, yy = x + dx, y + dy
        if 0 <= xx < w and 0 <= yy < h:
            s += int(plane[yy, xx])
            n += 1
    return s // n


CROSS = [(0, 0)] + EDGE
RING1 = EDGE + CORNER
RING2 = [(dx, dy) for dy in range(-2, 3) for dx in range(-2, 3)
         if (dx, dy) != (0, 0) and abs(dx) + abs(dy) != 4]


def stage3(img, prm):
    _, h, w = img.shape
    lum = (img[0] + img[1] + img[2]) // 3 >> 2
    t1 = np.zeros((h, w), dtype=np.int64)
    for y in range(h):
        for x in range(w):
            t1[y, x] = window_mean(lum, x, y, CROSS)
    s = prm.sharpness
    if s == 0:
        return t1, t1.copy()
    n = 4 * (8 - s)
    ring = RING2 if prm.radius else RING1
    t2 = np.zeros((h, w), dtype=np.int64)
    for y in range(h):
        for x in range(w):
            v = int(t1[y, x])
            u = window_mean(t1, x, y, ring)
            d = v - u
            if -n < d < n:
                res = (u + v) // 2
            elif d >= n:
                res = v + ((d - n) * s) // 2
            else:
                res = v + tdiv((d + n) * s, 2)
            t2[y, x] = clamp(res, 0, 16383)
    return t1, t2


def saturation_gain(h, q):
    a = abs(h)
    if a < 60:
        return a + 15 * q
    if a < 120:
        return 15 * q + 120 - a
    return a + 15 * q - 120


def stage4(img, t1, t2, prm):
    _, h, w = img.shape
    f = prm.false_colour
    hue = prm.hue
    gain = saturation_gain(hue, prm.saturation)
    out = np.zeros_like(img)
    for y in range(h):
        for x in range(w):
            if t1[y, x] == 0:
                continue
            src = []
            for c in range(3):
                if f == 0:
                    src.append(int(img[c, y, x]))
                    continue
                s = n = 0
                for dx, dy in RING1:
                    xx, yy = x + dx, y + dy
                    if 0 <= xx < w and 0 <= yy < h:
                        s += int(img[c, yy, xx])
                        n += 1
                src.append(((f * s) // n + int(img[c, y, x])) // (f + 1))
            r, g, b = src
            if hue > 0:
                r, g, b = (((120 - hue) * r + hue * b) // 120, ((120 - hue) * g + hue * r) // 120,
                           ((120 - hue) * b + hue * g) // 120)
            elif hue < 0:
                a = -hue
                r, g, b = (((120 - a) * r + a * g) // 120, ((120 - a) * g + a * b) // 120,
                           ((120 - a) * b + a * r) // 120)
            m = (r + g + b) // 3
            for c, cv in enumerate((r, g, b)):
                val = tdiv((tdiv((cv - m) * gain, 60) + cv) * int(t2[y, x]), int(t1[y, x]))
                out[c, y, x] = clamp(val, 0, 65535)
    return out


def fast_develop(mosaic, pattern, prm):
    """Stages 1 to 4 on a folded mosaic (4, h, w); returns (3, h, w)."""
    work = mosaic.copy()
    stage1(work, prm)
    img = stage2(work, pattern)
    t1, t2 = stage3(img, prm)
    return stage4(img, t1, t2, prm)


def develop(dng, levels, prm, master=None, dark_mode=2, threshold=0):
    """Whole fast-path development of one light frame; the master dark is
    applied only when its size matches the mosaic."""
    mosaic, gain = scaled_mosaic(dng, levels)
    if master is not None and master[0].shape == mosaic.shape:
        apply_dark(mosaic, master[0], dark_mode, threshold, gain, master[1])
    fold_second_green(dng, mosaic)
    return fast_develop(mosaic, dng["pattern"], prm)
