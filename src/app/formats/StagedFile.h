#pragma once

#include "app/formats/OutputGuard.h"
#include "app/formats/RowFile.h"

#include <optional>
#include <string>

namespace rollbite {

// A file that appears whole or not at all: it is written under a hidden name beside its place (with the
// same extension, which some writers go by) and renamed into place only when complete, so that a failure
// at any point leaves the file that was there before, and a file that was there keeps its permissions. A
// file that another run is writing row by row (RowFile holds its lock) is never replaced: the lock is
// taken before the rename, and, when asked, the file is checked again then for other data that came
// meanwhile; a file missing then is put in place only if it is still missing, at once. A device or a FIFO is
// not replaced: the complete text is staged in the temporary folder and written through to it when published.
//
// Publishing is two steps, so that several files can appear together or not at all (StagedFiles): `place`
// puts the file in place and keeps what was there under another hidden name; `restore` puts that back,
// `commit` lets it go.
class StagedFile {
public:
    explicit StagedFile(std::string target);
    // Removes the hidden files unless they were published.
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Makes the hidden file, empty, with the permissions of a new file. False, with the reason in
    // `failure`, when the folder cannot take it.
    bool create(std::string& failure);
    // The hidden file's name, to write into.
    const std::string& path() const { return staged_; }
    const std::string& target() const { return target_; }
    // Writes `text` into the hidden file. False, with the reason, when it cannot be written whole.
    bool write(const std::string& text, std::string& failure);
    // Puts the hidden file in place of the target and lets the earlier file go. False, with the reason,
    // when it cannot (the target is then as it was). A FIFO waits for its reader until `stopRequested`.
    bool publish(std::string& failure, const RowFile::StopRequested& stopRequested = {});

    // True when the target is a device or a FIFO, written through rather than replaced.
    bool writtenThrough() const { return writtenThrough_; }
    // The lock also checks that the target holds no other data than a file of `form` (the check of the
    // rules, made again once no other run can write it).
    void keepOtherData(const OutputForm& form) { form_ = form; }
    // Takes the lock of the target, if it is a regular file, until `commit` or `restore`. False, with the
    // reason, when another run holds it, or it holds other data now.
    bool lock(std::string& failure);
    // A device or a FIFO: opens it, a FIFO once its reader comes or until `stopRequested`. False, with
    // the reason, when it cannot be opened.
    bool openThrough(std::string& failure, const RowFile::StopRequested& stopRequested);
    // Puts the hidden file in place (a device or a FIFO: writes the text through, a FIFO once its reader
    // comes or until `stopRequested`), keeping the earlier file to restore. False, with the reason, when
    // it cannot; the target is then as it was.
    bool place(std::string& failure, const RowFile::StopRequested& stopRequested = {});
    // Puts back the file that was there before `place`; false when it cannot (the new one stays).
    bool restore();
    // The file in place stays; the earlier one goes, and the lock with it.
    void commit();

private:
    void unlock();
    // Opens the file at the path and takes its lock (none when it is missing).
    bool openLock(std::string& failure);
    bool writeThrough(std::string& failure, const RowFile::StopRequested& stopRequested);

    std::string target_;
    std::string real_; // the file the target names, its symbolic links followed: the one replaced
    std::string staged_;
    std::string kept_; // the earlier file, under a hidden name, while it may be restored
    bool writtenThrough_ = false;
    bool placed_ = false;
    bool existed_ = false;       // the target was a file before `place`
    bool missingAtLock_ = false; // the target was missing when the lock was taken
    int lock_ = -1;
    std::optional<OutputForm> form_;
    RowFile through_; // a device or a FIFO, open
};

} // namespace rollbite
