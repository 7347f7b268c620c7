"""What a large call of rollbite.direct costs beyond its time: the growth of the peak resident size while
it solves a million passes, against the sizes of the frames that go in and come out, and how long Ctrl-C
takes to stop a call.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [--rows N] [--interrupts N]
        [--interrupt-rows N] [--interrupt-after SECONDS]

Each measure runs in a process of its own, so that one does not inherit the other's peak. The log is the
direct Constant example passes repeated with new case numbers, as examples/python/cluster.py makes it.
Build the module in Release for figures worth quoting.
"""

import argparse
import gc
import json
import os
import pathlib
import signal
import statistics
import subprocess
import sys
import time

EXAMPLES = pathlib.Path(__file__).resolve().parents[1] / "examples"
MIB = 1024 * 1024
# Where the kernel keeps a process's current and peak resident sizes, and how the peak is reset.
STATUS = "/proc/self/status"
CLEAR_REFS = "/proc/self/clear_refs"
RESET_PEAK_RESIDENT_SIZE = "5"


def large_log(count):
    """COUNT direct Constant passes: the example schedules over and over, numbered 1 to COUNT (the log of
    examples/python/cluster.py)."""
    sys.path.insert(0, str(EXAMPLES / "python"))
    from cluster import large_log as example_log

    return example_log(count)


def resident_sizes():
    """The current and the peak resident size of this process, in bytes."""
    sizes = {}
    with open(STATUS) as status:
        for line in status:
            name, _, value = line.partition(":")
            if name in ("VmRSS", "VmHWM"):
                sizes[name] = int(value.split()[0]) * 1024
    return sizes["VmRSS"], sizes["VmHWM"]


def measure_memory(rows):
    """Runs in a process of its own: the peak resident size's growth over one call, and the frames'
    sizes (every text counted, as pandas counts with deep=True)."""
    import rollbite

    passes = large_log(rows)
    gc.collect()
    with open(CLEAR_REFS, "w") as clear:
        clear.write(RESET_PEAK_RESIDENT_SIZE)
    before, _ = resident_sizes()
    start = time.perf_counter()
    results = rollbite.direct(passes)
    seconds = time.perf_counter() - start
    _, peak = resident_sizes()
    return {
        "rows": rows,
        "seconds": seconds,
        "peak_growth": peak - before,
        "passes_size": int(passes.memory_usage(deep=True).sum()),
        "results_size": int(results.memory_usage(deep=True).sum()),
    }


def interrupted_call(rows):
    """Runs in a process of its own: says when the call starts, then when Ctrl-C stopped it."""
    import rollbite

    # Python's own handler, even when this process was started with SIGINT ignored (in the background).
    signal.signal(signal.SIGINT, signal.default_int_handler)
    passes = large_log(rows)
    print("solving", flush=True)
    try:
        rollbite.direct(passes)
    except KeyboardInterrupt:
        print(json.dumps({"stopped_at": time.monotonic()}), flush=True)
        return
    print(json.dumps({"stopped_at": None}), flush=True)


def interrupt_latency(rows, after):
    """Seconds from a SIGINT sent `after` seconds into a call to the KeyboardInterrupt caught."""
    child = subprocess.Popen(
        [sys.executable, __file__, "--child", "interrupt", "--interrupt-rows", str(rows)],
        stdout=subprocess.PIPE,
        text=True,
    )
    assert child.stdout.readline().strip() == "solving"
    time.sleep(after)
    sent = time.monotonic()
    child.send_signal(signal.SIGINT)
    stopped = json.loads(child.stdout.readline())["stopped_at"]
    child.wait()
    return None if stopped is None else stopped - sent


def in_child(what, rows):
    output = subprocess.run(
        [sys.executable, __file__, "--child", what, "--rows", str(rows)],
        stdout=subprocess.PIPE,
        text=True,
        check=True,
    ).stdout
    return json.loads(output)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rows", type=int, default=1_000_000, help="passes of the memory measure")
    parser.add_argument("--interrupts", type=int, default=3, help="interrupted calls to time")
    parser.add_argument("--interrupt-rows", type=int, default=200_000, help="passes of an interrupted call")
    parser.add_argument("--interrupt-after", type=float, default=2.5, help="seconds before the SIGINT")
    parser.add_argument("--child", choices=("memory", "interrupt"), help=argparse.SUPPRESS)
    arguments = parser.parse_args()

    if arguments.child == "memory":
        print(json.dumps(measure_memory(arguments.rows)))
        return
    if arguments.child == "interrupt":
        interrupted_call(arguments.interrupt_rows)
        return

    import rollbite

    print(f"rollbite from {os.path.dirname(rollbite.__file__)}")
    memory = in_child("memory", arguments.rows)
    frames = memory["passes_size"] + memory["results_size"]
    print(
        f"{memory['rows']:,} direct Constant passes in {memory['seconds']:.1f} s: peak resident size "
        f"+{memory['peak_growth'] / MIB:.0f} MiB; passes {memory['passes_size'] / MIB:.0f} MiB, results "
        f"{memory['results_size'] / MIB:.0f} MiB, growth {memory['peak_growth'] / frames:.2f} times both"
    )
    latencies = [
        interrupt_latency(arguments.interrupt_rows, arguments.interrupt_after)
        for _ in range(arguments.interrupts)
    ]
    shown = ", ".join("never" if latency is None else f"{latency:.3f} s" for latency in latencies)
    stopped = [latency for latency in latencies if latency is not None]
    median = f"median {statistics.median(stopped):.3f} s" if stopped else "no call stopped"
    print(
        f"SIGINT {arguments.interrupt_after} s into a call of {arguments.interrupt_rows:,} passes: "
        f"KeyboardInterrupt after {shown} ({median})"
    )


if __name__ == "__main__":
    main()
