#include "common/gui_test_main.h"
#include "common/modal_answers.h"
#include "common/test_files.h"
#include "editor/main_window.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

using namespace zelvane;

class ExtraLinesManagerTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opens_with_the_slots_and_initial_state();
    void close_button_writes_back_close_box_drops();
    void delete_moves_last_line_and_update_can_free_a_slot();
    void no_selection_changes_nothing();
    void add_has_no_limit_but_refuses_unreadable_lines();
    void close_and_save_never_lose_typed_lines();
    void replaced_table_refills_the_working_copy();
    void main_window_closing_drops_the_working_copy();

private:
    MainWindow* m_window = nullptr;
    QWidget* m_form = nullptr;
    QListWidget* m_list = nullptr;
    QLineEdit* m_line = nullptr;

    void Open();
    QPushButton* Button(const char* name) { return m_form->findChild<QPushButton*>(QLatin1String(name)); }
    void Add(const QString& text)
    {
        m_line->setText(text);
        Button("cmdAdd")->click();
    }
    QStringList Entries() const { return test::ListTexts(m_list); }
    std::vector<std::string> UsedSlots() const { return m_window->document().ExtraLines; }
};

void ExtraLinesManagerTest::init()
{
    m_window = new MainWindow;
    m_window->document().ExtraLines = {"A", "B"};
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void ExtraLinesManagerTest::cleanup()
{
    m_window->document().Modified = false;
    m_window->close();
    delete m_window;
    QTRY_VERIFY(!test::VisibleWindow("frmExtra"));
}

void ExtraLinesManagerTest::Open()
{
    m_window->findChild<QAction*>(QStringLiteral("mnuExtra"))->trigger();
    m_form = test::VisibleWindow("frmExtra");
    QVERIFY(m_form);
    m_list = m_form->findChild<QListWidget*>(QStringLiteral("lstExtra"));
    m_line = m_form->findChild<QLineEdit*>(QStringLiteral("txtLine"));
    QVERIFY(m_list && m_line);
}

void ExtraLinesManagerTest::opens_with_the_slots_and_initial_state()
{
    Open();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Gestione Linee Extra"));
    QCOMPARE(m_form->size(), QSize(296, 175));
    QCOMPARE(Entries(), (QStringList{"A", "B"}));
    QVERIFY(m_list->selectedItems().isEmpty());
    QVERIFY(!Button("cmdAdd")->isEnabled());
    QVERIFY(Button("cmdUpdate")->isEnabled() && Button("cmdDel")->isEnabled());
    QCOMPARE(Button("cmdDel")->text(), QStringLiteral("&Cancella"));
    QCOMPARE(test::NextTabStop(m_list), static_cast<QWidget*>(m_line));

    // Selecting copies the line into the box, so Add appends a copy.
    m_list->setCurrentRow(1);
    QCOMPARE(m_line->text(), QStringLiteral("B"));
    QVERIFY(Button("cmdAdd")->isEnabled());
    Button("cmdAdd")->click();
    QCOMPARE(Entries(), (QStringList{"A", "B", "B"}));
    QVERIFY(m_window->document().Modified);
}

void ExtraLinesManagerTest::close_button_writes_back_close_box_drops()
{
    Open();
    Add("C");
    m_form->close(); // the close box
    QCOMPARE(UsedSlots(), (std::vector<std::string>{"A", "B"}));
    QVERIFY(m_window->document().Modified);

    Open();
    QCOMPARE(Entries(), (QStringList{"A", "B"}));
    Add("C");
    Button("cmdOk")->click();
    QVERIFY(!test::VisibleWindow("frmExtra"));
    QCOMPARE(UsedSlots(), (std::vector<std::string>{"A", "B", "C"}));
}

void ExtraLinesManagerTest::delete_moves_last_line_and_update_can_free_a_slot()
{
    Open();
    Add("C");
    m_list->setCurrentRow(0);
    Button("cmdDel")->click();
    QCOMPARE(Entries(), (QStringList{"C", "B"}));
    QVERIFY(m_line->text().isEmpty());
    QVERIFY(!Button("cmdAdd")->isEnabled());

    m_list->setCurrentRow(1);
    m_line->clear();
    Button("cmdUpdate")->click();
    Button("cmdOk")->click();
    QCOMPARE(UsedSlots(), (std::vector<std::string>{"C"}));
    m_window->document().ExtraLines.push_back("D");
    Open();
    QCOMPARE(Entries(), (QStringList{"C", "D"}));

    m_list->setCurrentRow(0);
    Button("cmdDel")->click();
    m_list->setCurrentRow(0);
    Button("cmdDel")->click();
    QVERIFY(Entries().isEmpty());
    QVERIFY(!Button("cmdUpdate")->isEnabled() && !Button("cmdDel")->isEnabled());
}

void ExtraLinesManagerTest::no_selection_changes_nothing()
{
    Open();
    m_line->setText(QStringLiteral("Z"));
    Button("cmdUpdate")->click();
    Button("cmdDel")->click();
    QCOMPARE(Entries(), (QStringList{"A", "B"}));
    QVERIFY(!m_window->document().Modified);
}

void ExtraLinesManagerTest::add_has_no_limit_but_refuses_unreadable_lines()
{
    for (int i = 0; i < 40; ++i)
        m_window->document().ExtraLines.push_back("x" + std::to_string(i));
    Open();
    Add("no limit");
    QCOMPARE(m_list->count(), 43);

    // A line the reader would refuse stays in the box to be corrected.
    for (const QString& bad : {QStringLiteral("/x"), QStringLiteral("zz=1")}) {
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
    m_line->setText(QStringLiteral("(h)x"));
    Button("cmdUpdate")->click();
    QVERIFY(seen.shown);
    QCOMPARE(m_list->item(0)->text(), QStringLiteral("A"));
}

void ExtraLinesManagerTest::close_and_save_never_lose_typed_lines()
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("s.tbl")).toStdString();
    m_window->document().FileName = path;
    Open();
    Add("C");
    QVERIFY(m_window->document().Modified);
    m_window->mnuSave_Click(); // saves what the open manager lists
    QCOMPARE(test::ReadBytes(path), std::string("A\r\nB\r\nC\r\n"));
    QVERIFY(!m_window->document().Modified);

    Add("D");
    m_window->document().Modified = false;
    Button("cmdOk")->click();
    QVERIFY(m_window->document().Modified);
    QVERIFY(m_window->findChild<QWidget*>(QStringLiteral("SBPanel2"))->isEnabled());
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
    QCOMPARE(Entries(), QStringList{"new line"});
    Button("cmdOk")->click();
    QCOMPARE(UsedSlots(), std::vector<std::string>{"new line"});
}

void ExtraLinesManagerTest::main_window_closing_drops_the_working_copy()
{
    Open();
    Add("C");
    QPointer<QWidget> form(m_form);
    test::AnswerBox(QMessageBox::No);
    QVERIFY(m_window->close());
    QVERIFY(!form || !form->isVisible());
    QCOMPARE(UsedSlots(), (std::vector<std::string>{"A", "B"}));
}

ZELVANE_GUI_TEST_MAIN(ExtraLinesManagerTest)
#include "tst_extra_lines_manager.moc"
