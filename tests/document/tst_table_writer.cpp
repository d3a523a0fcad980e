// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/test_files.h"
#include "document/file_stamp.h"
#include "document/table_document.h"
#include "document/table_reader.h"
#include "document/table_writer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>


using namespace zelvane;

namespace {

std::string Formatted(const TableDocument& doc)
{
    std::string bytes;
    if (const FileResult result = FormatTable(doc, bytes); !result)
        qFatal("FormatTable refused: %s", result.message.c_str());
    return bytes;
}

} // namespace

class TableWriterTest : public QObject {
    Q_OBJECT

private slots:
    void writes_sections_in_order_exactly();
    void code_lines_data();
    void code_lines();
    void real_table_keeps_every_line();
    void unreadable_table_refused_data();
    void unreadable_table_refused();
    void saved_file_holds_long_and_short_lines_in_order();
    void refused_save_leaves_file_and_folder_as_they_were();
};

void TableWriterTest::writes_sections_in_order_exactly()
{
    TableDocument doc;
    doc.ExtraLines = {"s: 20", "", "#2"}; // an empty one is not written
    doc.Entries[0x00] = {"/", true};
    doc.Entries[0x20].Value = " ";
    doc.Entries[0x30].Marked = true; // marked but empty: no line
    doc.Entries[0xFF] = {"*", true};
    doc.Bookmarks[0] = {0x1A2, "Menu"};
    doc.Bookmarks[2] = {-1, "End"}; // a free slot between is skipped
    QCOMPARE(Formatted(doc), std::string("s: 20\r\n#2\r\n/00\r\n20= \r\n*FF\r\n\r\n(1A2h)Menu\r\n\r\n(FFFFFFFFh)End\r\n"));
    QCOMPARE(Formatted(TableDocument{}), std::string());
}

void TableWriterTest::code_lines_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("two_upper_digits") << 0x0A << QByteArray("x") << false << QByteArray() << QByteArray("0A=x");
    QTest::newRow("unmarked_slash") << 0x4F << QByteArray("/") << false << QByteArray("=<E>") << QByteArray("4F=/");
    QTest::newRow("marked_star_with_text") << 0xCD << QByteArray("*") << true << QByteArray("00=<END>") << QByteArray("*CD00=<END>");
    QTest::newRow("marked_letter") << 0xAB << QByteArray("A") << true << QByteArray("=<E>") << QByteArray("AB=A");
    QTest::newRow("marked_slash_blank") << 0x01 << QByteArray("/ ") << true << QByteArray() << QByteArray("01=/ ");
}

void TableWriterTest::code_lines()
{
    QFETCH(int, code);
    QFETCH(QByteArray, value);
    QFETCH(bool, marked);
    QFETCH(QByteArray, tail);
    QFETCH(QByteArray, line);

    TableDocument doc;
    doc.Entries[code] = {value.toStdString(), marked, tail.toStdString()};
    QCOMPARE(Formatted(doc), line.toStdString() + "\r\n");
}

// The shapes of tables that projects keep today: thousands of two-byte
// codes, comments, end markers with text, a redefined code, LF line ends.
void TableWriterTest::real_table_keeps_every_line()
{
    std::vector<std::string> lines{"/FE", "\xFF\xFE first extra line, not UTF-16", "# HIRAGANA", "; notes", "// inserter", "@main", "$F1=<pausa>,3", "(no address)"};
    for (int code = 0; code < 8000; ++code)
        lines.push_back(QByteArray::number(0x8140 + code, 16).toUpper().toStdString() + "=\x82\xA0");
    lines.insert(lines.end(), {"41=A", "/FF=<END>", "*7E=<nl>", "/F100=<END>", "41=a", "(1A2h)Menu"});
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\n";

    QTemporaryDir dir;
    const std::filesystem::path path = dir.filePath("real.tbl").toStdString();
    test::WriteBytes(path, bytes);
    TableDocument doc;
    QVERIFY(LoadTable(doc, path));
    QVERIFY(SaveTable(doc, path));
    const std::string written = test::ReadBytes(path);
    for (const std::string& line : lines)
        QVERIFY2(written.find(line + "\r\n") != std::string::npos, line.c_str());

    TableDocument again;
    QVERIFY(LoadTable(again, path));
    QVERIFY(again.Entries == doc.Entries);
    QVERIFY(again.ExtraLines == doc.ExtraLines);
    QVERIFY(again.Bookmarks == doc.Bookmarks);
}

