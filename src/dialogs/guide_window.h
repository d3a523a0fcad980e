// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace zelvane {

// The user guide in a locked text box: it can be scrolled, selected and
// copied, not changed.
class GuideWindow : public QWidget {
    Q_OBJECT

public:
    explicit GuideWindow(QWidget* parent = nullptr);

    [[nodiscard]] static QString GuideText();
};

} // namespace zelvane
