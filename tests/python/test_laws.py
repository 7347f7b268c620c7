"""Flow-stress laws from Python: by name with their parameters per pass or per call, written in Python
(the same values as the built-in law of the same formula, with what it costs), and the inverse finding a
law's factor back."""

import time

import numpy as np
import pandas as pd
import pytest

import rollbite
from rollbite import laws

SWIFT = {"K": 565.32, "eps0": 0.007117, "n": 0.2589}
HOT = pd.DataFrame({
    "case": [1, 2, 3],
    "Entry_thickness": [10.0, 7.0, 5.0],
    "Exit_thickness": [7.0, 5.0, 3.8],
    "Entry_tension": [5.0, 8.0, 10.0],
    "Exit_tension": [8.0, 10.0, 12.0],
    "Working_roll_diameter": [700.0, 700.0, 650.0],
    "Young_modulus_WR": [210000.0] * 3,
    "Offset_yield_stress": [0.0] * 3,
    "Friction_coefficient": [0.3, 0.28, 0.26],
})
COLD = pd.DataFrame({
    "case": [1, 2], "Entry_thickness": [3.0, 2.2], "Exit_thickness": [2.2, 1.7], "Entry_tension": [20.0, 35.0],
    "Exit_tension": [35.0, 45.0], "Working_roll_diameter": [500.0, 500.0], "Young_modulus_WR": [210000.0] * 2,
    "Offset_yield_stress": [0.0] * 2, "Friction_coefficient": [0.12, 0.11],
})
MISAKA = pd.DataFrame({"C": [0.1] * 3, "TemperatureIn": [1000.0, 985.0, 970.0],
                       "TemperatureOut": [990.0, 975.0, 960.0], "Strip_speed": [5.0, 7.0, 9.5]})


def test_a_law_written_in_python_gives_the_built_in_laws_forces_and_costs_a_little_more():
    passes = pd.concat([HOT] * 100, ignore_index=True).assign(case=lambda frame: range(len(frame)))
    swift = laws.Law(lambda strain, rate, temperature: SWIFT["K"] * np.power(SWIFT["eps0"] + strain, SWIFT["n"]),
                     name="swift-in-python", reads_strain_rate=False, reads_temperature=False, strain=(0.0, 1.5))
    started = time.perf_counter()
    built_in = rollbite.direct(passes, law="swift", parameters=SWIFT, threads=1)
    middle = time.perf_counter()
    written = rollbite.direct(passes, law=swift, threads=1)
    ended = time.perf_counter()
    assert (built_in["Errors"] == "VOID").all()
    for column in ("Rolling_Force", "Forward_Slip", "Rolling_Torque", "Sigma_Moy"):
        # numpy's power may differ from the C library's in the last bit, which the slip feels most.
        np.testing.assert_allclose(written[column], built_in[column], rtol=1e-11, err_msg=column)
    print(f"a law in Python: {(ended - middle) / (middle - started):.2f} times the built-in law's time, "
          f"{written.attrs['law_calls'] / len(passes):.0f} calls a pass")


def test_a_law_by_name_takes_its_columns_per_pass_and_finds_its_factor_back():
    rolled = rollbite.direct(HOT, law="misaka", coefficients=MISAKA.assign(Flow_stress_factor=1.15))
    assert (rolled["Errors"] == "VOID").all(), rolled["reason"].tolist()
    assert (rolled["Flow_stress_factor"] == 1.15).all()
    plain = rollbite.direct(HOT, law="misaka", coefficients=MISAKA)
    assert (rolled["Rolling_Force"] > 1.1 * plain["Rolling_Force"]).all()
    measured = HOT.assign(Force=rolled["Rolling_Force"], Slip=rolled["Forward_Slip"], Friction_coefficient=0.2)
    exit_speed = MISAKA.assign(Strip_speed=MISAKA["Strip_speed"] * (1 + rolled["Forward_Slip"] / 100))
    found = rollbite.inverse(measured, law="misaka", coefficients=exit_speed)
    np.testing.assert_allclose(found["Flow_stress_factor"], 1.15, atol=0.012)
    np.testing.assert_allclose(found["Friction"], HOT["Friction_coefficient"], atol=0.006)


def test_sensitivities_with_a_law_by_name_or_written_in_python_and_the_inverse_factors_deviation():
    passes = COLD
    by_name = rollbite.sensitivities(passes, law="swift", parameters={**SWIFT, "Flow_stress_factor": 1.2})
    assert list(by_name.columns[-5:]) == ["dRolling_Torque/dFlow_stress_factor", "dRolling_Torque/dK",
                                          "dRolling_Torque/deps0", "dRolling_Torque/dn", "reason"]
    np.testing.assert_allclose(SWIFT["K"] * by_name["dRolling_Force/dK"],
                               1.2 * by_name["dRolling_Force/dFlow_stress_factor"], rtol=1e-3)
    swift = laws.Law(lambda strain, rate, temperature: SWIFT["K"] * np.power(SWIFT["eps0"] + strain, SWIFT["n"]),
                     name="swift-in-python", reads_strain_rate=False, reads_temperature=False, strain=(0.0, 1.5))
    written = rollbite.sensitivities(passes, law=swift, parameters={"Flow_stress_factor": 1.2})
    assert written.attrs["law_calls"] > 0
    np.testing.assert_allclose(written["dRolling_Force/dFlow_stress_factor"],
                               by_name["dRolling_Force/dFlow_stress_factor"], rtol=1e-6)
    rolled = rollbite.direct(passes, law="swift", parameters={**SWIFT, "Flow_stress_factor": 1.2})
    measured = passes.assign(Force=rolled["Rolling_Force"], Slip=rolled["Forward_Slip"], Friction_coefficient=0.2)
    known = rollbite.sensitivities(measured, mode="inverse", law="swift", parameters=SWIFT)
    assert known["Trusted"].all(), known["reason"].tolist()
    assert (abs(known["Flow_stress_factor"] - 1.2) < known["SD_Flow_stress_factor"]).all()
    assert "OffsetYield" not in known and "Second_Flow_stress_factor" in known


