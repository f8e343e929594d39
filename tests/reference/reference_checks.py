# SPDX-License-Identifier: MIT
# End-to-end cross-check: runs tavo-cli on generated images and compares every
# sample with the slow Python re-statements under tools/reference.
#   reference_checks.py CLI_PATH [--only SUBSTRING] [--keep DIR]
# Exit status 0 only when every case matches.
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "reference"))

import numpy as np  # noqa: E402

import background_ref  # noqa: E402
import composite_ref  # noqa: E402
import filters_ref  # noqa: E402
import gamma_ref  # noqa: E402
import ppm16  # noqa: E402


# --- synthetic skies ---------------------------------------------------------

def sky_scene(w, h, seed, density=1 / 700.0):
    """Float sky (3, h, w): a gradient with Gaussian stars; frames cut from it
    at different places are translations of each other."""
    rng = np.random.default_rng(seed)
    ys, xs = np.mgrid[0:h, 0:w].astype(float)
    base = 3000 + 2500 * (xs / w) + 1500 * (ys / h)
    img = np.stack([base + 600, base + 300, base])
    for _ in range(int(w * h * density) + 4):
        cx, cy = rng.uniform(0, w), rng.uniform(0, h)
        peak = rng.uniform(2000, 50000) * rng.uniform(0.1, 1) ** 2
        sig = rng.uniform(0.7, 2.2)
        tint = rng.uniform(0.7, 1.3, 3)
        r = int(4 * sig) + 1
        x0, x1 = max(int(cx) - r, 0), min(int(cx) + r + 1, w)
        y0, y1 = max(int(cy) - r, 0), min(int(cy) + r + 1, h)
        g = np.exp(-((xs[y0:y1, x0:x1] - cx) ** 2 + (ys[y0:y1, x0:x1] - cy) ** 2) / (2 * sig * sig))
        img[:, y0:y1, x0:x1] += peak * g[None] * tint[:, None, None]
    return img


def cut(scene, x, y, w, h, seed, noise=120.0, gain=1.0):
    """Frame of w x h at stored position (x, y) of the scene, own noise."""
    rng = np.random.default_rng(seed)
    f = scene[:, y:y + h, x:x + w] * gain + rng.normal(0, noise, (3, h, w))
    return np.clip(np.rint(f), 0, 65535).astype(np.int64)


def ramp_image():
    """256 x 256 image holding every 16-bit value once in each plane."""
    v = np.arange(65536, dtype=np.int64).reshape(256, 256)
    return np.stack([v, v[::-1], v.T])


# --- running the program -------------------------------------------------------

class Runner:
    def __init__(self, cli, work):
        self.cli, self.work = cli, work
        self.count = 0
        self.failures = []
        self.cases = 0

    def path(self, name):
        return os.path.join(self.work, name)

    def write(self, name, planes):
        p = self.path(name)
        ppm16.write_ppm(p, planes)
        return p

    def run(self, args):
        r = subprocess.run([self.cli] + args, cwd=self.work, capture_output=True, text=True)
        return r.returncode, r.stdout + r.stderr

    def cli_run(self, files, sets, command):
        """Opens files into slots 0, 1, ..., applies --set pairs, runs the
        command and saves the current image; returns its planes or None."""
        self.count += 1
        out = self.path("out%03d.ppm" % self.count)
        args = ["run", "--yes"]
        for f in files:
            args += ["--open", f]
        for key, value in sets:
            args += ["--set", key, value]
        args += ["--command", str(command), "--save", out, "--format", "ppm"]
        code, text = self.run(args)
        if code != 0 or not os.path.exists(out):
            return None, text
        return ppm16.read_ppm(out), text

    def check(self, name, ours, ref, note=""):
        self.cases += 1
        if ref is None and ours is None:
            return
        if ours is None or ref is None or ours.shape != ref.shape:
            self.failures.append("%s: shape ours %s, reference %s %s" % (
                name, None if ours is None else ours.shape, None if ref is None else ref.shape, note))
            return
        bad = np.argwhere(ours != ref)
        if len(bad):
            lines = ["%s: %d of %d samples differ %s" % (name, len(bad), ours.size, note)]
            for c, y, x in bad[:4]:
                lines.append("    channel %d x %d stored row %d: ours %d, reference %d" % (
                    c, x, y, ours[c, y, x], ref[c, y, x]))
            self.failures.append("\n".join(lines))


