#pragma once

#include <filesystem>
#include <string>

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

private:
    std::filesystem::path folder_;
};

// The folder of the test data committed with the tests.
std::filesystem::path testDataFolder();

} // namespace rollbite::test
