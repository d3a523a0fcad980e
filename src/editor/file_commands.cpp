// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/file_commands.h"

#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "document/save_journal.h"
#include "document/table_document.h"
#include "document/table_reader.h"
#include "document/table_writer.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>

namespace zelvane {

namespace {

namespace Texts {
const auto FileFilter = QStringLiteral("File Tabella (.tbl)|*.tbl|File di testo (*.txt)|*.txt|Tutti i file (*.*)|*.*");
const auto OpenTitle = QStringLiteral("Apri");
const auto SaveTitle = QStringLiteral("Salva con nome");
const auto SavePromptTitle = QStringLiteral("Tabella Modificata");
const auto SavePrompt = QStringLiteral("La tabella corrente è stata modificata.\r\n\r\nSalvare le modifiche?");
const auto ChangedOnDiskTitle = QStringLiteral("File modificato");
const auto ChangedOnDisk = QStringLiteral("Il file\r\n%1\r\nè stato modificato da un altro programma dopo che Zelvane l'ha letto o salvato.\r\n\r\nSovrascriverlo con la tabella aperta?");
const auto ErrorTitle = QStringLiteral("Errore");
const auto ReadFailed = QStringLiteral("Impossibile aprire la tabella");
const auto WriteFailed = QStringLiteral("Impossibile salvare la tabella");
const auto InterruptedTitle = QStringLiteral("Salvataggio interrotto");
const auto Interrupted = QStringLiteral("Un salvataggio di «%1» è stato interrotto. Completarlo ora?");
const auto NotATableTitle = QStringLiteral("Apri");
const auto NotATable = QStringLiteral("Il file «%1» non sembra una tabella: contiene dati binari. Aprirlo comunque?");
const auto JournalKept = QStringLiteral("Il file è aperto com'è. Il salvataggio interrotto resta in:\r\n%1\r\n\r\n"
                                        "Riaprendo il file lo si potrà completare.");
} // namespace Texts

// "Desc|pattern|Desc|pattern" as the dialog's name filters. "*.*" stands
// for every file, also those without a dot in their name.
QStringList NameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString pattern = parts[i + 1] == QLatin1String("*.*") ? QStringLiteral("*") : parts[i + 1];
        filters << QStringLiteral("%1 (%2)").arg(parts[i], pattern);
    }
    return filters;
}

// The one local file a drag carries, or nothing.
QString DroppedFile(const QMimeData* data)
{
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    return urls.size() == 1 && urls.constFirst().isLocalFile() ? urls.constFirst().toLocalFile() : QString();
}

} // namespace

FileCommands::FileCommands(TableNotifier& notifier, QWidget* window)
    : QObject(window)
    , m_notifier(notifier)
    , m_document(notifier.document())
    , m_window(window)
{
}

bool FileCommands::ConfirmDiscard()
{
    if (!m_document.Modified)
        return true;
    QMessageBox box(QMessageBox::Question, Texts::SavePromptTitle, Texts::SavePrompt,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_window);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        // Work the user asked to keep is never dropped: when Save As writes
        // nothing, the command stops.
        return SaveAs();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void FileCommands::ShowFileError(const QString& action, const QString& path, const std::string& reason)
{
    QMessageBox box(QMessageBox::Warning, Texts::ErrorTitle,
                    QStringLiteral("%1:\n%2\n\n%3.").arg(action, path, QString::fromStdString(reason)), QMessageBox::Ok,
                    m_window);
    box.exec();
}

QString FileCommands::ChooseFile(DialogPurpose purpose)
{
    const bool saving = purpose == DialogPurpose::Save;
    // Made on first use, not at start-up, where it would cost a quarter of
    // the time to the first frame; then kept for the whole run.
    if (!m_fileDialog) {
        m_fileDialog = new QFileDialog(m_window);
        m_fileDialog->setNameFilters(NameFilters(Texts::FileFilter));
        m_fileDialog->setOption(QFileDialog::HideNameFilterDetails);
    }
    m_fileDialog->setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    m_fileDialog->setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    m_fileDialog->setWindowTitle(saving ? Texts::SaveTitle : Texts::OpenTitle);
    m_fileDialog->selectNameFilter(m_fileDialog->nameFilters().constFirst());
    m_fileDialog->selectFile(saving ? PathText(m_document.FileName) : m_lastDialogName);
    const bool accepted = m_fileDialog->exec() == QDialog::Accepted && !m_fileDialog->selectedFiles().isEmpty();
    // A name-completion list still open when Enter accepted the dialog
    // would stay on screen over the grid and take the next key or click.
    for (QCompleter* completer : m_fileDialog->findChildren<QCompleter*>()) {
        if (completer->popup())
            completer->popup()->hide();
    }
    if (!accepted)
        return {};
    m_lastDialogName = m_fileDialog->selectedFiles().constFirst();
    return m_lastDialogName;
}

void FileCommands::New()
{
    if (!ConfirmDiscard())
        return;
    m_document.ClearTable();
    // Not from a file: saved in the plain layout.
    m_document.Record.reset();
    m_document.FileName = std::string(UntitledName);
    m_document.DiskStamp.reset();
    // The encoding stays: the bookmarks and extra lines kept are written in it.
    m_notifier.TableReplaced();
}

void FileCommands::Open()
{
    if (!ConfirmDiscard())
        return;
    const QString path = ChooseFile(DialogPurpose::Open);
    if (!path.isEmpty())
        OpenFile(path);
}

void FileCommands::OfferInterruptedSave(const QString& path)
{
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(PathBytes(path), error);
    std::filesystem::path journal;
    if (error || CheckJournal(target, journal) != JournalState::Interrupted)
        return;
    QMessageBox box(QMessageBox::Question, Texts::InterruptedTitle,
                    Texts::Interrupted.arg(PathText(target.filename().string())), QMessageBox::Yes | QMessageBox::No,
                    m_window);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() == QMessageBox::Yes) {
        if (const FileResult result = CompleteJournal(target, journal); !result)
            ShowFileError(Texts::WriteFailed, path, result.message);
        return;
    }
    QMessageBox kept(QMessageBox::Information, Texts::InterruptedTitle, Texts::JournalKept.arg(PathText(journal.string())),
                     QMessageBox::Ok, m_window);
    kept.exec();
}

