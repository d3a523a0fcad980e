#include "common/gui_test_main.h"
#include "editor/main_window.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace zelvane;

Q_DECLARE_METATYPE(Qt::Key)

namespace {

QList<QWidget*> TopLevels(const char* name)
{
    QList<QWidget*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name) && widget->isVisible())
            found << widget;
    }
    return found;
}

} // namespace

class InfoWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void about_window_layout();
    void about_closes_on_key_data();
    void about_closes_on_key();
    void guide_is_a_single_locked_window();

private:
    MainWindow* m_window = nullptr;
    void Trigger(const char* name) { m_window->findChild<QAction*>(QLatin1String(name))->trigger(); }
};

void InfoWindowsTest::init()
{
    m_window = new MainWindow;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void InfoWindowsTest::cleanup()
{
    m_window->close();
    delete m_window;
    QTRY_VERIFY(TopLevels("frmZelvaneAbout").isEmpty() && TopLevels("frmReadme").isEmpty());
}

void InfoWindowsTest::about_window_layout()
{
    Trigger("mnuAbout");
    const QList<QWidget*> windows = TopLevels("frmZelvaneAbout");
    QCOMPARE(windows.size(), 1);
    QWidget* about = windows.first();
    QCOMPARE(about->windowTitle(), QStringLiteral("Informazioni su Zelvane"));
    QCOMPARE(about->size(), QSize(380, 200));
    QVERIFY(!about->parentWidget());
    QVERIFY(!about->isModal());
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), QStringLiteral("Zelvane"));
    QVERIFY(about->findChild<QLabel*>(QStringLiteral("lblVersion"))->text().startsWith(QStringLiteral("Versione 0.9")));
    QVERIFY(about->findChild<QLabel*>(QStringLiteral("lblDisclaimer"))->text().startsWith(QStringLiteral("Nota: il programma è ancora")));
    auto* ok = about->findChild<QPushButton*>(QStringLiteral("cmdOk"));
    QVERIFY(ok->isDefault());
    QCOMPARE(ok->geometry(), QRect(288, 168, 84, 23));
}

void InfoWindowsTest::about_closes_on_key_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("enter") << Qt::Key_Return;
    QTest::newRow("escape") << Qt::Key_Escape;
}

void InfoWindowsTest::about_closes_on_key()
{
    QFETCH(Qt::Key, key);
    Trigger("mnuAbout");
    QWidget* about = TopLevels("frmZelvaneAbout").value(0);
    QVERIFY(about);
    QPointer<QWidget> watch(about);
    QTest::keyClick(about->findChild<QPushButton*>(QStringLiteral("cmdOk")), key);
    QTRY_VERIFY(!watch || !watch->isVisible());
    Trigger("mnuAbout"); // created anew after a close
    QCOMPARE(TopLevels("frmZelvaneAbout").size(), 1);
}

void InfoWindowsTest::guide_is_a_single_locked_window()
{
    Trigger("mnuReadme");
    Trigger("mnuReadme");
    const QList<QWidget*> windows = TopLevels("frmReadme");
    QCOMPARE(windows.size(), 1);
    QWidget* guide = windows.first();
    QCOMPARE(guide->windowTitle(), QStringLiteral("Zelvane - Leggimi"));
    QCOMPARE(guide->size(), QSize(530, 242));

    auto* text = guide->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    QVERIFY(text->isReadOnly());
    const QString before = text->toPlainText();
    for (const char* heading : {"** Cosa c'è (versione 0.95) **", "** Cosa non c'è (versione 0.95) **", "Morvex",
                                "Ctrl-H", "s: 20", "/0F"})
        QVERIFY2(before.contains(QString::fromUtf8(heading)), heading);
    // Laid out for 64 columns of a fixed-width font, tabs every 8.
    for (const QString& line : before.split(u'\n')) {
        int column = 0;
        for (QChar c : line)
            column = c == u'\t' ? (column / 8 + 1) * 8 : column + 1;
        QVERIFY2(column <= 64, qPrintable(line));
    }
    QVERIFY(before.size() > 3000);

    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("typed"));
    QCOMPARE(text->toPlainText(), before);
    text->selectAll();
    text->copy();
    QCOMPARE(QApplication::clipboard()->text(), before);
}

ZELVANE_GUI_TEST_MAIN(InfoWindowsTest)
#include "tst_info_windows.moc"
