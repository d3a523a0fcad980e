// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/table_document.h"
#include "document/table_editor.h"
#include "editor/main_menus.h"
#include "kana/fill_sequences.h"
#include "kana/input_mode.h"

#include <QMainWindow>

#include <span>
#include <string>
#include <string_view>
#include <vector>

class QLineEdit;

namespace zelvane {

class FileCommands;
class StatusBar;
class TableGrid;
class TableModel;
class TableNotifier;
class ToolBar;
class WindowCommands;
class EditCommands;

// The editor's one main window: it owns the open table and wires the
// menus, the toolbar, the grid and the status bar to the editing rules and
// the file commands.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The open table. A change written to it here, past the editing
    // commands, is shown once control is back in the event loop.
    [[nodiscard]] TableDocument& document();
    [[nodiscard]] InputMode inputMode() const { return m_inputMode; }
    // The current cell: the last byte of its code.
    [[nodiscard]] std::uint8_t currentCode() const;
    // The leading bytes of the page shown, empty for the one-byte codes.
    [[nodiscard]] std::string currentPage() const;
    // Shows a page: the codes of two and more bytes that begin with
    // `leadBytes`, or the one-byte codes when it is empty.
    void ShowPage(std::string_view leadBytes);

    // Reads the table file at `path` into the window; on failure tells the
    // user why and changes nothing. True when the table was read.
    bool OpenTable(const QString& path);

    void SetInputMode(InputMode mode);
    // Shows the table in `encoding`; changes no byte and not Modified.
    void SetEncoding(TextEncoding encoding);
    // A printable character typed into the current cell, in the table's
    // encoding; one it cannot hold is refused in the status text.
    void TypeCharacter(char32_t character);
    // Text typed into the current cell as keys would, character by character,
    // as one step of the history.
    void TypeText(const QString& text);
    void Backspace();
    void MarkSpecial();
    void UnmarkSpecial();
    void FillCharRange(std::uint8_t first, std::uint8_t last);
    void FillFromList(std::span<const std::string_view> list, InputMode script, LetterCase letterCase);

    // Sets the Caps Lock look of panel 3; the platform's state is read on
    // every key, on activation and at start-up where it can be known.
    void SetCapsLockShown(bool on);

public slots:
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    // True when the table was written.
    bool mnuSaveAs_Click();
    void mnuClose_Click();
    void mnuBook_Click();
    void mnuExtra_Click();
    void mnuRomView_Click();
    void mnuRelSearch_Click();
    void mnuFontView_Click();
    void mnuScript_Click();
    // Draws each cell's glyph from the open font, the window grown to fit.
    void mnuShowGlyphs_Click(bool shown);
    void mnuReadme_Click();
    void mnuAbout_Click();
    void mnuASCII_Click();
    void mnuHira_Click();
    void mnuKata_Click();
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void mnuPasteSequence_Click();
    // Shows the find box; Enter in it finds the next cell.
    void mnuFind_Click();
    void mnuFindNext_Click();
    // Shift+F3.
    void FindPrevious();
    void mnuGoTo_Click();
    void mnuNextPage_Click();
    void mnuPrevPage_Click();
    // Lists the table's pages under the grid's corner; the one chosen shows.
    void TableGrid_CornerClick();
    // Buttons count from 1, separators included; items from 1.
    void Toolbar1_ButtonClick(int index);
    void Toolbar1_ButtonMenuClick(int button, int item);
    void SB_PanelClick(int index);
    void TableGrid_EnterCell();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildGrid();
    void Form_Load();

    void RefreshCaption();
    void RefreshEncoding();
    void RefreshUndoActions();

    TableDocument m_document;
    TableEditor m_editor{m_document};
    InputMode m_inputMode = InputMode::Ascii;

    TableNotifier* m_notifier = nullptr;
    FileCommands* m_files = nullptr;
    TableModel* m_model = nullptr;
    TableGrid* m_grid = nullptr;
    StatusBar* m_statusBar = nullptr;
    ToolBar* m_toolbar = nullptr;
    MenuActions m_menus;
    EditCommands* m_edits = nullptr;
    WindowCommands* m_windows = nullptr;

};

} // namespace zelvane
