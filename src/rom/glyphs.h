// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

// How a game stores its font's pixels. OneBpp: rows of Width bits, the
// leftmost pixel in the most significant bit, each row padded to whole
// bytes. The tile formats take Width and Height in multiples of 8, a glyph
// being its 8x8 tiles one after another, left to right then top to bottom:
// TwoBppNes 16 bytes a tile, bytes 0-7 plane 0 and 8-15 plane 1;
// TwoBppSnes (also the Game Boy's) row r in bytes 2r (plane 0) and 2r+1
// (plane 1); FourBppSnes 32 bytes, bytes 0-15 planes 0-1 and 16-31 planes
// 2-3 the same way; FourBppGba 4 bytes a row, two pixels a byte, the low
// nibble the left one; EightBpp a byte a pixel.
enum class PixelFormat { OneBpp, TwoBppNes, TwoBppSnes, FourBppSnes, FourBppGba, EightBpp };

struct FontLayout {
    std::uint64_t Address = 0;
    PixelFormat Format = PixelFormat::OneBpp;
    int Width = 8;
    int Height = 8;
};

// Row-major colour indexes, 0 the background.
struct GlyphImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;
};

// The bytes one glyph takes; 0 for a size the format cannot hold (a tile
// format's sides not multiples of 8, or no pixels at all).
[[nodiscard]] std::size_t GlyphBytes(const FontLayout& layout);

// Glyph `index`, at Address + index * GlyphBytes; Pixels empty when it would
// pass the file's end.
[[nodiscard]] GlyphImage ReadGlyph(std::string_view file, const FontLayout& layout, std::size_t index);

// Which code glyph N of a font is.
enum class CodeOrder { Consecutive, ShiftJis };

// The code bytes of glyph `index`: Consecutive adds `index` to `firstCode`
// read as a big-endian number of the same byte count (carrying, wrapping
// within that count); ShiftJis takes the `index`-th valid double-byte code
// from `firstCode` on (trail bytes 40-7E and 80-FC, lead bytes 81-9F and
// E0-FC). Empty when `firstCode` is empty, or past the last Shift-JIS code.
[[nodiscard]] std::string GlyphCode(std::string_view firstCode, CodeOrder order, std::size_t index);

// The other way: which glyph shows `code`, or nothing when none does (a
// code of another length, before the first, or no Shift-JIS code).
[[nodiscard]] std::optional<std::size_t> GlyphIndex(std::string_view firstCode, CodeOrder order, std::string_view code);

// Whether `order` can start at `firstCode`: any code counts on
// consecutively; a Shift-JIS order needs two bytes with a lead byte of
// Shift-JIS (a trail it has not counts from the next valid code).
[[nodiscard]] bool OrderHolds(std::string_view firstCode, CodeOrder order);

// The first code that makes glyph `index` the code `code`, or nothing when
// none does (a code the order cannot hold, or fewer codes before it than
// glyphs).
[[nodiscard]] std::optional<std::string> FirstCodeFor(std::string_view code, CodeOrder order, std::size_t index);

// One likely character for a glyph: one character in UTF-8; higher scores
// are likelier (1 a perfect match).
struct GlyphGuess {
    std::string Text;
    float Score = 0;
};

// Reads glyphs into characters: every candidate (kana, Latin letters and
// digits, common punctuation, all JIS X 0208 kanji) is drawn with reference
// fonts at the glyph's own size and compared with it by a measure that
// forgives a pixel of shift and bold strokes. ReadAll also uses a font's
// order: where most confident guesses fit Shift-JIS, ASCII or the kana
// fills' order, the order decides the doubtful glyphs.
class GlyphReader {
public:
    GlyphReader();
    ~GlyphReader();
    GlyphReader(GlyphReader&&) noexcept;
    GlyphReader& operator=(GlyphReader&&) noexcept;

    // The likeliest `count` characters, best first; empty for an empty
    // glyph or when no reference font could be found.
    [[nodiscard]] std::vector<GlyphGuess> Read(const GlyphImage& glyph, std::size_t count = 5) const;
    [[nodiscard]] std::vector<std::vector<GlyphGuess>> ReadAll(std::span<const GlyphImage> glyphs, std::size_t count = 5) const;

    // The same, telling `progress(done, total)` after each glyph; stops early
    // (the rest left empty) when it returns false.
    using Progress = bool (*)(void* context, std::size_t done, std::size_t total);
    [[nodiscard]] std::vector<std::vector<GlyphGuess>> ReadAll(std::span<const GlyphImage> glyphs, std::size_t count,
                                                               Progress progress, void* context) const;

    // The reference fonts found, as file paths; and how many candidates.
    [[nodiscard]] std::vector<std::string> References() const;
    [[nodiscard]] std::size_t CandidateCount() const;

    // Limits the candidates to the characters of `utf8` (tests, and the
    // measure of how reading scales); an empty text restores them all.
    void RestrictCandidates(std::string_view utf8);
    // Uses these font files as the references instead of the default ones.
    void UseReferences(std::vector<std::string> paths);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace zelvane
