// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QStandardPaths>
#include <QTest>

// Qt's own dialogs only: a platform dialog cannot be answered by a test.
#define ZELVANE_GUI_TEST_MAIN(TestClass)                                   \
    int main(int argc, char* argv[])                                       \
    {                                                                      \
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);           \
        QStandardPaths::setTestModeEnabled(true);                          \
        QApplication app(argc, argv);                                      \
        TestClass test;                                                    \
        return QTest::qExec(&test, argc, argv);                            \
    }
