// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "script/dump.h"
#include "workbench/mapped_file.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTableWidget;

namespace zelvane {

class TableNotifier;

// "Script": a game's strings taken out through a block of pointers (or a
// range of text) and the open table, translated beside the original and
// put back. Leggi lists the strings; Salva script writes the dump in the
// command language inserters read; the translation column is typed into
// or filled by Importa script; each string's bytes stand beside the room
// its region has left, red when over; Inserisci writes a new file and, if
// asked, a patch, and nothing at all when anything does not fit.
class ScriptWindow : public QWidget {
    Q_OBJECT

public:
    // Saves the table (asking where when it has no file); true when the
    // file on disk is the table.
    using SaveTable = std::function<bool()>;
    // Shows an address of the file in the ROM view.
    using ShowAddress = std::function<void(const QString& file, qulonglong address)>;

    ScriptWindow(TableNotifier& notifier, SaveTable save, ShowAddress show, QWidget* parent = nullptr);

public slots:
    void OpenFile(const QString& path);
    // A block offered by the ROM view, as the command line writes it, read at once.
    void OfferBlock(const QString& path, const QString& block);
    void cmdScriptRead_Click();
    void cmdScriptSave_Click();
    void cmdScriptImport_Click();
    void cmdScriptInsert_Click();
    void cmdScriptExportTable_Click();

private:
    // The table's file, saved first when the window must name it; nothing
    // after telling the user why not.
    std::optional<ScriptTable> ReadTable(QString& path);
    // The block read again through the table as it now is.
    void FollowTable();
    void Use(ScriptTable table);
    // The block read through the table's file, for a script that names it;
    // false when there is no block or the table was not saved.
    bool UseTableFile();
    void ShowRows();
    void ShowRoom();
    [[nodiscard]] std::vector<std::vector<std::string>> Translations() const;
    [[nodiscard]] std::string Script(const std::string& tablePath) const;
    void Say(const QString& text);

    TableNotifier& m_notifier;
    SaveTable m_save;
    ShowAddress m_show;
    MappedFile m_file;
    std::optional<Block> m_read; // the block listed
    std::optional<ScriptTable> m_table;
    QString m_tablePath;   // the table's file the script names
    QString m_exported;    // the copy for strict inserters, once written
    std::vector<ReadBlockResult> m_blocks;
    ScriptPlan m_plan;
    bool m_filling = false;
    bool m_followPending = false;

    QLabel* m_name = nullptr;
    QLineEdit* m_block = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTableWidget* m_rows = nullptr;
    QListWidget* m_coverage = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace zelvane
