#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Stacking benchmark: synthetic nights of 6000 x 4000 frames with known
shifts, rotations (up to 2 degrees) and cosmic-ray hits, calibrated,
registered and stacked by `tavo-cli stack` and by siril-cli with the same
rejection (kappa-sigma 3/3, additive + scaling normalisation, masters by
sigma clipping), in one run. Prints the time, the peak memory
(/usr/bin/time -v) and the registration RMS against the truth of each.

  bench/stack_vs_siril.py --cli build/cli/tavo-cli --gen build/bench/make_stack_frames \
      [--work /tmp/stackbench] [--counts 20 50] [--size 6000x4000] [--calib 10] [--streamed 2G]

Needs siril-cli on the PATH for the comparison (it is skipped otherwise).
"""
import argparse
import csv
import math
import os
import re
import shutil
import subprocess
import sys

SIRIL_SCRIPT = """requires 1.0.0
cd biases
link bias -out=../process
cd ../process
stack bias_ rej s 3 3 -nonorm -out=bias_stacked
cd ../flats
link flat -out=../process
cd ../process
preprocess flat_ -bias=bias_stacked
stack pp_flat_ rej s 3 3 -norm=mul -out=pp_flat_stacked
cd ../darks
link dark -out=../process
cd ../process
stack dark_ rej s 3 3 -nonorm -out=dark_stacked
cd ../lights
link light -out=../process
cd ../process
preprocess light_ -dark=dark_stacked -flat=pp_flat_stacked
register pp_light_
stack r_pp_light_ rej s 3 3 -norm=addscale -out=../siril_result
close
"""


def timed(cmd, log_path, cwd=None):
    """Runs cmd under /usr/bin/time -v; returns (seconds, peak MB, exit status)."""
    time_path = log_path + ".time"
    with open(log_path, "w") as log:
        status = subprocess.call(["/usr/bin/time", "-v", "-o", time_path] + cmd, stdout=log,
                                 stderr=subprocess.STDOUT, cwd=cwd)
    text = open(time_path).read()
    wall = re.search(r"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (\S+)", text).group(1)
    seconds = 0.0
    for part in wall.split(":"):
        seconds = seconds * 60 + float(part)
    peak_kb = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", text).group(1))
    return seconds, peak_kb / 1024.0, status


def read_truth(path):
    return {row["file"]: tuple(float(row[k]) for k in ("a", "b", "tx", "ty")) for row in csv.DictReader(open(path))}


def grid(w, h):
    return [(x, y) for y in range(0, h + 1, h // 10) for x in range(0, w + 1, w // 10)]


def rms(errors):
    return math.sqrt(sum(errors) / len(errors)) if errors else float("nan")


def tavo_rms(report, truth, w, h):
    """Reference pixel -> frame pixel, as reported, against the truth."""
    errors = []
    for row in csv.DictReader(open(report)):
        if row["role"] != "light" or row["status"] != "used":
            continue
        a, b, tx, ty = truth[os.path.basename(row["file"])]
        s, r = float(row["scale"]), math.radians(float(row["rotation_deg"]))
        ea, eb, ex, ey = s * math.cos(r), s * math.sin(r), float(row["shift_x"]), float(row["shift_y"])
        for x, y in grid(w, h):
            dx = (ea * x - eb * y + ex) - (a * x - b * y + tx)
            dy = (eb * x + ea * y + ey) - (b * x + a * y + ty)
            errors.append(dx * dx + dy * dy)
    return rms(errors)


def siril_rms(log, process, truth, w, h):
    """Siril logs, per registered image, the matrix taking frame pixels
    (from the top-left) to reference pixels; the reference itself has none."""
    text = open(log, errors="replace").read()
    errors = []
    pattern = (r"Transformation Matrix:\s*\n\s*(\S+)\s+(\S+)\s+(\S+)\s*\n\s*(\S+)\s+(\S+)\s+(\S+)"
               r".*?Matching stars in image (\d+)")
    for m in re.finditer(pattern, text, re.S):
        mat = [float(m.group(i)) for i in range(1, 7)]
        linked = os.path.join(process, "light_%05d.fit" % int(m.group(7)))
        a, b, tx, ty = truth[os.path.basename(os.path.realpath(linked))]
        for x, y in grid(w, h):
            fx, fy = a * x - b * y + tx, b * x + a * y + ty
            rx = mat[0] * fx + mat[1] * fy + mat[2]
            ry = mat[3] * fx + mat[4] * fy + mat[5]
            errors.append((rx - x) ** 2 + (ry - y) ** 2)
    return rms(errors)


def make_night(gen, root, count, w, h, calib):
    night = os.path.join(root, "night%d" % count)
    shutil.rmtree(night, ignore_errors=True)
    os.makedirs(night)
    subprocess.check_call([gen, night, str(count), str(w), str(h), str(calib), str(calib), str(calib), str(count)])
    lists = {}
    for kind, folder in (("light", "lights"), ("bias", "biases"), ("dark", "darks"), ("flat", "flats")):
        os.makedirs(os.path.join(night, folder))
        names = sorted(f for f in os.listdir(night) if f.startswith(kind + "_"))
        for f in names:
            os.rename(os.path.join(night, f), os.path.join(night, folder, f))
        lists[kind] = os.path.join(night, folder + ".txt")
        with open(lists[kind], "w") as out:
            out.write("".join(os.path.join(night, folder, f) + "\n" for f in names))
    return night, lists


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--gen", required=True)
    parser.add_argument("--work", default="/tmp/stackbench")
    parser.add_argument("--counts", type=int, nargs="+", default=[20, 50])
    parser.add_argument("--size", default="6000x4000")
    parser.add_argument("--calib", type=int, default=10, help="bias, dark and flat frames each")
    parser.add_argument("--streamed", default="2G",
                        help="also run TAVO on the largest night with this memory limit ('' to skip)")
    args = parser.parse_args()
    w, h = (int(v) for v in args.size.split("x"))
    cli, gen = os.path.abspath(args.cli), os.path.abspath(args.gen)
    siril = shutil.which("siril-cli")
    os.makedirs(args.work, exist_ok=True)
    rows = []
    for count in args.counts:
        night, lists = make_night(gen, args.work, count, w, h, args.calib)
        truth = read_truth(os.path.join(night, "truth.csv"))
        runs = [("TAVO", [])]
        if args.streamed and count == max(args.counts):
            runs.append(("TAVO --memory-limit " + args.streamed, ["--memory-limit", args.streamed]))
        for label, extra in runs:
            report = os.path.join(night, "tavo_report.csv")
            cmd = [cli, "stack", "--quiet", "--lights", "@" + lists["light"], "--bias", "@" + lists["bias"],
                   "--dark", "@" + lists["dark"], "--flat", "@" + lists["flat"], "--master", "sigma",
                   "--reject", "sigma", "--kappa", "3", "3", "--normalise", "addscale", "--weights", "equal",
                   "--out", os.path.join(night, "tavo_result.tif"), "--report", report] + extra
            seconds, peak, status = timed(cmd, os.path.join(night, "tavo.log"))
            reg = tavo_rms(report, truth, w, h) if status == 0 else float("nan")
            rows.append((count, label, seconds, peak, reg, status))
            print("%3d lights  %-26s %8.1f s %8.0f MB  RMS %.4f px  exit %d" % rows[-1], flush=True)
        if siril:
            process = os.path.join(night, "process")
            os.makedirs(process, exist_ok=True)
            script = os.path.join(night, "stack.ssf")
            open(script, "w").write(SIRIL_SCRIPT)
            log = os.path.join(night, "siril.log")
            seconds, peak, status = timed([siril, "-s", script, "-d", night], log)
            reg = siril_rms(log, process, truth, w, h)
            rows.append((count, "Siril " + subprocess.run([siril, "--version"], capture_output=True, text=True)
                         .stdout.split()[-1], seconds, peak, reg, status))
            print("%3d lights  %-26s %8.1f s %8.0f MB  RMS %.4f px  exit %d" % rows[-1], flush=True)
            shutil.rmtree(process, ignore_errors=True)
        else:
            print("siril-cli not found: no comparison", flush=True)
        for folder in ("lights", "biases", "darks", "flats"):
            shutil.rmtree(os.path.join(night, folder), ignore_errors=True)
    print("\nsize %s, %d bias/dark/flat frames each; kappa-sigma 3/3, additive + scaling" % (args.size, args.calib))
    print("lights  program                      time s   peak MB  reg RMS px")
    for row in rows:
        print("%6d  %-26s %8.1f %9.0f %11.4f%s" % (row[:5] + ("" if row[5] == 0 else "  (failed)",)))
    for count in args.counts:
        tavo = [r for r in rows if r[0] == count and r[1] == "TAVO"]
        other = [r for r in rows if r[0] == count and r[1].startswith("Siril")]
        if tavo and other and tavo[0][2] > 0:
            print("%d lights: Siril / TAVO time %.2f, peak memory %.2f" %
                  (count, other[0][2] / tavo[0][2], other[0][3] / tavo[0][3]))
    return 0 if all(r[5] == 0 for r in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
