# SPDX-License-Identifier: MIT
# End-to-end cross-check of camera RAW development: writes small synthetic
# DNG files with make_dng, develops them with tavo-cli (fast path, with and
# without a master dark) and compares every sample with the slow Python
# re-statement in tools/reference/raw_fast_ref.py. The values the library
# decides (channel black levels, daylight multipliers) come from the file
# and from LibRaw's own raw-identify, never from the program under test.
#   raw_checks.py CLI MAKE_DNG RAW_IDENTIFY [--only SUBSTRING] [--keep DIR]
# Exit status 0 only when every case matches.
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "reference"))

import numpy as np  # noqa: E402

import ppm16  # noqa: E402
import raw_fast_ref as ref  # noqa: E402

W, H = 40, 32  # the library refuses images narrower or lower than 22

DEFAULT_RAW = ((2.2, 2.2, 2.2), (5, 3, 0), (180, 160, 130), 6, 0, 2, 3, 18)


def raw_setting(gamma, black, white, sharp, radius, false_colour, saturation, hue_position):
    """The "raw" settings group text and the matching reference parameters."""
    text = "%.1f %.1f %.1f  %d %d %d %d %d %d  %d %d %d %d %d  0" % (
        gamma[0], gamma[1], gamma[2], black[0], white[0], black[1], white[1], black[2], white[2],
        sharp, radius, false_colour, saturation, hue_position)
    prm = ref.Params(gamma, black, white, sharp, radius, false_colour, saturation, hue_position)
    return text, prm


class Runner:
    def __init__(self, cli, make_dng, identify, work):
        self.cli, self.make_dng, self.identify, self.work = cli, make_dng, identify, work
        self.count = 0
        self.cases = 0
        self.failures = []
        self.views = {}

    def path(self, name):
        return os.path.join(self.work, name)

    def dng(self, name, *args):
        """Writes NAME.dng with make_dng; returns its path."""
        p = self.path(name + ".dng")
        # A later --size overrides this one.
        args = ["--size", str(W), str(H)] + [str(a) for a in args]
        subprocess.run([self.make_dng, p] + args, check=True)
        return p

    def library_view(self, path):
        """Channel black levels as LibRaw identifies the file, after checking
        its daylight multipliers against the reference's."""
        if path in self.views:
            return self.views[path]
        text = subprocess.run([self.identify, "-v", path], capture_output=True, text=True).stdout
        black = re.search(r"^black: (\d+)", text, re.M)
        cblack = re.search(r"^cblack\[0 \.\. 3\]: (-?\d+) (-?\d+) (-?\d+) (-?\d+)", text, re.M)
        levels = [int(black.group(1)) if black else 0] * 4
        if cblack:
            levels = [levels[c] + int(cblack.group(c + 1)) for c in range(4)]
        mul = re.search(r"^Derived D65 multipliers: (\S+) (\S+) (\S+)", text, re.M)
        dng = ref.read_dng(path)
        ours = ref.daylight_multipliers(None if dng["mono"] else dng["matrix"])
        if dng["mono"]:
            pass  # one colour: no multipliers to compare
        elif mul is None:
            self.failures.append("%s: raw-identify printed no multipliers" % path)
        elif any(abs(float(mul.group(c + 1)) - float(ours[c])) > 1.5e-6 for c in range(3)):
            self.failures.append("%s: multipliers %s, reference %s" % (
                path, mul.groups(), [float(v) for v in ours[:3]]))
        self.views[path] = levels
        return levels

    def develop(self, light, raw_text, dark_files=None, dark_mode=2, threshold=0):
        """Opens `light` with tavo-cli; returns (3, h, w) top row first, or
        None, and the program's messages."""
        self.count += 1
        out = self.path("out%03d.ppm" % self.count)
        args = ["run", "--yes", "--set", "raw", raw_text, "--set", "dark", "0 0 %d %d" % (dark_mode, threshold)]
        if dark_files is not None:
            args += ["--set", "dark-files", " ".join('"%s"' % f for f in dark_files), "--command", "131"]
        args += ["--open", light, "--save", out, "--format", "ppm"]
        r = subprocess.run([self.cli] + args, cwd=self.work, capture_output=True, text=True)
        text = r.stdout + r.stderr
        if r.returncode != 0 or not os.path.exists(out):
            return None, text
        return ppm16.read_ppm(out)[:, ::-1], text

    def reference(self, light, prm, dark_files=None, dark_mode=2, threshold=0):
        master = None
        if dark_files:
            frames = []
            for f in dark_files:
                frames.append(ref.scaled_mosaic(ref.read_dng(f), self.library_view(f))
                              if os.path.exists(f) else None)
            master = ref.combine_darks(frames)
        dng = ref.read_dng(light)
        return ref.develop(dng, self.library_view(light), prm, master, dark_mode, threshold)

    def case(self, name, light, setting, dark_files=None, dark_mode=2, threshold=0):
        """Develops with the program and the reference; returns both."""
        raw_text, prm = raw_setting(*setting)
        ours, text = self.develop(light, raw_text, dark_files, dark_mode, threshold)
        expected = self.reference(light, prm, dark_files, dark_mode, threshold)
        self.check(name, ours, expected, text.strip()[:200])
        return ours, expected, text

    def check(self, name, ours, expected, note=""):
        self.cases += 1
        if ours is None or ours.shape != expected.shape:
            self.failures.append("%s: shape ours %s, reference %s %s" % (
                name, None if ours is None else ours.shape, expected.shape, note))
            return
        bad = np.argwhere(ours != expected)
        if len(bad):
            lines = ["%s: %d of %d samples differ %s" % (name, len(bad), ours.size, note)]
            for c, y, x in bad[:4]:
                lines.append("    channel %d x %d row %d from the top: ours %d, reference %d" % (
                    c, x, y, ours[c, y, x], expected[c, y, x]))
            self.failures.append("\n".join(lines))

    def expect(self, name, condition, detail=""):
        self.cases += 1
        if not condition:
            self.failures.append("%s: %s" % (name, detail))


