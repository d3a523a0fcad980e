// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <initializer_list>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace zelvane {

// The pieces both managers are built from, placed at fixed positions.
QGroupBox* MakeFrame(QWidget* form, const QString& caption);
[[nodiscard]] QListWidget* MakeList(QWidget* form, const char* name);
[[nodiscard]] QLineEdit* MakeTextBox(QWidget* form, const char* name, const QRect& geometry);
[[nodiscard]] QPushButton* MakeButton(QWidget* form, const char* name, const QString& caption, int left);

// The row of the selected list entry, or -1. Only a selection counts: the
// current item a list takes on focus is not a choice of the user's.
[[nodiscard]] int SelectedRow(const QListWidget* list);

// The managers' refusal: a warning box titled "Errore" over `form`; then
// `form` is active again with the focus in `toCorrect`.
void ShowRefusal(QWidget* form, const QString& message, QWidget* toCorrect);

// The list shows `texts`, its signals quiet.
void ShowEntries(QListWidget* list, const QStringList& texts);

// Tab moves through `widgets` in the order given.
void SetTabChain(std::initializer_list<QWidget*> widgets);

// A tool window of a fixed client size, without owner or taskbar entry.
void SetUpToolWindow(QWidget* form, const char* name, const QString& title, const QSize& size);

// Lets a manager grow from its first size: the frame and the list grow with
// it, the controls below the list move down, and the text boxes that end
// at the list's right edge widen with it.
void GrowWithWindow(QWidget* form, QWidget* frame, QWidget* list);

} // namespace zelvane
