"""rollbite: the roll bite of flat rolling of steel strip, for data frames.

Orowan's slab analysis of the bite between two work rolls, the model of the rollbite program, on passes
held in pandas data frames:

- ``direct(passes, ...)``: rolling force, forward slip and torque of each pass, from its friction and flow
  stress.
- ``inverse(passes, ...)``: offset yield stress and friction coefficient of each pass, from its measured
  force and forward slip.
- ``read_entry``, ``read_coefficients``, ``read_exit`` and ``write_entry``: the program's files as frames,
  so that a file run and a frame run can be compared.
- ``profile(...)``: the friction hill of one pass, point by point.
- ``schedule(stands, strip, distribute=None)``, ``read_schedule`` and ``plot_schedule``: the stands of a
  mill chained into one schedule, the load distributed among them, and a picture of it
  (``rollbite.schedule`` module).
- ``sensitivities(passes, ...)``: the derivatives of force, slip and torque of direct passes by their
  inputs, with the plasticity coefficient; or how well inverse results are known (docs/sensitivities.md).

Every value is the one the program writes to its exit file, to the last bit. The passes are solved on
threads (all cores by default) with the interpreter lock released, and come back in their order; Ctrl-C
stops a call within about a tenth of a second, with KeyboardInterrupt.

Units: thicknesses and diameters in mm; tensions, moduli, stresses in MPa; forces in units of 9.81 N/mm
(tonnes-force per metre of width); torques in 9.81 N mm/mm for both rolls; forward slips in percent;
angles in rad; temperatures in degrees Celsius; strip speeds in m/s.
"""

import difflib
import errno
import numbers
import os
import warnings

import numpy as np
import pandas as pd

from . import _rollbite
from .schedule import STAND_FIELDS, STRIP_FIELDS, SCHEDULE_COLUMNS, plot_schedule, read_schedule, schedule

#: The version of rollbite this module was built from.
__version__ = _rollbite.__version__

__all__ = [
    "direct",
    "inverse",
    "profile",
    "read_entry",
    "read_coefficients",
    "read_exit",
    "write_entry",
    "sensitivities",
    "ENTRY_COLUMNS",
    "SENSITIVITY_COLUMNS",
    "COEFFICIENT_COLUMNS",
    "schedule",
    "read_schedule",
    "plot_schedule",
    "SCHEDULE_COLUMNS",
    "STRIP_FIELDS",
    "STAND_FIELDS",
]

ERROR_CLASSES = ("VOID", "INPUTS", "INTERNAL", "OUTPUTS")
RHEOLOGIES = ("constant", "smatch", "ws18")

#: The columns of the passes of each mode, in entry-file order. ``case`` is the case identifier (a whole
#: number); in inverse mode ``Offset_yield_stress`` and ``Friction_coefficient`` are where the search
#: starts, and ``Force`` (9.81 N/mm) and ``Slip`` (percent) the measured pair.
ENTRY_COLUMNS = {
    "direct": list(_rollbite.ENTRY_FIELDS[:9]),
    "inverse": list(_rollbite.ENTRY_FIELDS),
}

#: The columns of the coefficient records of each rheology, in file order.
COEFFICIENT_COLUMNS = {
    "constant": [],
    "smatch": list(_rollbite.SMATCH_COEFFICIENTS),
    "ws18": list(_rollbite.WS18_COEFFICIENTS),
}

_EXIT_COLUMNS = {"direct": list(_rollbite.DIRECT_COLUMNS), "inverse": list(_rollbite.INVERSE_COLUMNS)}
_FLAGS = ("Tresca_Presence", "Total_Tresca")
# The exit-file columns that do not hold a number of the result.
_NOT_NUMBERS = ("case", "Errors", "Has_Converged") + _FLAGS
# The column a frame may carry to say that its row could not be read from a file (read_entry).
_UNREADABLE = "unreadable"
# The column of read_coefficients that says when a record did not stand alone on the line of its case.
_MISPLACED = "misplaced"


def direct(passes, rheology="constant", coefficients=None, threads=None):
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
    return _solve("direct", passes, rheology, coefficients, threads)


