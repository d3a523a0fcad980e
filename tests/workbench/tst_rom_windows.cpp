// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_fixture.h"
#include "document/code_pages.h"
#include "rom/rom_text.h"
#include "workbench/relative_search_window.h"
#include "workbench/rom_view.h"

#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
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
    void edits_keep_the_address_and_the_selection();
    void scroll_bar_reaches_the_last_byte_of_a_sparse_4_gib_file();
    void find_and_bookmark_where_one_reads();
    void bookmark_refused_when_full_or_too_far();
    void the_end_the_hex_selection_many_hits_and_the_file_shared();
    void every_view_says_what_the_table_says_data();
    void every_view_says_what_the_table_says();

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
    RomView* OpenView(const QString& path)
    {
        Action("mnuRomView")->trigger();
        auto* view = qobject_cast<RomView*>(test::VisibleWindow("frmRom"));
        if (view) {
            view->OpenFile(path);
            // Its keys are the window's: it must be the active one.
            view->activateWindow();
            if (!QTest::qWaitForWindowActive(view))
                return nullptr;
        }
        return view;
    }
    [[nodiscard]] static QString Status(const RomView* view)
    {
        return view->findChild<QLabel*>(QStringLiteral("lblRomStatus"))->text();
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

void RomWindowsTest::edits_keep_the_address_and_the_selection()
{
    // 3 MB of the secret script, read from far into it.
    QByteArray game;
    while (game.size() < 0x300000)
        game += Secret("HELLO WORLD|HELP|");
    test::WriteBytes(m_rom.toStdString(), game.toStdString());
    RomView* view = OpenView(m_rom);
    QVERIFY(view);
    view->ShowAddress(0x2F0001);
    QCOMPARE(view->topAddress(), qulonglong{0x2F0001});
    const QString selected = Status(view);
    QVERIFY(selected.startsWith(QStringLiteral("Indirizzo 0x2F0001, 1 byte")));
    TypeInto(0x84, QStringLiteral("E"));
    QCOMPARE(view->topAddress(), qulonglong{0x2F0001});
    QCOMPARE(Status(view), selected);
    QVERIFY(ViewText().contains(QStringLiteral("E")));
    // Both ways of reading show the same place.
    view->findChild<QComboBox*>(QStringLiteral("cboRomMode"))->setCurrentIndex(1);
    QCOMPARE(view->topAddress(), qulonglong{0x2F0000});
    QCOMPARE(Status(view), selected);
}

void RomWindowsTest::scroll_bar_reaches_the_last_byte_of_a_sparse_4_gib_file()
{
    const qint64 size = qint64{4} << 30;
    {
        QFile file(m_rom);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size)); // sparse: no room taken
        QVERIFY(file.seek(size - 4));
        QCOMPARE(file.write(Secret("HELP")), qint64{4});
    }
    TypeInto(0x87, QStringLiteral("H"));
    TypeInto(0x8F, QStringLiteral("P"));
    RomView* view = OpenView(m_rom);
    QVERIFY(view);
    auto* scroll = view->findChild<QScrollBar*>(QStringLiteral("scrRom"));
    scroll->setValue(scroll->maximum());
    QVERIFY(view->topAddress() > qulonglong(size - 4096));
    QVERIFY(ViewText().endsWith(QStringLiteral("H<84><8B>P")));
    view->findChild<QComboBox*>(QStringLiteral("cboRomMode"))->setCurrentIndex(1);
    scroll->setValue(0);
    QCOMPARE(view->topAddress(), qulonglong{0});
    QTest::keyClick(view->findChild<QPlainTextEdit*>(QStringLiteral("txtRomHex")), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(scroll->value(), scroll->maximum());
    QVERIFY(view->findChild<QPlainTextEdit*>(QStringLiteral("txtRomHex"))->toPlainText().endsWith(QStringLiteral("H..P")));
}

