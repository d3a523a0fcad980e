#include "dialogs/extra_lines_manager.h"

#include "dialogs/dialog_parts.h"
#include "document/table_document.h"
#include "document/table_line.h"
#include "editor/eight_bit_text.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace zelvane {

namespace {
namespace Texts {
const auto Title = QStringLiteral("Gestione Linee Extra");
const auto Frame = QStringLiteral("Lista Linee Extra");
const auto Update = QStringLiteral("A&ggiorna");
const auto Add = QStringLiteral("&Aggiungi");
const auto Delete = QStringLiteral("&Cancella");
const auto Close = QStringLiteral("&Chiudi");
const auto Unreadable = QStringLiteral("Questa linea non si potrebbe rileggere dal file: %1.\r\nCorreggila e riprova.");
} // namespace Texts
} // namespace

ExtraLinesManager::ExtraLinesManager(TableDocument& document, QWidget* parent)
    : QWidget(parent)
    , m_document(document)
{
    SetUpToolWindow(this, "frmExtra", Texts::Title, QSize(296, 175));
    MakeFrame(this, Texts::Frame);
    m_list = MakeList(this, "lstExtra");
    m_line = MakeTextBox(this, "txtLine", QRect(16, 112, 265, 19));
    m_update = MakeButton(this, "cmdUpdate", Texts::Update, 8);
    m_add = MakeButton(this, "cmdAdd", Texts::Add, 80);
    m_delete = MakeButton(this, "cmdDel", Texts::Delete, 152);
    QPushButton* close = MakeButton(this, "cmdOk", Texts::Close, 224);

    SetTabChain({m_list, m_line, m_update, m_add, m_delete, close});
    m_list->setFocus();

    connect(m_list, &QListWidget::itemSelectionChanged, this, &ExtraLinesManager::lstExtra_Click);
    connect(m_line, &QLineEdit::textChanged, this, &ExtraLinesManager::txtLine_Change);
    connect(m_add, &QPushButton::clicked, this, &ExtraLinesManager::cmdAdd_Click);
    connect(m_update, &QPushButton::clicked, this, &ExtraLinesManager::cmdUpdate_Click);
    connect(m_delete, &QPushButton::clicked, this, &ExtraLinesManager::cmdDel_Click);
    connect(close, &QPushButton::clicked, this, &ExtraLinesManager::cmdOk_Click);

    Refill();
}

void ExtraLinesManager::Refill()
{
    {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        for (const ExtraLine& line : m_document.ExtraLines) {
            if (!line.empty())
                m_list->addItem(ToDisplay(line));
        }
    }
    m_line->clear();
    m_add->setEnabled(false);
    RefreshButtons();
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

void ExtraLinesManager::SetModified()
{
    m_document.Modified = true;
    emit documentModified();
}

std::string ExtraLinesManager::LineAt(int row) const
{
    return FromDisplay(m_list->item(row)->text()).value_or(std::string());
}

bool ExtraLinesManager::Acceptable(const std::string& line, int replacedRow)
{
    // The table's bookmarks and the list's bookmark-shaped lines take
    // their slots first.
    std::size_t bookmarks = m_document.BookmarkCount();
    for (int row = 0; row < m_list->count(); ++row) {
        if (row != replacedRow && IsBookmarkLine(LineAt(row)))
            ++bookmarks;
    }
    const std::string problem = ExtraLineProblem(line, bookmarks);
    if (problem.empty())
        return true;
    ShowRefusal(this, Texts::Unreadable.arg(QString::fromStdString(problem)));
    // The text stays in the box, ready to be corrected.
    activateWindow();
    m_line->setFocus();
    return false;
}

void ExtraLinesManager::cmdAdd_Click()
{
    if (const std::string line = FromDisplay(m_line->text()).value_or(std::string()); !line.empty()) {
        if (!Acceptable(line, -1))
            return;
        const QSignalBlocker blocker(m_list);
        m_list->addItem(m_line->text());
        m_list->scrollToBottom();
        SetModified();
    }
    RefreshButtons();
}

void ExtraLinesManager::cmdUpdate_Click()
{
    const int row = SelectedRow(m_list);
    if (row < 0 || !Acceptable(FromDisplay(m_line->text()).value_or(std::string()), row))
        return;
    m_list->item(row)->setText(m_line->text());
    SetModified();
}

void ExtraLinesManager::cmdDel_Click()
{
    const int row = SelectedRow(m_list);
    if (row < 0)
        return;
    MoveLastIntoRow(m_list, row);
    m_line->clear();
    SetModified();
    if (m_list->count() == 0)
        RefreshButtons();
}

void ExtraLinesManager::WriteBack()
{
    std::vector<ExtraLine> lines;
    lines.reserve(static_cast<std::size_t>(m_list->count()));
    for (int row = 0; row < m_list->count(); ++row) {
        std::string line = LineAt(row);
        if (!line.empty())
            lines.push_back(std::move(line));
    }
    if (lines == m_document.ExtraLines)
        return;
    m_document.ExtraLines = std::move(lines);
    SetModified();
}

void ExtraLinesManager::cmdOk_Click()
{
    WriteBack();
    close();
}

} // namespace zelvane