def inverse(passes, rheology="constant", coefficients=None, threads=None):
    """Offset yield stress and friction coefficient that reproduce each pass's measured force and slip.

    Parameters
    ----------
    passes : pandas.DataFrame or mapping of equal-length arrays
        One row per pass with the columns ``ENTRY_COLUMNS["inverse"]``: those of ``direct`` (the offset
        yield stress and the friction coefficient being where the search starts), then ``Force``, the
        measured rolling force (9.81 N/mm), and ``Slip``, the measured forward slip (percent).
    rheology, coefficients, threads
        As for ``direct``. With ws18 the record's strip speed is the strip's exit speed (m/s).

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
    return _solve("inverse", passes, rheology, coefficients, threads)


def profile(case, rheology="constant", coefficients=None, mode="direct"):
    """The friction hill of one pass: the arc of contact of its last roll-bite integration.

    Parameters
    ----------
    case : pandas.Series, mapping or one-row DataFrame
        One pass with the columns of ``direct`` (or of ``inverse`` with ``mode="inverse"``).
    rheology : {"constant", "smatch", "ws18"}
    coefficients : mapping, Series or sequence, optional
        The pass's record with smatch and ws18 (``COEFFICIENT_COLUMNS[rheology]``).
    mode : {"direct", "inverse"}

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
    records = _coefficient_columns(
        None if coefficients is None else _one_row(coefficients, rheology), rheology, 1
    )
    raw = _rollbite.profile(
        mode, rheology, int(case_ids[0]), [column[0] for column in values], [column[0] for column in records]
    )
    table = pd.DataFrame(raw["points"], columns=list(_rollbite.PROFILE_COLUMNS))
    table["index"] = table["index"].astype(int)
    table = table.set_index("index")
    table.attrs = dict(raw["scalars"])
    table.attrs["exit_file_row"] = raw["exit_file_row"]
    return table


def read_entry(path, mode):
    """An entry file as a frame of passes, read as the program reads it.

    The first line is a header; every following line is a pass, numbers separated by blanks or tabs.
    Returns the columns ``ENTRY_COLUMNS[mode]`` and ``unreadable``: empty, or what of the line could
    not be read (a missing number, a decimal comma). ``direct`` and ``inverse`` give such a row the class
    INPUTS with that reason, as a file run does.
    """
    mode = _mode(mode)
    raw = _rollbite.parse_entry(mode, _existing(path, "entry file"))
    columns = ENTRY_COLUMNS[mode]
    frame = pd.DataFrame(raw["values"][:, : len(columns) - 1], columns=columns[1:])
    frame.insert(0, "case", raw["case"])
    frame[_UNREADABLE] = raw["unreadable"]
    return frame


def read_coefficients(path, rheology):
    """A coefficient file as a frame of records, read as the program reads it: after the header line,
    each record is the next 4 (smatch) or 23 (ws18) numbers, whatever lines they stand on. Returns the
    columns ``COEFFICIENT_COLUMNS[rheology]`` and ``unreadable``."""
    rheology = _rheology(rheology)
    if rheology == "constant":
        raise ValueError("the constant rheology has no coefficient file")
    raw = _rollbite.parse_records(rheology, _existing(path, "coefficient file"))
    frame = pd.DataFrame(raw["values"], columns=COEFFICIENT_COLUMNS[rheology])
    frame[_UNREADABLE] = raw["unreadable"]
    frame[_MISPLACED] = raw["misplaced"]
    misplaced = [line for line in raw["misplaced"] if line]
    if misplaced:
        warnings.warn(
            f"{len(misplaced)} coefficient records of {path} do not stand alone on the line of their case "
            f"(the column {_MISPLACED!r} says which): each case takes the next numbers of the file, as they "
            "follow one another",
            stacklevel=2,
        )
    return frame


