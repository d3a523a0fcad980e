// SPDX-License-Identifier: GPL-3.0-or-later
// What a translator's day found: a new table that kept the last game's
// codes, a relative name saved elsewhere, a ROM opened as a table, a first
// undo that took two runs of typing, managers that forgot where they stood.
#include "common/window_fixture.h"

#include "document/code_pages.h"

#include <QDir>
#include <QMimeData>
#include <QStringEncoder>

#include <sys/stat.h>

using namespace zelvane;

class TranslatorDayTest : public QObject, public test::WindowFixture {
    Q_OBJECT

private slots:
    void init() { SetUpWindow(); }
    void cleanup()
    {
        QDir::setCurrent(m_startFolder);
        TearDownWindow();
    }

    void new_table_keeps_no_code_of_any_length();
    void relative_path_becomes_the_whole_path();
    void binary_file_asks_first_data();
    void binary_file_asks_first();
    void named_pipe_refused_at_once();
    void unreadable_file_leaves_an_unmodified_table();
    void saved_table_says_what_its_file_says();
    void typing_again_in_a_cell_is_another_step();
    void manager_comes_back_where_it_was();
    void pages_list_their_codes();

private:
    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
    QString m_startFolder = QDir::currentPath();
};

void TranslatorDayTest::new_table_keeps_no_code_of_any_length()
{
    const QByteArray kanji = QStringEncoder("Shift_JIS")(QStringLiteral("亜"));
    test::WriteBytes(Path("k.tbl").toStdString(),
                     ("# kanji\n41=A\n889F=" + kanji + "\n41=B\nF1F500=z\n(10h)" + kanji + "\n").toStdString());
    QVERIFY(m_window->OpenTable(Path("k.tbl")));
    m_window->SetEncoding(TextEncoding::ShiftJis);
    m_window->ShowPage("\x88");
    Action("mnuNew")->trigger();
    QCOMPARE(CodePages(Document()).size(), std::size_t{1});
    QCOMPARE(Document().Encoding, TextEncoding::ShiftJis); // the bookmark's title is written in it
    test::AnswerFileDialog(Path("new.tbl"));
    Action("mnuSaveAs")->trigger();
    QCOMPARE(test::ReadBytes(Path("new.tbl").toStdString()), ("# kanji\r\n\r\n(10h)" + kanji + "\r\n").toStdString());
}

void TranslatorDayTest::relative_path_becomes_the_whole_path()
{
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("sub")));
    test::WriteBytes(Path("sub/t.tbl").toStdString(), "41=A\n");
    QDir::setCurrent(m_dir.path());
    QVERIFY(m_window->OpenTable(QStringLiteral("sub/./t.tbl")));
    QDir::setCurrent(m_startFolder);
    QCOMPARE(QString::fromStdString(Document().FileName), Path("sub/t.tbl"));
    QCOMPARE(m_window->windowTitle(), Path("sub/t.tbl") + QStringLiteral(" - Zelvane 0.9"));
    // Saved where it came from, wherever the editor now stands.
    TypeInto(0x42, QStringLiteral("b"));
    Action("mnuSave")->trigger();
    QCOMPARE(test::ReadBytes(Path("sub/t.tbl").toStdString()), std::string("41=A\n42=b\n"));
}

void TranslatorDayTest::binary_file_asks_first_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<bool>("asks");

    QTest::newRow("nul_deep_in_the_file") << QByteArray(40000, 'a').append('\0').append("\n41=A\n") << true << true;
    QTest::newRow("png") << QByteArray("\x89PNG\r\n\x1A\n41=A\n") << false << true;
    QTest::newRow("zip") << QByteArray("PK\x03\x04" "41=A\n") << true << true;
    QTest::newRow("nes_rom") << QByteArray("NES\x1A" "41=A\n") << false << true;
    QTest::newRow("utf8_table_with_a_mark") << QByteArray("\xEF\xBB\xBF" "41=A\n") << true << false;
    QTest::newRow("plain_table") << QByteArray("41=A\n") << false << false;
}

void TranslatorDayTest::named_pipe_refused_at_once()
{
    const QByteArray pipe = QFile::encodeName(Path("pipe.tbl"));
    QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
    TypeInto(0x30, QStringLiteral("k"));
    test::SeenBox seen;
    test::AnswerBox(QMessageBox::Ok, &seen);
    // Nothing writes to the pipe: a reader that opened it would wait forever.
    QVERIFY(!m_window->OpenTable(Path("pipe.tbl")));
    QVERIFY(seen.shown);
    QVERIFY2(seen.text.contains(QStringLiteral("pipe")), qPrintable(seen.text));
    QCOMPARE(CellText(0x30), QStringLiteral("k"));
    QVERIFY(Document().IsUntitled());
}

