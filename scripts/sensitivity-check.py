#!/usr/bin/python3
"""The larger checks of docs/sensitivities.md, on every example pass of the three rheologies:

1. Accuracy of the direct sensitivities: the values with half and twice the steps, and differences of whole
   solves over the solver's steps (rollbite.direct on the passes moved by them), against the values given.
2. The first order of the inverse uncertainty: each inverse example pass identified again from measurements
   perturbed by normal noise (DRAWS draws, a fixed seed), the spread of the pairs found against the
   propagated deviations, at two noise levels.

    PYTHONPATH=build/python /usr/bin/python3 scripts/sensitivity-check.py [DRAWS] [--figures docs/]

Prints markdown tables; with --figures, draws sensitivity-accuracy.png and sensitivity-montecarlo.png."""

import argparse
import pathlib
import sys

import numpy as np
import pandas as pd

import rollbite

EXAMPLES = pathlib.Path(__file__).resolve().parents[1] / "examples"
RHEOLOGIES = [("constant", None), ("smatch", "smatch"), ("ws18", "ws18")]
INPUTS = ["Entry_thickness", "Exit_thickness", "Entry_tension", "Exit_tension", "Working_roll_diameter",
          "Young_modulus_WR", "Offset_yield_stress", "Friction_coefficient"]
OUTPUTS = ["Rolling_Force", "Forward_Slip", "Rolling_Torque"]
# The solver's relative steps (DirectSensitivity): of the thickness, of the friction, of the other scales.
RELATIVE_STEP = {"Entry_thickness": 5e-4, "Exit_thickness": 5e-4, "Friction_coefficient": 1e-2}
# The solver's steps where the bite changes regime within the full one: a quarter of the last, three times.
STEP_FRACTIONS = (1.0, 0.25, 0.25**2, 0.25**3)
WHOLE_SOLVES = ("whole solves", "whole solves, one side", "whole solves, a shorter step")
NOISE = [(0.5, 0.1), (1.0, 0.2)]  # percent of the force, percentage points of slip


def example(rheology, mode):
    passes = rollbite.read_entry(EXAMPLES / f"{mode}_{rheology}_entry.txt", mode)
    name = {"smatch": f"smatch_{mode}.txt", "ws18": f"ws18_{mode}.txt"}.get(rheology)
    records = rollbite.read_coefficients(EXAMPLES / name, rheology) if name else None
    return passes, records


def regime(results):
    """The regime of each bite, as the solver tells it (BiteRegime): which sides stick, and the cells of the
    switch points and the neutral point when a switch point lies past the neutral point."""
    step = results["Alpha_Max"] / 500
    cell = lambda angle: np.ceil((results["Alpha_Max"] - angle) / step).clip(0, 500)
    entry = results["angle_Tresca_Bw"] != results["Neutral_Angle"]
    exit_ = results["angle_Tresca_Fw"] != results["Neutral_Angle"]
    neutral, entry_cell, exit_cell = cell(results["Neutral_Angle"]), cell(results["angle_Tresca_Bw"]), cell(results["angle_Tresca_Fw"])
    past = (entry & (entry_cell > neutral)) | (exit_ & (exit_cell < neutral))
    cells = neutral.astype(str) + "/" + entry_cell.astype(str) + "/" + exit_cell.astype(str)
    return entry.astype(str) + exit_.astype(str) + np.where(past, cells, "")


def scale_of(passes, results, name):
    if name in ("Entry_tension", "Exit_tension", "Offset_yield_stress"):
        return results["Sigma_Moy"]
    return passes[name].abs()


def sides(results):
    """Which sides of each bite stick, as the solver tells it (BiteRegime)."""
    return ((results["angle_Tresca_Bw"] != results["Neutral_Angle"]).astype(str) +
            (results["angle_Tresca_Fw"] != results["Neutral_Angle"]).astype(str))


def moved_by(passes, records, rheology, name, step, multiples):
    """Whole solves of the passes with `name` moved by each multiple of the step."""
    return {m: rollbite.direct(passes.assign(**{name: passes[name] + m * step}), rheology, records) for m in multiples}


