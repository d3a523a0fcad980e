#include "common/gui_test_main.h"
#include "common/modal_answers.h"
#include "common/test_files.h"
#include "editor/main_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

using namespace zelvane;

namespace {

const QString BadAddress =
    QStringLiteral("Si è verificato un errore. Probabilmente l'indirizzo non è\r\nespresso in un formato corretto.");

} // namespace

class BookmarkManagerTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opens_with_layout_and_initial_state();
    void accepted_addresses_data();
    void accepted_addresses();
    void refused_addresses_data();
    void refused_addresses();
    void box_change_rule();
    void add_update_delete_keep_slots_gapless();
    void limits_and_empty_title_are_refused();
    void menu_again_brings_it_forward_without_refilling();
    void replaced_table_refills_the_list();
    void text_boxes_take_only_eight_bit_characters();

private:
    MainWindow* m_window = nullptr;
    QWidget* m_form = nullptr;
    QListWidget* m_list = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_title = nullptr;

    void Open();
    QPushButton* Button(const char* name) { return m_form->findChild<QPushButton*>(QLatin1String(name)); }
    QStringList Entries() const { return test::ListTexts(m_list); }
    void AddBookmark(const QString& address, const QString& title)
    {
        m_address->setText(address);
        m_title->setText(title);
        Button("cmdAdd")->click();
    }
};

void BookmarkManagerTest::init()
{
    m_window = new MainWindow;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void BookmarkManagerTest::cleanup()
{
    m_window->document().Modified = false;
    m_window->close();
    delete m_window;
    QTRY_VERIFY(!test::VisibleWindow("frmBook"));
}

void BookmarkManagerTest::Open()
{
    m_window->findChild<QAction*>(QStringLiteral("mnuBook"))->trigger();
    m_form = test::VisibleWindow("frmBook");
    QVERIFY(m_form);
    m_list = m_form->findChild<QListWidget*>(QStringLiteral("lstBook"));
    m_address = m_form->findChild<QLineEdit*>(QStringLiteral("txtAddr"));
    m_title = m_form->findChild<QLineEdit*>(QStringLiteral("txtTitle"));
    QVERIFY(m_list && m_address && m_title);
}

void BookmarkManagerTest::opens_with_layout_and_initial_state()
{
    m_window->document().Bookmarks[0] = {0x1A2, "Menu"};
    m_window->document().Bookmarks[1] = {-1, "Fine"};
    Open();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Gestione Bookmarks"));
    QCOMPARE(m_form->size(), QSize(297, 176));
    QVERIFY(!m_form->parentWidget());
    QCOMPARE(m_form->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("(                             h)"));
    QCOMPARE(Entries(), (QStringList{"Menu", "Fine"}));
    QVERIFY(m_list->selectedItems().isEmpty());
    QVERIFY(m_address->text().isEmpty() && m_title->text().isEmpty());
    QVERIFY(!Button("cmdAdd")->isEnabled());
    QVERIFY(Button("cmdUpdate")->isEnabled());
    QVERIFY(Button("cmdDel")->isEnabled());
    QCOMPARE(Button("cmdUpdate")->text(), QStringLiteral("A&ggiorna"));
    QCOMPARE(Button("cmdDel")->text(), QStringLiteral("&Elimina"));
    QCOMPARE(Button("cmdOk")->text(), QStringLiteral("&Chiudi"));
    QCOMPARE(m_address->geometry(), QRect(24, 112, 113, 19));

    // Tab order: address, title, the four buttons, the list.
    QWidget* expected[] = {m_title, Button("cmdUpdate"), Button("cmdAdd"), Button("cmdDel"), Button("cmdOk"), m_list};
    QWidget* from = m_address;
    for (QWidget* next : expected) {
        QCOMPARE(test::NextTabStop(from), next);
        from = next;
    }

    m_list->setCurrentRow(1);
    QCOMPARE(m_address->text(), QStringLiteral("FFFFFFFF"));
    QCOMPARE(m_title->text(), QStringLiteral("Fine"));
    QVERIFY(Button("cmdAdd")->isEnabled());
}

void BookmarkManagerTest::accepted_addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");

    QTest::newRow("lower_case") << "ff" << 255 << "FF";
    QTest::newRow("zero") << "0" << 0 << "0";
    QTest::newRow("minus_one") << "FFFFFFFF" << -1 << "FFFFFFFF";
    QTest::newRow("largest_positive") << "7FFFFFFF" << 0x7FFFFFFF << "7FFFFFFF";
    QTest::newRow("leading_zeros") << "0001a2b0" << 0x1A2B0 << "1A2B0";
    QTest::newRow("blanks_around") << "  1a2 " << 0x1A2 << "1A2";
}

