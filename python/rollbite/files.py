"""The program's files as frames: ``read_entry``, ``read_coefficients`` and ``read_exit`` read them as the
program reads them, ``write_entry`` writes passes as an entry file that reads back to the same values."""

import errno
import os
import warnings

import numpy as np
import pandas as pd

from . import _rollbite
from ._frames import (
    COEFFICIENT_COLUMNS,
    ENTRY_COLUMNS,
    ERROR_CLASSES,
    _EXIT_COLUMNS,
    _FLAGS,
    _MISPLACED,
    _NOT_NUMBERS,
    _UNREADABLE,
    _frame_of,
    _mode,
    _pass_columns,
    _result_frame,
    _rheology,
)


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
    case_ids, values, unreadable = _pass_columns(frame, _mode(mode))
    labels = [repr(label) for label in frame.index]
    if unreadable:
        row = min(unreadable)
        raise ValueError(
            f"the pass in the row labelled {labels[row]} could not be read ({unreadable[row]}): an entry file "
            "cannot hold it; drop it, or give its values"
        )
    _rollbite.write_entry_file(os.fspath(path), mode, case_ids, values, labels, bool(overwrite))
