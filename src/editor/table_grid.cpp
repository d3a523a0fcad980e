#include "editor/table_grid.h"

#include "document/char_map.h"

#include <QKeyEvent>

namespace zelvane {

TableGrid::TableGrid(QWidget* parent)
    : QTableView(parent)
{
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
}

void TableGrid::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // A move reports itself through the current cell.
        QTableView::keyPressEvent(event);
        return;
    case Qt::Key_Backspace:
        emit backspacePressed();
        return;
    default:
        break;
    }

    // Ctrl and Alt combinations belong to the menus; they never type.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier);
    const QString text = event->text();
    if (modifiers != Qt::NoModifier || text.isEmpty() || event->key() == Qt::Key_Delete) {
        event->ignore();
        return;
    }
    bool typed = false;
    for (QChar c : text) {
        const auto byte = CodePointToByte(c.unicode());
        if (byte && *byte >= 0x20 && *byte != 0x7F) {
            emit characterTyped(*byte);
            typed = true;
        }
    }
    if (!typed)
        emit keyHandled();
}

} // namespace zelvane