# --- composite -----------------------------------------------------------------

def composite_case(rn, name, frames, weights, mode=0, rng=20, method=1, normalise=1,
                   level=5, option=1, shift=(0, 0), slots=None, expect=None):
    files = [rn.write("%s_%d.ppm" % (name, k), f) for k, f in enumerate(frames)]
    slots = slots if slots is not None else list(range(len(frames))) + [-1] * (4 - len(frames))
    w4 = list(weights) + [0] * (4 - len(weights)) if len(weights) < 4 else list(weights)
    sets = [("composite-inputs", " ".join(map(str, slots))),
            ("composite-weights", " ".join(map(str, w4))),
            ("composite", "%d %d %d %d %d %d" % (mode, rng, method, normalise, level, option)),
            ("VER264", "1 %d %d" % shift)]
    ours, text = rn.cli_run(files, sets, 302)
    rows = [(frames[s] if s >= 0 else None, w) for s, w in zip(slots, w4)]
    noise = composite_ref.noise_control(option, level, shift[0], shift[1])
    ref, offsets = composite_ref.composite(rows, mode, rng, rng, method, normalise, noise,
                                           shift[0], shift[1])
    if expect is not None and offsets != expect:
        rn.failures.append("%s: reference found %s, the frames were cut at %s" % (name, offsets, expect))
    rn.check(name, ours, ref, "(offsets %s) %s" % (offsets, text.strip()[:200]))


