// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_fixture.h"
#include "rom/rom_text.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QInputMethodEvent>
#include <QStringEncoder>
#include <QTimer>

using namespace zelvane;

// A Shift-JIS table of two-byte kanji codes, written by hand.
class PagesTest : public QObject, public test::WindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { TearDownWindow(); }

    void page_shown_typed_into_and_emptied();
    void kanji_by_input_method_and_paste();
    void fill_stops_at_the_page_end_and_marks_need_a_special_value();
    void go_to_and_page_steps();
    void manager_shows_kanji_lines_and_follows_the_grid();
    void undo_and_redo_back_to_the_saved_table();
    void find_across_pages_wrapping();
    void sequence_paste_stops_at_the_page_end();
    void two_byte_end_code_read_marked_shown_and_written();

private:
    [[nodiscard]] static QByteArray Sjis(const QString& text) { return QStringEncoder("Shift_JIS")(text); }
    [[nodiscard]] QByteArrayList Lines() const
    {
        QByteArrayList lines;
        for (const std::string& line : Document().ExtraLines)
            lines << QByteArray::fromStdString(line);
        return lines;
    }

    QTemporaryDir m_dir;
};

void PagesTest::init()
{
    SetUpWindow();
    const QString path = m_dir.filePath(QStringLiteral("kanji.tbl"));
    test::WriteBytes(path.toStdString(), (QByteArray("# kanji\n8140=") + Sjis(QStringLiteral("　")) + "\n889F="
                                          + Sjis(QStringLiteral("亜")) + "\n88A0=x\n88a0=" + Sjis(QStringLiteral("唖"))
                                          + "\n41=" + Sjis(QStringLiteral("あ")) + "\n")
                                             .toStdString());
    QVERIFY(m_window->OpenTable(path));
    QCOMPARE(Document().Encoding, TextEncoding::ShiftJis);
}

void PagesTest::page_shown_typed_into_and_emptied()
{
    // The first page says that there are more; a page of blanks is not empty.
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("lblPage"))->text(), QStringLiteral("1/3"));
    // A table of one-byte codes only has one page, and the corner says nothing.
    const QString plain = m_dir.filePath(QStringLiteral("plain.tbl"));
    test::WriteBytes(plain.toStdString(), "41=A\n");
    QVERIFY(m_window->OpenTable(plain));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("lblPage"))->text(), QString());
    QVERIFY(m_window->OpenTable(m_dir.filePath(QStringLiteral("kanji.tbl"))));
    m_window->ShowPage("\x81");
    Select(0x40);
    QCOMPARE(Panel(1)->text(), QStringLiteral("Codice selezionato: 8140='␣'"));
    m_window->ShowPage("\x88");
    QCOMPARE(m_window->currentPage(), std::string("\x88"));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("lblPage"))->text(), QStringLiteral("88"));
    QCOMPARE(CellText(0x9F), QStringLiteral("亜"));
    QCOMPARE(CellText(0xA0), QStringLiteral("唖")); // the last line, whatever the digits' case
    Select(0x9F);
    QCOMPARE(Panel(1)->text(), QStringLiteral("Codice selezionato: 889F='亜'"));

    TypeInto(0xA1, QStringLiteral("b"));  // a new code after the nearest lower one
    TypeInto(0x9F, QStringLiteral("x"));  // a changed line keeps its place
    m_window->SetInputMode(InputMode::Hiragana);
    Select(0xA0);
    QTest::keyClick(Grid(), Qt::Key_Backspace); // every line of the code goes
    QCOMPARE(Lines(), (QByteArrayList{"# kanji", "8140=" + Sjis(QStringLiteral("　")), "889F=" + Sjis(QStringLiteral("亜")) + "x",
                                      "88A1=b"}));
    QVERIFY(Document().Modified && Panel(2)->isEnabled());
    QCOMPARE(CellText(0xA0), QString());
    QCOMPARE(CellText(0xA1), QStringLiteral("b"));
}

void PagesTest::kanji_by_input_method_and_paste()
{
    m_window->ShowPage("\x88");
    Select(0xB0);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("情漢")); // 情 is 8F EE
    QApplication::sendEvent(Grid(), &commit);
    QCOMPARE(Lines().last(), "88B0=" + Sjis(QStringLiteral("情漢")));

    Select(0x41);
    m_window->ShowPage({});
    QApplication::clipboard()->setText(QStringLiteral("ー、「"));
    Action("mnuPaste")->trigger();
    QCOMPARE(QByteArray::fromStdString(Document().Entries[0x41].Value), Sjis(QStringLiteral("あー、「")));
    // A character Shift-JIS cannot hold is refused, and the status says so.
    QApplication::clipboard()->setText(QStringLiteral("한"));
    Action("mnuPaste")->trigger();
    QCOMPARE(QByteArray::fromStdString(Document().Entries[0x41].Value), Sjis(QStringLiteral("あー、「")));
    QCOMPARE(Panel(1)->text(), QStringLiteral("Il carattere «한» non esiste nella codifica Shift-JIS della tabella"));
}

