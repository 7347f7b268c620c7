"""How a pass answers to change, and how well an inverse result is known: ``rollbite.sensitivities``.

The columns are those of the table that ``rollbite ... --sensitivities FILE`` writes (docs/sensitivities.md),
one row per pass with the input's index.
"""

import numbers

import numpy as np
import pandas as pd

from . import _rollbite
from ._frames import _aligned, _coefficients, _frame_of, _mode, _passes, _rheology, _texts, _threads, _UNREADABLE

#: Name, unit and meaning of every column of the sensitivity table of each mode (direct with a width).
SENSITIVITY_COLUMNS = {
    mode: pd.DataFrame(_rollbite.sensitivity_columns(mode), columns=["name", "unit", "meaning"])
    for mode in ("direct", "inverse")
}

_ERROR_CLASSES = ("VOID", "INPUTS", "INTERNAL", "OUTPUTS")


def sensitivities(
    passes,
    rheology="constant",
    coefficients=None,
    mode="direct",
    force_sd_percent=None,
    force_sd=None,
    slip_sd=None,
    width=None,
    threads=None,
    step_scale=1.0,
    law=None,
    parameters=None,
    extrapolate=False,
):
    """The sensitivities of direct passes, or the uncertainty of inverse results.

    Parameters
    ----------
    passes, rheology, coefficients, threads
        As for ``direct`` (``mode="direct"``) or ``inverse`` (``mode="inverse"``).
    mode : {"direct", "inverse"}
    force_sd_percent, force_sd : float, optional
        Inverse mode: the standard deviation of the measured force, in percent of it, or in 9.81 N/mm;
        one of the two (default: 1 percent).
    slip_sd : float, optional
        Inverse mode: the standard deviation of the measured forward slip, in percentage points
        (default 0.2).
    width : float or array of one per pass, optional
        Direct mode: the strip width (mm), which adds the plasticity coefficient in MN/mm.
    step_scale : float
        Every finite-difference step times this factor (default 1): 0.5 and 2 show that the values do not
        depend on the steps (docs/sensitivities.md, "Accuracy").
    law, parameters, extrapolate
        A flow-stress law, as for ``direct`` (docs/laws.md): direct passes are also differentiated by the
        law's ``Flow_stress_factor`` and by each of its parameters (columns such as ``dRolling_Force/dK``);
        inverse passes give the factor found and its deviation (``SD_Flow_stress_factor``) in place of the
        offset yield stress's.

    Returns
    -------
    pandas.DataFrame
        One row per pass, in order, with the input's index; the columns ``SENSITIVITY_COLUMNS[mode]``.
        Direct: ``case``, ``Errors``, the derivatives ``dRolling_Force/dExit_thickness`` and the others of
        force (9.81 N/mm), slip (%) and torque (9.81 N mm/mm) by each input, per unit of the input,
        ``Plasticity`` (9.81 N/mm per mm), ``Plasticity(kN/mm/mm)`` (kN/mm per mm of width),
        ``Plasticity(MN/mm)`` with a width, and ``reason``. Inverse: the pair found, the Jacobian, its
        condition number, the deviations used, ``SD_OffsetYield`` (MPa), ``SD_Friction`` and their
        ``Correlation``, the flags of results not to trust, a second pair and ``Trusted``. NaN where a
        value cannot be given to 1 %, with the reason.

    Examples
    --------
    >>> passes = rollbite.read_entry("examples/direct_constant_entry.txt", "direct")
    >>> rollbite.sensitivities(passes, width=1500)[["case", "Plasticity", "Plasticity(MN/mm)"]].head(2)
    """
    mode = _mode(mode)
    rheology = _rheology(rheology)
    frame = _frame_of(passes, "passes")
    case_ids, values, unreadable = _passes(frame, mode)
    force, in_percent, slip = _deviations(mode, force_sd_percent, force_sd, slip_sd)
    widths = _widths(mode, width, len(frame))
    if law is not None:
        from .passes import _law_columns

        columns, run = _law_columns(frame, rheology, law, coefficients, parameters)
        raw = _rollbite.law_sensitivities(
            mode, law, case_ids, values, columns, run, bool(extrapolate), unreadable, _threads(threads), force,
            in_percent, slip, widths, float(step_scale),
        )
        calls = int(raw.pop("law_calls"))
        result = _table(raw, list(raw), frame.index)
        result.attrs["law_calls"] = calls
        return result
    coefficients = _aligned(coefficients, frame)
    records = _coefficients(coefficients, rheology, len(frame))
    if isinstance(coefficients, pd.DataFrame) and _UNREADABLE in coefficients:
        unreadable = [
            "; ".join(part for part in parts if part)
            for parts in zip(unreadable or [""] * len(frame), _texts(coefficients[_UNREADABLE]))
        ]
    raw = _rollbite.sensitivities(
        mode, rheology, case_ids, values, records, unreadable, _threads(threads), force, in_percent, slip, widths,
        float(step_scale),
    )
    return _table(raw, [name for name in SENSITIVITY_COLUMNS[mode]["name"] if name in raw], frame.index)


def _table(raw, names, index):
    result = pd.DataFrame({name: raw[name] for name in names}, index=index)
    result["Errors"] = np.asarray(_ERROR_CLASSES, dtype=object)[raw["Errors"]]
    return result


def _deviations(mode, force_sd_percent, force_sd, slip_sd):
    given = [value for value in (force_sd_percent, force_sd, slip_sd) if value is not None]
    if mode == "direct" and given:
        raise ValueError("force_sd_percent, force_sd and slip_sd are for inverse passes")
    if force_sd_percent is not None and force_sd is not None:
        raise ValueError("give the force's deviation in percent (force_sd_percent) or in 9.81 N/mm (force_sd), not both")
    largest = {"force_sd_percent": 100.0, "force_sd": 5000.0, "slip_sd": 100.0}
    for name, value in (("force_sd_percent", force_sd_percent), ("force_sd", force_sd), ("slip_sd", slip_sd)):
        if value is not None and not (_is_number(value) and 0 < value <= largest[name]):
            raise ValueError(f"{name} must be a positive number up to {largest[name]:g}, not {value!r}")
    if force_sd is not None:
        force, in_percent = float(force_sd), False
    else:
        force = float(force_sd_percent) if force_sd_percent is not None else _rollbite.DEFAULT_FORCE_SD_PERCENT
        in_percent = True
    slip = float(slip_sd) if slip_sd is not None else _rollbite.DEFAULT_SLIP_SD
    return force, in_percent, slip


def _widths(mode, width, count):
    if width is None:
        return []
    if mode != "direct":
        raise ValueError("width is for direct passes: the strip width of the plasticity coefficient")
    widths = np.broadcast_to(np.asarray(width, dtype=float), (count,)) if np.ndim(width) == 0 else np.asarray(width, dtype=float)
    if widths.shape != (count,):
        raise ValueError(f"width must be one number or one per pass ({count}), not {widths.shape[0]}")
    if not np.all(np.isfinite(widths) & (widths > 0)):
        raise ValueError("width must hold positive numbers (mm)")
    return [float(value) for value in widths]


def _is_number(value):
    return isinstance(value, (numbers.Real, np.number)) and not isinstance(value, (bool, np.bool_))
