// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/table_notifier.h"

#include "document/table_document.h"
#include "document/table_change.h"
#include "document/table_editor.h"

namespace zelvane {

TableNotifier::TableNotifier(TableDocument& document, QObject* parent)
    : QObject(parent)
    , m_document(document)
    , m_modifiedShown(document.Modified)
{
}

void TableNotifier::Apply(const EditOutcome& outcome, bool lines)
{
    if (outcome.ChangedAny()) {
        // Lines first: a page finds its lines again before its cells repaint.
        if (lines)
            emit listsChanged();
        emit entriesChanged(outcome.First, outcome.Last);
    }
    SyncModified();
}

void TableNotifier::Record(TableChange change, const QString& name)
{
    if (m_recorder)
        m_recorder(std::move(change), name);
}

void TableNotifier::ListsChanged()
{
    emit listsChanged();
    SyncModified();
}

void TableNotifier::SetModified(bool modified)
{
    m_document.Modified = modified;
    SyncModified();
}

void TableNotifier::TableReplaced()
{
    emit replaced();
    SyncModified();
}

void TableNotifier::FollowedFile()
{
    emit listsChanged();
    emit entriesChanged(0, 0xFF);
}

void TableNotifier::FileNameChanged()
{
    emit fileNameChanged();
    SyncModified();
}

void TableNotifier::EncodingChanged()
{
    emit encodingChanged();
}

void TableNotifier::SyncModified()
{
    if (m_document.Modified == m_modifiedShown)
        return;
    m_modifiedShown = m_document.Modified;
    emit modifiedChanged(m_modifiedShown);
}

} // namespace zelvane
