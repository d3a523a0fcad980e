// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/text_encoding.h"
#include "kana/input_mode.h"

#include <string>
#include <string_view>

namespace zelvane {

// What a cell holding `value` holds after the bytes of one typed character
// are typed in `mode`: they are appended, and in the kana modes a value
// that is exactly one romaji syllable becomes that syllable's kana (pure
// sounds searched first, the first match wins) in `encoding`.
[[nodiscard]] std::string ConvertTypedKey(const std::string& value, std::string_view typed, InputMode mode,
                                          TextEncoding encoding = TextEncoding::EightBit);

} // namespace zelvane