def composite_cases(rn):
    scene = sky_scene(440, 400, 1)
    # Two frames, 320 x 300: wide enough for the central search regions of
    # methods 0 and 1 with range 20, shift (7, -5) needs the coarse pass.
    a = cut(scene, 40, 40, 320, 300, 11)
    b = cut(scene, 47, 35, 320, 300, 12)
    for mode in range(5):
        composite_case(rn, "two_mode%d" % mode, [a, b], [100, 80], mode=mode, expect=[(0, 0), (7, -5)])
    for method in (0, 2):
        composite_case(rn, "two_method%d" % method, [a, b], [100, 100], method=method,
                       expect=[(0, 0), (7, -5)])
    composite_case(rn, "two_plain", [a, b], [70, 100], normalise=0, option=0)
    composite_case(rn, "two_move", [a, b], [100, 100], option=2, level=3)
    composite_case(rn, "two_level0", [a, b], [100, 100], option=1, level=0, method=0)
    # Dimmer second frame: normalisation scales the first one down.
    b_dim = cut(scene, 47, 35, 320, 300, 13, gain=0.8)
    composite_case(rn, "two_normalise", [a, b_dim], [100, 100], option=0)
    composite_case(rn, "two_normalise_noise", [a, b_dim], [100, 100], option=1, level=2)

    # Three and four frames of different sizes: parts of the canvas are
    # covered by only some of them.
    c = cut(scene, 30, 52, 300, 280, 14)
    d = cut(scene, 55, 44, 310, 290, 15)
    e = cut(scene, 36, 28, 330, 310, 16)
    three = [a, c, d]
    four = [a, c, d, e]
    exp3 = [(0, 0), (-10, 12), (15, 4)]
    exp4 = exp3 + [(-4, -12)]
    # Levels 1 and 2 sit near the frames' noise, so the rejection rules fire
    # both where every frame covers the canvas and where only three do.
    for option, level in ((0, 5), (1, 1), (2, 2), (1, 5)):
        composite_case(rn, "three_avg_opt%d_l%d" % (option, level), three, [100, 90, 80],
                       option=option, level=level, expect=exp3)
        composite_case(rn, "four_avg_opt%d_l%d" % (option, level), four, [100, 90, 80, 70],
                       option=option, level=level, expect=exp4)
    composite_case(rn, "four_avg_plain", four, [100, 100, 60, 100], normalise=0, option=1, level=1)
    for mode in (1, 2, 3, 4):
        composite_case(rn, "three_mode%d" % mode, three, [100, 50, 75], mode=mode)
        composite_case(rn, "four_mode%d" % mode, four, [60, 70, 80, 90], mode=mode)
    composite_case(rn, "four_method0", four, [100] * 4, method=0, option=1, level=2)
    composite_case(rn, "four_method2", four, [100] * 4, method=2, option=2, level=2)
    # A row left empty between filled rows, and a row of weight 0.
    composite_case(rn, "gap_rows", three, [100, 100, 100, 100], slots=[0, -1, 1, 2])
    composite_case(rn, "zero_weight", four, [100, 0, 100, 100], option=1, level=1)
    # Extra shifts per input: the noise option is off for such a run.
    composite_case(rn, "shift_xy", three, [100, 100, 100], shift=(5, -3))
    composite_case(rn, "shift_back", [a, b], [100, 100], shift=(-9, 4), mode=4)

    # Ranges of 4 and less skip the coarse pass; 5 runs it over +-2.
    f = cut(scene, 100, 100, 300, 240, 17)
    g = cut(scene, 102, 97, 300, 240, 18)
    composite_case(rn, "range3", [f, g], [100, 100], rng=3, expect=[(0, 0), (2, -3)])
    composite_case(rn, "range5_method0", [f, g], [100, 100], rng=5, method=0, expect=[(0, 0), (2, -3)])
    h = cut(scene, 109, 91, 300, 240, 19)
    composite_case(rn, "range12_method2", [f, h], [100, 100], rng=12, method=2, expect=[(0, 0), (9, -9)])

    # Weights above 100 with the add rule: sums are capped at full scale.
    bright = [cut(scene, 40, 40, 320, 300, 23, gain=3.0), cut(scene, 47, 35, 320, 300, 24, gain=3.0)]
    composite_case(rn, "add_cap", bright, [150, 120], mode=1)

    # A long strip: the canvas is cut to 10000 columns.
    strip = sky_scene(10040, 30, 4, density=1 / 200.0)
    s1, s2 = cut(strip, 10, 3, 9990, 24, 25), cut(strip, 24, 4, 9990, 24, 26)
    composite_case(rn, "canvas_cap_avg", [s1, s2], [100, 100], expect=[(0, 0), (14, 1)])
    composite_case(rn, "canvas_cap_contrast", [s1, s2], [100, 100], mode=4, shift=(3, 0))

    # Black and white noise on long rows: a row of the centre-and-corners
    # comparison sums up to 2000 terms of 2047^2, past 32 bits.
    noise_rng = np.random.default_rng(8)
    wide = (noise_rng.integers(0, 2, (1, 46, 2010)) * 65535).repeat(3, axis=0).astype(np.int64)
    composite_case(rn, "long_rows_method0", [wide[:, 2:42, 2:2002], wide[:, 3:43, 5:2005]],
                   [100, 100], rng=4, method=0, option=0, expect=[(0, 0), (3, 1)])

    # Large frames for the widest central region (method 2, range 6).
    big = sky_scene(560, 550, 2)
    p = cut(big, 5, 5, 540, 530, 21)
    q = cut(big, 11, 1, 540, 530, 22)
    composite_case(rn, "big_method2", [p, q], [100, 100], rng=6, method=2, expect=[(0, 0), (6, -4)])

    # Ties: a pattern that does not change along the rows scores the same for
    # every vertical displacement, so the first (lowest) dy must win; a flat
    # image ties everywhere.
    ys, xs = np.mgrid[0:120, 0:150]
    stripes = np.stack([(xs * 37 % 23) * 1500 + 2000] * 3).astype(np.int64)
    shifted = np.roll(stripes, -3, axis=2)
    for method in (0, 1, 2):
        composite_case(rn, "tie_stripes_m%d" % method, [stripes, shifted], [100, 100], rng=6,
                       method=method)
    flat = np.full((3, 60, 70), 20000, dtype=np.int64)
    composite_case(rn, "tie_flat", [flat, flat.copy()], [100, 100], rng=9, mode=2)

    # Tiny frames: the 1-pixel frame of the contrast rule, the edges of the
    # rejection rules.
    tiny = sky_scene(40, 30, 3, density=1 / 40.0)
    t1, t2, t3 = cut(tiny, 2, 2, 16, 12, 31), cut(tiny, 4, 1, 14, 13, 32), cut(tiny, 1, 4, 17, 11, 33)
    for mode in range(5):
        composite_case(rn, "tiny_mode%d" % mode, [t1, t2, t3], [100, 80, 60], rng=2, mode=mode,
                       option=1, level=1)
    composite_case(rn, "tiny_two_move", [t1, t2], [100, 100], rng=3, option=2, level=0)

    # A bright dot in one of four identical frames is rejected.
    base = cut(scene, 60, 60, 64, 48, 41, noise=0)
    frames = [base.copy() for _ in range(4)]
    frames[2][:, 20, 30] += 9000
    frames[1][0, 10, 10] += 3000
    composite_case(rn, "outlier", frames, [100] * 4, rng=2, option=1, level=5)
    composite_case(rn, "outlier_level0", frames, [100] * 4, rng=2, option=1, level=0, normalise=0)


