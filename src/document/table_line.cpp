// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_line.h"

#include "document/code_pages.h"
#include "document/table_document.h"

#include <cstring>

namespace zelvane {

namespace {

bool HexPair(char high, char low, std::uint8_t& code)
{
    const char digits[] = {high, low};
    std::uint32_t value = 0;
    if (!ParseHex({digits, 2}, value))
        return false;
    code = static_cast<std::uint8_t>(value);
    return true;
}

// Position of the first "h)" or "H)" after the opening "(", or npos.
std::size_t FindAddressEnd(std::string_view line)
{
    for (std::size_t p = line.find(')', 2); p != std::string_view::npos; p = line.find(')', p + 1)) {
        if (line[p - 1] == 'h' || line[p - 1] == 'H')
            return p - 1;
    }
    return std::string_view::npos;
}

TableLine Refused(std::string why)
{
    TableLine result;
    result.kind = TableLine::Kind::Refused;
    result.problem = std::move(why);
    return result;
}

} // namespace

TableLine ClassifyLine(std::string_view line)
{
    TableLine result;
    if (line.empty())
        return result;
    // Comments of the tools that read tables, whatever follows ("# ====").
    if (line.front() == '#' || line.front() == ';' || line.starts_with("//")) {
        result.kind = TableLine::Kind::Extra;
        return result;
    }
    if (line.size() >= 3 && line[2] == '=') {
        if (!HexPair(line[0], line[1], result.code))
            return Refused("il codice " + Quoted(line.substr(0, 2)) + " non è formato da due cifre esadecimali");
        result.kind = TableLine::Kind::Code;
        result.text = line.substr(3);
        return result;
    }
    switch (line.front()) {
    case '(': {
        const std::size_t p = FindAddressEnd(line);
        if (p == std::string_view::npos) {
            result.kind = TableLine::Kind::Extra;
            return result;
        }
        if (!ParseAddress(line.substr(1, p - 1), result.address))
            return Refused("l'indirizzo del bookmark " + Quoted(line.substr(1, p - 1))
                           + " non è un numero esadecimale di al massimo 32 bit");
        result.kind = TableLine::Kind::Bookmark;
        result.text = line.substr(p + 2);
        return result;
    }
    case '/':
    case '*':
        // A mark of a longer code ("/F100=<END>") is a line of its page.
        if (ParseMultiByteCode(line)) {
            result.kind = TableLine::Kind::Extra;
            return result;
        }
        if (line.size() < 3 || !HexPair(line[1], line[2], result.code))
            return Refused("dopo " + Quoted(line.substr(0, 1)) + " mancano le due cifre esadecimali del codice");
        result.kind = TableLine::Kind::Special;
        result.text = line.substr(3);
        return result;
    default:
        result.kind = TableLine::Kind::Extra;
        return result;
    }
}

std::string ExtraLineProblem(std::string_view line, std::size_t& bookmarks)
{
    if (HasLineBreak(line))
        return "contiene un ritorno a capo";
    TableLine kind = ClassifyLine(line);
    if (kind.kind == TableLine::Kind::Refused)
        return std::move(kind.problem);
    if (kind.kind == TableLine::Kind::Bookmark && !kind.text.empty() && ++bookmarks > SlotCount)
        return "sarebbe riletta come bookmark, ma i bookmark sono già " + std::to_string(SlotCount);
    return {};
}

bool IsBookmarkLine(std::string_view line)
{
    const TableLine kind = ClassifyLine(line);
    return kind.kind == TableLine::Kind::Bookmark && !kind.text.empty();
}

bool HasLineBreak(std::string_view text) noexcept
{
    // memchr runs many bytes a step, where find_first_of takes one.
    return std::memchr(text.data(), '\r', text.size()) || std::memchr(text.data(), '\n', text.size());
}

bool StartsAsUtf16(std::string_view bytes) noexcept
{
    return bytes.size() >= 2
           && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

bool NeedsEmptyFirstLine(std::string_view bytes) noexcept
{
    return StartsAsUtf16(bytes) || bytes.starts_with("\xEF\xBB\xBF");
}

std::string Quoted(std::string_view text)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string quoted = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            quoted += c;
        } else {
            quoted += "\\x";
            quoted += Hex[byte >> 4];
            quoted += Hex[byte & 0x0F];
        }
    }
    return quoted + "\"";
}

} // namespace zelvane
