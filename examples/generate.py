#!/usr/bin/env python3
"""Writes the example files of rollbite: four seven-stand hot finishing schedules and a few deliberately
wrong cases, as direct-mode entry files with their Smatch and WS18 coefficient files; then, from the
direct results of a built rollbite, the inverse-mode entry files that feed the computed force and forward
slip back, started from other values.

    python3 examples/generate.py [path/to/rollbite]

Run from the repository root. Without the executable only the direct files are written."""

import math
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# Weight percent: C Mn Si N Nb Ti V Al P Cr Mo Cu Ni B
CARBON_MANGANESE = [0.05, 0.35, 0.02, 0.004, 0.0, 0.0, 0.0, 0.035, 0.012, 0.02, 0.005, 0.02, 0.02, 0.0003]
NIOBIUM = [0.07, 1.35, 0.25, 0.005, 0.035, 0.015, 0.005, 0.03, 0.012, 0.03, 0.01, 0.02, 0.02, 0.0002]

# name, steel, thicknesses F1 in .. F7 out (mm), F1 entry temperature (C), F7 exit speed (m/s), first id
SCHEDULES = [
    ("A", "C-Mn", [40.0, 25.0, 16.0, 11.0, 8.0, 6.2, 5.1, 4.4], 1080.0, 5.5, 101),
    ("B", "C-Mn", [35.0, 21.0, 13.0, 8.5, 6.0, 4.5, 3.6, 3.0], 1060.0, 8.0, 201),
    ("C", "Nb", [32.0, 19.0, 11.5, 7.5, 5.2, 3.9, 3.1, 2.6], 1050.0, 9.5, 301),
    ("D", "Nb", [28.0, 16.0, 9.5, 6.0, 4.1, 3.0, 2.4, 2.0], 1040.0, 11.5, 401),
]
ROLL_DIAMETERS = [850.0, 830.0, 800.0, 760.0, 700.0, 650.0, 620.0]  # mm, F1 to F7
FRICTION = [0.35, 0.33, 0.31, 0.29, 0.26, 0.23, 0.21]
INTERSTAND_TENSION = [8.0, 10.0, 12.0, 13.0, 14.0, 15.0]  # MPa between F1-F2 ... F6-F7
COILER_TENSION = 18.0  # MPa behind F7
YOUNG_MODULUS = 210000.0  # MPa, steel work rolls


def flow_stress(celsius, steel):
    """A plausible mean hot flow stress (MPa) of the pass for the Constant rheology."""
    base = 95.0 if steel == "C-Mn" else 120.0
    return base * math.exp(0.0045 * (1080.0 - celsius))


def smatch_coefficients(celsius, steel):
    """a (MPa), b (MPa), c, d of the Smatch law; the hardening level falls with temperature."""
    scale = math.exp(0.004 * (1000.0 - celsius))
    a = (105.0 if steel == "C-Mn" else 130.0) * scale
    b = (35.0 if steel == "C-Mn" else 50.0) * scale
    return [a, b, 0.12, 4.5]


def microstructure(stand, steel):
    """X_rec, D_rec (um), Rho_rec, X_unrec, D_unrec (um), Rho_unrec (1/m^2) entering a stand."""
    if steel == "C-Mn" or stand < 2:
        return [1.0, 60.0 - 6.0 * stand, 1e13, 0.0, 40.0, 1e13]
    unrecrystallised = min(0.2 * (stand - 1), 0.8)  # Nb holds recrystallisation back in the last stands
    return [1.0 - unrecrystallised, 25.0, 1e13, unrecrystallised, 20.0, 3e13 * stand]


def number(value):
    return "{:.10g}".format(value) if isinstance(value, float) else str(value)


def passes():
    """Every pass of every schedule: (id, rolling values, temperatures, speed, steel, stand)."""
    for name, steel, thicknesses, temperature_in, exit_speed, first_id in SCHEDULES:
        temperature = temperature_in
        for stand in range(7):
            h_in, h_out = thicknesses[stand], thicknesses[stand + 1]
            entry_tension = 0.0 if stand == 0 else INTERSTAND_TENSION[stand - 1]
            exit_tension = COILER_TENSION if stand == 6 else INTERSTAND_TENSION[stand]
            temperature_out = temperature - 12.0 - 2.0 * stand  # deformation heat less roll chill
            speed = exit_speed * thicknesses[7] / h_out  # mass flow, m/s
            yield {
                "id": first_id + stand, "steel": steel, "stand": stand,
                "rolling": [h_in, h_out, entry_tension, exit_tension, ROLL_DIAMETERS[stand], YOUNG_MODULUS],
                "friction": FRICTION[stand], "t_in": temperature, "t_out": temperature_out, "speed": speed,
            }
            temperature = temperature_out - 20.0  # interstand cooling


