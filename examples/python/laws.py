"""The two example mills with flow-stress laws (docs/laws.md) through rollbite.schedule, and a picture of
each: the cold tandem mill with Swift's law, each stand starting on the law at the strain the strip brings
in; the hot finishing mill with Misaka's law, each stand at its own temperatures.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/laws.py [--out FOLDER]

The pictures, laws-tandem-swift.png and laws-hot-misaka.png, go into FOLDER (default: the current
folder); docs/ holds the ones made with --out docs.
"""

import argparse
import math
import pathlib

import matplotlib

matplotlib.use("Agg")  # no display needed
from matplotlib.figure import Figure  # noqa: E402
import numpy as np  # noqa: E402

import rollbite  # noqa: E402
from rollbite import laws  # noqa: E402

SCHEDULES = pathlib.Path(__file__).resolve().parent.parent / "schedules"


def strain(entry, thickness):
    """The plane-strain equivalent strain from `entry` down to `thickness` (mm)."""
    return 2.0 / math.sqrt(3.0) * np.log(entry / np.asarray(thickness, dtype=float))


def tandem(folder):
    stands, strip = rollbite.read_schedule(SCHEDULES / "tandem_swift.txt")
    mill = rollbite.schedule(stands, strip)
    rows = mill.attrs["rows"]
    parameters = {name: strip[name] for name in ("K", "eps0", "n")}
    strains_in = strain(strip["Entry_thickness"], mill["Entry_thickness"])
    strains_out = strain(strip["Entry_thickness"], mill["Exit_thickness"])
    figure = Figure(figsize=(12, 4.5))
    curve, forces = figure.subplots(1, 2)
    along = np.linspace(0.0, strains_out.max() * 1.05, 200)
    curve.plot(along, laws.flow_stress("swift", parameters, along), color="0.5", label="Swift's law")
    curve.plot(strains_in, rows["Sigma_Ini"], "o", color="C0", label="each stand's entry")
    curve.plot(strains_out, rows["Sigma_Out"], "s", color="C3", label="each stand's exit")
    for name, x, y in zip(mill.index, strains_in, rows["Sigma_Ini"]):
        curve.annotate(name, (x, y), textcoords="offset points", xytext=(-12, 8))
    curve.set_xlabel("total equivalent strain since S1's entry")
    curve.set_ylabel("flow stress (MPa)")
    curve.legend(loc="lower right")
    forces.bar(mill.index, mill["Force"], color="C0")
    forces.set_ylabel("rolling force (kN)")
    figure.suptitle("Five-stand tandem mill, Swift's law carrying the strain from stand to stand, 8 to 2 mm")
    figure.tight_layout()
    picture = folder / "laws-tandem-swift.png"
    figure.savefig(picture)
    return mill, rows, picture


def hot(folder):
    stands, strip = rollbite.read_schedule(SCHEDULES / "hot_finishing_misaka.txt")
    mill = rollbite.schedule(stands, strip)
    figure = Figure(figsize=(12, 4.5))
    temperatures, forces = figure.subplots(1, 2)
    positions = np.arange(len(mill))
    temperatures.plot(positions, mill["TemperatureIn"], "o-", color="C3", label="entry temperature")
    temperatures.plot(positions, mill["TemperatureOut"], "s--", color="C1", label="exit temperature")
    temperatures.set_ylabel("temperature (C)")
    stress = temperatures.twinx()
    stress.plot(positions, mill["Sigma_Moy"], "^-", color="C0", label="mean flow stress")
    stress.set_ylabel("mean flow stress (MPa)")
    temperatures.set_xticks(positions, mill.index)
    temperatures.legend(loc="upper center")
    stress.legend(loc="lower right")
    forces.bar(mill.index, mill["Force"], color="C0")
    forces.set_ylabel("rolling force (kN)")
    figure.suptitle("Five-stand hot finishing mill, Misaka's law (0.05 % C), 12 to 2.4 mm")
    figure.tight_layout()
    picture = folder / "laws-hot-misaka.png"
    figure.savefig(picture)
    return mill, picture


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", default=".", help="folder of the pictures (default: the current folder)")
    folder = pathlib.Path(parser.parse_args().out)
    mill, rows, picture = tandem(folder)
    print("| Stand | strain in | Sigma_Ini (MPa) | Swift at the strain in (MPa) | force (kN) |\n|---|---|---|---|---|")
    _, strip = rollbite.read_schedule(SCHEDULES / "tandem_swift.txt")
    strains_in = strain(strip["Entry_thickness"], mill["Entry_thickness"])
    law = laws.flow_stress("swift", {name: strip[name] for name in ("K", "eps0", "n")}, strains_in)
    for name, eps, first, expected, force in zip(mill.index, strains_in, rows["Sigma_Ini"], law, mill["Force"]):
        print(f"| {name} | {eps:.4f} | {first:.3f} | {expected:.3f} | {force:.0f} |")
    print(f"\npicture: {picture}\n")
    mill, picture = hot(folder)
    print("| Stand | T in, out (C) | Sigma_Moy (MPa) | force (kN) |\n|---|---|---|---|")
    for name, row in mill.iterrows():
        print(f"| {name} | {row['TemperatureIn']:.0f}, {row['TemperatureOut']:.0f} | {row['Sigma_Moy']:.1f} | "
              f"{row['Force']:.0f} |")
    print(f"\npicture: {picture}")


if __name__ == "__main__":
    main()
