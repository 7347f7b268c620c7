#include "app/dialogue/ConsoleDriver.h"

#include "app/run/DirectOrowan.h"
#include "app/run/InverseOrowan.h"
#include "rollbite/Kinds.h"

namespace rollbite {

ConsoleDriver::ConsoleDriver(const Console& console, int threadCount)
    : console_(console), threadCount_(threadCount) {}

bool ConsoleDriver::ask(const char* prompt, const char* question, const std::string& accepted, char& answer) {
    std::string line;
    while (true) {
        console_.out << prompt << std::flush;
        if (!std::getline(console_.in, line)) {
            console_.err << "rollbite: standard input ended before the answer to \"" << question
                         << "\" was given\n";
            return false;
        }
        if (line.size() == 1 && accepted.find(line[0]) != std::string::npos) {
            answer = line[0];
            return true;
        }
    }
}

int ConsoleDriver::run() {
    char mode = 0;
    char rheology = 0;
    if (!ask("\n Direct/Inverse [d/i] : ", "Direct/Inverse [d/i]", "di", mode) ||
        !ask("\n Constant/Smatch/WS18 [c/s/w] : ", "Constant/Smatch/WS18 [c/s/w]", "csw", rheology)) {
        return 1;
    }
    console_.out << (mode == 'd' ? "\n  Direct mode " : "\n  Inverse mode ");
    int kind = kConstantRheology;
    if (rheology == 's') {
        console_.out << " with Smatch rheology \n ";
        kind = kSmatchRheology;
    } else if (rheology == 'w') {
        console_.out << " with WS18 rheology \n ";
        kind = kWS18Rheology;
    } else {
        console_.out << " with Constant rheology \n ";
    }
    if (mode == 'd') {
        DirectOrowan computation(kind, console_);
        computation.threadCount = threadCount_;
        return computation.run();
    }
    InverseOrowan computation(kind, console_);
    computation.threadCount = threadCount_;
    return computation.run();
}

} // namespace rollbite
