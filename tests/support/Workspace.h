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
    // Copies a file of the tests' reference folder, or of the bundled examples, into the workspace.
    void copyReference(const std::string& file) const;
    void copyExample(const std::string& file) const;
    std::string read(const std::string& file) const;
    bool exists(const std::string& file) const;
    RunResult run(const std::string& answers) const;

private:
    std::filesystem::path folder_;
};

// The folder of the test data committed with the tests, and the folder of the bundled examples.
std::filesystem::path testDataFolder();
std::filesystem::path examplesFolder();

} // namespace rollbite::test
