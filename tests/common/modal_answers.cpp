// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/modal_answers.h"

#include <QPushButton>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace zelvane::test {

namespace {

// Polls for the next visible modal widget of type T. Each answer hides the
// widget it answers before a later answer can poll, so none is answered twice.
template<typename T>
void WhenModal(std::function<void(T*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!widget || !widget->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(widget);
    });
    timer->start();
}

} // namespace

void AnswerBox(QMessageBox::StandardButton button, SeenBox* seen, std::function<void()> next)
{
    WhenModal<QMessageBox>([=](QMessageBox* box) {
        if (seen) {
            seen->shown = true;
            seen->text = box->text();
            seen->defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
        }
        if (next)
            next();
        if (QAbstractButton* target = box->button(button))
            target->click();
        else
            box->reject();
    });
}

void AnswerFileDialog(const QString& path, SeenDialog* seen, std::function<void()> next)
{
    WhenModal<QFileDialog>([=](QFileDialog* dialog) {
        if (seen) {
            seen->shown = true;
            seen->saving = dialog->acceptMode() == QFileDialog::AcceptSave;
            const auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            seen->proposedName = nameBox ? nameBox->text() : QString();
        }
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        if (next)
            next();
        // selectFile() leaves the name box alone while it has the focus;
        // the name is typed there as a user would.
        dialog->selectFile(path);
        if (auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            nameBox->setText(path);
        static_cast<QDialog*>(dialog)->accept();
    });
}

void TypeCharacters(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

QWidget* VisibleWindow(const char* name)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name) && widget->isVisible())
            return widget;
    }
    return nullptr;
}

} // namespace zelvane::test
