#!/usr/bin/env bash
# Installs what the build and the tests need (compiler, CMake, GoogleTest, Google Benchmark) when it is
# missing. Uses apt-get as root (or through sudo); does nothing when everything is present.
set -euo pipefail

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
have_package() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for package in libgtest-dev libgmock-dev libbenchmark-dev; do
    have_package "$package" || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
elif command -v sudo >/dev/null 2>&1; then
    sudo apt-get update
    sudo DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
else
    echo "error: missing ${missing[*]} and no root rights to install them with apt-get" >&2
    exit 1
fi
