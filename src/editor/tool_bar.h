// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/pictures.h"

#include <QToolBar>

#include <functional>
#include <vector>

namespace zelvane {

// The window's toolbar, made from a table of buttons that carry their
// commands; a button with items has a drop-down list beside its face.
class ToolBar : public QToolBar {
    Q_OBJECT

public:
    struct Item {
        const char* caption;
        std::function<void()> command;
    };
    struct Button {
        ToolbarPicture picture;
        const char* tooltip;
        std::function<void()> command; // none: a separator
        std::vector<Item> items;
    };

    ToolBar(std::vector<Button> buttons, QWidget* parent);

    // Runs a button's command or one of its items'; buttons count from 1,
    // separators included, and items from 1.
    void Run(int button) const;
    void RunItem(int button, int item) const;

signals:
    void buttonClicked(int button);
    void itemClicked(int button, int item);

private:
    [[nodiscard]] const Button* ButtonAt(int button) const;

    std::vector<Button> m_buttons;
};

} // namespace zelvane