# --- fast path -------------------------------------------------------------------

# Slider sets: gamma, black, white, sharpness, radius, false colour,
# saturation, hue position. Together they visit every sharpness 0..8 with
# both radii, false colour 0..4, saturation 0..4, hue positions 0, 18, 36
# and some between, gamma 1.0 and 4.0, black 0 and 32, white 128 and 255.
SLIDERS = [
    DEFAULT_RAW,
    ((1.0, 1.0, 1.0), (0, 0, 0), (255, 255, 255), 0, 0, 0, 0, 18),
    ((1.0, 1.0, 1.0), (0, 16, 32), (255, 200, 128), 0, 0, 0, 0, 18),
    ((4.0, 1.3, 2.7), (32, 0, 7), (128, 255, 211), 8, 1, 4, 4, 0),
    ((1.1, 3.9, 2.0), (1, 31, 12), (129, 254, 170), 3, 1, 1, 1, 36),
    ((2.2, 2.2, 2.2), (5, 3, 0), (180, 160, 130), 1, 0, 3, 2, 7),
    ((1.8, 2.4, 3.0), (10, 20, 30), (250, 140, 190), 2, 0, 0, 4, 29),
    ((2.2, 2.2, 2.2), (5, 3, 0), (180, 160, 130), 4, 1, 2, 0, 17),
    ((3.3, 1.5, 2.2), (2, 8, 4), (200, 220, 160), 5, 0, 1, 3, 19),
    ((2.2, 2.2, 2.2), (5, 3, 0), (180, 160, 130), 7, 1, 4, 2, 12),
    ((2.2, 2.2, 2.2), (5, 3, 0), (180, 160, 130), 8, 0, 0, 1, 30),
    ((1.5, 1.5, 1.5), (0, 0, 0), (255, 255, 255), 6, 1, 3, 0, 1),
    ((2.2, 2.2, 2.2), (5, 3, 0), (180, 160, 130), 2, 1, 2, 4, 35),
]

# Bayer phase, black, white and the noise fill (seed, base, spread). The
# fills start below the black level, so some samples become 0 and count as
# absent, and stay under 3/4 of the white level except in the bright ones.
MOSAICS = [
    ("RGGB", 100, 4000, (3, 50, 2800)),
    ("BGGR", 0, 65535, (4, 0, 40000)),
    ("GRBG", 512, 16383, (5, 400, 9000)),
    ("GBRG", 2047, 4095, (6, 1990, 1000)),
    ("RGGB", 64, 1023, (7, 40, 983)),        # reaches the white level
    ("GBRG", 256, 65535, (8, 200, 65335)),   # whole range, bright samples
]


