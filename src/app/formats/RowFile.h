#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rollbite {

// A file written row by row, such as the exit file and the why file of a run: every row reaches the file
// whole or not at all, and a file that can take no more is cut back to its last whole row. A regular
// file is locked while it is open, so that two runs never write into the same file at once; a device or
// a FIFO is written through, never emptied or replaced.
class RowFile {
public:
    enum class Opened { Yes, CannotWrite, Busy };

    RowFile() = default;
    ~RowFile();
    RowFile(const RowFile&) = delete;
    RowFile& operator=(const RowFile&) = delete;

    // Opens `path` for appending: created if missing, but nothing in it destroyed. Busy when another
    // process holds the lock of the file (another run writing it).
    Opened open(const std::string& path);
    // Writes into the process's standard output, as the shell has opened it: never emptied, locked or
    // removed here.
    Opened openStandardOutput();
    // Empties a regular file for the run's rows.
    void start();
    // Appends whole lines. False when the file cannot take them all (a full disk, a file-size limit, a
    // lost device): the file is then cut back to its last whole line and closed, and every later append
    // is refused.
    bool append(std::string_view lines);
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
};

} // namespace rollbite
