"""A mill that learns: the example log of a synthetic mill (examples/mill_log) and a fresh one of another
seed and drift meet the figures of docs/learning.md; a replay resumed from its state is the whole replay."""

import pathlib
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

import rollbite

SOURCE = pathlib.Path(__file__).resolve().parents[2]
MILL_LOG = SOURCE / "examples" / "mill_log"


def figures(table, truth):
    """The figures of a replay against the truth the log does not hold; wrong measurements (the truth
    knows them) are left out of the errors, as a mill's screened ones."""
    rows = table.merge(truth, on=["Coil", "Stand"])
    rows["order"] = rows.groupby("Stand").cumcount()
    good = rows[rows["Wrong_force"] == 0]
    late = good[good["order"] >= 100]
    seen, returning = set(), []
    for row in rows.itertuples():
        if row.First_of_class and (row.Class, row.Stand) in seen and not row.Wrong_force:
            returning.append(abs(row.Error))
        seen.add((row.Class, row.Stand))
    back_within, friction_off = [], []
    for _, stand in rows.groupby("Stand"):
        stand = stand.reset_index(drop=True)
        for change in np.flatnonzero(stand["Roll_change"].to_numpy()):
            window = stand.iloc[change : change + 5]
            if not window["First_of_class"].iloc[1:].any():  # a new class would mix its own error in
                back_within.append(bool((window.loc[window["Wrong_force"] == 0, "Error"].abs() < 2.0).any()))
        since = np.nan
        for row in stand.itertuples():
            since = 0 if row.Roll_change else since + 1
            if since >= 10:
                friction_off.append(abs(row.Friction - row.True_friction))
    return {
        "adapted": late["Error"].abs().mean(),
        "frozen": late["Frozen_error"].abs().mean(),
        "returning_mean": np.mean(returning),
        "back_after_roll_changes": np.mean(back_within),
        "friction_within_0.01": np.mean(np.asarray(friction_off) <= 0.01),
        "friction_mean_off": np.mean(friction_off),
        "wrong_screened": rows.loc[rows["Wrong_force"] == 1, "Screened"].str.contains("beyond the screen").mean(),
    }


def expect_the_figures(found):
    assert found["adapted"] <= 2.0 and found["adapted"] <= found["frozen"] / 3.0, found
    assert found["returning_mean"] <= 3.0, found
    assert found["back_after_roll_changes"] == 1.0, found
    assert found["friction_within_0.01"] >= 0.98 and found["friction_mean_off"] <= 0.005, found
    assert found["wrong_screened"] >= 0.9, found


def test_the_example_mill_learns_what_its_setup_does_not_know():
    table, _ = rollbite.replay(MILL_LOG / "tandem_log.txt", "smatch")
    expect_the_figures(figures(table, pd.read_csv(MILL_LOG / "tandem_truth.txt", sep="\t")))


def test_a_fresh_mill_of_another_seed_and_drift_learns_as_well(tmp_path):
    subprocess.run(
        [sys.executable, str(MILL_LOG / "generate.py"), "--seed", "7", "--drift", "0.06", "--out", str(tmp_path)],
        check=True,
        capture_output=True,
    )
    table, _ = rollbite.replay(tmp_path / "tandem_log.txt", "smatch")
    expect_the_figures(figures(table, pd.read_csv(tmp_path / "tandem_truth.txt", sep="\t")))


def test_a_replay_resumed_from_its_state_is_the_whole_replay_on_any_threads(tmp_path):
    log = pd.read_csv(MILL_LOG / "tandem_log.txt", sep="\t", comment="#")
    whole, state = rollbite.replay(log, "smatch", threads=2)
    first, middle = rollbite.replay(log.iloc[:600], "smatch", threads=1)
    rest, end = rollbite.replay(log.iloc[600:], "smatch", state=middle, threads=3)
    pd.testing.assert_frame_equal(pd.concat([first, rest], ignore_index=True), whole)
    pd.testing.assert_frame_equal(end, state)
    figure = rollbite.plot_replay(whole, tmp_path / "replay.png")
    assert len(figure.axes) == 5 and (tmp_path / "replay.png").read_bytes().startswith(b"\x89PNG")
    wrong = log.assign(Force=["heavy"] + list(log["Force [kN]"].iloc[1:])).drop(columns="Force [kN]")
    with pytest.raises(ValueError, match="row labelled 'C1': coil C00001, stand S1: Force 'heavy' is not a number"):
        rollbite.replay(wrong.set_axis(["C1"] + list(wrong.index[1:])))


def test_a_replay_takes_its_table_and_state_back_from_their_files(tmp_path):
    log = pd.read_csv(MILL_LOG / "tandem_log.txt", sep="\t", comment="#", nrows=200)
    table, state = rollbite.replay(log, "smatch", class_key="Class", threads=1)
    table.to_csv(tmp_path / "replay.tsv", sep="\t", index=False)
    state.to_csv(tmp_path / "state.csv", index=False)
    read = pd.read_csv(tmp_path / "state.csv", dtype={"Class": str}, keep_default_na=False, na_values={"Friction": [""]})
    again, later = rollbite.replay(log, "smatch", state=read, threads=1)
    assert later.attrs.get("rheology") == "smatch" and len(again) == len(table)
    figure = rollbite.plot_replay(pd.read_csv(tmp_path / "replay.tsv", sep="\t"))
    assert len(figure.axes) == 5
    with pytest.raises(ValueError, match="learnt with --rheology smatch, not --rheology constant"):
        rollbite.replay(log, "constant", state=state)
    for screen in (0, -5, float("nan"), "20"):
        with pytest.raises(ValueError, match="screen must be a positive percentage"):
            rollbite.replay(log, "smatch", screen=screen)


def test_the_docs_list_every_column_of_the_table_with_its_unit():
    text = (SOURCE / "docs" / "learning.md").read_text()
    for name, unit in rollbite.REPLAY_COLUMNS.items():
        assert f"| `{name}` | {unit} |" in text, name