# --- quadratic background ------------------------------------------------------

def background_case(rn, name, img, mode, levels8, curve=200, shift=0):
    f = rn.write(name + ".ppm", img)
    sets = [("back2", "%d %s" % (mode, " ".join(map(str, levels8)))),
            ("back2-extra", "%d %d" % (curve, shift))]
    ours, text = rn.cli_run([f], sets, 306)
    confirmed = list(levels8)
    for c in range(3):
        if confirmed[2 * c] <= confirmed[2 * c + 1]:
            if confirmed[2 * c + 1] == 255:
                confirmed[2 * c + 1] = 254
            confirmed[2 * c] = confirmed[2 * c + 1] + 1
    if all(confirmed[2 * c + 1] == 0 for c in range(3)):
        ref = img  # nothing runs; the next click would capture
    else:
        levels = background_ref.command_levels(mode, confirmed, shift)
        ref = background_ref.apply_background(img, mode, levels, curve)
    rn.check(name, ours, ref, text.strip()[:200])


def capture_case(rn, name, img, mode, centre_click, corner_click, curve=200, shift=0):
    """Levels picked by clicks (commands 3061 / 3062), then the correction."""
    f = rn.write(name + ".ppm", img)
    rn.count += 1
    out = rn.path("out%03d.ppm" % rn.count)
    args = ["run", "--yes", "--open", f, "--set", "back2", "%d 0 0 0 0 0 0" % mode,
            "--set", "back2-extra", "%d %d" % (curve, shift),
            "--command", "3061", "--click", str(centre_click[0]), str(centre_click[1]),
            "--command", "3062", "--click", str(corner_click[0]), str(corner_click[1]),
            "--command", "306", "--save", out, "--format", "ppm"]
    code, text = rn.run(args)
    ours = ppm16.read_ppm(out) if code == 0 and os.path.exists(out) else None
    centre = background_ref.capture_levels(img, *centre_click)
    corner = background_ref.capture_levels(img, *corner_click)
    levels8 = [v for c in range(3) for v in (centre[c], corner[c])]
    for c in range(3):
        if levels8[2 * c] <= levels8[2 * c + 1]:
            levels8[2 * c] = levels8[2 * c + 1] + 1
    if all(levels8[2 * c + 1] == 0 for c in range(3)):
        ref = img
    else:
        ref = background_ref.apply_background(
            img, mode, background_ref.command_levels(mode, levels8, shift), curve)
    rn.check(name, ours, ref, "(levels %s) %s" % (levels8, text.strip()[:200]))


