// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zelvane {

class TableDocument;

// How a table's bytes are shown, and what typing and the kana fills write.
// The bytes themselves are never converted.
enum class TextEncoding {
    EightBit, // one byte, one character of the 8-bit map; kana as EUC-JP pairs
    EucJp,
    ShiftJis,
    Utf8,
};

// Utf8 when every byte above 7F belongs to a valid UTF-8 sequence and there
// is at least one; ShiftJis when the bytes are valid Shift-JIS, not UTF-8,
// and hold Shift-JIS kana; EightBit otherwise. Looks at the values, the
// bookmark titles and the extra lines.
[[nodiscard]] TextEncoding GuessEncoding(const TableDocument& document);

// Bytes in the character that begins at `position` of `text`, or 0 when
// no valid character of `encoding` begins there.
[[nodiscard]] std::size_t CharacterLength(std::string_view text, std::size_t position, TextEncoding encoding) noexcept;

// The bytes that stand for `character`, or nothing when the encoding has no
// such character that the editor writes: in EUC-JP and Shift-JIS, ASCII,
// hiragana, katakana and half-width katakana.
[[nodiscard]] std::optional<std::string> EncodeCharacter(char32_t character, TextEncoding encoding);

// Drops the last whole character: a multi-byte one goes at once; a byte
// that begins no valid character is one character.
void RemoveLastCharacter(std::string& text, TextEncoding encoding);

} // namespace zelvane
