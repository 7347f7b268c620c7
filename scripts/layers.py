#!/usr/bin/env python3
"""The includes of the model that run back up its layers, and the files and lines of each folder.

The model's folders are layers: learning (a mill that learns from its logs) over mill (a chain of stands,
the load shared) over analysis (sensitivities,
uncertainty) over case (one pass from inputs to result) over bite (one roll bite) over rheology over inputs,
with numerics (small tools any layer may use) at the bottom. A file may include from its own folder or
one below. The public headers under include/rollbite belong to the layer that defines what they declare
(the table below). Run on the working tree, or on a revision (the flat src/model of earlier revisions is
placed file by file as the working tree places it):

    scripts/layers.py            the working tree; status 1 when an include runs back up
    scripts/layers.py REV        the same for a revision, read from git
"""

import pathlib
import re
import subprocess
import sys

ORDER = ["numerics", "inputs", "rheology", "bite", "case", "analysis", "mill", "learning"]
# The public headers and Kinds/Numerics: what each declares belongs to one layer.
PUBLIC = {
    "Kinds.h": "numerics",
    "Numerics.h": "numerics",
    "BiteProfile.h": "bite",
    "CaseInputs.h": "case",
    "CaseResult.h": "case",
    "CaseSolver.h": "case",
    "InverseUncertainty.h": "analysis",
    "PassSensitivities.h": "analysis",
    "SensitivitySolver.h": "analysis",
    "ScheduleInputs.h": "mill",
    "ScheduleResult.h": "mill",
    "ScheduleSolver.h": "mill",
    "LoadDistributor.h": "mill",
    "MillLearner.h": "learning",
}
ROOT = pathlib.Path(__file__).resolve().parent.parent
INCLUDE = re.compile(r'^#include "([^"]+)"', re.MULTILINE)


def model_layers():
    """The layer of each file of the model, by its name, as the working tree places it."""
    layers = {}
    for layer in ORDER:
        for path in (ROOT / "src" / "model" / layer).glob("*"):
            layers[path.name] = layer
    return layers


def files_of(revision):
    """(path, text) of every header and source of src/ and include/rollbite at the revision."""
    if revision is None:
        paths = [p for folder in ("src", "include/rollbite") for p in (ROOT / folder).rglob("*") if p.is_file()]
        return [(str(p.relative_to(ROOT)), p.read_text()) for p in paths if p.suffix in (".h", ".cpp")]
    listed = subprocess.check_output(["git", "-C", str(ROOT), "ls-tree", "-r", "--name-only", revision,
                                      "src", "include/rollbite"], text=True).split()
    return [(path, subprocess.check_output(["git", "-C", str(ROOT), "show", f"{revision}:{path}"], text=True))
            for path in listed if path.endswith((".h", ".cpp"))]


def layer_of(path, layers):
    """The layer of a file of src/ or include/, or None for one outside the model (the application)."""
    parts = pathlib.PurePath(path).parts
    name = parts[-1]
    if parts[0] == "include" or (len(parts) > 1 and parts[0] == "rollbite"):
        return PUBLIC.get(name)
    if parts[0] == "src":
        parts = parts[1:]
    if parts[0] in ("inputs", "rheology"):
        return parts[0]
    if parts[0] == "model":
        return layers.get(name)
    return None


def main():
    revision = sys.argv[1] if len(sys.argv) > 1 else None
    layers = model_layers()
    upward = []
    sizes = {}
    for path, text in files_of(revision):
        layer = layer_of(path, layers)
        if layer is None:
            continue
        folder = str(pathlib.PurePath(path).parent)
        count, lines = sizes.get(folder, (0, 0))
        sizes[folder] = (count + 1, lines + text.count("\n"))
        for included in INCLUDE.findall(text):
            target = layer_of(included, layers)
            if target is not None and ORDER.index(target) > ORDER.index(layer):
                upward.append(f"{path} ({layer}) includes {included} ({target})")
    for folder, (count, lines) in sorted(sizes.items()):
        print(f"{folder}: {count} files, {lines} lines")
    for line in upward:
        print(f"up: {line}")
    print(f"{len(upward)} includes run back up the layers")
    return 1 if upward else 0


if __name__ == "__main__":
    sys.exit(main())
