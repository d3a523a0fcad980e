// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/window_commands.h"

#include "common/table_notifier.h"
#include "dialogs/about_window.h"
#include "dialogs/bookmark_manager.h"
#include "dialogs/extra_lines_manager.h"
#include "dialogs/guide_window.h"
#include "document/table_document.h"
#include "editor/edit_commands.h"
#include "editor/file_commands.h"
#include "editor/table_grid.h"
#include "editor/window_placement.h"
#include "workbench/font_view.h"
#include "workbench/glyph_font.h"
#include "workbench/relative_search_window.h"
#include "workbench/rom_view.h"
#include "workbench/script_window.h"

#include <QMainWindow>

namespace zelvane {

WindowCommands::WindowCommands(Parts parts, QMainWindow* window)
    : QObject(window)
    , m_parts(std::move(parts))
    , m_window(window)
    , m_placements(new PlacementMemory(this))
    , m_glyphFont(new GlyphFont(this))
{
    // Another font or layout: the grid's glyphs are drawn again.
    connect(m_glyphFont, &GlyphFont::changed, this, [this] {
        if (m_glyphsShown)
            ShowGlyphs(true);
    });
}

WindowCommands::~WindowCommands()
{
    // Top-level windows without a parent go with the main window.
    delete m_extraLines;
    delete m_bookmarks;
    delete m_about;
    delete m_guide;
    delete m_romView;
    delete m_relSearch;
    delete m_fontView;
    delete m_script;
}

template<typename Window, typename... Args>
void WindowCommands::Show(QPointer<Window>& window, Args&&... args)
{
    if (ShowSingle(window, m_parts.notifier, std::forward<Args>(args)...) && !m_placements->Restore(window))
        window->move(BesideWindow(m_window, window->frameGeometry().size()));
}

void WindowCommands::ShowBookmarks() { Show(m_bookmarks); }
void WindowCommands::ShowExtraLines() { Show(m_extraLines); }
void WindowCommands::ShowGuide() { ShowSingle(m_guide); }
void WindowCommands::ShowAbout() { ShowSingle(m_about); }

void WindowCommands::ShowRomView()
{
    Show(m_romView);
    m_romView->SetInputModeSource(m_parts.inputMode);
    // A pointer table found for the selection goes to the script window.
    m_romView->SetOfferBlock([this](const QString& file, const QString& block) {
        ShowScript();
        m_script->OfferBlock(file, block);
    });
}

void WindowCommands::ShowScript()
{
    // The script names the table's file: it is saved first.
    const auto save = [this] {
        m_parts.files.Save();
        const TableDocument& document = m_parts.notifier.document();
        return !document.IsUntitled() && !document.Modified;
    };
    const auto show = [this](const QString& file, qulonglong address) {
        ShowRomView();
        if (m_romView->FileName() != file)
            m_romView->OpenFile(file);
        m_romView->ShowAddress(address);
    };
    Show(m_script, save, show);
}

void WindowCommands::ShowRelativeSearch()
{
    // Applica fills the implied run into the first page, as one step.
    const auto apply = [this](std::uint8_t start, std::vector<std::string> values) {
        m_parts.edits.FillFirstPage(start, std::move(values));
    };
    Show(m_relSearch, apply);
    // The game the ROM view reads, unless this window has one already.
    if (m_romView && m_relSearch->FileName().isEmpty() && !m_romView->FileName().isEmpty())
        m_relSearch->OpenFile(m_romView->FileName());
}

void WindowCommands::ShowFontView()
{
    // A glyph clicked shows its code; Accetta writes the proposals as one step.
    const auto pick = [this](const std::string& code) {
        m_parts.edits.ShowPage(std::string_view(code).substr(0, code.size() - 1));
        m_parts.edits.MoveToCode(static_cast<std::uint8_t>(code.back()));
    };
    const auto apply = [this](std::vector<std::pair<std::string, std::string>> values) {
        m_parts.edits.SetValues(values);
    };
    Show(m_fontView, *m_glyphFont, pick, apply);
}

void WindowCommands::ShowGlyphs(bool shown)
{
    m_glyphsShown = shown;
    TableGrid& grid = m_parts.grid;
    if (!shown) {
        grid.ShowGlyphs({}, 0, 0);
        m_parts.resizeClient(0, 0);
        return;
    }
    // Room for a glyph and a short value beside it.
    const FontLayout& layout = m_glyphFont->Layout();
    const int column = std::max(grid.DefaultColumnWidth(), layout.Width + QFontMetrics(grid.font()).horizontalAdvance(QStringLiteral("MMM")) + 6);
    const int row = std::max(grid.DefaultRowHeight(), layout.Height + 4);
    grid.ShowGlyphs(
        [this](std::uint8_t cell) {
            std::string code = m_parts.edits.CurrentPage();
            code += static_cast<char>(cell);
            const std::optional<GlyphImage> glyph = m_glyphFont->GlyphOf(code);
            return glyph ? GlyphFont::Picture(*glyph) : QImage();
        },
        column, row);
    m_parts.resizeClient(grid.WidthFor(column) - grid.WidthFor(grid.DefaultColumnWidth()), 16 * (row - grid.DefaultRowHeight()));
}

void WindowCommands::CloseAll()
{
    for (QWidget* window : std::initializer_list<QWidget*>{m_extraLines, m_bookmarks, m_about, m_guide, m_parts.edits.FindWindow(),
                                                           m_romView, m_relSearch, m_fontView, m_script}) {
        if (window)
            window->close();
    }
}

} // namespace zelvane
