// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kana/input_mode.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QMainWindow;

namespace zelvane {

class AboutWindow;
class BookmarkManager;
class EditCommands;
class ExtraLinesManager;
class FileCommands;
class FontView;
class GlyphFont;
class GuideWindow;
class PlacementMemory;
class RelativeSearchWindow;
class RomView;
class ScriptWindow;
class TableGrid;
class TableNotifier;

// The main window's other windows: the managers, the guide and the about
// box, and the workbench (ROM view, relative search, font view, script
// window), each opened once and brought to the front after, standing where
// it stood when last closed; the glyphs drawn in the grid from the open font.
class WindowCommands : public QObject {
    Q_OBJECT

public:
    struct Parts {
        TableNotifier& notifier;
        FileCommands& files;
        EditCommands& edits;
        TableGrid& grid;
        std::function<InputMode()> inputMode;
        // The main window's client area grows by this much for the grid's
        // glyphs; 0, 0: it has its own size again.
        std::function<void(int wider, int higher)> resizeClient;
    };
    WindowCommands(Parts parts, QMainWindow* window);
    ~WindowCommands() override;

    void ShowBookmarks();
    void ShowExtraLines();
    void ShowGuide();
    void ShowAbout();
    void ShowRomView();
    void ShowRelativeSearch();
    void ShowFontView();
    void ShowScript();
    // Draws each cell's glyph from the open font, the window grown to fit.
    void ShowGlyphs(bool shown);
    [[nodiscard]] bool GlyphsShown() const { return m_glyphsShown; }
    // Closes every window it opened, as the main window closes.
    void CloseAll();

private:
    // Opens a window made with the table's notifier and `args`, or brings
    // it to the front; a new one stands where it was last closed, else
    // beside the main window.
    template<typename Window, typename... Args>
    void Show(QPointer<Window>& window, Args&&... args);

    Parts m_parts;
    QMainWindow* m_window;
    PlacementMemory* m_placements;
    GlyphFont* m_glyphFont;
    bool m_glyphsShown = false;
    QPointer<ExtraLinesManager> m_extraLines;
    QPointer<BookmarkManager> m_bookmarks;
    QPointer<AboutWindow> m_about;
    QPointer<GuideWindow> m_guide;
    QPointer<RomView> m_romView;
    QPointer<RelativeSearchWindow> m_relSearch;
    QPointer<FontView> m_fontView;
    QPointer<ScriptWindow> m_script;
};

} // namespace zelvane
