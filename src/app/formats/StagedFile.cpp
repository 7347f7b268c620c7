#include "app/formats/StagedFile.h"

#include "app/formats/OutputGuard.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rollbite {

namespace fs = std::filesystem;

namespace {

constexpr mode_t kNewFileMode = 0666;     // less the process's umask, as any new file
constexpr mode_t kPermissionBits = 07777; // of a file's mode
constexpr int kLockAttempts = 8;          // of taking the lock of a file replaced meanwhile
constexpr int kLinksFollowed = 40;        // as the kernel follows at most

// The file a path names: a symbolic link followed to its end, so that the file it points to is replaced
// and the link stays.
std::string followLinks(const std::string& path) {
    fs::path at(path);
    std::error_code error;
    for (int k = 0; k < kLinksFollowed && fs::is_symlink(fs::symlink_status(at, error)); ++k) {
        const fs::path to = fs::read_symlink(at, error);
        if (error) {
            break;
        }
        at = to.is_absolute() ? to : at.parent_path() / to;
    }
    return at.string();
}

std::string reasonOf(int error) {
    return std::string(" (") + std::strerror(error) + ")";
}

// A hidden name beside `target` (or in the temporary folder), from a pattern ending in XXXXXX and the
// extension, made as an empty file. -1 when it cannot be made.
int makeHidden(const fs::path& folder, const fs::path& target, std::string& name) {
    const std::string extension = target.extension().string();
    name = (folder / ("." + target.stem().string() + "-XXXXXX" + extension)).string();
    return mkstemps(name.data(), static_cast<int>(extension.size()));
}

} // namespace

StagedFile::StagedFile(std::string target) : target_(std::move(target)), real_(followLinks(target_)) {}

StagedFile::~StagedFile() {
    if (!staged_.empty() && !placed_) {
        ::unlink(staged_.c_str());
    }
    if (placed_ && !kept_.empty()) {
        commit();
    }
    unlock();
}

bool StagedFile::create(std::string& failure) {
    writtenThrough_ = OutputGuard::writtenThrough(target_);
    const fs::path target(real_);
    std::error_code error;
    // A device's folder (/dev) is no place for a file: its text waits in the temporary folder.
    const fs::path folder = writtenThrough_ ? fs::temp_directory_path(error) : target.parent_path();
    std::string staged;
    const int descriptor = error ? -1 : makeHidden(folder, target.filename(), staged);
    if (descriptor < 0) {
        failure = "cannot write into the folder of " + target_ + reasonOf(errno);
        return false;
    }
    const mode_t creationMask = umask(0);
    umask(creationMask);
    fchmod(descriptor, kNewFileMode & ~creationMask);
    ::close(descriptor);
    staged_ = staged;
    return true;
}

bool StagedFile::write(const std::string& text, std::string& failure) {
    std::ofstream file(staged_, std::ios::binary | std::ios::trunc);
    errno = 0;
    file << text;
    file.close();
    if (file.fail()) {
        failure = "cannot write " + target_ + (errno != 0 ? reasonOf(errno) : "");
        return false;
    }
    return true;
}

bool StagedFile::lock(std::string& failure) {
    if (staged_.empty()) {
        writtenThrough_ = OutputGuard::writtenThrough(target_);
    }
    if (writtenThrough_ || lock_ >= 0) {
        return true;
    }
    // The lock belongs to the file now at the path: one replaced while it was being taken is taken again.
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        if (!openLock(failure)) {
            return false;
        }
        struct stat locked = {};
        struct stat now = {};
        if (lock_ < 0 || (fstat(lock_, &locked) == 0 && ::stat(real_.c_str(), &now) == 0 &&
                          locked.st_dev == now.st_dev && locked.st_ino == now.st_ino)) {
            break;
        }
        unlock();
    }
    // A file that cannot be written is not replaced either, as a shell would not write it.
    if (lock_ >= 0 && ::access(real_.c_str(), W_OK) != 0) {
        unlock();
        failure = "cannot write " + target_ + reasonOf(errno);
        return false;
    }
    // What came into the file since the rules were checked, before this lock, counts as well.
    if (form_ && OutputGuard::holdsOtherData(target_, *form_)) {
        unlock();
        failure = target_ + " holds other data since it was checked";
        return false;
    }
    return true;
}

