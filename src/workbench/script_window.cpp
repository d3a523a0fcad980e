// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/script_window.h"

#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "document/code_pages.h"
#include "document/table_document.h"
#include "document/table_writer.h"
#include "script/insert.h"
#include "script/strict_table.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>

namespace zelvane {

namespace {
namespace Texts {
const auto Title = QStringLiteral("Script");
const auto Open = QStringLiteral("&Apri file...");
const auto NoFile = QStringLiteral("Nessun file aperto");
const auto CannotOpen = QStringLiteral("Impossibile aprire %1: %2");
const auto Block = QStringLiteral("Blocco:");
const auto BlockHint = QStringLiteral("pointers=0x8200,count=100,bits=24,map=LOROM00,header=0x200  oppure  text=0x1000-0x1FFF");
const auto Read = QStringLiteral("&Leggi");
const auto Save = QStringLiteral("&Salva script...");
const auto Insert = QStringLiteral("&Inserisci...");
const auto Import = QStringLiteral("&Importa script...");
const auto Export = QStringLiteral("Esporta &tabella per inseritori...");
const auto Strings = QStringLiteral("Stringhe");
const auto CoverageTab = QStringLiteral("Copertura");
const QStringList Columns{QStringLiteral("Indirizzo"), QStringLiteral("Puntatori"), QStringLiteral("Byte"), QStringLiteral("Testo"),
                          QStringLiteral("Traduzione"), QStringLiteral("Spazio")};
const auto BadBlock = QStringLiteral("Blocco non valido: %1");
QString ReadDone(std::size_t strings, std::size_t regions)
{
    return (strings == 1 ? QStringLiteral("1 stringa") : QStringLiteral("%1 stringhe").arg(strings))
           + (regions == 1 ? QStringLiteral(" in 1 regione.") : QStringLiteral(" in %1 regioni.").arg(regions));
}
const auto Problems = QStringLiteral("Il blocco non si legge tutto:\n%1");
const auto TableUnsaved = QStringLiteral("Lo script nomina la tabella con #ADDTBL: va salvata prima, così il file è la tabella usata. Salvarla ora?");
const auto TableUnreadable = QStringLiteral("Impossibile leggere la tabella %1: %2");
const auto Room = QStringLiteral("%1 byte, restano %2");
const auto Unwritable = QStringLiteral("«%1» non si scrive (colonna %2)");
const auto SaveTitle = QStringLiteral("Salva script");
const auto ImportTitle = QStringLiteral("Importa script");
const auto InsertTitle = QStringLiteral("Nuovo file del gioco");
const auto PatchTitle = QStringLiteral("Patch (.ips o .bps; Annulla: nessuna)");
const auto ExportTitle = QStringLiteral("Tabella per inseritori");
const auto Saved = QStringLiteral("Script salvato in %1.");
const auto Imported = QStringLiteral("%1 traduzioni importate da %2.");
const auto ImportMismatch = QStringLiteral("Lo script ha %1 gruppi di testo, la lista %2 stringhe: importati i primi.");
const auto NotInserted = QStringLiteral("Niente è stato scritto:\n%1");
const auto Inserted = QStringLiteral("Scritto %1.\n%2");
const auto Exported = QStringLiteral("Tabella per inseritori scritta in %1: Salva script la nominerà.");
const auto WriteFailed = QStringLiteral("Impossibile scrivere %1: %2");
const auto CoverageLine = QStringLiteral("%1: %2");
const auto UnknownLine = QStringLiteral("%1 non coperto, la prima volta a 0x%2");
const auto UnusedLine = QStringLiteral("%1=%2 mai usato");
} // namespace Texts

enum Column { Address, Pointers, Bytes, Text, Translation, Space };

QString Joined(const std::vector<std::string>& lines, TextEncoding encoding)
{
    QStringList shown;
    for (const std::string& line : lines)
        shown << ToDisplay(line, encoding);
    return shown.join(u'\n');
}

bool WriteBytes(const QString& path, std::string_view bytes, QString& reason)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

std::string ReadBytes(const QString& path, bool& ok)
{
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    return ok ? file.readAll().toStdString() : std::string();
}

} // namespace

ScriptWindow::ScriptWindow(TableNotifier& notifier, SaveTable save, ShowAddress show, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_notifier(notifier)
    , m_save(std::move(save))
    , m_show(std::move(show))
{
    setObjectName(QStringLiteral("frmScript"));
    setWindowTitle(Texts::Title);
    resize(900, 560);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* open = new QPushButton(Texts::Open, this);
    open->setObjectName(QStringLiteral("cmdScriptOpen"));
    m_name = new QLabel(Texts::NoFile, this);
    top->addWidget(open);
    top->addWidget(m_name, 1);
    layout->addLayout(top);
    auto* blockRow = new QHBoxLayout;
    m_block = new QLineEdit(this);
    m_block->setObjectName(QStringLiteral("txtScriptBlock"));
    m_block->setPlaceholderText(Texts::BlockHint);
    auto* read = new QPushButton(Texts::Read, this);
    read->setObjectName(QStringLiteral("cmdScriptRead"));
    blockRow->addWidget(new QLabel(Texts::Block, this));
    blockRow->addWidget(m_block, 1);
    blockRow->addWidget(read);
    layout->addLayout(blockRow);
    m_tabs = new QTabWidget(this);
    m_rows = new QTableWidget(0, static_cast<int>(Texts::Columns.size()), this);
    m_rows->setObjectName(QStringLiteral("tblScript"));
    m_rows->setHorizontalHeaderLabels(Texts::Columns);
    m_rows->verticalHeader()->setVisible(false);
    m_rows->horizontalHeader()->setSectionResizeMode(Column::Text, QHeaderView::Stretch);
    m_rows->horizontalHeader()->setSectionResizeMode(Column::Translation, QHeaderView::Stretch);
    m_rows->horizontalHeader()->setSectionResizeMode(Column::Space, QHeaderView::ResizeToContents);
    m_rows->setWordWrap(true);
    m_tabs->addTab(m_rows, Texts::Strings);
    m_coverage = new QListWidget(this);
    m_coverage->setObjectName(QStringLiteral("lstScriptCoverage"));
    m_tabs->addTab(m_coverage, Texts::CoverageTab);
    layout->addWidget(m_tabs, 1);
    auto* buttons = new QHBoxLayout;
    const std::pair<const char*, QString> named[] = {{"cmdScriptSave", Texts::Save},
                                                     {"cmdScriptImport", Texts::Import},
                                                     {"cmdScriptInsert", Texts::Insert},
                                                     {"cmdScriptExportTable", Texts::Export}};
    std::vector<QPushButton*> made;
    for (const auto& [name, text] : named) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QLatin1String(name));
        buttons->addWidget(button);
        made.push_back(button);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblScriptStatus"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    connect(open, &QPushButton::clicked, this, [this] {
        if (const QString path = ChooseGameFile(this); !path.isEmpty())
            OpenFile(path);
    });
    connect(read, &QPushButton::clicked, this, &ScriptWindow::cmdScriptRead_Click);
    connect(m_block, &QLineEdit::returnPressed, this, &ScriptWindow::cmdScriptRead_Click);
    connect(made[0], &QPushButton::clicked, this, &ScriptWindow::cmdScriptSave_Click);
    connect(made[1], &QPushButton::clicked, this, &ScriptWindow::cmdScriptImport_Click);
    connect(made[2], &QPushButton::clicked, this, &ScriptWindow::cmdScriptInsert_Click);
    connect(made[3], &QPushButton::clicked, this, &ScriptWindow::cmdScriptExportTable_Click);
    connect(m_rows, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_filling && item->column() == Column::Translation)
            ShowRoom();
    });
    connect(m_rows, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (column != Column::Translation && row >= 0 && static_cast<std::size_t>(row) < m_plan.Rows.size() && m_show)
            m_show(m_file.Name(), m_plan.Rows[static_cast<std::size_t>(row)].Start);
    });
    // The strings read as the table now says.
    connect(&m_notifier, &TableNotifier::valuesChanged, this, [this] {
        // Once for a run of edits (a fill, an undo of many steps), and only
        // with a block listed.
        if (!m_read || m_followPending)
            return;
        m_followPending = true;
        QTimer::singleShot(0, this, [this] {
            m_followPending = false;
            FollowTable();
        });
    });
    connect(m_coverage, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (item->data(Qt::UserRole).isValid() && m_show)
            m_show(m_file.Name(), item->data(Qt::UserRole).toULongLong());
    });
}

