#!/usr/bin/env bash
# Builds rollbite and runs it on the bundled examples: direct mode with the Constant rheology. Prints what
# it ran and the main columns of the exit file. With "all", runs the six example runs (direct and
# inverse, each rheology) and writes examples/results_*.txt.
# It configures the build exactly as scripts/test.sh does, so that the tests reuse what it built.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/runs.sh

scripts/install-deps.sh
echo "Building rollbite and its Python module in build/ (a minute or two the first time)..."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build --parallel 2 --target rollbite _rollbite > /dev/null
ROLLBITE="$PWD/build/src/rollbite"

if [ "${1:-}" = "all" ]; then
    for run in "${RUNS[@]}"; do
        IFS='|' read -r name answers entry coefficients <<< "$run"
        run_example "$name" "$answers" "$entry" "$coefficients" "results_$name.txt"
        echo "examples/results_$name.txt"
    done
    exit 0
fi

(cd examples && "$ROLLBITE" direct --rheology constant direct_constant_entry.txt results_direct_constant.txt \
    --why why_direct_constant.txt --force --quiet)
cat <<'TEXT'

Ran build/src/rollbite in direct mode with the Constant rheology:
  build/src/rollbite direct --rheology constant direct_constant_entry.txt results_direct_constant.txt \
      --why why_direct_constant.txt          (in examples/)
  entry file examples/direct_constant_entry.txt (28 passes of four finishing schedules, then wrong cases)
  exit file  examples/results_direct_constant.txt, why file examples/why_direct_constant.txt

TEXT
# The main columns; the exit file holds all 21.
awk -F '\t' 'BEGIN { OFS = "\t" } { print $1, $2, $3, $4, $5, $6, $15, $18, $21 }' \
    examples/results_direct_constant.txt | column -t -s $'\t'
cat <<'TEXT'

Cases 901 to 906 are wrong on purpose, to show the error classes INPUTS, INTERNAL and OUTPUTS. Why each
one has no result, from the why file:

TEXT
column -t -s $'\t' examples/why_direct_constant.txt
cat <<'TEXT'

Forces in 9.81 N/mm, slips in %, torques in 9.81 N mm/mm, stresses in MPa, angles in rad. All 21
columns: examples/results_direct_constant.txt (docs/files.md explains each).
TEXT
