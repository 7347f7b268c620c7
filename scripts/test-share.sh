#!/usr/bin/env bash
# The tests' share of the code: non-blank lines of C++ and Python under tests/ (the tests and their
# helpers) against those of src/, python/ and tests/ together, as git tracks them. The aim is 25 to 35 %.
set -euo pipefail
cd "$(dirname "$0")/.."

count() { git ls-files -- "$@" | grep -E '\.(cpp|h|hpp|cc|py)$' | xargs -r cat | grep -c -v -E '^\s*$'; }
code=$(count src python)
tests=$(count tests)
echo "tests: $tests non-blank lines; src and python: $code; tests are $((100 * tests / (code + tests))) % of the code"