void RomWindowsTest::find_and_bookmark_where_one_reads()
{
    RomView* view = OpenView(m_rom);
    QVERIFY(view);
    TypeInto(0x87, QStringLiteral("H"));
    TypeInto(0x84, QStringLiteral("E"));
    auto* find = view->findChild<QLineEdit*>(QStringLiteral("txtRomFind"));
    find->setText(QStringLiteral("HEL"));
    QTest::keyClick(find, Qt::Key_Return);
    QVERIFY(Status(view).startsWith(QStringLiteral("Nessun codice della tabella scrive «L»")));
    find->setText(QStringLiteral("HE"));
    QTest::keyClick(find, Qt::Key_Return);
    auto* hits = view->findChild<QListWidget*>(QStringLiteral("lstRomHits"));
    QCOMPARE(hits->count(), 2);
    QVERIFY(hits->item(1)->text().startsWith(QStringLiteral("0x0000000C")));
    QTest::keyClick(find, Qt::Key_F3);
    QVERIFY(Status(view).startsWith(QStringLiteral("Risultato 2 di 2, all'indirizzo 0x00000C")));
    // Ctrl+B: a bookmark at the selection, titled with its text, one step.
    QTest::keyClick(find, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(Document().Bookmarks[0], (Bookmark{0xC, "HE"}));
    QCOMPARE(view->findChild<QComboBox*>(QStringLiteral("cboRomBook"))->itemText(0), QStringLiteral("HE (Ch)"));
    Action("mnuUndo")->trigger();
    QVERIFY(Document().Bookmarks[0].Title.empty());
    // An address past the end says so, with the file's size.
    view->ShowAddress(0x1000);
    QCOMPARE(Status(view), QStringLiteral("L'indirizzo 0x001000 è oltre la fine del file, che ha 16 byte (fino a 0x00000F)."));
    // Hex bytes, and a wrap to the first hit.
    find->setText(QStringLiteral("$8B 8E"));
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(hits->count(), 1);
    QVERIFY(Status(view).startsWith(QStringLiteral("Risultato 1 di 1, all'indirizzo 0x000003")));
}

void RomWindowsTest::bookmark_refused_when_full_or_too_far()
{
    // A sparse file just over 2 GiB: its last byte is at 80000000.
    {
        QFile file(m_rom);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64{0x80000001}));
    }
    RomView* view = OpenView(m_rom);
    QVERIFY(view);
    view->ShowAddress(0x80000000);
    test::SeenBox seen;
    test::AnswerBox(QMessageBox::Ok, &seen);
    view->AddBookmark();
    QVERIFY(seen.shown);
    QVERIFY(Document().Bookmarks[0].Title.empty());
    view->ShowAddress(0x7FFFFFFF);
    view->AddBookmark(); // the last address a bookmark can hold
    QCOMPARE(Document().Bookmarks[0].Address, std::int32_t{0x7FFFFFFF});
    for (std::size_t slot = 1; slot < SlotCount; ++slot)
        Document().Bookmarks[slot] = {1, "b"};
    test::SeenBox full;
    test::AnswerBox(QMessageBox::Ok, &full);
    view->AddBookmark();
    QVERIFY(full.shown);
    QCOMPARE(Document().BookmarkCount(), std::size_t{SlotCount});
}

void RomWindowsTest::the_end_the_hex_selection_many_hits_and_the_file_shared()
{
    QByteArray game;
    for (int i = 0; i < 1002; ++i)
        game += Secret("HE|");
    test::WriteBytes(m_rom.toStdString(), game.toStdString());
    TypeInto(0x87, QStringLiteral("H"));
    TypeInto(0x84, QStringLiteral("E"));
    RomView* view = OpenView(m_rom);
    QVERIFY(view);
    // Ctrl+End: the cursor on the last byte, the status says where.
    QTest::keyClick(view->findChild<QPlainTextEdit*>(QStringLiteral("txtRomText")), Qt::Key_End, Qt::ControlModifier);
    QVERIFY2(Status(view).startsWith(QStringLiteral("Indirizzo 0x000BBD")), qPrintable(Status(view)));
    // Past the hits listed, F3 chooses no row rather than the count's.
    auto* find = view->findChild<QLineEdit*>(QStringLiteral("txtRomFind"));
    find->setText(QStringLiteral("HE"));
    view->FindNext(+1);
    auto* hits = view->findChild<QListWidget*>(QStringLiteral("lstRomHits"));
    QCOMPARE(hits->count(), 1001);
    view->ShowAddress(999 * 3);
    view->FindNext(+1);
    QVERIFY(Status(view).startsWith(QStringLiteral("Risultato 1001 di 1002")));
    QVERIFY(hits->currentRow() != 1000);
    // In hexadecimal the codes' text is marked with the bytes.
    view->findChild<QComboBox*>(QStringLiteral("cboRomMode"))->setCurrentIndex(1);
    view->ShowAddress(0);
    const auto* hex = view->findChild<QPlainTextEdit*>(QStringLiteral("txtRomHex"));
    const bool marked = std::ranges::any_of(hex->extraSelections(), [&](const QTextEdit::ExtraSelection& mark) {
        return mark.cursor.selectedText() == QStringLiteral("H") && mark.format.background().color() == view->palette().color(QPalette::Highlight);
    });
    QVERIFY(marked);
    // Relative search opens on the game the view reads.
    Action("mnuRelSearch")->trigger();
    auto* search = qobject_cast<RelativeSearchWindow*>(test::VisibleWindow("frmRelSearch"));
    QVERIFY(search);
    QCOMPARE(search->FileName(), view->FileName());
}

