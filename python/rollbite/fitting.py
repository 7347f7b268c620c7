"""A built-in flow-stress law fitted to measured flow curves: ``fit_law`` (docs/fitting.md)."""

import dataclasses
import math
import warnings

import numpy as np
import pandas as pd
from scipy.optimize import least_squares

from . import laws

__all__ = ["fit_law", "LawFit", "CorrelatedParameters", "CORRELATION_LIMIT"]

#: Above this |correlation| two free parameters trade against each other: the data fix a combination of
#: them, not each, and a fit to another set of curves moves both far apart (docs/fitting.md).
CORRELATION_LIMIT = 0.95

# Where a search starts, for each built-in law: values typical of steel, the stress coefficients then scaled
# to the median of the measured stresses. The law's stress coefficients are the third item.
_TYPICAL = {
    "hensel-spittel-5": (dict(A=1500.0, m1=-0.0025, m2=0.1, m3=0.12, m4=-0.01), (), ("A",)),
    "hensel-spittel-9": (dict(A=1500.0, m1=-0.0025, m2=0.1, m3=0.12, m4=-0.01, m5=0.0, m7=0.0, m8=0.0, m9=0.0),
                         (), ("A",)),
    # Carbon is the steel's composition, held by default: it is what the user knows, not what the curves say.
    "misaka": (dict(C=0.1), ("C",), ()),
    "shida": (dict(C=0.1), ("C",), ()),
    "swift": (dict(K=500.0, eps0=0.01, n=0.2), (), ("K",)),
    "hollomon": (dict(K=500.0, n=0.2), (), ("K",)),
    "voce": (dict(sigma_0=200.0, sigma_s=400.0, eps_c=0.1), (), ("sigma_0", "sigma_s")),
    # The reference rate and the two temperatures define the law's scales; freed, they trade with A, B and C.
    "johnson-cook": (dict(A=300.0, B=300.0, n=0.3, C=0.02, m=1.0, rate0=1.0, T_room=20.0, T_melt=1500.0),
                     ("rate0", "T_room", "T_melt"), ("A", "B")),
}


class CorrelatedParameters(RuntimeWarning):
    """Two free parameters of a fit correlate beyond ``CORRELATION_LIMIT``."""


@dataclasses.dataclass
class LawFit:
    """A law fitted to flow curves: its ``parameters`` (all, by name, held ones included), the
    ``standard_deviations`` of the free ones (0 for held ones), the ``correlation`` of the free ones, the
    RMS and largest relative deviation of the law from the measured stresses (percent), the number of
    ``points`` and the ``warnings`` of the fit."""

    law: str
    parameters: dict
    standard_deviations: dict
    correlation: pd.DataFrame
    rms_percent: float
    max_percent: float
    points: int
    warnings: list

    def __repr__(self):
        lines = [f"LawFit({self.law}: {self.points} points, RMS {self.rms_percent:.3g} %, "
                 f"max {self.max_percent:.3g} %)"]
        units = {name: unit for name, unit, _ in laws.info(self.law)["parameters"]}
        width = max(len(name) for name in self.parameters)
        for name, value in self.parameters.items():
            if name in self.correlation.index:
                line = f"{value:.6g} ± {self.standard_deviations[name]:.4g} {units[name]}"
            else:
                line = f"{value:.6g} {units[name]} (held)"
            lines.append(f"  {name:<{width}} = {' '.join(line.split())}")
        lines += [f"  warning: {text}" for text in self.warnings]
        return "\n".join(lines)


