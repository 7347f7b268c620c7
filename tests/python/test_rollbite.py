"""The Python module: the six example runs give the exit files' values and reasons and the C++ API's
values to the last bit; rows without a result are NaN; bad input raises an exception that names it; the
dask example gives the frame of one call; the examples run."""

import os
import pathlib
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

import rollbite

SOURCE = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = SOURCE / "examples"
REGRESSION = SOURCE / "tests" / "regression"
sys.path.insert(0, str(EXAMPLES / "python"))

# name, mode, rheology, entry file, coefficient file: the six example runs, in the order the digest
# test writes them.
RUNS = [
    ("direct_constant", "direct", "constant", "direct_constant_entry.txt", None),
    ("direct_smatch", "direct", "smatch", "direct_smatch_entry.txt", "smatch_direct.txt"),
    ("direct_ws18", "direct", "ws18", "direct_ws18_entry.txt", "ws18_direct.txt"),
    ("inverse_constant", "inverse", "constant", "inverse_constant_entry.txt", None),
    ("inverse_smatch", "inverse", "smatch", "inverse_smatch_entry.txt", "smatch_inverse.txt"),
    ("inverse_ws18", "inverse", "ws18", "inverse_ws18_entry.txt", "ws18_inverse.txt"),
]


def solve(run, threads=None):
    name, mode, rheology, entry, coefficients = run
    passes = rollbite.read_entry(EXAMPLES / entry, mode)
    records = rollbite.read_coefficients(EXAMPLES / coefficients, rheology) if coefficients else None
    solver = rollbite.direct if mode == "direct" else rollbite.inverse
    return solver(passes, rheology, records, threads=threads)


@pytest.fixture(scope="module")
def results():
    return {run[0]: solve(run) for run in RUNS}


@pytest.mark.parametrize("run", RUNS, ids=[run[0] for run in RUNS])
def test_example_runs_give_every_printed_digit_and_reason_of_the_exit_file(run, results):
    frame = results[run[0]]
    gold = pd.read_csv(REGRESSION / f"results_{run[0]}.txt", sep="\t", dtype=str, keep_default_na=False)
    assert list(frame.columns[:-1]) == list(gold.columns)
    assert frame["case"].astype(str).tolist() == gold["case"].tolist()
    for column in gold.columns[2:]:
        if column == "Has_Converged":
            # NA where the file writes "--": the row has no result.
            written = frame[column].map(lambda converged: "--" if converged is pd.NA else converged)
        elif column in ("Tresca_Presence", "Total_Tresca"):
            written = frame[column].map(lambda flag: "0" if flag is pd.NA else str(int(flag)))
        else:
            # As the program writes them; a row without a result has NaN here, zeros in the file.
            written = frame[column].map(lambda value: "0.000000e+00" if np.isnan(value) else f"{value:.6e}")
        assert written.tolist() == gold[column].tolist(), column
    failed = frame["Errors"] != "VOID"
    assert frame.loc[failed, gold.columns[2:]].isna().all().all()
    assert frame.loc[~failed, gold.columns[2:]].notna().all().all()
    # The reasons of the why file, and the exit file read back as the same frame.
    exit_frame = rollbite.read_exit(REGRESSION / f"results_{run[0]}.txt", why=REGRESSION / f"why_{run[0]}.txt")
    assert exit_frame["reason"].tolist() == frame["reason"].tolist()
    assert exit_frame["Errors"].tolist() == frame["Errors"].tolist()
    pd.testing.assert_series_equal(exit_frame["Has_Converged"], frame["Has_Converged"])


