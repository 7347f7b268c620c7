#pragma once

#include "app/Orowan.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace rollbite {

// Solves the cases of a run on several threads and still writes one row per case line, in the order of
// the entry file. The calling thread reads: it parses each case line (and its coefficient record) into a
// free slot, and writes the rows of solved slots as soon as every earlier row is written. Worker threads
// solve the parsed slots. Each slot is a whole computation of the mode, so the workers share nothing but
// the queue. A slot reads the coefficient file and writes the exit file of the reader, but only ever on
// the reading thread. The ring of slots is bounded, so memory stays flat however long the entry file is.
class CasePipeline {
public:
    // `reader` has its files open and its header written; `workerCount` threads solve.
    CasePipeline(Orowan& reader, int mode, int workerCount);

    // Until the entry file is read and every row written.
    void run();

private:
    static constexpr int kSlotsPerWorker = 4; // parsed cases waiting per worker, so none idles

    std::size_t slotOf(long long caseIndex) const;
    bool parseNext(Orowan& slot);
    void solveCases();

    Orowan& reader_;
    int mode_;
    int workerCount_;
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
