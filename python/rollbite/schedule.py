"""Schedules: the stands of a mill chained by the strip that passes through them, and the load shared
among them.

- ``schedule(stands, strip, distribute=None)``: every stand's pass, chained (thickness, tension, strain
  and mass flow from stand to stand), with its force, torque, power, speeds and loads as shares of its
  limits; with ``distribute`` the intermediate thicknesses that share the load as asked.
- ``read_schedule(path)``: a schedule file as ``rollbite schedule`` reads it, as (stands, strip).
- ``plot_schedule`` (the module rollbite.plots) draws them.

Every stand's pass is a direct pass of the model: ``frame.attrs["passes"]`` (and
``frame.attrs["coefficients"]``) give them as ``rollbite.direct`` takes them, and it returns the same
numbers to the last bit.
"""

import difflib
import errno
import math
import numbers
import os
import warnings

import numpy as np
import pandas as pd

from . import _rollbite

__all__ = ["schedule", "read_schedule", "SCHEDULE_COLUMNS", "THERMAL_COLUMNS", "STRIP_FIELDS", "STAND_FIELDS"]

#: The columns of a schedule's frame with their units, in order.
SCHEDULE_COLUMNS = {name: unit for name, unit in _rollbite.SCHEDULE_COLUMNS}
#: The columns a schedule with the thermal chain (the strip's Entry_temperature) has besides, and their units.
THERMAL_COLUMNS = {name: unit for name, unit in _rollbite.THERMAL_COLUMNS}
#: The strip's fields: name -> (unit, rheologies that require it; none: optional).
STRIP_FIELDS = {name: (unit, tuple(required)) for name, unit, required in _rollbite.STRIP_FIELDS}
#: The stands' columns: name -> (unit, rheologies that require it; none: optional).
STAND_FIELDS = {name: (unit, tuple(required)) for name, unit, required in _rollbite.STAND_FIELDS}
#: The distribution targets.
TARGETS = ("force", "power", "force-ratios", "power-ratios")

_RHEOLOGY = "Rheology"
_LAW = "Law"
_FACTOR = "Flow_stress_factor"
_STAND = "Stand"
_FINAL = "Exit_thickness"


def schedule(stands, strip, distribute=None):
    """The stands of a mill chained into one schedule, optionally with the load distributed.

    Parameters
    ----------
    stands : pandas.DataFrame or mapping of equal-length columns
        One row per stand, in rolling order, named by the index (or a column ``Stand``), with the columns
        of ``STAND_FIELDS``: ``Working_roll_diameter`` (mm), ``Young_modulus_WR`` (MPa),
        ``Friction_coefficient``, ``Exit_thickness`` (mm; the last stand's is the final thickness, the
        others may be NaN when distributing), ``Exit_tension`` (MPa), ``Offset_yield_stress`` (MPa), with
        WS18 the stand's ``TemperatureIn``, ``TemperatureOut`` (C) and microstructure, and optionally
        ``Force_limit`` (kN), ``Torque_limit`` (kN m), ``Power_limit`` (kW), ``Min_reduction`` and
        ``Max_reduction`` (%), ``Force_ratio`` and ``Power_ratio``. NaN is a value not given.
    strip : mapping
        ``Rheology`` ("constant", "smatch" or "ws18"), ``Entry_thickness`` (mm), ``Width`` (mm),
        ``Entry_tension`` (MPa), ``Exit_speed`` (m/s, after the last stand), optionally ``Density``
        (kg/m3, 7850); with smatch ``Coefficient_A`` to ``Coefficient_D`` (the strip's law over its total
        strain), with ws18 the chemistry ``C`` to ``B`` (wt%).
    distribute : {"force", "power", "force-ratios", "power-ratios"}, optional
        Find the intermediate thicknesses that give every stand the same share of its ``Force_limit``
        (or ``Power_limit``), or forces (powers) in the proportions of ``Force_ratio`` (``Power_ratio``).

    Returns
    -------
    pandas.DataFrame
        One row per stand, indexed by its name, with the columns ``SCHEDULE_COLUMNS`` (units in
        ``attrs["units"]``). ``attrs`` also holds ``totals`` (force kN, power kW, specific energy kWh/t,
        mass flow t/h), ``solves`` (passes solved), ``distribution`` (target, common share, spread in %,
        marches, solves; None without), ``passes`` and ``coefficients`` (the direct passes the schedule
        built, for ``rollbite.direct``; with a law, its parameters and each pass's conditions by name, for
        ``rollbite.direct(passes, law=..., coefficients=...)``), ``rows`` (their exit-file numbers), ``rheology`` and ``stands``
        (the stands given).

    A stand whose load is above a limit given for it is told with a warning (``UserWarning``) and in
    ``attrs["over_limits"]`` (stand name -> the loads above their limits in words): the schedule is a
    result an engineer must see, not a failure.

    Raises
    ------
    ValueError
        For a missing or wrong field (named with its stand), two stands of one name, a stand whose pass has
        no result (named with its reason), or a target that cannot be met (the binding stand and limit
        named; the exception's ``schedule`` then holds the best schedule the search reached, when it
        reached one, and ``attrs["distribution"]["spread"]`` how far from the common share it is).
    TypeError
        For a strip that is no mapping, or columns that do not hold numbers.
    """
    if not hasattr(strip, "keys"):
        raise TypeError(f"strip must be a mapping of the strip's fields, not {type(strip).__name__}")
    strip = dict(strip)
    law, law_values = _law_of(strip)
    rheology = "law" if law else str(strip.pop(_RHEOLOGY, "")).lower()
    if rheology not in ("constant", "smatch", "ws18", "law"):
        raise ValueError(f"the strip's Rheology must be constant, smatch or ws18, not {rheology!r}, or a Law")
    if distribute is not None:
        if not isinstance(distribute, str) or distribute.lower() not in TARGETS:
            raise ValueError(f"unknown target {distribute!r} for distribute: one of {TARGETS}")
        distribute = distribute.lower()
    frame = _stands_frame(stands)
    _check_fields(strip, frame, rheology, distribute is not None, law)
    columns = {name: _numbers(frame[name], name) for name in frame.columns}
    raw = _rollbite.schedule(
        rheology, {name: _number(value, name) for name, value in strip.items()}, list(frame.index.astype(str)),
        columns, distribute or "", law or "", law_values
    )
    result = _result(raw, rheology, frame)
    if "unmet" in raw:
        error = ValueError(raw["unmet"])
        error.schedule = result
        raise error
    for stand, over in result.attrs["over_limits"].items():
        warnings.warn(f"stand {stand} is above its limit: {over}", UserWarning, stacklevel=2)
    return result


