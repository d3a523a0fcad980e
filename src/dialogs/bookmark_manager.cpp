// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/bookmark_manager.h"

#include "common/eight_bit_text.h"
#include "common/fonts.h"
#include "common/table_notifier.h"
#include "dialogs/dialog_parts.h"
#include "document/table_change.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace zelvane {

namespace {
namespace Texts {
const auto Title = QStringLiteral("Gestione Bookmarks");
const auto Frame = QStringLiteral("Lista Bookmarks");
const auto AddressFrame = QStringLiteral("(                             h)");
const auto Update = QStringLiteral("A&ggiorna");
const auto Add = QStringLiteral("&Aggiungi");
const auto Delete = QStringLiteral("&Elimina");
const auto Close = QStringLiteral("&Chiudi");
const auto BadAddress =
    QStringLiteral("Si è verificato un errore. Probabilmente l'indirizzo non è\r\nespresso in un formato corretto.");
const auto Full = QStringLiteral("Ci sono già %1 bookmark, il massimo consentito.\r\nEliminane uno prima di aggiungerne un altro.");
const auto Step = QStringLiteral("bookmark");
const auto EmptyTitle = QStringLiteral("Il titolo del bookmark non può essere vuoto.");
} // namespace Texts

// Draws "(" at its left edge and "h)" at its right, just outside the
// address box that lies over its middle, whatever font stands in for the
// one asked for; its text stays the blank-padded original.
class AddressFrameLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QString label = text();
        const qsizetype blanks = label.indexOf(u' ');
        const qsizetype tail = label.lastIndexOf(u' ') + 1;
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, label.left(blanks));
        painter.drawText(rect(), Qt::AlignRight | Qt::AlignVCenter, label.mid(tail));
    }
};
} // namespace

BookmarkManager::BookmarkManager(TableNotifier& notifier, QWidget* parent)
    : QWidget(parent)
    , m_notifier(notifier)
    , m_document(notifier.document())
{
    SetUpToolWindow(this, "frmBook", Texts::Title, QSize(297, 176));
    QGroupBox* frame = MakeFrame(this, Texts::Frame);
    m_list = MakeList(this, "lstBook");

    auto* frameLabel = new AddressFrameLabel(Texts::AddressFrame, this);
    frameLabel->setObjectName(QStringLiteral("Label1"));
    frameLabel->setGeometry(16, 112, 137, 17);
    QFont labelFont = FontWithFallback(QStringLiteral("MS Sans Serif"), 9.75, QFont::SansSerif);
    labelFont.setBold(true);
    frameLabel->setFont(labelFont);

    m_address = MakeTextBox(this, "txtAddr", QRect(24, 112, 113, 19));
    m_title = MakeTextBox(this, "txtTitle", QRect(152, 112, 129, 19));
    // Any character: the table's encoding decides at Add and Update.
    m_title->setValidator(new LineValidator(m_title));
    m_update = MakeButton(this, "cmdUpdate", Texts::Update, 8);
    m_add = MakeButton(this, "cmdAdd", Texts::Add, 80);
    m_delete = MakeButton(this, "cmdDel", Texts::Delete, 152);
    QPushButton* close = MakeButton(this, "cmdOk", Texts::Close, 224);
    GrowWithWindow(this, frame, m_list);

    SetTabChain({m_address, m_title, m_update, m_add, m_delete, close, m_list});
    m_address->setFocus();

    connect(m_list, &QListWidget::itemSelectionChanged, this, &BookmarkManager::lstBook_Click);
    connect(m_address, &QLineEdit::textChanged, this, &BookmarkManager::txtAddr_Change);
    connect(m_title, &QLineEdit::textChanged, this, &BookmarkManager::txtTitle_Change);
    connect(m_add, &QPushButton::clicked, this, &BookmarkManager::cmdAdd_Click);
    connect(m_update, &QPushButton::clicked, this, &BookmarkManager::cmdUpdate_Click);
    connect(m_delete, &QPushButton::clicked, this, &BookmarkManager::cmdDel_Click);
    connect(close, &QPushButton::clicked, this, &BookmarkManager::cmdOk_Click);
    connect(&m_notifier, &TableNotifier::replaced, this, &BookmarkManager::Reset);
    connect(&m_notifier, &TableNotifier::bookmarksChanged, this, &BookmarkManager::Refill);
    connect(&m_notifier, &TableNotifier::encodingChanged, this, &BookmarkManager::Refill);

    Reset();
}

