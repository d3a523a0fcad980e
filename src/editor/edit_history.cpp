// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/edit_history.h"

#include "common/table_notifier.h"
#include "document/table_document.h"
#include "document/table_editor.h"

#include <QAction>
#include <QUndoStack>

namespace zelvane {

namespace {
namespace Texts {
const auto Undo = QStringLiteral("&Annulla");
const auto Redo = QStringLiteral("&Ripeti");
} // namespace Texts

constexpr int TypingId = 1;
} // namespace

// One step: the change, already made when it is pushed.
class EditHistory::Step : public QUndoCommand {
public:
    Step(EditHistory& history, TableChange change, const QString& name, std::string cell)
        : QUndoCommand(name)
        , m_history(history)
        , m_change(std::move(change))
        , m_cell(std::move(cell))
        , m_typing(history.m_typing)
    {
    }

    void undo() override
    {
        m_change.Undo(m_history.m_notifier.document());
        m_history.Applied(m_change);
    }
    void redo() override
    {
        if (m_done) {
            m_done = false; // pushed after the edit was made
            return;
        }
        m_change.Redo(m_history.m_notifier.document());
        m_history.Applied(m_change);
    }
    [[nodiscard]] int id() const override { return m_cell.empty() ? -1 : TypingId; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const Step*>(other);
        if (next->m_cell != m_cell || next->m_typing != m_typing)
            return false;
        m_change.Absorb(TableChange(next->m_change));
        return true;
    }

private:
    EditHistory& m_history;
    TableChange m_change;
    std::string m_cell;    // the page and cell keys were typed into; empty otherwise
    std::uint64_t m_typing; // which run of keys
    bool m_done = true;
};

EditHistory::EditHistory(TableNotifier& notifier, QAction* undo, QAction* redo, QObject* parent)
    : QObject(parent)
    , m_notifier(notifier)
    , m_stack(new QUndoStack(this))
    , m_undo(undo)
    , m_redo(redo)
{
    connect(undo, &QAction::triggered, m_stack, &QUndoStack::undo);
    connect(redo, &QAction::triggered, m_stack, &QUndoStack::redo);
    connect(m_stack, &QUndoStack::indexChanged, this, &EditHistory::RefreshActions);
    connect(m_stack, &QUndoStack::cleanChanged, this, [this](bool clean) { m_notifier.SetModified(!clean); });
    RefreshActions();
}

void EditHistory::Record(TableChange change, const QString& name)
{
    Push(std::move(change), name, {});
}

void EditHistory::RecordTyping(TableChange change, const QString& name, const std::string& cell)
{
    Push(std::move(change), name, cell);
}

void EditHistory::Push(TableChange change, const QString& name, const std::string& cell)
{
    if (change.Empty())
        return;
    m_stack->push(new Step(*this, std::move(change), name, cell));
    if (cell.empty())
        EndTyping();
}

void EditHistory::EndTyping()
{
    ++m_typing;
}

void EditHistory::MarkSaved()
{
    m_stack->setClean();
}

void EditHistory::Clear()
{
    m_stack->clear();
    RefreshActions();
}

void EditHistory::Applied(const TableChange& change)
{
    EndTyping();
    if (!change.Lines.empty() || change.BookmarksBefore)
        m_notifier.ListsChanged();
    if (!change.Codes.empty() || !change.Lines.empty())
        m_notifier.Apply(EditOutcome{.First = 0, .Last = 0xFF});
}

void EditHistory::RefreshActions()
{
    const auto named = [](const QString& action, const QString& step) {
        return step.isEmpty() ? action : action + u' ' + step;
    };
    m_undo->setEnabled(m_stack->canUndo());
    m_undo->setText(named(Texts::Undo, m_stack->canUndo() ? m_stack->undoText() : QString()));
    m_redo->setEnabled(m_stack->canRedo());
    m_redo->setText(named(Texts::Redo, m_stack->canRedo() ? m_stack->redoText() : QString()));
}

} // namespace zelvane
