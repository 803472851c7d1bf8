"""Row files of a small synthetic set of images, and what numpy and scipy make of them.

Writes into the folder given:
- shard-1.csv (header, every column), shard-2.csv (no header), old.csv (header, the first 17
  columns only: the default options): the rows, as tarvish-batch would write them;
- curves.csv: the curves table of tarvish-summary, then kept_percent_p25, kept_percent_p75,
  psnr_db_p25, psnr_db_p75, ssim_p25, ssim_p75;
- bd.csv: the BD table for DCT 2D by cubic and pchip and for Best per tile by cubic;
- percentiles.csv: numpy.percentile of a few samples.

The set holds an image of another size (grouped by tiles per side), a name with a comma and
quotes, infinite PSNRs, undefined SSIMs, one image with colour correction (a group of one), two
images under other options, an image without the reference curve at one tile count, and a curve
of fewer than 4 usable points. The figures come from the definitions: numpy's mean, std with
ddof=1 and percentile; the BD figures per image as tools/bd_reference.py computes them (polyfit,
polyint, PchipInterpolator), then averaged.
"""
import csv
import math
import os
import sys
from collections import defaultdict

import numpy as np

# The points rule and the curves' means, as the batch command's reference computes them.
from bd_reference import mean as curve_mean
from bd_reference import points as bd_points

TRANSFORMS = ["DCT 1D", "D4 1D", "Haar 1D", "DCT 2D", "D4 2D", "Haar 2D", "Best per tile"]
ERRORS = [0, 0.5, 1, 2, 5, 10, 20, 50]
COLUMNS = ["image", "width", "height", "transform", "side", "tile", "error_percent",
           "color_correction", "kept_percent_red", "kept_percent_green", "kept_percent_blue",
           "kept_percent", "mse", "psnr_db", "ssim", "max_error", "time_ms", "dct_scaling",
           "levels", "rule"]
GAMMA = 'gamma, the "third".bmp'
DEFAULTS = ("plain", "page", "error")

rng = np.random.default_rng(20240611)


def number(x):
    """As the program writes numbers: shortest round trip, inf, empty for undefined."""
    if x is None or (isinstance(x, float) and math.isnan(x)):
        return ""
    if math.isinf(x):
        return "inf" if x > 0 else "-inf"
    text = repr(float(x))
    return text[:-2] if text.endswith(".0") else text


def side_of(width, height):
    side = 1
    while side < max(width, height):
        side *= 2
    return side


def curve_rows(image, size, transform, tiles, cc="no", options=DEFAULTS, errors=ERRORS):
    width, height = size
    side = side_of(width, height)
    t = TRANSFORMS.index(transform)
    steep = 0.5 + 0.08 * t + 0.03 * math.log2(tiles) + rng.uniform(0.0, 0.1)
    level = 27.0 + rng.uniform(-1.0, 1.0)
    rows = []
    for e in errors:
        kept = 100.0 if e == 0 else 100.0 * math.exp(-steep * math.sqrt(e))
        psnr = math.inf if e == 0 else level + 4.0 * math.log(kept) + rng.normal(0.0, 0.05)
        ssim = min(1.0, 1.0 - 0.008 * e + rng.normal(0.0, 0.001)) if e else 1.0
        # A wavelet that happens to restore beta exactly at a small error.
        if image == "beta.bmp" and transform == "Haar 2D" and e == 0.5:
            psnr = math.inf
        if image == "delta.bmp" or (image == GAMMA and e == 50):
            ssim = None
        channels = [min(100.0, kept * f) for f in (0.9, 1.0, 1.1)]
        mse = 0.0 if math.isinf(psnr) else 255.0 ** 2 / 10 ** (psnr / 10)
        rows.append([image, width, height, transform, side, side // tiles, number(e), cc,
                     *map(number, channels), number(kept), number(mse), number(psnr),
                     number(ssim), int(e * 2.5), number(rng.uniform(1.0, 9.0)), *options])
    return rows


