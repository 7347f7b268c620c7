"""A synthetic tandem mill and its log, for rollbite replay: a mill whose truth the model does not know.

The five-stand tandem example (examples/schedules/tandem_smatch.txt: Smatch, 8 to 2 mm, heavy gauge
within the model's validity ranges) rolls coils in campaigns of product classes. Each class rolls harder
or softer than its nominal law by a true factor between -10 % and +15 %; each stand's true friction grows
with the wear of its work rolls, from 0.12 to about 0.17 over a roll campaign of some 100 coils, and drops
back at a roll change. The setup knows none of this: it sets every coil up with the nominal law and the
example's friction. The measured force and forward slip come from rollbite's own direct solves with the
true factor and friction, with noise (force 1 %, slip 0.1 percentage points) and, for 1 % of the coils and
stands, a wrong force (30 % off). The log holds only what a mill would know; the truth goes to a file of
its own, for the tests.

    PYTHONPATH=build/python /usr/bin/python3 examples/mill_log/generate.py [--seed 20261208] [--coils 640]
        [--drift 0.05] [--out examples/mill_log]

writes tandem_log.txt (the log) and tandem_truth.txt (coil, stand, true factor and friction, whether the
force is a wrong one). The committed files were made with the defaults.
"""

import argparse
import os
import pathlib

import numpy as np
import pandas as pd

import rollbite

HERE = pathlib.Path(__file__).resolve().parent
SCHEDULE = HERE.parent / "schedules" / "tandem_smatch.txt"
CLASSES = ["DC01", "DC04", "HSLA340", "S235"]
WIDTHS = {"DC01": 1000.0, "DC04": 1250.0, "HSLA340": 900.0, "S235": 1500.0}  # mm
FRESH_FRICTION = 0.12  # of new work rolls
FORCE_NOISE = 0.01  # relative standard deviation of a measured force
SLIP_NOISE = 0.1  # percentage points
WRONG_SHARE = 0.01  # of the measured forces, wrong by WRONG_BY
WRONG_BY = 0.30


def setup_passes():
    """The example schedule as set up: each stand's direct pass and its Smatch record."""
    stands, strip = rollbite.read_schedule(SCHEDULE)
    frame = rollbite.schedule(stands, strip)
    return frame.attrs["passes"], frame.attrs["coefficients"]


def campaigns(rng, coils):
    """The product class of every coil: campaigns of 15 to 60 coils, every class coming back."""
    order = []
    last = None
    while len(order) < coils:
        choice = rng.choice([name for name in CLASSES if name != last])
        order += [choice] * int(rng.integers(15, 61))
        last = choice
    return order[:coils]


def roll_changes(rng, coils, stands):
    """For every stand, the coils before which its work rolls are changed: campaigns of 80 to 130 coils."""
    changes = {}
    for stand in stands:
        start = int(rng.integers(0, 60))  # the mill's rolls were not all new when the log starts
        marks = set()
        at = int(rng.integers(80, 131)) - start
        while at < coils:
            marks.add(at)
            at += int(rng.integers(80, 131))
        changes[stand] = (start, marks)
    return changes


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=20261208)
    parser.add_argument("--coils", type=int, default=640)
    parser.add_argument("--drift", type=float, default=0.05, help="friction gained over 100 coils")
    parser.add_argument("--out", type=pathlib.Path, default=HERE)
    arguments = parser.parse_args()
    rng = np.random.default_rng(arguments.seed)
    passes, coefficients = setup_passes()
    stands = list(passes.index)
    factors = {name: float(rng.uniform(-0.10, 0.15)) for name in CLASSES}
    classes = campaigns(rng, arguments.coils)
    changes = roll_changes(rng, arguments.coils, stands)

    rows, truth = [], []
    age = {stand: changes[stand][0] for stand in stands}
    for coil in range(arguments.coils):
        name = f"C{coil + 1:05d}"
        grade = classes[coil]
        for stand in stands:
            change = coil in changes[stand][1]
            age[stand] = 0 if change else age[stand] + (coil > 0)
            friction = FRESH_FRICTION + arguments.drift * age[stand] / 100.0
            rows.append((name, grade, stand, change, friction))
    table = pd.DataFrame(rows, columns=["Coil", "Class", "Stand", "Roll_change", "True_friction"])
    table["True_factor"] = 1.0 + table["Class"].map(factors)
    setup = passes.loc[table["Stand"]].reset_index(drop=True)
    records = coefficients.loc[table["Stand"]].reset_index(drop=True)

    # The true passes: the law times the class's factor, the worn rolls' friction.
    true = setup.copy()
    true["case"] = np.arange(1, len(true) + 1)
    true["Friction_coefficient"] = table["True_friction"].to_numpy()
    true["Offset_yield_stress"] = setup["Offset_yield_stress"].to_numpy() * table["True_factor"].to_numpy()
    true_records = records.copy()
    for column in ("Coefficient_A", "Coefficient_B"):
        true_records[column] = records[column].to_numpy() * table["True_factor"].to_numpy()
    solved = rollbite.direct(true, "smatch", true_records.to_numpy())
    if (solved["Errors"] != "VOID").any():
        raise SystemExit("a true pass has no result: " + solved.loc[solved["Errors"] != "VOID", "reason"].iloc[0])

    width = table["Class"].map(WIDTHS).to_numpy()
    force = solved["Rolling_Force"].to_numpy() * 9.81 * width / 1000.0  # kN
    wrong = rng.random(len(table)) < WRONG_SHARE
    measured_force = force * (1.0 + rng.normal(0.0, FORCE_NOISE, len(table)))
    measured_force[wrong] = force[wrong] * (1.0 + WRONG_BY * rng.choice([-1.0, 1.0], wrong.sum()))
    measured_slip = solved["Forward_Slip"].to_numpy() + rng.normal(0.0, SLIP_NOISE, len(table))

    log = pd.DataFrame({"Coil": table["Coil"], "Class": table["Class"], "Stand": table["Stand"], "Width": width})
    for column in setup.columns[1:]:
        log[column] = setup[column].to_numpy()
    for column in records.columns:
        log[column] = records[column].to_numpy()
    log["Force"] = np.round(measured_force, 1)
    log["Forward_slip"] = np.round(measured_slip, 3)
    log["Roll_change"] = table["Roll_change"].astype(int)
    arguments.out.mkdir(parents=True, exist_ok=True)
    header = (
        f"# A synthetic five-stand tandem mill (examples/mill_log/generate.py --seed {arguments.seed} --coils "
        f"{arguments.coils} --drift {arguments.drift}): force in kN, forward slip in %.\n"
    )
    with open(arguments.out / "tandem_log.txt", "w") as file:
        file.write(header)
        log.rename(columns={"Force": "Force [kN]", "Forward_slip": "Forward_slip [%]", "Width": "Width [mm]"}).to_csv(
            file, sep="\t", index=False
        )
    truth = pd.DataFrame(
        {
            "Coil": table["Coil"],
            "Stand": table["Stand"],
            "True_factor": table["True_factor"],
            "True_friction": table["True_friction"],
            "Wrong_force": wrong.astype(int),
        }
    )
    truth.to_csv(arguments.out / "tandem_truth.txt", sep="\t", index=False)
    print(f"{arguments.coils} coils of {len(stands)} stands; class factors "
          + ", ".join(f"{name} {factor:+.3f}" for name, factor in factors.items()))


if __name__ == "__main__":
    main()