def background_cases(rn):
    scene = sky_scene(300, 240, 5)
    sky = cut(scene, 0, 0, 300, 240, 51)
    odd = cut(sky_scene(301, 241, 6), 0, 0, 301, 241, 52)
    for curve in (100, 150, 200, 250, 300):
        background_case(rn, "back_mul_c%d" % curve, sky, 0, [40, 10, 30, 12, 20, 5], curve)
        background_case(rn, "back_sub_c%d" % curve, sky, 1, [40, 10, 30, 12, 20, 5], curve, shift=30)
    background_case(rn, "back_mul_odd", odd, 0, [4, 0, 200, 3, 255, 254], 175)
    background_case(rn, "back_sub_odd", odd, 1, [12, 11, 90, 30, 33, 1], 230, shift=0)
    background_case(rn, "back_sub_big", odd, 1, [250, 5, 128, 127, 60, 2], 300, shift=255)
    background_case(rn, "back_mul_lift", sky, 0, [100, 100, 3, 9, 0, 7], 200)
    background_case(rn, "back_mul_none", sky, 0, [50, 0, 50, 0, 50, 0], 200)
    flat = np.full((3, 90, 120), 30000, dtype=np.int64)
    background_case(rn, "back_flat_mul", flat, 0, [4, 0, 8, 2, 60, 20])
    background_case(rn, "back_flat_sub", flat, 1, [80, 20, 8, 2, 60, 20], 120, shift=30)
    ramp = ramp_image()
    background_case(rn, "back_ramp_mul", ramp, 0, [255, 1, 128, 64, 16, 15], 260)
    background_case(rn, "back_ramp_sub", ramp, 1, [255, 1, 128, 64, 16, 15], 140, shift=10)
    # A periphery of 255 cannot have a centre above it; the confirmed pair
    # becomes 255 over 254.
    background_case(rn, "back_mul_top", sky, 0, [255, 255, 10, 200, 9, 9], 200)
    capture_case(rn, "capture_mul", sky, 0, (150, 120), (3, 2))
    capture_case(rn, "capture_sub_edges", sky, 1, (0, 239), (299, 0), 250, 12)
    for w, h in ((1, 1), (1, 2), (2, 1), (3, 2)):
        small = (np.arange(3 * w * h, dtype=np.int64).reshape(3, h, w) + 1) * 3000
        background_case(rn, "back_small_%dx%d" % (w, h), small, 0, [30, 5, 30, 5, 30, 5])
        background_case(rn, "back_small_sub_%dx%d" % (w, h), small, 1, [30, 5, 30, 5, 30, 5], 200, 20)


# --- gamma -----------------------------------------------------------------------

def gamma_case(rn, name, img, kind, tables, per_channel):
    f = rn.write(name + ".ppm", img)
    sets = [("gamma", "%d %s" % (kind, " ".join(" ".join(map(str, t)) for t in tables))),
            ("gamma-table", "1" if per_channel else "0")]
    ours, text = rn.cli_run([f], sets, 311)
    ref = gamma_ref.apply_gamma(img, kind, tables, per_channel)
    rn.check(name, ours, ref, text.strip()[:200])


def gamma_cases(rn):
    ramp = ramp_image()
    default = [0, 0, 128, 128, 255, 255]
    tables_list = [
        ("default", [default] * 4),
        ("bright", [[0, 0, 60, 140, 200, 250]] + [default] * 3),
        ("lifted", [[10, 30, 100, 120, 240, 255]] + [default] * 3),
        ("same_inputs", [[50, 20, 50, 90, 255, 255]] + [default] * 3),
        ("same_upper", [[0, 0, 200, 100, 200, 230]] + [default] * 3),
        ("top_out", [[20, 0, 128, 200, 250, 255]] + [default] * 3),
        ("dark_end", [[0, 0, 100, 40, 160, 0]] + [default] * 3),
        ("all_same", [[128, 128, 128, 128, 128, 128]] + [default] * 3),
        ("low_knee", [[1, 1, 2, 5, 3, 9]] + [default] * 3),
    ]
    for kind in (0, 1):
        for label, tables in tables_list:
            gamma_case(rn, "gamma_k%d_%s" % (kind, label), ramp, kind, tables, False)
        per = [default, [0, 0, 90, 150, 230, 250], [20, 10, 128, 100, 255, 255], [0, 30, 60, 60, 200, 180]]
        gamma_case(rn, "gamma_k%d_per_channel" % kind, ramp, kind, per, True)