def make_inputs(folder):
    sizes = {"alpha.bmp": (256, 256), "beta.bmp": (300, 200), GAMMA: (256, 256),
             "delta.bmp": (100, 80), "epsilon.bmp": (256, 256)}
    six = TRANSFORMS[:6]
    first, second, old = [], [], []
    for image, target in (("alpha.bmp", first), ("beta.bmp", first), (GAMMA, second)):
        for transform in six:
            for tiles in (1, 8):
                target += curve_rows(image, sizes[image], transform, tiles)
    for image in ("alpha.bmp", "beta.bmp"):
        first += curve_rows(image, sizes[image], "Best per tile", 8)
    for transform in ("DCT 2D", "Haar 2D"):
        first += curve_rows("alpha.bmp", sizes["alpha.bmp"], transform, 1, cc="yes")
    for transform in six:
        for tiles in (1, 8):
            old += [row[:17] for row in curve_rows("delta.bmp", sizes["delta.bmp"], transform,
                                                   tiles)]
    # epsilon: no DCT 2D at 8 tiles, and a D4 1D of three finite points.
    eps = sizes["epsilon.bmp"]
    second += curve_rows("epsilon.bmp", eps, "DCT 2D", 1)
    second += curve_rows("epsilon.bmp", eps, "D4 1D", 1, errors=[0, 1, 5, 20])
    for tiles in (1, 8):
        second += curve_rows("epsilon.bmp", eps, "Haar 2D", tiles)
    for image in ("beta.bmp", GAMMA):
        for transform in ("DCT 2D", "D4 2D"):
            second += curve_rows(image, sizes[image], transform, 1,
                                 options=("orthonormal", "all", "kept"))
    second += curve_rows("beta.bmp", sizes["beta.bmp"], "D4 2D", 8, options=("plain", "3", "error"))
    second += curve_rows("beta.bmp", sizes["beta.bmp"], "D4 2D", 8, options=("plain", "all", "error"))
    for name, rows, header in (("shard-1.csv", first, COLUMNS), ("shard-2.csv", second, None),
                               ("old.csv", old, COLUMNS[:17])):
        with open(os.path.join(folder, name), "w", newline="") as f:
            out = csv.writer(f, lineterminator="\n")
            if header:
                out.writerow(header)
            out.writerows(rows)


def read_rows(folder):
    rows = []
    for name in ("shard-1.csv", "shard-2.csv", "old.csv"):
        with open(os.path.join(folder, name), newline="") as f:
            for i, fields in enumerate(csv.reader(f)):
                if i == 0 and fields == COLUMNS[:len(fields)]:
                    continue
                row = dict(zip(COLUMNS, fields))
                for key, value in zip(COLUMNS[17:], DEFAULTS):
                    row.setdefault(key, value)
                rows.append(row)
    return rows


def real(text):
    return math.nan if text == "" else float(text)


def levels_rank(levels):
    if levels in ("page", "all"):
        return ("page", "all").index(levels)
    return int(levels) + 1


def curve_order(key):
    transform, tiles, cc, scaling, levels, rule = key
    return (TRANSFORMS.index(transform), tiles, cc == "yes", scaling == "orthonormal",
            levels_rank(levels), rule == "kept")


def stats(values, with_median=True):
    if not values:
        return ["", "", "", "", ""] if with_median else ["", "", "", ""]
    a = np.asarray(values, dtype=float)
    std = float(np.std(a, ddof=1)) if len(a) > 1 else math.nan
    figures = [float(np.mean(a)), std, float(np.min(a))]
    if with_median:
        figures.append(float(np.percentile(a, 50)))
    figures.append(float(np.max(a)))
    return [number(x) for x in figures]


def quartiles(values):
    if not values:
        return ["", ""]
    return [number(float(np.percentile(np.asarray(values), q))) for q in (25, 75)]


def write_curves(rows, path):
    points = defaultdict(list)
    for r in rows:
        key = (r["transform"], int(r["side"]) // int(r["tile"]), r["color_correction"],
               r["dct_scaling"], r["levels"], r["rule"])
        points[key, float(r["error_percent"])].append(r)
    with open(path, "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(["transform", "tiles", "color_correction", "error_percent", "images",
                      "kept_percent_mean", "kept_percent_std", "kept_percent_min",
                      "kept_percent_median", "kept_percent_max", "psnr_db_mean", "psnr_db_std",
                      "psnr_db_min", "psnr_db_median", "psnr_db_max", "psnr_infinite",
                      "ssim_mean", "ssim_std", "ssim_min", "ssim_median", "ssim_max",
                      "dct_scaling", "levels", "rule", "kept_percent_p25", "kept_percent_p75",
                      "psnr_db_p25", "psnr_db_p75", "ssim_p25", "ssim_p75"])
        for key, error in sorted(points, key=lambda k: (curve_order(k[0]), k[1])):
            group = points[key, error]
            kept = [real(r["kept_percent"]) for r in group]
            psnrs = [real(r["psnr_db"]) for r in group]
            psnr = [p for p in psnrs if math.isfinite(p)]
            ssim = [s for s in (real(r["ssim"]) for r in group) if not math.isnan(s)]
            out.writerow([key[0], key[1], key[2], number(error), len(group), *stats(kept),
                          *stats(psnr), sum(math.isinf(p) for p in psnrs), *stats(ssim),
                          *key[3:], *quartiles(kept), *quartiles(psnr), *quartiles(ssim)])


