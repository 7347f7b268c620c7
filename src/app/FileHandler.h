#pragma once

#include "app/Console.h"

#include <fstream>
#include <istream>
#include <ostream>
#include <string>

namespace rollbite {

// The three files of a run: the entry file of cases, the exit file of result rows and, for the Smatch
// and WS18 rheologies, the file of rheology coefficients. Asks for their names on the console.
class FileHandler {
public:
    explicit FileHandler(const Console& console);
    virtual ~FileHandler() = default;

    // Asks for the entry file, the exit file and, when asked, the coefficient file, until each can be
    // used. An exit file is never one of the inputs, and it is created or emptied only once that is
    // certain. False when the console input ended before every name was given.
    bool askFileNames(bool withCoefficients);
    // True when entry and coefficient files hold the same number of line feeds; both are then rewound.
    bool sameLineCount();
    // Skips the header lines of the input files and writes the header row of the mode.
    void writeHeader(int mode);
    void closeAll();
    // Reads the next `count` whitespace-separated numbers of the coefficient file. False when one of
    // them is not a number or the file ends first.
    bool readCoefficients(double* values, int count);
    // From now on coefficients are read from the coefficient file of `reader`, which has the files open,
    // and rows go to its exit file: the handler of a computation that works on cases for it.
    void shareFilesOf(FileHandler& reader);
    // Writes one result row and flushes it, so that a run stopped at any point leaves whole rows.
    void writeRow(const std::string& row);

    std::ofstream exitFile;
    std::ifstream entryFile;
    std::ifstream coefficientFile;
    std::string line; // current line of the entry file, without its line feed

    std::string entryFileName;
    std::string exitFileName;
    std::string coefficientFileName;

private:
    bool askLine(const char* prompt, const char* what, std::string& answer);
    bool askEntryFile();
    bool askExitFile(bool withCoefficients);
    bool askCoefficientFile();
    bool isInputFile(const std::string& name, bool withCoefficients) const;

    Console console_;
    std::istream* coefficientSource_ = &coefficientFile;
    std::ostream* rowSink_ = &exitFile;
};

} // namespace rollbite