void ScriptWindow::Say(const QString& text)
{
    m_status->setText(text);
}

void ScriptWindow::OpenFile(const QString& path)
{
    QString reason;
    if (!m_file.Open(path, reason)) {
        Say(Texts::CannotOpen.arg(path, reason));
        return;
    }
    m_name->setText(path);
    setWindowTitle(Texts::Title + QStringLiteral(" - ") + path);
}

void ScriptWindow::OfferBlock(const QString& path, const QString& block)
{
    if (m_file.Name() != path)
        OpenFile(path);
    m_block->setText(block);
    cmdScriptRead_Click();
}

std::optional<ScriptTable> ScriptWindow::ReadTable(QString& path)
{
    TableDocument& document = m_notifier.document();
    if (document.IsUntitled() || document.Modified) {
        QMessageBox box(QMessageBox::Question, Texts::Title, Texts::TableUnsaved, QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::Yes);
        if (box.exec() != QMessageBox::Yes || !m_save || !m_save())
            return std::nullopt;
    }
    path = PathText(document.FileName);
    bool ok = false;
    const std::string bytes = ReadBytes(path, ok);
    std::string error = ok ? std::string() : std::string("impossibile leggerla");
    std::optional<ScriptTable> table = ok ? ScriptTable::Read(bytes, error) : std::nullopt;
    if (!table)
        Say(Texts::TableUnreadable.arg(path, QString::fromStdString(error)));
    return table;
}

