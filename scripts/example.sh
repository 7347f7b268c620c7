#!/usr/bin/env bash
# Builds rollbite and runs it on the bundled examples: direct mode with the Constant rheology, the
# answers fed through standard input. Prints the exit file. With "all", runs the six example runs
# (direct and inverse, each rheology) and writes examples/results_*.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/runs.sh

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build --parallel 2 --target rollbite > /dev/null
ROLLBITE="$PWD/build/src/rollbite"

if [ "${1:-}" = "all" ]; then
    for run in "${RUNS[@]}"; do
        IFS='|' read -r name answers entry coefficients <<< "$run"
        run_example "$name" "$answers" "$entry" "$coefficients" "results_$name.txt"
        echo "examples/results_$name.txt"
    done
    exit 0
fi

printf 'd\nc\ndirect_constant_entry.txt\nresults_direct_constant.txt\n' | (cd examples && "$ROLLBITE")
echo
column -t -s $'\t' examples/results_direct_constant.txt 2>/dev/null || cat examples/results_direct_constant.txt
