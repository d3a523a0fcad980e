// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvane {

// What one line of a table file is, as the reader takes it.
struct TableLine {
    enum class Kind { Empty, Code, Special, Bookmark, Extra, Refused };

    Kind kind = Kind::Empty;
    std::uint8_t code = 0;     // Code and Special
    std::string_view text;     // Code: the value; Special: what follows the digits; Bookmark: the title
    std::int32_t address = 0;  // Bookmark
    std::string problem;       // Refused: why, in Italian, bytes quoted as \xHH
};

// Classifies one line (without its line end). A comment ("#", ";" or "//"
// first) is an extra line whatever follows; a line of two hexadecimal
// digits and "=" is a code; "/" or "*" and two digits a special code (a
// mark of a longer code, "/F100=<END>", is an extra line of its page); "("
// up to the first "h)" a bookmark, and "(" without "h)" an extra line. A line that
// claims one of these forms without keeping to it is refused.
[[nodiscard]] TableLine ClassifyLine(std::string_view line);

// Why a file with `line` among its extra lines could not be read back the
// same, or an empty string when it could: a line break, a refused line, or
// a bookmark-shaped line beyond the slots. `bookmarks` counts the bookmarks
// the reader will have met before the line, and grows by one for a
// bookmark-shaped line.
[[nodiscard]] std::string ExtraLineProblem(std::string_view line, std::size_t& bookmarks);

// True when the reader would take `line` as a bookmark that fills a slot.
[[nodiscard]] bool IsBookmarkLine(std::string_view line);

// True when `text` holds a CR or an LF.
[[nodiscard]] bool HasLineBreak(std::string_view text) noexcept;

// True when the bytes begin with a UTF-16 byte-order mark (FF FE or FE FF).
[[nodiscard]] bool StartsAsUtf16(std::string_view bytes) noexcept;

// True when a file beginning with these bytes would not begin with them as
// its first line: a UTF-16 file is refused, a UTF-8 byte-order mark is no
// part of the line. An empty line first keeps them a line.
[[nodiscard]] bool NeedsEmptyFirstLine(std::string_view bytes) noexcept;

// The file's bytes as they may stand in a message: printable ASCII as it
// is, any other byte as \xHH, within double quotes.
[[nodiscard]] std::string Quoted(std::string_view text);

} // namespace zelvane