void ScriptWindow::cmdScriptRead_Click()
{
    if (m_file.Bytes().empty()) {
        Say(Texts::NoFile);
        return;
    }
    std::string error;
    const std::optional<Block> block = ParseBlock(m_block->text().trimmed().toStdString(), error);
    if (!block) {
        Say(Texts::BadBlock.arg(QString::fromStdString(error)));
        return;
    }
    m_read = block;
    FollowTable();
    QStringList problems;
    for (const std::string& problem : m_blocks.front().Errors)
        problems << QString::fromStdString(problem);
    Say(problems.isEmpty() ? Texts::ReadDone(m_plan.Rows.size(), m_plan.Regions.size())
                           : Texts::Problems.arg(problems.join(u'\n')));
}

void ScriptWindow::FollowTable()
{
    if (!m_read)
        return;
    // The table as it now is, saved or not: what the list shows.
    std::string bytes;
    std::string error;
    if (!FormatTable(m_notifier.document(), bytes))
        return;
    if (std::optional<ScriptTable> table = ScriptTable::Read(bytes, error))
        Use(std::move(*table));
}

void ScriptWindow::Use(ScriptTable table)
{
    if (!m_read || m_file.Bytes().empty())
        return;
    m_table = std::move(table);
    m_blocks = {ReadBlock(m_file.Bytes(), *m_table, *m_read)};
    m_plan = PlanScript(m_file.Bytes(), *m_table, m_blocks);
    ShowRows();
}

bool ScriptWindow::UseTableFile()
{
    if (!m_read)
        return false;
    QString path;
    std::optional<ScriptTable> table = ReadTable(path);
    if (!table)
        return false;
    m_tablePath = path;
    Use(std::move(*table));
    return true;
}

void ScriptWindow::ShowRows()
{
    // The translations typed stay with their strings when the list is
    // laid again for the same block.
    QStringList typed;
    for (int row = 0; row < m_rows->rowCount(); ++row)
        typed << (m_rows->item(row, Column::Translation) ? m_rows->item(row, Column::Translation)->text() : QString());
    if (typed.size() != static_cast<qsizetype>(m_plan.Rows.size()))
        typed.clear();
    m_filling = true;
    const TextEncoding encoding = m_table->Encoding();
    m_rows->setRowCount(static_cast<int>(m_plan.Rows.size()));
    for (std::size_t r = 0; r < m_plan.Rows.size(); ++r) {
        const ScriptRow& row = m_plan.Rows[r];
        QStringList pointers;
        for (const auto& [block, slot] : row.Pointers)
            pointers << QStringLiteral("0x%1").arg(slot, 0, 16).toUpper().replace(QStringLiteral("0X"), QStringLiteral("0x"));
        const auto fixed = [](const QString& text) {
            auto* item = new QTableWidgetItem(text);
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            return item;
        };
        const auto at = static_cast<int>(r);
        m_rows->setItem(at, Column::Address, fixed(HexNumber(row.Start)));
        m_rows->setItem(at, Column::Pointers, fixed(pointers.join(QStringLiteral(", "))));
        m_rows->setItem(at, Column::Bytes, fixed(QString::number(row.End - row.Start)));
        m_rows->setItem(at, Column::Text, fixed(Joined(row.Lines, encoding)));
        m_rows->setItem(at, Column::Translation, new QTableWidgetItem(typed.value(at)));
        m_rows->setItem(at, Column::Space, fixed(QString()));
    }
    m_rows->resizeRowsToContents();
    // Coverage: what the block's strings are made of.
    m_coverage->clear();
    const Coverage coverage = MeasureCoverage(m_file.Bytes(), *m_table, JoinTexts(m_blocks));
    for (const auto& [name, count] : {std::pair{"bytes", coverage.Bytes}, std::pair{"text", coverage.Text},
                                      std::pair{"control", coverage.Control}, std::pair{"unknown", coverage.Unknown}})
        m_coverage->addItem(Texts::CoverageLine.arg(QLatin1String(name)).arg(count));
    for (const auto& [byte, first] : coverage.UnknownFirst) {
        auto* item = new QListWidgetItem(Texts::UnknownLine.arg(QString::fromStdString(HexText(std::string(1, static_cast<char>(byte)))))
                                             .arg(first, 0, 16));
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<qulonglong>(first)));
        m_coverage->addItem(item);
    }
    for (const auto& [code, count] : coverage.Counts)
        m_coverage->addItem(Texts::CoverageLine.arg(QString::fromStdString(HexText(code))).arg(count));
    for (const ScriptCode* code : coverage.Unused)
        m_coverage->addItem(Texts::UnusedLine.arg(QString::fromStdString(HexText(code->Bytes)), ToDisplay(code->Text, encoding)));
    m_filling = false;
    ShowRoom();
}

