# SPDX-License-Identifier: MIT
# Slow, plain re-statement of the aligned composite (displacement search,
# canvas and the five combine rules), written only to cross-check the
# program's output sample for sample. Images are int64 arrays of shape
# (3, height, width), row 0 the first stored row. Nothing here is tuned.
import numpy as np

WORST = 2130706432

MODE_AVERAGE, MODE_ADD, MODE_MAX, MODE_MIN, MODE_CONTRAST = 0, 1, 2, 3, 4


def tdiv(a, b):
    """Integer division truncating toward zero."""
    q = np.abs(a) // np.abs(b)
    return np.where((np.asarray(a) < 0) != (np.asarray(b) < 0), -q, q)


# --- search -----------------------------------------------------------------

def search_region(inputs, method, rx, ry):
    wm = min(img.shape[2] for img in inputs)
    hm = min(img.shape[1] for img in inputs)
    wide = wm - 2 * rx > 256 and hm - 2 * ry > 256
    if method == 0 and wide:
        return wm // 8, hm // 8, 7 * wm // 8, 7 * hm // 8
    if method == 1 and wide:
        return wm // 2 - rx - 128, hm // 2 - ry - 128, wm // 2 + rx + 128, hm // 2 + ry + 128
    if method == 2 and wm - 2 * rx > 512 and hm - 2 * ry > 512:
        return wm // 2 - rx - 256, hm // 2 - ry - 256, wm // 2 + rx + 256, hm // 2 + ry + 256
    return 0, 0, wm, hm


