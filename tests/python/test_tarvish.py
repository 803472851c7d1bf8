"""The tarvish module against tarvish-batch and independent references.

Run by ctest with the module's build folder on PYTHONPATH, TARVISH_BATCH naming the batch
program and TARVISH_SOURCE the source tree.
"""
import csv
import io
import json
import math
import os
import subprocess
import tempfile

import numpy as np
import pytest

import tarvish

SOURCE = os.environ["TARVISH_SOURCE"]
BATCH = os.environ["TARVISH_BATCH"]
SAMPLES = os.path.join(SOURCE, "samples")
DATA = os.path.join(SOURCE, "tests", "data")
SAMPLE_NAMES = sorted(n for n in os.listdir(SAMPLES) if n.endswith(".bmp"))
TEXT = {"image", "transform", "color_correction", "dct_scaling", "levels", "rule"}


def batch_rows(*arguments):
    run = subprocess.run([BATCH, *arguments], check=True, capture_output=True, text=True)
    return list(csv.DictReader(io.StringIO(run.stdout)))


def same_figure(text, value):
    """A row's field against a number: the same double, or both not defined."""
    if text == "":
        return math.isnan(value)
    return float(text) == value


def test_transforms_are_the_six_pages_in_page_order():
    assert tarvish.TRANSFORMS == ("DCT 1D", "D4 1D", "Haar 1D", "DCT 2D", "D4 2D", "Haar 2D")
    assert tarvish.__version__ == "1.0"


@pytest.mark.parametrize("name", SAMPLE_NAMES)
def test_sweep_gives_the_batch_rows_to_the_last_bit(name):
    path = os.path.join(SAMPLES, name)
    arguments = ["--tiles", "1,8", "--errors", "0,0.5,5,50", "--best-per-tile"]
    rows = batch_rows(*arguments, path)
    columns = tarvish.sweep(tarvish.load(path), tiles=(1, 8), errors=[0, 0.5, 5, 50],
                            best_per_tile=True, name=path)
    assert list(columns) == list(rows[0])
    assert len(columns["image"]) == len(rows) == 7 * 2 * 4
    for column, values in columns.items():
        if column == "time_ms":
            continue
        for i, row in enumerate(rows):
            where = f"{name}, row {i}, {column}"
            if column in TEXT:
                assert values[i] == row[column], where
            else:
                assert same_figure(row[column], float(values[i])), \
                    f"{where}: {row[column]} against {values[i]!r}"


def test_convert_gives_the_batch_row_and_its_image():
    path = os.path.join(SAMPLES, "coffee_256x256.bmp")
    with tempfile.TemporaryDirectory() as images:
        options = ["--dct-scaling", "orthonormal", "--levels", "all", "--color-correction"]
        row, = batch_rows("--transforms", "Haar 1D", "--tiles", "4", "--errors", "7",
                          "--images", images, *options, path)
        result = tarvish.convert(tarvish.load(path), "haar1d", tiles=4, error=7,
                                 color_correction=True, dct_scaling="orthonormal",
                                 levels="all")
        written = tarvish.load(os.path.join(
            images, "coffee_256x256_Haar1D_4tiles_7pct_orthonormal_all.bmp"))
    assert np.array_equal(result.image, written)
    assert same_figure(row["kept_percent"], result.kept_percent)
    for channel, column in enumerate(("red", "green", "blue")):
        assert same_figure(row[f"kept_percent_{column}"], result.kept_percent_channels[channel])
    for column in ("mse", "psnr_db", "ssim"):
        assert same_figure(row[column], getattr(result, column)), column
    assert int(row["max_error"]) == result.max_error
    # The quality library on the same pair, as the conversion measured it.
    figures = tarvish.quality(tarvish.load(path), result.image)
    for column in ("mse", "psnr_db", "ssim"):
        assert same_figure(row[column], figures[column]), column
    assert figures["max_error"] == result.max_error
    assert result.tile_kept_percent.shape == (4, 4)
    # The mean of the tiles' kept shares is the whole page's.
    assert math.isclose(result.tile_kept_percent.mean(), result.kept_percent, rel_tol=1e-12)
    assert "Haar 1D, 4 tiles per side of 256, error 7 %" in repr(result)


