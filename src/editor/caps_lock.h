// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <optional>

class QWidget;

namespace zelvane {

// The keyboard's Caps Lock state where the platform tells it (X11), or
// nothing where it cannot be known (offscreen, Wayland).
[[nodiscard]] std::optional<bool> QueryCapsLock();

// Reads the Caps Lock state on every key pressed or released in `window`
// and whenever it becomes active, and reports what it read.
class CapsLockWatcher : public QObject {
    Q_OBJECT

public:
    explicit CapsLockWatcher(QWidget* window);
    ~CapsLockWatcher() override;

    // Reads it now.
    void Refresh();

signals:
    void stateRead(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
};

} // namespace zelvane
