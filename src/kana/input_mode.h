// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zelvane {

// The keyboard input mode of the main window; not part of the table.
enum class InputMode : std::uint8_t { Ascii = 1, Hiragana = 2, Katakana = 3 };

} // namespace zelvane
