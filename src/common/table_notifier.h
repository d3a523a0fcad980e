// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/table_change.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <string>

class QUndoStack;

namespace zelvane {

class TableDocument;

// The one road every edit of the open table takes. A change made by the
// editing rules is committed here: it becomes a step of the history (for
// Annulla and Ripeti) and is announced with what it touched, so the grid,
// the status bar, the managers and the workbench windows follow it and
// never keep a copy of their own. The table is modified exactly when the
// history stands elsewhere than where the table was last read or saved;
// the document's Modified mirrors that and is set nowhere else.
class TableNotifier : public QObject {
    Q_OBJECT

public:
    explicit TableNotifier(TableDocument& document, QObject* parent = nullptr);
    ~TableNotifier() override;

    [[nodiscard]] TableDocument& document() const { return m_document; }
    [[nodiscard]] QUndoStack* history() const { return m_stack; }

    // A change already made to the table, as one step named `step`
    // ("riempimento"), announced. Keys typed into one cell (`typingCell`,
    // its page and last byte) in a row join the step before, until
    // EndTyping.
    void Commit(TableChange change, const QString& step, const std::string& typingCell = {});
    // A change built but not yet made: made, then committed as above.
    void Make(TableChange change, const QString& step);
    void EndTyping();
    void Undo();
    void Redo();

    // A new or freshly read table: a history of its own, not modified, and
    // every view shows it anew.
    void TableReplaced();
    // The table was written: this is the state on disk now.
    void Saved();
    // The table now says what its file says, after a save that gave a line
    // another meaning: a fresh history, and every view reads it again.
    void FollowedFile();
    void FileNameChanged();
    // The table is shown in another encoding; no byte changed.
    void EncodingChanged();
    // Someone wrote the document without the road (an outside test): one
    // announcement of the whole table, once control is back in the event
    // loop, however many writes came before it.
    void TouchedOutside();

signals:
    void modifiedChanged(bool modified);
    // One-byte codes first to last changed.
    void entriesChanged(std::uint8_t first, std::uint8_t last);
    // The extra lines changed (and with them the pages of longer codes).
    void linesChanged();
    void bookmarksChanged();
    // Another table, or every part of it may have changed.
    void replaced();
    // What some code reads as may have changed (its value, a line of a
    // page, the encoding, another table): for views that read the table
    // through its codes (the ROM view, the font view, the script window).
    // Not for a change of the bookmarks alone.
    void valuesChanged();
    void fileNameChanged();
    void encodingChanged();

private:
    class Step;
    void Announce(const TableChange& change);
    void AnnounceWhole();
    // Modified from the history, said when it changes.
    void SyncModified();

    TableDocument& m_document;
    QUndoStack* m_stack;
    bool m_modifiedShown = false;
    bool m_outsidePending = false;
    std::uint64_t m_typing = 0; // the run of keys now under way
};

} // namespace zelvane