# --- filters and geometry ------------------------------------------------------

def filter_case(rn, name, img, sets, command, ref):
    f = rn.write(name + ".ppm", img)
    ours, text = rn.cli_run([f], sets, command)
    rn.check(name, ours, ref, text.strip()[:200])


def filter_cases(rn):
    sky = cut(sky_scene(70, 56, 3), 2, 2, 64, 48, 5, noise=3000)
    rng = np.random.default_rng(9)
    odd = rng.integers(0, 65536, (3, 9, 13))
    tiny = {(w, h): rng.integers(0, 65536, (3, h, w)) for w, h in ((1, 1), (1, 5), (5, 1), (2, 2))}
    F = filters_ref

    for r, t, sm, e, ch in ((1, 2560, 10, 10, "1 1 1"), (2, 1000, 20, 30, "1 0 1"), (3, 0, 0, 50, "0 1 0"),
                            (10, 5000, 50, 5, "1 1 1")):
        flags = int(ch[0]) * 4 + int(ch[2]) * 2 + int(ch[4])
        for label, img in (("sky", sky), ("odd", odd)):
            filter_case(rn, "sharp_r%d_%s" % (r, label), img,
                        [("sharp", "%d %d %d %d" % (r, t, sm, e)), ("sharp-channels", ch)], 301,
                        F.sharp(img, r, t, sm, e, flags))
    for (w, h), img in tiny.items():
        filter_case(rn, "sharp_tiny_%dx%d" % (w, h), img, [("sharp", "1 65535 30 10")], 301,
                    F.sharp(img, 1, 65535, 30, 10, 7))
        filter_case(rn, "edge_tiny_%dx%d" % (w, h), img, [("edge", "100 20 50"), ("edgearea", "1 10")], 303,
                    F.edge(img, 100, 20, 50, 10, 7))

    for t, e, pct, sm, ch in ((2560, 10, 50, 10, "1 1 1"), (1000, 30, 20, 40, "1 1 0"), (0, 50, 90, 0, "1 1 1"),
                              (65535, 10, 50, 10, "0 0 1")):
        flags = int(ch[0]) * 4 + int(ch[2]) * 2 + int(ch[4])
        for label, img in (("sky", sky), ("odd", odd)):
            filter_case(rn, "edge_t%d_%s" % (t, label), img,
                        [("edge", "%d %d %d" % (t, e, pct)), ("edgearea", "1 %d" % sm), ("edge-channels", ch)], 303,
                        F.edge(img, t, e, pct, sm, flags))

    # Resize from the image's own 64 x 48; method 2 picks by the directions.
    for method, xto, yto in ((1, 32, 24), (1, 128, 96), (1, 100, 20), (0, 100, 30), (0, 7, 100), (3, 128, 96),
                             (3, 50, 40), (2, 100, 20), (2, 90, 70), (1, 64, 48), (1, 21, 13)):
        engine = method if method < 2 else 2 if method == 3 or (xto >= 64 and yto >= 48) else 1
        filter_case(rn, "resize_m%d_%dx%d" % (method, xto, yto), sky,
                    [("resize", "0 %d" % method), ("resize-size", "%d %d" % (xto, yto))], 304,
                    F.resize(sky, xto, 64, yto, 48, engine))
    for cutv in ((8, 30, 20, 1, 0, 0, 150), (0, 100, 100, 1, 0, 0, 50), (4, 30, 20, 0, 45, 10, 100),
                 (2, 30, 20, 1, 0, 0, 100), (6, 7, 5, 0, 30, 25, 100)):
        filter_case(rn, "crop_%s" % "_".join(map(str, cutv)), sky, [("cut", " ".join(map(str, cutv)))], 213,
                    F.crop_resize(sky, *cutv))

    # Kinds 0 to 2 turn by their own angle whatever angle is stored.
    for kind, angle in ((3, 1250), (3, 0), (3, -4500), (3, 9001), (3, 9000), (3, -18000), (0, 0), (1, 5), (2, 0),
                        (4, 0), (5, 0)):
        effective = {0: 9000, 1: -9000, 2: 18000}.get(kind, angle)
        for label, img in (("sky", sky), ("odd", odd)):
            filter_case(rn, "rotate_k%d_a%d_%s" % (kind, angle, label), img, [("round", "%d %d" % (kind, angle))],
                        305, F.rotate(img, kind, effective))
    for k in (0, 5, -5, 40, -200):
        for label, img in (("sky", sky), ("odd", odd)):
            filter_case(rn, "distortion_%d_%s" % (k, label), img, [("waikyoku", str(k))], 330,
                        F.distortion(img, k))

    for label, img in (("sky", sky), ("odd", odd), ("one_row", tiny[(5, 1)])):
        f = rn.write("split_%s.ppm" % label, img)
        a, b = rn.path("split_%s_a.ppm" % label), rn.path("split_%s_b.ppm" % label)
        code, text = rn.run(["run", "--yes", "--open", f, "--command", "320", "--save", b, "--format", "ppm",
                             "--select", "1", "--save", a, "--format", "ppm"])
        for field, out in ((0, a), (1, b)):
            ours = ppm16.read_ppm(out) if code == 0 and os.path.exists(out) else None
            rn.check("split_%s_%d" % (label, field), ours, filters_ref.line_split(img, field), text.strip()[:200])


