// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/extra_lines_manager.h"

#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "dialogs/dialog_parts.h"
#include "document/table_change.h"
#include "document/table_line.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <iterator>

namespace zelvane {

namespace {
namespace Texts {
const auto Title = QStringLiteral("Gestione Linee Extra");
const auto Frame = QStringLiteral("Lista Linee Extra");
const auto Update = QStringLiteral("A&ggiorna");
const auto Add = QStringLiteral("&Aggiungi");
const auto Delete = QStringLiteral("&Cancella");
const auto Close = QStringLiteral("&Chiudi");
const auto Step = QStringLiteral("linee extra");
const auto Unreadable = QStringLiteral("Questa linea non si potrebbe rileggere dal file: %1.\r\nCorreggila e riprova.");
} // namespace Texts
} // namespace

ExtraLinesManager::ExtraLinesManager(TableNotifier& notifier, QWidget* parent)
    : QWidget(parent)
    , m_notifier(notifier)
    , m_document(notifier.document())
{
    SetUpToolWindow(this, "frmExtra", Texts::Title, QSize(296, 175));
    QGroupBox* frame = MakeFrame(this, Texts::Frame);
    m_list = MakeList(this, "lstExtra");
    m_line = MakeTextBox(this, "txtLine", QRect(16, 112, 265, 19));
    // Any character: the table's encoding decides at Add and Update.
    m_line->setValidator(new LineValidator(m_line));
    m_update = MakeButton(this, "cmdUpdate", Texts::Update, 8);
    m_add = MakeButton(this, "cmdAdd", Texts::Add, 80);
    m_delete = MakeButton(this, "cmdDel", Texts::Delete, 152);
    QPushButton* close = MakeButton(this, "cmdOk", Texts::Close, 224);
    GrowWithWindow(this, frame, m_list);

    SetTabChain({m_list, m_line, m_update, m_add, m_delete, close});
    m_list->setFocus();

    connect(m_list, &QListWidget::itemSelectionChanged, this, &ExtraLinesManager::lstExtra_Click);
    connect(m_line, &QLineEdit::textChanged, this, &ExtraLinesManager::txtLine_Change);
    connect(m_add, &QPushButton::clicked, this, &ExtraLinesManager::cmdAdd_Click);
    connect(m_update, &QPushButton::clicked, this, &ExtraLinesManager::cmdUpdate_Click);
    connect(m_delete, &QPushButton::clicked, this, &ExtraLinesManager::cmdDel_Click);
    connect(close, &QPushButton::clicked, this, &ExtraLinesManager::cmdOk_Click);
    connect(&m_notifier, &TableNotifier::replaced, this, &ExtraLinesManager::Reset);
    connect(&m_notifier, &TableNotifier::linesChanged, this, &ExtraLinesManager::Refill);
    connect(&m_notifier, &TableNotifier::encodingChanged, this, &ExtraLinesManager::Refill);

    Reset();
}

SlotList<ExtraLine> ExtraLinesManager::Lines() const
{
    // Blank lines are the file's spacing, not entries.
    SlotList<ExtraLine> lines(SlotList<ExtraLine>::Unlimited, SlotList<ExtraLine>::Order::Kept);
    std::vector<ExtraLine> shown;
    std::ranges::copy_if(m_document.ExtraLines, std::back_inserter(shown), [](const ExtraLine& line) { return !line.empty(); });
    lines.Assign(std::move(shown));
    return lines;
}

void ExtraLinesManager::Refill()
{
    const int row = SelectedRow(m_list);
    QStringList texts;
    const SlotList<ExtraLine> lines = Lines();
    for (const ExtraLine& line : lines.Entries())
        texts << ToDisplay(line, m_document.Encoding);
    ShowEntries(m_list, texts);
    if (row >= 0 && row < m_list->count()) {
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentRow(row);
    }
    RefreshButtons();
}

void ExtraLinesManager::Reset()
{
    ShowEntries(m_list, {});
    Refill();
    m_line->clear();
    m_add->setEnabled(false);
}

void ExtraLinesManager::RefreshButtons()
{
    const bool any = m_list->count() > 0;
    m_update->setEnabled(any);
    m_delete->setEnabled(any);
}

void ExtraLinesManager::lstExtra_Click()
{
    const int row = SelectedRow(m_list);
    if (row >= 0)
        m_line->setText(m_list->item(row)->text());
}

void ExtraLinesManager::txtLine_Change(const QString& text)
{
    m_add->setEnabled(!text.isEmpty());
}

bool ExtraLinesManager::Acceptable(const std::string& line, int replacedRow)
{
    // The table's bookmarks and the list's bookmark-shaped lines take
    // their slots first.
    std::size_t bookmarks = m_document.BookmarkCount();
    const SlotList<ExtraLine> lines = Lines();
    for (std::size_t row = 0; row < lines.Size(); ++row) {
        if (static_cast<int>(row) != replacedRow && IsBookmarkLine(lines[row]))
            ++bookmarks;
    }
    const std::string problem = ExtraLineProblem(line, bookmarks);
    if (problem.empty())
        return true;
    // The text stays in the box, ready to be corrected.
    ShowRefusal(this, Texts::Unreadable.arg(QString::fromStdString(problem)), m_line);
    return false;
}

void ExtraLinesManager::cmdAdd_Click()
{
    std::string line;
    if (!TakeLine(line))
        return;
    if (!line.empty()) {
        if (!Acceptable(line, -1))
            return;
        SlotList<ExtraLine> lines = Lines();
        lines.Add(std::move(line));
        Store(lines);
        m_list->scrollToBottom();
    }
    RefreshButtons();
}

void ExtraLinesManager::cmdUpdate_Click()
{
    const int row = SelectedRow(m_list);
    if (row < 0)
        return;
    std::string line;
    if (!TakeLine(line) || !Acceptable(line, row))
        return;
    SlotList<ExtraLine> lines = Lines();
    lines.Replace(static_cast<std::size_t>(row), std::move(line));
    Store(lines);
}

bool ExtraLinesManager::TakeLine(std::string& line)
{
    QString refused;
    const std::optional<std::string> bytes = FromDisplay(m_line->text(), m_document.Encoding, &refused);
    if (!bytes) {
        ShowRefusal(this, NotInEncodingText(refused, m_document.Encoding) + u'.', m_line);
        return false;
    }
    line = *bytes;
    return true;
}

void ExtraLinesManager::cmdDel_Click()
{
    const int row = SelectedRow(m_list);
    if (row < 0)
        return;
    SlotList<ExtraLine> lines = Lines();
    lines.Remove(static_cast<std::size_t>(row));
    {
        const QSignalBlocker blocker(m_list);
        m_list->clearSelection();
    }
    Store(lines);
    m_line->clear();
}

void ExtraLinesManager::Store(const SlotList<ExtraLine>& lines)
{
    // A line emptied by Aggiorna goes.
    std::vector<ExtraLine> kept;
    std::ranges::copy_if(lines.Entries(), std::back_inserter(kept), [](const ExtraLine& line) { return !line.empty(); });
    if (kept == m_document.ExtraLines)
        return;
    TableChange change;
    change.Lines.push_back(ReplaceLines(m_document.ExtraLines, std::move(kept)));
    m_notifier.Commit(std::move(change), Texts::Step);
}

void ExtraLinesManager::cmdOk_Click()
{
    close();
}

} // namespace zelvane
