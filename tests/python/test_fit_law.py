"""rollbite.fitting.fit_law: a built-in law fitted to flow curves, its parameters' deviations and the pairs of
them that trade against each other."""

import contextlib

import numpy as np
import pandas as pd
import pytest

from rollbite import laws
from rollbite.fitting import CorrelatedParameters, fit_law


def curves(law, parameters, strains, rates=(1.0,), temperatures=(20.0,), seed=1):
    """The law's own stresses on a grid of strain, rate (1/s) and temperature (C), with 1 % of noise."""
    strain, rate, temperature = (grid.ravel() for grid in np.meshgrid(strains, rates, temperatures))
    stress = laws.flow_stress(law, parameters, strain, rate, temperature)
    stress *= 1.0 + 0.01 * np.random.default_rng(seed).standard_normal(stress.shape)
    return pd.DataFrame({"strain": strain, "strain_rate": rate, "temperature": temperature, "stress": stress})


SWIFT = curves("swift", dict(K=565.32, eps0=0.007117, n=0.2589), np.linspace(0.0, 1.0, 11))
HOT = dict(strains=np.linspace(0.05, 0.8, 8), rates=(0.1, 1.0, 10.0, 50.0),
           temperatures=(900.0, 1000.0, 1100.0, 1150.0))


@pytest.mark.parametrize(
    "law, truth, grid, correlated",
    [
        # NUMISHEET'93 mild steel, one tensile curve.
        ("swift", dict(K=565.32, eps0=0.007117, n=0.2589), dict(strains=np.linspace(0.0, 1.0, 101)), []),
        # A hot set: A and m1 trade, as A is the stress extrapolated to 0 C, 1000 C below the tests.
        ("hensel-spittel-5", dict(A=3000.0, m1=-0.0025, m2=-0.05, m3=0.13, m4=-0.02), HOT, ["A and m1"]),
    ],
)
def test_a_law_is_recovered_from_its_own_curves_within_three_deviations(law, truth, grid, correlated):
    tests = curves(law, truth, **grid)
    with pytest.warns(CorrelatedParameters) if correlated else contextlib.nullcontext():
        fit = fit_law(tests, law)
    assert [text.split(" correlate")[0] for text in fit.warnings] == correlated
    for name, value in truth.items():
        deviation = fit.standard_deviations[name]
        assert 0 < deviation < 0.1 * abs(value), name
        assert abs(fit.parameters[name] - value) < 3 * deviation, name
    # At its minimum the sum of squares lies below the one at the true parameters (the noise's), by ~p/n.
    exact = laws.flow_stress(law, truth, tests["strain"], tests["strain_rate"], tests["temperature"])
    noise = 100 * np.sqrt(np.mean((tests["stress"] / exact - 1) ** 2))
    assert 0.7 < fit.rms_percent < 1.3 and 0.95 * noise < fit.rms_percent <= noise < fit.max_percent < 5
    assert fit.points == len(tests) and list(fit.correlation.index) == list(truth)
    assert np.allclose(np.diag(fit.correlation), 1.0) and np.allclose(fit.correlation, fit.correlation.T)
    assert law in repr(fit) and "± " in repr(fit)


def test_a_weight_counts_a_point_as_often_and_the_error_is_the_plain_one():
    weighted = fit_law(SWIFT.assign(weight=[2.0] * 5 + [1.0] * 6), "swift")
    doubled = fit_law(pd.concat([SWIFT, SWIFT.head(5)]), "swift")
    assert np.allclose(list(weighted.parameters.values()), list(doubled.parameters.values()), rtol=1e-6)
    deviation = laws.flow_stress("swift", weighted.parameters, SWIFT["strain"]) / SWIFT["stress"] - 1
    assert np.isclose(weighted.rms_percent, 100 * np.sqrt(np.mean(deviation**2)))
    assert np.isclose(weighted.max_percent, 100 * np.max(np.abs(deviation)))


def test_held_parameters_keep_their_values_and_have_no_deviation():
    truth = dict(A=792.0, B=510.0, n=0.26, C=0.014, m=1.03, rate0=1.0, T_room=20.0, T_melt=1520.0)
    tests = curves("johnson-cook", truth, np.linspace(0, 1, 11), (0.01, 1.0, 100.0), (20.0, 300.0, 600.0))
    fit = fit_law(tests, "johnson-cook", start={"T_melt": 1520.0})
    held = {name: fit.parameters[name] for name in ("rate0", "T_room", "T_melt")}
    assert held == dict(rate0=1, T_room=20, T_melt=1520)
    assert fit.standard_deviations["T_melt"] == 0 and list(fit.correlation.index) == ["A", "B", "n", "C", "m"]
    assert abs(fit.parameters["C"] / 0.014 - 1) < 0.05 and "(held)" in repr(fit)


def test_temperature_terms_of_hensel_spittel_9_wander_together_over_a_narrow_range():
    truth = dict(A=3000.0, m1=-0.0025, m2=-0.05, m3=0.13, m4=-0.02, m5=0.0, m7=0.0, m8=0.0, m9=0.0)
    tests = curves("hensel-spittel-9", truth, HOT["strains"], HOT["rates"], (1000.0, 1025.0, 1050.0))
    with pytest.warns(CorrelatedParameters, match="m1 and m9 correlate at -1.000: they will wander"):
        fit = fit_law(tests, "hensel-spittel-9")
    assert any(text.startswith("m3 and m8 correlate") for text in fit.warnings)
    assert abs(fit.correlation.loc["m1", "m9"]) > 0.95 and fit.rms_percent < 1.3


@pytest.mark.parametrize(
    "tests, law, fixed, message",
    [
        (SWIFT.drop(columns="stress"), "swift", None, "lack the column 'stress'"),
        (SWIFT.assign(stress=SWIFT["stress"].where(SWIFT.index != 4)), "swift", None, "'stress' holds a value"),
        (SWIFT.assign(strain="large"), "swift", None, "'strain' holds a value that is not a finite"),
        (SWIFT.assign(stress=-SWIFT["stress"]), "swift", None, "'stress' must be positive"),
        (SWIFT.head(3), "swift", None, "3 rows: the law swift needs more rows than its 3 free"),
        (SWIFT.head(3), "swift", {"n": 0.26}, None),  # two free parameters: three rows suffice
        (SWIFT, "swifts", None, "unknown law 'swifts'"),
        (SWIFT, "swift", {"K": 565.0, "eps0": 0.007, "n": 0.26}, "every parameter of the law swift is held"),
        (SWIFT.assign(strain_rate=1.0, temperature=1000.0), "misaka", None, "every parameter of the law misaka"),
        (SWIFT.drop(columns="strain_rate"), "hensel-spittel-5", None, "lack the column 'strain_rate'"),
        (SWIFT, "hensel-spittel-5", None, r"no positive stress at 0 \(strain 0\)"),
        (SWIFT, "swift", {"k": 565.0}, r"fixed names \['k'\]"),
    ],
)
def test_bad_tests_are_refused_naming_the_problem(tests, law, fixed, message):
    if message is None:
        assert fit_law(tests, law, fixed=fixed).points == 3
        return
    with pytest.raises(ValueError, match=message):
        fit_law(tests, law, fixed=fixed)
