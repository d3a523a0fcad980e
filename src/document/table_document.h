// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/file_stamp.h"
#include "document/text_encoding.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

inline constexpr std::size_t SlotCount = 31;
inline constexpr std::size_t CodeCount = 256;
inline constexpr std::string_view UntitledName = "Senza Nome";
inline constexpr std::string_view TitleSuffix = " - Zelvane 0.9";

// Worked out from an entry whenever needed, never stored.
enum class SpecialKind { EndOfLine, EndOfWindow, None };

struct TableEntry {
    std::string Value;
    bool Marked = false;
    // What followed the code digits on the special line that marked the
    // entry ("=<END>" of "/FF=<END>"); written back after the digits while
    // the entry is special, since script inserters read it.
    std::string Tail{};

    [[nodiscard]] SpecialKind Kind() const noexcept
    {
        if (Marked && Value == "/")
            return SpecialKind::EndOfLine;
        if (Marked && Value == "*")
            return SpecialKind::EndOfWindow;
        return SpecialKind::None;
    }

    friend bool operator==(const TableEntry&, const TableEntry&) = default;
};

// A slot is in use exactly when its title is not empty.
struct Bookmark {
    std::int32_t Address = 0;
    std::string Title;

    friend bool operator==(const Bookmark&, const Bookmark&) = default;
};

class FileRecord;

// One whole file line kept as read, without its line end; an empty one is
// not written.
using ExtraLine = std::string;

// The one open table. Text is bytes, kept exactly as read; Encoding says
// how they are shown.
class TableDocument {
public:
    std::array<TableEntry, CodeCount> Entries{};
    std::array<Bookmark, SlotCount> Bookmarks{};
    // Every line the editor does not interpret, in file order, without limit.
    std::vector<ExtraLine> ExtraLines;
    std::string FileName{UntitledName};
    bool Modified = false;
    // The file as it was read or last written, to tell whether another
    // program changed it since; nothing for a table not from a file.
    std::optional<FileStamp> DiskStamp;
    // How the bytes are shown and what typing writes; guessed on reading.
    TextEncoding Encoding = TextEncoding::EightBit;
    // What the file said and where, as last read or written: saving merges
    // the table into it, so that only what changed changes. Nothing for a
    // table never read from a file, which is written in the plain layout.
    std::shared_ptr<const FileRecord> Record;

    // Empties every code of every length: the entries and their marks, and
    // the extra lines that are codes (of two and more bytes, or overridden
    // lines of one-byte codes); clears Modified. The bookmarks, the other
    // extra lines, the encoding and FileName stay as they are.
    void ClearTable();

    [[nodiscard]] bool IsUntitled() const noexcept { return FileName == UntitledName; }
    // The main window's caption: FileName followed by TitleSuffix.
    [[nodiscard]] std::string Caption() const;

    // Number of bookmark slots in use, counted from slot 0 (they are kept gapless).
    [[nodiscard]] std::size_t BookmarkCount() const noexcept;
};

// Marks the entry when its value is exactly "/" or "*"; returns false and
// changes nothing otherwise.
[[nodiscard]] bool MarkSpecial(TableDocument& document, std::uint8_t code);

// Clears the mark; returns false when the entry was not marked.
bool UnmarkSpecial(TableDocument& document, std::uint8_t code);

// Code digits, two upper-case hexadecimal characters ("0A", "FF").
[[nodiscard]] std::string CodeText(std::uint8_t code);

// Upper-case hexadecimal without leading zeros; a negative address gives
// the eight digits of its two's complement.
[[nodiscard]] std::string AddressText(std::int32_t address);

// Reads one to eight significant hexadecimal digits (leading zeros allowed,
// either case) as a 32-bit two's-complement number. Anything else fails.
[[nodiscard]] bool ParseAddress(std::string_view text, std::int32_t& address);

// Hexadecimal digits of either case, nothing else, as an unsigned number
// of at most 32 bits.
[[nodiscard]] bool ParseHex(std::string_view text, std::uint32_t& value);

} // namespace zelvane
