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
    // Half as wide as a kanji: ASCII, the Latin letters with accents, the
    // half-width katakana; only these are read in a narrow cell.
    bool narrow = false;
    // JIS X 0208's kanji level (1 the common ones, 2 the rare), 0 for the rest.
    std::uint8_t level = 0;
    // The full-size kana of a small one (あ for ぁ), 0 for any other.
    char32_t fullSize = 0;
};

// The kana, Latin letters and digits, punctuation and symbols (ASCII, the
// accented Latin letters of Latin-1, the half-width katakana of JIS X 0201
// and JIS X 0208 rows 1 to 5) and every JIS X 0208 kanji (rows 16 to 84).
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
// 0.95: the order confirms it. Where one side only agrees (a gap, or the
// font's start or end), the order chooses among the glyph's own guesses
// and confirms nothing; a guess it chooses keeps its own score.
void ApplyOrder(std::vector<std::vector<GlyphGuess>>& read, const std::vector<Candidate>& candidates, float confident,
                float margin);

// Puts guess `index` first, keeping the list best first: the guesses it
// passes score no more than it does.
void Promote(std::vector<GlyphGuess>& guesses, std::size_t index);

// A small kana is read only where the glyph is small against the font's
// other kana: where a glyph read as ぁ, っ or ャ is, by the larger side of
// its ink (`sizes`), at least `ratio` of the median full-size kana, its
// full-size kana goes first; where one read as あ or つ is smaller than
// that, its small kana does, when the glyph has it among its guesses.
void PreferFullSizeKana(std::vector<std::vector<GlyphGuess>>& read, const std::vector<int>& sizes,
                        const std::vector<Candidate>& candidates, float ratio);

// A font holds each character once: where glyphs that are not sure share
// their best character, all but the likeliest take their next guess when it
// is nearly as good and no other glyph has it.
void PreferUnused(std::vector<std::vector<GlyphGuess>>& read, float sure, float margin);

} // namespace zelvane
