// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/table_change.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <string>

class QAction;
class QUndoStack;

namespace zelvane {

class TableNotifier;

// The table's history of changes, for Annulla and Ripeti: each step holds
// only what its edit changed. The state last read or saved is the clean
// one: undoing back to it clears Modified, leaving it sets it.
class EditHistory : public QObject {
    Q_OBJECT

public:
    EditHistory(TableNotifier& notifier, QAction* undo, QAction* redo, QObject* parent = nullptr);

    // A change already made to the table, as one step named `name`
    // ("riempimento"). A step with a `cell` takes the next step of the same
    // cell made before EndTyping into it (keys typed into one cell).
    void Record(TableChange change, const QString& name);
    void RecordTyping(TableChange change, const QString& name, const std::string& cell);
    // Keys typed from now on start a new step.
    void EndTyping();
    // The table as it is now is the one on disk.
    void MarkSaved();
    // A new table, or one freshly read: no steps.
    void Clear();

private:
    class Step;
    void Push(TableChange change, const QString& name, const std::string& cell);
    void Applied(const TableChange& change);
    void RefreshActions();

    TableNotifier& m_notifier;
    QUndoStack* m_stack;
    QAction* m_undo;
    QAction* m_redo;
    std::uint64_t m_typing = 0; // the run of keys now under way
};

} // namespace zelvane
