#!/usr/bin/env bash
# Builds rollbite and runs every test. Installs missing tools first. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DROLLBITE_WERROR=ON
cmake --build build --parallel 2
ctest --test-dir build --output-on-failure --parallel 2