void BookmarkManagerTest::accepted_addresses()
{
    QFETCH(QString, text);
    QFETCH(int, stored);
    QFETCH(QString, shown);

    Open();
    AddBookmark(text, QStringLiteral("t"));
    QCOMPARE(m_window->document().Bookmarks[0].Address, stored);
    QCOMPARE(m_window->document().Bookmarks[0].Title, std::string("t"));
    QVERIFY(m_window->document().Modified);
    QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("SBPanel2"))->isEnabled());
    m_list->setCurrentRow(0);
    QCOMPARE(m_address->text(), shown);
}

void BookmarkManagerTest::refused_addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("nine_digits") << "123456789";
    QTest::newRow("prefix") << "0x10";
    QTest::newRow("blank_between") << "1 2";
    QTest::newRow("empty") << "";
    QTest::newRow("sign") << "-5";
}

void BookmarkManagerTest::refused_addresses()
{
    QFETCH(QString, text);

    m_window->document().Bookmarks[0] = {5, "old"};
    Open();
    for (const char* button : {"cmdAdd", "cmdUpdate"}) {
        m_list->setCurrentRow(0);
        m_title->setText(QStringLiteral("new"));
        m_address->setText(text);
        test::SeenBox seen;
        test::AnswerBox(QMessageBox::Ok, &seen);
        // Clicked directly: an empty box disables Add, the rule is still tested.
        QMetaObject::invokeMethod(m_form, button == QByteArray("cmdAdd") ? "cmdAdd_Click" : "cmdUpdate_Click");
        QVERIFY(seen.shown);
        QCOMPARE(seen.title, QStringLiteral("Errore"));
        QCOMPARE(seen.text, BadAddress);
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(Entries(), QStringList{"old"});
        QVERIFY((m_window->document().Bookmarks[0] == Bookmark{5, "old"}));
        QVERIFY(m_window->document().Bookmarks[1].Title.empty());
        QVERIFY(!m_window->document().Modified);
        QCOMPARE(m_address->text(), text);
        QCOMPARE(m_title->text(), QStringLiteral("new"));
    }
}

void BookmarkManagerTest::box_change_rule()
{
    Open();
    m_title->setText(QStringLiteral("x"));
    QVERIFY(Button("cmdAdd")->isEnabled());
    QVERIFY(!Button("cmdUpdate")->isEnabled()); // the list is empty
    m_address->setText(QStringLiteral("1"));
    m_address->clear();
    QVERIFY(!Button("cmdAdd")->isEnabled());
    m_title->setText(QStringLiteral("xy")); // only the box just changed counts
    QVERIFY(Button("cmdAdd")->isEnabled());
}

