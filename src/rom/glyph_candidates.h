// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rom/glyphs.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

// A character a glyph may be: its code point, its UTF-8 bytes, and where
// it stands in JIS X 0208 (its row and cell as a JIS code, 0 for ASCII) and
// in Shift-JIS order (lead index * 188 + trail index, -1 for ASCII).
struct Candidate {
    char32_t character = 0;
    std::string utf8;
    std::uint16_t jis = 0;
    std::int32_t shiftJis = -1;
};

// The kana, Latin letters and digits, punctuation and symbols (ASCII and
// JIS X 0208 rows 1 to 5) and every JIS X 0208 kanji (rows 16 to 84).
[[nodiscard]] std::vector<Candidate> GlyphCandidates();
// Those of them that `utf8` holds, in the same order.
[[nodiscard]] std::vector<Candidate> GlyphCandidates(std::string_view utf8);

// The first character of UTF-8 text, and a character as UTF-8.
[[nodiscard]] char32_t FirstCharacter(std::string_view utf8);
[[nodiscard]] std::string Utf8(char32_t character);

// Where the confident guesses of a whole font (a top score of at least
// `confident`, `margin` ahead of the next) mostly fit one order near a
// glyph (Shift-JIS, ASCII, or one of the kana fills' runs), the order
// decides that glyph when it is doubtful: its character goes first. Where
// the glyphs on both sides agree, the order's character scores at least
// 0.95: the order confirms it.
void ApplyOrder(std::vector<std::vector<GlyphGuess>>& read, const std::vector<Candidate>& candidates, float confident,
                float margin);

// A font holds each character once: where glyphs that are not sure share
// their best character, all but the likeliest take their next guess when it
// is nearly as good and no other glyph has it.
void PreferUnused(std::vector<std::vector<GlyphGuess>>& read, float sure, float margin);

} // namespace zelvane
