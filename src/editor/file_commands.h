// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <string>

class QFileDialog;
class QMimeData;
class QWidget;

namespace zelvane {

class TableNotifier;
class TableDocument;

// New, Open, Save and Save As with everything around them: the save
// prompt, the one file dialog of the run, the check for a file another
// program changed, and the error boxes.
class FileCommands : public QObject {
    Q_OBJECT

public:
    enum class DialogPurpose { Open, Save };

    FileCommands(TableNotifier& notifier, QWidget* window);

    // The save prompt; false when the command that asked must stop.
    [[nodiscard]] bool ConfirmDiscard();
    void New();
    void Open();
    // Reads `path` (made absolute) into the table; a file that is plainly
    // not a table is read only when the user says so. On failure tells the
    // user why and changes nothing. True when the table was read.
    bool OpenFile(const QString& path);
    // Whether a drag carries one local file, which a drop would open.
    [[nodiscard]] static bool CanOpenDropped(const QMimeData* data);
    // Opens the dropped file through the save prompt, once the drop is over.
    void OpenDropped(const QMimeData* data);
    void Save();
    // True when the table was written.
    bool SaveAs();

signals:
    // The table was written.
    void saved();
    // A save brought the table in line with what its file now says: the
    // steps of its history no longer fit it.
    void followedFile();

private:
    [[nodiscard]] QString ChooseFile(DialogPurpose purpose);
    // False when `path` looks like no table and the user chose not to open it.
    [[nodiscard]] bool ConfirmTableFile(const QString& path);
    bool Read(const QString& path);
    // When a save of `path` was cut short and its journal holds the whole
    // new file, asks whether to complete it, and does so on Yes; on No the
    // journal stays, and the user is told where.
    void OfferInterruptedSave(const QString& path);
    // False when `path` is the table's file, another program changed it
    // since it was read or saved, and the user chose not to overwrite it.
    [[nodiscard]] bool ConfirmOverwrite(const std::string& path);
    bool Write(const std::string& path);
    void ShowFileError(const QString& action, const QString& path, const std::string& reason);

    TableNotifier& m_notifier;
    TableDocument& m_document;
    QWidget* m_window;
    QFileDialog* m_fileDialog = nullptr;
    QString m_lastDialogName;
};

} // namespace zelvane
