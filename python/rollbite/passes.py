"""Passes solved: ``direct`` (force, forward slip and torque from friction and flow stress), ``inverse``
(offset yield stress and friction from a measured force and forward slip) and ``profile`` (the friction
hill of one pass)."""

import numpy as np
import pandas as pd

from . import _rollbite
from ._frames import (
    _aligned,
    _coefficient_columns,
    _frame_of,
    _merged,
    _mode,
    _MISPLACED,
    _one_row,
    _pass_columns,
    _result_frame,
    _rheology,
    _threads,
    _UNREADABLE,
    _written_texts,
)


def direct(passes, rheology="constant", coefficients=None, threads=None, law=None, parameters=None,
           extrapolate=False):
    """Rolling force, forward slip and torque of every pass.

    Parameters
    ----------
    passes : pandas.DataFrame or mapping of equal-length arrays
        One row per pass with the columns ``ENTRY_COLUMNS["direct"]``: ``case`` (whole number),
        ``Entry_thickness`` and ``Exit_thickness`` (mm), ``Entry_tension`` and ``Exit_tension`` (MPa),
        ``Working_roll_diameter`` (mm), ``Young_modulus_WR`` (MPa, of the work roll),
        ``Offset_yield_stress`` (MPa: the flow stress itself with the constant rheology, added to the
        law's with the others) and ``Friction_coefficient``. Other columns are ignored.
    rheology : {"constant", "smatch", "ws18"}
        The flow-stress model.
    coefficients : pandas.DataFrame, mapping or 2-D array, optional
        With smatch and ws18, the record of each pass in the same order: the columns
        ``COEFFICIENT_COLUMNS[rheology]`` (smatch: a and b in MPa, c, d; ws18: the steel's contents in
        weight percent, entry and exit temperatures, the roll surface speed in m/s, and the recrystallised
        and unrecrystallised fractions with their grain sizes in um and dislocation densities per m^2), or
        an array of 4 or 23 columns in that order.
    threads : int, optional
        Threads solving the passes (default: every core this process may use).
    law : str or rollbite.laws.Law, optional
        A flow-stress law instead of the rheology (docs/laws.md): a built-in one by name
        (``rollbite.laws.LAWS``) or one written in Python. ``coefficients`` then holds, per pass, columns
        named as the law's parameters and the conditions ``Strain_in``, ``TemperatureIn``,
        ``TemperatureOut`` (C), ``Strip_speed`` (m/s, the roll surface speed) and ``Flow_stress_factor``.
    parameters : mapping, optional
        With ``law``: those values for every pass, by name.
    extrapolate : bool
        With ``law``: use it outside the ranges it was fitted in, rather than refuse the pass (INPUTS).

    Returns
    -------
    pandas.DataFrame
        One row per pass, in order, with the input's index: ``case``, ``Errors`` (VOID, INPUTS, INTERNAL or
        OUTPUTS), the outputs of the exit file under its column names (``Rolling_Force`` in 9.81 N/mm,
        ``Forward_Slip`` in percent, ``Rolling_Torque`` in 9.81 N mm/mm for both rolls, the flow stresses
        ``Sigma_*`` in MPa, the neutral point, the sticking zone, ``Alpha_Max``...), ``Has_Converged``
        and ``reason``, which says why a row is not VOID. A row without a result has NaN outputs and NA
        flags and ``Has_Converged`` (``pd.NA``).

    Raises
    ------
    TypeError, ValueError
        For passes or coefficients that are not as described (a missing column, a column that does not
        hold numbers, lengths that differ, an unknown rheology). A pass whose values fail the model's
        checks is no error: its row has the class INPUTS and its reason.

    Examples
    --------
    >>> passes = rollbite.read_entry("examples/direct_constant_entry.txt", "direct")
    >>> rollbite.direct(passes)[["case", "Errors", "Rolling_Force"]].head(2)
    """
    if law is not None:
        return _solve_law("direct", passes, rheology, law, coefficients, parameters, extrapolate, threads)
    return _solve("direct", passes, rheology, coefficients, threads)


