// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/tool_bar.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace zelvane {

namespace {
constexpr int Height = 24;
}

ToolBar::ToolBar(std::vector<Button> buttons, QWidget* parent)
    : QToolBar(parent)
    , m_buttons(std::move(buttons))
{
    setObjectName(QStringLiteral("Toolbar1"));
    setMovable(false);
    setFloatable(false);
    toggleViewAction()->setEnabled(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setFixedHeight(Height);
    setContentsMargins(0, 0, 0, 0);

    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const Button& button = m_buttons[i];
        const int index = static_cast<int>(i) + 1;
        if (!button.command) {
            addSeparator();
            continue;
        }
        const QString tooltip = QString::fromUtf8(button.tooltip);
        auto* action = new QAction(ToolbarIcon(button.picture), tooltip, this);
        // Qt would make the tooltip from the text without its trailing "...".
        action->setToolTip(tooltip);
        connect(action, &QAction::triggered, this, [this, index] { emit buttonClicked(index); });
        QMenu* menu = button.items.empty() ? nullptr : new QMenu(this);
        for (std::size_t j = 0; j < button.items.size(); ++j) {
            const int item = static_cast<int>(j) + 1;
            connect(menu->addAction(QString::fromUtf8(button.items[j].caption)), &QAction::triggered, this,
                    [this, index, item] { emit itemClicked(index, item); });
        }
        addAction(action);
        if (auto* face = qobject_cast<QToolButton*>(widgetForAction(action))) {
            face->setFocusPolicy(Qt::NoFocus);
            // The face triggers the action; the arrow beside it opens the list.
            if (menu) {
                face->setMenu(menu);
                face->setPopupMode(QToolButton::MenuButtonPopup);
                face->setFixedSize(36, 22);
            } else {
                face->setFixedSize(23, 22);
            }
        }
    }
}

const ToolBar::Button* ToolBar::ButtonAt(int button) const
{
    if (button < 1 || static_cast<std::size_t>(button) > m_buttons.size())
        return nullptr;
    return &m_buttons[static_cast<std::size_t>(button) - 1];
}

void ToolBar::Run(int button) const
{
    if (const Button* found = ButtonAt(button); found && found->command)
        found->command();
}

void ToolBar::RunItem(int button, int item) const
{
    const Button* found = ButtonAt(button);
    if (found && item >= 1 && static_cast<std::size_t>(item) <= found->items.size())
        found->items[static_cast<std::size_t>(item) - 1].command();
}

} // namespace zelvane
