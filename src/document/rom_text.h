// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

class TableDocument;

// A game's bytes read through the table: at each byte the longest code the
// table assigns wins (one-byte codes and the longer ones of every page); an
// end-of-line code gives the text after its digits (without a leading "=")
// and "\n", an end-of-window code its text and "\n\n"; a byte no code
// covers gives "<XX>", upper-case digits.
[[nodiscard]] std::string DecodeRom(const TableDocument& document, std::string_view bytes);

// The same, piece by piece: `piece(offset, length, text)` for each code
// read (offset and length in `bytes`), in order.
void DecodeRomPieces(const TableDocument& document, std::string_view bytes,
                     const std::function<void(std::size_t offset, std::size_t length, std::string_view text)>& piece);

// Where a word may lie: the byte at Offset stands for the word's first
// letter, whose code is FirstCode.
struct RelativeMatch {
    std::size_t Offset;
    std::uint8_t FirstCode;
};

// Every offset where word.size() consecutive bytes differ from each other
// as the word's letters do (one byte a letter, differences taken modulo
// 256); a word of fewer than two letters finds nothing.
[[nodiscard]] std::vector<RelativeMatch> RelativeSearch(std::string_view file, std::string_view word);

} // namespace zelvane
