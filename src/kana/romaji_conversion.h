// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kana/input_mode.h"

#include <string>

namespace zelvane {

// What a cell holding `value` holds after `typed` is typed in `mode`: the
// character is appended, and in the kana modes a value that is exactly one
// romaji syllable becomes that syllable's kana (pure sounds searched first,
// the first match wins, the lead byte of `mode`).
[[nodiscard]] std::string ConvertTypedKey(const std::string& value, char typed, InputMode mode);

} // namespace zelvane