def fast_cases(rn):
    k = 0
    for m, (pattern, black, white, (seed, base, spread)) in enumerate(MOSAICS):
        for matrix in ([], ["--matrix"]):
            name = "m%d%s" % (m, "c" if matrix else "")
            light = rn.dng(name, "--pattern", pattern, "--black", black, "--white", white,
                           "--fill", "noise", seed, base, spread, *matrix)
            # Every mosaic with the defaults and two further slider sets, so
            # that each set meets several phases.
            for s in (0, 1 + k % (len(SLIDERS) - 1), 1 + (k + 5) % (len(SLIDERS) - 1)):
                rn.case("%s %s s%d" % (name, pattern, s), light, SLIDERS[s])
            k += 1
    # Position-coded values: each sample tells where it came from.
    light = rn.dng("pos", "--pattern", "GRBG", "--fill", "position")
    for s in range(len(SLIDERS)):
        rn.case("position s%d" % s, light, SLIDERS[s])
    # The 6 x 6 pattern, full-colour and monochrome files.
    for pattern, extra in (("6x6", []), ("6x6", ["--matrix"]), ("rgb", []), ("rgb", ["--matrix"]),
                           ("mono", [])):
        name = "%s%s" % (pattern, "c" if extra else "")
        light = rn.dng(name, "--pattern", pattern, "--black", 100, "--white", 4000,
                       "--fill", "noise", 9, 60, 2800, *extra)
        for s in (0, 2, 3):
            rn.case("%s s%d" % (name, s), light, SLIDERS[s])


def sweep_cases(rn):
    # One slider at a time on a bright mosaic spanning the whole range, where
    # the colour stage's products exceed 32 bits at the strongest gain.
    light = rn.dng("sweep", "--pattern", "GBRG", "--black", 256, "--white", 65535,
                   "--fill", "noise", 40, 200, 65335, "--matrix")
    g, b, w, s, r, f, q, h = DEFAULT_RAW
    for sharp in range(9):
        for radius in (0, 1):
            rn.case("sweep sharpness %d radius %d" % (sharp, radius), light, (g, b, w, sharp, radius, f, q, h))
    for false_colour in range(5):
        rn.case("sweep false colour %d" % false_colour, light, (g, b, w, s, r, false_colour, q, h))
    for saturation in range(5):
        rn.case("sweep saturation %d" % saturation, light, (g, b, w, s, r, f, saturation, h))
    for hue in (0, 1, 9, 17, 18, 19, 27, 35, 36):
        rn.case("sweep hue %d" % hue, light, (g, b, w, 8, 1, 0, 4, hue))


def tone_cases(rn):
    # Black 0 and white 65535 scale by exactly 1, so planted samples reach
    # the tone curve as they are: each channel gets the samples just below,
    # at and above its toe end x0 = (b + 8) * 128 and its shoulder start
    # x1 = (w - 4) * 256, and 1 and 65535. With no sharpening, false colour,
    # saturation or hue the output at a planted sample is its toned value.
    # Over the files every black 0..32 and white 128..255 is used.
    sites = {0: [], 1: [], 2: []}  # RGGB positions of each colour, spaced
    for y in range(1, H - 1, 3):
        for x in range(1, W - 1, 3):
            colour = [[0, 1], [1, 2]][y % 2][x % 2]
            sites[colour].append((x, y))
    gammas = [1.0, 1.0, 2.2, 1.0, 3.7, 1.4]
    for k in range(43):
        black = [(3 * k + c) % 33 for c in range(3)]
        white = [128 + (3 * k + c) % 128 for c in range(3)]
        plant = []
        for c in range(3):
            x0, x1 = (black[c] + 8) * 128, (white[c] - 4) * 256
            for i, v in enumerate((x0 - 1, x0, x0 + 1, x1 - 1, x1, x1 + 1, 1, 65535)):
                plant.append((sites[c][i], v))
        args = []
        for (x, y), v in plant:
            args += ["--hot", x, y, v]
        light = rn.dng("tone%d" % k, "--pattern", "RGGB", "--fill", "flat", 30000, *args)
        gm = gammas[k % len(gammas)]
        rn.case("tone file %d" % k, light, ((gm, gm, gm), black, white, 0, 0, 0, 0, 18))


# --- dark frames -------------------------------------------------------------------

HOT = [(5, 5), (10, 8), (11, 8), (0, 0), (39, 31), (20, 1), (1, 20), (21, 14), (30, 30), (2, 2), (3, 2)]


def hot_args(hot, values):
    out = []
    for (x, y), v in zip(hot, values):
        out += ["--hot", x, y, v]
    return out


