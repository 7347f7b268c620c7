#pragma once

#include "rollbite/Kinds.h"
#include "rollbite/model/CaseInputs.h"

#include <istream>
#include <string>

namespace rollbite {

// Reads an entry file from any stream: a header line, then one case per line (9 numbers in direct mode,
// 11 in inverse mode; CaseLine tells how a line is read). Every line after the header is a case, the
// empty ones included, and a last line without its line feed too.
class EntryReader {
public:
    // The reader keeps a reference to the stream, which must outlive it.
    explicit EntryReader(std::istream& file);

    // True when the stream holds not even a header line (not one byte): no entry file.
    bool empty();
    // Skips the header line.
    void skipHeader();
    // Reads the next case line into `inputs`; false at the end of the file (or when it cannot be read).
    bool next(Mode mode, CaseInputs& inputs);
    // Reads the next case line without reading its values; false at the end of the file.
    bool nextLine();

    // The header line rollbite writes into an entry file of the mode (Python's write_entry): the field
    // names, separated by blanks.
    static std::string header(Mode mode);

    const std::string& line() const { return line_; }
    // The number of the line read last: the header is line 1.
    long long lineNumber() const { return lineNumber_; }

private:
    std::istream& file_;
    std::string line_;
    long long lineNumber_ = 0;
};

} // namespace rollbite
