#pragma once

#include "app/formats/LawColumns.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/CaseInputs.h"

#include <istream>
#include <string>

namespace rollbite {

// Reads the records of a coefficient file from any stream: after the header line, each case takes the
// next 4 (Smatch) or 23 (WS18) numbers, whatever lines they stand on, so that a record spread over two
// lines is still read as a run always read it. It also tells whether each record stood alone on the line
// of its case (the line of the same rank as the case's entry line): one that did not may belong to
// another case, which the user should hear of.
class RecordReader {
public:
    // The reader keeps a reference to the stream, which must outlive it.
    explicit RecordReader(std::istream& file);

    // Skips the header line.
    void skipHeader();
    // The header line, read (a law's columns are named by it).
    std::string readHeader();
    // With a flow-stress law: the columns of its records, which must outlive the reader.
    void useLaw(const LawColumns* columns) { law_ = columns; }
    // The next record of the rheology into the case's coefficients (nothing for Constant). Every field
    // of the record is taken, even after one that is not a number. False, with what could not be read
    // added to the case's `unreadable`, when one is not a number or the file ends first.
    bool next(RheologyKind rheology, CaseInputs& inputs);
    // True when the stream holds another field.
    bool more();

    // Whether the record read last stood alone on the line of its case.
    bool lastOnItsLine() const { return lastOnItsLine_; }
    // Why the record read last did not stand alone on its line, for the reason of its case; empty when
    // it did.
    std::string lastPlacement() const;
    // Records read so far that did not stand alone on their line, and the line of the first of them.
    long long misplacedRecords() const { return misplaced_; }
    long long firstMisplacedLine() const { return firstMisplacedLine_; }

private:
    // The next whitespace-separated field; false at the end of the stream. Counts the line feeds.
    bool nextField(std::string& field);
    // Skips blanks up to the end of the current line; true when nothing else stands on it.
    bool restOfLineBlank();

    // The number of a record's fields and the name of field k.
    int fieldCount(RheologyKind rheology) const;
    std::string fieldName(RheologyKind rheology, int k) const;

    std::istream& file_;
    const LawColumns* law_ = nullptr;
    std::string field_;
    long long line_ = 1; // the line the stream is on
    long long records_ = 0;
    long long firstLine_ = 0; // of the record read last
    long long lastLine_ = 0;
    bool lastOnItsLine_ = true;
    long long misplaced_ = 0;
    long long firstMisplacedLine_ = 0;
};

} // namespace rollbite
