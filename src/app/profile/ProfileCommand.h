#pragma once

#include "app/formats/LawColumns.h"
#include "rollbite/Kinds.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace rollbite {

// The friction hill of one case of a run's files: the CSV table of its arc of contact, and optionally a
// picture drawn by gnuplot. What `rollbite profile` and `rollbite-profile` do once their arguments are
// read.
class ProfileCommand {
public:
    struct Request {
        Mode mode = kDirectMode;
        RheologyKind rheology = kConstantRheology;
        std::string entry;
        std::int32_t caseId = 0;
        std::string coefficients; // empty with Constant, and with a law whose values are all given
        LawColumns law;           // with kLawRheology: the law and the values given for the whole run
        std::string output;       // the table; "-" for standard output
        std::string image;        // the picture (.png or .svg); empty for none
        bool force = false;
    };

    // `program` starts every message ("rollbite-profile").
    explicit ProfileCommand(std::string program);

    // A usage error in the request (a picture of another type), or an empty text.
    static std::string usageError(const Request& request);
    // Computes the case and writes the table and the picture, both whole or neither. 0; or 1 with one line
    // on `err` when a file may not be written, the case is missing or has no result, or gnuplot fails.
    int run(const Request& request, std::ostream& out, std::ostream& err) const;

private:
    std::string checkOutputs(const Request& request) const;
    int fail(std::ostream& err, const std::string& message) const;

    std::string program_;
};

} // namespace rollbite
