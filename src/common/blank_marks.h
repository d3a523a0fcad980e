// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

class QPainter;

namespace zelvane {

// Blanks made visible: a value of spaces looks like nothing at all, so a
// faint mark is drawn over each blank (a dot over a space, a small square
// over an ideographic space). Only drawn: the text and its bytes are never
// changed.
[[nodiscard]] bool IsBlank(QChar c);
// Draws the marks over the blanks of `option.text` where the item's text
// is drawn.
void PaintBlankMarks(QPainter* painter, const QStyleOptionViewItem& option);
// The text of a status line with each blank of an all-blank value shown as
// an open box, so that " " and "" read differently.
[[nodiscard]] QString ShowBlanks(const QString& value);

// A list's delegate that marks blanks.
class BlankMarkDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace zelvane
