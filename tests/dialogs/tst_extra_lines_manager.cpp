// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_fixture.h"

using namespace zelvane;

class ExtraLinesManagerTest : public QObject, public test::WindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { TearDownWindow(); }

    void each_command_applies_at_once();
    void delete_keeps_the_order_and_update_can_free_a_slot();
    void add_has_no_limit_but_refuses_unreadable_lines();
    void save_writes_what_the_manager_lists();
    void replaced_table_refills_the_working_copy();

private:
    QLineEdit* m_line = nullptr;

    void Open();
    void Add(const QString& text)
    {
        m_line->setText(text);
        ToolButton("cmdAdd")->click();
    }
    std::vector<std::string> UsedSlots() const { return Document().ExtraLines; }
};

void ExtraLinesManagerTest::init()
{
    SetUpWindow();
    Document().ExtraLines = {"A", "B"};
}

void ExtraLinesManagerTest::Open()
{
    OpenTool("mnuExtra", "frmExtra");
    m_line = ToolBox("txtLine");
}

void ExtraLinesManagerTest::each_command_applies_at_once()
{
    Open();
    QVERIFY(!ToolButton("cmdAdd")->isEnabled());
    m_list->setCurrentRow(1); // selecting copies the line, so Add appends a copy
    ToolButton("cmdAdd")->click();
    QCOMPARE(ToolEntries(), (QStringList{"A", "B", "B"}));
    // The table has it at once, MODIFICATA says so, and it is one step.
    QCOMPARE(UsedSlots(), (std::vector<std::string>{"A", "B", "B"}));
    QVERIFY(Panel(2)->isEnabled());
    m_list->setCurrentRow(0);
    m_line->setText(QStringLiteral("Z"));
    ToolButton("cmdUpdate")->click();
    QCOMPARE(UsedSlots(), (std::vector<std::string>{"Z", "B", "B"}));
    m_list->setCurrentRow(2);
    ToolButton("cmdDel")->click();
    QCOMPARE(UsedSlots(), (std::vector<std::string>{"Z", "B"}));
    m_tool->close(); // the close box keeps what was applied
    QCOMPARE(UsedSlots(), (std::vector<std::string>{"Z", "B"}));

    Open();
    for (int step = 0; step < 3; ++step)
        Action("mnuUndo")->trigger();
    QCOMPARE(ToolEntries(), (QStringList{"A", "B"}));
    QVERIFY(!Document().Modified);
    QVERIFY(!Panel(2)->isEnabled());
    m_list->setCurrentRow(1);
    ToolButton("cmdDel")->click();
    QVERIFY(Panel(2)->isEnabled());
}

void ExtraLinesManagerTest::delete_keeps_the_order_and_update_can_free_a_slot()
{
    Open();
    m_line->setText(QStringLiteral("Z"));
    ToolButton("cmdUpdate")->click(); // nothing selected: nothing changes
    ToolButton("cmdDel")->click();
    QVERIFY(!Document().Modified);
    Add("C");
    m_list->setCurrentRow(0);
    ToolButton("cmdDel")->click();
    QCOMPARE(ToolEntries(), (QStringList{"B", "C"})); // the file's order
    QVERIFY(!ToolButton("cmdAdd")->isEnabled()); // the box was emptied

    m_list->setCurrentRow(1);
    m_line->clear();
    ToolButton("cmdUpdate")->click();
    ToolButton("cmdOk")->click();
    QCOMPARE(UsedSlots(), (std::vector<std::string>{"B"}));
}

void ExtraLinesManagerTest::add_has_no_limit_but_refuses_unreadable_lines()
{
    for (int i = 0; i < 40; ++i)
        Document().ExtraLines.push_back("x" + std::to_string(i));
    Document().Bookmarks.fill(Bookmark{1, "b"});
    Open();
    Add("no limit");
    QCOMPARE(m_list->count(), 43);

    // A line the reader would refuse, or take as a 32nd bookmark, stays in
    // the box to be corrected.
    for (const QString& bad : {QStringLiteral("/x"), QStringLiteral("(1h)bookmark")}) {
        test::SeenBox seen;
        test::AnswerBox(QMessageBox::Ok, &seen);
        Add(bad);
        QVERIFY(seen.shown);
        QCOMPARE(m_list->count(), 43);
        QCOMPARE(m_line->text(), bad);
    }
    test::SeenBox seen;
    test::AnswerBox(QMessageBox::Ok, &seen);
    m_list->setCurrentRow(0);
    m_line->setText(QStringLiteral("zz=1"));
    ToolButton("cmdUpdate")->click();
    QVERIFY(seen.shown);
    QCOMPARE(m_list->item(0)->text(), QStringLiteral("A"));
    ToolButton("cmdOk")->click(); // all of them, past the bookmarks' 31 slots
    QCOMPARE(UsedSlots().size(), std::size_t{43});
}

void ExtraLinesManagerTest::save_writes_what_the_manager_lists()
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("s.tbl")).toStdString();
    Document().FileName = path;
    Open();
    Add("C");
    m_window->mnuSave_Click(); // saves what the open manager lists
    QCOMPARE(test::ReadBytes(path), std::string("A\r\nB\r\nC\r\n"));
    QVERIFY(!Document().Modified);

}

void ExtraLinesManagerTest::replaced_table_refills_the_working_copy()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("e.tbl"));
    test::WriteBytes(path.toStdString(), "new line\r\n");
    Open();
    Add("typed for the old table");
    test::AnswerBox(QMessageBox::No, nullptr, [&] { test::AnswerFileDialog(path); });
    m_window->mnuOpen_Click();
    QCOMPARE(ToolEntries(), QStringList{"new line"});
    ToolButton("cmdOk")->click();
    QCOMPARE(UsedSlots(), std::vector<std::string>{"new line"});
}

ZELVANE_GUI_TEST_MAIN(ExtraLinesManagerTest)
#include "tst_extra_lines_manager.moc"
