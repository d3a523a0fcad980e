// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

#include <utility>

namespace zelvane {

// Where a window of `size` stands beside `main`: to its right, else to its
// left, always on main's screen.
[[nodiscard]] QPoint BesideWindow(const QWidget* main, const QSize& size);

// One window of a kind: an open one comes to the front as it is; a closed
// one (perhaps still waiting to be deleted) is made anew. True when it was
// made anew.
template<typename Window, typename... Args>
bool ShowSingle(QPointer<Window>& window, Args&&... args)
{
    if (window && !window->isVisible())
        delete window;
    const bool made = !window;
    if (made) {
        window = new Window(std::forward<Args>(args)...);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return made;
}

} // namespace zelvane
