// SPDX-License-Identifier: GPL-3.0-or-later
#include "kana/kana_tables.h"

namespace zelvane {

std::string KanaBytes(InputMode script, std::string_view secondByte, TextEncoding encoding)
{
    const bool hiragana = script == InputMode::Hiragana;
    if (encoding == TextEncoding::EightBit || encoding == TextEncoding::EucJp) {
        // The lead byte of the script, then the list's second byte.
        std::string pair(1, static_cast<char>(hiragana ? HiraganaLead : KatakanaLead));
        return pair.append(secondByte);
    }
    // The EUC-JP rows of hiragana and katakana follow Unicode's order.
    const auto index = static_cast<char32_t>(static_cast<unsigned char>(secondByte.front()) - 0xA1);
    return EncodeCharacter((hiragana ? U'\u3041' : U'\u30A1') + index, encoding).value_or(std::string());
}

std::string UpperRomaji(std::string_view romaji)
{
    std::string text(romaji);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

} // namespace zelvane