def inverse(passes, rheology="constant", coefficients=None, threads=None, law=None, parameters=None,
            extrapolate=False):
    """Offset yield stress and friction coefficient that reproduce each pass's measured force and slip.

    Parameters
    ----------
    passes : pandas.DataFrame or mapping of equal-length arrays
        One row per pass with the columns ``ENTRY_COLUMNS["inverse"]``: those of ``direct`` (the offset
        yield stress and the friction coefficient being where the search starts), then ``Force``, the
        measured rolling force (9.81 N/mm), and ``Slip``, the measured forward slip (percent).
    rheology, coefficients, threads, law, parameters, extrapolate
        As for ``direct``. With ws18, and a law of strain rate, the strip speed is the strip's measured exit
        speed (m/s). With a law the search finds its ``Flow_stress_factor`` (a last column) and the
        friction; ``OffsetYield`` is 0.

    Returns
    -------
    pandas.DataFrame
        One row per pass, in order: ``case``, ``Errors``, ``OffsetYield`` (MPa, may be negative),
        ``Friction``, ``Rolling_Torque``, the flow stresses ``Sigma_*`` for the pair found,
        ``Force_Error(%)`` and ``Slip_Error(%)`` (ratios, despite their names), ``Has_Converged`` and
        ``reason``. A row without a result has NaN outputs and NA ``Has_Converged``.

    Raises
    ------
    TypeError, ValueError
        As for ``direct``.
    """
    if law is not None:
        return _solve_law("inverse", passes, rheology, law, coefficients, parameters, extrapolate, threads)
    return _solve("inverse", passes, rheology, coefficients, threads)


def profile(case, rheology="constant", coefficients=None, mode="direct", law=None, parameters=None,
            extrapolate=False):
    """The friction hill of one pass: the arc of contact of its last roll-bite integration.

    Parameters
    ----------
    case : pandas.Series, mapping or one-row DataFrame
        One pass with the columns of ``direct`` (or of ``inverse`` with ``mode="inverse"``).
    rheology : {"constant", "smatch", "ws18"}
    coefficients : mapping, Series or sequence, optional
        The pass's record with smatch and ws18 (``COEFFICIENT_COLUMNS[rheology]``).
    mode : {"direct", "inverse"}
    law, parameters, extrapolate
        A flow-stress law, as for ``direct``: ``coefficients`` then maps its parameters and the pass's
        conditions by name.

    Returns
    -------
    pandas.DataFrame
        501 rows, from the entry (index 0) to the exit of the bite, with the columns of rollbite-profile:
        ``angle_rad``, ``x_mm`` (-R sin(angle), negative towards the entry), ``thickness_mm``,
        ``flow_stress_MPa``, ``shear_yield_MPa``, ``entry_pressure_MPa`` and ``exit_pressure_MPa`` (the
        two solutions; NaN where the exit pass never came), ``friction_hill_MPa``,
        ``friction_shear_MPa``, ``load_integrand_MPa`` and ``shear_integrand_MPa``. Its ``attrs`` hold the
        pass's scalars (neutral angle and pressure, switch angles, force in N/mm, torque in N mm/mm for one
        roll, roll radius, ...) and its exit-file row.

    Raises
    ------
    ValueError
        When the pass has no result (its reason is in the message), or for inputs as in ``direct``.
    """
    mode = _mode(mode)
    rheology = _rheology(rheology)
    if isinstance(case, pd.DataFrame):
        if len(case) != 1:
            raise ValueError(f"profile takes one pass, not a frame of {len(case)} rows")
        case = case.iloc[0]
    frame = _frame_of({name: [value] for name, value in dict(case).items()}, "case")
    case_ids, values, _ = _pass_columns(frame, mode)
    if law is not None:
        given = None if coefficients is None else pd.DataFrame([dict(coefficients)], index=frame.index)
        columns, run = _law_columns(frame, rheology, law, given, parameters)
        raw = _rollbite.law_profile(
            mode, law, int(case_ids[0]), [column[0] for column in values], columns, run, bool(extrapolate)
        )
        return _profile_table(raw)
    records = _coefficient_columns(
        None if coefficients is None else _one_row(coefficients, rheology), rheology, 1
    )
    raw = _rollbite.profile(
        mode, rheology, int(case_ids[0]), [column[0] for column in values], [column[0] for column in records]
    )
    return _profile_table(raw)


