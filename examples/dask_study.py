#!/usr/bin/python3
"""A study of a folder of images on a Dask cluster.

tarvish.sweep runs for every image of the folder, one Dask task per image; the rows are
gathered into one pandas DataFrame in the order of the images, written as CSV (the rows
tarvish-batch writes over the folder, apart from time_ms), and the BD table over the set is
printed: each image's curves against its own reference curve, then the mean over the images.

    python3 examples/dask_study.py samples/set --output rows.csv
    python3 examples/dask_study.py photos --scheduler tcp://scheduler:8786 --output rows.csv

Without --scheduler it starts a LocalCluster on this machine.
"""
import argparse
import math
import os
import sys

import numpy
import pandas
from dask.distributed import Client, LocalCluster

import tarvish

# The extensions tarvish-batch takes from a folder.
EXTENSIONS = (".bmp", ".png", ".jpg", ".jpeg", ".tif", ".tiff", ".webp", ".ppm", ".pgm", ".pnm")
TEXT = {"image", "transform", "color_correction", "dct_scaling", "levels", "rule"}


def images_of(folder):
    """The folder's image files as tarvish-batch lists them: by name, byte by byte."""
    names = [n for n in os.listdir(folder)
             if n.lower().endswith(EXTENSIONS) and os.path.isfile(os.path.join(folder, n))]
    return [os.path.join(folder, n) for n in sorted(names, key=os.fsencode)]


def sweep_one(path, options):
    """One task: the rows of one image. Runs on a worker."""
    import tarvish  # noqa: F811 (imported on the worker)
    return pandas.DataFrame(tarvish.sweep(tarvish.load(path), name=path, **options))


def number(value):
    """A figure as tarvish-batch writes it: the shortest text that reads back as the same
    double, fixed or scientific, whichever is shorter; inf; empty for not defined."""
    value = float(value)
    if math.isnan(value):
        return ""
    if math.isinf(value):
        return "inf" if value > 0 else "-inf"
    fixed = numpy.format_float_positional(value, unique=True, trim="-")
    scientific = numpy.format_float_scientific(value, unique=True, trim="-", exp_digits=2)
    return scientific if len(scientific) < len(fixed) else fixed


def field(column, value):
    if column in TEXT:
        text = str(value)
        return '"' + text.replace('"', '""') + '"' if any(c in text for c in ',"\r\n') else text
    if isinstance(value, (int, numpy.integer)):
        return str(value)
    return number(value)


def write_csv(rows, path):
    with open(path, "w", newline="") as out:
        out.write(",".join(rows.columns) + "\n")
        for record in rows.itertuples(index=False):
            out.write(",".join(field(c, v) for c, v in zip(rows.columns, record)) + "\n")


def bd_table(rows, reference):
    """Per image, tiles and transform, BD against the image's own reference curve; then the
    mean and sample standard deviation over the images where both figures are defined."""
    figures = []
    for (image, side, tile), curves in rows.groupby(["image", "side", "tile"], sort=False):
        base = curves[curves["transform"] == reference]
        for transform, curve in curves.groupby("transform", sort=False):
            bd = tarvish.bd((base.kept_percent, base.psnr_db), (curve.kept_percent, curve.psnr_db))
            figures.append({"transform": transform, "tiles": side // tile,
                            "bd_kept_percent": bd["bd_kept_percent"],
                            "bd_psnr_db": bd["bd_psnr_db"]})
    table = pandas.DataFrame(figures).dropna()
    return table.groupby(["transform", "tiles"], sort=False).agg(
        images=("bd_kept_percent", "size"),
        bd_kept_percent_mean=("bd_kept_percent", "mean"),
        bd_kept_percent_std=("bd_kept_percent", "std"),
        bd_psnr_db_mean=("bd_psnr_db", "mean"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder")
    parser.add_argument("--output", default="rows.csv", help="the rows' CSV file (rows.csv)")
    parser.add_argument("--scheduler", help="a Dask scheduler's address; default a LocalCluster")
    parser.add_argument("--workers", type=int, default=None, help="LocalCluster workers")
    parser.add_argument("--transforms", default="all", help="captions separated by commas")
    parser.add_argument("--tiles", default="1,2,4,8,16,32", help="tiles per side")
    parser.add_argument("--errors", default=None, help="permitted errors in percent")
    parser.add_argument("--reference", default="DCT 2D", help="the BD reference curve")
    arguments = parser.parse_args()

    images = images_of(arguments.folder)
    if not images:
        sys.exit(f"dask_study.py: no image file in folder {arguments.folder}")
    options = {
        "transforms": "all" if arguments.transforms == "all" else arguments.transforms.split(","),
        "tiles": [int(t) for t in arguments.tiles.split(",")],
        "errors": None if arguments.errors is None else [float(e) for e in arguments.errors.split(",")],
        # One thread per task: the cluster spreads the images over the cores.
        "threads": 1,
    }
    if arguments.scheduler:
        client = Client(arguments.scheduler)
    else:
        client = Client(LocalCluster(n_workers=arguments.workers, threads_per_worker=1,
                                     processes=True, dashboard_address=None))
    with client:
        futures = client.map(sweep_one, images, options=options, pure=False)
        # Gathered in the order of the images, whichever worker finished first.
        rows = pandas.concat(client.gather(futures), ignore_index=True)
    write_csv(rows, arguments.output)
    print(f"{len(rows)} rows of {len(images)} images written to {arguments.output}")
    with pandas.option_context("display.width", 120, "display.max_rows", None):
        print(bd_table(rows, arguments.reference).round(3))


if __name__ == "__main__":
    main()