void BookmarkManagerTest::add_update_delete_keep_slots_gapless()
{
    Open();
    AddBookmark("A", "a");
    AddBookmark("B", "b");
    AddBookmark("C", "c");
    QCOMPARE(Entries(), (QStringList{"a", "b", "c"}));
    QVERIFY(m_list->selectedItems().isEmpty()); // Add does not move the selection

    m_list->setCurrentRow(1);
    m_title->setText(QStringLiteral("B2"));
    m_address->setText(QStringLiteral("b2"));
    Button("cmdUpdate")->click();
    QVERIFY((m_window->document().Bookmarks[1] == Bookmark{0xB2, "B2"}));

    Button("cmdDel")->click();
    QCOMPARE(Entries(), (QStringList{"a", "c"}));
    const auto& saved = m_window->document().Bookmarks;
    QVERIFY((saved[0] == Bookmark{0xA, "a"}));
    QVERIFY((saved[1] == Bookmark{0xC, "c"}));
    QVERIFY((saved[2] == Bookmark{}));
    QCOMPARE(m_title->text(), QStringLiteral("B2")); // boxes keep their texts

    // Delete the last entry: nothing stays selected, so a second Delete does nothing.
    m_list->setCurrentRow(1);
    Button("cmdDel")->click();
    QCOMPARE(Entries(), QStringList{"a"});
    Button("cmdDel")->click();
    QCOMPARE(Entries(), QStringList{"a"});
    m_list->setCurrentRow(0);
    Button("cmdDel")->click();
    QVERIFY(Entries().isEmpty());
    QVERIFY(!Button("cmdDel")->isEnabled());
    QVERIFY((saved[0] == Bookmark{}));

    // Reopening reads the slots afresh.
    AddBookmark("5", "five");
    m_form->close();
    Open();
    QCOMPARE(Entries(), QStringList{"five"});
}

void BookmarkManagerTest::limits_and_empty_title_are_refused()
{
    for (std::size_t i = 0; i < SlotCount; ++i)
        m_window->document().Bookmarks[i] = {static_cast<std::int32_t>(i), "b" + std::to_string(i)};
    Open();
    test::SeenBox full;
    test::AnswerBox(QMessageBox::Ok, &full);
    AddBookmark("99", "one too many");
    QVERIFY(full.shown);
    QCOMPARE(m_list->count(), 31);
    QVERIFY(!m_window->document().Modified);

    m_list->setCurrentRow(3);
    m_title->clear();
    m_address->setText(QStringLiteral("7"));
    test::SeenBox empty;
    test::AnswerBox(QMessageBox::Ok, &empty);
    Button("cmdUpdate")->click();
    QVERIFY(empty.shown);
    QCOMPARE(m_window->document().Bookmarks[3].Title, std::string("b3"));
    QCOMPARE(m_list->item(3)->text(), QStringLiteral("b3"));
}

void BookmarkManagerTest::menu_again_brings_it_forward_without_refilling()
{
    Open();
    QWidget* first = m_form;
    m_window->document().Bookmarks[0] = {1, "behind its back"};
    Open();
    QCOMPARE(m_form, first);
    QVERIFY(Entries().isEmpty());
}

void BookmarkManagerTest::replaced_table_refills_the_list()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.tbl"));
    test::WriteBytes(path.toStdString(), "(10h)from file\r\n");
    m_window->document().Bookmarks[0] = {1, "old"};
    Open();
    m_list->setCurrentRow(0);
    test::AnswerFileDialog(path);
    m_window->mnuOpen_Click();
    QCOMPARE(Entries(), QStringList{"from file"});
    QVERIFY(m_address->text().isEmpty());
    m_list->setCurrentRow(0);
    QCOMPARE(m_address->text(), QStringLiteral("10"));
}

void BookmarkManagerTest::text_boxes_take_only_eight_bit_characters()
{
    Open();
    m_title->setFocus();
    test::TypeCharacters(m_title, QStringLiteral("aé€あb"));
    QCOMPARE(m_title->text(), QStringLiteral("aé€b"));
    m_address->setText(QStringLiteral("1"));
    Button("cmdAdd")->click();
    QCOMPARE(QByteArray::fromStdString(m_window->document().Bookmarks[0].Title).toHex(' '), QByteArray("61 e9 80 62"));
}

ZELVANE_GUI_TEST_MAIN(BookmarkManagerTest)
#include "tst_bookmark_manager.moc"