def test_the_profile_of_a_pass_with_a_law_is_the_pass_direct_solves():
    hardening = rollbite.profile(COLD.iloc[0], law="swift", parameters=SWIFT)
    solved = rollbite.direct(COLD.iloc[[0]], law="swift", parameters=SWIFT)
    assert hardening.attrs["exit_file_row"].split("\t")[2] == f"{solved['Rolling_Force'].iloc[0]:e}"
    assert (np.diff(hardening["flow_stress_MPa"].to_numpy()) >= 0).all()  # Swift hardens along the bite
    hot = rollbite.profile(HOT.iloc[0], law="misaka", coefficients=MISAKA.iloc[0])
    # Misaka's law gives the pass's mean flow stress, at every point of the bite.
    assert hot["flow_stress_MPa"].nunique() == 1


def test_a_replay_with_a_law_learns_the_factor_its_mill_rolls_at_and_keeps_it_in_its_state(tmp_path):
    # A two-stand cold mill whose strip is 15 % harder than its Swift law: its forces measured with the
    # slip, coil after coil; the learner's factor climbs to 1.15 and its friction stays the mill's.
    rolled = rollbite.direct(COLD, law="swift", parameters={**SWIFT, "Flow_stress_factor": 1.15})
    width = 1000.0  # mm
    stands = COLD.assign(Stand=["S1", "S2"], Width=width, Force=rolled["Rolling_Force"] * 9.81e-3 * width,
                         Forward_slip=rolled["Forward_Slip"], **SWIFT).drop(columns="case")
    log = pd.concat([stands.assign(Coil=coil) for coil in range(1, 31)], ignore_index=True)
    table, state = rollbite.replay(log, law="swift", threads=1)
    last = table[table["Coil"] == "30"]
    np.testing.assert_allclose(last["Factor"], 1.15, rtol=0.01)
    np.testing.assert_allclose(last["Friction"], COLD["Friction_coefficient"], atol=0.005)
    assert (table["Frozen_error"] < -10).all()  # the law as set up is 15 % soft
    assert state.attrs == {"law": "swift"}
    # Going on from the state is one replay of every coil, to the last bit; with the law it was learnt with.
    more = stands.assign(Coil=31)
    whole, _ = rollbite.replay(pd.concat([log, more], ignore_index=True), law="swift", threads=1)
    again, _ = rollbite.replay(more, law="swift", state=state, threads=1)
    assert again["Factor"].tolist() == whole["Factor"].tail(2).tolist()
    # Each row's own setup: a coil set up with a harder law is frozen at its own force.
    harder = log.assign(Flow_stress_factor=np.where(log["Coil"] == 5, 1.1, 1.0))
    frozen, _ = rollbite.replay(harder, law="swift", threads=1)
    by_coil = frozen.set_index(["Coil", "Stand"])["Frozen_force"]
    assert (by_coil.loc["5"] > 1.05 * by_coil.loc["4"]).all() and (by_coil.loc["6"] == by_coil.loc["4"]).all()
    with pytest.raises(ValueError, match="learnt with --law swift, not --rheology smatch"):
        rollbite.replay(log.head(2).assign(Coefficient_A=1, Coefficient_B=1, Coefficient_C=0, Coefficient_D=0),
                        state=state, threads=1)


def test_a_law_outside_its_ranges_is_refused_unless_extrapolated_and_a_failing_law_is_raised():
    cold = MISAKA.assign(TemperatureOut=[990.0, 975.0, 700.0])
    refused = rollbite.direct(HOT, law="misaka", coefficients=cold)
    assert refused["Errors"].tolist() == ["VOID", "VOID", "INPUTS"]
    assert "not 700 C at the exit" in refused["reason"].iloc[2]
    assert (rollbite.direct(HOT, law="misaka", coefficients=cold, extrapolate=True)["Errors"] == "VOID").all()

    def broken(strain, rate, temperature):
        raise ArithmeticError("no stress here")

    with pytest.raises(RuntimeError, match="no stress here"):
        rollbite.direct(HOT, law=laws.Law(broken, name="broken"), coefficients=MISAKA.drop(columns="C"))


@pytest.mark.parametrize("call, message", [
    (lambda: rollbite.direct(HOT, law="norton"), "unknown law 'norton'"),
    (lambda: rollbite.direct(HOT, "smatch", law="swift", parameters=SWIFT), "give one of them"),
    (lambda: rollbite.direct(HOT, law="swift", parameters={"K": 500.0, "m": 2.0}), "'m' is none of"),
    (lambda: rollbite.direct(HOT, law="swift", parameters=SWIFT, coefficients={"K": [1.0, 2.0, 3.0]}),
     "K, which is given for the whole run too"),
    (lambda: laws.flow_stress("swift", {"K": 500.0}, 0.1), "missing"),
])
def test_a_law_it_does_not_know_or_values_given_twice_are_refused(call, message):
    with pytest.raises(ValueError, match=message):
        call()
