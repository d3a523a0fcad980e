// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

class QAction;

namespace zelvane {

class MainWindow;
class ToolBar;

// The menus and the toolbar: what each entry shows and which of the
// window's commands it runs.

// The menu items whose check marks follow the window's state.
struct MenuActions {
    std::array<QAction*, 3> inputModes{};  // ASCII, Hiragana, Katakana
    std::array<QAction*, 4> encodings{};   // in the order of TextEncoding
    QAction* undo = nullptr;
    QAction* redo = nullptr;
    QAction* showGlyphs = nullptr;
};

// Fills the window's menu bar, each item wired to the window's slot of its
// name, with its shortcut.
MenuActions BuildMenus(MainWindow& window);

// The toolbar, each button and item carrying the window's command.
[[nodiscard]] ToolBar* BuildToolbar(MainWindow& window);

} // namespace zelvane