def read_exit(path, why=None):
    """An exit file (direct or inverse, told by its header) as the frame ``direct`` or ``inverse``
    returns, its numbers with the file's seven digits: rows without a result have NaN outputs and NA
    flags. With the why file of the same run, its reasons fill the column ``reason`` (empty for VOID rows);
    a why file whose rows name other cases, or miss a case without a result, is refused with a ValueError.
    Without it, ``reason`` is NA where a row has no result (its reason is not in the exit file)."""
    frame = _read_table(path, "exit file", {"Errors": str, "Has_Converged": str})
    modes = [mode for mode, columns in _EXIT_COLUMNS.items() if list(frame.columns) == columns]
    if not modes:
        raise ValueError(f"{path} is not an exit file of rollbite: its header row is {list(frame.columns)}")
    numbers = [name for name in frame.columns if name not in _NOT_NUMBERS]
    raw = {
        "case": _column_of(frame, "case", np.int32, path),
        "Errors": _codes(frame["Errors"], ERROR_CLASSES, path),
        "Has_Converged": _codes(frame["Has_Converged"], _rollbite.CONVERGENCE, path),
        "numbers": np.ascontiguousarray(np.array([_column_of(frame, name, float, path) for name in numbers])),
        "number_columns": numbers,
    }
    raw.update({flag: _column_of(frame, flag, bool, path) for flag in _FLAGS if flag in frame})
    reasons = {} if why is None else _why_reasons(why, frame, path)
    results = _result_frame(raw, modes[0], frame.index, reasons)
    if why is None:
        results["reason"] = results["reason"].astype(object).mask(results["Errors"] != "VOID", pd.NA)
    return results


def _why_reasons(why, frame, path):
    """The reasons of a why file by row of the exit file, checked to be the same run's: each why row names
    its line in the entry file (the header being line 1), which is the row's line in the exit file too."""
    table = _read_table(why, "why file", {"reason": str, "Errors": str})
    if list(table.columns) != ["case", "line", "Errors", "reason"]:
        raise ValueError(f"{why} is not a why file of rollbite: its header row is {list(table.columns)}")
    reasons = {}
    for case, line, error, reason in table.itertuples(index=False):
        row = int(line) - 2
        if not 0 <= row < len(frame) or (frame["case"].iloc[row], frame["Errors"].iloc[row]) != (case, error):
            raise ValueError(
                f"{why} is not the why file of {path}: its row for line {line} names case {case} ({error}), "
                "which the exit file does not hold there"
            )
        reasons[row] = reason
    unexplained = [row for row in np.flatnonzero((frame["Errors"] != "VOID").to_numpy()) if row not in reasons]
    if unexplained:
        row = unexplained[0]
        raise ValueError(
            f"{why} is not the why file of {path}: it has no row for case {frame['case'].iloc[row]} on line "
            f"{row + 2}, which has no result"
        )
    return reasons


def _read_table(path, what, dtypes):
    """A tab-separated file of rollbite as a frame of texts and numbers; a ValueError naming the file (and
    the line, where the reader tells it) for one that is empty, binary or torn."""
    if not os.path.exists(path):
        raise FileNotFoundError(errno.ENOENT, f"no {what} {os.fspath(path)!r}", os.fspath(path))
    try:
        return pd.read_csv(path, sep="\t", dtype=dtypes, keep_default_na=False, encoding="utf-8")
    except (pd.errors.ParserError, pd.errors.EmptyDataError, UnicodeDecodeError, ValueError) as error:
        raise ValueError(f"{os.fspath(path)} is not a {what} of rollbite: {error}") from None


def _column_of(frame, name, dtype, path):
    """A column of a file read by _read_table as an array of the type, or a ValueError naming the file, the
    line and the value that is no such number."""
    column = frame[name]
    if pd.api.types.is_numeric_dtype(column) and not pd.api.types.is_bool_dtype(column) and dtype is float:
        return column.to_numpy(dtype=float)  # the reader found numbers throughout
    if dtype is bool:
        valid = column.isin([0, 1, "0", "1"])
        converted = pd.to_numeric(column, errors="coerce")
    else:
        texts = column.astype(str).str.strip().str.lower()
        converted = pd.to_numeric(texts.replace({"-nan": "nan"}), errors="coerce")
        valid = converted.notna() | texts.isin(["nan", "-nan"])
        if dtype is np.int32:
            valid &= (converted == converted.round()) & converted.abs().le(np.iinfo(np.int32).max)
    if not bool(valid.all()):
        row = int(np.flatnonzero(~valid.to_numpy())[0])
        raise ValueError(
            f"line {row + 2} of {os.fspath(path)} has {column.iloc[row]!r} in the column {name!r}, which is no "
            f"{'flag' if dtype is bool else 'number'}"
        )
    return converted.to_numpy(dtype=dtype)


