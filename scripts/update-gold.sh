#!/usr/bin/env bash
# Regenerates the gold exit files of the regression suite (tests/regression/) from the bundled examples.
# Run it only on purpose, after a change of results that you have checked, and review the diff.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/runs.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build --parallel 2 --target rollbite > /dev/null
ROLLBITE="$PWD/build/src/rollbite"

for run in "${RUNS[@]}"; do
    IFS='|' read -r name answers entry coefficients <<< "$run"
    run_example "$name" "$answers" "$entry" "$coefficients" "$PWD/tests/regression/results_$name.txt"
    echo "tests/regression/results_$name.txt"
done
git --no-pager diff --stat -- tests/regression || true
