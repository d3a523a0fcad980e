// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rom/glyphs.h"

#include <random>
#include <string>
#include <vector>

namespace zelvane::test {

// A game's font made for a test: the characters of `characters` (UTF-8)
// that the font file at `path` has, drawn one to a `width` x `height` cell
// in one colour (ink where the font's pixel is at least half covered), in
// the order given. `drawn` receives the characters drawn, from the font's
// own character map.
[[nodiscard]] std::vector<GlyphImage> MakeGameFont(const std::string& path, int width, int height,
                                                   const std::string& characters, std::vector<std::string>& drawn);

// How a game stores a font: glyphs drawn at `size` pixels into cells of
// `width` x `height`, centred or at the cell's top left, in one colour, in
// four greys (anti-aliased, 3 the full ink), with an outline of colour 1
// around ink of colour 3, or with a shadow of colour 1 a pixel down and right.
struct FontStyle {
    int width = 16, height = 16, size = 16;
    bool topLeft = false;
    enum class Ink { Plain, Greys, Outline, Shadow } ink = Ink::Plain;
};
[[nodiscard]] std::vector<GlyphImage> MakeStyledFont(const std::string& path, const FontStyle& style,
                                                     const std::string& characters, std::vector<std::string>& drawn);

// The fonts of the traits games' fonts have, each made from a typeface
// that is none of the reader's references (UmePlus Gothic, DejaVu Sans
// Mono): `name` one of "small" (12 px glyphs at the top left of 16x16
// cells), "outline" (14 px, a dark outline around the ink), "greys" (12 px
// in four greys at the top left of 16x16), "shuffled" (12 px kana and kanji
// in no order), "shadow" (16 px with a drop shadow, kana then kanji in the
// game's own order), "halfwidth" (half-width katakana, digits and capitals
// in 8x16) and "accented" (Latin letters with accents in 8x12).
struct TraitFont {
    std::vector<GlyphImage> glyphs;
    std::vector<std::string> drawn;
};
[[nodiscard]] TraitFont MakeTraitFont(const std::string& name);
[[nodiscard]] std::vector<std::string> TraitNames();

// Every character of JIS X 0208 rows `first` to `last`, in Shift-JIS order.
[[nodiscard]] std::string JisRows(int first, int last);

} // namespace zelvane::test