std::vector<std::vector<std::string>> ScriptWindow::Translations() const
{
    std::vector<std::vector<std::string>> translated(m_plan.Rows.size());
    if (!m_table)
        return translated;
    for (std::size_t r = 0; r < m_plan.Rows.size(); ++r) {
        const QTableWidgetItem* item = m_rows->item(static_cast<int>(r), Column::Translation);
        if (!item || item->text().isEmpty())
            continue;
        for (const QString& line : item->text().split(u'\n'))
            translated[r].push_back(FromDisplay(line, m_table->Encoding()).value_or(std::string()));
    }
    return translated;
}

void ScriptWindow::ShowRoom()
{
    if (!m_table)
        return;
    m_filling = true;
    const std::vector<std::vector<std::string>> translated = Translations();
    // Each region's room less what its strings take now.
    std::vector<std::int64_t> left(m_plan.Regions.size());
    for (std::size_t g = 0; g < m_plan.Regions.size(); ++g)
        left[g] = static_cast<std::int64_t>(m_plan.Regions[g].End - m_plan.Regions[g].Start);
    std::vector<std::int64_t> bytes(m_plan.Rows.size());
    std::vector<QString> problems(m_plan.Rows.size());
    for (std::size_t r = 0; r < m_plan.Rows.size(); ++r) {
        const ScriptRow& row = m_plan.Rows[r];
        bytes[r] = static_cast<std::int64_t>(row.End - row.Start);
        if (!translated[r].empty()) {
            bytes[r] = 0;
            const QStringList shown = m_rows->item(static_cast<int>(r), Column::Translation)->text().split(u'\n');
            for (std::size_t l = 0; l < translated[r].size(); ++l) {
                const ScriptTable::Encoded encoded = m_table->Encode(translated[r][l]);
                if (encoded.BadColumn && problems[r].isEmpty())
                    problems[r] = Texts::Unwritable.arg(shown.value(static_cast<qsizetype>(l)).mid(static_cast<qsizetype>(*encoded.BadColumn) - 1, 1))
                                      .arg(*encoded.BadColumn);
                bytes[r] += static_cast<std::int64_t>(encoded.Bytes.size());
            }
        }
        left[row.Region] -= bytes[r];
    }
    for (std::size_t r = 0; r < m_plan.Rows.size(); ++r) {
        QTableWidgetItem* room = m_rows->item(static_cast<int>(r), Column::Space);
        const std::int64_t remaining = left[m_plan.Rows[r].Region];
        room->setText(problems[r].isEmpty() ? Texts::Room.arg(bytes[r]).arg(remaining) : problems[r]);
        const bool over = remaining < 0 || !problems[r].isEmpty();
        room->setBackground(over ? QColor(255, 180, 180) : QColor(Qt::transparent));
        room->setForeground(over ? QColor(160, 0, 0) : palette().color(QPalette::Text));
    }
    m_filling = false;
}

std::string ScriptWindow::Script(const std::string& tablePath) const
{
    return WriteScript(m_file.Bytes(), *m_table, m_blocks, tablePath, Translations());
}

void ScriptWindow::cmdScriptSave_Click()
{
    // The script names the table's file: the strings are read through it.
    if (!UseTableFile())
        return;
    const QString path = QFileDialog::getSaveFileName(this, Texts::SaveTitle, QFileInfo(m_file.Name()).completeBaseName() + QStringLiteral(".txt"));
    if (path.isEmpty())
        return;
    const QString named = m_exported.isEmpty() ? m_tablePath : m_exported;
    const QString relative = QFileInfo(path).absoluteDir().relativeFilePath(named);
    QString reason;
    if (!WriteBytes(path, Script(PathBytes(relative)), reason)) {
        Say(Texts::WriteFailed.arg(path, reason));
        return;
    }
    Say(Texts::Saved.arg(path));
}

