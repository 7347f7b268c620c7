"""The synthetic mill of examples/mill_log replayed through rollbite.replay: the force errors of coils 101
to the end, frozen setup against adapted, per stand (mean and 95th percentile of their magnitude, the
wrong measurements that the truth file knows left out), and a picture of the errors coil by coil.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/replay.py [--out FOLDER]

The picture, replay.png, goes into FOLDER (default: the current folder); docs/ holds the one made with
--out docs. The same table of a fresh mill: generate one first (examples/mill_log/generate.py --out DIR)
and give --log DIR.
"""

import argparse
import pathlib

import matplotlib

matplotlib.use("Agg")  # no display needed

import numpy as np  # noqa: E402
import pandas as pd  # noqa: E402

import rollbite  # noqa: E402

MILL_LOG = pathlib.Path(__file__).resolve().parent.parent / "mill_log"


def errors_table(table, truth):
    """Markdown: per stand and over all, mean and 95th percentile of |force error|, frozen and adapted."""
    rows = table.merge(truth, on=["Coil", "Stand"])
    rows = rows[(rows.groupby("Stand").cumcount() >= 100) & (rows["Wrong_force"] == 0)]
    lines = ["| Stand | Frozen: mean | Frozen: 95 % | Adapted: mean | Adapted: 95 % |", "|---|---|---|---|---|"]
    for stand, group in list(rows.groupby("Stand")) + [("all", rows)]:
        frozen, adapted = group["Frozen_error"].abs(), group["Error"].abs()
        lines.append(
            f"| {stand} | {frozen.mean():.2f} % | {np.percentile(frozen, 95):.2f} % | {adapted.mean():.2f} % | "
            f"{np.percentile(adapted, 95):.2f} % |"
        )
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", type=pathlib.Path, default=pathlib.Path("."))
    parser.add_argument("--log", type=pathlib.Path, default=MILL_LOG)
    arguments = parser.parse_args()
    table, state = rollbite.replay(arguments.log / "tandem_log.txt", "smatch")
    truth = pd.read_csv(arguments.log / "tandem_truth.txt", sep="\t")
    print(errors_table(table, truth))
    rollbite.plot_replay(
        table,
        arguments.out / "replay.png",
        title="The synthetic tandem mill: force error per coil, frozen setup (grey) and adapted (blue)",
        overwrite=True,
    )


if __name__ == "__main__":
    main()