def dark_cases(rn):
    # Black 0 and white 65535: the light minus the dark is the clean frame:
    # noise of the same seed and spread lifted by 1000, hot pixels 500 above
    # the dark's (the clean frame holds 500 there). The dark's brightest
    # sample lies above 3/4 of the white level, so the library scales it by
    # its own maximum; brought back to the light's scale, its truncated
    # samples may come out one unit low. Subtraction must therefore give the
    # clean development to within a few units after the tone curve (a hot
    # pixel left behind would stand thousands of units out).
    hot_light = [60000, 52000, 65535, 50000, 61000, 58000, 40000, 30000, 64000, 55000, 57000]
    hot_dark = [v - 500 for v in hot_light]
    clean = rn.dng("clean", "--pattern", "RGGB", "--fill", "noise", 11, 2000, 3000,
                   *hot_args(HOT, [500] * len(HOT)))
    light = rn.dng("hotlight", "--pattern", "RGGB", "--fill", "noise", 11, 3000, 3000,
                   *hot_args(HOT, hot_light))
    dark = rn.dng("hotdark", "--pattern", "RGGB", "--fill", "flat", 1000, *hot_args(HOT, hot_dark))
    plain, _, _ = rn.case("hot clean", clean, DEFAULT_RAW)
    raw_light, _, _ = rn.case("hot no dark", light, DEFAULT_RAW)
    for mode in (0, 1, 2):
        ours, _, _ = rn.case("hot mode %d" % mode, light, DEFAULT_RAW, [dark], mode, 0)
        worst = None if ours is None or plain is None else int(np.abs(ours - plain).max())
        rn.expect("hot pixels removed, mode %d" % mode, worst is not None and worst <= 64,
                  "the corrected light differs from the clean frame by up to %s" % worst)
    if raw_light is not None and plain is not None:
        rn.expect("hot pixels show without a dark", not np.array_equal(raw_light, plain))

    # Defects: the dark is at or above the light at some hot pixels, some of
    # them side by side (repair order), at corners and edges; thresholds
    # mark samples only a little above the dark.
    light = rn.dng("dlight", "--pattern", "GRBG", "--black", 128, "--white", 16383,
                   "--fill", "noise", 12, 1500, 600, *hot_args(HOT, [9000, 8000, 8100, 7000, 9000,
                                                                      5000, 4000, 3000, 6000, 2500, 2400]))
    dark = rn.dng("ddark", "--pattern", "GRBG", "--black", 128, "--white", 16383,
                  "--fill", "noise", 13, 1200, 400, *hot_args(HOT, [9000, 8500, 8050, 7100, 8990,
                                                                     5000, 4500, 2000, 6100, 2490, 2600]))
    for mode in (0, 1, 2):
        for threshold in ((0, 16, 512, 1024) if mode == 2 else (0, 1024)):
            rn.case("defects mode %d threshold %d" % (mode, threshold), light, SLIDERS[1], [dark],
                    mode, threshold)
    rn.case("defects default sliders", light, DEFAULT_RAW, [dark], 2, 64)
    # A dark with levels of its own is scaled with its own factors.
    other = rn.dng("ddark2", "--pattern", "GRBG", "--black", 200, "--white", 9000,
                   "--fill", "noise", 16, 900, 500, *hot_args(HOT, [5000, 4700, 4600, 4000, 5000,
                                                                    2900, 2400, 2000, 3500, 1500, 1500]))
    rn.case("defects dark with other levels", light, SLIDERS[1], [other], 2, 48)

    # Full-colour and monochrome files: every record carries its colour, so
    # the diamond takes all twelve neighbours.
    for pattern in ("rgb", "mono"):
        light = rn.dng(pattern + "light", "--pattern", pattern, "--black", 100, "--white", 4000,
                       "--fill", "noise", 17, 900, 800, *hot_args(HOT, [3000] * len(HOT)))
        dark = rn.dng(pattern + "dark", "--pattern", pattern, "--black", 100, "--white", 4000,
                      "--fill", "noise", 18, 700, 500, *hot_args(HOT, [3100, 2000] * 6))
        for mode in (0, 1, 2):
            rn.case("%s dark mode %d" % (pattern, mode), light, SLIDERS[1], [dark], mode, 64)

    # The 6 x 6 pattern keeps all its greens in one channel.
    light = rn.dng("xlight", "--pattern", "6x6", "--black", 100, "--white", 4000,
                   "--fill", "noise", 14, 900, 800, *hot_args(HOT, [3000] * len(HOT)))
    dark = rn.dng("xdark", "--pattern", "6x6", "--black", 100, "--white", 4000,
                  "--fill", "noise", 15, 700, 500, *hot_args(HOT, [3100, 2000] * 6))
    for threshold in (0, 256):
        rn.case("6x6 defects threshold %d" % threshold, light, SLIDERS[1], [dark], 2, threshold)


