#pragma once

#include <string>

namespace rollbite::fuzz {

// One whole run of the program on the given file contents, answered as a user would, followed by the
// checks every run must pass whatever its files hold: the run ends, and the exit file holds the header
// and exactly one well-formed row per case line, each with one of the four error classes. A broken
// promise aborts, which the fuzzer reports as a crash with its input.
class RunCheck {
public:
    // `combination` picks the mode and the rheology (0 to 5: direct c, s, w, then inverse c, s, w), and
    // the threads solving the cases (1 below 6, 2 from 6 to 11, and so on round).
    RunCheck(unsigned combination, std::string entryText, std::string coefficientText);

    void runAndCheck() const;

private:
    std::string folderFile(const char* name) const;
    void checkExitFile(int status, const std::string& consoleOut) const;

    char mode_;
    char rheology_;
    int threads_;
    std::string entryText_;
    std::string coefficientText_;
    std::string folder_;
};

} // namespace rollbite::fuzz