def _existing(path, what):
    """The path as a text, or a FileNotFoundError when there is nothing there (a pipe or FIFO is something)."""
    path = os.fspath(path)
    if not os.path.exists(path):
        raise FileNotFoundError(errno.ENOENT, f"no {what} {path!r}", path)
    return path


def _codes(column, names, path):
    """The position of each text of a column among `names`, or a ValueError naming the first unknown."""
    codes = pd.Index(names).get_indexer(column)
    if np.any(codes < 0):
        row = int(np.flatnonzero(codes < 0)[0])
        raise ValueError(
            f"line {row + 2} of {path} has {column.iloc[row]!r} in the column {column.name!r}, "
            f"which holds one of {list(names)}"
        )
    return codes.astype(np.int8)


def write_entry(passes, path, mode=None, overwrite=False):
    """Writes passes as an entry file the program reads back to the same values: a header line of the
    column names, then one line per pass, each number with the digits that give it back exactly. The mode
    (``direct`` or ``inverse``) is told by the columns when not given. A value that is NaN or infinite,
    which no entry file can hold, is refused with a ValueError naming its row and column.

    The file appears whole or not at all. It may replace only an entry file of the same mode written here
    before (its header line tells) or an empty file; anything else, such as measured passes of the other
    mode, a coefficient file or an exit file, is refused with a ValueError unless ``overwrite=True``. A
    folder is always refused; a file that cannot be written raises OSError."""
    frame = _frame_of(passes, "passes")
    if mode is None:
        mode = "inverse" if "Force" in frame.columns and "Slip" in frame.columns else "direct"
    case_ids, values, _ = _pass_columns(frame, _mode(mode))
    labels = [repr(label) for label in frame.index]
    _rollbite.write_entry_file(os.fspath(path), mode, case_ids, values, labels, bool(overwrite))


# --- what the functions share -----------------------------------------------------------------------


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


def _result_frame(raw, mode, index, reasons):
    """The frame of results from the columns of _rollbite.solve, with the given index and reasons (a
    mapping of row positions to texts). A row without a result has NaN outputs and NA flags, never the
    zeros of the exit file. The columns are used as they are, never copied."""
    failed = raw["Errors"] != ERROR_CLASSES.index("VOID")
    numbers = raw["numbers"]
    numbers[:, failed] = np.nan
    frame = pd.DataFrame(numbers.T, index=index, columns=raw["number_columns"], copy=False)
    others = {
        "case": raw["case"],
        "Errors": np.asarray(ERROR_CLASSES, dtype=object)[raw["Errors"]],
        "Has_Converged": np.asarray(_rollbite.CONVERGENCE, dtype=object)[raw["Has_Converged"]],
    }
    # NA where the exit file writes "--": the row has no result, so no convergence either.
    others["Has_Converged"][failed] = pd.NA
    others.update({flag: pd.arrays.BooleanArray(raw[flag], failed.copy()) for flag in _FLAGS if flag in raw})
    for position, name in enumerate(_EXIT_COLUMNS[mode]):
        if name in others:
            frame.insert(position, name, others[name])
    reason = np.full(len(frame), "", dtype=object)
    rows = list(reasons)
    reason[rows] = [reasons[row] for row in rows]
    frame["reason"] = reason
    return frame


def _merged(first, second):
    """Two mappings of row positions to texts as one: the texts of a row both have, joined."""
    merged = dict(first)
    for row, text in second.items():
        merged[row] = _joined(merged.get(row, ""), text)
    return merged


def _joined(first, second):
    return "; ".join(part for part in (first, second) if part)


def _written_texts(column):
    """The texts of a column that are not empty, by row position; NaN, None and NA are the empty text."""
    values = column.to_numpy(dtype=object)
    present = np.flatnonzero(~pd.isna(values))
    written = present[values[present] != ""]
    return {row: str(values[row]) for row in written.tolist()}


