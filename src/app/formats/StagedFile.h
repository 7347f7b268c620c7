#pragma once

#include <string>

namespace rollbite {

// A file that appears whole or not at all: it is written under a hidden name beside its place (with the
// same extension, which some writers go by) and renamed into place only when complete, so that a failure
// at any point leaves the file that was there before. A device or a FIFO is not replaced: the complete
// text is written through to it when published.
class StagedFile {
public:
    explicit StagedFile(std::string target);
    // Removes the hidden file unless it was published.
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Makes the hidden file, empty, with the permissions of a new file. False, with the reason in
    // `failure`, when the folder cannot take it.
    bool create(std::string& failure);
    // The hidden file's name, to write into.
    const std::string& path() const { return staged_; }
    // Writes `text` into the hidden file. False, with the reason, when it cannot be written whole.
    bool write(const std::string& text, std::string& failure);
    // Puts the hidden file in place of the target. False, with the reason, when it cannot.
    bool publish(std::string& failure);

private:
    std::string target_;
    std::string staged_;
    bool published_ = false;
};

} // namespace rollbite
