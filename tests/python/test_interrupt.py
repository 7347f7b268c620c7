"""Ctrl-C stops a long call of the module: KeyboardInterrupt comes from inside the call, long before its
end, with no thread of the call left running and no frame returned; the module serves the next call."""

import os
import pathlib
import signal
import subprocess
import sys
import textwrap

import pytest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = SOURCE / "examples"

# Inverse WS18 passes take milliseconds each: this many keep two threads busy for a minute or more on a
# fast machine, many times the bound below.
ROWS = 100_000
THREADS = 2
# How long the call runs before the SIGINT, and how long the child may take to stop after it: bounds that
# only keep a broken build from hanging the suite (bench/python_bench.py measures the latency itself).
SECONDS_BEFORE_SIGINT = 0.5
SECONDS_TO_STOP = 20

CHILD = textwrap.dedent(
    """
    import os, signal, sys
    import numpy as np
    import rollbite

    # Python's own handler, even when the suite was started with SIGINT ignored (in the background).
    signal.signal(signal.SIGINT, signal.default_int_handler)
    examples, rows, threads = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    passes = rollbite.read_entry(os.path.join(examples, "inverse_ws18_entry.txt"), "inverse")
    records = rollbite.read_coefficients(os.path.join(examples, "ws18_inverse.txt"), "ws18")
    repeated = np.arange(rows) % len(passes)
    passes = passes.iloc[repeated].reset_index(drop=True)
    records = records.iloc[repeated].reset_index(drop=True)

    def threads_running():
        return len(os.listdir("/proc/self/task"))

    call = getattr(rollbite, sys.argv[4])
    before = threads_running()
    frame = None
    print("solving", flush=True)
    try:
        frame = call(passes, "ws18", records, threads=threads, **({"mode": "inverse"} if sys.argv[4] == "sensitivities" else {}))
        print("finished", flush=True)
    except KeyboardInterrupt:
        print("interrupted", flush=True)
    print("frame returned" if frame is not None else "no frame")
    print("threads left", threads_running() - before)
    print("next call rows", len(rollbite.inverse(passes.iloc[:5], "ws18", records.iloc[:5], threads=threads)))
    """
)


@pytest.mark.parametrize("function", ["inverse", "sensitivities"])
def test_ctrl_c_stops_a_long_call_from_inside_with_no_thread_left(function):
    child = subprocess.Popen(
        [sys.executable, "-c", CHILD, str(EXAMPLES), str(ROWS), str(THREADS), function],
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
        text=True,
        env=os.environ.copy(),
    )
    try:
        assert child.stdout.readline().strip() == "solving", child.stderr.read()
        try:
            child.wait(timeout=SECONDS_BEFORE_SIGINT)
        except subprocess.TimeoutExpired:
            pass
        child.send_signal(signal.SIGINT)
        try:
            output, errors = child.communicate(timeout=SECONDS_TO_STOP)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the call went on for {SECONDS_TO_STOP} s after SIGINT") from None
    finally:
        if child.poll() is None:
            child.kill()
            child.wait()
    assert output.splitlines() == ["interrupted", "no frame", "threads left 0", "next call rows 5"], errors
