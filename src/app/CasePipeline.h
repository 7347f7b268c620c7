#pragma once

#include "app/Orowan.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace rollbite {

// Solves the cases of a run on several threads and still writes one row per case line, in the order of
// the entry file. The calling thread is the only one to touch the files: it parses each case line (and
// its coefficient record) into a free slot, and writes the rows of solved slots as soon as every earlier
// row is written; when it can do neither, it solves a parsed case, as the worker threads do. Each slot
// is a whole computation of the mode, so the solvers share nothing but the queue. A slot reads the
// coefficient file and writes the exit file of the reader, but only ever on the calling thread. The ring
// of slots is bounded, so memory stays flat however long the entry file is.
class CasePipeline {
public:
    // `reader` has its files open and its header written; `threadCount` threads solve, the calling one
    // among them.
    CasePipeline(Orowan& reader, int mode, int threadCount);

    // Until the entry file is read and every row written.
    void run();

private:
    static constexpr int kSlotsPerThread = 8; // cases in flight per thread, so that none idles

    std::size_t slotOf(long long caseIndex) const;
    bool parseNext(Orowan& slot);
    // Takes the next parsed case and solves it, with the lock released meanwhile.
    void solveNext(std::unique_lock<std::mutex>& lock);
    // The loop of a worker thread.
    void solveCases();

    Orowan& reader_;
    int mode_;
    int threadCount_;
    std::vector<std::unique_ptr<Orowan>> slots_;
    std::vector<char> solved_; // per slot, guarded by mutex_

    // Case indices from the start of the run, guarded by mutex_: parsed <= taken by a worker, and every
    // case below `written_` has its row in the exit file.
    long long parsed_ = 0;
    long long taken_ = 0;
    long long written_ = 0;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable caseParsed_;
    std::condition_variable caseSolved_;
};

} // namespace rollbite