void RomWindowsTest::every_view_says_what_the_table_says_data()
{
    QTest::addColumn<QString>("edit");
    for (const char* edit : {"typing", "fill", "extra_lines_update", "extra_lines_delete", "bookmark_manager_add",
                             "rom_view_bookmark", "undo", "redo", "outside"})
        QTest::newRow(edit) << QString::fromLatin1(edit);
}

// After every kind of edit, the grid, the status, both managers and the ROM
// view with its hits show the table as it now is.
void RomWindowsTest::every_view_says_what_the_table_says()
{
    QFETCH(QString, edit);
    const QString table = m_dir.filePath(QStringLiteral("views.tbl"));
    test::WriteBytes(table.toStdString(), "80=A\n81=B\n8280=q\n# note\n(10h)start\n");
    QVERIFY(m_window->OpenTable(table));
    const std::string rom("\x80\x81\x82\x80\x80\x81", 6); // A B q A B
    test::WriteBytes(m_rom.toStdString(), rom);
    RomView* view = OpenView(m_rom);
    QVERIFY(view);
    auto* find = view->findChild<QLineEdit*>(QStringLiteral("txtRomFind"));
    find->setText(QStringLiteral("AB"));
    view->FindNext(+1);
    auto* hits = view->findChild<QListWidget*>(QStringLiteral("lstRomHits"));
    QCOMPARE(hits->count(), 2);
    OpenTool("mnuBook", "frmBook");
    QPointer<QWidget> books = m_tool;
    QListWidget* bookList = m_list;
    OpenTool("mnuExtra", "frmExtra");
    m_window->ShowPage("\x82");
    Select(0x80);

    const auto button = [](QWidget* window, const char* name) { return window->findChild<QPushButton*>(QLatin1String(name)); };
    const auto box = [](QWidget* window, const char* name) { return window->findChild<QLineEdit*>(QLatin1String(name)); };
    if (edit == "typing") {
        QTest::keyClicks(Grid(), QStringLiteral("x"));
    } else if (edit == "fill") {
        m_window->ShowPage({});
        Select(0x80);
        ToolbarEntry(8)->trigger(); // capitals from 80: A B C ...
    } else if (edit == "extra_lines_update") {
        m_list->setCurrentRow(0);
        box(m_tool, "txtLine")->setText(QStringLiteral("8280=w"));
        button(m_tool, "cmdUpdate")->click();
    } else if (edit == "extra_lines_delete") {
        m_list->setCurrentRow(0);
        button(m_tool, "cmdDel")->click();
    } else if (edit == "bookmark_manager_add") {
        box(books, "txtAddr")->setText(QStringLiteral("4"));
        box(books, "txtTitle")->setText(QStringLiteral("again"));
        button(books, "cmdAdd")->click();
    } else if (edit == "rom_view_bookmark") {
        view->AddBookmark();
    } else if (edit == "undo" || edit == "redo") {
        QTest::keyClicks(Grid(), QStringLiteral("x"));
        Action("mnuUndo")->trigger();
        if (edit == "redo")
            Action("mnuRedo")->trigger();
    } else if (edit == "outside") {
        Document().ExtraLines[0] = "8280=o";
        Document().Entries[0x81].Value = "b";
        QTest::qWait(0);
        QCoreApplication::processEvents();
    }

    const TableDocument& document = Document();
    // The grid and the status: the current cell's value.
    std::string code = m_window->currentPage();
    code += static_cast<char>(m_window->currentCode());
    const QString value = QString::fromStdString(CodeValue(document, code).value_or(std::string()));
    QCOMPARE(Cell(m_window->currentCode()).data().toString(), value);
    QVERIFY2(Panel(1)->text().contains(u'\'' + value + u'\''), qPrintable(Panel(1)->text()));
    // The managers: the table's lines and bookmarks.
    QStringList lines, titles;
    for (const ExtraLine& line : document.ExtraLines)
        lines << QString::fromStdString(line);
    for (std::size_t slot = 0; slot < document.BookmarkCount(); ++slot)
        titles << QString::fromStdString(document.Bookmarks[slot].Title);
    QCOMPARE(ToolEntries(), lines);
    QStringList listed;
    for (int row = 0; row < bookList->count(); ++row)
        listed << bookList->item(row)->text();
    QCOMPARE(listed, titles);
    // The ROM view, and its hits found again through the table as it is.
    QCOMPARE(ViewText(), QString::fromStdString(DecodeRom(document, rom)));
    const std::vector<std::size_t> found = FindEncoded(rom, EncodeText(document, "AB"));
    QCOMPARE(hits->count(), static_cast<int>(found.size()));
    for (int row = 0; row < hits->count(); ++row)
        QVERIFY(hits->item(row)->text().endsWith(QString::fromStdString(DecodeRom(document, rom.substr(found[std::size_t(row)])))));
    books->close();
}

ZELVANE_GUI_TEST_MAIN(RomWindowsTest)
#include "tst_rom_windows.moc"
