// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/table_notifier.h"

#include "document/table_document.h"

#include <QTimer>
#include <QUndoStack>

#include <algorithm>

namespace zelvane {

namespace {
constexpr int TypingId = 1;
} // namespace

// One step: the change, already made when it is pushed.
class TableNotifier::Step : public QUndoCommand {
public:
    Step(TableNotifier& road, TableChange change, const QString& name, std::string cell)
        : QUndoCommand(name)
        , m_road(road)
        , m_change(std::move(change))
        , m_cell(std::move(cell))
        , m_typing(road.m_typing)
    {
    }

    void undo() override
    {
        m_change.Undo(m_road.m_document);
        m_road.EndTyping();
        m_road.Announce(m_change);
    }
    void redo() override
    {
        if (m_done) {
            m_done = false; // pushed after the edit was made
            return;
        }
        m_change.Redo(m_road.m_document);
        m_road.EndTyping();
        m_road.Announce(m_change);
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
    TableNotifier& m_road;
    TableChange m_change;
    std::string m_cell;     // the page and cell keys were typed into; empty otherwise
    std::uint64_t m_typing; // which run of keys
    bool m_done = true;
};

TableNotifier::TableNotifier(TableDocument& document, QObject* parent)
    : QObject(parent)
    , m_document(document)
    , m_stack(new QUndoStack(this))
{
    connect(m_stack, &QUndoStack::indexChanged, this, &TableNotifier::SyncModified);
    connect(m_stack, &QUndoStack::cleanChanged, this, &TableNotifier::SyncModified);
    SyncModified();
}

TableNotifier::~TableNotifier()
{
    // The history clears itself as it goes, and says so: by then neither
    // this object nor the window that listens is whole.
    QObject::disconnect(m_stack, nullptr, nullptr, nullptr);
}

void TableNotifier::Commit(TableChange change, const QString& step, const std::string& typingCell)
{
    if (change.Empty())
        return;
    // Announced before it is pushed: a view that follows the table sees
    // the new state, whatever the history does with the step.
    Announce(change);
    m_stack->push(new Step(*this, std::move(change), step, typingCell));
    if (typingCell.empty())
        EndTyping();
    SyncModified();
}

void TableNotifier::Make(TableChange change, const QString& step)
{
    change.Redo(m_document);
    Commit(std::move(change), step);
}

void TableNotifier::EndTyping()
{
    ++m_typing;
}

void TableNotifier::Undo()
{
    m_stack->undo();
}

void TableNotifier::Redo()
{
    m_stack->redo();
}

void TableNotifier::TableReplaced()
{
    m_stack->clear();
    m_stack->setClean();
    emit replaced();
    emit valuesChanged();
    SyncModified();
}

void TableNotifier::Saved()
{
    m_stack->setClean();
    SyncModified();
}

void TableNotifier::FollowedFile()
{
    // The history's steps were made against lines the file no longer has.
    m_stack->clear();
    m_stack->setClean();
    AnnounceWhole();
    SyncModified();
}

void TableNotifier::FileNameChanged()
{
    emit fileNameChanged();
}

void TableNotifier::EncodingChanged()
{
    emit encodingChanged();
    emit valuesChanged();
}

void TableNotifier::TouchedOutside()
{
    if (m_outsidePending)
        return;
    m_outsidePending = true;
    QTimer::singleShot(0, this, [this] {
        m_outsidePending = false;
        AnnounceWhole();
        // Modified as the outside writer left it.
        if (m_document.Modified != m_modifiedShown) {
            m_modifiedShown = m_document.Modified;
            emit modifiedChanged(m_modifiedShown);
        }
    });
}

void TableNotifier::Announce(const TableChange& change)
{
    // Lines first: a page finds its lines again before its cells repaint.
    if (!change.Lines.empty())
        emit linesChanged();
    if (change.BookmarksBefore)
        emit bookmarksChanged();
    if (!change.Codes.empty()) {
        const auto [first, last] = std::ranges::minmax(change.Codes);
        emit entriesChanged(first, last);
    } else if (!change.Lines.empty()) {
        // The one-byte cells are read through the lines too (a code's
        // overridden lines, the page counts).
        emit entriesChanged(0, 0xFF);
    }
    if (!change.Codes.empty() || !change.Lines.empty())
        emit valuesChanged();
}

void TableNotifier::AnnounceWhole()
{
    emit linesChanged();
    emit bookmarksChanged();
    emit entriesChanged(0, 0xFF);
    emit valuesChanged();
}

void TableNotifier::SyncModified()
{
    m_document.Modified = !m_stack->isClean();
    if (m_document.Modified == m_modifiedShown)
        return;
    m_modifiedShown = m_document.Modified;
    emit modifiedChanged(m_modifiedShown);
}

} // namespace zelvane