def fit_law(tests, law, start=None, fixed=None):
    """Fit a built-in flow-stress law to measured flow curves by least squares on relative deviations.

    Parameters
    ----------
    tests : pandas.DataFrame
        One row per measured point: ``strain`` (equivalent strain), ``strain_rate`` (1/s), ``temperature``
        (C), ``stress`` (flow stress, MPa, positive) and optionally ``weight`` (positive, 1 by default).
        ``strain_rate`` and ``temperature`` are needed only by a law that reads them.
    law : str
        The name of a built-in law, one of ``laws.LAWS`` (docs/laws.md).
    start : mapping of str to float, optional
        Where the search starts, by parameter name; the others start from values typical of steel, with the
        law's stress coefficients scaled to the measured stresses.
    fixed : mapping of str to float, optional
        The parameters held at a value instead of fitted: exactly these when given. By default the law's
        own: Johnson-Cook's ``rate0``, ``T_room`` and ``T_melt``, Misaka's and Shida's carbon ``C`` (their
        values from ``start``, else 1 1/s, 20 C, 1500 C and 0.1 wt%); ``fixed={}`` fits every parameter.

    Returns
    -------
    LawFit
        ``parameters`` (by name, in the law's units), ``standard_deviations`` (same units),
        ``correlation`` (data frame of the free parameters), ``rms_percent`` and ``max_percent`` (RMS and
        largest |law / measured - 1| over the rows, unweighted, in percent), ``points`` and ``warnings``:
        one text for each pair of free parameters whose |correlation| exceeds ``CORRELATION_LIMIT``, also
        issued as a ``CorrelatedParameters`` warning, and one for a search that did not converge.

    Raises
    ------
    TypeError
        For tests that are not a data frame.
    ValueError
        For an unknown law, a missing column, a value that is not a finite number, a stress not positive,
        no more rows than free parameters, an unknown parameter name, every parameter held, or a point
        where the law from its start has no positive stress.

    Examples
    --------
    >>> curves = pd.DataFrame({"strain": [0.02, 0.05, 0.1, 0.2, 0.3, 0.4],
    ...                        "stress": [222.0, 269.0, 317.0, 376.0, 416.0, 448.0]})
    >>> fit = fit_law(curves, "swift")  # K 565.4 ± 0.6 MPa, eps0 0.0072 ± 0.0003, n 0.2594 ± 0.0009
    >>> laws.flow_stress("swift", fit.parameters, 0.25)  # 397.6 MPa
    """
    info = laws.info(law)  # a ValueError naming the built-in laws for an unknown one
    law = info["name"]
    names = [parameter[0] for parameter in info["parameters"]]
    typical, held_by_default, stress_coefficients = _TYPICAL[law]
    start = dict(start or {})
    if fixed is None:
        fixed = {name: start.get(name, typical[name]) for name in held_by_default}
    fixed = dict(fixed)
    for what, mapping in (("start", start), ("fixed", fixed)):
        unknown = sorted(set(mapping) - set(names))
        if unknown:
            raise ValueError(f"{what} names {unknown}, which the law {law} does not take: {names}")
    free = [name for name in names if name not in fixed]
    if not free:
        raise ValueError(f"every parameter of the law {law} is held fixed ({', '.join(fixed)}): "
                         "nothing is left to fit; pass fixed= without one of them (fixed={} frees them all)")

    columns = ["strain", "stress"] + ["strain_rate"] * info["reads_strain_rate"] \
        + ["temperature"] * info["reads_temperature"]
    data = _columns(tests, columns, len(free), law)
    strain, stress, weight = data["strain"], data["stress"], data["weight"]
    strain_rate, temperature = data.get("strain_rate", 0.0), data.get("temperature", 20.0)

    values = {name: float(fixed.get(name, start.get(name, typical[name]))) for name in names}
    model = laws.flow_stress(law, values, strain, strain_rate, temperature)
    bad = ~(np.isfinite(model) & (model > 0))  # a relative deviation of -1 whatever the parameters
    if bad.any():
        raise ValueError(f"the law {law} has no positive stress at {tests.index[bad][0]!r} (strain "
                         f"{strain[bad][0]:g}) from the start {values}: a point outside the law, or a start "
                         "far from the data")
    level = float(np.median(stress / model))
    for name in stress_coefficients:
        if name not in start and name not in fixed:
            values[name] *= level

    root_weight = np.sqrt(weight)

    def residuals(x):
        trial = dict(values, **dict(zip(free, x)))
        try:
            return root_weight * (laws.flow_stress(law, trial, strain, strain_rate, temperature) / stress - 1.0)
        except ValueError:  # parameters outside the law's domain: a step the search must refuse
            return np.full(len(stress), np.nan)

    # The trust-region search shrinks its step where the residuals are not finite, which keeps it in the
    # law's domain (a positive K, eps0 in (0, 1)); its scale follows the Jacobian, as A and m1 differ by 1e6.
    found = least_squares(residuals, [values[name] for name in free], method="trf", jac="3-point",
                          x_scale="jac", xtol=1e-10, ftol=1e-10, gtol=1e-10, max_nfev=200 * len(free))
    values.update(zip(free, (float(v) for v in found.x)))

    relative = found.fun / root_weight
    variance = float(found.fun @ found.fun) / (len(stress) - len(free))
    # covariance = s² (JᵀJ)⁻¹, inverted with the Jacobian's columns brought to unit length: A (MPa) and m1
    # (1/C) move the stress by amounts 1e6 apart, beyond what an inverse of JᵀJ itself resolves.
    jacobian = np.nan_to_num(found.jac, nan=0.0, posinf=0.0, neginf=0.0)
    norms = np.linalg.norm(jacobian, axis=0)
    unit_jacobian = jacobian / np.where(norms > 0, norms, 1.0)
    singular = np.linalg.svd(unit_jacobian, compute_uv=False)
    with np.errstate(invalid="ignore", divide="ignore"):
        covariance = variance * np.linalg.pinv(unit_jacobian.T @ unit_jacobian) / np.outer(norms, norms)
        deviations = np.sqrt(np.clip(np.diag(covariance), 0.0, None))
        correlation = covariance / np.outer(deviations, deviations)
    correlation = pd.DataFrame(correlation, index=free, columns=free)

    texts = []
    if not np.all(np.isfinite(found.jac)):  # a parameter found on the edge of the law's domain
        deviations[:] = np.nan
        texts.append("the law has no derivatives at the parameters found: no deviations")
        warnings.warn(texts[-1], RuntimeWarning, stacklevel=2)
    if not found.success:
        texts.append(f"the search stopped before it converged: {found.message}")
        warnings.warn(texts[-1], RuntimeWarning, stacklevel=2)
    if singular[-1] < 1e-8 * singular[0]:  # the stress moves with a combination of them, not with each
        deviations[:] = np.inf
        texts.append(f"the tests do not determine {', '.join(free)} apart: hold some of them fixed")
        warnings.warn(texts[-1], CorrelatedParameters, stacklevel=2)
    for i, first in enumerate(free):
        for second in free[i + 1:]:
            r = correlation.loc[first, second]
            if abs(r) > CORRELATION_LIMIT:
                text = f"{first} and {second} correlate at {r:.3f}: they will wander; hold one of them fixed"
                texts.append(text)
                warnings.warn(text, CorrelatedParameters, stacklevel=2)
    return LawFit(law=law, parameters=values,
                  standard_deviations={name: float(dict(zip(free, deviations)).get(name, 0.0)) for name in names},
                  correlation=correlation, rms_percent=100.0 * math.sqrt(float(np.mean(relative ** 2))),
                  max_percent=100.0 * float(np.max(np.abs(relative))), points=len(stress), warnings=texts)