void TableWriterTest::unreadable_table_refused_data()
{
    QTest::addColumn<int>("where"); // 0 value, 1 title, 2 extra line, 3 end marker's text
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("why");

    QTest::newRow("value_cr") << 0 << QByteArray("a\rb") << QByteArray("a capo");
    QTest::newRow("title_crlf") << 1 << QByteArray("t\r\nu") << QByteArray("a capo");
    QTest::newRow("extra_lf") << 2 << QByteArray("\nx") << QByteArray("a capo");
    QTest::newRow("marker_text_lf") << 3 << QByteArray("=<E>\n") << QByteArray("a capo");
    QTest::newRow("extra_slash_not_hex") << 2 << QByteArray("/x") << QByteArray("linea extra 1 \"/x\"");
    QTest::newRow("extra_star_alone") << 2 << QByteArray("*") << QByteArray("linea extra 1 \"*\"");
    QTest::newRow("extra_code_not_hex") << 2 << QByteArray("zz=1") << QByteArray("due cifre");
    QTest::newRow("extra_bad_address") << 2 << QByteArray("(h)x") << QByteArray("indirizzo");
    QTest::newRow("extra_32nd_bookmark") << 2 << QByteArray("(2h)x") << QByteArray("bookmark");
}

void TableWriterTest::unreadable_table_refused()
{
    QFETCH(int, where);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, why);

    TableDocument doc;
    if (where == 0)
        doc.Entries[0x43].Value = text.toStdString();
    else if (where == 1)
        doc.Bookmarks[0] = {1, text.toStdString()};
    else if (where == 2)
        doc.ExtraLines = {text.toStdString()};
    else
        doc.Entries[0x43] = {"/", true, text.toStdString()};
    if (QTest::currentDataTag() == QByteArray("extra_32nd_bookmark"))
        doc.Bookmarks.fill(Bookmark{1, "b"});

    std::string bytes;
    const FileResult result = FormatTable(doc, bytes);
    QVERIFY(!result);
    QVERIFY2(result.message.find(why.toStdString()) != std::string::npos, result.message.c_str());
}

void TableWriterTest::saved_file_holds_long_and_short_lines_in_order()
{
    // Long lines alternate with short ones, and values long and short: the
    // file must hold each in its place, as a plain concatenation has it.
    TableDocument doc;
    for (int i = 0; i < 200; ++i)
        doc.ExtraLines.push_back(i % 2 ? "#" + std::to_string(i) : "#" + std::string(70000 + i, char('a' + i % 26)));
    doc.Entries[0x41].Value = std::string(100000, 'V');
    doc.Entries[0x42].Value = "b";
    doc.Entries[0xFF] = {"/", true, "=<END>"};
    doc.Bookmarks[0] = {0x1A2, "Menu"};
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("big.tbl")).toStdString();
    QVERIFY(SaveTable(doc, path));
    QVERIFY(test::ReadBytes(path) == Formatted(doc));
}

void TableWriterTest::refused_save_leaves_file_and_folder_as_they_were()
{
    // A refusal found half-way: the lines before it would be written first.
    TableDocument doc;
    doc.ExtraLines = {std::string(100000, 'x'), "/x"};
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("t.tbl")).toStdString();
    const std::string link = dir.filePath(QStringLiteral("link.tbl")).toStdString();
    test::WriteBytes(path, "41=A\r\n");
    for (bool linked : {false, true}) { // linked: written in place, not renamed over
        if (linked)
            std::filesystem::create_hard_link(path, link);
        const auto before = StampOf(path); // written back over itself, it would change
        const FileResult result = SaveTable(doc, path);
        QVERIFY(!result);
        QVERIFY2(result.message.find("linea extra 2") != std::string::npos, result.message.c_str());
        QCOMPARE(test::ReadBytes(path), std::string("41=A\r\n"));
        QVERIFY(StampOf(path) == before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), linked ? 2 : 1);
    }
}

QTEST_APPLESS_MAIN(TableWriterTest)
#include "tst_table_writer.moc"
