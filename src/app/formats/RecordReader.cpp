#include "app/formats/RecordReader.h"

#include "app/formats/CaseLine.h"
#include "app/formats/FieldReader.h"
#include "rollbite/model/CaseSolver.h"

namespace rollbite {

namespace {

using Traits = std::istream::traits_type;

// The blanks that separate numbers, as whitespace-separated extraction knows them.
bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

RecordReader::RecordReader(std::istream& file) : file_(file) {}

void RecordReader::skipHeader() {
    std::getline(file_, field_);
    line_ = 2;
}

std::string RecordReader::readHeader() {
    std::string header;
    std::getline(file_, header);
    line_ = 2;
    return header;
}

int RecordReader::fieldCount(RheologyKind rheology) const {
    return rheology == kLawRheology ? (law_ != nullptr ? law_->count() : 0)
                                    : CaseSolver::coefficientCount(rheology);
}

std::string RecordReader::fieldName(RheologyKind rheology, int k) const {
    if (rheology == kLawRheology) {
        return law_->name(k);
    }
    return rheology == kWS18Rheology ? kWS18CoefficientNames[k] : kSmatchCoefficientNames[k];
}

bool RecordReader::more() {
    int c = file_.peek();
    for (; c != Traits::eof() && isBlank(c); c = file_.peek()) {
        line_ += c == '\n' ? 1 : 0;
        file_.get();
    }
    return c != Traits::eof();
}

bool RecordReader::nextField(std::string& field) {
    field.clear();
    if (!more()) {
        return false;
    }
    for (int c = file_.peek(); c != Traits::eof() && !isBlank(c); c = file_.peek()) {
        field += static_cast<char>(c);
        file_.get();
    }
    return true;
}

bool RecordReader::restOfLineBlank() {
    int c = file_.peek();
    for (; c != Traits::eof() && c != '\n' && isBlank(c); c = file_.peek()) {
        file_.get();
    }
    return c == Traits::eof() || c == '\n';
}

bool RecordReader::next(RheologyKind rheology, CaseInputs& inputs) {
    const int count = fieldCount(rheology);
    if (count == 0) {
        return true;
    }
    ++records_;
    const long long ownLine = records_ + 1; // the header is line 1
    bool whole = true;
    bool ended = false;
    const long long previousLastLine = lastLine_;
    firstLine_ = lastLine_ = line_;
    for (int k = 0; k < count; ++k) {
        if (!nextField(field_)) {
            CaseLine::addUnreadable(inputs, "the coefficient file ends before coefficient " +
                                                std::to_string(k + 1) + " (" + fieldName(rheology, k) +
                                                ") of the case's record");
            whole = false;
            ended = true;
            break;
        }
        if (k == 0) {
            firstLine_ = line_;
        }
        lastLine_ = line_;
        double value = 0.0;
        const bool number = FieldReader::parseDouble(field_, value);
        if (rheology == kLawRheology) {
            law_->assign(k, value, inputs);
        } else {
            inputs.coefficients[static_cast<std::size_t>(k)] = value;
        }
        if (!number && whole) {
            CaseLine::addUnreadable(
                inputs, "coefficient " + std::to_string(k + 1) + " (" + fieldName(rheology, k) +
                            ") of the case's record is not a number: " + CaseLine::quoted(field_));
            whole = false;
        }
    }
    // Alone on its line: the case's line holds this record whole, and nothing of the records around it.
    lastOnItsLine_ = !ended && firstLine_ == ownLine && lastLine_ == ownLine && previousLastLine < ownLine &&
                     restOfLineBlank();
    if (!lastOnItsLine_ && misplaced_++ == 0) {
        firstMisplacedLine_ = ownLine;
    }
    return whole;
}

std::string RecordReader::lastPlacement() const {
    if (lastOnItsLine_) {
        return {};
    }
    const long long ownLine = records_ + 1;
    std::string where = firstLine_ == lastLine_
                            ? "line " + std::to_string(firstLine_)
                            : "lines " + std::to_string(firstLine_) + " to " + std::to_string(lastLine_);
    return "coefficient record not alone on line " + std::to_string(ownLine) +
           " of the coefficient file, the line of the case: read from " + where;
}

} // namespace rollbite
