// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_writer.h"

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

bool HasLineBreak(std::string_view text)
{
    return std::memchr(text.data(), '\r', text.size()) || std::memchr(text.data(), '\n', text.size());
}

} // namespace

FileResult FormatTable(const TableDocument& document, std::string& bytes)
{
    bytes.clear();
    // The reader takes bookmark-shaped extra lines as bookmarks: together
    // with the real ones they must fit the slots.
    std::size_t bookmarks = document.BookmarkCount();
    std::size_t size = 0;
    std::size_t number = 0;
    for (const ExtraLine& line : document.ExtraLines) {
        if (line.empty())
            continue;
        ++number;
        if (const std::string problem = ExtraLineProblem(line, bookmarks); !problem.empty())
            return FileResult::Failure("la linea extra " + std::to_string(number) + " " + Quoted(line)
                                       + " non si potrebbe rileggere: " + problem);
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
        size += 2 * LineEnd.size() + 11 + bookmark.Title.size();
    }
    if (size > MaxTableBytes)
        return FileResult::Failure("la tabella supererebbe i 256 MiB, il massimo che si può rileggere");

    // A file that began with these bytes would be taken for UTF-16: an
    // empty line first, which the reader skips, keeps it a table.
    const auto first = std::find_if(document.ExtraLines.begin(), document.ExtraLines.end(),
                                    [](const ExtraLine& line) { return !line.empty(); });
    const bool leadingBreak = first != document.ExtraLines.end() && StartsAsUtf16(*first);
    bytes.reserve(size + LineEnd.size());
    if (leadingBreak)
        bytes.append(LineEnd);
    for (const ExtraLine& line : document.ExtraLines) {
        if (!line.empty())
            bytes.append(line).append(LineEnd);
    }
    for (std::size_t code = 0; code < CodeCount; ++code) {
        const TableEntry& entry = document.Entries[code];
        if (entry.Value.empty())
            continue;
        const std::string digits = CodeText(static_cast<std::uint8_t>(code));
        switch (entry.Kind()) {
        case SpecialKind::EndOfLine:
            bytes.append("/").append(digits).append(entry.Tail);
            break;
        case SpecialKind::EndOfWindow:
            bytes.append("*").append(digits).append(entry.Tail);
            break;
        case SpecialKind::None:
            bytes.append(digits).append("=").append(entry.Value);
            break;
        }
        bytes.append(LineEnd);
    }
    for (const Bookmark& bookmark : document.Bookmarks) {
        if (!bookmark.Title.empty()) {
            bytes.append(LineEnd).append("(").append(AddressText(bookmark.Address)).append("h)");
            bytes.append(bookmark.Title).append(LineEnd);
        }
    }
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