void TranslatorDayTest::binary_file_asks_first()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, dropped);
    QFETCH(bool, asks);
    test::WriteBytes(Path("rom.bin").toStdString(), bytes.toStdString());
    TypeInto(0x30, QStringLiteral("k"));
    Document().Modified = false;
    const auto open = [&] {
        if (!dropped) {
            m_window->OpenTable(Path("rom.bin"));
            return;
        }
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Path("rom.bin"))});
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_window, &enter);
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_window, &drop);
    };
    if (!asks) {
        open();
        QTRY_COMPARE(QString::fromStdString(Document().FileName), Path("rom.bin"));
        QCOMPARE(CellText(0x41), QStringLiteral("A"));
        return;
    }
    test::SeenBox seen;
    test::AnswerBox(QMessageBox::No, &seen);
    open();
    QTRY_VERIFY(seen.shown);
    QCOMPARE(seen.text, QStringLiteral("Il file «rom.bin» non sembra una tabella: contiene dati binari. Aprirlo comunque?"));
    QCOMPARE(seen.defaultButton, QMessageBox::No);
    QCOMPARE(CellText(0x30), QStringLiteral("k"));
    QVERIFY(Document().IsUntitled());
    // Yes reads it as the user asked.
    test::SeenBox yes;
    test::AnswerBox(QMessageBox::Yes, &yes);
    open();
    QTRY_VERIFY(yes.shown);
    QTRY_COMPARE(QString::fromStdString(Document().FileName), Path("rom.bin"));
}

void TranslatorDayTest::unreadable_file_leaves_an_unmodified_table()
{
    test::WriteBytes(Path("good.tbl").toStdString(), "41=A\n# note\n");
    test::WriteBytes(Path("bad.tbl").toStdString(), "42=B\n/x\n");
    QVERIFY(m_window->OpenTable(Path("good.tbl")));
    test::AnswerBox(QMessageBox::Ok);
    QVERIFY(!m_window->OpenTable(Path("bad.tbl")));
    QCOMPARE(CellText(0x41), QStringLiteral("A"));
    QCOMPARE(CellText(0x42), QString());
    QCOMPARE(Document().ExtraLines, std::vector<ExtraLine>{"# note"});
    QCOMPARE(QString::fromStdString(Document().FileName), Path("good.tbl"));
}

void TranslatorDayTest::saved_table_says_what_its_file_says()
{
    // A5's last line leaves it empty; given a value, that line changes in
    // place and the earlier one is an overridden extra line again.
    test::WriteBytes(Path("h.tbl").toStdString(), "A5=\xA5\xA2\r\nA5=\r\n41=A\r\n");
    QVERIFY(m_window->OpenTable(Path("h.tbl")));
    QVERIFY(Document().ExtraLines.empty());
    TypeInto(0xA5, QStringLiteral("Z"));
    Action("mnuSave")->trigger();
    QCOMPARE(test::ReadBytes(Path("h.tbl").toStdString()), std::string("A5=\xA5\xA2\r\nA5=Z\r\n41=A\r\n"));
    QCOMPARE(Document().ExtraLines, std::vector<ExtraLine>{"A5=\xA5\xA2"});
    QVERIFY(!Document().Modified);
}

void TranslatorDayTest::typing_again_in_a_cell_is_another_step()
{
    TypeInto(0x41, QStringLiteral("ab"));
    Select(0x42);
    TypeInto(0x41, QStringLiteral("c"));
    Action("mnuUndo")->trigger();
    QCOMPARE(CellText(0x41), QStringLiteral("ab"));
    Action("mnuUndo")->trigger();
    QCOMPARE(CellText(0x41), QString());
}

void TranslatorDayTest::manager_comes_back_where_it_was()
{
    for (const char* manager : {"mnuBook", "mnuExtra"}) {
        const char* form = QByteArray(manager) == "mnuBook" ? "frmBook" : "frmExtra";
        OpenTool(manager, form);
        const QRect place(QPoint(40, 50), m_tool->size() + QSize(120, 90));
        m_tool->resize(place.size());
        m_tool->move(place.topLeft());
        m_tool->close();
        OpenTool(manager, form);
        QCOMPARE(m_tool->size(), place.size());
        QCOMPARE(m_tool->pos(), place.topLeft());
        m_tool->close();
    }
}

void TranslatorDayTest::pages_list_their_codes()
{
    TableDocument doc;
    doc.Entries[0x41].Value = "A";
    doc.Entries[0x20].Value = " ";
    doc.ExtraLines = {"88A0=x", "889F=y", "88a0=z", "88A1=", "8140=w", "# 9940=no"};
    const std::vector<PageSummary> pages = SummarizePages(doc, 2);
    QCOMPARE(pages.size(), std::size_t{3});
    QCOMPARE(pages[0].Codes, std::size_t{2});
    QCOMPARE(pages[0].FirstValues, (std::vector<std::string>{" ", "A"}));
    QCOMPARE(pages[1].Lead, std::string("\x81"));
    QCOMPARE(pages[2].Codes, std::size_t{2}); // 88A0's last line wins, 88A1 has no value
    QCOMPARE(pages[2].FirstValues, (std::vector<std::string>{"y", "z"}));
}

ZELVANE_GUI_TEST_MAIN(TranslatorDayTest)
#include "tst_translator_day.moc"
