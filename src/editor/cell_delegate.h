// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QStyledItemDelegate>

#include <cstdint>
#include <functional>

namespace zelvane {

// Paints a grid cell. The current cell keeps its own background (white, or
// yellow when marked) under a frame in the selection colour, so a mark
// shows also there; a text wider than its cell is cut at the right, never
// shortened with an ellipsis; a marked value is drawn large and bold, where
// a "*" is still plain to see.
class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Draws each cell's glyph at its left, the value at its right; its
    // tooltip shows the glyph large. An empty function draws none.
    void SetGlyphs(std::function<QImage(std::uint8_t)> glyph) { m_glyph = std::move(glyph); }
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    std::function<QImage(std::uint8_t)> m_glyph;
};

} // namespace zelvane
