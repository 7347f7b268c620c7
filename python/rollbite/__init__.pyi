# The names of the package rollbite for editors and type checkers; the docstrings are in its modules
# (passes.py, files.py, schedule.py, plots.py, learning.py, sensitivities.py, laws.py), from which __init__.py takes
# them.
# tests/python/test_install.py checks that every public function is here with its parameters.
import os
from typing import Any, Literal, Mapping, Sequence, Union

import numpy as np
import pandas as pd

from . import laws

_Mode = Literal["direct", "inverse"]
_Rheology = Literal["constant", "smatch", "ws18"]
_Path = Union[str, os.PathLike[str]]
# A frame, or a mapping of equal-length arrays by column name.
_Table = Union[pd.DataFrame, Mapping[str, Any]]
# A frame or mapping of records by column name, or an array of one record per row (by position).
_Coefficients = Union[_Table, np.ndarray, Sequence[Sequence[float]], None]

ERROR_CLASSES: tuple[str, str, str, str]
RHEOLOGIES: tuple[str, str, str]
ENTRY_COLUMNS: dict[str, list[str]]
COEFFICIENT_COLUMNS: dict[str, list[str]]
# The schedules of stands (the module rollbite.schedule).
SCHEDULE_COLUMNS: dict[str, str]
THERMAL_COLUMNS: dict[str, str]
STRIP_FIELDS: dict[str, tuple[str, tuple[str, ...]]]
STAND_FIELDS: dict[str, tuple[str, tuple[str, ...]]]
# The sensitivity table's columns of each mode: name, unit and meaning (the module rollbite.sensitivities).
SENSITIVITY_COLUMNS: dict[str, pd.DataFrame]
# The replays of mill logs (the module rollbite.learning).
REPLAY_COLUMNS: dict[str, str]

__version__: str

def direct(
    passes: _Table,
    rheology: _Rheology = "constant",
    coefficients: _Coefficients = None,
    threads: int | None = None,
    law: str | laws.Law | None = None,
    parameters: Mapping[str, float] | None = None,
    extrapolate: bool = False,
) -> pd.DataFrame: ...
def inverse(
    passes: _Table,
    rheology: _Rheology = "constant",
    coefficients: _Coefficients = None,
    threads: int | None = None,
    law: str | laws.Law | None = None,
    parameters: Mapping[str, float] | None = None,
    extrapolate: bool = False,
) -> pd.DataFrame: ...
def profile(
    case: pd.Series | pd.DataFrame | Mapping[str, Any],
    rheology: _Rheology = "constant",
    coefficients: pd.Series | Mapping[str, float] | Sequence[float] | None = None,
    mode: _Mode = "direct",
    law: str | laws.Law | None = None,
    parameters: Mapping[str, float] | None = None,
    extrapolate: bool = False,
) -> pd.DataFrame: ...
def read_entry(path: _Path, mode: _Mode) -> pd.DataFrame: ...
def read_coefficients(path: _Path, rheology: _Rheology) -> pd.DataFrame: ...
def read_exit(path: _Path, why: _Path | None = None) -> pd.DataFrame: ...
def write_entry(
    passes: _Table, path: _Path, mode: _Mode | None = None, overwrite: bool = False
) -> None: ...
def schedule(
    stands: _Table,
    strip: Mapping[str, Any],
    distribute: Literal["force", "power", "force-ratios", "power-ratios"] | None = None,
) -> pd.DataFrame: ...
def read_schedule(path: _Path) -> tuple[pd.DataFrame, dict[str, Any]]: ...
def plot_schedule(
    schedules: pd.DataFrame | Mapping[str, pd.DataFrame],
    path: _Path | None = None,
    title: str | None = None,
    overwrite: bool = False,
) -> Any: ...
def plot_temperatures(
    schedules: pd.DataFrame | Mapping[str, pd.DataFrame],
    path: _Path | None = None,
    title: str | None = None,
    overwrite: bool = False,
) -> Any: ...
def sensitivities(
    passes: _Table,
    rheology: _Rheology = "constant",
    coefficients: _Coefficients = None,
    mode: _Mode = "direct",
    force_sd_percent: float | None = None,
    force_sd: float | None = None,
    slip_sd: float | None = None,
    width: float | Sequence[float] | np.ndarray | None = None,
    threads: int | None = None,
    step_scale: float = 1.0,
    law: str | laws.Law | None = None,
    parameters: Mapping[str, float] | None = None,
    extrapolate: bool = False,
) -> pd.DataFrame: ...
def replay(
    log: _Path | pd.DataFrame,
    rheology: Literal["constant", "smatch"] = "smatch",
    class_key: Sequence[str] | None = None,
    state: pd.DataFrame | None = None,
    gains: Sequence[float] | None = None,
    screen: float | None = None,
    threads: int | None = None,
    law: str | laws.Law | None = None,
    parameters: Mapping[str, float] | None = None,
    extrapolate: bool = False,
) -> tuple[pd.DataFrame, pd.DataFrame]: ...
def read_state(path: _Path) -> pd.DataFrame: ...
def plot_replay(
    table: pd.DataFrame,
    path: _Path | None = None,
    title: str | None = None,
    overwrite: bool = False,
) -> Any: ...

def fit_law(
    tests: pd.DataFrame,
    law: str,
    start: Mapping[str, float] | None = None,
    fixed: Mapping[str, float] | None = None,
) -> Any: ...