namespace {
// A path from the command line or a drop is relative to the folder the
// editor started in: the table's name must say where it lies.
QString AbsolutePath(const QString& path)
{
    if (path.isEmpty())
        return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(PathBytes(path), error);
    return error ? path : PathText(absolute.lexically_normal().string());
}
} // namespace

bool FileCommands::ConfirmTableFile(const QString& path)
{
    const std::filesystem::path file = PathBytes(path);
    if (!LooksBinary(file))
        return true;
    QMessageBox box(QMessageBox::Question, Texts::NotATableTitle, Texts::NotATable.arg(PathText(file.filename().string())),
                    QMessageBox::Yes | QMessageBox::No, m_window);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool FileCommands::OpenFile(const QString& path)
{
    const QString absolute = AbsolutePath(path);
    return ConfirmTableFile(absolute) && Read(absolute);
}

bool FileCommands::Read(const QString& path)
{
    // A save of this file cut short by a crash can be completed first.
    OfferInterruptedSave(path);
    // The reader replaces the table only when the whole file was taken (or
    // empties it when the memory ran out after the old table went).
    const std::string before = m_document.FileName;
    const FileResult result = LoadTable(m_document, PathBytes(path));
    if (!result) {
        if (m_document.FileName != before)
            m_notifier.TableReplaced();
        ShowFileError(Texts::ReadFailed, path, result.message);
        return false;
    }
    m_notifier.TableReplaced();
    return true;
}

bool FileCommands::CanOpenDropped(const QMimeData* data)
{
    return !DroppedFile(data).isEmpty();
}

void FileCommands::OpenDropped(const QMimeData* data)
{
    const QString path = AbsolutePath(DroppedFile(data));
    if (path.isEmpty())
        return;
    // The save prompt must not run inside the drop: the program the file
    // came from waits for the drop to end.
    QTimer::singleShot(0, this, [this, path] {
        if (ConfirmTableFile(path) && ConfirmDiscard())
            Read(path);
    });
}

bool FileCommands::ConfirmOverwrite(const std::string& path)
{
    // Only the file this table came from, or was last saved to, is checked.
    const std::optional<FileStamp>& known = m_document.DiskStamp;
    const std::optional<FileStamp> now = StampOf(path);
    if (!known || !now || *now == *known)
        return true;
    const bool sameFile = path == m_document.FileName || (now->Device == known->Device && now->Inode == known->Inode);
    if (!sameFile)
        return true;
    QMessageBox box(QMessageBox::Question, Texts::ChangedOnDiskTitle, Texts::ChangedOnDisk.arg(PathText(path)),
                    QMessageBox::Yes | QMessageBox::No, m_window);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool FileCommands::Write(const std::string& path)
{
    if (!ConfirmOverwrite(path))
        return false;
    const std::string oldName = m_document.FileName;
    bool followedFile = false;
    const FileResult result = SaveTable(m_document, path, followedFile);
    if (!result) {
        ShowFileError(Texts::WriteFailed, PathText(path), result.message);
        return false;
    }
    if (followedFile) {
        m_notifier.FollowedFile();
        emit this->followedFile();
    }
    m_notifier.Saved();
    if (m_document.FileName != oldName)
        m_notifier.FileNameChanged();
    emit saved();
    return true;
}

void FileCommands::Save()
{
    if (m_document.IsUntitled()) {
        SaveAs();
        return;
    }
    // An unchanged table is not written again.
    if (m_document.Modified)
        Write(m_document.FileName);
}

bool FileCommands::SaveAs()
{
    const QString path = ChooseFile(DialogPurpose::Save);
    return !path.isEmpty() && Write(PathBytes(path));
}

} // namespace zelvane
