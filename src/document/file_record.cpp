// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/file_record.h"

#include "document/file_io.h"
#include "document/table_line.h"
#include "document/table_reader.h"

#include <algorithm>
#include <new>

namespace zelvane {

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

FileResult LineFailure(std::size_t lineNumber, const std::string& why)
{
    return FileResult::Failure("riga " + std::to_string(lineNumber) + ": " + why, lineNumber);
}

std::string FirstLineEnd(std::string_view bytes)
{
    const std::size_t at = bytes.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return "\r\n";
    return std::string(bytes.substr(at, LineEndLength(bytes, at)));
}

} // namespace

FileResult FileRecord::Scan()
{
    const std::string_view bytes = Bytes();
    if (StartsAsUtf16(bytes))
        return FileResult::Failure("il file è in UTF-16, non è una tabella a 8 bit: salvalo in UTF-8 o in "
                                   "Shift-JIS con un editor di testo e riaprilo");
    if (bytes.size() > MaxTableBytes)
        return FileResult::Failure("il file è troppo grande per essere una tabella: " + std::to_string(bytes.size())
                                   + " byte, il massimo è 256 MiB");
    m_bodyStart = bytes.starts_with(Utf8Mark) ? Utf8Mark.size() : 0;
    const std::string_view body = bytes.substr(m_bodyStart);
    m_lineEnd = FirstLineEnd(body);

    // The last line of each code, as an index into m_lines once known;
    // until then its position.
    struct Last {
        std::uint32_t offset = 0, length = 0, count = 0, specials = 0;
        bool emptyValue = false, special = false;
    };
    std::array<Last, CodeCount> last{};
    std::vector<Line> lines; // bookmarks and hidden lines, in file order
    std::size_t bookmarks = 0, lineNumber = 0, extras = 0;
    FileResult result = FileResult::Success();
    ForEachLine(body, [&](std::string_view text) {
        ++lineNumber;
        const TableLine kind = ClassifyLine(text);
        const auto offset = static_cast<std::uint32_t>(text.data() - bytes.data());
        const auto length = static_cast<std::uint32_t>(text.size());
        switch (kind.kind) {
        case TableLine::Kind::Empty:
            return true;
        case TableLine::Kind::Refused:
            result = LineFailure(lineNumber, kind.problem);
            return false;
        case TableLine::Kind::Bookmark:
            if (kind.text.empty()) { // a free slot: it takes none
                lines.push_back({offset, length, Role::Hidden});
                return true;
            }
            if (bookmarks == SlotCount) {
                result = LineFailure(lineNumber, "ci sono più di " + std::to_string(SlotCount) + " bookmark");
                return false;
            }
            ++bookmarks;
            lines.push_back({offset, length, Role::Bookmark});
            return true;
        case TableLine::Kind::Special:
            m_marked.set(kind.code); // a later code line keeps the mark
            [[fallthrough]];
        case TableLine::Kind::Code: {
            Last& code = last[kind.code];
            code.offset = offset;
            code.length = length;
            code.emptyValue = kind.kind == TableLine::Kind::Code && kind.text.empty();
            code.special = kind.kind == TableLine::Kind::Special;
            code.specials += code.special;
            ++code.count;
            return true;
        }
        case TableLine::Kind::Extra:
            ++extras;
            return true;
        }
        return true;
    });
    if (!result)
        return result;

    // A code whose last line leaves it unassigned: its earlier lines would
    // give it a value again above that line, so they are no extra lines.
    std::bitset<CodeCount> unassigned;
    for (std::size_t code = 0; code < CodeCount; ++code) {
        if (last[code].count == 0)
            continue;
        lines.push_back({last[code].offset, last[code].length, Role::Entry, static_cast<std::uint8_t>(code)});
        extras += last[code].count - 1;
        m_otherLines[code] = last[code].count > 1;
        m_otherSpecial[code] = last[code].specials > (last[code].special ? 1u : 0u);
        unassigned[code] = last[code].emptyValue && last[code].count > 1;
    }
    if (unassigned.any()) {
        ForEachLine(body, [&](std::string_view text) {
            const TableLine kind = ClassifyLine(text);
            const auto offset = static_cast<std::uint32_t>(text.data() - bytes.data());
            if ((kind.kind == TableLine::Kind::Code || kind.kind == TableLine::Kind::Special) && unassigned[kind.code]
                && offset != last[kind.code].offset) {
                lines.push_back({offset, static_cast<std::uint32_t>(text.size()), Role::Hidden, kind.code, true});
                --extras;
            }
            return true;
        });
    }
    std::ranges::sort(lines, {}, &Line::Offset);
    m_extraCount = extras;
    Place(std::move(lines));
    return result;
}