def _aligned(coefficients, frame):
    """Coefficient records in the order of the passes. A frame of records is paired with the passes by
    its index, as pandas pairs frames; an array or a mapping of arrays by position."""
    if not isinstance(coefficients, pd.DataFrame) or coefficients.index.equals(frame.index):
        return coefficients
    if not coefficients.index.is_unique:
        raise ValueError(
            "the index of coefficients repeats labels, so its records cannot be paired with the passes by "
            "label; give both frames the same index, or pass coefficients.to_numpy() to pair them by position"
        )
    missing = frame.index.difference(coefficients.index)
    if len(missing) > 0:
        shown = ", ".join(repr(label) for label in list(missing[:5])) + (", ..." if len(missing) > 5 else "")
        raise ValueError(
            f"coefficients has no record labelled {shown} in its index: records are paired with the passes "
            "by the index of both frames; give coefficients the index of passes "
            "(coefficients.set_index(passes.index)), or pass coefficients.to_numpy() to pair them by position"
        )
    return coefficients.loc[frame.index]


def _mode(mode):
    if mode not in ENTRY_COLUMNS:
        raise ValueError(f"unknown mode {mode!r}: 'direct' or 'inverse'")
    return mode


def _rheology(rheology):
    if not isinstance(rheology, str) or rheology.lower() not in RHEOLOGIES:
        raise ValueError(f"unknown rheology {rheology!r}: 'constant', 'smatch' or 'ws18'")
    return rheology.lower()


def _threads(threads):
    if threads is None:
        return _rollbite.machine_threads()
    if (
        isinstance(threads, bool)
        or not isinstance(threads, numbers.Integral)
        or not 1 <= threads <= _rollbite.MAX_THREADS
    ):
        raise ValueError(f"threads must be a whole number from 1 to {_rollbite.MAX_THREADS}, not {threads!r}")
    return int(threads)


def _frame_of(table, what):
    """A data frame from a frame or a mapping of equal-length arrays."""
    if isinstance(table, pd.DataFrame):
        return table
    if not hasattr(table, "keys"):
        raise TypeError(
            f"{what} must be a pandas DataFrame or a mapping of equal-length arrays, "
            f"not {type(table).__name__}"
        )
    columns = {
        name: column if hasattr(column, "__len__") and not isinstance(column, (str, bytes)) else [column]
        for name, column in table.items()
    }
    lengths = {str(name): len(column) for name, column in columns.items()}
    if len(set(lengths.values())) > 1:
        described = ", ".join(f"{name} {length}" for name, length in lengths.items())
        raise ValueError(f"the columns of {what} have different lengths: {described}")
    try:
        return pd.DataFrame(columns)
    except OverflowError:
        # pandas infers no type for a column that mixes floats with a whole number too large for a double:
        # such a column is taken as objects, so that its check names it.
        return pd.DataFrame({name: _inferred_or_objects(column) for name, column in columns.items()})


def _inferred_or_objects(column):
    try:
        pd.Series(column)
    except OverflowError:
        return np.array(column, dtype=object)
    return column


def _require(frame, columns, what):
    """A ValueError unless the frame has each of the columns once, under a name of its own."""
    if isinstance(frame.columns, pd.MultiIndex):
        raise ValueError(
            f"the columns of {what} are a MultiIndex of {frame.columns.nlevels} levels; rollbite takes each "
            f"column by a name of its own: keep the level of the names (e.g. {what}.droplevel(0, axis=1))"
        )
    missing = [column for column in columns if column not in frame.columns]
    if missing:
        others = [str(column) for column in frame.columns if column not in columns]
        hints = []
        for column in missing:
            close = difflib.get_close_matches(column, others, n=1, cutoff=0.6)
            hints.append(f"{column!r}" + (f" (is {close[0]!r} meant?)" if close else ""))
        raise ValueError(f"{what} has no column {', '.join(hints)}; it needs {columns}")
    repeated = {column: int((frame.columns == column).sum()) for column in columns}
    repeated = [f"{column!r} {times} times" for column, times in repeated.items() if times > 1]
    if repeated:
        raise ValueError(f"{what} has the column {', '.join(repeated)}: rollbite takes each column once")


