// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/text_encoding.h"

#include "document/char_map.h"
#include "document/table_document.h"

#include <algorithm>

namespace zelvane {

namespace {

constexpr char32_t FirstHiragana = 0x3041; // small a
constexpr char32_t LastHiragana = 0x3093;  // n
constexpr char32_t FirstKatakana = 0x30A1; // small a
constexpr char32_t LastKatakana = 0x30F6;  // small ke
constexpr char32_t FirstHalfWidth = 0xFF61;
constexpr char32_t LastHalfWidth = 0xFF9F;

bool Between(unsigned value, unsigned low, unsigned high) noexcept
{
    return value >= low && value <= high;
}

std::size_t Utf8Length(std::string_view text, std::size_t position) noexcept
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[position + i]); };
    const unsigned lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF; // what the second byte may be
    if (Between(lead, 0xC2, 0xDF))
        length = 2;
    else if (Between(lead, 0xE0, 0xEF)) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (Between(lead, 0xF0, 0xF4)) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing past U+10FFFF
    } else
        return 0;
    if (position + length > text.size() || !Between(at(1), low, high))
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!Between(at(i), 0x80, 0xBF))
            return 0;
    }
    return length;
}

std::size_t ShiftJisLength(std::string_view text, std::size_t position) noexcept
{
    const auto lead = static_cast<unsigned char>(text[position]);
    if (lead < 0x80 || Between(lead, 0xA1, 0xDF))
        return 1;
    if (!Between(lead, 0x81, 0x9F) && !Between(lead, 0xE0, 0xFC))
        return 0;
    if (position + 1 >= text.size())
        return 0;
    const auto trail = static_cast<unsigned char>(text[position + 1]);
    return Between(trail, 0x40, 0xFC) && trail != 0x7F ? 2 : 0;
}

std::size_t EucJpLength(std::string_view text, std::size_t position) noexcept
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[position + i]); };
    const unsigned lead = at(0);
    if (lead < 0x80)
        return 1;
    const std::size_t left = text.size() - position;
    if (lead == 0x8E) // half-width katakana
        return left >= 2 && Between(at(1), 0xA1, 0xDF) ? 2 : 0;
    if (lead == 0x8F) // the supplementary plane
        return left >= 3 && Between(at(1), 0xA1, 0xFE) && Between(at(2), 0xA1, 0xFE) ? 3 : 0;
    return Between(lead, 0xA1, 0xFE) && left >= 2 && Between(at(1), 0xA1, 0xFE) ? 2 : 0;
}

bool IsShiftJisKana(std::string_view text, std::size_t position) noexcept
{
    const auto lead = static_cast<unsigned char>(text[position]);
    const auto trail = static_cast<unsigned char>(text[position + 1]);
    return (lead == 0x82 && Between(trail, 0x9F, 0xF1)) || (lead == 0x83 && Between(trail, 0x40, 0x96));
}

std::string Bytes(std::initializer_list<unsigned> bytes)
{
    std::string text;
    for (unsigned byte : bytes)
        text += static_cast<char>(byte);
    return text;
}

std::string Utf8Bytes(char32_t c)
{
    if (c < 0x80)
        return Bytes({unsigned(c)});
    if (c < 0x800)
        return Bytes({0xC0 | unsigned(c >> 6), 0x80 | unsigned(c & 0x3F)});
    if (c < 0x10000)
        return Bytes({0xE0 | unsigned(c >> 12), 0x80 | unsigned((c >> 6) & 0x3F), 0x80 | unsigned(c & 0x3F)});
    return Bytes({0xF0 | unsigned(c >> 18), 0x80 | unsigned((c >> 12) & 0x3F), 0x80 | unsigned((c >> 6) & 0x3F),
                  0x80 | unsigned(c & 0x3F)});
}

// What the guess learns from one text.
struct Evidence {
    bool high = false;
    bool utf8 = true;
    bool shiftJis = true;
    bool shiftJisKana = false;

    // Nothing more to learn: neither UTF-8 nor Shift-JIS.
    [[nodiscard]] bool Settled() const noexcept { return !utf8 && !shiftJis; }