def bd(ref, test, method):
    """BD kept and BD PSNR of one image, None where not defined."""
    ref, test = bd_points(ref), bd_points(test)
    if len(ref) < 4 or len(test) < 4:
        return None, None
    ref_r = [math.log(r) for r, _ in ref]
    ref_d = [d for _, d in ref]
    test_r = [math.log(r) for r, _ in test]
    test_d = [d for _, d in test]
    kept = psnr = None
    low, high = max(ref_d[0], test_d[0]), min(ref_d[-1], test_d[-1])
    if high > low:
        m = curve_mean(test_d, test_r, method, low, high) - curve_mean(ref_d, ref_r, method,
                                                                        low, high)
        kept = (math.exp(m) - 1) * 100
    low, high = max(ref_r[0], test_r[0]), min(ref_r[-1], test_r[-1])
    if high > low:
        psnr = curve_mean(test_r, test_d, method, low, high) - curve_mean(ref_r, ref_d, method,
                                                                          low, high)
    return kept, psnr


def write_bd(rows, path):
    curves = defaultdict(list)
    for r in rows:
        key = (r["transform"], int(r["side"]) // int(r["tile"]), r["color_correction"],
               r["dct_scaling"], r["levels"], r["rule"])
        curves[key, r["image"]].append((real(r["kept_percent"]), real(r["psnr_db"])))
    keys = sorted({key for key, _ in curves}, key=curve_order)
    with open(path, "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(["transform", "reference", "method", "tiles", "color_correction", "images",
                      "bd_kept_percent_mean", "bd_kept_percent_std", "bd_kept_percent_min",
                      "bd_kept_percent_max", "bd_psnr_db_mean", "bd_psnr_db_std",
                      "bd_psnr_db_min", "bd_psnr_db_max", "undefined", "dct_scaling", "levels",
                      "rule"])
        for reference, method in (("DCT 2D", "cubic"), ("DCT 2D", "pchip"),
                                  ("Best per tile", "cubic")):
            for key in keys:
                kept, psnr, undefined = [], [], 0
                for (k, image), points in curves.items():
                    if k != key:
                        continue
                    ref = curves.get(((reference,) + key[1:], image))
                    figures = bd(ref, points, method) if ref else (None, None)
                    if None in figures:
                        undefined += 1
                    else:
                        kept.append(figures[0])
                        psnr.append(figures[1])
                out.writerow([key[0], reference, method, key[1], key[2], len(kept),
                              *stats(kept, False), *stats(psnr, False), undefined, *key[3:]])


def write_percentiles(path):
    with open(path, "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(["values", "p", "percentile"])
        samples = [[3.5], [2.0, -1.0], [1.0, 1.0, 1.0, 2.0], [0.1, 0.2, 0.3],
                   list(rng.normal(40.0, 5.0, 5)), list(rng.uniform(0.0, 100.0, 17)),
                   list(rng.uniform(-1e-3, 1e-3, 1000))]
        for values in samples:
            for p in (0, 1, 10, 25, 33.3, 50, 66.7, 75, 90, 99.9, 100):
                out.writerow([" ".join(number(float(v)) for v in values), number(p),
                              number(float(np.percentile(np.asarray(values), p)))])


def main():
    folder = sys.argv[1]
    make_inputs(folder)
    rows = read_rows(folder)
    write_curves(rows, os.path.join(folder, "curves.csv"))
    write_bd(rows, os.path.join(folder, "bd.csv"))
    write_percentiles(os.path.join(folder, "percentiles.csv"))


main()
