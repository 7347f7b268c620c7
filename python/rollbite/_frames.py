"""What the functions of the package share: the names of the columns, and frames and mappings of passes
and coefficient records turned into the columns of numbers the compiled part takes, each refused with a
message that names what is wrong; the frame of results from the columns it gives back."""

import difflib
import numbers

import numpy as np
import pandas as pd

from . import _rollbite

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
        bad = next((value for value in column if not _is_number(value)), _NONE_BAD)
        if bad is not _NONE_BAD:
            raise TypeError(f"column {name!r} of {what} must hold numbers, not {bad!r}")
        huge = next(((label, value) for label, value in column.items() if not _fits_a_double(value)), None)
        if huge is not None:
            label, value = huge
            raise ValueError(
                f"column {name!r} of {what} holds a number too large for a double, a whole number of "
                f"{int(value).bit_length()} bits, in the row labelled {label!r}"
            )
    return column.astype(float, copy=False).to_numpy()


_NONE_BAD = object()  # what next() gives when every value is a number (None is a value, and no number)


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
