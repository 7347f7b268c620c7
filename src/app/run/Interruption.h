#pragma once

#include <csignal>

namespace rollbite {

// While it lives, SIGINT, SIGTERM and SIGHUP no longer kill the process between two writes: they are
// noted, and the run that asks `requested` stops after the row it is writing, with every file whole.
// One lives at a time, for the run of a file; the handlers before it come back when it goes.
class Interruption {
public:
    Interruption();
    ~Interruption();
    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;

    bool requested() const;
    // The signal that came, or 0.
    int signal() const;
    // "SIGINT", "SIGTERM", "SIGHUP".
    static const char* name(int signal);
    // The exit status of a process that a signal stopped: 128 + its number, as the shell tells it.
    static int exitStatus(int signal) { return kSignalStatusBase + signal; }

private:
    static constexpr int kSignalStatusBase = 128;
    static constexpr int kSignals = 3;
    struct sigaction previous_[kSignals] = {}; // the handlers before, put back at the end
};

} // namespace rollbite