def test_example_runs_give_the_cpp_apis_values_to_the_last_bit(results, tmp_path):
    # The digest test of the C++ suite writes every output of the same runs through the case API with 17
    # digits, in the same order, first thing.
    digits = tmp_path / "digest.txt"
    subprocess.run(
        [os.environ["ROLLBITE_TESTS_BINARY"], "--gtest_filter=Digest.EveryOutputIsTheRecordedOne"],
        env=dict(os.environ, ROLLBITE_DIGEST_OUT=str(digits)),
        check=False,
        capture_output=True,
    )
    lines = digits.read_text().splitlines()
    row = 0
    for name, mode, *_ in RUNS:
        frame = results[name]
        outputs = (
            ["Rolling_Force", "Forward_Slip", "Rolling_Torque", "Sigma_Moy", "Sigma_Ini", "Sigma_Out",
             "Sigma_Max", "Neutral_X", "U_Forward_Slip", "Contact_Length", "Neutral_H", "angle_Tresca_Bw",
             "Neutral_Angle", "angle_Tresca_Fw", "U_Rolling_Force", "Alpha_Max"]
            if mode == "direct"
            else ["OffsetYield", "Friction", "Rolling_Torque", "Sigma_Moy", "Sigma_Ini", "Sigma_Out",
                  "Sigma_Max", "Force_Error(%)", "Slip_Error(%)"]
        )
        for _, case in frame.iterrows():
            fields = lines[row].split("\t")
            row += 1
            converged = "--" if case["Has_Converged"] is pd.NA else case["Has_Converged"]
            assert fields[:3] == [str(case["case"]), case["Errors"], converged]
            if case["Errors"] == "VOID":
                assert [float(value) for value in fields[3 : 3 + len(outputs)]] == case[outputs].tolist(), name


def test_threads_do_not_change_a_value(results):
    one = solve(RUNS[4], threads=1)
    three = solve(RUNS[4], threads=3)
    pd.testing.assert_frame_equal(one, results["inverse_smatch"])
    pd.testing.assert_frame_equal(three, results["inverse_smatch"])


PASS = {
    "case": [1, 2],
    "Entry_thickness": [30.0, 30.0],
    "Exit_thickness": [22.0, 22.0],
    "Entry_tension": [5.0, 80.0],  # the second pass fails its checks: a row, not an exception
    "Exit_tension": [10.0, 10.0],
    "Working_roll_diameter": [800.0, 800.0],
    "Young_modulus_WR": [210000.0, 210000.0],
    "Offset_yield_stress": [150.0, 150.0],
    "Friction_coefficient": [0.3, 0.3],
}


def with_column(name, values):
    passes = dict(PASS)
    passes[name] = values
    return passes