void ScriptWindow::cmdScriptImport_Click()
{
    if (!m_table || m_plan.Rows.empty())
        return;
    const QString path = QFileDialog::getOpenFileName(this, Texts::ImportTitle);
    if (path.isEmpty())
        return;
    bool ok = false;
    const std::string script = ReadBytes(path, ok);
    if (!ok)
        return;
    // The script's groups of text lines, in order, one a string.
    std::vector<std::vector<std::string>> groups;
    bool inText = false;
    std::string_view rest = script;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string line(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t first = line.find_first_not_of(' ');
        const bool command = first != std::string::npos && line[first] == '#';
        const bool nothing = first == std::string::npos || line.compare(first, 2, "//") == 0;
        if (command) {
            inText = false;
            continue;
        }
        if (nothing)
            continue;
        if (!inText)
            groups.emplace_back();
        inText = true;
        groups.back().push_back(line);
    }
    m_filling = true;
    int imported = 0;
    for (std::size_t r = 0; r < m_plan.Rows.size() && r < groups.size(); ++r) {
        if (groups[r] == m_plan.Rows[r].Lines)
            continue;
        m_rows->item(static_cast<int>(r), Column::Translation)->setText(Joined(groups[r], m_table->Encoding()));
        ++imported;
    }
    m_filling = false;
    m_rows->resizeRowsToContents();
    ShowRoom();
    QString status = Texts::Imported.arg(imported).arg(path);
    if (groups.size() != m_plan.Rows.size())
        status += u' ' + Texts::ImportMismatch.arg(groups.size()).arg(m_plan.Rows.size());
    Say(status);
}

void ScriptWindow::cmdScriptInsert_Click()
{
    if (!UseTableFile())
        return;
    const QString output = QFileDialog::getSaveFileName(this, Texts::InsertTitle);
    if (output.isEmpty())
        return;
    // Read beside the table, which the script names by its file name.
    const std::filesystem::path table = PathBytes(m_tablePath);
    const std::string script = Script(table.filename().string());
    const std::string_view rom = m_file.Bytes();
    const InsertResult result = InsertScript(rom, script, table.parent_path() / "script.txt");
    if (!result.Errors.empty() || QFileInfo(output) == QFileInfo(m_file.Name())) {
        QStringList errors;
        for (const std::string& error : result.Errors)
            errors << QString::fromStdString(error);
        if (errors.isEmpty())
            errors << QStringLiteral("il file scelto è il gioco di partenza");
        QMessageBox box(QMessageBox::Warning, Texts::Title, Texts::NotInserted.arg(errors.join(u'\n')), QMessageBox::Ok, this);
        box.exec();
        return;
    }
    QString patch = QFileDialog::getSaveFileName(this, Texts::PatchTitle, QFileInfo(output).completeBaseName() + QStringLiteral(".bps"));
    std::string patchBytes, error;
    if (!patch.isEmpty()) {
        if (patch.endsWith(QStringLiteral(".ips"), Qt::CaseInsensitive)) {
            if (!MakeIps(rom, result.Rom, patchBytes, error)) {
                Say(Texts::NotInserted.arg(QString::fromStdString(error)));
                return;
            }
        } else {
            patchBytes = MakeBps(rom, result.Rom);
        }
    }
    QString reason;
    if (!WriteBytes(output, result.Rom, reason) || (!patch.isEmpty() && !WriteBytes(patch, patchBytes, reason))) {
        Say(Texts::WriteFailed.arg(output, reason));
        return;
    }
    QStringList report;
    for (const std::string& line : result.Report)
        report << QString::fromStdString(line);
    Say(Texts::Inserted.arg(patch.isEmpty() ? output : output + QStringLiteral(", ") + patch, report.join(u'\n')));
}

void ScriptWindow::cmdScriptExportTable_Click()
{
    QString path;
    if (!ReadTable(path))
        return;
    const QString target = QFileDialog::getSaveFileName(this, Texts::ExportTitle, QFileInfo(path).completeBaseName() + QStringLiteral("-inseritori.tbl"));
    if (target.isEmpty())
        return;
    bool ok = false;
    const std::string bytes = ReadBytes(path, ok);
    QString reason;
    if (!ok || !WriteBytes(target, StrictTable(bytes), reason)) {
        Say(Texts::WriteFailed.arg(target, reason));
        return;
    }
    m_exported = target;
    Say(Texts::Exported.arg(target));
}

} // namespace zelvane
