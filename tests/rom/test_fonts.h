// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rom/glyphs.h"

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

// Every character of JIS X 0208 rows `first` to `last`, in Shift-JIS order.
[[nodiscard]] std::string JisRows(int first, int last);

} // namespace zelvane::test