# Deliberately wrong cases: (id, rolling values, constant offset, friction, what they show)
WRONG = [
    (901, [10.0, 3.5, 5.0, 10.0, 700.0, 210000.0], 150.0, 0.3, "INPUTS: 65 percent reduction"),
    (902, [8.0, 6.0, 5.0, 10.0, 700.0, 210000.0], 150.0, 1.2, "INPUTS: friction above 1"),
    (903, [8.0, 6.0, 60.0, 10.0, 700.0, 210000.0], 150.0, 0.3, "INPUTS: entry tension above 50 MPa"),
    (904, [30.0, 22.0, 45.0, 10.0, 800.0, 210000.0], 40.0, 0.3, "INTERNAL: tension beyond the yield stress"),
    (905, [60.0, 30.0, 5.0, 10.0, 800.0, 210000.0], 2000.0, 0.3, "OUTPUTS: force above 5000"),
    (906, [2.0, 1.96, 0.0, 0.0, 600.0, 210000.0], 30.0, 0.2, "OUTPUTS: force below 150"),
]


def write(name, header, rows):
    with open(os.path.join(HERE, name), "w") as out:
        out.write(header + "\n")
        for row in rows:
            out.write(" ".join(number(v) for v in row) + "\n")


def ws18_record(case, speed):
    chemistry = CARBON_MANGANESE if case["steel"] == "C-Mn" else NIOBIUM
    return chemistry + [case["t_in"], case["t_out"], speed] + microstructure(case["stand"], case["steel"])


def write_direct():
    cases = list(passes())
    entry_header = "case h_in(mm) h_out(mm) T_in(MPa) T_out(MPa) D(mm) E(MPa) offset(MPa) mu"
    constant, smatch_entry, ws18_entry, smatch, ws18 = [], [], [], [], []
    for case in cases:
        mean_temperature = 0.5 * (case["t_in"] + case["t_out"])
        constant.append([case["id"]] + case["rolling"] + [flow_stress(mean_temperature, case["steel"]),
                                                         case["friction"]])
        smatch_entry.append([case["id"]] + case["rolling"] + [5.0, case["friction"]])
        ws18_entry.append([case["id"]] + case["rolling"] + [2.0, case["friction"]])
        smatch.append(smatch_coefficients(case["t_in"], case["steel"]))
        ws18.append(ws18_record(case, case["speed"] / 1.07))  # roll surface speed
    for case_id, rolling, offset, friction, _ in WRONG:
        # The laws of Smatch and WS18 add their own stress to the offset: the case of a tension beyond
        # the yield stress needs a soft law and no offset there.
        soft = case_id == 904
        for rows, case_offset in ((constant, offset), (smatch_entry, 0.0 if soft else offset),
                                  (ws18_entry, 0.0 if soft else offset)):
            rows.append([case_id] + rolling + [case_offset, friction])
        smatch.append([20.0, 10.0, 0.1, 4.0] if soft else [100.0, 40.0, 0.1, 4.0])
        ws18.append(CARBON_MANGANESE + [1000.0, 985.0, 3.0, 1.0, 50.0, 1e13, 0.0, 40.0, 1e13])
    # A WS18 case out of the model's temperature range, and a Smatch law that gives no stress.
    ws18_entry.append([907, 8.0, 6.0, 5.0, 10.0, 700.0, 210000.0, 2.0, 0.3])
    ws18.append(CARBON_MANGANESE + [1250.0, 1240.0, 3.0, 1.0, 50.0, 1e13, 0.0, 40.0, 1e13])
    smatch_entry.append([907, 8.0, 6.0, 5.0, 10.0, 700.0, 210000.0, -200.0, 0.3])
    smatch.append([100.0, 40.0, 0.1, 4.0])
    write("direct_constant_entry.txt", entry_header, constant)
    write("direct_smatch_entry.txt", entry_header, smatch_entry)
    write("direct_ws18_entry.txt", entry_header, ws18_entry)
    write("smatch_direct.txt", "A(MPa) B(MPa) C D", smatch)
    write("ws18_direct.txt", "C Mn Si N Nb Ti V Al P Cr Mo Cu Ni B T_in(C) T_out(C) v(m/s) X_rec D_rec(um) "
          "Rho_rec(1/m2) X_unrec D_unrec(um) Rho_unrec(1/m2)", ws18)
    return cases


