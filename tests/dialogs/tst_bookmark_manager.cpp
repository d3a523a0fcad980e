// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_fixture.h"

#include <QApplication>

using namespace zelvane;

class BookmarkManagerTest : public QObject, public test::WindowFixture {
    Q_OBJECT

private slots:
    void init() { SetUpWindow(); }
    void cleanup() { TearDownWindow(); }

    void addresses_data();
    void addresses();
    void box_change_rule();
    void add_update_delete_keep_slots_gapless();
    void thirty_one_bookmarks_and_a_title_are_required();
    void replaced_table_refills_the_list_and_menu_does_not();

private:
    QLineEdit* m_address = nullptr;
    QLineEdit* m_title = nullptr;

    void Open();
    const auto& Slots() const { return Document().Bookmarks; }
    void AddBookmark(const QString& address, const QString& title)
    {
        m_address->setText(address);
        m_title->setText(title);
        ToolButton("cmdAdd")->click();
    }
};

void BookmarkManagerTest::Open()
{
    OpenTool("mnuBook", "frmBook");
    m_address = ToolBox("txtAddr");
    m_title = ToolBox("txtTitle");
}

void BookmarkManagerTest::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("stored");

    QTest::newRow("blanks_around") << "  1a2 " << true << 0x1A2;
    QTest::newRow("blank_between") << "1 2" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
}

void BookmarkManagerTest::addresses()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, stored);

    Document().Bookmarks[0] = {5, "old"};
    Open();
    for (const char* slot : {"cmdAdd_Click", "cmdUpdate_Click"}) {
        m_list->setCurrentRow(0);
        m_title->setText(QStringLiteral("new"));
        m_address->setText(text);
        test::SeenBox seen;
        if (!valid)
            test::AnswerBox(QMessageBox::Ok, &seen);
        // Called directly: an empty box disables Add, the rule is still tested.
        QMetaObject::invokeMethod(m_tool, slot);
        QCOMPARE(seen.shown, !valid);
        const std::size_t slotIndex = slot == QByteArray("cmdAdd_Click") ? 1 : 0;
        const Bookmark expected = valid ? Bookmark{stored, "new"} : slotIndex ? Bookmark{} : Bookmark{5, "old"};
        QVERIFY(Slots()[slotIndex] == expected);
        QCOMPARE(Document().Modified, valid);
        QCOMPARE(m_address->text(), text);
    }
}

void BookmarkManagerTest::box_change_rule()
{
    Open();
    m_title->setText(QStringLiteral("x"));
    QVERIFY(ToolButton("cmdAdd")->isEnabled());
    QVERIFY(!ToolButton("cmdUpdate")->isEnabled()); // the list is empty
    m_address->setText(QStringLiteral("1"));
    m_address->clear();
    QVERIFY(!ToolButton("cmdAdd")->isEnabled());
    m_title->setText(QStringLiteral("xy")); // only the box just changed counts
    QVERIFY(ToolButton("cmdAdd")->isEnabled());
}

void BookmarkManagerTest::add_update_delete_keep_slots_gapless()
{
    Document().Bookmarks[0] = {-1, "a"};
    Open();
    QVERIFY(!ToolButton("cmdAdd")->isEnabled());
    for (const char* name : {"b", "c", "d"})
        AddBookmark(QLatin1String(name), QLatin1String(name));
    m_list->setCurrentRow(0); // selecting fills the boxes
    QCOMPARE(m_address->text(), QStringLiteral("FFFFFFFF"));
    QCOMPARE(m_title->text(), QStringLiteral("a"));
    m_list->setCurrentRow(1);
    m_title->setText(QStringLiteral("B2"));
    m_address->setText(QStringLiteral("b2"));
    ToolButton("cmdUpdate")->click();
    QVERIFY((Slots()[1] == Bookmark{0xB2, "B2"}));
    ToolButton("cmdDel")->click(); // the last takes the gap
    QCOMPARE(ToolEntries(), (QStringList{"a", "d", "c"}));
    QVERIFY((Slots()[1] == Bookmark{0xD, "d"}) && (Slots()[2] == Bookmark{0xC, "c"}) && (Slots()[3] == Bookmark{}));
    QCOMPARE(Slots()[0].Address, -1);
    // Deleting the last entry leaves nothing selected: a second Delete does nothing.
    m_list->setCurrentRow(2);
    ToolButton("cmdDel")->click();
    ToolButton("cmdDel")->click();
    QCOMPARE(ToolEntries(), (QStringList{"a", "d"}));
    QVERIFY(Panel(2)->isEnabled());
    m_tool->close();
    Open(); // reopening reads the slots afresh
    QCOMPARE(ToolEntries(), (QStringList{"a", "d"}));
}

void BookmarkManagerTest::thirty_one_bookmarks_and_a_title_are_required()
{
    for (std::size_t i = 0; i + 1 < SlotCount; ++i)
        Document().Bookmarks[i] = {static_cast<std::int32_t>(i), "b" + std::to_string(i)};
    m_window->move(310, 40);
    Open();
    AddBookmark("30", "the 31st");
    QCOMPARE(Slots()[30].Title, std::string("the 31st"));
    test::SeenBox full;
    test::AnswerBox(QMessageBox::Ok, &full);
    AddBookmark("99", "one too many");
    QVERIFY(full.shown);
    QCOMPARE(m_list->count(), 31);

    m_list->setCurrentRow(3);
    m_title->clear();
    m_address->setText(QStringLiteral("7"));
    test::SeenBox empty;
    test::AnswerBox(QMessageBox::Ok, &empty);
    ToolButton("cmdUpdate")->click();
    QVERIFY(empty.shown);
    QCOMPARE(Slots()[3].Title, std::string("b3"));
    // Back in the manager, in the box to correct, beside the main window.
    QTRY_VERIFY(m_tool->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), m_title);
    // No room on the right of the screen: on the left.
    QVERIFY(m_tool->frameGeometry().right() < m_window->frameGeometry().left());
    QCOMPARE(m_tool->frameGeometry().top(), m_window->frameGeometry().top());
}

void BookmarkManagerTest::replaced_table_refills_the_list_and_menu_does_not()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.tbl"));
    test::WriteBytes(path.toStdString(), "(10h)from file\r\n");
    Open();
    Document().Bookmarks[0] = {1, "behind its back"};
    Open();
    QVERIFY(ToolEntries().isEmpty());
    test::AnswerFileDialog(path);
    m_window->mnuOpen_Click();
    QCOMPARE(ToolEntries(), QStringList{"from file"});

    // A character the table's encoding has no bytes for is refused, named;
    // in the 8-bit look é and € are bytes E9 and 80.
    m_title->setFocus();
    test::TypeCharacters(m_title, QStringLiteral("é€あ"));
    m_address->setText(QStringLiteral("1"));
    test::SeenBox seen;
    test::AnswerBox(QMessageBox::Ok, &seen);
    ToolButton("cmdAdd")->click();
    QVERIFY(seen.text.contains(QStringLiteral("«あ»")));
    QCOMPARE(Document().BookmarkCount(), std::size_t{1});
    m_title->setText(QStringLiteral("é€"));
    ToolButton("cmdAdd")->click();
    QCOMPARE(Slots()[1].Title, std::string("\xE9\x80"));
}

ZELVANE_GUI_TEST_MAIN(BookmarkManagerTest)
#include "tst_bookmark_manager.moc"