def read_schedule(path):
    """A schedule file as ``(stands, strip)``: the stands' frame indexed by name and the strip's mapping,
    ready for ``schedule``. Raises ValueError with every wrong or missing field of the file."""
    if not os.path.exists(path):
        raise FileNotFoundError(errno.ENOENT, f"no schedule file {os.fspath(path)!r}", os.fspath(path))
    raw = _rollbite.read_schedule(os.fspath(path))
    stands = pd.DataFrame(raw["stands"]).set_index(_STAND)
    strip = {_LAW: raw["law"]} if "law" in raw else {_RHEOLOGY: raw["rheology"]}
    return stands, {**strip, **raw["strip"]}


def _law_of(strip):
    """The strip's Law (its name) and its parameters and factor, taken out of the strip's fields."""
    if _LAW not in strip:
        return None, {}
    if _RHEOLOGY in strip:
        raise ValueError("the strip has a Rheology and a Law: give one of them")
    from .laws import info

    law = str(strip.pop(_LAW))
    names = [parameter[0] for parameter in info(law)["parameters"]] + [_FACTOR]
    return law, {name: _number(strip.pop(name), name) for name in names if name in strip}


def _stands_frame(stands):
    if isinstance(stands, pd.DataFrame):
        frame = stands.copy()
    elif hasattr(stands, "keys"):
        frame = pd.DataFrame({name: list(np.atleast_1d(column)) for name, column in stands.items()})
    else:
        raise TypeError(f"stands must be a DataFrame or a mapping of columns, not {type(stands).__name__}")
    if _STAND in frame.columns:
        frame = frame.set_index(_STAND)
    if frame.empty:
        raise ValueError("a schedule needs at least one stand")
    unnamed = [k + 1 for k, name in enumerate(frame.index) if pd.isna(name) or str(name).strip() == ""]
    if unnamed:
        raise ValueError(f"every stand needs a name: stand {unnamed[0]} of the mill has none (its index or Stand)")
    unknown = [str(name) for name in frame.columns if name not in STAND_FIELDS]
    if unknown:
        hints = []
        for name in unknown:
            close = difflib.get_close_matches(name, list(STAND_FIELDS), n=1, cutoff=0.6)
            hints.append(f"{name!r}" + (f" (is {close[0]!r} meant?)" if close else ""))
        raise ValueError(f"no column of the stands: {', '.join(hints)}; they are {list(STAND_FIELDS)}")
    return frame


