#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <thread>
#include <vector>

namespace rollbite {

// Rows of work done on threads, the interpreter lock released, in chunks of about kChunkTime: the threads
// take the next row not yet taken until the chunk's time is over; between chunks, with the lock held, a
// signal's handler runs and its exception (KeyboardInterrupt) ends the call, with no thread left running.
class ChunkedWork {
public:
    // How long the threads work before the call takes the interpreter lock back to look for signals.
    static constexpr std::chrono::milliseconds kChunkTime{100};

    // Calls work(thread, row) for every row from 0 to `rows`, on `threads` threads (the caller's among
    // them), each thread with its own index from 0. `work` must touch no Python object.
    template <typename Work> static void run(std::size_t rows, std::size_t threads, Work&& work) {
        using Clock = std::chrono::steady_clock;
        std::atomic<std::size_t> next{0};
        while (next < rows) {
            {
                pybind11::gil_scoped_release released;
                const Clock::time_point deadline = Clock::now() + kChunkTime;
                const auto chunk = [&](std::size_t thread) {
                    while (Clock::now() < deadline) {
                        const std::size_t row = next++;
                        if (row >= rows) {
                            return;
                        }
                        work(thread, row);
                    }
                };
                std::vector<std::thread> workers;
                for (std::size_t thread = 1; thread < threads; ++thread) {
                    workers.emplace_back(chunk, thread);
                }
                chunk(0);
                for (std::thread& worker : workers) {
                    worker.join();
                }
            }
            if (PyErr_CheckSignals() != 0) {
                throw pybind11::error_already_set();
            }
        }
    }
};

} // namespace rollbite