def whole_solves(passes, records, rheology, results, name, step):
    """Differences of whole solves by `name` over the solver's step, as the solver holds its values to them:
    central where the four solves at -2h..2h stick on the same sides as the pass (whatever the cells of their
    points), else one-sided (h, 2h, 4h) on a side that does. Where neither does, sticking starts or stops
    within the step on both sides: then central over the largest quarter, sixteenth or sixty-fourth of the
    step whose two solves keep the regime of the pass, cells and all, as the solver's own shortened step.
    Returns the differences and, for each pass, how they were taken."""
    moved = moved_by(passes, records, rheology, name, step, (-4, -2, -1, 1, 2, 4))
    alike = {m: (frame["Errors"] == "VOID") & (sides(frame) == sides(results)) for m, frame in moved.items()}
    central = alike[-2] & alike[-1] & alike[1] & alike[2]
    above = ~central & alike[1] & alike[2] & alike[4]
    below = ~central & ~above & alike[-1] & alike[-2] & alike[-4]
    how = pd.Series(np.select([central, above | below], ["whole solves", "whole solves, one side"], ""),
                    index=passes.index)
    whole = pd.DataFrame(index=passes.index)
    for output in OUTPUTS:
        f = {m: frame[output] for m, frame in moved.items()}
        f[0] = results[output]
        one_sided = lambda s: (-3 * f[0] + 4 * f[s] - f[2 * s]) / (2 * s * step)
        whole[output] = np.select([central, above, below], [(f[1] - f[-1]) / (2 * step), one_sided(1), one_sided(-1)],
                                  np.nan)
    for fraction in STEP_FRACTIONS[1:]:
        near = moved_by(passes, records, rheology, name, fraction * step, (-1, 1))
        keeps = (how == "") & np.logical_and.reduce(
            [(frame["Errors"] == "VOID") & (regime(frame) == regime(results)) for frame in near.values()])
        for output in OUTPUTS:
            difference = (near[1][output] - near[-1][output]) / (2 * fraction * step)
            whole[output] = whole[output].where(~keeps, difference)
        how = how.where(~keeps, "whole solves, a shorter step")
    return whole, how


def accuracy(rheology):
    """Relative differences of each value given to the others: half and twice the steps, whole solves."""
    passes, records = example(rheology, "direct")
    results = rollbite.direct(passes, rheology, records)
    tables = {scale: rollbite.sensitivities(passes, rheology, records, step_scale=scale) for scale in (0.5, 1, 2)}
    given = tables[1]
    rows = []
    for name in INPUTS:
        scale = scale_of(passes, results, name)
        step = RELATIVE_STEP.get(name, 1e-3) * scale
        whole, how = whole_solves(passes, records, rheology, results, name, step)
        for output in OUTPUTS:
            column = f"d{output}/d{name}"
            value = given[column]
            negligible = 0.01 * results[output].abs() / scale  # the solver's threshold of a negligible value
            size = np.maximum(value.abs(), negligible)
            for label, other in (("half the steps", tables[0.5][column]), ("twice the steps", tables[2][column]),
                                 *((label, whole[output].where(how == label)) for label in WHOLE_SOLVES)):
                difference = ((value - other).abs() / size).where(value.notna() & other.notna())
                rows.extend({"rheology": rheology, "case": case, "value": column, "against": label, "difference": d}
                            for case, d in zip(passes["case"], difference) if np.isfinite(d))
            rows.extend({"rheology": rheology, "case": case, "value": column, "against": "given", "difference": np.nan}
                        for case, v in zip(passes["case"], value) if np.isnan(v) and case < 900)
    return pd.DataFrame(rows)


def markdown(frame, digits=3):
    """A frame as a markdown table, numbers with `digits` significant digits."""
    def cell(value):
        if isinstance(value, (float, np.floating)):
            return f"{value:.{digits}g}"
        return str(value)
    lines = ["| " + " | ".join(str(c) for c in frame.columns) + " |", "|" + "---|" * len(frame.columns)]
    lines += ["| " + " | ".join(cell(v) for v in row) + " |" for row in frame.itertuples(index=False)]
    return "\n".join(lines)


def robust_deviation(values):
    low, high = np.percentile(values, [25, 75])
    return (high - low) / 1.349


def monte_carlo(rheology, draws, force_percent, slip_sd, seed=20261207):
    passes, records = example(rheology, "inverse")
    table = rollbite.sensitivities(passes, rheology, records, mode="inverse", force_sd_percent=force_percent,
                                   slip_sd=slip_sd)
    random = np.random.default_rng(seed)
    rows = []
    for k in np.flatnonzero((table["Errors"] == "VOID").to_numpy()):
        row = table.iloc[k]
        if not np.isfinite(row["SD_Friction"]):
            continue
        noisy = pd.concat([passes.iloc[[k]]] * draws, ignore_index=True)
        noisy["Force"] = noisy["Force"] + row["Force_SD"] * random.standard_normal(draws)
        noisy["Slip"] = noisy["Slip"] + row["Slip_SD"] * random.standard_normal(draws)
        noisy_records = None if records is None else pd.concat([records.iloc[[k]]] * draws, ignore_index=True)
        found = rollbite.inverse(noisy, rheology, noisy_records)
        kept = found[(found["Errors"] == "VOID") & (found["Has_Converged"] == "YES")]
        rows.append({
            "rheology": rheology, "case": row["case"], "force SD %": force_percent, "slip SD": slip_sd,
            "condition": row["Condition_number"], "nonlinearity": row["Nonlinearity"],
            "flagged": not row["Trusted"], "kept": len(kept) / draws,
            "SD y": row["SD_OffsetYield"], "SD mu": row["SD_Friction"], "correlation": row["Correlation"],
            "robust y": robust_deviation(kept["OffsetYield"]) / row["SD_OffsetYield"],
            "robust mu": robust_deviation(kept["Friction"]) / row["SD_Friction"],
            "plain y": kept["OffsetYield"].std() / row["SD_OffsetYield"],
            "plain mu": kept["Friction"].std() / row["SD_Friction"],
            "MC correlation": kept["OffsetYield"].corr(kept["Friction"]),
        })
    return pd.DataFrame(rows)


