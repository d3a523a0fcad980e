// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

namespace zelvane::test {

// What a message box showed before it was answered.
struct SeenBox {
    bool shown = false;
    QString text;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// What a file dialog showed before it was answered.
struct SeenDialog {
    bool shown = false;
    bool saving = false;
    QString proposedName; // the name in the dialog's box when it opened
};

// Answer the next modal message box with `button`, noting what it showed
// in `seen`. Then runs `next`, if given, to line up the next answer before
// the box closes (a file dialog that the answer opens, say).
void AnswerBox(QMessageBox::StandardButton button, SeenBox* seen = nullptr, std::function<void()> next = {});

// Answer the next modal file dialog: accept `path`, or cancel when it is
// empty. `next` runs before the dialog is accepted, for the overwrite box
// or an error box it leads to.
void AnswerFileDialog(const QString& path, SeenDialog* seen = nullptr, std::function<void()> next = {});

// Types `text` into `widget` one character at a time, as a keyboard
// would, also characters that Qt Test's key clicks cannot send.
void TypeCharacters(QWidget* widget, const QString& text);

// The visible top-level window named `name`, or nullptr.
[[nodiscard]] QWidget* VisibleWindow(const char* name);

} // namespace zelvane::test
