"""The example schedules through rollbite: the predicted force of every stand, then the material and the
friction recovered from that force and forward slip.

The 28 passes of the four finishing schedules in examples/ (direct mode, Constant rheology) go through
rollbite.direct. Their forces and slips, as a mill would measure them, go back through rollbite.inverse,
started from 80 % of the flow stress and a friction of 0.25. The picture shows the force per stand of
each schedule, and the offset yield stress and friction recovered per stand against the values that went
in.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/schedule.py [--out PICTURE]

The picture goes to schedule.png in the current folder unless --out names another picture or a folder for
it (docs/schedule.png is the one made with --out docs). examples/python/mills.py chains whole mills with
rollbite.schedule.
"""

import argparse
import pathlib

import matplotlib

matplotlib.use("Agg")  # no display needed
import matplotlib.pyplot as plt  # noqa: E402

import rollbite  # noqa: E402

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent
SCHEDULES = {1: "A: 40 to 4.4 mm", 2: "B: 35 to 3.0 mm", 3: "C: 32 to 2.6 mm", 4: "D: 28 to 2.0 mm"}


def predict_and_recover():
    """The schedules' passes with their predicted force and slip, and the pair recovered from them."""
    passes = rollbite.read_entry(EXAMPLES / "direct_constant_entry.txt", "direct")
    passes = passes[passes["case"] < 900]  # cases 901 on are wrong on purpose
    predicted = rollbite.direct(passes)
    measured = passes.assign(
        Force=predicted["Rolling_Force"],
        Slip=predicted["Forward_Slip"],
        Offset_yield_stress=0.8 * passes["Offset_yield_stress"],
        Friction_coefficient=0.25,
    )
    recovered = rollbite.inverse(measured)
    table = passes[["case", "Offset_yield_stress", "Friction_coefficient"]].copy()
    table["schedule"] = table["case"] // 100
    table["stand"] = table["case"] % 100
    table["force"] = predicted["Rolling_Force"]
    table["recovered_offset"] = recovered["OffsetYield"]
    table["recovered_friction"] = recovered["Friction"]
    return table


# Markers of the schedules side by side around each stand, so that equal values stay visible.
SIDE_BY_SIDE = {1: -0.15, 2: -0.05, 3: 0.05, 4: 0.15}


def draw(table, picture):
    """Three panels, each readable on its own: the force per stand of each schedule, then the offset yield
    stress and the friction recovered per stand against the values that went in. Returns the figure."""
    figure, (force, offset, friction) = plt.subplots(1, 3, figsize=(16, 5))
    for schedule, rows in table.groupby("schedule"):
        name = SCHEDULES[schedule]
        colour = force.plot(rows["stand"], rows["force"], marker="o", label=name)[0].get_color()
        beside = rows["stand"] + SIDE_BY_SIDE[schedule]
        offset.plot(rows["stand"], rows["Offset_yield_stress"], color=colour, linewidth=1, label=f"{name}: given")
        offset.plot(beside, rows["recovered_offset"], color=colour, marker="x", linestyle="none",
                    label=f"{name}: recovered")
        friction.plot(beside, rows["recovered_friction"], color=colour, marker="x", linestyle="none",
                      label=f"{name}: recovered")
    # The schedules share their friction stand by stand: one line of what went in serves them all.
    given = table.groupby("stand")["Friction_coefficient"]
    if (given.nunique() == 1).all():
        friction.plot(given.first().index, given.first(), color="black", linewidth=1,
                      label="given (every schedule)")
    else:
        for schedule, rows in table.groupby("schedule"):
            friction.plot(rows["stand"], rows["Friction_coefficient"], linewidth=1, label=f"{SCHEDULES[schedule]}: given")
    force.set(title="Predicted rolling force per stand", xlabel="stand", ylabel="rolling force (9.81 N/mm)")
    offset.set(title="Offset yield stress: given (line), recovered (x)", xlabel="stand",
               ylabel="offset yield stress (MPa)")
    friction.set(title="Friction coefficient: given (line), recovered (x)", xlabel="stand",
                 ylabel="friction coefficient")
    force.legend(title="schedule", fontsize="small")
    offset.legend(fontsize="x-small", ncol=2)
    friction.legend(fontsize="x-small")
    for axes in (force, offset, friction):
        axes.grid(True, alpha=0.3)
        axes.set_xticks(range(1, 8))
    figure.tight_layout()
    figure.savefig(picture, dpi=110)
    return figure


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument(
        "--out", default="schedule.png", help="the picture, or a folder for schedule.png (default: schedule.png here)"
    )
    picture = pathlib.Path(parser.parse_args().out)
    if picture.is_dir():
        picture = picture / "schedule.png"
    table = predict_and_recover()
    draw(table, picture)
    worst = (table["recovered_offset"] / table["Offset_yield_stress"] - 1).abs().max()
    print(f"{len(table)} passes; offset yield stress recovered within {100 * worst:.3f} %; picture: {picture}")


if __name__ == "__main__":
    main()