def summary_of(carlo):
    """Passes within 15 % on both robust spreads, and within 0.1 in correlation: those whose first order
    holds (nonlinearity up to 1) and whose draws the search nearly all identified, those where it lost more
    than 5 % of them, and those beyond the first order."""
    carlo = carlo.assign(
        within=((carlo[["robust y", "robust mu"]] - 1).abs() <= 0.15).all(axis=1),
        correlated=(carlo["correlation"] - carlo["MC correlation"]).abs() <= 0.1,
        group=np.select([carlo["nonlinearity"] > 1.0, carlo["kept"] < 0.95],
                        ["beyond first order", "first order, over 5 % of draws lost"], "first order, draws kept"))
    rows = []
    for (group, rheology), part in carlo.groupby(["group", "rheology"]):
        rows.append({"passes": group, "rheology": rheology, "count": len(part),
                     "within 15 %": int(part["within"].sum()), "correlation within 0.1": int(part["correlated"].sum()),
                     "ratios from": min(part["robust y"].min(), part["robust mu"].min()),
                     "to": max(part["robust y"].max(), part["robust mu"].max())})
    return pd.DataFrame(rows)


def draw_accuracy(frame, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    figure, axes = plt.subplots(1, 3, figsize=(12, 3.6), sharey=True)
    bins = np.logspace(-8, -1, 50)
    for axis, against in zip(axes, ("half the steps", "twice the steps", "whole solves")):
        for rheology, _ in RHEOLOGIES:
            values = frame[frame["against"].str.startswith(against) & (frame["rheology"] == rheology)]["difference"]
            axis.hist(np.clip(values, 1e-8, 1e-1), bins=bins, histtype="step", label=rheology)
        axis.axvline(0.01, color="k", linestyle="--", linewidth=0.8)
        axis.set_xscale("log")
        axis.set_title(f"against {against}")
        axis.set_xlabel("relative difference")
    axes[0].set_ylabel("derivatives")
    axes[0].legend()
    figure.tight_layout()
    figure.savefig(path, dpi=110)


def draw_monte_carlo(frame, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    figure, axes = plt.subplots(1, 2, figsize=(10, 3.8), sharey=True)
    for axis, parameter, label in ((axes[0], "robust y", "offset yield stress"), (axes[1], "robust mu", "friction")):
        for rheology, marker in zip(("constant", "smatch", "ws18"), "os^"):
            part = frame[frame["rheology"] == rheology]
            axis.scatter(part["nonlinearity"], part[parameter], marker=marker, label=rheology, alpha=0.7)
        axis.axhspan(0.85, 1.15, color="0.9")
        axis.axvline(1.0, color="k", linestyle="--", linewidth=0.8)
        axis.set_xscale("log")
        axis.set_xlabel("nonlinearity (measurement SDs)")
        axis.set_title(f"spread of the {label} found / propagated")
    axes[0].set_ylabel("ratio")
    axes[0].legend()
    figure.tight_layout()
    figure.savefig(path, dpi=110)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("draws", nargs="?", type=int, default=400)
    parser.add_argument("--figures", type=pathlib.Path)
    arguments = parser.parse_args()

    differences = pd.concat([accuracy(rheology) for rheology, _ in RHEOLOGIES], ignore_index=True)
    print("## Direct sensitivities: relative difference of each value given\n")
    summary = differences[differences["against"] != "given"].groupby(["rheology", "against"])["difference"]
    table = pd.DataFrame({"values": summary.size(), "median": summary.median(), "95 %": summary.quantile(0.95),
                          "largest": summary.max(), "above 1 %": summary.apply(lambda d: int((d > 0.01).sum()))})
    print(markdown(table.reset_index(), 2))
    missing = differences[differences["against"] == "given"].groupby("rheology").size()
    print("\nValues not given (NaN):", missing.to_dict(), "of", 24 * 28, "per rheology\n")

    frames = [monte_carlo(rheology, arguments.draws, force, slip) for rheology, _ in RHEOLOGIES for force, slip in NOISE]
    carlo = pd.concat(frames, ignore_index=True)
    print(f"## Inverse uncertainty: {arguments.draws} noisy identifications per pass\n")
    shown = carlo[["rheology", "case", "force SD %", "slip SD", "condition", "nonlinearity", "flagged", "kept",
                   "robust y", "robust mu", "plain y", "plain mu", "correlation", "MC correlation"]]
    print(markdown(shown))
    print("\n" + markdown(summary_of(carlo)))
    if arguments.figures:
        draw_accuracy(differences[differences["against"] != "given"], arguments.figures / "sensitivity-accuracy.png")
        draw_monte_carlo(carlo, arguments.figures / "sensitivity-montecarlo.png")
    return 0


if __name__ == "__main__":
    sys.exit(main())