def _numbers(column, name, what):
    """A column as float64 (the column's own array when it holds float64), or an exception naming it."""
    if pd.api.types.is_complex_dtype(column.dtype):
        # Never cut to the real part.
        raise TypeError(f"column {name!r} of {what} must hold real numbers, not {column.dtype}")
    if column.dtype == bool or not (pd.api.types.is_numeric_dtype(column) or column.dtype == object):
        raise TypeError(f"column {name!r} of {what} must hold numbers, not {column.dtype}")
    if column.dtype == object:
        # Numbers only: a text such as "30" is refused as "thirty" is, never read half-way.
        bad = next((value for value in column if not _is_number(value)), None)
        if bad is not None:
            raise TypeError(f"column {name!r} of {what} must hold numbers, not {bad!r}")
        huge = next(((label, value) for label, value in column.items() if not _fits_a_double(value)), None)
        if huge is not None:
            label, value = huge
            raise ValueError(
                f"column {name!r} of {what} holds a number too large for a double, a whole number of "
                f"{int(value).bit_length()} bits, in the row labelled {label!r}"
            )
    return column.astype(float, copy=False).to_numpy()


def _is_number(value):
    return isinstance(value, (numbers.Real, np.number)) and not isinstance(value, (bool, np.bool_))


def _fits_a_double(value):
    try:
        float(value)
    except OverflowError:
        return False
    return True


def _pass_columns(frame, mode):
    """Case identifiers, the values of each pass as columns in entry-file order, and what could not be
    read, by row position."""
    columns = ENTRY_COLUMNS[mode]
    _require(frame, columns, "passes")
    case = _numbers(frame["case"], "case", "passes")
    # The identifiers an entry file takes: any whole number of 32 bits.
    smallest, largest = np.iinfo(np.int32).min, np.iinfo(np.int32).max
    if not (np.all(np.isfinite(case)) and np.all(case == np.round(case))) or np.any(
        (case < smallest) | (case > largest)
    ):
        raise TypeError(
            f"column 'case' of passes must hold whole numbers from {smallest} to {largest}, as an entry "
            "file does"
        )
    values = [_numbers(frame[name], name, "passes") for name in columns[1:]]
    unreadable = _written_texts(frame[_UNREADABLE]) if _UNREADABLE in frame else {}
    return case.astype(np.int32), values, unreadable


def _coefficient_columns(coefficients, rheology, count):
    """The records as columns of one number per pass, in coefficient-file order."""
    names = COEFFICIENT_COLUMNS[rheology]
    if not names:
        if coefficients is not None:
            raise ValueError("the constant rheology takes no coefficients")
        return []
    if coefficients is None:
        raise ValueError(f"the {rheology} rheology needs coefficients: one record per pass with {names}")
    if isinstance(coefficients, pd.DataFrame) or hasattr(coefficients, "keys"):
        frame = _frame_of(coefficients, "coefficients")
        _require(frame, names, "coefficients")
    else:
        records = np.asarray(coefficients)
        if records.ndim != 2 or records.shape[1] != len(names):
            raise ValueError(
                f"coefficients must have {len(names)} columns for {rheology} ({names}), "
                f"not the shape {records.shape}"
            )
        frame = pd.DataFrame(records, columns=names, copy=False)
    if len(frame) != count:
        raise ValueError(f"{len(frame)} coefficient records for {count} passes: one record per pass")
    return [_numbers(frame[name], name, "coefficients") for name in names]


# The passes as rows, for bindings that take the values of each pass as one row of a block.


def _passes(frame, mode):
    """Case identifiers, the 10 values of each pass as a row (zeros for Force and Slip in direct mode) and
    what could not be read, a text per pass (or none at all)."""
    case_ids, columns, unreadable = _pass_columns(frame, mode)
    values = np.zeros((len(frame), len(ENTRY_COLUMNS["inverse"]) - 1))
    for k, column in enumerate(columns):
        values[:, k] = column
    return case_ids, values, [unreadable.get(row, "") for row in range(len(frame))] if unreadable else []


def _coefficients(coefficients, rheology, count):
    """The records as an array of one row per pass."""
    columns = _coefficient_columns(coefficients, rheology, count)
    return np.column_stack(columns) if columns else np.zeros((count, 0))


def _texts(column):
    """A column of texts as a list, with NaN, None and NA as the empty text."""
    written = _written_texts(column)
    return [written.get(row, "") for row in range(len(column))]


def _one_row(coefficients, rheology):
    if hasattr(coefficients, "keys"):
        return {name: [value] for name, value in dict(coefficients).items()}
    return np.asarray([coefficients], dtype=float)


# Last: the module builds on the helpers above.
from .sensitivities import SENSITIVITY_COLUMNS, sensitivities  # noqa: E402
