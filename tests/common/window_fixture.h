// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/gui_test_main.h"
#include "common/modal_answers.h"
#include "common/test_files.h"
#include "editor/main_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace zelvane::test {

// One main window for each test function, shown and active, and the ways
// the tests reach its parts. init() calls SetUpWindow, cleanup()
// TearDownWindow, which drops unsaved work without asking.
class WindowFixture {
protected:
    void SetUpWindow()
    {
        m_window = new MainWindow;
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        Grid()->setFocus();
    }
    void TearDownWindow()
    {
        Document().Modified = false;
        m_window->close();
        delete m_window;
        QTRY_VERIFY(!m_tool || !m_tool->isVisible());
    }

    TableDocument& Document() const { return m_window->document(); }
    QTableView* Grid() const { return m_window->findChild<QTableView*>(QStringLiteral("TableGrid")); }
    QLabel* Panel(int index) const { return m_window->findChild<QLabel*>(QStringLiteral("SBPanel%1").arg(index)); }
    QAction* Action(const char* name) const { return m_window->findChild<QAction*>(QLatin1String(name)); }
    // From 1, separators counted.
    QAction* ToolbarEntry(int index) const { return m_window->findChild<QToolBar*>()->actions().at(index - 1); }
    QModelIndex Cell(int code) const { return Grid()->model()->index(code / 16, code % 16); }
    QString CellText(int code) const { return Cell(code).data().toString(); }
    void Select(int code) { Grid()->setCurrentIndex(Cell(code)); }
    void TypeInto(int code, const QString& text)
    {
        Select(code);
        QTest::keyClicks(Grid(), text);
    }

    // Opens a manager through its menu item `action`: m_tool is the window
    // `form`, m_list its list.
    void OpenTool(const char* action, const char* form)
    {
        Action(action)->trigger();
        m_tool = VisibleWindow(form);
        QVERIFY(m_tool);
        m_list = m_tool->findChild<QListWidget*>();
    }
    QPushButton* ToolButton(const char* name) const { return m_tool->findChild<QPushButton*>(QLatin1String(name)); }
    QLineEdit* ToolBox(const char* name) const { return m_tool->findChild<QLineEdit*>(QLatin1String(name)); }
    QStringList ToolEntries() const
    {
        QStringList texts;
        for (int i = 0; i < m_list->count(); ++i)
            texts << m_list->item(i)->text();
        return texts;
    }

    MainWindow* m_window = nullptr;
    QPointer<QWidget> m_tool;
    QListWidget* m_list = nullptr;
};

} // namespace zelvane::test
