#include "app/formats/RowFile.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace rollbite {

namespace {

constexpr mode_t kNewFileMode = 0666; // less the process's umask, as any new file
// How often a FIFO without a reader is tried again: a signal is heard within that time.
constexpr std::chrono::milliseconds kReaderPoll{50};

bool isFifo(const std::string& path) {
    struct stat status = {};
    return ::stat(path.c_str(), &status) == 0 && S_ISFIFO(status.st_mode);
}

// Opens a FIFO for writing once a reader has opened it, without blocking, so that the wait can stop. -1
// with errno when it cannot be opened or the wait was stopped (EINTR).
int openFifo(const std::string& path, const RowFile::StopRequested& stopRequested) {
    while (true) {
        const int descriptor = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
        if (descriptor >= 0) {
            // Written rows then wait for the reader, as on any FIFO.
            fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
            return descriptor;
        }
        if (errno != ENXIO) { // ENXIO: no reader yet
            return -1;
        }
        if (stopRequested && stopRequested()) {
            errno = EINTR;
            return -1;
        }
        std::this_thread::sleep_for(kReaderPoll);
    }
}

} // namespace

RowFile::~RowFile() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

RowFile::Opened RowFile::openStandardOutput() {
    abandon();
    path_ = "standard output";
    failed_ = false;
    failure_.clear();
    created_ = false;
    standardOutput_ = true;
    descriptor_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (descriptor_ < 0) {
        failure_ = std::strerror(errno);
        return Opened::CannotWrite;
    }
    struct stat status = {};
    regular_ = fstat(descriptor_, &status) == 0 && S_ISREG(status.st_mode);
    // Where the rows start, so that a file that fails is cut back to its last whole row.
    const off_t position = regular_ ? lseek(descriptor_, 0, SEEK_CUR) : 0;
    wholeBytes_ = position > 0 ? static_cast<std::uintmax_t>(position) : 0;
    return Opened::Yes;
}

RowFile::Opened RowFile::open(const std::string& path, const StopRequested& stopRequested, bool checkOnly) {
    abandon();
    standardOutput_ = false;
    path_ = path;
    failed_ = false;
    failure_.clear();
    created_ = false;
    if (isFifo(path)) {
        if (checkOnly) {
            const bool writable = ::access(path.c_str(), W_OK) == 0;
            failure_ = writable ? "" : std::strerror(errno);
            return writable ? Opened::Yes : Opened::CannotWrite;
        }
        descriptor_ = openFifo(path, stopRequested);
        if (descriptor_ < 0) {
            failure_ = std::strerror(errno);
            return errno == EINTR ? Opened::Stopped : Opened::CannotWrite;
        }
        regular_ = false;
        wholeBytes_ = 0;
        return Opened::Yes;
    }
    // Appending creates the file when it is missing and destroys nothing; O_EXCL tells whether this run
    // created it, so that a run that never starts removes only what it made.
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    created_ = false;
    createdPath_ = path;
    if (descriptor_ < 0 && errno == ENOENT) {
        descriptor_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (descriptor_ < 0 && errno == EEXIST) {
            // A symbolic link to a file that does not exist yet: the file is made where the link leads.
            descriptor_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kNewFileMode);
            char target[PATH_MAX];
            if (descriptor_ >= 0 && realpath(path.c_str(), target) != nullptr) {
                createdPath_ = target;
            }
        }
        created_ = descriptor_ >= 0;
    }
    if (descriptor_ < 0) {
        failure_ = std::strerror(errno);
        return Opened::CannotWrite;
    }
    struct stat status = {};
    regular_ = fstat(descriptor_, &status) == 0 && S_ISREG(status.st_mode);
    if (regular_ && flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor_);
        descriptor_ = -1;
        created_ = false;
        return Opened::Busy;
    }
    wholeBytes_ = regular_ ? static_cast<std::uintmax_t>(status.st_size) : 0;
    return Opened::Yes;
}

bool RowFile::openChecked(const std::string& path, const OutputGuard& guard, const OutputForm& form,
                          const std::string& what, std::string& failure, const StopRequested& stopRequested,
                          bool checkOnly) {
    if (guard.check(path, form) != OutputProblem::None) {
        failure = guard.message(path, form, what);
        return false;
    }
    const std::string file = what + " " + path;
    switch (open(path, stopRequested, checkOnly)) {
    case Opened::CannotWrite:
        failure = file + " can't be written (" + failure_ + ")";
        return false;
    case Opened::Busy:
        failure = file + " is being written by another run, which holds its lock";
        return false;
    case Opened::Stopped:
        failure = file + " had no reader yet";
        return false;
    case Opened::Yes:
        break;
    }
    return true;
}

void RowFile::start() {
    if (regular_ && !standardOutput_ && descriptor_ >= 0 && ftruncate(descriptor_, 0) == 0) {
        wholeBytes_ = 0;
    }
    created_ = false; // from now on the file holds this run's rows
}

bool RowFile::append(std::string_view lines) {
    if (failed_ || descriptor_ < 0) {
        return false;
    }
    const char* data = lines.data();
    std::size_t left = lines.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor_, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            fail(written < 0 ? errno : ENOSPC);
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    wholeBytes_ += lines.size();
    lastBytes_ = lines.size();
    return true;
}

bool RowFile::withdraw() {
    if (descriptor_ < 0 || !regular_ || lastBytes_ > wholeBytes_ ||
        ftruncate(descriptor_, static_cast<off_t>(wholeBytes_ - lastBytes_)) != 0) {
        return false;
    }
    // Standard output opened by the shell without O_APPEND writes at its own offset: back to the end.
    lseek(descriptor_, static_cast<off_t>(wholeBytes_ - lastBytes_), SEEK_SET);
    wholeBytes_ -= lastBytes_;
    lastBytes_ = 0;
    return true;
}

void RowFile::fail(int error) {
    failed_ = true;
    failure_ = std::strerror(error);
    // Part of the text may have reached the file: cut it off, so that the file ends with a whole line.
    if (regular_ && ftruncate(descriptor_, static_cast<off_t>(wholeBytes_)) != 0) {
        failure_ += ", and the file could not be cut back to its last whole line";
    }
    ::close(descriptor_);
    descriptor_ = -1;
}

bool RowFile::close() {
    if (descriptor_ < 0) {
        return !failed_;
    }
    const int closed = ::close(descriptor_);
    descriptor_ = -1;
    if (closed != 0 && !failed_) {
        failed_ = true;
        failure_ = std::strerror(errno);
    }
    return !failed_;
}

void RowFile::abandon() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    if (created_) {
        ::unlink(createdPath_.c_str());
        created_ = false;
    }
}

} // namespace rollbite
