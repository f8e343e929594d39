# SPDX-License-Identifier: MIT
# Slow, plain re-statements of the filters and geometry operations, for the
# cross-check against tavo-cli. Planes are int64 arrays (3, h, w), row 0 the
# bottom row. Written from the operations' descriptions, loop by loop where
# the order matters, with numpy only where it is plainly the same sum.
import math

import numpy as np


def tdiv(a, b):
    """Integer division truncating towards zero."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b > 0) else -q


def clamp16(v):
    return 0 if v < 0 else 65535 if v > 65535 else v


# --- sharp and smooth -------------------------------------------------------------

def sharp_plane(p, r, t, s, e):
    h, w = p.shape
    out = p.copy()
    reach = (r + 2) // 3 + r
    if r == 1 and w == 1 and h == 1:
        return out
    for y in range(h):
        for x in range(w):
            v = int(p[y, x])
            total = n = 0
            for dy in range(-min(y, r), min(h - 1 - y, r) + 1):
                for dx in range(-min(x, r), min(w - 1 - x, r) + 1):
                    if r == 1 and dx == 0 and dy == 0:
                        continue  # the 8-neighbour mean leaves the centre out
                    if abs(dx) + abs(dy) <= reach:
                        total += int(p[y + dy, x + dx])
                        n += 1
            m = total // n
            d = v - m
            if abs(d) < t:
                res = (m * s * r + v * 10) // (s * r + 10)
            elif d <= -t:
                res = v + tdiv((d + t) * e, 10)
            else:
                res = v + tdiv((d - t) * e, 10)
            out[y, x] = clamp16(res)
    return out


def sharp(img, r, t, s, e, flags, mono=False):
    out = img.copy()
    for c, bit in enumerate((4, 2, 1)):
        if (c == 0 and mono and flags) or (not mono and flags & bit):
            out[c] = sharp_plane(img[c], r, t, s, e)
    return out


# --- edge enhancement --------------------------------------------------------------

def _block(h, w, y, x):
    return [(min(max(y + dy, 0), h - 1), min(max(x + dx, 0), w - 1)) for dy in (-1, 0, 1) for dx in (-1, 0, 1)]


def _own_side(v, s9, side_sum, side_n, s, e):
    if side_n < 3:
        return (v * 10 + ((s9 + side_sum) // (9 + side_n)) * s) // (s + 10)
    return (v * 10 + (side_sum // side_n) * e) // (e + 10)


def edge_plane(p, t, e, pct, s):
    h, w = p.shape
    out = p.copy()
    for y in range(h):
        for x in range(w):
            v = int(p[y, x])
            vals = [int(p[yy, xx]) for yy, xx in _block(h, w, y, x)]
            mx, mn, s9 = max(vals), min(vals), sum(vals)
            hi = [q for q in vals if q > v]
            lo = [q for q in vals if q < v]
            if mx - mn > t:
                if (mx - mn) * pct + mn * 100 < v * 100:
                    res = _own_side(v, s9, sum(hi), len(hi), s, e)
                else:
                    res = _own_side(v, s9, sum(lo), len(lo), s, e)
            else:
                res = (v * 10 + (s9 // 9) * s) // (s + 10)
            out[y, x] = clamp16(res)
    return out


def edge_rgb(img, t, e, pct, s):
    _, h, w = img.shape
    out = img.copy()
    lum = img.sum(axis=0)
    for y in range(h):
        for x in range(w):
            cells = _block(h, w, y, x)
            ls = [int(lum[yy, xx]) for yy, xx in cells]
            lc = int(lum[y, x])
            mx, mn = max(ls), min(ls)
            dark = [cell for k, cell in enumerate(cells) if k != 4 and ls[k] < lc]
            bright = [cell for k, cell in enumerate(cells) if k != 4 and ls[k] >= lc]
            for c in range(3):
                v = int(img[c, y, x])
                s9 = sum(int(img[c, yy, xx]) for yy, xx in cells)
                if mx - mn > 3 * t:
                    group = bright if (mx - mn) * pct + mn * 100 < lc * 100 else dark
                    res = _own_side(v, s9, sum(int(img[c, yy, xx]) for yy, xx in group), len(group), s, e)
                else:
                    res = (v * 10 + (s9 // 9) * s) // (s + 10)
                out[c, y, x] = clamp16(res)
    return out


def edge(img, t, e, pct, s, flags, mono=False):
    if mono:
        out = img.copy()
        if flags:
            out[0] = edge_plane(img[0], t, e, pct, s)
        return out
    if flags == 7:
        return edge_rgb(img, t, e, pct, s)
    out = img.copy()
    for c, bit in enumerate((4, 2, 1)):
        if flags & bit:
            out[c] = edge_plane(img[c], t, e, pct, s)
    return out


# --- resize --------------------------------------------------------------------------

def reduce_factors(to, fr):
    limit = max(to, fr) // 2
    d = 2
    while d <= limit:
        if to % d == 0 and fr % d == 0:
            to //= d
            fr //= d
        d = 3 if d == 2 else d + 2
    while to > 4096 or fr > 4096:
        to //= 2
        fr //= 2
    return max(to, 1), max(fr, 1)


def resize_nearest(img, xto, xfrom, yto, yfrom):
    _, h, w = img.shape
    nw, nh = w * xto // xfrom, h * yto // yfrom
    ys = [y * yfrom // yto for y in range(nh)]
    xs = [x * xfrom // xto for x in range(nw)]
    return img[:, ys][:, :, xs]


def _box(i, num, den, size):
    a = i * den // num
    b = min((i + 1) * den // num, size - 1)
    return a, (b if b > a else a + 1)  # an empty box takes its first line


def resize_bilinear(img, xto, xfrom, yto, yfrom):
    _, h, w = img.shape
    nx, dx = reduce_factors(xto, xfrom)
    ny, dy = reduce_factors(yto, yfrom)
    nw, nh = w * nx // dx, h * ny // dy
    out = np.zeros((3, nh, nw), dtype=np.int64)
    if nh > 2 * h // 3:
        for y in range(nh):
            sy, fy = y * dy // ny, (y * dy % ny) * 128 // ny
            sy1 = min(sy + 1, h - 1)
            for x in range(nw):
                sx, fx = x * dx // nx, (x * dx % nx) * 128 // nx
                sx1 = min(sx + 1, w - 1)
                out[:, y, x] = (img[:, sy, sx] * (128 - fx) * (128 - fy) + img[:, sy, sx1] * fx * (128 - fy)
                                + img[:, sy1, sx] * (128 - fx) * fy + img[:, sy1, sx1] * fx * fy) // 128 // 128
    else:
        for y in range(nh):
            y0, y1 = _box(y, ny, dy, h)
            for x in range(nw):
                x0, x1 = _box(x, nx, dx, w)
                total = img[:, y0:y1, x0:x1].sum(axis=(1, 2))
                out[:, y, x] = total // (x1 - x0) // (y1 - y0)
    return out


def lanczos_weights(px, py):
    k = []
    for dy in range(-2, 3):
        for dx in range(-2, 3):
            r = math.sqrt((dx - px / 16.0) ** 2 + (dy - py / 16.0) ** 2)
            if r == 0:
                k.append(1.0)
            elif r <= 2:
                k.append(2 * math.sin(math.pi * r) * math.sin(math.pi * r / 2) / (math.pi ** 2 * r * r))
            else:
                k.append(0.0)
    total = sum(k)
    return [v / total for v in k]


def resize_lanczos(img, xto, xfrom, yto, yfrom):
    _, h, w = img.shape
    nx, dx = reduce_factors(xto, xfrom)
    ny, dy = reduce_factors(yto, yfrom)
    nw, nh = w * nx // dx, h * ny // dy
    table = {}
    out = np.zeros((3, nh, nw), dtype=np.int64)
    src = img.astype(np.float64)
    for y in range(nh):
        sy, py = y * dy // ny, (y * dy % ny) * 16 // ny
        rows = [min(max(sy + k, 0), h - 1) for k in range(-2, 3)]
        for x in range(nw):
            sx, px = x * dx // nx, (x * dx % nx) * 16 // nx
            cols = [min(max(sx + k, 0), w - 1) for k in range(-2, 3)]
            kern = table.setdefault((px, py), lanczos_weights(px, py))
            for c in range(3):
                total = 0.0
                for i, yy in enumerate(rows):
                    for j, xx in enumerate(cols):
                        total += kern[i * 5 + j] * src[c, yy, xx]
                out[c, y, x] = 0 if total <= 0 else 65535 if total >= 65535 else int(total)
    return out


def resize(img, xto, xfrom, yto, yfrom, method):
    xto, xfrom, yto, yfrom = (max(v, 1) for v in (xto, xfrom, yto, yfrom))
    if method == 0:
        return resize_nearest(img, xto, xfrom, yto, yfrom)
    if method == 1:
        return resize_bilinear(img, xto, xfrom, yto, yfrom)
    return resize_lanczos(img, xto, xfrom, yto, yfrom)


def crop_to_size(img, anchor, cw, ch):
    _, h, w = img.shape
    if cw > w:
        cw, x0 = w, 0
    else:
        x0 = (0, (w - cw) // 2, w - cw)[anchor % 3]
    if ch > h:
        ch, y0 = h, 0
    else:
        y0 = (h - ch, (h - ch) // 2, 0)[anchor // 3]
    return img[:, y0:y0 + ch, x0:x0 + cw].copy()


def crop_resize(img, anchor, cw, ch, by_scale, ow, oh, scale):
    out = crop_to_size(img, anchor, cw, ch)
    xto, yto = (cw * scale // 100, ch * scale // 100) if by_scale else (ow, oh)
    if xto == cw and yto == ch:
        return out
    return resize(out, xto, cw, yto, ch, 2 if cw <= xto and ch <= yto else 1)


# --- rotation and distortion -----------------------------------------------------

def _bilinear256(img, sx, sy):
    """8-bit bilinear sampling at float positions sx, sy (arrays of one
    shape); black where x0 or y0 falls outside 0..w-2 / 0..h-2."""
    _, h, w = img.shape
    x0, y0 = np.floor(sx), np.floor(sy)
    inside = (x0 >= 0) & (x0 < w - 1) & (y0 >= 0) & (y0 < h - 1)
    fx = np.where(inside, np.trunc((sx - x0) * 256), 0).astype(np.int64)
    fy = np.where(inside, np.trunc((sy - y0) * 256), 0).astype(np.int64)
    xi = np.where(inside, x0, 0).astype(np.int64)
    yi = np.where(inside, y0, 0).astype(np.int64)
    out = np.zeros((3,) + sx.shape, dtype=np.int64)
    for c in range(3):
        p = img[c]
        v = (p[yi, xi] * (256 - fx) * (256 - fy) + p[yi, xi + np.where(inside, 1, 0)] * fx * (256 - fy)
             + p[yi + np.where(inside, 1, 0), xi] * (256 - fx) * fy
             + p[yi + np.where(inside, 1, 0), xi + np.where(inside, 1, 0)] * fx * fy) // 65536
        out[c] = np.where(inside, v, 0)
    return out


def rotate_any(img, millideg):
    _, h, w = img.shape
    th = millideg * 0.001 * (1 / 180) * 3.1415926
    c, s = math.cos(th), math.sin(th)
    xs = [c * x - s * y for x, y in ((0, 0), (w, h), (w, 0), (0, h))]
    ys = [s * x + c * y for x, y in ((0, 0), (w, h), (w, 0), (0, h))]
    nw, nh = int(max(xs) - min(xs)), int(max(ys) - min(ys))
    cxp, cyp = math.floor(max(xs) - min(xs)) * 0.5, math.floor(max(ys) - min(ys)) * 0.5
    cx, cy = w * 0.5, h * 0.5
    yy, xx = np.mgrid[0:nh, 0:nw].astype(np.float64)
    sx = c * (xx - cxp) - s * (cyp - yy) + cx
    sy = cy - (c * (cyp - yy) + s * (xx - cxp))
    return _bilinear256(img, sx, sy)


def rotate(img, kind, angle):
    if kind == 4:
        return img[:, :, ::-1].copy()
    if kind == 5:
        return img[:, ::-1, :].copy()
    a = angle * 10
    if a in (180000, -180000):
        return img[:, ::-1, ::-1].copy()
    if a == 90000:  # new(h - 1 - y, x) = old(x, y): column x becomes row x
        return np.ascontiguousarray(img.transpose(0, 2, 1)[:, :, ::-1])
    if a == -90000:  # new(y, w - 1 - x) = old(x, y)
        return np.ascontiguousarray(img.transpose(0, 2, 1)[:, ::-1, :])
    return rotate_any(img, a)


def distortion(img, k):
    _, h, w = img.shape
    d = ((w * w + h * h) * 0.25) ** 1.5
    q = -k / d
    cx, cy = w // 2, h // 2
    yy, xx = np.mgrid[0:h, 0:w]
    dx, dy = xx - cx, yy - cy
    f = (dx * dx + dy * dy).astype(np.float64) * q + 1.0
    return _bilinear256(img, f * dx + cx, f * dy + cy)


# --- odd/even lines ------------------------------------------------------------------

def line_split(img, field):
    """Rows 2k and 2k + 1 take source row 2k + field; with an odd height the
    last row takes the last source row of its field (the only row for a
    one-row image)."""
    _, h, _ = img.shape
    rows = []
    for y in range(h):
        src = (y & ~1) + field
        if src >= h:
            src -= 2
        rows.append(max(src, 0))
    return img[:, rows].copy()
