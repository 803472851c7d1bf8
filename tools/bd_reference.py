"""Bjontegaard figures between the curves of sweeps.csv, computed with numpy and scipy.

Input columns: image,transform,tile,kept_percent,psnr_db,dct_scaling,levels,rule (one row per
conversion). For every image, tile and options, every transform against "DCT 2D", by both
methods. Output columns: image,tile,dct_scaling,levels,rule,transform,method,points_reference,
points_test,overlap_low_db,overlap_high_db,bd_kept_percent,bd_psnr_db (figures empty when not
defined). Written apart from the program, from the definitions: the points rule, numpy's
polyfit on the raw values, polyint, and PchipInterpolator.integrate.
"""
import csv
import math
import sys
from collections import defaultdict

import numpy as np
from scipy.interpolate import PchipInterpolator


def points(rows):
    usable = [(r, d) for r, d in rows if math.isfinite(d) and r > 0]
    usable.sort(key=lambda p: (p[0], -p[1]))
    kept = []
    for r, d in usable:
        if not kept or (r > kept[-1][0] and d > kept[-1][1]):
            kept.append((r, d))
    return kept


def mean(x, y, method, low, high):
    x = np.asarray(x)
    y = np.asarray(y)
    if method == "cubic":
        p = np.polyint(np.polyfit(x, y, 3))
        return (np.polyval(p, high) - np.polyval(p, low)) / (high - low)
    return PchipInterpolator(x, y).integrate(low, high) / (high - low)


def figures(ref, test, method):
    ref_r = [math.log(r) for r, _ in ref]
    ref_d = [d for _, d in ref]
    test_r = [math.log(r) for r, _ in test]
    test_d = [d for _, d in test]
    low = max(ref_d[0], test_d[0])
    high = min(ref_d[-1], test_d[-1])
    kept = overlap = ""
    if high > low:
        m = mean(test_d, test_r, method, low, high) - mean(ref_d, ref_r, method, low, high)
        kept = repr((math.exp(m) - 1) * 100)
        overlap = (repr(low), repr(high))
    else:
        overlap = ("", "")
    rlow = max(ref_r[0], test_r[0])
    rhigh = min(ref_r[-1], test_r[-1])
    psnr = ""
    if rhigh > rlow:
        psnr = repr(mean(test_r, test_d, method, rlow, rhigh) -
                    mean(ref_r, ref_d, method, rlow, rhigh))
    return overlap, kept, psnr


def main():
    curves = defaultdict(list)
    with open(sys.argv[1], newline="") as f:
        for row in csv.DictReader(f):
            key = (row["image"], row["tile"], row["dct_scaling"], row["levels"], row["rule"])
            curves[key, row["transform"]].append(
                (float(row["kept_percent"]), float(row["psnr_db"])))
    out = csv.writer(sys.stdout, lineterminator="\n")
    out.writerow(["image", "tile", "dct_scaling", "levels", "rule", "transform", "method",
                  "points_reference", "points_test", "overlap_low_db", "overlap_high_db",
                  "bd_kept_percent", "bd_psnr_db"])
    groups = sorted({key for key, _ in curves})
    for key in groups:
        ref = points(curves[key, "DCT 2D"])
        for transform in ["DCT 1D", "D4 1D", "Haar 1D", "DCT 2D", "D4 2D", "Haar 2D"]:
            test = points(curves[key, transform])
            for method in ["cubic", "pchip"]:
                if len(ref) < 4 or len(test) < 4:
                    overlap, kept, psnr = ("", ""), "", ""
                else:
                    overlap, kept, psnr = figures(ref, test, method)
                out.writerow(list(key) + [transform, method, len(ref), len(test),
                                          overlap[0], overlap[1], kept, psnr])


if __name__ == "__main__":
    main()
