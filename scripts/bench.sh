#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them five times each, printing medians (and the other
# aggregates). Extra arguments go to the benchmark program, e.g. --benchmark_filter=WS18.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DROLLBITE_BENCHMARKS=ON > /dev/null
cmake --build build --parallel 2 --target rollbite_bench > /dev/null
build/bench/rollbite_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
