// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/slot_list.h"
#include "document/table_document.h"

#include <QWidget>

#include <string>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace zelvane {

class TableNotifier;

// The extra lines manager: each Add, Update and Delete applies to the table
// at once, as a step of its history, so the grid, the ROM view and a save
// always see the lines the list shows; a change made elsewhere (the grid on
// a page of longer codes, undo) fills the list again.
class ExtraLinesManager : public QWidget {
    Q_OBJECT

public:
    explicit ExtraLinesManager(TableNotifier& notifier, QWidget* parent = nullptr);

public slots:
    // Shows the table's lines; the chosen row and the box stay.
    void Refill();
    // Another table: its lines, nothing chosen, the box empty.
    void Reset();
    void lstExtra_Click();
    void txtLine_Change(const QString& text);
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdDel_Click();
    void cmdOk_Click();

private:
    // False, after telling the user why, when the file could not be read
    // back with `line` in place of row `replacedRow` (-1: added).
    bool Acceptable(const std::string& line, int replacedRow);
    // The text box's line in the table's encoding; false, after telling the
    // user which character it cannot hold, when it cannot.
    bool TakeLine(std::string& line);
    void RefreshButtons();
    // The lines the list shows, under the list's rule: in file order, a
    // deletion closes the gap.
    [[nodiscard]] SlotList<ExtraLine> Lines() const;
    // Makes `lines` the table's extra lines, as one step of its history.
    void Store(const SlotList<ExtraLine>& lines);

    TableNotifier& m_notifier;
    TableDocument& m_document;
    QListWidget* m_list = nullptr;
    QLineEdit* m_line = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
};

} // namespace zelvane
