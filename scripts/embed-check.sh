#!/usr/bin/env bash
# Installs a rollbite build into a temporary prefix, builds examples/embed against its CMake package and
# runs it: the force it prints must be the exit file's (case 101 of the direct Constant example run), and its
# own flow-stress law must give the force of the built-in law of the same formula to the last bit.
#   scripts/embed-check.sh [BUILD]    (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
work=$(mktemp -d "${TMPDIR:-/tmp}/rollbite-embed.XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" > "$work/install.log"
for installed in bin/rollbite bin/rollbite-profile bin/rollbite-batch include/rollbite/model/CaseSolver.h \
    lib/cmake/rollbite/rollbiteConfig.cmake; do
    [ -e "$work/prefix/$installed" ] || { echo "embed-check: $installed was not installed" >&2; exit 1; }
done
cmake -S examples/embed -B "$work/embed" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_BUILD_TYPE=Release \
    > "$work/configure.log"
cmake --build "$work/embed" > "$work/build.log"
printed=$("$work/embed/embed")
echo "$printed"
expected=$(awk -F '\t' '$1 == 101 { print $3 }' tests/regression/results_direct_constant.txt)
case "$printed" in
*"rolling force $expected "*) ;;
*) echo "embed-check: the embedded solve did not print the exit file's force $expected" >&2; exit 1 ;;
esac
case "$printed" in
*"law my-swift: "*"the same to the last bit"*) ;;
*) echo "embed-check: the program's own law did not give the built-in law's force" >&2; exit 1 ;;
esac
