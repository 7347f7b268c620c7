#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) and runs each
# for SECONDS (default 60) from the committed seed corpora. Inputs that make a target fail are saved in
# build-fuzz/artifacts/ and the script exits non-zero.
#   scripts/fuzz.sh            about a minute per target, as in CI
#   scripts/fuzz.sh 3600       a longer local campaign; the grown corpora stay in build-fuzz/corpus/
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROLLBITE_FUZZ=ON \
    -DROLLBITE_TESTS=OFF -DROLLBITE_BENCHMARKS=OFF -DROLLBITE_PYTHON=OFF >/dev/null
cmake --build build-fuzz --parallel 2 --target CaseLineFuzz RunFuzz

mkdir -p build-fuzz/artifacts
status=0
for target in CaseLineFuzz:case RunFuzz:run; do
    name=${target%%:*}
    seeds=fuzz/corpus/${target##*:}
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    echo "== $name, $seconds s"
    if ! build-fuzz/fuzz/"$name" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/"$name"- "$corpus" "$seeds" \
        >build-fuzz/"$name".log 2>&1; then
        status=1
        tail -n 40 build-fuzz/"$name".log
    fi
    grep -E '^(Done|stat::number_of_executed_units)' build-fuzz/"$name".log || true
done
exit $status
