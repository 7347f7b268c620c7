"""Schedules from Python: every stand is the pass rollbite.direct solves, to the last bit; the frame's
columns come from the table the command line writes; a distribution meets its target or raises naming the
binding stand and limit; wrong input raises naming stand and field; the example draws its pictures."""

import os
import pathlib
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

import rollbite

SOURCE = pathlib.Path(__file__).resolve().parents[2]
SCHEDULES = SOURCE / "examples" / "schedules"
EXAMPLES = ["hot_finishing_ws18.txt", "tandem_smatch.txt"]
LAW_EXAMPLES = ["tandem_swift.txt", "hot_finishing_misaka.txt"]
sys.path.insert(0, str(SOURCE / "examples" / "python"))


def load(name):
    return rollbite.read_schedule(SCHEDULES / name)


# Misaka's mill cannot share its force evenly: its first stand would roll below the law's strain rates.
@pytest.mark.parametrize("name, distribute", [
    (name, distribute) for name in EXAMPLES + LAW_EXAMPLES for distribute in (None, "force", "power")
    if (name, distribute) != ("hot_finishing_misaka.txt", "force")
])
def test_every_stand_is_the_pass_direct_solves(name, distribute):
    stands, strip = load(name)
    frame = rollbite.schedule(stands, strip, distribute=distribute)
    if "Law" in strip:
        rows = rollbite.direct(frame.attrs["passes"], law=strip["Law"], coefficients=frame.attrs["coefficients"])
    else:
        rows = rollbite.direct(frame.attrs["passes"], frame.attrs["rheology"], frame.attrs["coefficients"])
    assert (rows["Errors"] == "VOID").all()
    for column in frame.attrs["rows"].columns:
        assert np.array_equal(rows[column].to_numpy(), frame.attrs["rows"][column].to_numpy()), column
    # The chain: each stand enters at the thickness and tension the one before it left.
    passes = frame.attrs["passes"]
    assert np.array_equal(passes["Entry_thickness"].to_numpy()[1:], passes["Exit_thickness"].to_numpy()[:-1])
    assert np.array_equal(passes["Entry_tension"].to_numpy()[1:], passes["Exit_tension"].to_numpy()[:-1])
    assert passes["Entry_thickness"].iloc[0] == strip["Entry_thickness"]


@pytest.mark.parametrize("name", EXAMPLES)
def test_the_frame_holds_what_the_command_line_writes(name, tmp_path):
    stands, strip = load(name)
    frame = rollbite.schedule(stands, strip)
    assert list(frame.columns) == list(rollbite.SCHEDULE_COLUMNS)
    binary = pathlib.Path(rollbite.__file__).resolve().parents[1].parent / "src" / "rollbite"
    table = tmp_path / "table.tsv"
    subprocess.run([str(binary), "schedule", str(SCHEDULES / name), "--out", str(table)], check=True,
                   capture_output=True)
    written = pd.read_csv(table, sep="\t", index_col="Stand", float_precision="round_trip")
    assert list(written.columns) == list(frame.columns)
    # Every number of every stand, read back to the same double; the last row holds the totals.
    pd.testing.assert_frame_equal(written.iloc[:-1], frame, check_exact=True, check_names=False)
    totals = written.loc["Total"]
    assert totals["Force"] == frame.attrs["totals"]["Force"]
    assert totals["Power"] == frame.attrs["totals"]["Power"]


def test_a_distribution_by_force_shares_every_limit_alike():
    stands, strip = load("tandem_smatch.txt")
    frame = rollbite.schedule(stands, strip, distribute="force")
    shares = frame["Force"] / stands["Force_limit"] * 100
    distribution = frame.attrs["distribution"]
    assert (abs(shares / distribution["share"] - 1) * 100 <= 0.5).all()
    assert distribution["spread"] == pytest.approx((abs(shares / distribution["share"] - 1) * 100).max())
    assert frame["Exit_thickness"].iloc[-1] == stands["Exit_thickness"].iloc[-1]
    assert distribution["solves"] == frame.attrs["solves"] > 0


def test_mass_flow_holds_in_every_stand():
    stands, strip = load("hot_finishing_ws18.txt")
    frame = rollbite.schedule(stands, strip)
    flow = frame["Roll_surface_speed"] * (1 + frame.attrs["rows"]["Forward_Slip"] / 100) * frame["Exit_thickness"]
    assert np.allclose(flow, strip["Exit_speed"] * stands["Exit_thickness"].iloc[-1], rtol=1e-8)
    assert np.allclose(frame["Power"], frame["Torque"] * frame["Roll_speed"] * 2 * np.pi / 60, rtol=1e-9)


