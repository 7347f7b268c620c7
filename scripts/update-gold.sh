#!/usr/bin/env bash
# Regenerates the gold exit files of the regression suite (tests/regression/) from the bundled examples,
# and the digest's recorded values (tests/digest/).
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

# The digest's 17-digit values and the platform they were computed on.
cmake --build build --parallel 2 --target rollbite_tests > /dev/null
ROLLBITE_DIGEST_RECORD="$PWD/tests/digest" build/tests/rollbite_tests --gtest_filter='Digest.Every*' > /dev/null
echo "tests/digest/values.txt tests/digest/platform.txt"
git --no-pager diff --stat -- tests/digest || true

# The why files of the six example runs, written by the command line.
for run in "${RUNS[@]}"; do
    IFS='|' read -r name answers entry coefficients <<< "$run"
    mode=direct; [ "${answers% *}" = i ] && mode=inverse
    case "${answers#* }" in c) rheology=constant ;; s) rheology=smatch ;; w) rheology=ws18 ;; esac
    (cd examples && "$ROLLBITE" "$mode" --rheology "$rheology" ${coefficients:+--coefficients "$coefficients"} \
        --quiet --why "$OLDPWD/tests/regression/why_$name.txt" "$entry" /dev/null)
    echo "tests/regression/why_$name.txt"
done
git --no-pager diff --stat -- tests/regression || true