def run(rollbite, mode, rheology, entry, coefficients=None):
    exit_name = os.path.join(HERE, ".generate_exit.txt")
    answers = [mode, rheology, entry, exit_name] + ([coefficients] if coefficients else [])
    subprocess.run([rollbite], input="\n".join(answers) + "\n", text=True, check=True, stdout=subprocess.DEVNULL)
    with open(exit_name) as results:
        rows = [line.rstrip("\n").split("\t") for line in results][1:]
    os.remove(exit_name)
    return {int(row[0]): row for row in rows}


def write_inverse(rollbite, cases):
    header = "case h_in(mm) h_out(mm) T_in(MPa) T_out(MPa) D(mm) E(MPa) offset0(MPa) mu0 force(9.81N/mm) slip(%)"
    for rheology, letter, coefficients in (("constant", "c", None), ("smatch", "s", "smatch_direct.txt"),
                                           ("ws18", "w", "ws18_direct.txt")):
        direct = run(rollbite, "d", letter, os.path.join(HERE, "direct_%s_entry.txt" % rheology),
                     coefficients and os.path.join(HERE, coefficients))
        rows, smatch, ws18 = [], [], []
        for case in cases:
            result = direct[case["id"]]
            force, slip = float(result[2]), float(result[3])
            # Start from a guess: 80 percent of the flow stress for Constant, a small offset otherwise.
            mean_temperature = 0.5 * (case["t_in"] + case["t_out"])
            start_offset = {"constant": round(0.8 * flow_stress(mean_temperature, case["steel"])),
                            "smatch": 20.0, "ws18": 15.0}[rheology]
            rows.append([case["id"] + 1000] + case["rolling"] + [start_offset, 0.25, force, slip])
            smatch.append(smatch_coefficients(case["t_in"], case["steel"]))
            ws18.append(ws18_record(case, case["speed"] / 1.07 * (1.0 + slip / 100.0)))  # exit speed
        wrong = [
            (1901, 150.0, 0.3, 150.0, 5.0, "INPUTS: force of 150"),
            (1902, 150.0, 0.3, 1500.0, 0.0, "INPUTS: no forward slip"),
            (1903, 150.0, 0.05, 1500.0, 5.0, "INPUTS: starting friction below 0.1"),
            (1904, 40.0, 0.3, 600.0, 5.0, "INTERNAL: tension beyond the yield stress"),
        ]
        for case_id, offset, friction, force, slip, _ in wrong:
            rolling = [30.0, 22.0, 45.0 if case_id == 1904 else 5.0, 10.0, 800.0, 210000.0]
            rows.append([case_id] + rolling + [offset if rheology == "constant" else 0.0, friction, force, slip])
            smatch.append([20.0, 10.0, 0.1, 4.0])
            ws18.append(CARBON_MANGANESE + [1000.0, 985.0, 3.0, 1.0, 50.0, 1e13, 0.0, 40.0, 1e13])
        write("inverse_%s_entry.txt" % rheology, header, rows)
        if rheology == "smatch":
            write("smatch_inverse.txt", "A(MPa) B(MPa) C D", smatch)
        if rheology == "ws18":
            write("ws18_inverse.txt", "C Mn Si N Nb Ti V Al P Cr Mo Cu Ni B T_in(C) T_out(C) v(m/s) X_rec "
                  "D_rec(um) Rho_rec(1/m2) X_unrec D_unrec(um) Rho_unrec(1/m2)", ws18)


def main():
    cases = write_direct()
    if len(sys.argv) > 1:
        write_inverse(os.path.abspath(sys.argv[1]), cases)


if __name__ == "__main__":
    main()