bool StagedFile::openLock(std::string& failure) {
    // Any descriptor of the file takes its lock; one that cannot be opened at all cannot be written by a
    // run either. A file that is missing now is put in place only if it is still missing then (place).
    missingAtLock_ = false;
    lock_ = ::open(real_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (lock_ < 0 && errno == ENOENT) {
        std::error_code error;
        missingAtLock_ = !fs::exists(fs::symlink_status(real_, error));
        return true;
    }
    if (lock_ < 0) {
        lock_ = ::open(real_.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    }
    if (lock_ >= 0 && flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        unlock();
        failure = target_ + " is being written by another run, which holds its lock";
        return false;
    }
    return true;
}

void StagedFile::unlock() {
    if (lock_ >= 0) {
        ::close(lock_);
        lock_ = -1;
    }
}

namespace {

// Renames `from` to `to` only when `to` does not exist, at once: a file that another run made meanwhile
// is never replaced. Where the file system has no such rename, a hard link does the same.
bool renamedIfMissing(const std::string& from, const std::string& to, int& error) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    error = errno;
    if (error != EINVAL && error != ENOSYS) {
        return false;
    }
    if (::link(from.c_str(), to.c_str()) != 0) {
        error = errno;
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

} // namespace

bool StagedFile::openThrough(std::string& failure, const RowFile::StopRequested& stopRequested) {
    if (!writtenThrough_ || through_.isOpen()) {
        return true;
    }
    switch (through_.open(target_, stopRequested)) {
    case RowFile::Opened::Stopped:
        failure = target_ + " had no reader yet";
        return false;
    case RowFile::Opened::CannotWrite:
    case RowFile::Opened::Busy:
        failure = "cannot write " + target_ + " (" + through_.failure() + ")";
        return false;
    case RowFile::Opened::Yes:
        break;
    }
    return true;
}

bool StagedFile::place(std::string& failure, const RowFile::StopRequested& stopRequested) {
    if (writtenThrough_) {
        return writeThrough(failure, stopRequested);
    }
    std::error_code error;
    if (missingAtLock_) {
        // Still missing, or some other run made it since the lock was taken: then it is kept.
        int renameError = 0;
        if (!renamedIfMissing(staged_, real_, renameError)) {
            failure = renameError == EEXIST
                          ? target_ + " was made by another run since it was checked"
                          : "cannot put " + target_ + " in place (" + std::strerror(renameError) + ")";
            return false;
        }
        existed_ = false;
        placed_ = true;
        return true;
    }
    existed_ = fs::exists(fs::symlink_status(real_, error));
    struct stat earlier = {};
    if (existed_ && ::stat(real_.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode)) {
        ::chmod(staged_.c_str(), earlier.st_mode & kPermissionBits); // the earlier file's permissions stay
    }
    // The earlier file stays reachable under a hidden name until the whole set is in place.
    kept_.clear();
    if (existed_) {
        const int descriptor = makeHidden(fs::path(real_).parent_path(), fs::path(real_).filename(), kept_);
        if (descriptor >= 0) {
            ::close(descriptor);
            ::unlink(kept_.c_str());
            if (::link(real_.c_str(), kept_.c_str()) != 0) {
                kept_.clear(); // a file system without hard links: the earlier file cannot come back
            }
        } else {
            kept_.clear();
        }
    }
    fs::rename(staged_, real_, error);
    if (error) {
        if (!kept_.empty()) {
            ::unlink(kept_.c_str());
            kept_.clear();
        }
        failure = "cannot put " + target_ + " in place (" + error.message() + ")";
        return false;
    }
    placed_ = true;
    return true;
}

bool StagedFile::writeThrough(std::string& failure, const RowFile::StopRequested& stopRequested) {
    if (!openThrough(failure, stopRequested)) {
        return false;
    }
    std::ifstream staged(staged_, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(staged), std::istreambuf_iterator<char>()};
    if (staged.bad() || !through_.append(text) || !through_.close()) {
        failure =
            "cannot write " + target_ + (through_.failure().empty() ? "" : " (" + through_.failure() + ")");
        return false;
    }
    return true;
}

bool StagedFile::restore() {
    if (!placed_) {
        return true;
    }
    bool restored = false;
    if (!kept_.empty()) {
        restored = ::rename(kept_.c_str(), real_.c_str()) == 0;
        kept_.clear();
    } else if (!existed_) {
        restored = ::unlink(real_.c_str()) == 0;
    }
    placed_ = false;
    staged_.clear();
    unlock();
    return restored;
}

void StagedFile::commit() {
    if (!kept_.empty()) {
        ::unlink(kept_.c_str());
        kept_.clear();
    }
    unlock();
}

bool StagedFile::publish(std::string& failure, const RowFile::StopRequested& stopRequested) {
    if (!lock(failure) || !openThrough(failure, stopRequested) || !place(failure, stopRequested)) {
        unlock();
        return false;
    }
    commit();
    return true;
}

} // namespace rollbite
