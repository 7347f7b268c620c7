#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rollbite::fuzz {

// What every row of every run must be, whatever its case held: the mode's columns, one of the four
// error classes, and no value written as nan or inf. A broken promise aborts, which the fuzzer reports as
// a crash with its input.
void checkRow(std::string_view row, std::size_t columns, const std::string& where);

// One whole run of the program on the given file contents, with the files named as on the command line,
// followed by the checks every run must pass whatever its files hold: the run ends, and the exit file
// holds the header and exactly one well-formed row per case line.
class RunCheck {
public:
    // `combination` picks the mode and the rheology (0 to 5: direct c, s, w, then inverse c, s, w), and
    // the threads solving the cases (1 below 6, 2 from 6 to 11, and so on round).
    RunCheck(unsigned combination, std::string entryText, std::string coefficientText);

    void runAndCheck() const;

private:
    std::string folderFile(const char* name) const;
    void checkExitFile(int status, const std::string& consoleErr) const;

    int mode_;
    int rheology_;
    int threads_;
    std::string entryText_;
    std::string coefficientText_;
    std::string folder_;
};

} // namespace rollbite::fuzz
