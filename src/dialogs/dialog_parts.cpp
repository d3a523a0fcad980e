// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialog_parts.h"

#include "common/blank_marks.h"

#include "common/eight_bit_text.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QEvent>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <vector>

namespace zelvane {

void ShowRefusal(QWidget* form, const QString& message, QWidget* toCorrect)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Errore"), message, QMessageBox::Ok, form);
    box.exec();
    // The window manager may hand the activation to the main window when
    // the box goes; the user is about to correct the box that was refused.
    form->raise();
    form->activateWindow();
    toCorrect->setFocus(Qt::OtherFocusReason);
}

void ShowEntries(QListWidget* list, const QStringList& texts)
{
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(texts);
}

QGroupBox* MakeFrame(QWidget* form, const QString& caption)
{
    auto* frame = new QGroupBox(caption, form);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(8, 8, 281, 129);
    return frame;
}

QListWidget* MakeList(QWidget* form, const char* name)
{
    auto* list = new QListWidget(form);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(16, 24, 265, 82);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setItemDelegate(new BlankMarkDelegate(list));
    return list;
}

QLineEdit* MakeTextBox(QWidget* form, const char* name, const QRect& geometry)
{
    auto* box = new QLineEdit(form);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setValidator(new EightBitValidator(box));
    return box;
}

QPushButton* MakeButton(QWidget* form, const char* name, const QString& caption, int left)
{
    auto* button = new QPushButton(caption, form);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 144, 65, 25);
    button->setAutoDefault(false);
    return button;
}

void SetTabChain(std::initializer_list<QWidget*> widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

int SelectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.constFirst());
}

void SetUpToolWindow(QWidget* form, const char* name, const QString& title, const QSize& size)
{
    form->setObjectName(QLatin1String(name));
    form->setWindowTitle(title);
    form->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    form->setMinimumSize(size);
    form->resize(size);
}

namespace {

// Moves and sizes a manager's controls from their first places.
class Growth : public QObject {
public:
    Growth(QWidget* form, QWidget* frame, QWidget* list) : QObject(form), m_form(form), m_frame(frame), m_list(list)
    {
        m_size = form->size();
        for (QObject* child : form->children()) {
            if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
                m_places.emplace_back(widget, widget->geometry());
        }
        form->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_form && event->type() == QEvent::Resize) {
            const int wider = std::max(0, m_form->width() - m_size.width());
            const int taller = std::max(0, m_form->height() - m_size.height());
            const int listBottom = ListPlace().bottom();
            const int listRight = ListPlace().right();
            for (const auto& [widget, place] : m_places) {
                QRect moved = place;
                if (widget == m_frame || widget == m_list)
                    moved.adjust(0, 0, wider, taller);
                else if (place.top() > listBottom)
                    moved.translate(0, taller);
                if (qobject_cast<QLineEdit*>(widget) && place.right() == listRight)
                    moved.setRight(place.right() + wider);
                widget->setGeometry(moved);
            }
        }
        return false;
    }

private:
    QRect ListPlace() const
    {
        for (const auto& [widget, place] : m_places) {
            if (widget == m_list)
                return place;
        }
        return {};
    }

    QWidget* m_form;
    QWidget* m_frame;
    QWidget* m_list;
    QSize m_size;
    std::vector<std::pair<QWidget*, QRect>> m_places;
};

} // namespace

void GrowWithWindow(QWidget* form, QWidget* frame, QWidget* list)
{
    new Growth(form, frame, list);
}

} // namespace zelvane
