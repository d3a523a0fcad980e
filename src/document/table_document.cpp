// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_document.h"

#include "document/code_pages.h"
#include "document/table_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace zelvane {

namespace {
// Upper-case hexadecimal digits of `value`, at least `width` of them.
std::string UpperHex(std::uint32_t value, std::size_t width)
{
    char buffer[8];
    const auto end = std::to_chars(std::begin(buffer), std::end(buffer), value, 16).ptr;
    std::string text(width > std::size_t(end - buffer) ? width - std::size_t(end - buffer) : 0, '0');
    text.append(buffer, end);
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}
} // namespace

void TableDocument::ClearTable()
{
    Entries.fill(TableEntry{});
    // Codes of two and more bytes are cells too, and an overridden line of
    // a one-byte code would give it its old value again on the next read.
    std::erase_if(ExtraLines, [](const ExtraLine& line) {
        const TableLine::Kind kind = ClassifyLine(line).kind;
        return kind == TableLine::Kind::Code || kind == TableLine::Kind::Special || ParseMultiByteCode(line);
    });
    Modified = false;
}

std::string TableDocument::Caption() const
{
    std::string caption = FileName;
    caption.append(TitleSuffix);
    return caption;
}

std::size_t TableDocument::BookmarkCount() const noexcept
{
    std::size_t count = 0;
    while (count < SlotCount && !Bookmarks[count].Title.empty())
        ++count;
    return count;
}

bool MarkSpecial(TableDocument& document, std::uint8_t code)
{
    TableEntry& entry = document.Entries[code];
    if (entry.Value != "/" && entry.Value != "*")
        return false;
    entry.Marked = true;
    return true;
}

bool UnmarkSpecial(TableDocument& document, std::uint8_t code)
{
    TableEntry& entry = document.Entries[code];
    if (!entry.Marked)
        return false;
    entry.Marked = false;
    return true;
}

std::string CodeText(std::uint8_t code)
{
    return UpperHex(code, 2);
}

std::string AddressText(std::int32_t address)
{
    return UpperHex(static_cast<std::uint32_t>(address), 1);
}

bool ParseHex(std::string_view text, std::uint32_t& value)
{
    // from_chars takes no sign and no blanks for an unsigned number, and
    // reports more than 32 bits as out of range.
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 16);
    return !text.empty() && error == std::errc{} && stop == end;
}

bool ParseAddress(std::string_view text, std::int32_t& address)
{
    std::uint32_t value = 0;
    if (!ParseHex(text, value))
        return false;
    address = static_cast<std::int32_t>(value);
    return true;
}

} // namespace zelvane