def _profile_table(raw):
    table = pd.DataFrame(raw["points"], columns=list(_rollbite.PROFILE_COLUMNS))
    table["index"] = table["index"].astype(int)
    table = table.set_index("index")
    table.attrs = dict(raw["scalars"])
    table.attrs["exit_file_row"] = raw["exit_file_row"]
    return table


def _solve(mode, passes, rheology, coefficients, threads):
    rheology = _rheology(rheology)
    frame = _frame_of(passes, "passes")
    case_ids, values, unreadable = _pass_columns(frame, mode)
    coefficients = _aligned(coefficients, frame)
    records = _coefficient_columns(coefficients, rheology, len(frame))
    misplaced = {}
    if isinstance(coefficients, pd.DataFrame):
        if _UNREADABLE in coefficients:
            unreadable = _merged(unreadable, _written_texts(coefficients[_UNREADABLE]))
        if _MISPLACED in coefficients:
            misplaced = _written_texts(coefficients[_MISPLACED])
    rows = sorted(unreadable)
    raw = _rollbite.solve(
        mode,
        rheology,
        case_ids,
        values,
        records,
        np.asarray(rows, dtype=np.int64),
        [unreadable[row] for row in rows],
        _threads(threads),
    )
    reasons = _merged(dict(zip(raw["reason_rows"].tolist(), raw["reason_texts"])), misplaced)
    return _result_frame(raw, mode, frame.index, reasons)


def _law_columns(frame, rheology, law, coefficients, parameters):
    """The law checked, and its values for the passes: columns of one number per pass and run values."""
    from .laws import Law

    if rheology != "constant":
        raise ValueError("law and rheology both name the flow stress: give one of them")
    if not isinstance(law, (str, Law)):
        raise TypeError(f"law must be the name of a built-in law or a rollbite.laws.Law, not {law!r}")
    columns = {}
    if coefficients is not None:
        coefficients = _aligned(coefficients, frame)
        table = coefficients if isinstance(coefficients, pd.DataFrame) else pd.DataFrame(coefficients)
        if len(table) != len(frame):
            raise ValueError(f"coefficients has {len(table)} rows for {len(frame)} passes")
        for name in table.columns:
            try:
                columns[str(name)] = np.ascontiguousarray(table[name].to_numpy(dtype=float))
            except (TypeError, ValueError):
                raise ValueError(f"the column {name} of coefficients does not hold numbers") from None
    run = [(str(name), float(value)) for name, value in dict(parameters or {}).items()]
    return columns, run


def _solve_law(mode, passes, rheology, law, coefficients, parameters, extrapolate, threads):
    frame = _frame_of(passes, "passes")
    case_ids, values, unreadable = _pass_columns(frame, mode)
    columns, run = _law_columns(frame, rheology, law, coefficients, parameters)
    rows = sorted(unreadable)
    raw = _rollbite.solve_law(
        mode,
        law,
        case_ids,
        values,
        columns,
        run,
        bool(extrapolate),
        np.asarray(rows, dtype=np.int64),
        [unreadable[row] for row in rows],
        _threads(threads),
    )
    reasons = dict(zip(raw["reason_rows"].tolist(), raw["reason_texts"]))
    result = _result_frame(raw, mode, frame.index, reasons)
    result.attrs["law_calls"] = int(raw["law_calls"])
    return result
