// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/text_encoding.h"
#include "kana/input_mode.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

class TableDocument;

enum class LetterCase { AsListed, Upper };

// One-character values for the codes first to last, inclusive.
[[nodiscard]] std::vector<std::string> CharRangeSequence(std::uint8_t first, std::uint8_t last);

// The list's entries: as romaji (ASCII, upper-cased on request) or as
// kana of `script` in `encoding`.
[[nodiscard]] std::vector<std::string> ListSequence(std::span<const std::string_view> list, InputMode script,
                                                    LetterCase letterCase,
                                                    TextEncoding encoding = TextEncoding::EightBit);

// Writes `values` into consecutive entries from `start`, leaving marks as
// they are. Stops after code FF. Returns the code
// that is current afterwards: the one after the last written, or FF.
std::uint8_t FillEntries(TableDocument& document, std::uint8_t start, const std::vector<std::string>& values);

} // namespace zelvane
