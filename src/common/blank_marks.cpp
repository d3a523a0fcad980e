// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/blank_marks.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace zelvane {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0x00A0) || c == QChar(0x3000);
}

void PaintBlankMarks(QPainter* painter, const QStyleOptionViewItem& option)
{
    const QString& text = option.text;
    if (std::ranges::none_of(text, IsBlank))
        return;
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    // Where the style puts the text: its margin inside the item's rect,
    // then the alignment.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &option, option.widget).adjusted(margin, 0, -margin, 0);
    const QFontMetricsF metrics(option.font);
    const qreal width = metrics.horizontalAdvance(text);
    qreal x = room.left();
    if (option.displayAlignment & Qt::AlignHCenter)
        x = room.left() + (room.width() - width) / 2;
    else if (option.displayAlignment & Qt::AlignRight)
        x = room.right() + 1 - width;
    const qreal middle = room.top() + room.height() / 2.0;
    QColor ink = option.palette.color(QPalette::Text);
    ink.setAlpha(90);
    painter->save();
    painter->setClipRect(option.rect);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(ink);
    qreal at = x;
    for (QChar c : text) {
        const qreal advance = metrics.horizontalAdvance(c);
        if (IsBlank(c)) {
            if (c == QChar(0x3000)) {
                painter->setPen(QPen(ink, 1));
                painter->setBrush(Qt::NoBrush);
                const qreal side = std::min(advance, metrics.height()) * 0.5;
                painter->drawRect(QRectF(at + (advance - side) / 2, middle - side / 2, side, side));
                painter->setPen(Qt::NoPen);
                painter->setBrush(ink);
            } else {
                const qreal radius = std::max(1.0, metrics.height() / 12);
                painter->drawEllipse(QPointF(at + advance / 2, middle), radius, radius);
            }
        }
        at += advance;
    }
    painter->restore();
}

QString ShowBlanks(const QString& value)
{
    if (value.isEmpty() || !std::ranges::all_of(value, IsBlank))
        return value;
    return QString(value.size(), QChar(0x2423));
}

void BlankMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    QStyleOptionViewItem shown(option);
    initStyleOption(&shown, index);
    PaintBlankMarks(painter, shown);
}

} // namespace zelvane
