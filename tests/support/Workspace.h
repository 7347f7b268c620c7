#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace rollbite::test {

// What one run of the real rollbite executable left on the console.
struct RunResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// A fresh folder for one test, removed afterwards; rollbite runs inside it with the answers to its
// console questions fed through standard input.
class Workspace {
public:
    explicit Workspace(const std::string& name);
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    std::filesystem::path path(const std::string& file) const;
    void write(const std::string& file, const std::string& content) const;
    // Copies a file of another folder into the workspace.
    void copyFrom(const std::string& folder, const std::string& file) const;
    std::string read(const std::string& file) const;
    bool exists(const std::string& file) const;
    RunResult run(const std::string& answers) const;
    // Runs a shell command line inside the workspace.
    RunResult shell(const std::string& commandLine) const;
    // Starts rollbite in the background with its console output discarded; finish it with `wait`.
    pid_t start(const std::string& answers) const;
    // Waits for a started run: its exit status (-1 when a signal ended it) and its peak resident size.
    static int wait(pid_t process, long& peakResidentKilobytes);

private:
    std::filesystem::path folder_;
};

// The folder of the test data committed with the tests.
std::filesystem::path testDataFolder();
// The root of the source tree (scripts/, examples/).
std::filesystem::path sourceFolder();
// The rollbite executable under test.
std::filesystem::path executable();

} // namespace rollbite::test
