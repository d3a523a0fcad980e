// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <utility>

namespace zelvane {

// Where a window of `size` stands beside `main`: to its right, else to its
// left, always on main's screen.
[[nodiscard]] QPoint BesideWindow(const QWidget* main, const QSize& size);

// Where each auxiliary window stood and how large it was when last closed,
// by its objectName, for this run: a window made anew comes back there.
class PlacementMemory : public QObject {
public:
    using QObject::QObject;
    // Watches `window` and, when one of its name closed before, gives it
    // that place and size; false when there is none to give.
    bool Restore(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QString, QRect> m_places;
};

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
