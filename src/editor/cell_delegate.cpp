// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/cell_delegate.h"

#include "common/blank_marks.h"
#include "editor/table_model.h"

#include <QAbstractItemView>
#include <QBuffer>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

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
    // With glyphs shown, the value stands right of the glyph.
    if (m_glyph) {
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        return;
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
    if (m_glyph) {
        const QImage glyph = m_glyph(TableModel::CodeAt(index));
        if (!glyph.isNull())
            painter->drawImage(option.rect.left() + 2, option.rect.top() + (option.rect.height() - glyph.height()) / 2, glyph);
    }
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

bool CellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                             const QModelIndex& index)
{
    if (!m_glyph || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QImage glyph = m_glyph(TableModel::CodeAt(index));
    if (glyph.isNull()) {
        QToolTip::hideText();
        return true;
    }
    // The glyph four times as large, its pixels square, above the value.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    glyph.scaled(glyph.width() * 4, glyph.height() * 4).save(&buffer, "PNG");
    const QString html = QStringLiteral("<img src=\"data:image/png;base64,%1\"><br>%2")
                             .arg(QString::fromLatin1(png.toBase64()), index.data().toString().toHtmlEscaped());
    QToolTip::showText(event->globalPos(), html, view);
    return true;
}

} // namespace zelvane
