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
    ScheduleTable,    // a schedule's tab-separated table: its header row
    SensitivityTable, // the first line is the header row of a sensitivity table (direct or inverse)
    HeaderLine,       // a file whose first line is the header line its writer gives (OutputForm)
};

// What a front end is about to write into a file: its kind, and for a file of the kind HeaderLine (an
// entry or coefficient file written by rollbite) the header line that tells a file of the same writer
// and the same source, with what a file lacks that does not have it, for a message.
struct OutputForm {
    OutputForm(OutputKind kind) : kind(kind) {} // NOLINT: a kind alone is a form
    OutputForm(std::string header, std::string description)
        : kind(OutputKind::HeaderLine), header(std::move(header)), description(std::move(description)) {}

    OutputKind kind;
    std::string header;
    std::string description;
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
//
// Standard input and output are files too: kStandardInput and kStandardOutput name what the process's
// streams lead to, and are compared with every other name by device and inode, as any path is. Only a
// terminal (or another character device) may be read and written at once: it hands back nothing written
// into it.
class OutputGuard {
public:
    static constexpr const char* kStandardInput = "/dev/stdin";
    static constexpr const char* kStandardOutput = "/dev/stdout";

    explicit OutputGuard(bool force = false);

    // A file the run reads, and what it is for a message ("the entry file (standard input)").
    void addInput(const std::string& path, const std::string& what = "an input file");
    // A file the run writes besides, and what it is ("the exit file").
    void addOutput(const std::string& path, const std::string& what);

    OutputProblem check(const std::string& path, const OutputForm& form) const;
    // Standard output as the shell opened it: what it held was the user's to decide, but it must be
    // neither an input nor another output of the run. InputFile, OtherOutput or None.
    OutputProblem checkStandardOutput() const;
    // What check found, in words for the user: "the exit file out.txt is an input file". `what` names
    // the file's role ("the exit file"), `forceOption` how the user forces it.
    std::string message(const std::string& path, const OutputForm& form, const std::string& what,
                        const std::string& forceOption = "--force") const;
    // The same for standard output.
    std::string standardOutputMessage(const std::string& what) const;

    // True when both names lead to the same file, whatever path or symbolic link spells them, also when
    // it does not exist yet (a link that leads nowhere, a file to be created).
    static bool samePlace(const std::string& first, const std::string& second);
    // True when `path` is a regular file that is not empty and is not of the kind.
    static bool holdsOtherData(const std::string& path, const OutputForm& form);
    // True when the process's standard error is a regular file that one of `paths` (not empty) leads to:
    // a message written there would land in a file of the run.
    static bool standardErrorIsOneOf(const std::vector<std::string>& paths);
    // True when `path` exists and is neither a regular file nor a folder: a device, a FIFO or a socket,
    // which a front end writes through instead of replacing it.
    static bool writtenThrough(const std::string& path);

private:
    using Named = std::pair<std::string, std::string>; // path, what it is
    // The input or the output that `path` leads to, or null.
    const Named* inputAt(const std::string& path) const;
    const Named* outputAt(const std::string& path) const;

    bool force_;
    std::vector<Named> inputs_;
    std::vector<Named> outputs_;
};

} // namespace rollbite