    void Look(std::string_view text)
    {
        // Most lines are ASCII: nothing to see there.
        const auto firstHigh = std::find_if(text.begin(), text.end(), [](char c) { return c & 0x80; });
        if (firstHigh == text.end())
            return;
        high = true;
        const auto start = std::size_t(firstHigh - text.begin());
        for (std::size_t p = start; utf8 && p < text.size();) {
            if (static_cast<unsigned char>(text[p]) < 0x80) {
                ++p;
                continue;
            }
            const std::size_t length = Utf8Length(text, p);
            utf8 = utf8 && length != 0;
            p += length ? length : 1;
        }
        for (std::size_t p = start; shiftJis && p < text.size();) {
            const std::size_t length = ShiftJisLength(text, p);
            shiftJis = length != 0;
            shiftJisKana = shiftJisKana || (length == 2 && IsShiftJisKana(text, p));
            p += length;
        }
    }
};

} // namespace

TextEncoding GuessEncoding(const TableDocument& document)
{
    Evidence evidence;
    for (const TableEntry& entry : document.Entries) {
        evidence.Look(entry.Value);
        evidence.Look(entry.Tail);
    }
    for (const Bookmark& bookmark : document.Bookmarks)
        evidence.Look(bookmark.Title);
    for (const ExtraLine& line : document.ExtraLines) {
        if (evidence.Settled())
            break;
        evidence.Look(line);
    }
    if (evidence.high && evidence.utf8)
        return TextEncoding::Utf8;
    if (evidence.shiftJis && evidence.shiftJisKana)
        return TextEncoding::ShiftJis;
    return TextEncoding::EightBit;
}

std::size_t CharacterLength(std::string_view text, std::size_t position, TextEncoding encoding) noexcept
{
    if (position >= text.size())
        return 0;
    switch (encoding) {
    case TextEncoding::Utf8: return Utf8Length(text, position);
    case TextEncoding::ShiftJis: return ShiftJisLength(text, position);
    case TextEncoding::EucJp: return EucJpLength(text, position);
    case TextEncoding::EightBit: break;
    }
    return 1;
}

std::optional<std::string> EncodeCharacter(char32_t c, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::EightBit:
        if (const auto byte = CodePointToByte(c))
            return std::string(1, static_cast<char>(*byte));
        return std::nullopt;
    case TextEncoding::Utf8:
        if (c > 0x10FFFF || Between(c, 0xD800, 0xDFFF))
            return std::nullopt;
        return Utf8Bytes(c);
    case TextEncoding::EucJp:
        if (c < 0x80)
            return Bytes({unsigned(c)});
        if (Between(c, FirstHiragana, LastHiragana))
            return Bytes({0xA4, 0xA1 + unsigned(c - FirstHiragana)});
        if (Between(c, FirstKatakana, LastKatakana))
            return Bytes({0xA5, 0xA1 + unsigned(c - FirstKatakana)});
        if (Between(c, FirstHalfWidth, LastHalfWidth))
            return Bytes({0x8E, 0xA1 + unsigned(c - FirstHalfWidth)});
        return std::nullopt;
    case TextEncoding::ShiftJis:
        if (c < 0x80)
            return Bytes({unsigned(c)});
        if (Between(c, FirstHiragana, LastHiragana))
            return Bytes({0x82, 0x9F + unsigned(c - FirstHiragana)});
        if (Between(c, FirstKatakana, LastKatakana)) {
            // The trail byte skips 7F.
            const unsigned trail = 0x40 + unsigned(c - FirstKatakana);
            return Bytes({0x83, trail >= 0x7F ? trail + 1 : trail});
        }
        if (Between(c, FirstHalfWidth, LastHalfWidth))
            return Bytes({0xA1 + unsigned(c - FirstHalfWidth)});
        return std::nullopt;
    }
    return std::nullopt;
}

void RemoveLastCharacter(std::string& text, TextEncoding encoding)
{
    if (text.empty())
        return;
    if (encoding == TextEncoding::EightBit) {
        text.pop_back();
        return;
    }
    // Trail bytes of Shift-JIS and EUC-JP look like lead bytes: only a walk
    // from the start tells where the last character begins.
    std::size_t last = 0;
    for (std::size_t p = 0; p < text.size();) {
        last = p;
        const std::size_t length = CharacterLength(text, p, encoding);
        p += length ? length : 1;
    }
    text.erase(last);
}

} // namespace zelvane
