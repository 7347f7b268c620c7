"""A mill that learns from its logs: ``replay`` predicts every coil of a mill's log before it is rolled,
from what the coils before it taught, and learns from what was measured; ``plot_replay`` draws the force
errors coil by coil, the frozen setup's against the adapted one's (docs/learning.md)."""

import io
import math
import numbers
import os
import re

import numpy as np
import pandas as pd

from . import _rollbite

__all__ = ["replay", "read_state", "plot_replay", "REPLAY_COLUMNS"]

#: The columns of a replay's table with their units, in order.
REPLAY_COLUMNS = {name: unit for name, unit, _ in _rollbite.REPLAY_COLUMNS}
_FLAGS = [name for name, _, kind in _rollbite.REPLAY_COLUMNS if kind == "flag"]
_STATE_COLUMNS = ["Kind", "Stand", "Class", "Factor", "Friction", "Beyond_screen"]
_RHEOLOGY_LINE = "# learnt with --rheology "
_LAW_LINE = "# learnt with --law "
_LAST_LINE = "# end of state"


def replay(log, rheology="smatch", class_key=None, state=None, gains=None, screen=None, threads=None, law=None,
           parameters=None, extrapolate=False):
    """Replays a mill's log coil by coil: each coil predicted from the state before it, then learnt from.

    Parameters
    ----------
    log : path or pandas.DataFrame
        A mill log as ``rollbite replay`` reads it (docs/learning.md), or a frame with its columns: ``Coil``,
        ``Stand``, the class key's columns, ``Width`` (mm), the pass as set up (``Entry_thickness`` ...
        ``Friction_coefficient``, and with smatch ``Coefficient_A`` to ``Coefficient_D``), ``Force`` (kN),
        optionally ``Forward_slip`` (%) or ``Roll_surface_speed`` and ``Exit_speed`` (m/s), ``Torque``
        (kN m) and ``Roll_change`` (0 or 1). One row per coil and stand, in rolling order.
    rheology : {"constant", "smatch"}
    class_key : list of column names, optional
        The columns whose values make a coil's product class (default: ``Class`` when the log has it).
    state : pandas.DataFrame, optional
        The state a replay returned (or ``read_state`` of a state file), to go on from.
    gains : (short, long, friction), optional
        The gains of the short-term factor, the long-term factor and the friction (default 0.5, 0.15, 0.3).
    screen : float, optional
        Percent: a measured force further from the prediction is not learnt from (default 20).
    threads : int, optional
        Threads, one stand each (default: every core); the results do not depend on them.
    law, parameters, extrapolate
        A flow-stress law instead of the rheology (docs/laws.md): the log's columns named as its parameters
        and conditions (``TemperatureIn``, ``Strip_speed``, ``Flow_stress_factor``, ...) give each pass's,
        ``parameters`` those of every pass; the learnt factor multiplies the law's ``Flow_stress_factor``.
        A law of strain rate without ``Strip_speed`` takes ``Roll_surface_speed``.

    Returns
    -------
    (pandas.DataFrame, pandas.DataFrame)
        The table, one row per coil and stand with the columns ``REPLAY_COLUMNS`` (the prediction before
        the coil, the frozen setup's, the errors in % of the measured force, the factors and friction used,
        what the measurement said, why it was screened); and the state after the last coil (``Kind``
        short or long, ``Stand``, ``Class``, ``Factor``, ``Friction``).

    Raises
    ------
    ValueError
        For a log with a wrong, missing or implausible value (each named with its line, coil, stand and
        column), a state that is no learner state, or bad settings.
    """
    from ._frames import _rheology, _threads

    if isinstance(log, pd.DataFrame):
        text = _log_text(log)
    else:
        with open(os.fspath(log), "rb") as file:
            text = file.read()
    if isinstance(class_key, str):
        class_key = [class_key]
    if screen is not None and (isinstance(screen, bool) or not isinstance(screen, numbers.Real) or not 0.0 < screen < math.inf):
        raise ValueError(f"screen must be a positive percentage, not {screen!r}")
    learnt = {"rheology": _rheology(rheology)}
    if law is not None:
        from .laws import Law

        if _rheology(rheology) != "smatch":
            raise ValueError("law and rheology both name the flow stress: give one of them")
        if not isinstance(law, (str, Law)):
            raise TypeError(f"law must be the name of a built-in law or a rollbite.laws.Law, not {law!r}")
        learnt = {"law": law if isinstance(law, str) else law.name}
    run = [(str(name), float(value)) for name, value in dict(parameters or {}).items()]
    try:
        raw = _rollbite.replay(
            text,
            _rheology(rheology),
            [str(name) for name in (class_key or [])],
            b"" if state is None else _state_text(state, learnt),
            [float(gain) for gain in (gains or [])],
            float(screen) if screen is not None else 0.0,
            _threads(threads),
            law,
            run,
            bool(extrapolate),
        )
    except ValueError as error:
        if isinstance(log, pd.DataFrame):
            raise ValueError(_rows_named(str(error), log.index)) from None
        raise
    table = pd.DataFrame(raw["table"])
    for flag in _FLAGS:
        table[flag] = table[flag].astype(bool)
    table.attrs["units"] = dict(REPLAY_COLUMNS)
    state = _state_frame(raw["state"])
    state.attrs.update(learnt)
    return table, state


def _log_text(log):
    # Flags (True/False) as the 1 and 0 of a log; text as its bytes, whatever they are.
    flags = {name: log[name].astype("Int64") for name in log.columns if pd.api.types.is_bool_dtype(log[name])}
    text = log.assign(**flags).to_csv(sep="\t", index=False, na_rep="-")
    return text.encode("utf-8", "surrogateescape")


