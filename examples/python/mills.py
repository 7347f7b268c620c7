"""The two example mills of examples/schedules through rollbite.schedule: each as set, then with its load
distributed by force and by power; a table of the schedules before and after, and a picture of each
mill's force, power and reduction per stand.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/mills.py [--out FOLDER]

The pictures, schedule-hot-finishing.png and schedule-tandem.png, go into FOLDER (default: the current
folder); docs/ holds the ones made with --out docs.
"""

import argparse
import pathlib

import matplotlib

matplotlib.use("Agg")  # no display needed

import rollbite  # noqa: E402

SCHEDULES = pathlib.Path(__file__).resolve().parent.parent / "schedules"
MILLS = {
    "hot-finishing": ("hot_finishing_ws18.txt", "Seven-stand hot finishing mill, WS18, 40 to 4.4 mm"),
    "tandem": ("tandem_smatch.txt", "Five-stand tandem mill, Smatch, 8 to 2 mm"),
}


def before_and_after(file):
    """The mill as set and distributed by force and by power: label -> frame."""
    stands, strip = rollbite.read_schedule(SCHEDULES / file)
    return {
        "as set": rollbite.schedule(stands, strip),
        "by force": rollbite.schedule(stands, strip, distribute="force"),
        "by power": rollbite.schedule(stands, strip, distribute="power"),
    }


def table(schedules):
    """A Markdown table: exit thickness, force share and power share of every stand in each schedule."""
    labels = list(schedules)
    header = "| Stand | " + " | ".join(f"{label}: h_out (mm), force, power (% of limit)" for label in labels) + " |"
    lines = [header, "|---" * (len(labels) + 1) + "|"]
    for stand in schedules[labels[0]].index:
        cells = []
        for label in labels:
            row = schedules[label].loc[stand]
            cells.append(f"{row['Exit_thickness']:.3f}, {row['Force_share']:.1f}, {row['Power_share']:.1f}")
        lines.append(f"| {stand} | " + " | ".join(cells) + " |")
    totals = []
    for label in labels:
        attrs = schedules[label].attrs
        solved = attrs["distribution"]
        detail = f"{attrs['solves']} passes" if solved is None else (
            f"spread {solved['spread']:.3f} %, {solved['solves']} passes, {solved['marches']} marches")
        totals.append(f"{attrs['totals']['Power']:.0f} kW, {attrs['totals']['Specific_energy']:.2f} kWh/t; {detail}")
    lines.append("| Total | " + " | ".join(totals) + " |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", default=".", help="folder of the pictures (default: the current folder)")
    folder = pathlib.Path(parser.parse_args().out)
    for name, (file, title) in MILLS.items():
        schedules = before_and_after(file)
        picture = folder / f"schedule-{name}.png"
        rollbite.plot_schedule(schedules, picture, title=title)
        print(f"{title}\n\n{table(schedules)}\n\npicture: {picture}\n")


if __name__ == "__main__":
    main()
