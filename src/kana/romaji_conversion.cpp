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

// Small kana and vu, which scripts need beside the lists' syllables: second
// bytes of the EUC-JP rows, as in the lists.
constexpr std::array<std::string_view, 21> SmallRomaji = {
    "xa", "la", "xi", "li", "xu", "lu", "xe", "le", "xo", "lo", "xtsu",
    "ltsu", "xya", "lya", "xyu", "lyu", "xyo", "lyo", "xwa", "lwa", "vu",
};
constexpr std::array<std::string_view, 21> SmallKana = {
    "\xA1", "\xA1", "\xA3", "\xA3", "\xA5", "\xA5", "\xA7", "\xA7", "\xA9", "\xA9", "\xC3",
    "\xC3", "\xE3", "\xE3", "\xE5", "\xE5", "\xE7", "\xE7", "\xEE", "\xEE", "\xF4",
};
// Hiragana vu exists only beyond JIS X 0208: in Unicode alone.
constexpr std::string_view VuSecondByte = "\xF4";

// The prolonged sound mark, "-" in the kana modes: the same in both scripts.
std::string ProlongedSoundMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::ShiftJis: return "\x81\x5B";
    case TextEncoding::Utf8: return "\xE3\x83\xBC";
    case TextEncoding::EightBit:
    case TextEncoding::EucJp: break;
    }
    return "\xA1\xBC";
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
    if (!secondByte)
        secondByte = FindRomaji(SmallRomaji, SmallKana, result);
    if (secondByte) {
        if (mode == InputMode::Hiragana && *secondByte == VuSecondByte && encoding != TextEncoding::Utf8)
            return result; // no such character: the letters stay
        if (std::string kana = KanaBytes(mode, *secondByte, encoding); !kana.empty())
            result = std::move(kana);
    } else if (result == "-") {
        result = ProlongedSoundMark(encoding);
    }
    return result;
}

} // namespace zelvane
