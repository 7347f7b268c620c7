#!/usr/bin/env bash
# How many faults the test suite catches: applies each mutant of scripts/mutants.txt to src/ one at a time,
# rebuilds incrementally, runs the whole suite (stopping at the first failing test) and reports which
# mutants survive. The build is build-mutants/ (RelWithDebInfo, without link-time optimisation, so that a
# rebuild takes seconds). Every mutated file is put back after its run, and on any exit.
#   scripts/mutants.sh            all mutants
#   scripts/mutants.sh PATTERN    those whose line holds PATTERN
set -euo pipefail
cd "$(dirname "$0")/.."

list=scripts/mutants.txt
pattern=${1:-}
scripts/install-deps.sh
cmake -S . -B build-mutants -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROLLBITE_BENCHMARKS=OFF > /dev/null
cmake --build build-mutants --parallel 2 > /dev/null
ctest --test-dir build-mutants --parallel 2 > build-mutants/baseline.log 2>&1 ||
    { echo "mutants: the suite fails without a mutant (build-mutants/baseline.log)" >&2; exit 1; }

backup=""
restore() {
    if [ -n "$backup" ]; then
        cp -p "$backup" "$target" && rm -f "$backup"
        backup=""
    fi
}
trap restore EXIT

# mutate FILE TEXT REPLACEMENT: TEXT (with \n for a line feed) must stand exactly once in FILE.
mutate() {
    python3 - "$1" "$2" "$3" <<'PY'
import sys
path, text, replacement = sys.argv[1], sys.argv[2].replace("\\n", "\n"), sys.argv[3].replace("\\n", "\n")
source = open(path).read()
if source.count(text) != 1:
    sys.exit(f"mutants: {path} holds the text {source.count(text)} times, not once: {text!r}")
open(path, "w").write(source.replace(text, replacement))
PY
}

total=0
killed=0
survivors=()
while IFS=$'\t' read -r target text replacement what <&3; do
    case "$target" in '' | '#'*) continue ;; esac
    [ -z "$pattern" ] || [[ "$target $text $what" == *"$pattern"* ]] || continue
    total=$((total + 1))
    backup=$(mktemp)
    cp -p "$target" "$backup"
    mutate "$target" "$text" "$replacement"
    touch "$target"
    if ! cmake --build build-mutants --parallel 2 > build-mutants/mutant.log 2>&1; then
        restore
        echo "mutants: mutant $total ($what) does not build; fix its line" >&2
        exit 1
    fi
    if ctest --test-dir build-mutants --parallel 2 --stop-on-failure --timeout 600 > build-mutants/mutant.log 2>&1; then
        survivors+=("$target: $what")
        echo "SURVIVED  $target: $what"
    else
        killed=$((killed + 1))
        first=$(grep -m 1 -E '\*\*\*(Failed|Timeout|Exception)' build-mutants/mutant.log | sed -E 's/.*Test +#[0-9]+: ([^ ]+).*/\1/')
        echo "killed    $target: $what (by ${first:-a failing test})"
    fi
    restore
    touch "$target"
done 3< "$list" # its own descriptor: the build and the tests must not read the list
cmake --build build-mutants --parallel 2 > /dev/null

echo "== $killed of $total mutants killed"
for survivor in "${survivors[@]}"; do
    echo "   survived: $survivor"
done
