// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableView>

#include <cstdint>

namespace zelvane {

// The code grid. It has no editor of its own: typed characters, Backspace
// and the other control keys are reported, and only the navigation keys
// are left to the view.
class TableGrid : public QTableView {
    Q_OBJECT

public:
    // Laid out to fill `width` pixels with the header column and 16 codes.
    explicit TableGrid(int width, QWidget* parent = nullptr);

signals:
    // A printable character typed; the table's encoding decides its bytes.
    void characterTyped(char32_t character);
    void backspacePressed();
    // A key that typed nothing and moved nothing (Enter, Tab, Escape), so
    // the status text can follow.
    void keyHandled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace zelvane
