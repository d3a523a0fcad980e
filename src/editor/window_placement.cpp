// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/window_placement.h"

#include <QEvent>
#include <QScreen>

#include <algorithm>

namespace zelvane {

QPoint BesideWindow(const QWidget* main, const QSize& size)
{
    constexpr int Gap = 8;
    const QRect frame = main->frameGeometry();
    const QRect screen = main->screen()->availableGeometry();
    int x = frame.right() + 1 + Gap;
    if (x + size.width() > screen.right() + 1)
        x = frame.left() - Gap - size.width();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    const int y = std::clamp(frame.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    return {x, y};
}

bool PlacementMemory::Restore(QWidget* window)
{
    window->installEventFilter(this);
    const auto place = m_places.constFind(window->objectName());
    if (place == m_places.constEnd())
        return false;
    window->resize(place->size());
    window->move(place->topLeft());
    return true;
}

bool PlacementMemory::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close) {
        if (auto* window = qobject_cast<QWidget*>(watched))
            m_places.insert(window->objectName(), QRect(window->pos(), window->size()));
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zelvane
