"""Pictures of schedules: ``plot_schedule`` draws exit thickness, force, power and reduction per stand, and
saves the picture by the rules of every front end."""

import os

import numpy as np
import pandas as pd

from . import _rollbite

__all__ = ["plot_schedule"]


# m: a stand's Interstand_distance when its frame does not give it (the schedule's default).
_DEFAULT_PITCH = 5.5

def plot_schedule(schedules, path=None, title=None, overwrite=False):
    """Exit thickness, force, power and reduction per stand, side by side, with each stand's limits where
    given.

    ``schedules`` is a frame of ``schedule`` or a mapping of labels to such frames (say "as set" and
    "distributed"), drawn as bars beside one another. With ``path`` the figure is also saved, in the format
    of its extension (PNG, SVG, PDF, JPEG...; PNG without one), whole or not at all; it may replace only an
    earlier picture or an empty file, anything else (an input, data) only with ``overwrite=True``, and
    never a folder; a file that cannot be written raises OSError. Returns the matplotlib figure, which no
    pyplot state holds."""
    from matplotlib.figure import Figure

    schedules = _labelled(schedules, path, overwrite, "plot_schedule")
    panels = [("Exit_thickness", None, "exit thickness (mm)"), ("Force", "Force_limit", "rolling force (kN)"),
              ("Power", "Power_limit", "power (kW)"), ("Reduction", "Max_reduction", "reduction (%)")]
    figure = Figure(figsize=(18, 4.6))
    axes = figure.subplots(1, len(panels))
    first = next(iter(schedules.values()))
    names = list(first.index)
    positions = np.arange(len(names))
    width = 0.8 / len(schedules)
    legend = {}
    for (column, limit, label), ax in zip(panels, axes):
        for k, (name, frame) in enumerate(schedules.items()):
            bars = ax.bar(positions + (k - (len(schedules) - 1) / 2) * width, frame[column], width)
            # One frame: one colour, named once; several: a colour each, named by their labels.
            legend.setdefault(name or "the schedule", bars)
        stands = first.attrs.get("stands")
        if limit is not None and stands is not None and limit in stands and stands[limit].notna().any():
            (marks,) = ax.plot(positions, stands[limit].to_numpy(dtype=float), "k_", markersize=24,
                               markeredgewidth=2)
            legend.setdefault("the stand's limit", marks)
        ax.set_xticks(positions, names)
        ax.set_ylabel(label)
        ax.set_title(label.split(" (")[0].capitalize() + " per stand")
        ax.grid(True, axis="y", alpha=0.3)
    figure.legend(list(legend.values()), list(legend.keys()), loc="lower center", ncol=len(legend), frameon=False)
    if title:
        figure.suptitle(title)
    figure.tight_layout(rect=(0, 0.07, 1, 1))
    if path is not None:
        _save_whole(figure, os.fspath(path), bool(overwrite))
    return figure


def plot_temperatures(schedules, path=None, title=None, overwrite=False):
    """The strip's temperature along a hot mill, from its entry measurement to the last stand's exit, with
    the stands marked, from the thermal chain (a schedule whose strip has an ``Entry_temperature``).

    ``schedules`` is such a frame of ``schedule`` or a mapping of labels to such frames (say "as set" and
    "distributed"), drawn as lines on one axis of distance (m). Saved with ``path`` as ``plot_schedule``
    saves. Returns the matplotlib figure."""
    from matplotlib.figure import Figure

    schedules = _labelled(schedules, path, overwrite, "plot_temperatures")
    for name, frame in schedules.items():
        if "temperature_path" not in frame.attrs:
            raise ValueError(f"the schedule {name!r} has no thermal chain: give its strip an Entry_temperature")
    figure = Figure(figsize=(11, 4.8))
    ax = figure.subplots()
    for name, frame in schedules.items():
        way = frame.attrs["temperature_path"]
        ax.plot(way["distance_m"], way["temperature_C"], label=name or "the strip's mean temperature")
    # The axes hold every schedule's way; the stands marked are those of the longest mill, each where its
    # interstand ends.
    temperatures = pd.concat([frame.attrs["temperature_path"]["temperature_C"] for frame in schedules.values()])
    low, high = temperatures.min(), temperatures.max()
    longest = max(schedules.values(), key=len)
    stands = longest.attrs.get("stands")
    pitch = stands["Interstand_distance"].to_numpy(dtype=float) if stands is not None and \
        "Interstand_distance" in stands else np.full(len(longest), np.nan)
    distances = np.cumsum(np.where(np.isnan(pitch), _DEFAULT_PITCH, pitch))
    for name, at in zip(longest.index, distances):
        ax.axvline(at, color="0.6", linestyle=":", linewidth=1)
        ax.annotate(str(name), (at, high), textcoords="offset points", xytext=(0, 6), ha="center")
    ax.set_ylim(low - 0.05 * (high - low + 1), high + 0.12 * (high - low + 1))
    ax.set_xlabel("distance from the entry measurement (m)")
    ax.set_ylabel("strip mean temperature (C)")
    ax.grid(True, alpha=0.3)
    ax.legend(loc="lower left", frameon=False)
    if title:
        ax.set_title(title)
    figure.tight_layout()
    if path is not None:
        _save_whole(figure, os.fspath(path), bool(overwrite))
    return figure


def _labelled(schedules, path, overwrite, what):
    """The frames to draw by their labels (one frame: no label), the picture's place checked first."""
    if path is not None:
        _rollbite.check_picture(os.fspath(path), bool(overwrite))
    if isinstance(schedules, pd.DataFrame):
        schedules = {"": schedules}
    if not hasattr(schedules, "items") or len(schedules) == 0:
        raise ValueError(f"{what} needs a schedule's frame, or a mapping of labels to such frames")
    return schedules


def _save_whole(figure, path, overwrite):
    """Saves the figure under a hidden name and puts it in place only when whole, by the rules of every
    front end (never over a file another run is writing; a device or a FIFO written through)."""
    suffix = os.path.splitext(path)[1].lstrip(".").lower()
    staged = _rollbite.StagedFile(path, overwrite)
    try:
        figure.savefig(staged.path, format=suffix or "png", dpi=110)
        staged.publish()
    finally:
        staged.discard()