def without_column(name):
    return {key: value for key, value in PASS.items() if key != name}


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: rollbite.direct([[1, 30, 22]]), TypeError, "must be a pandas DataFrame or a mapping"),
        (lambda: rollbite.direct(without_column("Exit_thickness")), ValueError, "no column 'Exit_thickness'"),
        (
            lambda: rollbite.direct({**without_column("Exit_tension"), "Exit_Tension": [10.0, 10.0]}),
            ValueError,
            "(is 'Exit_Tension' meant?)",
        ),
        (lambda: rollbite.direct(with_column("Entry_thickness", [30.0, "thirty"])), TypeError, "'thirty'"),
        (lambda: rollbite.direct(with_column("case", [1.5, 2])), TypeError, "whole numbers"),
        (lambda: rollbite.direct(with_column("Exit_thickness", [22.0])), ValueError, "different lengths"),
        (lambda: rollbite.direct(PASS, rheology="steel"), ValueError, "unknown rheology 'steel'"),
        (lambda: rollbite.direct(PASS, rheology="smatch"), ValueError, "the smatch rheology needs coefficients"),
        (lambda: rollbite.direct(PASS, coefficients=[[1, 2, 3, 4]] * 2), ValueError, "takes no coefficients"),
        (
            lambda: rollbite.direct(PASS, rheology="smatch", coefficients=[[140, 60, 0.1, 5]]),
            ValueError,
            "1 coefficient records for 2 passes",
        ),
        (
            lambda: rollbite.direct(PASS, rheology="ws18", coefficients=np.zeros((2, 4))),
            ValueError,
            "must have 23 columns",
        ),
        (lambda: rollbite.inverse(PASS), ValueError, "no column 'Force', 'Slip'"),
        (lambda: rollbite.direct(PASS, threads=0), ValueError, "threads must be a whole number"),
        (lambda: rollbite.read_exit(EXAMPLES / "smatch_direct.txt"), ValueError, "is not an exit file"),
        (
            lambda: rollbite.read_exit(REGRESSION / "results_direct_constant.txt", why=REGRESSION / "why_inverse_ws18.txt"),
            ValueError,
            "is not the why file of",
        ),
        (lambda: rollbite.read_entry("no/such/entry.txt", "direct"), FileNotFoundError, "no entry file"),
        # Frames that pandas builds easily but that hold no plain column of real numbers.
        (lambda: rollbite.direct(pd.concat({"pass": pd.DataFrame(PASS)}, axis=1).swaplevel(axis=1)), ValueError, "MultiIndex"),
        (
            lambda: rollbite.direct(pd.concat([pd.DataFrame(PASS), pd.DataFrame(PASS)[["Entry_tension"]]], axis=1)),
            ValueError,
            "'Entry_tension' 2 times",
        ),
        (
            lambda: rollbite.direct(with_column("Entry_tension", [10**400, 5.0])),
            ValueError,
            "column 'Entry_tension' of passes holds a number too large for a double",
        ),
        (
            lambda: rollbite.direct(with_column("Friction_coefficient", np.array([0.3 + 0.1j, 0.3]))),
            TypeError,
            "column 'Friction_coefficient' of passes must hold real numbers, not complex",
        ),
        (
            lambda: rollbite.direct(PASS, "smatch", np.array([[140, 60, 0.1, 5 + 1j]] * 2)),
            TypeError,
            "column 'Coefficient_A' of coefficients must hold real numbers, not complex",
        ),
        (
            lambda: rollbite.direct(PASS, "smatch", [[140, 60, 0.1, 10**400]] * 2),
            ValueError,
            "column 'Coefficient_D' of coefficients holds a number too large for a double",
        ),
        (lambda: rollbite.direct(with_column("case", [-(2**31) - 1, 1])), TypeError, "-2147483648 to 2147483647"),
        (
            lambda: rollbite.direct(PASS, "smatch", [[140, 60, 0.1, 5]] * 3),
            ValueError,
            "3 coefficient records for 2 passes",
        ),
        (
            lambda: rollbite.write_entry(with_column("Exit_tension", [10.0, np.nan]), "/nowhere/e.txt"),
            ValueError,
            "the pass in the row labelled 1 (case 2): Exit_tension is nan",
        ),
        (
            lambda: rollbite.write_entry(with_column("Entry_thickness", [np.inf, 30.0]), "/nowhere/e.txt"),
            ValueError,
            "the pass in the row labelled 0 (case 1): Entry_thickness is inf",
        ),
        (
            lambda: rollbite.write_entry(with_column("Exit_tension", np.array([10.0, None], dtype=object)), "/x"),
            TypeError,
            "column 'Exit_tension' of passes must hold numbers, not None",
        ),
        (
            lambda: rollbite.write_entry({**PASS, "unreadable": ["", "field 5 is no number"]}, "/nowhere/e.txt"),
            ValueError,
            "the pass in the row labelled 1 could not be read (field 5 is no number)",
        ),
    ],
)
def test_bad_input_raises_an_exception_that_names_it(call, error, message):
    with pytest.raises(error) as raised:
        call()
    assert message in str(raised.value)


def test_a_pass_that_fails_its_checks_is_a_row_with_its_reason():
    frame = rollbite.direct(PASS, rheology="smatch", coefficients=[[140, 60, 0.1, 5]] * 2, threads=1)
    assert frame["Errors"].tolist() == ["VOID", "INPUTS"]
    assert frame["reason"].tolist() == ["", "Entry_tension 80 is not in [0, 50] MPa (code 105)"]
    assert frame.loc[1, "Rolling_Force"] != frame.loc[1, "Rolling_Force"]  # NaN


def test_written_entry_files_read_back_to_the_same_values(tmp_path):
    passes = rollbite.read_entry(EXAMPLES / "inverse_ws18_entry.txt", "inverse")
    rollbite.write_entry(passes, tmp_path / "entry.txt")
    again = rollbite.read_entry(tmp_path / "entry.txt", "inverse")
    pd.testing.assert_frame_equal(again, passes)