# --- batch -----------------------------------------------------------------------

def write_job(path, folder, composite_block, gamma_block=None, more=()):
    steps = [(2, composite_block) if composite_block is not None else (1, [])]
    if gamma_block is not None:
        steps.append((12, gamma_block))
    steps += list(more)
    while len(steps) < 7:
        steps.append((0, []))
    steps.append((3, [4]))
    with open(path, "w") as f:
        for k, (code, block) in enumerate(steps):
            words = list(block) + [0] * (32 - len(block))
            f.write("%d\n" % code)
            f.write("".join("%d\n" % v for v in words))
            f.write("\"%s\"\n" % (".PPM" if k == 7 else ""))
            f.write("\"%s\"\n" % (folder if k == 7 else ""))


def batch_case(rn, name, frames, mode, rng, method, normalise, option, level, shift, weights,
               gamma=None):
    folder = rn.path(name + "_out")
    os.makedirs(folder, exist_ok=True)
    files = [rn.write("%s_in%d.ppm" % (name, k), f) for k, f in enumerate(frames)]
    block = [rng, method, normalise, option, level, shift[0], shift[1]] + list(weights)
    gamma_block = None
    if gamma is not None:
        kind, per_channel, tables = gamma
        gamma_block = [kind, 1 if per_channel else 0] + [v for t in tables for v in t]
    job = rn.path(name + ".tvb")
    write_job(job, folder, block, gamma_block)
    # The combine mode is not part of the step's block: it comes from the
    # interactive settings.
    tvp = rn.path(name + ".tvp")
    with open(tvp, "w") as f:
        f.write("composite\n%d 20 1 1 5 1\n" % mode)
    code, text = rn.run(["batch", "--settings", tvp, "--yes", job] + files)
    out = os.path.join(folder, "%s_in%d.PPM" % (name, len(frames) - 1))
    ours = ppm16.read_ppm(out) if code == 0 and os.path.exists(out) else None
    noise = composite_ref.noise_control(option, level, shift[0], shift[1])
    ref = composite_ref.batch_composite(frames, weights, mode, rng, rng, method, normalise, noise,
                                        shift[0], shift[1])
    if gamma is not None:
        ref = gamma_ref.apply_gamma(ref, gamma[0], gamma[2], gamma[1])
    rn.check(name, ours, ref, text.strip()[:200])


