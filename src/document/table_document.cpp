#include "document/table_document.h"

namespace zelvane {

namespace {
constexpr char HexDigits[] = "0123456789ABCDEF";
}

void TableDocument::ClearTable()
{
    Entries.fill(TableEntry{});
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
    document.Modified = true;
    return true;
}

bool UnmarkSpecial(TableDocument& document, std::uint8_t code)
{
    TableEntry& entry = document.Entries[code];
    if (!entry.Marked)
        return false;
    entry.Marked = false;
    document.Modified = true;
    return true;
}

std::string CodeText(std::uint8_t code)
{
    return {HexDigits[code >> 4], HexDigits[code & 0x0F]};
}

std::string AddressText(std::int32_t address)
{
    auto bits = static_cast<std::uint32_t>(address);
    char buffer[8];
    std::size_t start = sizeof buffer;
    do {
        buffer[--start] = HexDigits[bits & 0x0F];
        bits >>= 4;
    } while (bits != 0);
    return {buffer + start, sizeof buffer - start};
}

bool ParseAddress(std::string_view text, std::int32_t& address)
{
    if (text.empty())
        return false;
    std::uint32_t value = 0;
    int significant = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return false;
        if (significant > 0 || digit != 0)
            ++significant;
        if (significant > 8)
            return false;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    address = static_cast<std::int32_t>(value);
    return true;
}

} // namespace zelvane