def _check_fields(strip, frame, rheology, distributing, law=None):
    from .laws import info

    # A law of temperature takes each stand's temperatures, which are WS18's columns otherwise; the thermal
    # chain gives those a stand does not (docs/thermal.md).
    hot = law is not None and info(law)["reads_temperature"]
    # NaN is a value not given (read_schedule gives it so); anything else must be a temperature.
    entry = strip.get("Entry_temperature", math.nan)
    if not (_is_number(entry) and (np.isfinite(entry) or np.isnan(entry))):
        raise ValueError(f"the strip's Entry_temperature must be a temperature (C), not {entry!r}")
    thermal = not np.isnan(entry)
    problems = []
    for name in strip:
        if name not in STRIP_FIELDS:
            close = difflib.get_close_matches(str(name), list(STRIP_FIELDS), n=1, cutoff=0.6)
            problems.append(f"{name!r} is no field of the strip" + (f" (is {close[0]!r} meant?)" if close else ""))
    for name, (_, required) in STRIP_FIELDS.items():
        if rheology in required and name not in strip:
            problems.append(f"the strip's {name} is missing")
        elif name in strip and required and rheology not in required:
            problems.append(f"the strip's {name} is no field of a {rheology} schedule")
    for name, (_, required) in STAND_FIELDS.items():
        if thermal and name in ("TemperatureIn", "TemperatureOut"):
            continue
        if hot and name in ("TemperatureIn", "TemperatureOut"):
            required = required + ("law",)
        if name in frame.columns and required and rheology not in required:
            problems.append(f"the stands' {name} is no column of a {rheology} schedule")
        needed = rheology in required or name == _FINAL
        if not needed:
            continue
        if name not in frame.columns:
            problems.append(f"the stands have no column {name}")
            continue
        given = pd.to_numeric(frame[name], errors="coerce").notna()
        # Distributing, only the last stand's exit thickness (the final one) is needed.
        checked = given.iloc[-1:] if name == _FINAL and distributing else given
        for stand in checked.index[~checked.to_numpy()]:
            problems.append(f"stand {stand}: {name} is missing")
    if problems:
        raise ValueError("; ".join(problems))


def _numbers(column, name):
    if column.dtype == bool or not (pd.api.types.is_numeric_dtype(column) or column.dtype == object):
        raise TypeError(f"the stands' column {name!r} must hold numbers, not {column.dtype}")
    # None and pandas' NA are values not given, as NaN is.
    missing = column.isna().to_numpy()
    if column.dtype == object:
        bad = next((value for value, gone in zip(column, missing) if not gone and not _is_number(value)), None)
        if bad is not None:
            raise TypeError(f"the stands' column {name!r} must hold numbers, not {bad!r}")
    return [float("nan") if gone else float(value) for value, gone in zip(column, missing)]


def _number(value, name):
    if not _is_number(value):
        raise TypeError(f"the strip's {name} must be a number, not {value!r}")
    return float(value)


def _is_number(value):
    return isinstance(value, (numbers.Real, np.number)) and not isinstance(value, (bool, np.bool_))


def _result(raw, rheology, stands):
    frame = pd.DataFrame(dict(raw["columns"]), index=pd.Index(raw[_STAND], name=_STAND))
    entry_columns = list(_rollbite.ENTRY_FIELDS[:9])
    passes = pd.DataFrame(raw["pass_values"][:, :8], columns=entry_columns[1:], index=frame.index)
    passes.insert(0, "case", raw["case"])
    coefficient_columns = {"smatch": list(_rollbite.SMATCH_COEFFICIENTS), "ws18": list(_rollbite.WS18_COEFFICIENTS)}
    coefficients = None
    if rheology in coefficient_columns:
        coefficients = pd.DataFrame(raw["pass_coefficients"], columns=coefficient_columns[rheology], index=frame.index)
    elif "law_coefficients" in raw:
        # The law's parameters and each pass's conditions, named: coefficients= of rollbite.direct(law=).
        coefficients = pd.DataFrame(dict(raw["law_coefficients"]), index=frame.index)
    over = {name: text for name, text in zip(frame.index, raw["over_limits"]) if text}
    frame.attrs = {
        "units": {**SCHEDULE_COLUMNS, **(THERMAL_COLUMNS if "temperature_path" in raw else {})},
        "over_limits": over,
        "totals": dict(raw["totals"]),
        "solves": int(raw["solves"]),
        "distribution": dict(raw["distribution"]) if "distribution" in raw else None,
        "passes": passes,
        "coefficients": coefficients,
        "rows": pd.DataFrame(dict(raw["rows"]), index=frame.index),
        "rheology": rheology,
        "stands": stands,
    }
    if "temperature_path" in raw:
        # The strip's way from the entry measurement: where, when and how hot.
        frame.attrs["temperature_path"] = pd.DataFrame(raw["temperature_path"], columns=["distance_m", "time_s", "temperature_C"])
        frame.attrs["exit_temperature"] = float(raw["exit_temperature"])
    return frame