void PagesTest::fill_stops_at_the_page_end_and_marks_need_a_special_value()
{
    m_window->ShowPage("\x89");
    Select(0xFE);
    ToolbarEntry(8)->trigger(); // capitals
    QCOMPARE(Lines().mid(Lines().size() - 2), (QByteArrayList{"89FE=A", "89FF=B"}));
    QCOMPARE(m_window->currentCode(), std::uint8_t{0xFF});

    test::SeenBox seen;
    test::AnswerBox(QMessageBox::Ok, &seen);
    ToolbarEntry(5)->trigger(); // mark: "B" is no end code
    QVERIFY(seen.text.contains(QStringLiteral("speciale")));
    QCOMPARE(Lines().back(), QByteArray("89FF=B"));
}

void PagesTest::go_to_and_page_steps()
{
    // The box takes pairs of digits only.
    QTimer::singleShot(0, this, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtGoTo"));
        auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        for (const char* refused : {"814", "zz", "81 40"}) {
            box->setText(QLatin1String(refused));
            if (ok->isEnabled())
                return dialog->reject();
        }
        box->setText(QStringLiteral("88a1"));
        ok->click();
    });
    Action("mnuGoTo")->trigger();
    QCOMPARE(m_window->currentPage(), std::string("\x88"));
    QCOMPARE(m_window->currentCode(), std::uint8_t{0xA1});

    // The pages the table has, in byte order, from the keyboard too.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QTest::keyClick(Grid(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(m_window->currentPage(), std::string("\x81"));
    QTest::keyClick(Grid(), Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(Grid(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(m_window->currentPage(), std::string());
    Action("mnuNextPage")->trigger();
    Action("mnuNextPage")->trigger();
    Action("mnuNextPage")->trigger();
    QCOMPARE(m_window->currentPage(), std::string("\x88"));
}

void PagesTest::manager_shows_kanji_lines_and_follows_the_grid()
{
    OpenTool("mnuExtra", "frmExtra");
    QVERIFY(ToolEntries().contains(QStringLiteral("889F=亜")));
    ToolBox("txtLine")->setText(QStringLiteral("# 漢字"));
    ToolButton("cmdAdd")->click();
    // A manager's Update shows in the grid at once, and the grid's edits in it.
    m_window->ShowPage("\x88");
    m_list->setCurrentRow(static_cast<int>(ToolEntries().indexOf(QStringLiteral("889F=亜"))));
    ToolBox("txtLine")->setText(QStringLiteral("889F=阿"));
    ToolButton("cmdUpdate")->click();
    QCOMPARE(CellText(0x9F), QStringLiteral("阿"));
    ToolBox("txtLine")->setText(QStringLiteral("889F=亜"));
    ToolButton("cmdUpdate")->click();
    TypeInto(0x9F, QStringLiteral("y"));
    QCOMPARE(ToolEntries().last(), QStringLiteral("# 漢字"));
    QVERIFY(ToolEntries().contains(QStringLiteral("889F=亜y")));
    QCOMPARE(Lines().last(), "# " + Sjis(QStringLiteral("漢字")));
}

void PagesTest::undo_and_redo_back_to_the_saved_table()
{
    const auto value = [this](int code) { return QByteArray::fromStdString(Document().Entries[code].Value); };
    Select(0x41);
    ToolbarEntry(8)->trigger(); // capitals over あ
    QVERIFY(Panel(1)->text().endsWith(QStringLiteral(" — sostituiti: 1")));
    TypeInto(0x60, QStringLiteral("ab")); // one step
    TypeInto(0x7F, QStringLiteral("c"));
    QCOMPARE(Action("mnuUndo")->text(), QStringLiteral("&Annulla digitazione"));
    QVERIFY(!Action("mnuRedo")->isEnabled());

    QTest::keyClick(Grid(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Grid(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(value(0x60), QByteArray());
    QVERIFY(Document().Modified);
    QCOMPARE(Action("mnuUndo")->text(), QStringLiteral("&Annulla riempimento"));
    QTest::keyClick(Grid(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(value(0x41), Sjis(QStringLiteral("あ")));
    QCOMPARE(value(0x42), QByteArray());
    QVERIFY(!Document().Modified && !Panel(2)->isEnabled() && !Action("mnuUndo")->isEnabled());

    QTest::keyClick(Grid(), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(Grid(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(value(0x5A), QByteArray("Z"));
    QCOMPARE(value(0x60), QByteArray("ab"));
    QVERIFY(Document().Modified && Panel(2)->isEnabled());
    QCOMPARE(Action("mnuRedo")->text(), QStringLiteral("&Ripeti digitazione"));

    // Saved, the table is clean there; a bookmark added is a step too.
    m_window->mnuSave_Click();
    OpenTool("mnuBook", "frmBook");
    ToolBox("txtAddr")->setText(QStringLiteral("10"));
    ToolBox("txtTitle")->setText(QStringLiteral("Menu"));
    ToolButton("cmdAdd")->click();
    QCOMPARE(Document().BookmarkCount(), std::size_t{1});
    Action("mnuUndo")->trigger();
    QCOMPARE(Document().BookmarkCount(), std::size_t{0});
    QVERIFY(ToolEntries().isEmpty() && !Document().Modified);
}

void PagesTest::find_across_pages_wrapping()
{
    Action("mnuFind")->trigger();
    auto* box = test::VisibleWindow("frmFind")->findChild<QLineEdit*>(QStringLiteral("txtFind"));
    box->setText(QStringLiteral("唖"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(m_window->currentPage(), std::string("\x88"));
    QCOMPARE(m_window->currentCode(), std::uint8_t{0xA0});
    box->setText(QStringLiteral("あ")); // on the first page: the search wraps
    Action("mnuFindNext")->trigger();
    QCOMPARE(m_window->currentPage(), std::string());
    QCOMPARE(m_window->currentCode(), std::uint8_t{0x41});
    box->setText(QStringLiteral("zzz"));
    Action("mnuFindNext")->trigger();
    QCOMPARE(Panel(1)->text(), QStringLiteral("Nessuna cella contiene «zzz»"));
    QCOMPARE(m_window->currentCode(), std::uint8_t{0x41});
    test::VisibleWindow("frmFind")->close();
}

void PagesTest::sequence_paste_stops_at_the_page_end()
{
    m_window->ShowPage("\x88");
    Select(0xFE);
    QApplication::clipboard()->setText(QStringLiteral("一二三"));
    Action("mnuPasteSequence")->trigger();
    QCOMPARE(Lines().mid(Lines().size() - 2), (QByteArrayList{"88FE=" + Sjis(QStringLiteral("一")), "88FF=" + Sjis(QStringLiteral("二"))}));
    QVERIFY(Panel(1)->text().endsWith(QStringLiteral("1 carattere non entra prima della fine della pagina")));
    Action("mnuUndo")->trigger(); // one step
    QVERIFY(!Lines().last().startsWith("88F"));
    // Exactly up to FF: everything fitted, and nothing says otherwise.
    Select(0xFD);
    Action("mnuPasteSequence")->trigger();
    QVERIFY(Lines().last().startsWith("88FF="));
    QVERIFY(!Panel(1)->text().contains(QStringLiteral("non entr")));
}

void PagesTest::two_byte_end_code_read_marked_shown_and_written()
{
    const QString path = m_dir.filePath(QStringLiteral("ends.tbl"));
    test::WriteBytes(path.toStdString(), "41=A\n/F100=<END>\nF101=/\n");
    QVERIFY(m_window->OpenTable(path));
    QVERIFY(!Document().Entries[0xF1].Marked); // no mark on the one-byte F1
    m_window->ShowPage("\xF1");
    const QColor yellow(255, 255, 0);
    QCOMPARE(Cell(0x00).data(Qt::BackgroundRole).value<QColor>(), yellow);
    QVERIFY(Cell(0x01).data(Qt::BackgroundRole).value<QColor>() != yellow);
    Select(0x01);
    ToolbarEntry(5)->trigger(); // mark
    QCOMPARE(Cell(0x01).data(Qt::BackgroundRole).value<QColor>(), yellow);
    // Each ends a line where the game's text runs through it.
    QCOMPARE(DecodeRom(Document(), std::string_view("A\xF1\x00" "A\xF1\x01" "A", 7)), std::string("A<END>\nA\nA"));
    Action("mnuSave")->trigger();
    QCOMPARE(test::ReadBytes(path.toStdString()), std::string("41=A\n/F100=<END>\n/F101\n"));
    // Typing into a mark gives the code a value of its own, and the mark goes.
    TypeInto(0x00, QStringLiteral("z"));
    QCOMPARE(Lines().at(0), QByteArray("F100=/z"));
    QVERIFY(Cell(0x00).data(Qt::BackgroundRole).value<QColor>() != yellow);
}

ZELVANE_GUI_TEST_MAIN(PagesTest)
#include "tst_pages.moc"
