#!/usr/bin/env bash
# A large run: COUNT (default 1,000,000) direct Constant cases, the example schedules repeated with new
# case numbers. Reports the wall time, the peak resident size of rollbite and checks that the exit
# file holds one row per case. Builds first when needed.
#   scripts/million.sh [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."

count=${1:-1000000}
[ -x build/src/rollbite ] || { cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null && cmake --build build --parallel 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Cycle through the example cases, renumbering them 1..COUNT.
awk -v count="$count" 'NR == 1 { print; next } NF { rest[n++] = substr($0, index($0, $1) + length($1)) }
    END { for (i = 0; i < count; ++i) printf "%d%s\n", i + 1, rest[i % n] }' \
    examples/direct_constant_entry.txt >"$work/entry.txt"

start=$(date +%s.%N)
peak=$(cd "$work" && printf 'd\nc\nentry.txt\nexit.txt\n' |
    /usr/bin/time -f '%M' "$OLDPWD/build/src/rollbite" 2>&1 >/dev/null | tail -n 1)
end=$(date +%s.%N)
rows=$(($(wc -l <"$work/exit.txt") - 1))
echo "cases: $count  rows: $rows  wall: $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }') s  peak resident: $peak kB"
[ "$rows" -eq "$count" ]