def batch_cases(rn):
    scene = sky_scene(360, 300, 7)
    spots = [(30, 30), (36, 26), (25, 38), (33, 33), (41, 29), (28, 24), (38, 40)]
    frames = [cut(scene, x, y, 300, 240, 70 + k) for k, (x, y) in enumerate(spots)]
    per = [[0, 0, 128, 128, 255, 255], [0, 0, 90, 150, 230, 250], [20, 10, 128, 100, 255, 255],
           [0, 30, 60, 60, 200, 180]]
    batch_case(rn, "batch_two", frames[:2], 0, 20, 1, 1, 1, 5, (0, 0), [100, 60, 100, 100])
    batch_case(rn, "batch_two_gamma", frames[:2], 2, 8, 0, 0, 0, 5, (0, 0), [100, 100, 100, 100],
               gamma=(1, True, per))
    five = frames[:5]
    batch_case(rn, "batch_five", five, 0, 20, 1, 1, 1, 5, (0, 0), [100, 90, 80, 70])
    batch_case(rn, "batch_five_move", five, 0, 12, 2, 1, 2, 3, (0, 0), [100, 100, 100, 100])
    batch_case(rn, "batch_five_add", five, 1, 20, 1, 1, 1, 5, (0, 0), [50, 40, 60, 30])
    batch_case(rn, "batch_seven", frames, 0, 20, 0, 1, 1, 2, (0, 0), [100, 90, 80, 70])

    # The filter and geometry steps, one file at a time, each with its block.
    img = cut(scene, 20, 20, 60, 44, 90, noise=2000)
    folder = rn.path("batch_filters_out")
    os.makedirs(folder, exist_ok=True)
    f = rn.write("batch_filters.ppm", img)
    steps = [(4, [6, 50, 40, 1, 0, 0, 130]), (6, [1, 0, 1, 2, 3000, 5, 20]), (7, [1, 1, 1, 1, 2000, 7, 15, 40]),
             (10, [3, 1250]), (11, [3])]
    job = rn.path("batch_filters.tvb")
    write_job(job, folder, None, None, steps)
    code, text = rn.run(["batch", "--yes", job, f])
    out = os.path.join(folder, "batch_filters.PPM")
    ours = ppm16.read_ppm(out) if code == 0 and os.path.exists(out) else None
    F = filters_ref
    ref = F.crop_resize(img, 6, 50, 40, 1, 0, 0, 130)
    ref = F.edge(F.sharp(ref, 2, 3000, 5, 20, 5), 2000, 15, 40, 7, 7)
    ref = F.distortion(F.rotate(ref, 3, 1250), 3)
    rn.check("batch_filters", ours, ref, text.strip()[:200])


def main():
    cli = os.path.abspath(sys.argv[1])
    only = sys.argv[sys.argv.index("--only") + 1] if "--only" in sys.argv else ""
    keep = sys.argv[sys.argv.index("--keep") + 1] if "--keep" in sys.argv else None
    groups = [("composite", composite_cases), ("background", background_cases),
              ("gamma", gamma_cases), ("filters", filter_cases), ("batch", batch_cases)]
    with tempfile.TemporaryDirectory() as tmp:
        work = keep or tmp
        os.makedirs(work, exist_ok=True)
        rn = Runner(cli, work)
        for label, fn in groups:
            if only and only not in label:
                continue
            start = time.time()
            fn(rn)
            print("%-10s done in %.1f s" % (label, time.time() - start))
    print("%d cases, %d failures" % (rn.cases, len(rn.failures)))
    for f in rn.failures:
        print(f)
    return 1 if rn.failures else 0


if __name__ == "__main__":
    sys.exit(main())
