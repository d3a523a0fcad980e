// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/file_result.h"
#include "document/table_document.h"

#include <array>
#include <bitset>
#include <cstdlib>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

// A file's bytes, from malloc: a save that changed a few lines patches them
// in place, growing or shrinking the block without a second copy.
struct FreeBytes {
    void operator()(char* bytes) const noexcept { std::free(bytes); }
};
using RecordBytes = std::unique_ptr<char, FreeBytes>;
// `size` bytes, not zeroed; throws std::bad_alloc when there is no room.
[[nodiscard]] RecordBytes AllocateBytes(std::size_t size);
// The same block made `size` bytes long, its start kept.
[[nodiscard]] RecordBytes ResizeBytes(RecordBytes bytes, std::size_t size);

// What a table file said and where: its bytes as read, and which of its
// lines are not extra lines. The writer merges a document into it, so
// that a table goes back to its file changed only where the table
// changed. Compact by design: one copy of the file's bytes and a few
// words for each line that is not an extra line; every other non-empty
// line is an extra line, in order.
class FileRecord {
public:
    // What a line that is not an extra line stands for.
    enum class Role : std::uint8_t {
        Entry,    // the last line of a code: it gives the code its value
        Bookmark, // a bookmark that fills a slot, slots in file order
        Hidden,   // read but without effect: a bookmark without a title, or an
                  // earlier line of a code that its last line leaves unassigned
    };
    struct Line {
        std::uint32_t Offset = 0; // of its first byte in Bytes()
        std::uint32_t Length = 0; // without its line end
        Role Kind = Role::Entry;
        std::uint8_t Code = 0; // Entry, and Hidden lines of a code
        bool IsCode = false;   // a Hidden line of a code
    };
    static constexpr std::int32_t NoLine = -1;

    FileRecord(RecordBytes data, std::size_t size) : m_data(std::move(data)), m_size(size) {}

    // Reads the bytes held as the reader does; on a failure, names the line.
    // Until it succeeded the record holds nothing but the bytes.
    [[nodiscard]] FileResult Scan();

    // The record of a file made from `from`'s by changing only lines that
    // are no extra lines, without reading it again: `lines` says where
    // those stand now.
    [[nodiscard]] static std::unique_ptr<FileRecord> Derive(const FileRecord& from, RecordBytes data,
                                                            std::size_t size, std::vector<Line> lines);
    // Gives the bytes away, to become the next record's: the record keeps
    // only what it knows of the lines.
    [[nodiscard]] RecordBytes TakeBytes() noexcept
    {
        m_size = 0;
        return std::move(m_data);
    }

    [[nodiscard]] std::string_view Bytes() const noexcept { return {m_data.get(), m_size}; }
    // Where the first line starts: after a UTF-8 byte-order mark, if any.
    [[nodiscard]] std::size_t BodyStart() const noexcept { return m_bodyStart; }
    // The line end that new lines take: the file's first, else CR LF.
    [[nodiscard]] std::string_view LineEnd() const noexcept { return m_lineEnd; }
    // The lines that are not extra lines, in file order.
    [[nodiscard]] const std::vector<Line>& Lines() const noexcept { return m_lines; }
    [[nodiscard]] std::string_view Text(const Line& line) const noexcept { return Bytes().substr(line.Offset, line.Length); }
    // The index in Lines() of the line that gives `code` its value, or NoLine.
    [[nodiscard]] std::int32_t EntryLine(std::uint8_t code) const noexcept { return m_entryLine[code]; }
    [[nodiscard]] std::size_t ExtraLineCount() const noexcept { return m_extraCount; }
    // Whether the code has lines besides its last one.
    [[nodiscard]] bool HasOtherLines(std::uint8_t code) const noexcept { return m_otherLines[code]; }

    // The entry as reading the file gives it.
    [[nodiscard]] TableEntry EntryAsRead(std::uint8_t code) const;
    [[nodiscard]] Bookmark BookmarkAsRead(const Line& line) const;

    // Calls `visit(offset, text)` for every extra line, in file order, from
    // the line that starts at `from` on (the first when 0), until it
    // returns false.
    template<typename Visit>
    void ForEachExtraLine(Visit&& visit, std::size_t from = 0) const;

    // The bookmarks that fill slots, and the extra lines, as the file gives them.
    [[nodiscard]] std::vector<Bookmark> BookmarksAsRead() const;
    [[nodiscard]] std::vector<ExtraLine> ExtraLinesAsRead() const;

    // Entries, marks, bookmarks and extra lines as the file gives them.
    void Fill(TableDocument& document) const;

private:
    // Takes `lines` as Lines() and finds each code's among them.
    void Place(std::vector<Line> lines);

    RecordBytes m_data;
    std::size_t m_size = 0;
    std::size_t m_bodyStart = 0;
    std::string m_lineEnd = "\r\n";
    std::vector<Line> m_lines;
    std::array<std::int32_t, CodeCount> m_entryLine{};
    std::bitset<CodeCount> m_marked;
    std::bitset<CodeCount> m_otherLines;
    std::bitset<CodeCount> m_otherSpecial; // a special line besides the last
    std::size_t m_extraCount = 0;
};

} // namespace zelvane

#include "document/line_scan.h"

#include <algorithm>

template<typename Visit>
void zelvane::FileRecord::ForEachExtraLine(Visit&& visit, std::size_t from) const
{
    const std::string_view bytes = Bytes();
    from = std::max(from, m_bodyStart);
    // The next line that is not an extra line.
    auto next = static_cast<std::size_t>(
        std::ranges::lower_bound(m_lines, from, {}, [](const Line& line) { return std::size_t{line.Offset}; })
        - m_lines.begin());
    ForEachLine(bytes.substr(from), [&](std::string_view line) {
        if (line.empty())
            return true;
        const auto offset = static_cast<std::size_t>(line.data() - bytes.data());
        if (next < m_lines.size() && m_lines[next].Offset == offset) {
            ++next;
            return true;
        }
        return visit(offset, line);
    });
}
