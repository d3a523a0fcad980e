// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_fixture.h"

#include <QPlainTextEdit>

using namespace zelvane;

class InfoWindowsTest : public QObject, public test::WindowFixture {
    Q_OBJECT

private slots:
    void init() { SetUpWindow(); }
    void cleanup() { TearDownWindow(); }
    void about_closes_on_escape_and_opens_again();
    void guide_is_one_locked_window();
};

void InfoWindowsTest::about_closes_on_escape_and_opens_again()
{
    Action("mnuAbout")->trigger();
    QPointer<QWidget> about = test::VisibleWindow("frmZelvaneAbout");
    QVERIFY(about && !about->parentWidget());
    QTest::keyClick(about->findChild<QPushButton*>(QStringLiteral("cmdOk")), Qt::Key_Escape);
    QTRY_VERIFY(!about || !about->isVisible());
    Action("mnuAbout")->trigger();
    QVERIFY(test::VisibleWindow("frmZelvaneAbout"));
}

void InfoWindowsTest::guide_is_one_locked_window()
{
    QAction* readme = Action("mnuReadme");
    readme->trigger();
    QWidget* guide = test::VisibleWindow("frmReadme");
    readme->trigger();
    QCOMPARE(test::VisibleWindow("frmReadme"), guide);
    auto* text = guide->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    const QString before = text->toPlainText();
    QVERIFY(before.contains(QStringLiteral("Ctrl-H"))); // the guide's text came from its resource
    QTest::keyClicks(text, QStringLiteral("typed"));
    QCOMPARE(text->toPlainText(), before);
    m_window->close();
    QTRY_VERIFY(!test::VisibleWindow("frmReadme"));
}

ZELVANE_GUI_TEST_MAIN(InfoWindowsTest)
#include "tst_info_windows.moc"
