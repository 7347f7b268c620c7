#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets from the example files.

corpus/case: one seed per example case line (with its coefficient record) of each of the six runs.
corpus/run: the first cases of each example run as a whole pair of files.
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
EXAMPLES = HERE.parent / "examples"
# (combination byte of the targets, entry file, coefficient file or None)
RUNS = [
    (0, "direct_constant_entry.txt", None),
    (1, "direct_smatch_entry.txt", "smatch_direct.txt"),
    (2, "direct_ws18_entry.txt", "ws18_direct.txt"),
    (3, "inverse_constant_entry.txt", None),
    (4, "inverse_smatch_entry.txt", "smatch_inverse.txt"),
    (5, "inverse_ws18_entry.txt", "ws18_inverse.txt"),
]
CASES_PER_RUN_SEED = 3


def lines(name):
    return (EXAMPLES / name).read_bytes().split(b"\n")


def main():
    case_folder = HERE / "corpus" / "case"
    run_folder = HERE / "corpus" / "run"
    for folder in (case_folder, run_folder):
        folder.mkdir(parents=True, exist_ok=True)
        for old in folder.iterdir():
            old.unlink()
    for combination, entry, coefficients in RUNS:
        entry_lines = [line for line in lines(entry) if line.strip()]
        coefficient_lines = [line for line in lines(coefficients) if line.strip()] if coefficients else []
        for index, case_line in enumerate(entry_lines[1:], start=1):
            record = coefficient_lines[index] if coefficients else b""
            seed = bytes([combination]) + case_line + b"\n" + record
            (case_folder / f"{combination}-{index:03d}").write_bytes(seed)
        count = CASES_PER_RUN_SEED + 1
        entry_text = b"\n".join(entry_lines[:count]) + b"\n"
        coefficient_text = b"\n".join(coefficient_lines[:count]) + b"\n" if coefficients else b""
        length = len(entry_text)
        seed = bytes([combination, length & 0xFF, length >> 8]) + entry_text + coefficient_text
        (run_folder / f"{combination}").write_bytes(seed)


if __name__ == "__main__":
    main()
