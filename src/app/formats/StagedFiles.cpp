#include "app/formats/StagedFiles.h"

namespace rollbite {

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t k = 0; k < names.size(); ++k) {
        text += (k == 0 ? "" : k + 1 == names.size() ? " and " : ", ") + names[k];
    }
    return text;
}

} // namespace

StagedFile& StagedFiles::add(const std::string& target) {
    files_.push_back(std::make_unique<StagedFile>(target));
    return *files_.back();
}

bool StagedFiles::write(const std::vector<std::string>& texts, std::string& failure) {
    for (std::size_t k = 0; k < files_.size(); ++k) {
        if (!files_[k]->create(failure) || !files_[k]->write(k < texts.size() ? texts[k] : "", failure)) {
            return false;
        }
    }
    return true;
}

bool StagedFiles::lock(std::string& failure) {
    for (const auto& file : files_) {
        if (!file->lock(failure)) {
            return false;
        }
    }
    return true;
}

bool StagedFiles::publish(std::string& failure, const RowFile::StopRequested& stopRequested) {
    // Every lock first, and every device or FIFO open (a FIFO once its reader came): a file another run
    // is writing, or a FIFO no one reads, stops the set before anything is replaced.
    if (!lock(failure)) {
        return false;
    }
    for (const auto& file : files_) {
        if (!file->openThrough(failure, stopRequested)) {
            failure += "; no file was written";
            return false;
        }
    }
    // Files renamed into place can be put back; what a device or a FIFO took cannot: those come last.
    std::vector<StagedFile*> placed;
    std::vector<std::string> throughDevices;
    for (bool devices : {false, true}) {
        for (const auto& file : files_) {
            if (file->writtenThrough() != devices) {
                continue;
            }
            if (!file->place(failure, stopRequested)) {
                std::vector<std::string> stayed = throughDevices;
                for (StagedFile* earlier : placed) {
                    if (!earlier->restore()) {
                        stayed.push_back(earlier->target());
                    }
                }
                failure += stayed.empty() ? "; no file was written"
                                          : "; of the files only " + joined(stayed) + " took the new text";
                return false;
            }
            if (devices) {
                throughDevices.push_back(file->target());
            } else {
                placed.push_back(file.get());
            }
        }
    }
    for (const auto& file : files_) {
        file->commit();
    }
    return true;
}

} // namespace rollbite
