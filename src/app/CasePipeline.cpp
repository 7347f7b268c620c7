#include "app/CasePipeline.h"

#include <string>
#include <thread>

namespace rollbite {

CasePipeline::CasePipeline(Orowan& reader, int mode, int threadCount)
    : reader_(reader), mode_(mode), threadCount_(threadCount) {
    const std::size_t slotCount = static_cast<std::size_t>(threadCount) * kSlotsPerThread;
    for (std::size_t k = 0; k < slotCount; ++k) {
        slots_.push_back(reader.makeWorker());
        slots_.back()->fileHandler.shareFilesOf(reader.fileHandler);
    }
    solved_.assign(slotCount, 0);
}

std::size_t CasePipeline::slotOf(long long caseIndex) const {
    return static_cast<std::size_t>(caseIndex % static_cast<long long>(slots_.size()));
}

bool CasePipeline::parseNext(Orowan& slot) {
    if (!std::getline(reader_.fileHandler.entryFile, slot.fileHandler.line)) {
        return false;
    }
    slot.parseCase();
    return true;
}

void CasePipeline::run() {
    // The calling thread is one of the solvers: it reads and writes when it can, and solves otherwise.
    std::vector<std::thread> workers;
    for (int k = 1; k < threadCount_; ++k) {
        workers.emplace_back([this] { solveCases(); });
    }
    const long long capacity = static_cast<long long>(slots_.size());
    bool moreLines = !reader_.fileHandler.exitFileFailed();
    std::unique_lock<std::mutex> lock(mutex_);
    while (moreLines || written_ < parsed_) {
        if (written_ < parsed_ && solved_[slotOf(written_)] != 0) {
            // The oldest row is ready: write it; its slot is free again. Once the exit file has failed,
            // no more lines are read, and the cases in flight are only let finish.
            Orowan& slot = *slots_[slotOf(written_)];
            lock.unlock();
            if (slot.writeRow() != 0) {
                moreLines = false;
            }
            lock.lock();
            solved_[slotOf(written_)] = 0;
            ++written_;
        } else if (moreLines && parsed_ - written_ < capacity) {
            // Only this thread parses, and no solver touches a slot before it is counted as parsed.
            Orowan& slot = *slots_[slotOf(parsed_)];
            lock.unlock();
            moreLines = parseNext(slot);
            lock.lock();
            if (moreLines) {
                ++parsed_;
                caseParsed_.notify_one();
            }
        } else if (taken_ < parsed_) {
            solveNext(lock);
        } else {
            caseSolved_.wait(lock);
        }
    }
    stopping_ = true;
    lock.unlock();
    caseParsed_.notify_all();
    for (std::thread& worker : workers) {
        worker.join();
    }
}

void CasePipeline::solveNext(std::unique_lock<std::mutex>& lock) {
    const std::size_t slot = slotOf(taken_);
    ++taken_;
    lock.unlock();
    slots_[slot]->computeCase(mode_);
    lock.lock();
    solved_[slot] = 1;
    caseSolved_.notify_one();
}

void CasePipeline::solveCases() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        caseParsed_.wait(lock, [this] { return stopping_ || taken_ < parsed_; });
        if (taken_ >= parsed_) {
            return; // stopping, and nothing left
        }
        solveNext(lock);
    }
}

} // namespace rollbite
