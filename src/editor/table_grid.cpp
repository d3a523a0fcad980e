// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/table_grid.h"

#include "common/eight_bit_text.h"
#include "common/fonts.h"
#include "editor/cell_delegate.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>

namespace zelvane {

namespace {
constexpr int RowHeight = 23;
}

TableGrid::TableGrid(int width, QWidget* parent)
    : QTableView(parent)
{
    setObjectName(QStringLiteral("TableGrid"));
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    setTabKeyNavigation(false);
    // Kanji come from input methods.
    setAttribute(Qt::WA_InputMethodEnabled);
    setItemDelegate(new CellDelegate(this));
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setFont(ComicFont(11.25));
    // Grey below and beside the cells; the cells paint their own white.
    const QColor windowColour = palette().color(QPalette::Window);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor(128, 128, 128));
    colours.setColor(QPalette::Window, QColor(128, 128, 128)); // the frame's shade follows it
    setPalette(colours);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    QHeaderView* columns = horizontalHeader();
    QHeaderView* rows = verticalHeader();
    // The headers and the corner between them keep the window's colour.
    for (QWidget* part : std::initializer_list<QWidget*>{columns, rows, findChild<QAbstractButton*>()}) {
        QPalette partColours = part->palette();
        partColours.setColor(QPalette::Window, windowColour);
        part->setPalette(partColours);
    }
    for (QHeaderView* header : {columns, rows}) {
        header->setFont(font());
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
        header->setMinimumSectionSize(1);
    }
    // Widths follow the labels the grid is laid out with: a padded digit
    // for each code column, "F" and three blanks for the row labels.
    const QFontMetrics metrics(font());
    const int padding = 6;
    int columnWidth = metrics.horizontalAdvance(QStringLiteral("  0  ")) + padding;
    const int rowLabelWidth = metrics.horizontalAdvance(QStringLiteral("F   ")) + padding;
    const int available = width - 2 * frameWidth();
    if (rowLabelWidth + 16 * columnWidth > available)
        columnWidth = (available - rowLabelWidth) / 16;
    columns->setDefaultSectionSize(columnWidth);
    m_columnWidth = columnWidth;
    columns->setFixedHeight(RowHeight);
    rows->setDefaultSectionSize(RowHeight);
    rows->setFixedWidth(rowLabelWidth);
    rows->setDefaultAlignment(Qt::AlignCenter);

    // The corner names the page and lists the others when clicked; in a
    // grid of single selection it selects nothing.
    auto* corner = findChild<QAbstractButton*>();
    m_corner = new QLabel(corner);
    m_corner->setObjectName(QStringLiteral("lblPage"));
    m_corner->setAlignment(Qt::AlignCenter);
    m_corner->setFont(ComicFont(8.25));
    m_corner->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_corner->resize(rowLabelWidth, RowHeight);
    connect(corner, &QAbstractButton::clicked, this, &TableGrid::cornerClicked);
}

void TableGrid::SetCornerText(const QString& text)
{
    m_corner->setText(text);
    m_corner->resize(m_corner->parentWidget()->size());
}

int TableGrid::DefaultRowHeight() const
{
    return RowHeight;
}

int TableGrid::WidthFor(int columnWidth) const
{
    return verticalHeader()->width() + 16 * columnWidth + 2 * frameWidth();
}

void TableGrid::ShowGlyphs(std::function<QImage(std::uint8_t)> glyph, int columnWidth, int rowHeight)
{
    const bool shown = static_cast<bool>(glyph);
    static_cast<CellDelegate*>(itemDelegate())->SetGlyphs(std::move(glyph));
    horizontalHeader()->setDefaultSectionSize(shown ? columnWidth : m_columnWidth);
    verticalHeader()->setDefaultSectionSize(shown ? rowHeight : RowHeight);
    viewport()->update();
}

void TableGrid::SetCornerToolTip(const QString& text)
{
    if (auto* corner = findChild<QAbstractButton*>())
        corner->setToolTip(text);
}

void TableGrid::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        emit textCommitted(event->commitString());
    event->accept();
}

QVariant TableGrid::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled)
        return true;
    if (query == Qt::ImCursorRectangle)
        return visualRect(currentIndex());
    return QTableView::inputMethodQuery(query);
}

void TableGrid::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // A move reports itself through the current cell.
        QTableView::keyPressEvent(event);
        return;
    case Qt::Key_Backspace:
        emit backspacePressed();
        return;
    default:
        break;
    }

    // Ctrl and Alt combinations belong to the menus; they never type.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier);
    const QString text = event->text();
    if (modifiers != Qt::NoModifier || text.isEmpty() || event->key() == Qt::Key_Delete) {
        event->ignore();
        return;
    }
    bool typed = false;
    for (char32_t c : text.toUcs4()) {
        if (IsTypable(c)) {
            emit characterTyped(c);
            typed = true;
        }
    }
    if (!typed)
        emit keyHandled();
}

} // namespace zelvane