def combine_cases(rn):
    # Narrow noise makes equal deviations common, so the tie rules are used.
    darks = [rn.dng("c%d" % k, "--pattern", "BGGR", "--black", 64, "--white", 4095,
                    "--fill", "noise", 20 + k, 300 + 7 * k, 5 + 2 * k,
                    "--hot", 3 * k + 1, 4, 1500 + 100 * k) for k in range(4)]
    light = rn.dng("clight", "--pattern", "BGGR", "--black", 64, "--white", 4095,
                   "--fill", "noise", 30, 250, 900)
    for n in (1, 2, 3, 4):
        rn.case("%d darks" % n, light, SLIDERS[1], darks[:n], 2, 32)
    rn.case("4 darks mode 1", light, SLIDERS[1], darks[::-1], 1, 0)
    # Flat frames with hand-checked ties. Three: 10, 30, 20 -> m = 20, the
    # first and second deviate by 10: the first is dropped, (30 + 20) >> 1.
    # Four: 10, 30, 30, 10 -> m = 20, all deviate by 10: the first is
    # dropped, (30 + 30 + 10) / 3 = 23.
    flats = {v: rn.dng("f%d" % v, "--pattern", "RGGB", "--fill", "flat", v) for v in (10, 20, 30)}
    light = rn.dng("flight", "--pattern", "RGGB", "--fill", "noise", 31, 100, 400)
    three = [flats[10], flats[30], flats[20]]
    four = [flats[10], flats[30], flats[30], flats[10]]
    for name, files, value in (("3 flat darks", three, 25), ("4 flat darks", four, 23)):
        rn.case(name, light, SLIDERS[1], files, 1, 0)
        frames = [ref.scaled_mosaic(ref.read_dng(f), rn.library_view(f)) for f in files]
        master = ref.combine_darks(frames)
        red = None if master is None else int(master[0][0, 0, 0])
        rn.expect(name + " master", red == value, "master red %s, worked by hand %d" % (red, value))

    # An unreadable second file: only the first frame is combined, although
    # the third and fourth load.
    missing = rn.path("missing.dng")
    gap, _, _ = rn.case("second dark missing", light, SLIDERS[1], [flats[30], missing, flats[10], flats[20]], 1, 0)
    one, _, _ = rn.case("first dark only", light, SLIDERS[1], [flats[30]], 1, 0)
    rn.expect("second dark missing uses the first only", gap is not None and np.array_equal(gap, one))

    # A master of another size is not applied, and the user is told.
    small = rn.dng("small", "--size", W + 2, H, "--pattern", "RGGB", "--fill", "flat", 90)
    # A later frame of another size than the first ends the count, like a
    # gap: the master is the first frame alone.
    mixed, _, _ = rn.case("second dark of another size", light, SLIDERS[1], [flats[30], small, flats[10]], 1, 0)
    rn.expect("second dark of another size uses the first only", mixed is not None and np.array_equal(mixed, one))
    ours, expected, text = rn.case("dark of another size", light, SLIDERS[1], [small], 1, 0)
    plain, _ = rn.develop(light, raw_setting(*SLIDERS[1])[0])
    rn.expect("dark of another size leaves the light", ours is not None and np.array_equal(ours, plain))
    rn.expect("dark of another size is reported once", text.count(light) == 1, "messages: %r" % text)


def main():
    cli, make_dng, identify = (os.path.abspath(a) for a in sys.argv[1:4])
    only = sys.argv[sys.argv.index("--only") + 1] if "--only" in sys.argv else ""
    keep = sys.argv[sys.argv.index("--keep") + 1] if "--keep" in sys.argv else None
    groups = [("fast", fast_cases), ("sweep", sweep_cases), ("tone", tone_cases), ("dark", dark_cases),
              ("combine", combine_cases)]
    with tempfile.TemporaryDirectory() as tmp:
        work = keep or tmp
        os.makedirs(work, exist_ok=True)
        rn = Runner(cli, make_dng, identify, work)
        for label, fn in groups:
            if only and only not in label:
                continue
            start = time.time()
            fn(rn)
            print("%-8s done in %.1f s" % (label, time.time() - start))
    print("%d cases, %d failures" % (rn.cases, len(rn.failures)))
    for f in rn.failures:
        print(f)
    return 1 if rn.failures else 0


if __name__ == "__main__":
    sys.exit(main())
