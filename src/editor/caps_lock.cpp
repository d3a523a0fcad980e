// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/caps_lock.h"

#include <QApplication>
#include <QWidget>

namespace zelvane {

CapsLockWatcher::CapsLockWatcher(QWidget* window)
    : QObject(window)
    , m_window(window)
{
    qApp->installEventFilter(this);
}

CapsLockWatcher::~CapsLockWatcher()
{
    qApp->removeEventFilter(this);
}

void CapsLockWatcher::Refresh()
{
    if (const auto on = QueryCapsLock())
        emit stateRead(*on);
}

bool CapsLockWatcher::eventFilter(QObject* watched, QEvent* event)
{
    // Caps Lock off shows only when the key is released.
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (key && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == m_window)
        Refresh();
    else if (event->type() == QEvent::ActivationChange && watched == m_window && m_window->isActiveWindow())
        Refresh();
    return false;
}

} // namespace zelvane

// Xlib's macros (None, Status, KeyPress, ...) come last, after every
// use of Qt's names they would clash with.
#include <X11/XKBlib.h>

namespace zelvane {

std::optional<bool> QueryCapsLock()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return std::nullopt;
    return (state.locked_mods & LockMask) != 0;
}

} // namespace zelvane