def test_quality_gives_the_independent_reference_figures():
    folder = os.path.join(DATA, "quality-reference")
    with open(os.path.join(folder, "reference.json")) as file:
        pairs = json.load(file)
    pairs = pairs["pairs"] if isinstance(pairs, dict) else pairs
    assert len(pairs) >= 8
    for pair in pairs:
        a = tarvish.load(os.path.join(folder, pair["original"]))
        b = tarvish.load(os.path.join(folder, pair["degraded"]))
        figures = tarvish.quality(a, b)
        where = pair["degraded"]
        assert math.isclose(figures["mse"], pair["mse"], rel_tol=1e-9, abs_tol=1e-12), where
        if pair["psnr_db"] in (None, "inf") or math.isinf(float(pair["psnr_db"])):
            assert math.isinf(figures["psnr_db"]), where
        else:
            assert math.isclose(figures["psnr_db"], pair["psnr_db"], rel_tol=1e-9), where
        assert figures["max_error"] == pair["max_abs_error"], where
        if pair["ssim_rgb_mean"] is None:
            assert figures["ssim"] is None, where
        else:
            assert abs(figures["ssim"] - pair["ssim_rgb_mean"]) < 1e-6, where


def test_grey_and_rgba_are_composed_as_the_window_composes_them():
    rng = np.random.default_rng(7)
    grey = rng.integers(0, 256, (20, 30), dtype=np.uint8)
    assert tarvish.quality(grey, np.repeat(grey[:, :, None], 3, axis=2))["mse"] == 0
    rgba = rng.integers(0, 256, (20, 30, 4), dtype=np.uint8)
    colour = rgba[:, :, :3].astype(np.int64)
    alpha = rgba[:, :, 3:].astype(np.int64)
    # Premultiplied, rounded, then white where the image lets it through.
    on_white = (colour * alpha + 127) // 255 + 255 - alpha
    assert tarvish.quality(rgba, on_white.astype(np.uint8))["mse"] == 0


def test_strided_arrays_convert_as_their_copies():
    image = tarvish.load(os.path.join(SAMPLES, "rocket_256x256.bmp"))
    for view in (image[::-1], image[:, ::2], image[::3, ::-2], np.asfortranarray(image)):
        expected = tarvish.convert(np.ascontiguousarray(view), "DCT 2D", tiles=4)
        result = tarvish.convert(view, "DCT 2D", tiles=4)
        assert np.array_equal(result.image, expected.image)
        assert result.psnr_db == expected.psnr_db


@pytest.mark.parametrize("image, call, message", [
    (np.zeros((8, 8, 3), np.float64), {}, "image: dtype float64, not uint8"),
    (np.zeros((8, 8, 2), np.uint8), {}, "image: shape 8 x 8 x 2, not H x W x 3"),
    (np.zeros((8,), np.uint8), {}, "image: shape 8, not H x W x 3"),
    (np.zeros((0, 8, 3), np.uint8), {}, "image: empty array of shape 0 x 8 x 3"),
    (np.zeros((8, 8, 3), np.uint8), {"transform": "DCT 3D"}, "transform: \"DCT 3D\" is not one of"),
    (np.zeros((8, 8, 3), np.uint8), {"tiles": 3}, "tiles: 3 is not a power of two from 1 to 32"),
    (np.zeros((8, 8, 3), np.uint8), {"tiles": 16}, "tiles: 16 tiles per side do not fit a side of 8"),
    (np.zeros((8, 8, 3), np.uint8), {"error": -1}, "error: -1 is not a percentage from 0 to 100"),
    (np.zeros((8, 8, 3), np.uint8), {"error": 100.5}, "error: 100.5 is not a percentage"),
    (np.zeros((8, 8, 3), np.uint8), {"error": float("nan")}, "error:  is not a percentage"),
    (np.zeros((8, 8, 3), np.uint8), {"side": 12}, "side: 12 is not a power of two"),
    (np.zeros((8, 8, 3), np.uint8), {"levels": 13}, "levels: \"13\" is not one of page, all and 1 to 12"),
    (np.zeros((8, 8, 3), np.uint8), {"rule": "share"}, "rule: \"share\" is not one of error and kept"),
])
def test_bad_arguments_raise_value_error_naming_them(image, call, message):
    arguments = {"transform": "DCT 2D", "tiles": 1, **call}
    with pytest.raises(ValueError) as raised:
        tarvish.convert(image, **arguments)
    assert message in str(raised.value)


