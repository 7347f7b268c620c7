#!/usr/bin/env bash
# Regenerates the gold exit files of the regression suite (tests/regression/) from the bundled examples,
# the digest's recorded values (tests/digest/), the why files and the recorded runs of tests/runs/.
# Run it only on purpose, after a change of results that you have checked, and review the diff.
#   scripts/update-gold.sh         everything, with the Release build in build/
#   scripts/update-gold.sh runs    the recorded runs only, with the build in $ROLLBITE_BUILD (default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/runs.sh

build=${ROLLBITE_BUILD:-build}
if [ "${1:-}" != runs ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release > /dev/null
fi
cmake --build "$build" --parallel 2 --target rollbite rollbite-profile > /dev/null
ROLLBITE="$PWD/$build/src/rollbite"
if [ "${1:-}" = runs ]; then
    only_runs=1
else
    only_runs=""
fi

for run in "${RUNS[@]}"; do
    [ -z "$only_runs" ] || break
    IFS='|' read -r name answers entry coefficients <<< "$run"
    run_example "$name" "$answers" "$entry" "$coefficients" "$PWD/tests/regression/results_$name.txt"
    echo "tests/regression/results_$name.txt"
done
git --no-pager diff --stat -- tests/regression || true

# The digest's 17-digit values and the platform they were computed on.
if [ -z "$only_runs" ]; then
    cmake --build "$build" --parallel 2 --target rollbite_tests > /dev/null
    ROLLBITE_DIGEST_RECORD="$PWD/tests/digest" "$build"/tests/rollbite_tests --gtest_filter='Digest.Every*' > /dev/null
    echo "tests/digest/values.txt tests/digest/platform.txt"
    git --no-pager diff --stat -- tests/digest || true
fi

# The why files of the six example runs, written by the command line.
for run in "${RUNS[@]}"; do
    [ -z "$only_runs" ] || break
    IFS='|' read -r name answers entry coefficients <<< "$run"
    mode=direct; [ "${answers% *}" = i ] && mode=inverse
    case "${answers#* }" in c) rheology=constant ;; s) rheology=smatch ;; w) rheology=ws18 ;; esac
    (cd examples && "$ROLLBITE" "$mode" --rheology "$rheology" ${coefficients:+--coefficients "$coefficients"} \
        --quiet --why "$OLDPWD/tests/regression/why_$name.txt" "$entry" /dev/null)
    echo "tests/regression/why_$name.txt"
done
git --no-pager diff --stat -- tests/regression || true

# The recorded runs of tests/runs/: each run again, its output, status and after-files written anew.
python3 - "$ROLLBITE" <<'PY'
import os, pathlib, shutil, subprocess, sys, tempfile
rollbite = sys.argv[1]
recorded = lambda name: name.startswith(("expected-", "after-")) or name in (
    "answers", "command", "script", "absent", "folders", "requirement")
search_path = f"{os.path.dirname(rollbite)}:{os.path.abspath('scripts')}:{os.environ['PATH']}"
for folder in sorted(pathlib.Path("tests/runs").iterdir()):
    with tempfile.TemporaryDirectory() as work:
        for file in folder.iterdir():
            if not recorded(file.name):
                shutil.copyfile(file, os.path.join(work, file.name))
        folders = folder / "folders"
        for name in (folders.read_text().split() if folders.exists() else []):
            os.mkdir(os.path.join(work, name))
        answers = folder / "answers"
        script = folder / "script"
        if answers.exists():
            run = subprocess.run([rollbite], input=answers.read_bytes(), cwd=work, capture_output=True)
        elif script.exists():
            shutil.copyfile(script, os.path.join(work, ".script"))
            run = subprocess.run(["bash", ".script"], stdin=subprocess.DEVNULL, cwd=work, capture_output=True,
                                 env=dict(os.environ, PATH=search_path))
        else:
            command = (folder / "command").read_text().splitlines()[0]
            run = subprocess.run(f"'{rollbite}' {command}", shell=True, stdin=subprocess.DEVNULL, cwd=work,
                                 capture_output=True)
        for name, content in (("expected-out", run.stdout), ("expected-err", run.stderr),
                              ("expected-status", b"" if run.returncode == 0 else f"{run.returncode}\n".encode())):
            path = folder / name
            if content:
                path.write_bytes(content)
            elif path.exists():
                path.unlink()
        for after in folder.glob("after-*"):
            after.write_bytes(pathlib.Path(work, after.name[len("after-"):]).read_bytes())
        absent = folder / "absent"
        for name in (absent.read_text().split() if absent.exists() else []):
            if os.path.exists(os.path.join(work, name)):
                print(f"{folder}: {name} is there, and must not be", file=sys.stderr)
print("tests/runs/")
PY
git --no-pager diff --stat -- tests/runs || true
