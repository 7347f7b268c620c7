#pragma once

#include <string>
#include <utility>
#include <vector>

namespace rollbite {

// What a file that a front end writes is, as its first bytes tell: a file of that kind (or an empty one)
// may be replaced; one that holds anything else is other data, kept unless the user forces it.
enum class OutputKind {
    ExitFile,         // the first line is the header row of an exit file (direct or inverse)
    WhyFile,          // the first line is the header row of a why file
    ProfileTable,     // a table of rollbite-profile: its first line starts "# case,"
    Picture,          // a PNG, SVG or PDF picture
    EntryFile,        // an entry file as rollbite writes one (Python's write_entry): its header line
    CoefficientFile,  // a coefficient file as rollbite writes one (a schedule's passes): its header line
    ScheduleTable,    // a schedule's tab-separated table: its header row
    SensitivityTable, // the first line is the header row of a sensitivity table (direct or inverse)
};

// Why a path may not be written.
enum class OutputProblem {
    None,
    InputFile,   // the run reads it
    OtherOutput, // the run writes it already, under this name or another
    Folder,      // a folder: no file can take its place
    OtherData,   // a file of another kind, kept unless forced
};

// The one place that decides whether a path may be written, for every front end: never an input of the
// run (whatever path or link names it), never a file the run writes already, never a folder, and never a
// file that holds other data, unless forced. A device or a FIFO is written through, never replaced
// (writtenThrough). The check does not open the file: whether it can be written is learnt by opening it.
class OutputGuard {
public:
    explicit OutputGuard(bool force = false);

    // A file the run reads.
    void addInput(const std::string& path);
    // A file the run writes besides, and what it is ("the exit file").
    void addOutput(const std::string& path, const std::string& what);

    OutputProblem check(const std::string& path, OutputKind kind) const;
    // What check found, in words for the user: "the exit file out.txt is an input file". `what` names
    // the file's role ("the exit file"), `forceOption` how the user forces it.
    std::string message(const std::string& path, OutputKind kind, const std::string& what,
                        const std::string& forceOption = "--force") const;

    // True when both names lead to the same file, whatever path or symbolic link spells them, also when
    // it does not exist yet (a link that leads nowhere, a file to be created).
    static bool samePlace(const std::string& first, const std::string& second);
    // True when `path` is a regular file that is not empty and is not of the kind.
    static bool holdsOtherData(const std::string& path, OutputKind kind);
    // True when `path` exists and is neither a regular file nor a folder: a device, a FIFO or a socket,
    // which a front end writes through instead of replacing it.
    static bool writtenThrough(const std::string& path);

private:
    bool force_;
    std::vector<std::string> inputs_;
    std::vector<std::pair<std::string, std::string>> outputs_; // path, what it is
};

} // namespace rollbite
