// SPDX-License-Identifier: GPL-3.0-or-later
#include "kana/romaji_conversion.h"

#include "kana/kana_tables.h"

namespace zelvane {

namespace {

template<std::size_t N>
const std::string_view* FindRomaji(const std::array<std::string_view, N>& romaji,
                                   const std::array<std::string_view, N>& kana, std::string_view value)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (romaji[i] == value)
            return &kana[i];
    }
    return nullptr;
}

} // namespace

std::string ConvertTypedKey(const std::string& value, std::string_view typed, InputMode mode, TextEncoding encoding)
{
    std::string result = value;
    result.append(typed);
    if (mode != InputMode::Hiragana && mode != InputMode::Katakana)
        return result;
    const std::string_view* secondByte = FindRomaji(PureRomaji, PureKana, result);
    if (!secondByte)
        secondByte = FindRomaji(VoicedRomaji, VoicedKana, result);
    if (secondByte)
        result = KanaBytes(mode, *secondByte, encoding);
    return result;
}

} // namespace zelvane
