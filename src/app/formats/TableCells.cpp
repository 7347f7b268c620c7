#include "app/formats/TableCells.h"

#include "app/formats/FieldReader.h"

#include <cstdio>
#include <string_view>

namespace rollbite {

namespace {

constexpr const char* kBlanks = " \t\r";
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF"; // UTF-8's, which some editors put first
constexpr std::size_t kLongestShown = 40;              // bytes of a cell a message shows

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    const std::size_t last = text.find_last_not_of(kBlanks);
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The length of the UTF-8 sequence that starts at `at`, or 0 when the bytes there are none.
std::size_t utf8Length(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

} // namespace

char TableCells::separatorOf(const std::string& line) {
    return line.find('\t') != std::string::npos ? '\t' : line.find(',') != std::string::npos ? ',' : ' ';
}

std::vector<std::string> TableCells::cellsOf(const std::string& line) {
    return cellsOf(line, separatorOf(line));
}

namespace {

// A cell in double quotes, as spreadsheets and pandas write one that holds the separator or a quote ("" in
// it is one quote), from its opening quote at `open`: the position after its closing quote, npos when it
// has none (the cell is then read as it is written).
std::size_t quotedCell(const std::string& line, std::size_t open, std::string& cell) {
    cell.clear();
    for (std::size_t at = open + 1; at < line.size(); ++at) {
        if (line[at] != '"') {
            cell += line[at];
        } else if (at + 1 < line.size() && line[at + 1] == '"') {
            cell += '"';
            ++at;
        } else {
            return at + 1;
        }
    }
    return std::string::npos;
}

} // namespace

std::vector<std::string> TableCells::cellsOf(const std::string& line, char separator) {
    std::vector<std::string> cells;
    if (separator == ' ') {
        std::string_view field;
        FieldReader fields(line);
        while (fields.nextField(field)) {
            cells.emplace_back(field);
        }
        return cells;
    }
    for (std::size_t start = 0;;) {
        const std::size_t open = line.find_first_not_of(" \r", start);
        std::string cell;
        std::size_t closed =
            open != std::string::npos && line[open] == '"' ? quotedCell(line, open, cell) : std::string::npos;
        const std::size_t end = line.find(separator, closed == std::string::npos ? start : closed);
        if (closed == std::string::npos) {
            cell = trimmed(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        }
        cells.push_back(cell);
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    // Cells left empty at the end of a row, as spreadsheets write them, are no columns.
    while (!cells.empty() && cells.back().empty()) {
        cells.pop_back();
    }
    return cells;
}

// The cells of a header row after Stand, a unit in brackets joined to its name: a blank-separated row
// splits "Torque_limit (kN m)" into three cells.
std::vector<std::string> TableCells::headerCells(const std::vector<std::string>& cells) {
    std::vector<std::string> columns;
    bool inUnit = false;
    for (std::size_t k = 1; k < cells.size(); ++k) {
        const std::string& cell = cells[k];
        const bool opensUnit = !cell.empty() && (cell.front() == '[' || cell.front() == '(');
        if (inUnit || (opensUnit && !columns.empty())) {
            columns.back() += " " + cell;
            inUnit = cell.empty() || (cell.back() != ']' && cell.back() != ')');
        } else {
            columns.push_back(cell);
        }
    }
    return columns;
}

// "Force_limit [MN]" or "Force_limit (MN)": the name and the unit; no brackets: the cell and no unit.
void TableCells::splitUnit(const std::string& cell, std::string& name, std::string& unit) {
    const std::size_t open = cell.find_first_of("[(");
    const char close = open == std::string::npos ? '\0' : (cell[open] == '[' ? ']' : ')');
    if (open == std::string::npos || cell.back() != close) {
        name = cell;
        unit.clear();
        return;
    }
    name = trimmed(cell.substr(0, open));
    unit = trimmed(cell.substr(open + 1, cell.size() - open - 2));
}

// A cell as a message shows it: text as written, other bytes as \xNN, a long cell cut.
std::string TableCells::shown(const std::string& cell) {
    std::string text;
    std::size_t at = 0;
    while (at < cell.size() && text.size() < kLongestShown) {
        const auto byte = static_cast<unsigned char>(cell[at]);
        const std::size_t length = byte >= 0x80 ? utf8Length(cell, at) : 1;
        // A byte-order mark inside a cell is invisible: it is shown as its bytes.
        const bool mark = cell.compare(at, 3, kByteOrderMark) == 0;
        if (byte >= 0x20 && byte != 0x7F && length > 0 && !mark) {
            text += cell.substr(at, length);
            at += length;
            continue;
        }
        for (const std::size_t end = at + (mark ? 3 : 1); at < end; ++at) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(cell[at]));
            text += escaped;
        }
    }
    return at < cell.size() ? text + "..." : text;
}

void TableCells::dropByteOrderMark(std::string& line) {
    if (line.rfind(kByteOrderMark, 0) == 0) {
        line.erase(0, std::char_traits<char>::length(kByteOrderMark));
    }
}

} // namespace rollbite
