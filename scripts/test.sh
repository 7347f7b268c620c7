#!/usr/bin/env bash
# Builds rollbite and runs every test, then the whole suite again with the C library's mathematical
# functions for processors without fused multiply-add, as another machine would pick them. Installs
# missing tools first. Configures the build as scripts/example.sh does, so that nothing it built is built
# again. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build --parallel 2
ctest --test-dir build --output-on-failure --parallel 2
echo "== The tests again with GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA"
GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA ctest --test-dir build --output-on-failure --parallel 2