void FileRecord::Place(std::vector<Line> lines)
{
    m_entryLine.fill(NoLine);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].Kind == Role::Entry)
            m_entryLine[lines[i].Code] = static_cast<std::int32_t>(i);
    }
    m_lines = std::move(lines);
}

RecordBytes AllocateBytes(std::size_t size)
{
    RecordBytes bytes(static_cast<char*>(std::malloc(std::max<std::size_t>(size, 1))));
    if (!bytes)
        throw std::bad_alloc();
    return bytes;
}

RecordBytes ResizeBytes(RecordBytes bytes, std::size_t size)
{
    // A big block is moved by remapping its pages, not by copying them.
    char* resized = static_cast<char*>(std::realloc(bytes.get(), std::max<std::size_t>(size, 1)));
    if (!resized)
        throw std::bad_alloc();
    (void)bytes.release();
    return RecordBytes(resized);
}

std::unique_ptr<FileRecord> FileRecord::Derive(const FileRecord& from, RecordBytes data, std::size_t size,
                                               std::vector<Line> lines)
{
    auto record = std::make_unique<FileRecord>(std::move(data), size);
    record->m_bodyStart = from.m_bodyStart;
    record->m_lineEnd = from.m_lineEnd;
    record->m_extraCount = from.m_extraCount;
    record->m_otherLines = from.m_otherLines;
    record->m_otherSpecial = from.m_otherSpecial;
    record->Place(std::move(lines));
    // A code is marked by any special line of its own.
    record->m_marked = from.m_otherSpecial;
    for (const Line& line : record->m_lines) {
        const std::string_view text = record->Text(line);
        if (line.Kind == Role::Entry && (text.front() == '/' || text.front() == '*'))
            record->m_marked.set(line.Code);
    }
    return record;
}

TableEntry FileRecord::EntryAsRead(std::uint8_t code) const
{
    TableEntry entry;
    entry.Marked = m_marked[code];
    if (m_entryLine[code] == NoLine)
        return entry;
    const std::string_view line = Text(m_lines[static_cast<std::size_t>(m_entryLine[code])]);
    if (line.front() == '/' || line.front() == '*') {
        entry.Value.assign(1, line.front());
        entry.Tail.assign(line.substr(3));
    } else {
        entry.Value.assign(line.substr(3));
    }
    return entry;
}

Bookmark FileRecord::BookmarkAsRead(const Line& line) const
{
    const TableLine kind = ClassifyLine(Text(line));
    return Bookmark{kind.address, std::string(kind.text)};
}

void FileRecord::Fill(TableDocument& document) const
{
    std::array<TableEntry, CodeCount> entries{};
    for (std::size_t code = 0; code < CodeCount; ++code)
        entries[code] = EntryAsRead(static_cast<std::uint8_t>(code));
    std::array<Bookmark, SlotCount> bookmarks{};
    std::ranges::move(BookmarksAsRead(), bookmarks.begin());
    std::vector<ExtraLine> extraLines = ExtraLinesAsRead();
    document.Entries = std::move(entries);
    document.Bookmarks = std::move(bookmarks);
    document.ExtraLines = std::move(extraLines);
}

std::vector<Bookmark> FileRecord::BookmarksAsRead() const
{
    std::vector<Bookmark> bookmarks;
    for (const Line& line : m_lines) {
        if (line.Kind == Role::Bookmark)
            bookmarks.push_back(BookmarkAsRead(line));
    }
    return bookmarks;
}

std::vector<ExtraLine> FileRecord::ExtraLinesAsRead() const
{
    std::vector<ExtraLine> extraLines;
    extraLines.reserve(m_extraCount);
    Prefault(extraLines.data(), m_extraCount * sizeof(ExtraLine));
    ForEachExtraLine([&](std::size_t, std::string_view line) {
        extraLines.emplace_back(line);
        return true;
    });
    return extraLines;
}

} // namespace zelvane