def quarter_grey(img, x0, y0, x1, y1):
    qx0, qy0, qx1, qy1 = x0 // 4, y0 // 4, x1 // 4, y1 // 4
    block = img[:, 4 * qy0:4 * qy1, 4 * qx0:4 * qx1]
    hq, wq = qy1 - qy0, qx1 - qx0
    sums = block.reshape(3, hq, 4, wq, 4).sum(axis=(0, 2, 4))
    return (sums // 16) // 3


def full_grey(img, x0, y0, x1, y1):
    region = img[:, y0:y1, x0:x1]
    return region[0] // 3 + region[1] // 3 + region[2] // 3


def _overlap(a, dx, dy):
    h, w = a.shape
    xa, xe = max(dx, 0), min(w + dx, w)
    ya, ye = max(dy, 0), min(h + dy, h)
    return xa, xe, ya, ye


def _terms(a, b, div):
    # ((a - b) / div truncated toward zero)^2: the sign drops out with the
    # square, so |a - b| // div gives the same term.
    q = np.abs(a - b) // div
    return q * q


def compare_centre_corners(a, b, dx, dy):
    xa, xe, ya, ye = _overlap(a, dx, dy)
    ow, oh = xe - xa, ye - ya
    if ow < 1 or oh < 1:
        return WORST
    if ow <= 200 or oh <= 200:
        t = _terms(a[ya:ye, xa:xe], b[ya - dy:ye - dy, xa - dx:xe - dx], 32)
        return int((t.sum(axis=1) // ow).sum() // oh)

    def rows(row0, col, count, nrows):
        """Per-row sums of the terms of nrows rows from row0, count pixels
        from col."""
        pa = a[row0:row0 + nrows, col:col + count]
        pb = b[row0 - dy:row0 - dy + nrows, col - dx:col - dx + count]
        return _terms(pa, pb, 32).sum(axis=1)

    # Row r pairs A row ya + r with A row ye - 1 - r.
    right = xa + ow - 51
    lower = rows(ya, xa, 50, 50) + rows(ya, right, 50, 50)
    upper = (rows(ye - 50, xa, 50, 50) + rows(ye - 50, right, 50, 50))[::-1]
    total = int(((lower + upper) // 50 // 4).sum())
    total += int((rows(ya + oh // 2 - 50, xa + ow // 2 - 50, 100, 100) // 50 // 2).sum())
    return total // 50 // 4


def compare_centre(a, b, dx, dy, cap, div):
    xa, xe, ya, ye = _overlap(a, dx, dy)
    ow, oh = xe - xa, ye - ya
    if ow < 2 or oh < 2:
        return WORST
    cx, cy = (xa + xe) // 2, (ya + ye) // 2
    hx, hy = min(ow // 2, cap), min(oh // 2, cap)
    pa = a[cy - hy:cy + hy, cx - hx:cx + hx]
    pb = b[cy - dy - hy:cy - dy + hy, cx - dx - hx:cx - dx + hx]
    t = _terms(pa, pb, div)
    return int((t.sum(axis=1) // hx).sum() // hy)


def compare(method, a, b, dx, dy):
    if method == 0:
        return compare_centre_corners(a, b, dx, dy)
    if method == 1:
        return compare_centre(a, b, dx, dy, 128, 32)
    return compare_centre(a, b, dx, dy, 512, 64)


def best_displacement(method, a, b, cx, cy, rad_x, rad_y):
    best, found = WORST, (0, 0)
    for dy in range(cy - rad_y, cy + rad_y + 1):
        for dx in range(cx - rad_x, cx + rad_x + 1):
            score = compare(method, a, b, dx, dy)
            if score < best:
                best, found = score, (dx, dy)
    return found


def register(inputs, method, rx, ry):
    x0, y0, x1, y1 = search_region(inputs, method, rx, ry)
    n = len(inputs)
    coarse = [(0, 0)] * n
    if rx > 4 or ry > 4:
        quarters = [quarter_grey(img, x0, y0, x1, y1) for img in inputs]
        for k in range(1, n):
            dx, dy = best_displacement(method, quarters[0], quarters[k], 0, 0, rx // 4 + 1, ry // 4 + 1)
            coarse[k] = (4 * dx, 4 * dy)
        radius = 4
    else:
        radius = max(rx, ry)
    greys = [full_grey(img, x0, y0, x1, y1) for img in inputs]
    offsets = [(0, 0)]
    for k in range(1, n):
        offsets.append(best_displacement(method, greys[0], greys[k], coarse[k][0], coarse[k][1],
                                         radius, radius))
    return offsets


def canvas(inputs, offsets):
    mx = min([0] + [o[0] for o in offsets])
    my = min([0] + [o[1] for o in offsets])
    moved = [(ox - mx, oy - my) for ox, oy in offsets]
    width = max(ox + img.shape[2] for (ox, _), img in zip(moved, inputs))
    height = max(oy + img.shape[1] for (_, oy), img in zip(moved, inputs))
    return moved, min(width, 10000), min(height, 10000)


# --- placement on the canvas ---------------------------------------------------

def place(img, ox, oy, cw, ch):
    """Samples of img on the canvas (0 outside) and its coverage mask."""
    planes = np.zeros((img.shape[0], ch, cw), dtype=np.int64)
    cover = np.zeros((ch, cw), dtype=bool)
    _, h, w = img.shape
    cx0, cy0 = max(ox, 0), max(oy, 0)
    cx1, cy1 = min(ox + w, cw), min(oy + h, ch)
    if cx0 < cx1 and cy0 < cy1:
        planes[:, cy0:cy1, cx0:cx1] = img[:, cy0 - oy:cy1 - oy, cx0 - ox:cx1 - ox]
        cover[cy0:cy1, cx0:cx1] = True
    return planes, cover


def inner_mask(img, ox, oy, cw, ch):
    """Canvas pixels at least one pixel inside img on every side."""
    _, h, w = img.shape
    inner = np.zeros((ch, cw), dtype=bool)
    cx0, cy0 = max(ox + 1, 0), max(oy + 1, 0)
    cx1, cy1 = min(ox + w - 1, cw), min(oy + h - 1, ch)
    if cx0 < cx1 and cy0 < cy1:
        inner[cy0:cy1, cx0:cx1] = True
    return inner


def neighbour_mean(img, ox, oy, cw, ch, factors):
    """Mean of the four scaled neighbours per channel, on the canvas (valid only
    on the inner mask)."""
    out = np.zeros((3, ch, cw), dtype=np.int64)
    _, h, w = img.shape
    if h < 3 or w < 3:
        return out
    scaled = np.stack([img[c] * factors[c] // 16384 for c in range(3)])
    mean = np.zeros_like(scaled)
    mean[:, 1:-1, 1:-1] = (scaled[:, 1:-1, :-2] + scaled[:, 1:-1, 2:] + scaled[:, :-2, 1:-1]
                           + scaled[:, 2:, 1:-1]) // 4
    placed, _ = place(mean, ox, oy, cw, ch)
    return placed


def local_contrast(img, ox, oy, cw, ch):
    """Largest minus smallest R+G+B over the 3x3 neighbourhood, on the canvas."""
    lum = img.sum(axis=0)
    h, w = lum.shape
    c = np.zeros((1, h, w), dtype=np.int64)
    if h >= 3 and w >= 3:
        stack = np.stack([lum[1 + j:h - 1 + j, 1 + i:w - 1 + i] for j in (-1, 0, 1) for i in (-1, 0, 1)])
        c[0, 1:-1, 1:-1] = stack.max(axis=0) - stack.min(axis=0)
    placed, _ = place(c, ox, oy, cw, ch)
    return placed[0]


# --- combine rules -----------------------------------------------------------

def combine_add(placed, weights):
    total = sum(p * w for (p, _), w in zip(placed, weights))
    return np.minimum(total // 100, 65535)


def combine_max(placed):
    return np.max(np.stack([p for p, _ in placed]), axis=0)


def combine_min(placed):
    stack = np.stack([np.where(p > 0, p, 1 << 40) for p, _ in placed])
    low = stack.min(axis=0)
    return np.where(low == 1 << 40, 0, low)


def combine_contrast(inputs, offsets, placed, cw, ch):
    n = len(inputs)
    contrast = []
    for img, (ox, oy) in zip(inputs, offsets):
        inner = inner_mask(img, ox, oy, cw, ch)
        contrast.append(np.where(inner, local_contrast(img, ox, oy, cw, ch), -513))
    cstack = np.stack(contrast).reshape(n, -1)
    winner = np.full(cstack.shape[1], -1)
    for k in range(n):
        others = np.delete(cstack, k, axis=0)
        wins = (cstack[k] >= 0) & np.all(cstack[k] >= others + 513, axis=0)
        winner = np.where(wins & (winner < 0), k, winner)
    # Running weights: they change only where someone wins, so walk those
    # pixels in storage order and hold the weights in between.
    npix = cstack.shape[1]
    run = np.zeros((npix, 4), dtype=np.int64)
    cur = [1, 1, 1, 1]
    events = list(np.flatnonzero(winner >= 0))
    if not events or events[0] != 0:
        events = [0] + events
    for idx, p in enumerate(events):
        w = winner[p]
        if w >= 0:
            cur = [c + 1 if k == w else c - 1 for k, c in enumerate(cur)]
        cur = [min(max(c, 2), 10) for c in cur]
        end = events[idx + 1] if idx + 1 < len(events) else npix
        run[p:end] = cur
    part = cstack >= -512
    num = np.zeros((3, npix), dtype=np.int64)
    den = np.zeros(npix, dtype=np.int64)
    for k in range(n):
        wk = np.where(part[k], run[:, k], 0)
        num += placed[k][0].reshape(3, -1) * wk
        den += wk
    out = np.where(den > 0, num // np.maximum(den, 1), 0)
    return out.reshape(3, ch, cw)


def normalise_factors(inputs, offsets):
    n = len(inputs)
    flat = [[16384] * 3 for _ in range(n)]
    left = max(o[0] for o in offsets)
    top = max(o[1] for o in offsets)
    right = min(o[0] + img.shape[2] for o, img in zip(offsets, inputs))
    bottom = min(o[1] + img.shape[1] for o, img in zip(offsets, inputs))
    xs = list(range(left, right, right // 128 + 1))
    ys = list(range(top, bottom, bottom // 128 + 1))
    count = len(xs) * len(ys)
    if count == 0:
        return flat
    means = []
    for img, (ox, oy) in zip(inputs, offsets):
        grid = img[:, np.array(ys)[:, None] - oy, np.array(xs)[None, :] - ox]
        means.append([int(grid[c].sum()) // count for c in range(3)])
    mins = [min(m[c] for m in means) for c in range(3)]
    if 0 in mins:
        return flat
    return [[mins[c] * 16384 // m[c] for c in range(3)] for m in means]


def _reject_group(samples, move, threshold):
    """samples: list of (3, npix) arrays of the inputs taking part, in order.
    Returns a (len, 3, npix) mask of channels left out."""
    g = len(samples)
    s = np.stack(samples)
    total = s.sum(axis=0)
    dev = np.abs(s - (total[None] - s) // (g - 1))
    exceed = np.any(dev > threshold, axis=(0, 1))
    out = np.zeros(s.shape, dtype=bool)
    if move:
        out[1:] = exceed[None, None, :]
        return out
    big = dev.sum(axis=1)
    if g == 4:
        r1 = (big[0] > big[1]) & (big[0] > big[2]) & (big[0] > big[3])
        r2 = ~r1 & (big[1] > big[0]) & (big[1] > big[2]) & (big[1] > big[3])
        r3 = ~r1 & ~r2 & (big[2] > big[1]) & (big[2] > big[3])
        rejected = np.where(r1, 0, np.where(r2, 1, np.where(r3, 2, 3)))
    else:
        r1 = (big[0] > big[1]) & (big[0] > big[2])
        r2 = ~r1 & (big[1] > big[0]) & (big[1] > big[2])
        rejected = np.where(r1, 0, np.where(r2, 1, 2))
    for k in range(g):
        out[k] = exceed[None, :] & (rejected == k)[None, :] & (dev[k] != 0)
    return out


def combine_average(inputs, offsets, weights, cw, ch, noise, normalise):
    n = len(inputs)
    factors = normalise_factors(inputs, offsets) if normalise else [[16384] * 3] * n
    scaled, cover = [], []
    for img, (ox, oy), f in zip(inputs, offsets, factors):
        p, c = place(img, ox, oy, cw, ch)
        scaled.append(np.stack([p[k] * f[k] // 16384 for k in range(3)]))
        cover.append(c)
    active = noise != -1
    move = noise >= 256
    threshold = 256 * (noise - 256 if move else noise)
    if n == 2:
        s1, s2 = scaled
        if active:
            inner = inner_mask(inputs[0], *offsets[0], cw, ch) & inner_mask(inputs[1], *offsets[1], cw, ch)
            trigger = inner & np.any(np.abs(s1 - s2) > threshold, axis=0)
            rough = []
            for k in range(2):
                m = neighbour_mean(inputs[k], *offsets[k], cw, ch, factors[k])
                rough.append(np.abs(scaled[k] - m).sum(axis=0))
            one_wins = move | (rough[0] <= rough[1])
            s2 = np.where((trigger & one_wins)[None], s1, s2)
            s1 = np.where((trigger & ~one_wins)[None], s2, s1)
        num = np.zeros((3, ch, cw), dtype=np.int64)
        den = np.zeros((ch, cw), dtype=np.int64)
        for s, w in ((s1, weights[0]), (s2, weights[1])):
            inc = np.any(s > 0, axis=0)
            num += np.where(inc[None], s * w, 0)
            den += np.where(inc, w, 0)
        return np.where(den[None] > 0, num // np.maximum(den, 1)[None], 0)
    flat_s = [s.reshape(3, -1) for s in scaled]
    flat_c = np.stack([c.reshape(-1) for c in cover])
    left_out = np.zeros((n, 3, flat_c.shape[1]), dtype=bool)
    if active:
        # Only the inputs that cover a pixel take part in its rejection test;
        # with fewer than three of them nothing is rejected there.
        codes = (flat_c * (1 << np.arange(n))[:, None]).sum(axis=0)
        for code in np.unique(codes):
            members = [k for k in range(n) if code >> k & 1]
            if len(members) < 3:
                continue
            where = np.flatnonzero(codes == code)
            mask = _reject_group([flat_s[k][:, where] for k in members], move, threshold)
            for i, k in enumerate(members):
                left_out[k][:, where] = mask[i]
    num = np.zeros((3, flat_c.shape[1]), dtype=np.int64)
    den = np.zeros((3, flat_c.shape[1]), dtype=np.int64)
    for k in range(n):
        use = ~left_out[k] & (flat_s[k] >= 1)
        num += np.where(use, flat_s[k] * weights[k], 0)
        den += np.where(use, weights[k], 0)
    out = np.where(den > 0, num // np.maximum(den, 1), 0)
    return out.reshape(3, ch, cw)


# --- whole operation -----------------------------------------------------------

def composite(rows, mode, rx, ry, method, normalise, noise, shift_x, shift_y):
    """rows: up to four (image or None, weight). noise: the noise control
    (-1 off, level, or level + 256 for move mode). Returns (planes, offsets)
    or (None, None) when fewer than two inputs are usable."""
    usable = [(img, w) for img, w in rows if img is not None and w > 0]
    if len(usable) < 2:
        return None, None
    inputs = [img for img, _ in usable]
    weights = [w for _, w in usable]
    found = register(inputs, method, rx, ry)
    offsets, cw, ch = canvas(inputs, found)
    offsets = [(ox + k * shift_x, oy + k * shift_y) for k, (ox, oy) in enumerate(offsets)]
    placed = [place(img, ox, oy, cw, ch) for img, (ox, oy) in zip(inputs, offsets)]
    if mode == MODE_ADD:
        out = combine_add(placed, weights)
    elif mode == MODE_MAX:
        out = combine_max(placed)
    elif mode == MODE_MIN:
        out = combine_min(placed)
    elif mode == MODE_CONTRAST:
        out = combine_contrast(inputs, offsets, placed, cw, ch)
    else:
        out = combine_average(inputs, offsets, weights, cw, ch, noise, normalise)
    return out, found


def noise_control(option, level, shift_x, shift_y):
    if option == 0 or shift_x != 0 or shift_y != 0:
        return -1
    return level + 256 if option == 2 else level


def batch_composite(images, weights, mode, rx, ry, method, normalise, noise, shift_x, shift_y):
    """The batch's composite of two to eight files: up to four directly, more
    in two overlapping groups whose results are combined."""
    n = len(images)

    def run(imgs, ws):
        out, _ = composite(list(zip(imgs, ws)), mode, rx, ry, method, normalise, noise,
                           shift_x, shift_y)
        return out

    if n == 1:
        return images[0]
    if n <= 4:
        return run(images, weights[:n])
    m = 3 if n <= 6 else 4
    w1 = [weights[i] // 2 if i > n - 1 - m else weights[i] for i in range(m)]
    w2 = [weights[i] // 2 if n - m + i < m else weights[i] for i in range(m)]
    first = run(images[:m], w1)
    second = run(images[n - m:], w2)
    return run([first, second], weights[:2])