def test_profile_is_the_friction_hill_of_the_pass(results):
    passes = rollbite.read_entry(EXAMPLES / "direct_constant_entry.txt", "direct")
    hill = rollbite.profile(passes.iloc[0])
    assert hill.shape == (501, 11)
    row = results["direct_constant"].iloc[0]
    assert hill.attrs["exit_file_row"].split("\t")[2] == f"{row['Rolling_Force']:.6e}"
    assert np.isclose(hill.attrs["neutral_x_mm"], row["Neutral_X"])
    assert hill["exit_pressure_MPa"].iloc[0] != hill["exit_pressure_MPa"].iloc[0]  # never reached: NaN
    with pytest.raises(ValueError, match="error class INPUTS"):
        rollbite.profile(passes.iloc[-4])


def test_the_dask_example_gives_the_frame_of_one_call():
    from dask.distributed import Client, LocalCluster

    import cluster

    passes = cluster.large_log(600)
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=False) as local, Client(local) as client:
        pieces = cluster.solve_on_cluster(client, passes, partitions=7)
    pd.testing.assert_frame_equal(pieces, rollbite.direct(passes))


def test_the_schedule_example_draws_its_picture(tmp_path):
    import schedule

    table = schedule.predict_and_recover()
    assert len(table) == 28
    # The inverse search gives back the friction that made the force, and the flow stress within 2 %.
    assert np.allclose(table["recovered_friction"], table["Friction_coefficient"], atol=2e-3)
    assert np.allclose(table["recovered_offset"], table["Offset_yield_stress"], rtol=0.02)
    figure = schedule.draw(table, tmp_path / "schedule.png")
    assert (tmp_path / "schedule.png").stat().st_size > 10000
    # Every panel readable on its own: a legend each, and a title that names what its axis shows.
    for axes in figure.axes:
        assert axes.get_legend() is not None, axes.get_title()
        assert axes.get_ylabel().split(" (")[0] in axes.get_title().lower(), axes.get_title()
    # Run as a script, it writes into the current folder, never into the source tree.
    subprocess.run([sys.executable, str(EXAMPLES / "python" / "schedule.py")], cwd=tmp_path, check=True,
                   env=dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path)), capture_output=True)
    assert (tmp_path / "schedule.png").exists()


@pytest.mark.parametrize(
    "mark",
    [
        lambda passes: pd.concat([passes.drop(columns="unreadable"), passes], ignore_index=True),
        lambda passes: passes.assign(unreadable=None),
        lambda passes: passes.assign(unreadable=np.nan),
        lambda passes: passes.assign(unreadable=pd.NA),
    ],
    ids=["frames-joined", "None", "NaN", "NA"],
)
def test_unreadable_that_is_empty_nan_or_none_means_readable(mark, results):
    passes = rollbite.read_entry(EXAMPLES / "direct_constant_entry.txt", "direct")
    frame = rollbite.direct(mark(passes))
    expected = results["direct_constant"]
    assert frame["Errors"].tolist()[-len(expected):] == expected["Errors"].tolist()
    assert frame["reason"].tolist()[-len(expected):] == expected["reason"].tolist()


def test_coefficients_are_paired_with_the_passes_by_their_index(results):
    passes = rollbite.read_entry(EXAMPLES / "direct_smatch_entry.txt", "direct")
    records = rollbite.read_coefficients(EXAMPLES / "smatch_direct.txt", "smatch")
    shuffled = passes.sample(frac=1, random_state=7)
    frame = rollbite.direct(shuffled, "smatch", records)
    pd.testing.assert_frame_equal(frame.sort_index(), results["direct_smatch"])
    # Some passes only: each still takes its own record.
    some = rollbite.direct(shuffled.iloc[::3], "smatch", records)
    pd.testing.assert_frame_equal(some.sort_index(), results["direct_smatch"].loc[some.index.sort_values()])
    # Records labelled otherwise are refused, never paired by position; by position on request.
    with pytest.raises(ValueError, match="no record labelled 'p0'"):
        rollbite.direct(passes.set_axis([f"p{k}" for k in range(len(passes))]), "smatch", records)
    positional = rollbite.direct(shuffled, "smatch", records.loc[shuffled.index].to_numpy()[:, :4].astype(float))
    pd.testing.assert_frame_equal(positional.sort_index(), results["direct_smatch"])


