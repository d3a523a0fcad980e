// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/status_panel.h"

#include <QMouseEvent>
#include <QPainter>

namespace zelvane {

StatusPanel::StatusPanel(const QString& text, int index, QWidget* parent)
    : QLabel(text, parent)
    , m_index(index)
{
    setObjectName(QStringLiteral("SBPanel%1").arg(index));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMargin(0);
    // A disabled widget gets no mouse events of its own; a filter on itself
    // still sees the press.
    installEventFilter(this);
}

void StatusPanel::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    setIndent(picture.width() + 3);
    update();
}

void StatusPanel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.drawPixmap(inside.left() + 1, inside.top() + (inside.height() - m_picture.height()) / 2, m_picture);
}

bool StatusPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        emit clicked(m_index);
    return QLabel::eventFilter(watched, event);
}

} // namespace zelvane
