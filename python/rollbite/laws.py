"""Flow-stress laws (docs/laws.md): the built-in ones by name (``LAWS``, ``info``, ``flow_stress``) and a
law written in Python (``Law``), for ``direct(..., law=...)`` and ``inverse(..., law=...)``."""

import math

import numpy as np

from . import _rollbite

__all__ = ["LAWS", "Law", "info", "flow_stress"]

#: The names of the built-in laws.
LAWS = tuple(_rollbite.law_names())


def info(name):
    """A built-in law: ``name``, ``description`` (formula and source), ``parameters`` (name, unit, meaning,
    in order), the ranges it was fitted in (``strain``, ``strain_rate`` in 1/s, ``temperature`` in C, each a
    pair) and whether it reads the strain rate and the temperature, or gives a pass's mean flow stress."""
    return dict(_rollbite.law_info(str(name)))


def flow_stress(law, parameters, strain, strain_rate=0.0, temperature=20.0):
    """The flow stress (MPa) of a built-in law at every point of ``strain``, ``strain_rate`` (1/s) and
    ``temperature`` (C), broadcast together, with its ``parameters`` as a mapping by name or a sequence in
    order. The law itself: no lowest strain or rate is put in, as the bite does (docs/laws.md)."""
    names = [parameter[0] for parameter in info(law)["parameters"]]
    if isinstance(parameters, dict):
        unknown = set(parameters) - set(names)
        missing = [name for name in names if name not in parameters]
        if unknown or missing:
            raise ValueError(f"the law {law} takes the parameters {names}: "
                             f"{'unknown ' + str(sorted(unknown)) if unknown else 'missing ' + str(missing)}")
        parameters = [parameters[name] for name in names]
    strain, strain_rate, temperature = np.broadcast_arrays(
        np.asarray(strain, dtype=float), np.asarray(strain_rate, dtype=float), np.asarray(temperature, dtype=float)
    )
    stresses = _rollbite.flow_stress(str(law), [float(value) for value in parameters], strain.ravel(),
                                     strain_rate.ravel(), temperature.ravel())
    return stresses.reshape(strain.shape)


class Law:
    """A flow-stress law written in Python, for ``law=`` of ``direct`` and ``inverse``.

    Parameters
    ----------
    function : callable
        ``function(strain, strain_rate, temperature)`` of three numpy arrays of one length (the total
        equivalent strain, the strain rate in 1/s, the temperature in C) returning the flow stress in MPa at
        each point. It is called once for the whole grid of a bite (501 points) and once for each single
        point the bite asks for besides (the neutral point, the exit plane). Its parameters are its own
        (a closure, or a class with ``__call__``).
    name : str
        For messages.
    reads_strain_rate, reads_temperature : bool
        Whether the bite computes the strain rate (and couples the strip's speed with the forward slip, a
        pass then needs ``Strip_speed``) and the temperature (``TemperatureIn`` and ``TemperatureOut``).
    strain, strain_rate, temperature : (float, float)
        The ranges it was fitted in: a pass outside them is refused unless ``extrapolate``; below the lowest
        strain and rate the bite asks at them (docs/laws.md).
    """

    def __init__(self, function, name="python", reads_strain_rate=True, reads_temperature=True,
                 strain=(0.0, math.inf), strain_rate=(0.0, math.inf), temperature=(-273.15, math.inf)):
        if not callable(function):
            raise TypeError(f"a Law needs a function of strain, strain rate and temperature, not {function!r}")
        self.function = function
        self.name = str(name)
        self.reads_strain_rate = bool(reads_strain_rate)
        self.reads_temperature = bool(reads_temperature)
        self.strain = _range(strain, "strain")
        self.strain_rate = _range(strain_rate, "strain_rate")
        self.temperature = _range(temperature, "temperature")

    def __repr__(self):
        return f"Law({self.function!r}, name={self.name!r})"


def _range(pair, name):
    lowest, highest = (float(value) for value in pair)
    if not lowest <= highest:
        raise ValueError(f"{name} must be a range (lowest, highest), not {pair!r}")
    return (lowest, highest)
