"""rollbite: the roll bite of flat rolling of steel strip, for data frames.

Orowan's slab analysis of the bite between two work rolls, the model of the rollbite program, on passes
held in pandas data frames:

- ``direct(passes, ...)``: rolling force, forward slip and torque of each pass, from its friction and flow
  stress.
- ``inverse(passes, ...)``: offset yield stress and friction coefficient of each pass, from its measured
  force and forward slip.
- ``read_entry``, ``read_coefficients``, ``read_exit`` and ``write_entry``: the program's files as frames,
  so that a file run and a frame run can be compared.
- ``profile(...)``: the friction hill of one pass, point by point.
- ``schedule(stands, strip, distribute=None)``, ``read_schedule``, ``plot_schedule`` and ``plot_temperatures`` (a hot
  mill's thermal chain): the stands of a
  mill chained into one schedule, the load distributed among them, and a picture of it.
- ``replay(log, ...)``, ``read_state`` and ``plot_replay``: a mill's log replayed coil by coil, each coil
  predicted before it is rolled from what the coils before it taught, then learnt from (docs/learning.md).
- ``laws``: flow-stress laws, built-in and one's own, for ``law=`` of ``direct`` and ``inverse``
  (docs/laws.md); ``fit_law(tests, law)`` fits a built-in law's parameters to flow curves (docs/fitting.md).
- ``sensitivities(passes, ...)``: the derivatives of force, slip and torque of direct passes by their
  inputs, with the plasticity coefficient; or how well inverse results are known (docs/sensitivities.md).

Every value is the one the program writes to its exit file, to the last bit. The passes are solved on
threads (all cores by default) with the interpreter lock released, and come back in their order; Ctrl-C
stops a call within about a tenth of a second, with KeyboardInterrupt.

The package's modules: ``passes`` (direct, inverse, profile), ``files`` (the entry, coefficient and exit
files), ``schedule`` (schedules), ``plots`` (their pictures), ``learning`` (replays of mill logs) and
``sensitivities``; this module takes their public names.

Units: thicknesses and diameters in mm; tensions, moduli, stresses in MPa; forces in units of 9.81 N/mm
(tonnes-force per metre of width); torques in 9.81 N mm/mm for both rolls; forward slips in percent;
angles in rad; temperatures in degrees Celsius; strip speeds in m/s.
"""

from . import _rollbite, laws  # noqa: F401
from ._frames import COEFFICIENT_COLUMNS, ENTRY_COLUMNS, ERROR_CLASSES, RHEOLOGIES  # noqa: F401
from .fitting import fit_law
from .files import read_coefficients, read_entry, read_exit, write_entry
from .learning import REPLAY_COLUMNS, plot_replay, read_state, replay
from .passes import direct, inverse, profile
from .plots import plot_schedule, plot_temperatures
from .schedule import SCHEDULE_COLUMNS, STAND_FIELDS, STRIP_FIELDS, THERMAL_COLUMNS, read_schedule, schedule
from .sensitivities import SENSITIVITY_COLUMNS, sensitivities

#: The version of rollbite this module was built from.
__version__ = _rollbite.__version__

__all__ = [
    "fit_law",
    "direct",
    "inverse",
    "profile",
    "read_entry",
    "read_coefficients",
    "read_exit",
    "write_entry",
    "sensitivities",
    "ENTRY_COLUMNS",
    "SENSITIVITY_COLUMNS",
    "COEFFICIENT_COLUMNS",
    "schedule",
    "read_schedule",
    "plot_schedule",
    "plot_temperatures",
    "SCHEDULE_COLUMNS",
    "THERMAL_COLUMNS",
    "STRIP_FIELDS",
    "STAND_FIELDS",
    "replay",
    "read_state",
    "plot_replay",
    "REPLAY_COLUMNS",
]
