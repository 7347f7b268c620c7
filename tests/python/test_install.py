"""The package as a user gets it: cmake --install puts it where the interpreter looks under the prefix,
so that import rollbite works without PYTHONPATH, and its stub tells an editor every public name with
the parameters it really takes."""

import ast
import inspect
import os
import pathlib
import subprocess
import sys

import pytest

import rollbite

SOURCE = pathlib.Path(__file__).resolve().parents[2]
PACKAGE = pathlib.Path(rollbite.__file__).resolve().parent
# The module is imported from BUILD/python/rollbite.
BUILD = PACKAGE.parents[1]

ONE_PASS = {
    "case": [101],
    "Entry_thickness": [40.0],
    "Exit_thickness": [25.0],
    "Entry_tension": [0.0],
    "Exit_tension": [8.0],
    "Working_roll_diameter": [850.0],
    "Young_modulus_WR": [210000.0],
    "Offset_yield_stress": [97.59994126],
    "Friction_coefficient": [0.35],
}


def cache_value(name):
    """A variable of the build's CMake cache, or None."""
    for line in (BUILD / "CMakeCache.txt").read_text().splitlines():
        if line.startswith(name + ":"):
            return line.split("=", 1)[1]
    return None


def test_the_package_installed_into_the_user_base_imports_without_pythonpath(tmp_path):
    if not (BUILD / "CMakeCache.txt").exists():
        pytest.skip("rollbite is not imported from a CMake build folder")
    if cache_value("ROLLBITE_PYTHON_INSTALL_DIR"):
        pytest.skip("this build names its own folder for the package")
    prefix = tmp_path / "prefix"
    environment = {
        name: value
        for name, value in os.environ.items()
        if name not in ("PYTHONPATH", "PYTHONHOME", "PYTHONNOUSERSITE")
    }
    environment["PYTHONUSERBASE"] = str(prefix)
    subprocess.run(
        [cache_value("CMAKE_COMMAND"), "--install", str(BUILD), "--prefix", str(prefix), "--component", "python"],
        env=environment,
        check=True,
        capture_output=True,
    )
    imported = subprocess.run(
        [
            sys.executable,
            "-c",
            "import sys, rollbite; print(rollbite.__file__); "
            f"print(rollbite.direct({ONE_PASS!r})['Rolling_Force'].iloc[0].hex())",
        ],
        cwd=tmp_path,
        env=environment,
        capture_output=True,
        text=True,
    )
    assert imported.returncode == 0, imported.stderr
    location, force = imported.stdout.split()
    assert pathlib.Path(location).is_relative_to(prefix)
    assert force == rollbite.direct(ONE_PASS)["Rolling_Force"].iloc[0].hex()


def stub_functions():
    """The functions of the package's stub: name and parameter names."""
    stub = ast.parse((SOURCE / "python" / "rollbite" / "__init__.pyi").read_text())
    return {
        node.name: [argument.arg for argument in node.args.args + node.args.kwonlyargs]
        for node in stub.body
        if isinstance(node, ast.FunctionDef)
    }


def test_the_stub_names_every_public_function_with_its_parameters():
    assert (PACKAGE / "__init__.pyi").exists()
    functions = {
        name: list(inspect.signature(getattr(rollbite, name)).parameters)
        for name in rollbite.__all__
        if callable(getattr(rollbite, name))
    }
    assert stub_functions() == functions
