// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_writer.h"

#include "document/file_io.h"
#include "document/file_saver.h"
#include "document/table_document.h"
#include "document/table_line.h"
#include "document/table_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace zelvane {

namespace {

constexpr std::string_view LineEnd = "\r\n";

// Copies into a buffer sized beforehand: no capacity check per piece.
class Output {
public:
    explicit Output(char* start) : m_cursor(start) {}
    Output& operator<<(std::string_view piece)
    {
        std::memcpy(m_cursor, piece.data(), piece.size());
        m_cursor += piece.size();
        return *this;
    }
    [[nodiscard]] const char* Cursor() const { return m_cursor; }

private:
    char* m_cursor;
};

} // namespace

FileResult FormatTable(const TableDocument& document, std::string& bytes)
{
    bytes.clear();
    // Sizes first, from the line objects alone; the lines' bytes are read
    // once, below, where each is checked as it is copied.
    std::size_t size = 0;
    for (const ExtraLine& line : document.ExtraLines) {
        if (!line.empty())
            size += line.size() + LineEnd.size();
    }
    for (std::size_t code = 0; code < CodeCount; ++code) {
        const TableEntry& entry = document.Entries[code];
        if (entry.Value.empty())
            continue;
        const std::string_view text = entry.Kind() == SpecialKind::None ? std::string_view(entry.Value) : entry.Tail;
        if (HasLineBreak(text))
            return FileResult::Failure("il valore del codice " + CodeText(static_cast<std::uint8_t>(code))
                                       + " contiene un ritorno a capo");
        size += 3 + text.size() + LineEnd.size();
    }
    for (const Bookmark& bookmark : document.Bookmarks) {
        if (bookmark.Title.empty())
            continue;
        if (HasLineBreak(bookmark.Title))
            return FileResult::Failure("il titolo del bookmark " + AddressText(bookmark.Address)
                                       + " contiene un ritorno a capo");
        size += 2 * LineEnd.size() + 3 + AddressText(bookmark.Address).size() + bookmark.Title.size();
    }
    if (size > MaxTableBytes)
        return FileResult::Failure("la tabella supererebbe i 256 MiB, il massimo che si può rileggere");

    // A file that began with these bytes would be taken for UTF-16: an
    // empty line first, which the reader skips, keeps it a table.
    const auto first = std::find_if(document.ExtraLines.begin(), document.ExtraLines.end(),
                                    [](const ExtraLine& line) { return !line.empty(); });
    const bool leadingBreak = first != document.ExtraLines.end() && StartsAsUtf16(*first);
    bytes.reserve(size + LineEnd.size());
    Prefault(bytes.data(), bytes.capacity());
    bytes.resize(size + (leadingBreak ? LineEnd.size() : 0));
    Output out(bytes.data());
    if (leadingBreak)
        out << LineEnd;
    // The reader takes bookmark-shaped extra lines as bookmarks: together
    // with the real ones they must fit the slots.
    std::size_t bookmarks = document.BookmarkCount();
    std::size_t number = 0;
    for (const ExtraLine& line : document.ExtraLines) {
        if (line.empty())
            continue;
        ++number;
        if (const std::string problem = ExtraLineProblem(line, bookmarks); !problem.empty())
            return FileResult::Failure("la linea extra " + std::to_string(number) + " " + Quoted(line)
                                       + " non si potrebbe rileggere: " + problem);
        out << line << LineEnd;
    }
    for (std::size_t code = 0; code < CodeCount; ++code) {
        const TableEntry& entry = document.Entries[code];
        if (entry.Value.empty())
            continue;
        const std::string digits = CodeText(static_cast<std::uint8_t>(code));
        switch (entry.Kind()) {
        case SpecialKind::EndOfLine:
            out << "/" << digits << entry.Tail;
            break;
        case SpecialKind::EndOfWindow:
            out << "*" << digits << entry.Tail;
            break;
        case SpecialKind::None:
            out << digits << "=" << entry.Value;
            break;
        }
        out << LineEnd;
    }
    for (const Bookmark& bookmark : document.Bookmarks) {
        if (!bookmark.Title.empty())
            out << LineEnd << "(" << AddressText(bookmark.Address) << "h)" << bookmark.Title << LineEnd;
    }
    // The sizes counted above and the pieces written must agree.
    if (out.Cursor() != bytes.data() + bytes.size())
        return FileResult::Failure("errore interno nel formato della tabella");
    return FileResult::Success();
}

FileResult SaveTable(TableDocument& document, const std::filesystem::path& fileName)
{
    std::string bytes;
    try {
        if (FileResult formatted = FormatTable(document, bytes); !formatted)
            return formatted;
    } catch (const std::bad_alloc&) {
        return FileResult::Failure("memoria insufficiente per scrivere il file");
    }
    SaveOutcome outcome = SaveFileSafely(fileName, bytes);
    if (!outcome.result)
        return outcome.result;
    document.FileName = fileName.string();
    document.DiskStamp = outcome.stamp;
    return FileResult::Success();
}

} // namespace zelvane
