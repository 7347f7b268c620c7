#pragma once

#include "app/run/CaseWork.h"
#include "app/run/Orowan.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/CaseResult.h"
#include "rollbite/model/CaseSolver.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace rollbite {

// Solves the cases of a run on several threads and still writes one row per case line, in the order of
// the entry file. The calling thread is the only one to touch the files: it reads each case line (and its
// coefficient record) into a free slot, and writes the rows of solved slots as soon as every earlier row
// is written; when it can do neither, it solves a read case, as the worker threads do. Every thread
// solves with its own CaseSolver, so the solvers share nothing but the queue. The ring of slots is
// bounded, so memory stays flat however long the entry file is.
class CasePipeline {
public:
    // `reader` has its files open and its header written; `threadCount` threads solve, the calling one
    // (with the reader's solver) among them.
    CasePipeline(Orowan& reader, int threadCount);

    // Until the entry file is read and every row written.
    void run();

private:
    static constexpr int kSlotsPerThread = 8; // cases in flight per thread, so that none idles

    // One case in flight: its values, then its result.
    struct Slot {
        CaseInputs inputs;
        CaseResult result;
        long long lineNumber = 0;
        std::string placement;      // the word on its coefficient record
        std::string sensitivityRow; // its row of the sensitivity table, if the run writes one
        bool solved = false;        // guarded by mutex_
    };

    Slot& slotOf(long long caseIndex);
    bool readNext(Slot& slot);
    // Takes the next read case and solves it with `solver`, with the lock released meanwhile.
    void solveNext(std::unique_lock<std::mutex>& lock, CaseWork& work);
    // The loop of a worker thread.
    void solveCases(CaseWork& work);

    Orowan& reader_;
    std::vector<Slot> slots_;
    std::vector<CaseWork> works_; // the calling thread's first, then one per worker thread

    // Case indices from the start of the run, guarded by mutex_: read <= taken by a solver, and every
    // case below `written_` has its row in the exit file.
    long long read_ = 0;
    long long taken_ = 0;
    long long written_ = 0;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable caseRead_;
    std::condition_variable caseSolved_;
};

} // namespace rollbite
