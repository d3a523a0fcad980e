// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/text_encoding.h"
#include "kana/input_mode.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelvane {

// EUC-JP lead bytes of JIS X 0208 rows 4 (hiragana) and 5 (katakana).
inline constexpr std::uint8_t HiraganaLead = 0xA4;
inline constexpr std::uint8_t KatakanaLead = 0xA5;

// The 46 pure sounds, in the order the fills write them and the romaji
// conversion searches them.
inline constexpr std::array<std::string_view, 46> PureRomaji = {
    "a",  "i",   "u",   "e",  "o",  "ka", "ki", "ku", "ke", "ko", "sa", "shi", "su", "se", "so", "ta",
    "chi", "tsu", "te", "to", "na", "ni", "nu", "ne", "no", "ha", "hi", "fu",  "he", "ho", "ma", "mi",
    "mu", "me",  "mo",  "ya", "yu", "yo", "ra", "ri", "ru", "re", "ro", "wa",  "wo", "n",
};

// Second bytes of the EUC-JP pairs, parallel to PureRomaji.
inline constexpr std::array<std::string_view, 46> PureKana = {
    "\xA2", "\xA4", "\xA6", "\xA8", "\xAA", "\xAB", "\xAD", "\xAF", "\xB1", "\xB3", "\xB5", "\xB7",
    "\xB9", "\xBB", "\xBD", "\xBF", "\xC1", "\xC4", "\xC6", "\xC8", "\xCA", "\xCB", "\xCC", "\xCD",
    "\xCE", "\xCF", "\xD2", "\xD5", "\xD8", "\xDB", "\xDE", "\xDF", "\xE0", "\xE1", "\xE2", "\xE4",
    "\xE6", "\xE8", "\xE9", "\xEA", "\xEB", "\xEC", "\xED", "\xEF", "\xF2", "\xF3",
};

// The 25 voiced and semi-voiced sounds. "ji" and "zu" stand twice: the z
// row's and the d row's.
inline constexpr std::array<std::string_view, 25> VoicedRomaji = {
    "ga", "gi", "gu", "ge", "go", "za", "ji", "zu", "ze", "zo", "da", "ji", "zu",
    "de", "do", "ba", "bi", "bu", "be", "bo", "pa", "pi", "pu", "pe", "po",
};

inline constexpr std::array<std::string_view, 25> VoicedKana = {
    "\xAC", "\xAE", "\xB0", "\xB2", "\xB4", "\xB6", "\xB8", "\xBA", "\xBC", "\xBE", "\xC0", "\xC2", "\xC5",
    "\xC7", "\xC9", "\xD0", "\xD3", "\xD6", "\xD9", "\xDC", "\xD1", "\xD4", "\xD7", "\xDA", "\xDD",
};

// A list's kana as hiragana or katakana (`script`) in `encoding`: the
// EUC-JP pair in EightBit and EucJp, its Shift-JIS pair or UTF-8 bytes
// otherwise.
[[nodiscard]] std::string KanaBytes(InputMode script, std::string_view secondByte, TextEncoding encoding);

// Every letter upper-cased: "shi" gives "SHI".
[[nodiscard]] std::string UpperRomaji(std::string_view romaji);

} // namespace zelvane