def test_load_refuses_as_the_window_does():
    with pytest.raises(OSError) as raised:
        tarvish.load(os.path.join(DATA, "formats", "huge_20000x20000.png"))
    assert str(raised.value).endswith("huge_20000x20000.png: image too large: 20000 x 20000")
    with pytest.raises(OSError, match="cannot open file"):
        tarvish.load(os.path.join(DATA, "no-such-file.png"))


def test_memory_that_does_not_fit_raises_memory_error_with_both_figures(monkeypatch):
    monkeypatch.setenv("TARVISH_MEMORY_LIMIT", "1K")
    image = np.zeros((64, 64, 3), np.uint8)
    with pytest.raises(MemoryError, match=r"needs \d+ bytes .* but only 1024 bytes"):
        tarvish.convert(image, "DCT 2D")


def test_bd_gives_the_bd_modules_figures():
    reference = ([1, 2, 4, 8, 16], [20, 25, 30, 35, 40])
    test = ([1, 2, 4, 8, 16], [21, 26, 31, 36, 41])
    figures = tarvish.bd(reference, test)
    # Every PSNR 1 dB higher at equal kept share: 1 dB; and the same PSNR at 2^(-1/5) times
    # the kept share, as log2 of kept is linear in the PSNR here.
    assert math.isclose(figures["bd_psnr_db"], 1.0, rel_tol=1e-12)
    assert math.isclose(figures["bd_kept_percent"], (2 ** -0.2 - 1) * 100, rel_tol=1e-9)
    assert (figures["points_reference"], figures["points_test"]) == (5, 5)
    assert (figures["overlap_low_db"], figures["overlap_high_db"]) == (21.0, 40.0)
    short = tarvish.bd(([1, 2], [20, 30]), test, method="pchip")
    assert short["bd_kept_percent"] is None and short["note"] == "fewer than 4 points"
    with pytest.raises(ValueError, match="method: \"spline\""):
        tarvish.bd(reference, test, method="spline")


def test_ctrl_c_stops_a_long_conversion():
    # An alarm raises KeyboardInterrupt as Ctrl+C would, a fraction of the way into a
    # conversion of several seconds; the conversion stops at its next tile.
    import signal

    def interrupt(signum, frame):
        raise KeyboardInterrupt

    image = np.random.default_rng(3).integers(0, 256, (4096, 4096, 3), dtype=np.uint8)
    previous = signal.signal(signal.SIGALRM, interrupt)
    try:
        signal.setitimer(signal.ITIMER_REAL, 0.2)
        with pytest.raises(KeyboardInterrupt):
            tarvish.convert(image, "DCT 2D", tiles=1, error=5, threads=1)
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)


def test_python_threads_convert_side_by_side():
    # The GIL is let go while converting: four threads at once give what one gives alone.
    import concurrent.futures

    image = tarvish.load(os.path.join(SAMPLES, "astronaut_256x256.bmp"))
    alone = [tarvish.convert(image, caption, tiles=4, threads=1).psnr_db
             for caption in tarvish.TRANSFORMS[:4]]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        together = list(pool.map(
            lambda caption: tarvish.convert(image, caption, tiles=4, threads=1).psnr_db,
            tarvish.TRANSFORMS[:4]))
    assert together == alone
