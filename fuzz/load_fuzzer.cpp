// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to LoadTable through a file. For every input it
// accepts: saving it unchanged gives the same bytes; saving it after a few
// edits (a value set, a code emptied, an extra line removed and one added,
// a bookmark added) gives a file that reads back as the edited table; and
// as a new table in the plain layout, every non-empty line comes back (in
// the form worked out below, without the reader's help), the saved file
// reads back into the same table, and writing that again gives the same
// bytes.

#include "document/table_document.h"
#include "document/table_reader.h"
#include "document/table_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include <unistd.h>

namespace {

// A private folder in memory where there is one, removed at exit.
struct WorkFolder {
    std::filesystem::path path;

    WorkFolder()
    {
        const std::filesystem::path shm = "/dev/shm";
        path = (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path())
               / ("zelvane-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
    }
    ~WorkFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "round trip broken: %s\n", what);
    std::abort();
}

// Lines split at CR LF, CR or LF; empty lines left out.
std::vector<std::string> SplitLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        if (!line.empty())
            lines.push_back(line);
        line.clear();
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

char Upper(char c)
{
    return (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
}

int CodeOf(char high, char low)
{
    auto value = [](char c) { return c <= '9' ? c - '0' : Upper(c) - 'A' + 10; };
    return value(high) * 16 + value(low);
}

// A mark of a code of two or more bytes ("/F100=<END>"): the characters
// after the mark up to "=" or the end are an even number, four or more, of
// hexadecimal digits. It is a line of its page, kept as it is.
bool IsLongMark(const std::string& line)
{
    if (line.empty() || (line[0] != '/' && line[0] != '*'))
        return false;
    const std::size_t end = std::min(line.find('='), line.size());
    if (end < 5 || (end - 1) % 2 != 0)
        return false;
    for (std::size_t i = 1; i < end; ++i) {
        if (!IsHex(line[i]))
            return false;
    }
    return true;
}

// The code a code or special line is about, or -1 for any other line.
int LineCode(const std::string& line)
{
    if (line.empty() || line[0] == '#' || line[0] == ';' || line.rfind("//", 0) == 0 || IsLongMark(line))
        return -1;
    if (line.size() >= 3 && line[2] == '=' && IsHex(line[0]) && IsHex(line[1]))
        return CodeOf(line[0], line[1]);
    if (line.size() >= 3 && (line[0] == '/' || line[0] == '*') && IsHex(line[1]) && IsHex(line[2]))
        return CodeOf(line[1], line[2]);
    return -1;
}

// How an accepted input line must come back, unless as it was: code digits
// in upper case, a bookmark's address without leading zeros and with "h)".
// Empty: the line may vanish (an empty value or title).
struct Expected {
    std::string original; // a line kept as an extra line comes back as it was
    std::string line;
    std::string marked; // "41=/" comes back as "/41" when the code is marked
    int code = -1; // the code a code or special line is about
    bool emptyValue = false;
};

Expected ExpectedLine(const std::string& line)
{
    Expected expected;
    expected.original = line;
    if (LineCode(line) < 0 && line[0] != '(') {
        expected.line = line;
    } else if (line.size() >= 3 && line[2] == '=') {
        expected.code = CodeOf(line[0], line[1]);
        expected.emptyValue = line.size() == 3;
        expected.line = std::string{Upper(line[0]), Upper(line[1])} + line.substr(2);
        if (line.size() == 4 && (line[3] == '/' || line[3] == '*'))
            expected.marked = std::string{line[3], Upper(line[0]), Upper(line[1])};
    } else if ((line[0] == '/' || line[0] == '*') && !(line.size() > 1 && line[1] == '/')) {
        expected.code = CodeOf(line[1], line[2]);
        expected.line = std::string{line[0], Upper(line[1]), Upper(line[2])} + line.substr(3);
    } else if (line[0] == '(') {
        std::size_t p = 1;
        while (p + 1 < line.size() && !((line[p] == 'h' || line[p] == 'H') && line[p + 1] == ')'))
            ++p;
        if (p + 1 >= line.size()) {
            expected.line = line;
            return expected;
        }
        std::string address;
        for (std::size_t i = 1; i < p; ++i) {
            if (IsHex(line[i]) && !(address.empty() && line[i] == '0'))
                address += Upper(line[i]);
        }
        const std::string title = line.substr(p + 2);
        if (!title.empty())
            expected.line = "(" + (address.empty() ? std::string("0") : address) + "h)" + title;
    } else {
        expected.line = line;
    }
    return expected;
}

// Every input line comes back, as often as it came; the lines of a code
// whose last line leaves it unassigned may all vanish.
// Returns the first line missing, or nothing.
std::optional<std::string> LostLine(const std::string& input, const std::string& written)
{
    std::map<std::string, int> available;
    for (const std::string& line : SplitLines(written))
        ++available[line];
    std::vector<Expected> expected;
    std::map<int, bool> unassignedAtLast;
    for (const std::string& line : SplitLines(input)) {
        expected.push_back(ExpectedLine(line));
        if (expected.back().code >= 0)
            unassignedAtLast[expected.back().code] = expected.back().emptyValue;
    }
    for (const Expected& line : expected) {
        if (line.line.empty() || line.emptyValue || (line.code >= 0 && unassignedAtLast[line.code]))
            continue;
        if (available[line.original] > 0)
            --available[line.original];
        else if (!line.marked.empty() && available[line.marked] > 0)
            --available[line.marked];
        else if (available[line.line]-- <= 0)
            return line.line;
    }
    return std::nullopt;
}

// Two tables are the same when they write the same lines: values, the
// special kind (a mark counts only with "/" or "*") and an end marker's
// text, the extra lines and the bookmarks in use.
bool SameTable(const zelvane::TableDocument& a, const zelvane::TableDocument& b)
{
    for (std::size_t code = 0; code < zelvane::CodeCount; ++code) {
        const zelvane::TableEntry& x = a.Entries[code];
        const zelvane::TableEntry& y = b.Entries[code];
        if (x.Value != y.Value || x.Kind() != y.Kind())
            return false;
        if (x.Kind() != zelvane::SpecialKind::None && x.Tail != y.Tail)
            return false;
    }
    if (a.ExtraLines != b.ExtraLines)
        return false;
    for (std::size_t slot = 0; slot < zelvane::SlotCount; ++slot) {
        if (a.Bookmarks[slot].Title != b.Bookmarks[slot].Title)
            return false;
        if (!a.Bookmarks[slot].Title.empty() && a.Bookmarks[slot].Address != b.Bookmarks[slot].Address)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const WorkFolder folder;
    const std::filesystem::path input = folder.path / "input.tbl";
    const std::filesystem::path first = folder.path / "first.tbl";
    const std::filesystem::path second = folder.path / "second.tbl";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    zelvane::TableDocument read;
    if (!zelvane::LoadTable(read, input))
        return 0;
    if (read.FileName != input.string())
        Fail("FileName after a read");
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    zelvane::TableDocument same = read;
    if (!zelvane::SaveTable(same, first) || ReadAll(first) != bytes)
        Fail("a table saved unchanged is not the file it was read from");

    zelvane::TableDocument edited = read;
    if (size >= 4) {
        const std::uint8_t set = data[0], emptied = data[1];
        edited.Entries[set] = {"Z", false};
        if (emptied != set)
            edited.Entries[emptied].Value.clear();
        std::vector<std::string>& extra = edited.ExtraLines;
        if (!extra.empty())
            extra.erase(extra.begin() + data[2] % extra.size());
        extra.insert(extra.begin() + data[3] % (extra.size() + 1), "#fuzz");
        if (const std::size_t count = edited.BookmarkCount(); count < zelvane::SlotCount)
            edited.Bookmarks[count] = {data[2], "fuzz"};
    }
    // An emptied code loses every line for it, its overridden ones too.
    zelvane::TableDocument expected = edited;
    if (size >= 4 && data[1] != data[0])
        std::erase_if(expected.ExtraLines, [&](const std::string& line) { return LineCode(line) == data[1]; });
    // A code whose last line left it unassigned hid its earlier lines; given
    // a value, its last line is rewritten in place and the earlier ones are
    // overridden lines again, which the next read keeps as extra lines.
    std::size_t revived = 0;
    if (size >= 4) {
        std::vector<std::string> lines;
        for (const std::string& line : SplitLines(bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes)) {
            if (LineCode(line) == data[0])
                lines.push_back(line);
        }
        if (lines.size() > 1 && lines.back().size() == 3 && lines.back()[2] == '=')
            revived = lines.size() - 1;
    }
    if (!zelvane::SaveTable(edited, first))
        Fail("cannot write an edited table");
    zelvane::TableDocument editedAgain;
    if (!zelvane::LoadTable(editedAgain, first))
        Fail("cannot read an edited table back");
    zelvane::TableDocument withoutRevived = editedAgain;
    if (revived > 0
        && std::erase_if(withoutRevived.ExtraLines, [&](const std::string& line) { return LineCode(line) == data[0]; })
               != revived)
        Fail("the earlier lines of a code given a value did not come back");
    if (!SameTable(expected, withoutRevived))
        Fail("the edited table read back differs");
    // The document after the save says what its file says.
    if (!SameTable(edited, editedAgain))
        Fail("the document after a save differs from the file it wrote");
    // What a save leaves as the record is the file it wrote.
    if (!zelvane::SaveTable(edited, second) || ReadAll(second) != ReadAll(first))
        Fail("the record after a save is not the file written");

    // As a new table, in the plain layout.
    read.Record.reset();
    if (!zelvane::SaveTable(read, first))
        Fail("cannot write a table that was read");
    // A UTF-8 byte-order mark is no part of the first line.
    const std::string lines = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
    if (const auto lost = LostLine(lines, ReadAll(first))) {
        std::fprintf(stderr, "lost line: %s\n", lost->c_str());
        Fail("a line read did not come back");
    }
    zelvane::TableDocument again;
    if (!zelvane::LoadTable(again, first))
        Fail("cannot read what was written");
    if (!SameTable(read, again))
        Fail("the table read back differs");
    again.Record.reset();
    if (!zelvane::SaveTable(again, second))
        Fail("cannot write the table read back");
    if (ReadAll(first) != ReadAll(second))
        Fail("the second write differs");
    return 0;
}
