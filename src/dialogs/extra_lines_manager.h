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
    // Drops the working copy and fills the list from the slots again.
    void Refill();
    void lstExtra_Click();
    void txtLine_Change(const QString& text);
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdDel_Click();
    // Writes the list back, then closes.
    void cmdOk_Click();
    // Makes the list the table's extra lines (empty entries left out),
    // setting Modified when that changes them; the window stays open.
    void WriteBack();

private:
    // False, after telling the user why, when the file could not be read
    // back with `line` in place of row `replacedRow` (-1: added).
    bool Acceptable(const std::string& line, int replacedRow);
    // The text box's line in the table's encoding; false, after telling the
    // user which character it cannot hold, when it cannot.
    bool TakeLine(std::string& line);
    void RefreshButtons();

    TableNotifier& m_notifier;
    TableDocument& m_document;
    // In file order: a deletion closes the gap.
    SlotList<ExtraLine> m_lines{SlotList<ExtraLine>::Unlimited, SlotList<ExtraLine>::Order::Kept};
    QListWidget* m_list = nullptr;
    QLineEdit* m_line = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
    bool m_writing = false; // while its own change is announced
};

} // namespace zelvane
