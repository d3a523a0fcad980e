// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_fixture.h"
#include "workbench/rom_view.h"
#include "workbench/script_window.h"

#include <QMenu>
#include <QTableWidget>
#include <QTimer>

using namespace zelvane;

// A game of three strings behind a 16-bit pointer table at 0, read through
// a table saved beside it; written by hand.
class ScriptWindowTest : public QObject, public test::WindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { TearDownWindow(); }

    void read_translate_and_insert();
    void rom_view_offers_the_pointer_table();

private:
    QTableWidget* Rows() const { return m_window->findChild<QTableWidget*>(); }
    ScriptWindow* Open()
    {
        Action("mnuScript")->trigger();
        return qobject_cast<ScriptWindow*>(test::VisibleWindow("frmScript"));
    }

    QTemporaryDir m_dir;
    QString m_rom;
};

void ScriptWindowTest::init()
{
    SetUpWindow();
    const QString table = m_dir.filePath(QStringLiteral("game.tbl"));
    test::WriteBytes(table.toStdString(), "41=A\n42=B\n43=C\n/00\n");
    QVERIFY(m_window->OpenTable(table));
    m_rom = m_dir.filePath(QStringLiteral("game.bin"));
    test::WriteBytes(m_rom.toStdString(), std::string("\x06\x00\x09\x00\x0C\x00" "AB\x00" "CA\x00" "BB\x00", 15));
}

void ScriptWindowTest::read_translate_and_insert()
{
    ScriptWindow* window = Open();
    QVERIFY(window);
    window->OpenFile(m_rom);
    window->findChild<QLineEdit*>(QStringLiteral("txtScriptBlock"))->setText(QStringLiteral("pointers=0,count=3"));
    window->cmdScriptRead_Click();
    auto* rows = window->findChild<QTableWidget*>(QStringLiteral("tblScript"));
    QCOMPARE(rows->rowCount(), 3);
    QCOMPARE(rows->item(1, 3)->text(), QStringLiteral("CA<END>"));
    QCOMPARE(rows->item(1, 1)->text(), QStringLiteral("0x2"));
    // The list reads as the table now says.
    TypeInto(0x43, QStringLiteral("x"));
    QTRY_COMPARE(rows->item(1, 3)->text(), QStringLiteral("CxA<END>"));
    Action("mnuUndo")->trigger();
    QTRY_COMPARE(rows->item(1, 3)->text(), QStringLiteral("CA<END>"));
    // Two bytes more than the region holds: the room says so, in red.
    rows->item(0, 4)->setText(QStringLiteral("ABCABC<END>"));
    QVERIFY(rows->item(2, 5)->text().endsWith(QStringLiteral("restano -4")));
    QCOMPARE(rows->item(2, 5)->background().color(), QColor(255, 180, 180));
    // Inserting it writes nothing and says why.
    const QString output = m_dir.filePath(QStringLiteral("new.bin"));
    test::SeenBox seen;
    test::AnswerFileDialog(output, nullptr, [&seen] { test::AnswerBox(QMessageBox::Ok, &seen); });
    window->cmdScriptInsert_Click();
    QTRY_VERIFY(seen.shown);
    QVERIFY(seen.text.contains(QStringLiteral("di 4 byte in tutto")));
    QVERIFY(!QFile::exists(output));
    // One that fits is written, the pointers following the text.
    rows->item(0, 4)->setText(QStringLiteral("C<END>"));
    test::AnswerFileDialog(output, nullptr, [] { test::AnswerFileDialog(QString()); });
    window->cmdScriptInsert_Click();
    QTRY_VERIFY(QFile::exists(output));
    QCOMPARE(test::ReadBytes(output.toStdString()), std::string("\x06\x00\x08\x00\x0B\x00" "C\x00" "CA\x00" "BB\x00" "\x00", 15));
}

void ScriptWindowTest::rom_view_offers_the_pointer_table()
{
    Action("mnuRomView")->trigger();
    auto* view = qobject_cast<RomView*>(test::VisibleWindow("frmRom"));
    QVERIFY(view);
    view->OpenFile(m_rom);
    view->ShowAddress(9);
    QTimer::singleShot(0, this, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu && !menu->actions().isEmpty())
            menu->actions().constFirst()->trigger();
        if (menu)
            menu->close();
    });
    view->findChild<QPushButton*>(QStringLiteral("cmdRomPointers"))->click();
    QWidget* script = test::VisibleWindow("frmScript");
    QVERIFY(script);
    QCOMPARE(script->findChild<QLineEdit*>(QStringLiteral("txtScriptBlock"))->text(),
             QStringLiteral("pointers=0x0,count=3,bits=16,endian=little,stride=2,map=LINEAR,offset=0x0,header=0x0,bank=0x0"));
    QCOMPARE(script->findChild<QTableWidget*>(QStringLiteral("tblScript"))->rowCount(), 3);
}

ZELVANE_GUI_TEST_MAIN(ScriptWindowTest)
#include "tst_script_window.moc"
