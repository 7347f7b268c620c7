#pragma once

#include "app/formats/OutputGuard.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace rollbite {

// A file written row by row, such as the exit file and the why file of a run: every row reaches the file
// whole or not at all, and a file that can take no more is cut back to its last whole row. A regular
// file is locked while it is open, so that two runs never write into the same file at once; a device or
// a FIFO is written through, never emptied or replaced.
class RowFile {
public:
    enum class Opened { Yes, CannotWrite, Busy, Stopped };
    // Asked while a FIFO waits for its reader: true stops the wait (a signal came).
    using StopRequested = std::function<bool()>;

    RowFile() = default;
    ~RowFile();
    RowFile(const RowFile&) = delete;
    RowFile& operator=(const RowFile&) = delete;

    // Opens `path` for appending: created if missing, but nothing in it destroyed. Busy when another
    // process holds the lock of the file (another run writing it). A FIFO waits for its reader until
    // `stopRequested` says to stop (Stopped); with `checkOnly` it is not opened at all, which would give
    // its reader the end of the file: it need only be writable.
    Opened open(const std::string& path, const StopRequested& stopRequested = {}, bool checkOnly = false);
    // The same for a file that the rules of `guard` allow as `form`, with the reason for the user in
    // `failure` naming the file as `what` ("the why file"): false when it may not or cannot be written.
    bool openChecked(const std::string& path, const OutputGuard& guard, const OutputForm& form,
                     const std::string& what, std::string& failure, const StopRequested& stopRequested = {},
                     bool checkOnly = false);
    // Writes into the process's standard output, as the shell has opened it: never emptied, locked or
    // removed here.
    Opened openStandardOutput();
    // Empties a regular file for the run's rows.
    void start();
    // Appends whole lines. False when the file cannot take them all (a full disk, a file-size limit, a
    // lost device): the file is then cut back to its last whole line and closed, and every later append
    // is refused.
    bool append(std::string_view lines);
    // Takes the lines of the last append back out of a regular file, so that files written side by side
    // end at the same row. False when they cannot be (a device, a FIFO, standard output not a file).
    bool withdraw();
    // Closes the file; false (with the reason in `failure`) when the system reports that it was not
    // written whole.
    bool close();
    // The run never started: closes the file and removes it if `open` created it.
    void abandon();

    bool isOpen() const { return descriptor_ >= 0; }
    bool failed() const { return failed_; }
    // What the system said when the file failed, or an empty text.
    const std::string& failure() const { return failure_; }
    const std::string& path() const { return path_; }

private:
    void fail(int error);

    int descriptor_ = -1;
    std::string path_;
    bool created_ = false;
    std::string createdPath_; // the file `open` created, also where a link led
    bool regular_ = false;
    bool standardOutput_ = false;
    bool failed_ = false;
    std::string failure_;
    std::uintmax_t wholeBytes_ = 0; // bytes of the file up to the end of its last whole line
    std::uintmax_t lastBytes_ = 0;  // bytes of the last append
};

} // namespace rollbite
