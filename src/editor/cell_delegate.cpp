// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/cell_delegate.h"

#include "common/blank_marks.h"
#include "editor/table_model.h"

#include <QPainter>

namespace zelvane {

void CellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideNone;
    // A cell shows a dozen characters at most: laying out more costs time
    // and shows nothing.
    constexpr qsizetype PaintedCharacters = 48;
    if (option->text.size() > PaintedCharacters)
        option->text.truncate(PaintedCharacters);
    if (index.data(TableModel::MarkedRole).toBool()) {
        option->font.setBold(true);
        option->font.setPointSizeF(option->font.pointSizeF() * 1.4);
        option->fontMetrics = QFontMetrics(option->font);
    }
    // The style's margins on either side of the text.
    const int room = option->rect.width() - 6;
    if (option->fontMetrics.horizontalAdvance(option->text) > room)
        option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool current = option.state & QStyle::State_Selected;
    QStyleOptionViewItem plain(option);
    plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    QStyledItemDelegate::paint(painter, plain, index);
    QStyleOptionViewItem shown(plain);
    initStyleOption(&shown, index);
    PaintBlankMarks(painter, shown);
    if (!current)
        return;
    const QColor highlight = option.palette.color(QPalette::Active, QPalette::Highlight);
    painter->save();
    if (!index.data(TableModel::MarkedRole).toBool()) {
        QColor tint = highlight;
        tint.setAlpha(60);
        painter->fillRect(option.rect, tint);
    }
    QPen frame(highlight, 2);
    frame.setJoinStyle(Qt::MiterJoin);
    painter->setPen(frame);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
    painter->restore();
}

} // namespace zelvane