def test_a_target_that_cannot_be_met_names_the_binding_stand_and_limit():
    stands, strip = load("tandem_smatch.txt")
    stands = stands.assign(Torque_limit=[400, 350, 300, 100, 200])
    with pytest.raises(ValueError, match="stand S4: its torque would take .* of its Torque_limit"):
        rollbite.schedule(stands, strip, distribute="force")


@pytest.mark.parametrize(
    "change, message",
    [
        (lambda stands, strip: strip.pop("Width"), "the strip's Width is missing"),
        (lambda stands, strip: strip.update(Widht=1000), r"'Widht' is no field of the strip \(is 'Width' meant\?\)"),
        (lambda stands, strip: stands.loc.__setitem__(("S3", "Friction_coefficient"), np.nan),
         "stand S3: Friction_coefficient is missing"),
        (lambda stands, strip: stands.loc.__setitem__(("S5", "Exit_thickness"), np.nan),
         "stand S5: Exit_thickness is missing"),
        (lambda stands, strip: stands.loc.__setitem__(("S2", "Friction_coefficient"), 1.5),
         "stand S2: its pass is INPUTS: Friction_coefficient"),
        (lambda stands, strip: strip.update(C=0.05), "the strip's C is no field of a smatch schedule"),
        (lambda stands, strip: strip.update(Width=1e308), r"Width 1e\+308 is not in \[100, 5000\] mm"),
        (lambda stands, strip: stands.rename(index={"S4": "S2"}, inplace=True),
         "stand S2: stands 2 and 4 of the mill both have this name"),
        (lambda stands, strip: stands.__setitem__("Force_limit", np.inf), "Force_limit inf must be a positive number"),
        (lambda stands, strip: stands.rename(index={"S2": np.nan}, inplace=True),
         "every stand needs a name: stand 2 of the mill has none"),
    ],
)
def test_wrong_input_raises_naming_stand_and_field(change, message):
    stands, strip = load("tandem_smatch.txt")
    change(stands, strip)
    with pytest.raises(ValueError, match=message):
        rollbite.schedule(stands, strip)


def test_an_unmet_target_carries_the_best_schedule_reached_and_loads_over_limits_are_told():
    stands, strip = load("tandem_smatch.txt")
    with pytest.raises(ValueError) as raised:
        rollbite.schedule(stands.assign(Torque_limit=[400, 350, 300, 100, 200]), strip, distribute="force")
    best = raised.value.schedule
    assert best["Torque_share"]["S4"] > 100 and best.attrs["distribution"]["spread"] < 0.5
    with pytest.warns(UserWarning, match="stand S5 is above its limit: power"):
        frame = rollbite.schedule(stands.assign(Power_limit=5000.0), strip)
    assert list(frame.attrs["over_limits"]) == ["S4", "S5"]
    with pytest.raises(TypeError, match="strip must be a mapping"):
        rollbite.schedule(stands, None)
    assert rollbite.schedule(stands, strip, distribute="FORCE").attrs["distribution"]["target"] == "force"


def test_a_misspelt_column_is_refused_with_a_hint():
    stands, strip = load("tandem_smatch.txt")
    with pytest.raises(ValueError, match="'Force_limt' .*is 'Force_limit' meant"):
        rollbite.schedule(stands.rename(columns={"Force_limit": "Force_limt"}), strip)


def test_a_schedule_file_with_mistakes_names_every_one(tmp_path):
    text = (SCHEDULES / "tandem_smatch.txt").read_text()
    text = text.replace("Width\t1000", "Width\tabc").replace("S2\t560", "S2\t5x0")
    path = tmp_path / "mill.txt"
    path.write_text(text)
    with pytest.raises(ValueError) as raised:
        rollbite.read_schedule(path)
    assert "the strip's Width 'abc' is not a number" in str(raised.value)
    assert "stand S2: Working_roll_diameter '5x0' is not a number" in str(raised.value)


