"""Tarvish: the DCT, the Haar and the Daubechies-4 wavelets compared on images."""

from typing import Optional, Sequence, Tuple, Union

import numpy
import numpy.typing

__version__: str
TRANSFORMS: Tuple[str, str, str, str, str, str]

class Result:
    transform: str
    side: int
    tiles: int
    error: float
    image: numpy.typing.NDArray[numpy.uint8]
    kept_percent: float
    kept_percent_channels: Tuple[float, float, float]
    mse: float
    psnr_db: float
    ssim: Optional[float]
    max_error: int
    tile_kept_percent: numpy.typing.NDArray[numpy.float64]
    tile_mse: numpy.typing.NDArray[numpy.float64]
    time_ms: float

def load(path: str) -> numpy.typing.NDArray[numpy.uint8]: ...
def convert(
    image: numpy.typing.ArrayLike,
    transform: str,
    tiles: int = 8,
    error: float = 5.0,
    color_correction: bool = False,
    side: Optional[int] = None,
    dct_scaling: str = "plain",
    levels: Union[str, int] = "page",
    rule: str = "error",
    threads: int = 0,
) -> Result: ...
def sweep(
    image: numpy.typing.ArrayLike,
    transforms: Union[str, Sequence[str]] = "all",
    tiles: Union[int, Sequence[int]] = (1, 2, 4, 8, 16, 32),
    errors: Optional[Sequence[float]] = None,
    color_correction: bool = False,
    side: Optional[int] = None,
    best_per_tile: bool = False,
    dct_scaling: str = "plain",
    levels: Union[str, int] = "page",
    rule: str = "error",
    name: str = "",
    threads: int = 0,
) -> dict[str, numpy.ndarray]: ...
def quality(
    a: numpy.typing.ArrayLike, b: numpy.typing.ArrayLike, threads: int = 1
) -> dict[str, Optional[float]]: ...
def bd(
    reference: Tuple[Sequence[float], Sequence[float]],
    test: Tuple[Sequence[float], Sequence[float]],
    method: str = "cubic",
) -> dict[str, Union[float, int, str, None]]: ...
