#!/usr/bin/env bash
# Installs what the build, the tests and the project's scripts need when it is missing: compiler, CMake,
# GoogleTest, Google Benchmark; pybind11 and Debian's Python with numpy, pandas, pytest, matplotlib and
# dask (the Python module, for /usr/bin/python3); clang with its fuzzer runtime (scripts/fuzz.sh); GNU
# parallel (scripts/rollbite-batch); gnuplot (rollbite-profile --plot). Uses apt-get as root (or through
# sudo); does nothing when everything is present.
set -euo pipefail

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
[ -x /usr/bin/time ] || missing+=(time)
have_package() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for package in libgtest-dev libgmock-dev libbenchmark-dev pybind11-dev python3-dev python3-numpy python3-pandas \
    python3-pytest python3-matplotlib python3-dask python3-distributed python3-scipy; do
    have_package "$package" || missing+=("$package")
done
command -v parallel >/dev/null 2>&1 || missing+=(parallel)
command -v flock >/dev/null 2>&1 || missing+=(util-linux) # rollbite-batch holds its exit file's lock
command -v rsync >/dev/null 2>&1 || missing+=(rsync) # parallel sends pieces to other hosts with it
command -v gnuplot >/dev/null 2>&1 || missing+=(gnuplot-nox)
if ! command -v clang++ >/dev/null 2>&1; then
    missing+=(clang libclang-rt-dev)
elif [ ! -e "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ] &&
    [ ! -e "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a" ]; then
    version=$(clang++ -dumpversion | cut -d. -f1)
    missing+=("libclang-rt-$version-dev")
fi

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