def test_records_not_on_their_own_line_are_told_in_the_reason(tmp_path):
    lines = (EXAMPLES / "smatch_direct.txt").read_text().splitlines()
    lines[2], lines[3] = lines[2] + " " + lines[3].split()[0], " ".join(lines[3].split()[1:])
    (tmp_path / "moved.txt").write_text("\n".join(lines) + "\n")
    passes = rollbite.read_entry(EXAMPLES / "direct_smatch_entry.txt", "direct")
    with pytest.warns(UserWarning, match="2 coefficient records"):
        records = rollbite.read_coefficients(tmp_path / "moved.txt", "smatch")
    frame = rollbite.direct(passes, "smatch", records)
    told = frame["reason"].str.contains("coefficient record not alone on line")
    assert told.tolist() == [index in (1, 2) for index in range(len(frame))]


def test_write_entry_never_replaces_other_data(tmp_path):
    passes = rollbite.read_entry(EXAMPLES / "direct_constant_entry.txt", "direct")
    coefficients = tmp_path / "smatch_direct.txt"
    coefficients.write_bytes((EXAMPLES / "smatch_direct.txt").read_bytes())
    with pytest.raises(ValueError, match="holds other data .*overwrite=True"):
        rollbite.write_entry(passes, coefficients)
    assert coefficients.read_bytes() == (EXAMPLES / "smatch_direct.txt").read_bytes()
    with pytest.raises(ValueError, match="is a folder"):
        rollbite.write_entry(passes, tmp_path)
    # A new file, an empty one and an earlier entry file are written; other data only when asked.
    (tmp_path / "empty.txt").write_text("")
    for name in ("new.txt", "empty.txt", "new.txt"):
        rollbite.write_entry(passes, tmp_path / name)
    rollbite.write_entry(passes, coefficients, overwrite=True)
    pd.testing.assert_frame_equal(rollbite.read_entry(coefficients, "direct"), passes)
    (tmp_path / "empty.txt").write_text("")
    with pytest.raises(ValueError, match="is empty"):
        rollbite.read_entry(tmp_path / "empty.txt", "direct")


def test_write_entry_replaces_only_an_entry_file_of_its_own_mode(tmp_path):
    measured = rollbite.read_entry(EXAMPLES / "inverse_constant_entry.txt", "inverse")
    path = tmp_path / "entry.txt"
    rollbite.write_entry(measured, path)
    written = path.read_bytes()
    with pytest.raises(ValueError, match="holds other data .*direct entry file"):
        rollbite.write_entry(measured.drop(columns=["Force", "Slip"]), path)
    assert path.read_bytes() == written
    rollbite.write_entry(measured, path)


@pytest.mark.parametrize(
    "text",
    [b"", b"\x89PNG\r\n\x1a\n\x00\x00", None],
)
def test_read_exit_names_the_file_that_is_no_exit_file(tmp_path, text):
    path = tmp_path / "exit.txt"
    if text is None:  # a torn row: a number cut in the middle of a column
        text = (REGRESSION / "results_direct_constant.txt").read_bytes().replace(b"1.154637e+03", b"1.15x")
    path.write_bytes(text)
    with pytest.raises(ValueError, match=str(path)):
        rollbite.read_exit(path)


def test_python_takes_every_case_number_the_files_take(tmp_path):
    lines = (EXAMPLES / "direct_constant_entry.txt").read_text().splitlines()[:3]
    smallest, largest = np.iinfo(np.int32).min, np.iinfo(np.int32).max
    numbered = [lines[0]] + [f"{case} {line.split(maxsplit=1)[1]}" for case, line in zip((smallest, largest), lines[1:])]
    (tmp_path / "entry.txt").write_text("\n".join(numbered) + "\n")
    passes = rollbite.read_entry(tmp_path / "entry.txt", "direct")
    assert passes["unreadable"].tolist() == ["", ""]
    frame = rollbite.direct(passes)
    assert frame["case"].tolist() == [smallest, largest]
    assert frame["Errors"].tolist() == ["VOID", "VOID"]
