// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

namespace zelvane {

// The window's pictures, PNG files in the program's resources.
enum class ToolbarPicture {
    NewPage = 1,     // page with a sparkle
    OpenFolder,      // open folder with an arrow
    Floppy,          // floppy disk
    MarkSpecial,     // the black text "/0F"
    UnmarkSpecial,   // the same, crossed out by a red X
    Capitals,        // blue capital "A"
    SmallLetters,    // red small "a"
    Digits,          // black "1"
    Romaji,          // blue capital "R"
    Katakana,        // green katakana "a"
    Hiragana,        // red hiragana "a"
};

enum class MenuPicture { New, Open, Save };

[[nodiscard]] QIcon WindowIcon();
[[nodiscard]] QIcon ToolbarIcon(ToolbarPicture picture);
[[nodiscard]] QIcon MenuIcon(MenuPicture picture);
// The small standing figure before the status text, 16 x 18.
[[nodiscard]] QPixmap StatusFigure();
// The narrow upright picture of the about window, 52 x 160.
[[nodiscard]] QPixmap AboutPicture();

} // namespace zelvane
