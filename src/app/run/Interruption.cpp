#include "app/run/Interruption.h"

#include <atomic>
#include <iterator>

namespace rollbite {

namespace {

constexpr int kHandled[] = {SIGINT, SIGTERM, SIGHUP};

// The one value a signal handler may reach: the signal that came. A lock-free atomic may be written from
// a handler.
std::atomic<int> receivedSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch lock-free atomics");

void noteSignal(int signal) {
    receivedSignal.store(signal);
}

} // namespace

Interruption::Interruption() {
    static_assert(std::size(kHandled) == kSignals);
    receivedSignal.store(0);
    struct sigaction handler = {};
    handler.sa_handler = noteSignal;
    sigemptyset(&handler.sa_mask);
    handler.sa_flags = SA_RESTART; // a write in progress goes on; the run stops after it
    for (std::size_t k = 0; k < std::size(kHandled); ++k) {
        sigaction(kHandled[k], &handler, &previous_[k]);
        // A signal the process was started to ignore (nohup) stays ignored.
        if (previous_[k].sa_handler == SIG_IGN) {
            sigaction(kHandled[k], &previous_[k], nullptr);
        }
    }
}

Interruption::~Interruption() {
    for (std::size_t k = 0; k < std::size(kHandled); ++k) {
        sigaction(kHandled[k], &previous_[k], nullptr);
    }
}

bool Interruption::requested() const {
    return receivedSignal.load() != 0;
}

int Interruption::signal() const {
    return receivedSignal.load();
}

const char* Interruption::name(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

} // namespace rollbite
