#include "app/profile/ProfilePlot.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace rollbite {

namespace {

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A file name as a gnuplot string.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        out += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return out + "'";
}

// While it lives, a write to a pipe whose reader has gone fails with EPIPE instead of killing the process.
class IgnoredBrokenPipes {
public:
    IgnoredBrokenPipes() {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &previous_);
    }
    ~IgnoredBrokenPipes() { sigaction(SIGPIPE, &previous_, nullptr); }
    IgnoredBrokenPipes(const IgnoredBrokenPipes&) = delete;
    IgnoredBrokenPipes& operator=(const IgnoredBrokenPipes&) = delete;

private:
    struct sigaction previous_ = {};
};

constexpr const char* kInstallHint = "(scripts/install-deps.sh installs it)";

} // namespace

ProfilePlot::ProfilePlot(const CaseProfile& computed, std::int32_t caseId)
    : computed_(computed), caseId_(caseId) {}

bool ProfilePlot::knownImageType(const std::string& image) {
    return endsWith(image, ".png") || endsWith(image, ".svg");
}

std::string ProfilePlot::script(const std::string& table, const std::string& image) const {
    const BiteProfile& bite = computed_.profile();
    const double radius = bite.rollRadius;
    const double neutralX = -radius * std::sin(bite.neutralAngle);
    std::ostringstream plot;
    plot.precision(17);
    plot << (endsWith(image, ".svg") ? "set terminal svg size 1000,640 dynamic font 'Sans,13'\n"
                                     : "set terminal pngcairo size 1000,640 font 'Sans,11'\n");
    plot << "set output " << quoted(image) << "\n"
         << "set datafile separator ','\nset datafile commentschars '#'\n"
         << "set title 'Case " << caseId_ << ": roll pressure along the bite (entry on the left)'\n"
         << "set xlabel 'x = -R sin(phi)  (mm)'\nset ylabel 'pressure  (MPa)'\n"
         << "set key outside right top vertical\nset grid\n";
    // Sticking friction between the two switch points, when there is any.
    if (bite.entrySwitchAngle > bite.exitSwitchAngle) {
        const double from = -radius * std::sin(bite.entrySwitchAngle);
        const double to = -radius * std::sin(bite.exitSwitchAngle);
        plot << "set object 1 rect from " << from << ", graph 0 to " << to
             << ", graph 1 behind fillcolor rgb '#e8e8e8' fillstyle solid noborder\n"
             << "set label 2 'sticking zone' at " << (from + to) / 2.0 << ", graph 0.05 center\n";
    }
    plot << "set arrow 3 from " << neutralX << ", graph 0 to " << neutralX
         << ", graph 1 nohead dashtype 3 linecolor rgb '#555555'\n"
         << "set label 4 sprintf(\"neutral point\\n%.1f MPa\", " << bite.neutralPressure << ") at "
         << neutralX << ", " << bite.neutralPressure << " offset 1.5,1.2 left\n";
    // The friction hill first, so that the two solutions it is made of stay visible on top of it.
    plot << "plot " << quoted(table) << " skip 1 using 3:9 with lines linewidth 4 linecolor rgb '#c00000' "
         << "title 'friction hill', \\\n"
         << "     '' skip 1 using 3:7 with lines linewidth 1.5 dashtype 2 linecolor rgb '#7030a0' "
         << "title 'entry-side solution', \\\n"
         << "     '' skip 1 using 3:8 with lines linewidth 1.5 dashtype 2 linecolor rgb '#00a060' "
         << "title 'exit-side solution', \\\n"
         << "     '' skip 1 using 3:(2.0 * $5 / sqrt(3.0)) with lines linewidth 1.5 linecolor rgb '#2060c0' "
         << "title '2 sigma / sqrt(3)', \\\n"
         << "     '-' using 1:2 with points pointtype 7 pointsize 1.5 linecolor rgb 'black' title 'neutral "
            "point'\n"
         << neutralX << "," << bite.neutralPressure << "\ne\n";
    return plot.str();
}

bool ProfilePlot::gnuplotFound() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/gnuplot";
        std::error_code ignored;
        if (std::filesystem::is_regular_file(candidate, ignored) && access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

bool ProfilePlot::draw(const std::string& table, const std::string& image, std::string& message) const {
    if (!gnuplotFound()) {
        message = std::string("gnuplot is missing from the PATH ") + kInstallHint;
        return false;
    }
    const IgnoredBrokenPipes quietPipes;
    bool drawn = false;
    if (FILE* gnuplot = popen("gnuplot 2>&1", "w")) {
        const std::string commands = script(table, image);
        const bool sent = std::fwrite(commands.data(), 1, commands.size(), gnuplot) == commands.size() &&
                          std::fflush(gnuplot) == 0;
        const int status = pclose(gnuplot);
        drawn = sent && status == 0;
    }
    std::error_code error;
    if (drawn && std::filesystem::file_size(image, error) > 0 && !error) {
        return true;
    }
    message = "gnuplot failed to draw";
    return false;
}

} // namespace rollbite
