// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

class TableDocument;
struct LineSplice;

// Codes of two and more bytes ("8140=", "F1F500=") are extra lines of the
// document, in file order; a page is a view over them: the 256 codes that
// share their leading bytes, 8140 being cell 40 of page 81. The one-byte
// codes (the entries) are the page with no leading bytes.

// The code of a line of an even number, four or more, of hexadecimal
// digits (either case) before "=", as its bytes, with its value; or of a
// mark of such a code, "/" or "*" and the digits, up to "=" or the line's
// end ("/F100=<END>"), whose value is the mark; nothing for any other line.
struct MultiByteCode {
    std::string Code;
    std::string_view Value;
    char Mark = 0;              // '/' or '*' for a mark line
    std::string_view Tail = {}; // a mark line's text after the digits ("=<END>")
};
[[nodiscard]] std::optional<MultiByteCode> ParseMultiByteCode(std::string_view line);

// The leading bytes of every page the table has: the one-byte codes' page
// (empty) first, then in byte order.
[[nodiscard]] std::vector<std::string> CodePages(const TableDocument& document);

// What a page holds, for a list of pages: how many of its codes have a
// value, and the values of its first few codes in code order.
struct PageSummary {
    std::string Lead;
    std::size_t Codes = 0;
    std::vector<std::string> FirstValues;
};
[[nodiscard]] std::vector<PageSummary> SummarizePages(const TableDocument& document, std::size_t samples = 6);

// The value a code of any length (its bytes) has, as reading the saved
// file would give it; nothing when no line assigns it.
[[nodiscard]] std::optional<std::string> CodeValue(const TableDocument& document, std::string_view code);

// CodeValue for many codes at once (any lengths), in one pass over the
// lines: the values in the order of `codes`.
[[nodiscard]] std::vector<std::optional<std::string>> CodeValues(const TableDocument& document,
                                                                 std::span<const std::string> codes);

// Gives the cells of page `lead` (not empty) from `start` on the values in
// order, stopping after cell FF; returns how many it gave. A code's last
// line changes its value in place, keeping its digits as written; a new
// code's line goes after the last line of the nearest lower code of the
// same length (else before the nearest higher's, else at the end), as the
// saved file places it; an empty value removes every line for its code.
// `splice`, when given, says which run of lines changed, to undo it.
std::size_t SetPageValues(TableDocument& document, std::string_view lead, std::uint8_t start,
                          std::span<const std::string> values, LineSplice* splice = nullptr);

// Puts a mark on the cell of page `lead` (not empty), or takes it off: its
// last line "F100=/" becomes "/F100" and back ("F100=" and the mark), the
// digits as written. False, changing nothing, when the cell's value is no
// "/" or "*" (to mark) or it bears no mark (to unmark).
bool SetPageMark(TableDocument& document, std::string_view lead, std::uint8_t cell, bool marked,
                 LineSplice* splice = nullptr);

// Upper-case hexadecimal digits of bytes: "\x81\x40" gives "8140".
[[nodiscard]] std::string HexText(std::string_view bytes);
// The bytes of an even number of hexadecimal digits, either case; nothing
// for an odd number or anything but digits.
[[nodiscard]] std::optional<std::string> ParseHexBytes(std::string_view digits);

// Where the lines of one page stand among the extra lines: for each cell,
// the last line for its code. Made by one pass over the extra lines, made
// again after any change that moves them.
class PageLines {
public:
    static constexpr std::size_t None = static_cast<std::size_t>(-1);

    PageLines() { m_last.fill(None); }
    PageLines(const TableDocument& document, std::string lead);

    [[nodiscard]] const std::string& Lead() const noexcept { return m_lead; }
    // The index in ExtraLines of the last line for the cell's code, or None.
    [[nodiscard]] std::size_t LastLine(std::uint8_t cell) const noexcept { return m_last[cell]; }

private:
    std::string m_lead;
    std::array<std::size_t, 256> m_last{};
};

} // namespace zelvane
