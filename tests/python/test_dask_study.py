"""examples/dask_study.py on a LocalCluster of two workers reproduces tarvish-batch's rows."""
import os
import shutil
import subprocess
import sys
import tempfile

import pytest

pytest.importorskip("dask.distributed")

SOURCE = os.environ["TARVISH_SOURCE"]
BATCH = os.environ["TARVISH_BATCH"]
FORMATS = os.path.join(SOURCE, "tests", "data", "formats")


def without_times(text):
    """The rows with their time_ms field, the 17th, left out."""
    return [line.split(",")[:16] + line.split(",")[17:] for line in text.splitlines()]


def test_dask_study_gives_the_batch_rows_over_a_folder():
    with tempfile.TemporaryDirectory() as folder:
        images = os.path.join(folder, "images")
        os.mkdir(images)
        for name in ("chelsea_64x48.png", "chelsea_64x48.jpg", "camera_64x48.pgm",
                     "chelsea_64x48.bmp"):
            shutil.copy(os.path.join(FORMATS, name), images)
        options = ["--tiles", "1,4", "--errors", "0,1,5,20,50"]
        rows = os.path.join(folder, "rows.csv")
        study = subprocess.run(
            [sys.executable, os.path.join(SOURCE, "examples", "dask_study.py"), images,
             "--workers", "2", "--output", rows, *options],
            capture_output=True, text=True, timeout=300)
        assert study.returncode == 0, study.stderr
        assert "240 rows of 4 images" in study.stdout
        assert "Haar 2D" in study.stdout
        batch = subprocess.run([BATCH, *options, images], capture_output=True, text=True,
                               check=True)
        with open(rows) as file:
            assert without_times(file.read()) == without_times(batch.stdout)
