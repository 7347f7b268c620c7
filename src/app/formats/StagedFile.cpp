#include "app/formats/StagedFile.h"

#include "app/formats/OutputGuard.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace rollbite {

namespace fs = std::filesystem;

namespace {

constexpr mode_t kNewFileMode = 0666; // less the process's umask, as any new file

} // namespace

StagedFile::StagedFile(std::string target) : target_(std::move(target)) {}

StagedFile::~StagedFile() {
    if (!staged_.empty() && !published_) {
        ::unlink(staged_.c_str());
    }
}

bool StagedFile::create(std::string& failure) {
    const fs::path target(target_);
    const std::string extension = target.extension().string();
    std::string staged =
        (target.parent_path() / ("." + target.stem().string() + "-XXXXXX" + extension)).string();
    const int descriptor = mkstemps(staged.data(), static_cast<int>(extension.size()));
    if (descriptor < 0) {
        failure = "cannot write into the folder of " + target_ + " (" + std::strerror(errno) + ")";
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
        failure =
            "cannot write " + target_ + (errno != 0 ? std::string(" (") + std::strerror(errno) + ")" : "");
        return false;
    }
    return true;
}

bool StagedFile::publish(std::string& failure) {
    std::error_code error;
    if (OutputGuard::writtenThrough(target_)) {
        std::ifstream staged(staged_, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(staged), std::istreambuf_iterator<char>()};
        std::ofstream target(target_, std::ios::binary | std::ios::app);
        target << text;
        target.close();
        if (target.fail()) {
            failure = "cannot write " + target_;
            return false;
        }
        return true;
    }
    fs::rename(staged_, target_, error);
    if (error) {
        failure = "cannot put " + target_ + " in place (" + error.message() + ")";
        return false;
    }
    published_ = true;
    return true;
}

} // namespace rollbite
