#include "app/formats/EntryReader.h"

#include "app/formats/CaseLine.h"

namespace rollbite {

EntryReader::EntryReader(std::istream& file) : file_(file) {}

bool EntryReader::empty() {
    // A stream that fails to read is not empty: the run tells the read error when it reads it.
    return file_.peek() == std::istream::traits_type::eof() && !file_.bad();
}

void EntryReader::skipHeader() {
    std::getline(file_, line_);
    lineNumber_ = 1;
}

bool EntryReader::nextLine() {
    if (!std::getline(file_, line_)) {
        return false;
    }
    ++lineNumber_;
    return true;
}

bool EntryReader::next(Mode mode, CaseInputs& inputs) {
    if (!nextLine()) {
        return false;
    }
    CaseLine::read(mode, line_, inputs);
    return true;
}

std::string EntryReader::header(Mode mode) {
    const int fields = mode == kInverseMode ? kInverseEntryFields : kDirectEntryFields;
    std::string header = "case"; // the identifier, as the exit file names it
    for (int k = 1; k < fields; ++k) {
        header += ' ';
        header += kEntryFieldNames[k];
    }
    return header;
}

} // namespace rollbite