def _columns(tests, columns, free, law):
    """The columns of the tests as float arrays, each checked, with ``weight`` (1 when absent)."""
    if not isinstance(tests, pd.DataFrame):
        raise TypeError(f"tests must be a pandas DataFrame of flow curves, not {type(tests).__name__}")
    data = {}
    for column in columns + ["weight"] * ("weight" in tests.columns):
        if column not in tests.columns:
            raise ValueError(f"tests lack the column '{column}', which the law {law} reads "
                             f"(columns: {list(tests.columns)})")
        values = pd.to_numeric(tests[column], errors="coerce").to_numpy(dtype=float)
        bad = ~np.isfinite(values)
        if bad.any():
            raise ValueError(f"the column '{column}' holds a value that is not a finite number "
                             f"(at {tests.index[bad][0]!r})")
        if column in ("stress", "weight") and (values <= 0).any():
            raise ValueError(f"the column '{column}' must be positive (at {tests.index[values <= 0][0]!r})")
        if column in ("strain", "strain_rate") and (values < 0).any():
            raise ValueError(f"the column '{column}' must not be negative (at {tests.index[values < 0][0]!r})")
        data[column] = values
    if len(tests) <= free:
        raise ValueError(f"tests have {len(tests)} rows: the law {law} needs more rows than its {free} free "
                         "parameters")
    data.setdefault("weight", np.ones(len(tests)))
    return data