def _rows_named(message, index):
    # "line N" of the text a frame was written to is the frame's row N - 2 (the header is line 1).
    def row(match):
        at = int(match.group(1)) - 2
        return f"row labelled {index[at]!r}" if 0 <= at < len(index) else match.group(0)

    return re.sub(r"\bline (\d+)", row, message)


def read_state(path):
    """A state file written by ``rollbite replay --state`` as the frame ``replay`` takes and returns."""
    with open(os.fspath(path), encoding="utf-8", errors="surrogateescape") as file:
        text = file.read()
    if not text.startswith(_rollbite.STATE_FIRST_LINE):
        raise ValueError(f"{os.fspath(path)} is no learner state file of rollbite")
    frame = _state_frame(text)
    learnt = text.splitlines()[1] if text.count("\n") > 1 else ""
    if learnt.startswith(_RHEOLOGY_LINE):
        frame.attrs["rheology"] = learnt[len(_RHEOLOGY_LINE):]
    elif learnt.startswith(_LAW_LINE):
        frame.attrs["law"] = learnt[len(_LAW_LINE):]
    return frame


def _state_frame(text):
    # The rows between the lines that tell the file (its first two) and its last line.
    lines = text.splitlines()
    if len(lines) < 4 or lines[-1] != _LAST_LINE:
        raise ValueError("the state is torn: it does not end with its last line")
    frame = pd.read_csv(io.StringIO("\n".join(lines[2:-1])), sep="\t", dtype={"Kind": str, "Stand": str, "Class": str},
                        keep_default_na=False, na_values={"Friction": [""], "Beyond_screen": [""]},
                        float_precision="round_trip")
    frame["Beyond_screen"] = frame["Beyond_screen"].astype("Int64")
    return frame[_STATE_COLUMNS]


def _state_text(state, learnt):
    """The state file's text of a state frame: its second line what the frame says it was learnt with (a
    frame that does not say is taken as learnt with this replay's `learnt`)."""
    if not isinstance(state, pd.DataFrame) or list(state.columns) != _STATE_COLUMNS:
        raise ValueError(f"state must be the frame a replay returned, with the columns {_STATE_COLUMNS}")
    said = state.attrs if ("law" in state.attrs or "rheology" in state.attrs) else learnt
    line = _LAW_LINE + said["law"] if "law" in said else _RHEOLOGY_LINE + said["rheology"]
    # A count read back as a float (a frame through a CSV file) is written as the whole number it is.
    rows = state.assign(Beyond_screen=pd.to_numeric(state["Beyond_screen"]).round().astype("Int64"))
    text = (_rollbite.STATE_FIRST_LINE + "\n" + line + "\n"
            + rows.to_csv(sep="\t", index=False, na_rep="") + _LAST_LINE + "\n")
    return text.encode("utf-8", "surrogateescape")


def plot_replay(table, path=None, title=None, overwrite=False):
    """The force error of every coil and stand, the frozen setup's against the adapted prediction's, one
    panel a stand, with each stand's roll changes (dashed), the changes of class (dotted) and the measured
    forces left out as implausible (crosses) marked. With
    ``path`` the picture is saved by the rules of every front end, as ``plot_schedule`` saves its own.
    Returns the matplotlib figure."""
    from matplotlib.figure import Figure

    from .plots import _save_whole

    if path is not None:
        _rollbite.check_picture(os.fspath(path), bool(overwrite))
    stands = list(dict.fromkeys(table["Stand"]))
    if not stands:
        raise ValueError("plot_replay needs the table of a replay with at least one coil")
    figure = Figure(figsize=(14, 2.2 * len(stands) + 1))
    axes = figure.subplots(len(stands), 1, sharex=True, squeeze=False)[:, 0]
    coils = list(dict.fromkeys(table["Coil"]))
    position = {coil: k for k, coil in enumerate(coils)}
    for ax, stand in zip(axes, stands):
        rows = table[table["Stand"] == stand]
        x = rows["Coil"].map(position).to_numpy()
        # A table read back from its file has the flags as 0 and 1.
        screened = rows["Force_screened"].fillna(False).astype(bool).to_numpy()
        ax.plot(x[~screened], rows["Frozen_error"][~screened], ".", markersize=2, color="0.6", label="frozen setup")
        ax.plot(x[~screened], rows["Error"][~screened], ".", markersize=2, color="C0", label="adapted")
        ax.plot(x[screened], rows["Error"][screened], "x", markersize=4, color="C3", label="screened measurement")
        for change in x[rows["Roll_change"].fillna(False).astype(bool).to_numpy()]:
            ax.axvline(change, color="C3", linestyle="--", linewidth=0.8)
        classes = rows["Class"].fillna("").astype(str).to_numpy()
        for k in np.flatnonzero(classes[1:] != classes[:-1]) + 1:
            ax.axvline(x[k], color="0.3", linestyle=":", linewidth=0.8)
        ax.axhline(0.0, color="k", linewidth=0.5)
        ax.set_ylabel(f"{stand}: error (%)")
        ax.grid(True, axis="y", alpha=0.3)
    axes[0].legend(loc="upper right", markerscale=4)
    axes[-1].set_xlabel("coil, in rolling order (dashed: roll change; dotted: class change)")
    if title:
        figure.suptitle(title)
    figure.tight_layout()
    if path is not None:
        _save_whole(figure, os.fspath(path), bool(overwrite))
    return figure
