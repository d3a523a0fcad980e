// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/table_editor.h"
#include "kana/fill_sequences.h"
#include "kana/input_mode.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QLineEdit;
class QWidget;

namespace zelvane {

class EditHistory;
class StatusBar;
class TableDocument;
class TableGrid;
class TableModel;
class TableNotifier;

// What the window's editing commands do with the grid: the current cell and
// the page shown, typing and Backspace, marks and fills, the clipboard, the
// find box and the page steps. Each applies the editing rules, records its
// step in the history and shows where it left the cell.
class EditCommands : public QObject {
    Q_OBJECT

public:
    struct Parts {
        TableNotifier& notifier;
        TableEditor& editor;
        TableModel& model;
        TableGrid& grid;
        StatusBar& status;
        std::function<InputMode()> inputMode;
    };
    EditCommands(Parts parts, QWidget* window);
    ~EditCommands() override;

    // The current cell's last byte, and the shown page's leading bytes.
    [[nodiscard]] std::uint8_t CurrentCode() const;
    [[nodiscard]] std::string CurrentPage() const;
    void ShowPage(std::string_view leadBytes);
    void MoveToCode(std::uint8_t code);
    // The page before (-1) or after (+1) the one shown, among the table's.
    void StepPage(int step);
    void GoTo();
    // Lists the pages, with their counts and first characters, under the
    // grid's corner; the one chosen shows.
    void ListPages();
    // The corner: the page's leading bytes, or on the first page the
    // number of pages; its tooltip, which page of how many.
    void RefreshCorner();
    void RefreshStatusText();
    // Keys typed into another cell are another step.
    void CellEntered();

    void TypeCharacter(char32_t character);
    void TypeText(const QString& text);
    void Backspace();
    void Mark();
    void Unmark();
    void FillCharRange(std::uint8_t first, std::uint8_t last);
    void FillFromList(std::span<const std::string_view> list, InputMode script, LetterCase letterCase);
    // Relative search's alphabet from `start` on the first page, as one step.
    void FillFirstPage(std::uint8_t start, std::vector<std::string> values);
    // The font view's accepted readings for codes of any length (code
    // bytes, value bytes), as one step.
    void SetValues(const std::vector<std::pair<std::string, std::string>>& values);

    void Cut();
    void Copy();
    void Paste();
    void PasteSequence();
    // Shows the find box; Enter in it finds the next cell.
    void ShowFind();
    // The next (+1) or previous (-1) cell whose shown value holds the find
    // box's text, in code order through the pages, wrapping.
    void Find(int direction);
    // The find box's window, to close with the main window.
    [[nodiscard]] QWidget* FindWindow() const { return m_findWindow; }

private:
    [[nodiscard]] TableDocument& Document() const;
    // Applies an edit, records it as a step named `step` of the history
    // (typing steps of one cell merge) and moves to the code it names.
    void Edited(EditOutcome outcome, const QString& step, bool typing = false);
    void TypeInto(const QString& text, const QString& step, bool typing);
    // A fill's edit, and the count of values it replaced in the status text.
    void Filled(EditOutcome outcome, const QString& step);

    TableNotifier& m_notifier;
    TableEditor& m_editor;
    TableModel& m_model;
    TableGrid& m_grid;
    StatusBar& m_status;
    std::function<InputMode()> m_inputMode;
    QWidget* m_window;
    QPointer<QWidget> m_findWindow;
    QLineEdit* m_findBox = nullptr;
};

} // namespace zelvane
