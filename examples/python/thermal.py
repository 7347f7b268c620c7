"""The seven-stand hot finishing mill with its temperatures from the thermal chain (docs/thermal.md):
the strip's temperature along the mill as set and with its power shared evenly, the change of each stand's
temperature by cause, and the forces against the same mill with its temperatures set by hand.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/thermal.py [--out FOLDER]

The picture, thermal-hot-ws18.png, goes into FOLDER (default: the current folder); docs/ holds the one
made with --out docs.
"""

import argparse
import pathlib

import matplotlib

matplotlib.use("Agg")  # no display needed

import rollbite  # noqa: E402

SCHEDULES = pathlib.Path(__file__).resolve().parent.parent / "schedules"
CAUSES = ["Radiation_change", "Convection_change", "Sprays_change", "Roll_contact_change", "Deformation_change"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=".", help="the folder of the picture")
    folder = pathlib.Path(parser.parse_args().out)
    stands, strip = rollbite.read_schedule(SCHEDULES / "hot_finishing_ws18_thermal.txt")
    as_set = rollbite.schedule(stands, strip)
    shared = rollbite.schedule(stands, strip, distribute="power")
    print("The change of each stand's temperature by cause, C (on the way from the stand before and in its bite):")
    print(as_set[["TemperatureIn", "TemperatureOut", "Interstand_time"] + CAUSES].round(2).to_string())
    by_hand = rollbite.schedule(*rollbite.read_schedule(SCHEDULES / "hot_finishing_ws18.txt"))
    print("\nForces (kN): temperatures set by hand against the thermal chain's:")
    forces = by_hand[["TemperatureIn", "TemperatureOut", "Force"]].join(
        as_set[["TemperatureIn", "TemperatureOut", "Force"]], rsuffix="_chain")
    forces["change_%"] = (forces["Force_chain"] / forces["Force"] - 1) * 100
    print(forces.round(1).to_string())
    print(f"\nThe strip leaves F7 at {as_set.attrs['exit_temperature']:.0f} C as set, "
          f"{shared.attrs['exit_temperature']:.0f} C with its power shared evenly.")
    rollbite.plot_temperatures({"as set": as_set, "power shared evenly": shared},
                               path=folder / "thermal-hot-ws18.png", overwrite=True,
                               title="Seven-stand finishing mill: the strip from 1085 C at its entry measurement")


if __name__ == "__main__":
    main()
