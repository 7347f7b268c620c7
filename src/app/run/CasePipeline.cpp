#include "app/run/CasePipeline.h"

#include <string>
#include <thread>

namespace rollbite {

CasePipeline::CasePipeline(Orowan& reader, int threadCount)
    : reader_(reader), slots_(static_cast<std::size_t>(threadCount) * kSlotsPerThread) {
    works_.reserve(static_cast<std::size_t>(threadCount));
    for (int k = 0; k < threadCount; ++k) {
        works_.emplace_back(reader.solver.mode(), reader.solver.rheology(), reader.sensitivityTable);
    }
}

CasePipeline::Slot& CasePipeline::slotOf(long long caseIndex) {
    return slots_[static_cast<std::size_t>(caseIndex % static_cast<long long>(slots_.size()))];
}

bool CasePipeline::readNext(Slot& slot) {
    if (!reader_.readCase(slot.inputs, slot.placement)) {
        return false;
    }
    slot.lineNumber = reader_.fileHandler.entries.lineNumber();
    return true;
}

void CasePipeline::run() {
    // The calling thread is one of the solvers: it reads and writes when it can, and solves otherwise.
    std::vector<std::thread> workers;
    for (std::size_t k = 1; k < works_.size(); ++k) {
        workers.emplace_back([this, k] { solveCases(works_[k]); });
    }
    const long long capacity = static_cast<long long>(slots_.size());
    bool moreLines = !reader_.stopping();
    std::unique_lock<std::mutex> lock(mutex_);
    // Once a file has failed or a signal came, no more lines are read and no more rows written: the cases
    // in flight are only let finish.
    while ((moreLines || written_ < read_) && !reader_.stopping()) {
        if (written_ < read_ && slotOf(written_).solved) {
            // The oldest row is ready: write it; its slot is free again.
            Slot& slot = slotOf(written_);
            lock.unlock();
            if (reader_.writeRow(slot.result, slot.lineNumber, slot.placement, slot.sensitivityRow) != 0) {
                moreLines = false;
            }
            lock.lock();
            slot.solved = false;
            ++written_;
        } else if (moreLines && read_ - written_ < capacity) {
            // Only this thread reads, and no solver touches a slot before it is counted as read.
            Slot& slot = slotOf(read_);
            lock.unlock();
            moreLines = readNext(slot);
            lock.lock();
            if (moreLines) {
                ++read_;
                caseRead_.notify_one();
            }
        } else if (taken_ < read_) {
            solveNext(lock, works_.front());
        } else {
            caseSolved_.wait(lock);
        }
    }
    stopping_ = true;
    lock.unlock();
    caseRead_.notify_all();
    for (std::thread& worker : workers) {
        worker.join();
    }
}

void CasePipeline::solveNext(std::unique_lock<std::mutex>& lock, CaseWork& work) {
    Slot& slot = slotOf(taken_);
    ++taken_;
    lock.unlock();
    slot.result = work.solve(slot.inputs, slot.sensitivityRow);
    lock.lock();
    slot.solved = true;
    caseSolved_.notify_one();
}

void CasePipeline::solveCases(CaseWork& work) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        caseRead_.wait(lock, [this] { return stopping_ || taken_ < read_; });
        if (taken_ >= read_) {
            return; // stopping, and nothing left
        }
        solveNext(lock, work);
    }
}

} // namespace rollbite
