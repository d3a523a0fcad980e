// SPDX-License-Identifier: GPL-3.0-or-later
#include "kana/kana_tables.h"

namespace zelvane {

std::string KanaText(std::uint8_t lead, std::string_view secondByte)
{
    std::string text(1, static_cast<char>(lead));
    text.append(secondByte);
    return text;
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
