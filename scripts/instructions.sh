#!/usr/bin/env bash
# Instructions that each of the six example runs takes, counted by callgrind: the same for the same
# binary and inputs whatever else the machine does, so two builds compare to a fraction of a percent.
# Each run is one thread of `rollbite` on the example's cases twice over, rows to /dev/null.
#   scripts/instructions.sh [ROLLBITE...]    (default: build/src/rollbite)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/runs.sh
command -v valgrind > /dev/null || { echo "instructions: valgrind is missing" >&2; exit 1; }
[ $# -gt 0 ] || set -- build/src/rollbite

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
twice() { # FILE: its header, then its lines after the header twice
    { head -n 1 "examples/$1"; tail -n +2 "examples/$1"; tail -n +2 "examples/$1"; } > "$work/$1"
}
printf '%-18s' run
for rollbite in "$@"; do
    label=$rollbite
    [ ${#label} -le 22 ] || label="...${label: -19}"
    printf ' %22s' "$label"
done
echo
for run in "${RUNS[@]}"; do
    IFS='|' read -r name answers entry coefficients <<< "$run"
    mode=direct; [ "${answers% *}" = i ] && mode=inverse
    case "${answers#* }" in c) rheology=constant ;; s) rheology=smatch ;; w) rheology=ws18 ;; esac
    twice "$entry"
    options=(--threads 1 --quiet)
    if [ -n "$coefficients" ]; then
        twice "$coefficients"
        options+=(--coefficients "$work/$coefficients")
    fi
    printf '%-18s' "$name"
    for rollbite in "$@"; do
        count=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$rollbite" "$mode" --rheology "$rheology" \
            "${options[@]}" "$work/$entry" /dev/null 2>&1 | sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
        printf ' %22s' "$count"
    done
    echo
done