SlotList<Bookmark> BookmarkManager::Slots() const
{
    SlotList<Bookmark> inUse(SlotCount);
    inUse.Assign({m_document.Bookmarks.begin(), m_document.Bookmarks.begin() + m_document.BookmarkCount()});
    return inUse;
}

void BookmarkManager::Refill()
{
    const int row = SelectedRow(m_list);
    QStringList titles;
    const SlotList<Bookmark> inUse = Slots();
    for (const Bookmark& bookmark : inUse.Entries())
        titles << ToDisplay(bookmark.Title, m_document.Encoding);
    ShowEntries(m_list, titles);
    if (row >= 0 && row < m_list->count()) {
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentRow(row);
    }
}

void BookmarkManager::Reset()
{
    ShowEntries(m_list, {});
    Refill();
    m_address->clear();
    m_title->clear();
    const bool any = m_list->count() > 0;
    m_add->setEnabled(false);
    m_update->setEnabled(any);
    m_delete->setEnabled(any);
}

void BookmarkManager::lstBook_Click()
{
    const int row = SelectedRow(m_list);
    if (row < 0)
        return;
    const Bookmark& bookmark = m_document.Bookmarks[static_cast<std::size_t>(row)];
    m_address->setText(QString::fromStdString(AddressText(bookmark.Address)));
    m_title->setText(ToDisplay(bookmark.Title, m_document.Encoding));
}

void BookmarkManager::txtAddr_Change(const QString& text)
{
    BoxChanged(text);
}

void BookmarkManager::txtTitle_Change(const QString& text)
{
    BoxChanged(text);
}

// Looks only at the box whose text just changed.
void BookmarkManager::BoxChanged(const QString& text)
{
    if (text.isEmpty()) {
        m_add->setEnabled(false);
        m_update->setEnabled(false);
        return;
    }
    m_add->setEnabled(true);
    if (m_list->count() > 0)
        m_update->setEnabled(true);
}

bool BookmarkManager::ReadAddress(std::int32_t& address)
{
    // Blanks around the digits are forgiven; anything else must be digits.
    if (!ParseAddress(m_address->text().trimmed().toStdString(), address)) {
        ShowRefusal(this, Texts::BadAddress, m_address);
        return false;
    }
    return true;
}

bool BookmarkManager::ReadTitle(std::string& title)
{
    QString refused;
    const auto bytes = FromDisplay(m_title->text(), m_document.Encoding, &refused);
    if (!bytes) {
        ShowRefusal(this, NotInEncodingText(refused, m_document.Encoding) + u'.', m_title);
        return false;
    }
    if (bytes->empty()) {
        ShowRefusal(this, Texts::EmptyTitle, m_title);
        return false;
    }
    title = *bytes;
    return true;
}

void BookmarkManager::Store(const SlotList<Bookmark>& inUse)
{
    TableChange change;
    change.BookmarksBefore = m_document.Bookmarks;
    change.BookmarksAfter.emplace();
    std::ranges::copy(inUse.Entries(), change.BookmarksAfter->begin());
    if (change.BookmarksBefore != change.BookmarksAfter)
        m_notifier.Make(std::move(change), Texts::Step);
}

void BookmarkManager::cmdAdd_Click()
{
    SlotList<Bookmark> inUse = Slots();
    if (inUse.Full()) {
        ShowRefusal(this, Texts::Full.arg(SlotCount), m_address);
        return;
    }
    std::string title;
    std::int32_t address = 0;
    if (!ReadTitle(title) || !ReadAddress(address))
        return;
    inUse.Add(Bookmark{address, title});
    Store(inUse);
    m_list->scrollToBottom();
    m_update->setEnabled(true);
    m_delete->setEnabled(true);
}

void BookmarkManager::cmdUpdate_Click()
{
    const int row = SelectedRow(m_list);
    if (row < 0)
        return;
    std::string title;
    std::int32_t address = 0;
    if (!ReadTitle(title) || !ReadAddress(address))
        return;
    SlotList<Bookmark> inUse = Slots();
    inUse.Replace(static_cast<std::size_t>(row), Bookmark{address, title});
    Store(inUse);
}

void BookmarkManager::cmdDel_Click()
{
    const int row = SelectedRow(m_list);
    if (row < 0)
        return;
    SlotList<Bookmark> inUse = Slots();
    inUse.Remove(static_cast<std::size_t>(row));
    if (row + 1 == m_list->count()) {
        const QSignalBlocker blocker(m_list);
        m_list->clearSelection();
    }
    Store(inUse);
    if (m_list->count() == 0)
        m_delete->setEnabled(false);
}

void BookmarkManager::cmdOk_Click()
{
    close();
}

} // namespace zelvane
