"""rollbite.sensitivities: the sensitivity table of passes as a data frame with their index."""

import pathlib

import numpy as np
import pandas as pd
import pytest

import rollbite

EXAMPLES = pathlib.Path(__file__).resolve().parents[2] / "examples"


@pytest.fixture(scope="module")
def direct_passes():
    passes = rollbite.read_entry(EXAMPLES / "direct_constant_entry.txt", "direct")
    passes.index = [f"stand {k}" for k in range(len(passes))]
    return passes


def test_direct_sensitivities_keep_the_index_and_give_the_plasticity_per_strip_width(direct_passes):
    widths = np.linspace(1000.0, 2000.0, len(direct_passes))
    table = rollbite.sensitivities(direct_passes, width=widths, threads=2)
    assert table.index.equals(direct_passes.index)
    assert list(table.columns) == list(rollbite.SENSITIVITY_COLUMNS["direct"]["name"])
    sound = table["Errors"] == "VOID"
    assert (table.loc[sound, "Plasticity"] > 0).all()
    assert np.allclose(table["Plasticity"], -table["dRolling_Force/dExit_thickness"], equal_nan=True)
    assert np.allclose(table["Plasticity(kN/mm/mm)"], table["Plasticity"] * 9.81e-3, equal_nan=True)
    assert np.allclose(table["Plasticity(MN/mm)"], table["Plasticity(kN/mm/mm)"] * widths / 1000, equal_nan=True)
    assert table.loc[~sound, "dForward_Slip/dFriction_coefficient"].isna().all()
    assert (table.loc[~sound, "reason"] == "the pass has no result").all()


def test_without_a_width_there_is_no_plasticity_of_the_strip(direct_passes):
    table = rollbite.sensitivities(direct_passes.head(3))
    assert "Plasticity(MN/mm)" not in table.columns
    assert table["case"].tolist() == [101, 102, 103]


def test_inverse_deviations_follow_the_measurements_and_the_second_pair_is_given():
    passes = rollbite.read_entry(EXAMPLES / "inverse_ws18_entry.txt", "inverse").set_index("case", drop=False)
    steel = rollbite.read_coefficients(EXAMPLES / "ws18_inverse.txt", "ws18").set_index(passes.index)
    once = rollbite.sensitivities(passes, "ws18", steel, mode="inverse")
    twice = rollbite.sensitivities(passes, "ws18", steel, mode="inverse", force_sd_percent=2.0, slip_sd=0.4)
    assert np.allclose(twice["SD_Friction"], 2 * once["SD_Friction"], equal_nan=True)
    assert np.allclose(twice["Force_SD"], 0.02 * passes["Force"].where(once["Errors"] == "VOID"), equal_nan=True)
    for case in (1406, 1407):
        row = once.loc[case]
        assert not row["Trusted"] and row["Negative_Offset"] and row["Friction_At_Bound"]
        assert row["Second_Nearer_Start"] and 0.15 < row["Second_Friction"] < 0.3
        assert "a second pair reproduces the measurement" in row["reason"]


@pytest.mark.parametrize(
    "arguments",
    [
        {"force_sd": 10.0},  # a direct pass has no measurement
        {"mode": "inverse", "force_sd": 10.0, "force_sd_percent": 1.0},
        {"mode": "inverse", "slip_sd": -0.1},
        {"mode": "inverse", "width": 1500.0},
        {"width": [1500.0, 1600.0]},
        {"width": 0.0},
        {"mode": "inverse", "force_sd_percent": 1e200},
        {"mode": "inverse", "slip_sd": 1e308},
    ],
)
def test_bad_options_are_refused_by_name(direct_passes, arguments):
    passes = direct_passes.head(3)
    if arguments.get("mode") == "inverse":
        passes = rollbite.read_entry(EXAMPLES / "inverse_constant_entry.txt", "inverse").head(3)
    with pytest.raises(ValueError):
        rollbite.sensitivities(passes, **arguments)
