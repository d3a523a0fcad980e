// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

namespace zelvane {

class TableDocument;
struct EditOutcome;
struct TableChange;

// The one voice that says the open table changed. Whoever changes the
// document tells the notifier; the grid, the status bar, the caption and
// the managers listen to it and never to each other.
class TableNotifier : public QObject {
    Q_OBJECT

public:
    explicit TableNotifier(TableDocument& document, QObject* parent = nullptr);

    [[nodiscard]] TableDocument& document() const { return m_document; }

    // After an edit by the editing rules; `lines`: the edit changed the
    // extra lines (a page of codes of two and more bytes).
    void Apply(const EditOutcome& outcome, bool lines = false);
    // The extra lines or the bookmarks changed (a manager's edit).
    void ListsChanged();
    // Sets the document's Modified flag and says so when it changes.
    void SetModified(bool modified);
    // A new or freshly read table: every entry, the lists and the name.
    void TableReplaced();
    // The table now says what its file says, after a save that gave a line
    // another meaning: every entry and both lists may have changed.
    void FollowedFile();
    // The table was saved under another name.
    void FileNameChanged();
    // The table is shown in another encoding; no byte changed.
    void EncodingChanged();

    // A change already made, as one step of the table's history (a
    // manager's); the window says where the history is kept.
    void Record(TableChange change, const QString& name);
    void SetRecorder(std::function<void(TableChange, const QString&)> recorder) { m_recorder = std::move(recorder); }

signals:
    void modifiedChanged(bool modified);
    void entriesChanged(std::uint8_t first, std::uint8_t last);
    void replaced();
    void listsChanged();
    void fileNameChanged();
    void encodingChanged();

private:
    // Reports Modified when it differs from what was last reported.
    void SyncModified();

    TableDocument& m_document;
    bool m_modifiedShown = false;
    std::function<void(TableChange, const QString&)> m_recorder;
};

} // namespace zelvane
