#include "support/Workspace.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rollbite::test {

namespace {

std::string slurp(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream content;
    content << stream.rdbuf();
    return content.str();
}

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

} // namespace

std::filesystem::path testDataFolder() {
    return ROLLBITE_TEST_DATA;
}

Workspace::Workspace(const std::string& name)
    : folder_(std::filesystem::temp_directory_path() /
              ("rollbite-" + name + "-" + std::to_string(getpid()))) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
}

Workspace::~Workspace() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::filesystem::path Workspace::path(const std::string& file) const {
    return folder_ / file;
}

void Workspace::write(const std::string& file, const std::string& content) const {
    std::ofstream stream(path(file), std::ios::binary);
    stream << content;
}

void Workspace::copyFrom(const std::string& folder, const std::string& file) const {
    std::filesystem::copy_file(std::filesystem::path(folder) / file, path(file),
                               std::filesystem::copy_options::overwrite_existing);
}

std::string Workspace::read(const std::string& file) const {
    return slurp(path(file));
}

bool Workspace::exists(const std::string& file) const {
    return std::filesystem::exists(path(file));
}

std::filesystem::path sourceFolder() {
    return testDataFolder().parent_path();
}

std::filesystem::path executable() {
    return ROLLBITE_EXECUTABLE;
}

RunResult Workspace::run(const std::string& answers) const {
    write(".answers", answers);
    // A time limit guards against a dialogue that would loop for ever on a closed input.
    return shell("timeout 300 " + quoted(ROLLBITE_EXECUTABLE) + " < .answers");
}

RunResult Workspace::shell(const std::string& commandLine) const {
    const std::string command =
        "cd " + quoted(folder_) + " && { " + commandLine + " ; } > .stdout 2> .stderr";
    const int status = std::system(command.c_str());
    RunResult result;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = read(".stdout");
    result.err = read(".stderr");
    return result;
}

pid_t Workspace::start(const std::string& answers) const {
    write(".answers", answers);
    const std::string answersPath = path(".answers").string();
    const pid_t process = fork();
    if (process == 0) {
        const int in = open(answersPath.c_str(), O_RDONLY);
        const int out = open("/dev/null", O_WRONLY);
        if (in < 0 || out < 0 || chdir(folder_.c_str()) != 0) {
            _exit(127);
        }
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        execl(ROLLBITE_EXECUTABLE, ROLLBITE_EXECUTABLE, static_cast<char*>(nullptr));
        _exit(127);
    }
    if (process < 0) {
        throw std::runtime_error("cannot start rollbite");
    }
    return process;
}

int Workspace::wait(pid_t process, long& peakResidentKilobytes) {
    int status = 0;
    rusage usage{};
    if (wait4(process, &status, 0, &usage) != process) {
        throw std::runtime_error("lost a started rollbite");
    }
    peakResidentKilobytes = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace rollbite::test
