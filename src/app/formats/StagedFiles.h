#pragma once

#include "app/formats/StagedFile.h"

#include <memory>
#include <string>
#include <vector>

namespace rollbite {

// Files that appear together or not at all, such as a table and the passes that go with it: each is
// staged beside its place (StagedFile), and publish puts them all in place, or, when one cannot be, puts
// back every file it replaced. What reached a device or a FIFO cannot be taken back: those are written
// last, and a failure then says which of them took their text.
class StagedFiles {
public:
    // A file to stage; the reference lives as long as the set.
    StagedFile& add(const std::string& target);
    // Creates every hidden file and writes its text. False, with the reason, when one cannot be.
    bool write(const std::vector<std::string>& texts, std::string& failure);
    // Takes the lock of every target until the set is published: false, with the reason, when another
    // run is writing one of them. Called before anything else is written, it stops the whole work early.
    bool lock(std::string& failure);
    // Puts every file in place, or none: false, with the reason and what was nonetheless written, when
    // one cannot be. A FIFO waits for its reader until `stopRequested`.
    bool publish(std::string& failure, const RowFile::StopRequested& stopRequested = {});

private:
    std::vector<std::unique_ptr<StagedFile>> files_;
};

} // namespace rollbite