def test_the_mills_example_draws_its_pictures(tmp_path):
    import mills

    schedules = mills.before_and_after("tandem_smatch.txt")
    assert list(schedules) == ["as set", "by force", "by power"]
    table = mills.table(schedules)
    assert table.count("\n| S") == 5
    figure = rollbite.plot_schedule(schedules, tmp_path / "tandem.png", title="tandem")
    assert len(figure.axes) == 4
    assert (tmp_path / "tandem.png").stat().st_size > 10000
    # Drawn again over its earlier picture, but never over data, unless asked, and never leaving a piece.
    rollbite.plot_schedule(schedules, tmp_path / "tandem.png")
    mill = tmp_path / "mill.png"
    mill.write_text("Stand Exit_thickness\n")
    with pytest.raises(ValueError, match="holds other data .*overwrite=True"):
        rollbite.plot_schedule(schedules, mill)
    assert mill.read_text() == "Stand Exit_thickness\n"
    rollbite.plot_schedule(schedules, mill, overwrite=True)
    assert sorted(path.name for path in tmp_path.iterdir()) == ["mill.png", "tandem.png"]


def test_a_picture_is_written_whole_by_the_rules_of_every_front_end(tmp_path):
    import matplotlib.pyplot as plt

    figures = plt.get_fignums()
    stands, strip = load("tandem_smatch.txt")
    frame = rollbite.schedule(stands, strip)
    figure = rollbite.plot_schedule(frame, tmp_path / "mill")  # no extension: a PNG
    assert [text.get_text() for text in figure.legends[0].texts] == ["the schedule", "the stand's limit"]
    for name in ("mill.pdf", "mill.jpg", "mill.pdf"):  # a second picture replaces the first
        rollbite.plot_schedule(frame, tmp_path / name)
    assert (tmp_path / "mill").read_bytes().startswith(b"\x89PNG")
    assert sorted(path.name for path in tmp_path.iterdir()) == ["mill", "mill.jpg", "mill.pdf"]
    assert (tmp_path / "mill.pdf").stat().st_mode & 0o777 == 0o666 & ~current_umask()
    with pytest.raises(OSError, match="No space left on device"):
        rollbite.plot_schedule(frame, "/dev/full")
    with pytest.raises(ValueError, match="a schedule's frame"):
        rollbite.plot_schedule({})
    assert plt.get_fignums() == figures  # no call leaves a figure open


def current_umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


def test_the_docs_list_every_field_and_column_with_its_unit():
    text = (SOURCE / "docs" / "schedules.md").read_text()
    for fields in (rollbite.STRIP_FIELDS, rollbite.STAND_FIELDS):
        for name, (unit, required) in fields.items():
            assert f"| `{name}` | {unit} | {', '.join(required) or 'optional'} |" in text, name
    for name, unit in rollbite.SCHEDULE_COLUMNS.items():
        assert f"| `{name}` | {unit} |" in text, name


def test_a_hot_mill_from_one_entry_temperature_has_its_temperatures_chained_and_drawn(tmp_path):
    stands, strip = load("hot_finishing_ws18_thermal.txt")
    assert "TemperatureIn" not in stands or stands["TemperatureIn"].isna().all()
    frame = rollbite.schedule(stands, strip)
    assert set(rollbite.THERMAL_COLUMNS) <= set(frame.columns)
    way = frame.attrs["temperature_path"]
    assert way["distance_m"].is_monotonic_increasing and way["time_s"].is_monotonic_increasing
    assert way["temperature_C"].iloc[0] == strip["Entry_temperature"]
    assert way["temperature_C"].iloc[-1] == frame.attrs["exit_temperature"]
    changes = frame[[name for name in rollbite.THERMAL_COLUMNS if name.endswith("_change")]].sum(axis=1)
    # The changes by cause add up to each stand's: from the stand before to the next's start (or the exit).
    leaving = np.append(frame["Previous_temperature"].to_numpy()[1:], frame.attrs["exit_temperature"])
    np.testing.assert_allclose(changes, leaving - frame["Previous_temperature"], atol=1e-6)
    # Each stand is the direct pass it built, with the chain's temperatures in its WS18 record.
    rows = rollbite.direct(frame.attrs["passes"], "ws18", frame.attrs["coefficients"])
    assert np.array_equal(rows["Rolling_Force"].to_numpy(), frame.attrs["rows"]["Rolling_Force"].to_numpy())
    figure = rollbite.plot_temperatures({"as set": frame}, path=tmp_path / "hot.png")
    assert (tmp_path / "hot.png").stat().st_size > 0 and figure.axes[0].get_lines()
    with pytest.raises(ValueError, match="no thermal chain"):
        rollbite.plot_temperatures(rollbite.schedule(*load("hot_finishing_ws18.txt")))
