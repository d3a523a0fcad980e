// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_fixture.h"
#include "dialogs/rom_windows.h"

#include <QComboBox>
#include <QPlainTextEdit>

using namespace zelvane;

// A game's bytes, made here: "HELLO WORLD" and "HELP" in a secret alphabet
// whose A is 80, a blank 20 and an end code FF between them.
class RomWindowsTest : public QObject, public test::WindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { TearDownWindow(); }

    void view_follows_the_table_and_the_bookmarks();
    void relative_search_applied_as_one_step();

private:
    [[nodiscard]] static QByteArray Secret(const QByteArray& text)
    {
        QByteArray bytes;
        for (char c : text)
            bytes += c == ' ' ? '\x20' : c == '|' ? '\xFF' : char(0x80 + (c - 'A'));
        return bytes;
    }
    [[nodiscard]] QString ViewText() const
    {
        return test::VisibleWindow("frmRom")->findChild<QPlainTextEdit*>(QStringLiteral("txtRomText"))->toPlainText();
    }

    QTemporaryDir m_dir;
    QString m_rom;
};

void RomWindowsTest::init()
{
    SetUpWindow();
    m_rom = m_dir.filePath(QStringLiteral("game.bin"));
    test::WriteBytes(m_rom.toStdString(), Secret("HELLO WORLD|HELP").toStdString());
}

void RomWindowsTest::view_follows_the_table_and_the_bookmarks()
{
    Action("mnuRomView")->trigger();
    auto* view = qobject_cast<RomView*>(test::VisibleWindow("frmRom"));
    QVERIFY(view);
    view->OpenFile(m_rom);
    QVERIFY(ViewText().startsWith(QStringLiteral("<87><84><8B><8B><8E><20>")));
    // A value typed into the grid shows at once; an end code breaks the line.
    TypeInto(0x87, QStringLiteral("H"));
    TypeInto(0x20, QStringLiteral(" "));
    TypeInto(0xFF, QStringLiteral("/"));
    m_window->MarkSpecial();
    QVERIFY(ViewText().startsWith(QStringLiteral("H<84><8B><8B><8E> ")));
    QVERIFY(ViewText().contains(QStringLiteral("<83>\nH<84><8B><8F>")));
    // A bookmark is an address to go to.
    OpenTool("mnuBook", "frmBook");
    ToolBox("txtAddr")->setText(QStringLiteral("c"));
    ToolBox("txtTitle")->setText(QStringLiteral("Help"));
    ToolButton("cmdAdd")->click();
    auto* books = view->findChild<QComboBox*>(QStringLiteral("cboRomBook"));
    QCOMPARE(books->count(), 1);
    emit books->activated(0);
    QVERIFY(ViewText().startsWith(QStringLiteral("H<84><8B><8F>")));
    QCOMPARE(view->findChild<QLineEdit*>(QStringLiteral("txtRomAddr"))->text(), QStringLiteral("C"));
}

void RomWindowsTest::relative_search_applied_as_one_step()
{
    Action("mnuRomView")->trigger();
    qobject_cast<RomView*>(test::VisibleWindow("frmRom"))->OpenFile(m_rom);
    Action("mnuRelSearch")->trigger();
    auto* search = qobject_cast<RelativeSearchWindow*>(test::VisibleWindow("frmRelSearch"));
    QVERIFY(search);
    search->OpenFile(m_rom);
    search->findChild<QLineEdit*>(QStringLiteral("txtRelWord"))->setText(QStringLiteral("HELLO"));
    search->cmdRelSearch_Click();
    auto* results = search->findChild<QListWidget*>(QStringLiteral("lstRel"));
    QTRY_COMPARE(results->count(), 1);
    QVERIFY(results->item(0)->text().startsWith(QStringLiteral("A=80 — 1 volte")));
    search->findChild<QPushButton*>(QStringLiteral("cmdRelApply"))->click();
    QCOMPARE(Document().Entries[0x80].Value, std::string("A"));
    QCOMPARE(Document().Entries[0x99].Value, std::string("Z"));
    QVERIFY(ViewText().startsWith(QStringLiteral("HELLO<20>WORLD<FF>HELP")));
    Action("mnuUndo")->trigger(); // one step
    QVERIFY(std::ranges::all_of(Document().Entries, [](const TableEntry& entry) { return entry.Value.empty(); }));
    QVERIFY(ViewText().startsWith(QStringLiteral("<87>")));
}

ZELVANE_GUI_TEST_MAIN(RomWindowsTest)
#include "tst_rom_windows.moc"
