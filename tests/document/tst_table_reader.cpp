#include "common/test_files.h"
#include "document/table_document.h"
#include "document/table_reader.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace zelvane;

namespace {

std::filesystem::path Write(const QTemporaryDir& dir, const std::string& bytes, const char* name = "t.tbl")
{
    const std::filesystem::path path = dir.filePath(name).toStdString();
    test::WriteBytes(path, bytes);
    return path;
}

// A document that differs from a fresh one everywhere a read could touch.
TableDocument Populated()
{
    TableDocument doc;
    doc.Entries[0x10] = {"old", true};
    doc.Bookmarks[0] = {7, "old bookmark"};
    doc.ExtraLines[0] = "old extra";
    doc.FileName = "/somewhere/old.tbl";
    doc.Modified = true;
    return doc;
}

void CompareDocuments(const TableDocument& actual, const TableDocument& expected)
{
    QVERIFY(actual.Entries == expected.Entries);
    QVERIFY(actual.Bookmarks == expected.Bookmarks);
    QVERIFY(actual.ExtraLines == expected.ExtraLines);
    QCOMPARE(actual.FileName, expected.FileName);
    QCOMPARE(actual.Modified, expected.Modified);
}

} // namespace

class TableReaderTest : public QObject {
    Q_OBJECT

private slots:
    void line_kinds_data();
    void line_kinds();
    void failures_data();
    void failures();
    void line_ends_data();
    void line_ends();
    void later_lines_win_data();
    void later_lines_win();
    void slots_fill_in_file_order_up_to_the_last();
    void success_replaces_the_whole_table();
    void empty_file_gives_empty_table();
    void missing_file_folder_and_pipe_fail_without_change();
    void failure_message_quotes_bytes_readably();
};

void TableReaderTest::line_kinds_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("code"); // -1: no entry set
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<QByteArray>("title"); // empty: no bookmark
    QTest::addColumn<qint64>("address");
    QTest::addColumn<QByteArray>("extra"); // empty: no extra line

    QTest::newRow("code") << QByteArray("41=A") << 0x41 << QByteArray("A") << false << QByteArray() << 0LL << QByteArray();
    QTest::newRow("lower_case_code") << QByteArray("ff=y") << 0xFF << QByteArray("y") << false << QByteArray() << 0LL << QByteArray();
    QTest::newRow("value_is_equals") << QByteArray("4a==") << 0x4A << QByteArray("=") << false << QByteArray() << 0LL << QByteArray();
    QTest::newRow("value_keeps_blanks") << QByteArray("20= ") << 0x20 << QByteArray(" ") << false << QByteArray() << 0LL << QByteArray();
    QTest::newRow("value_keeps_equals_and_trailing_blank") << QByteArray("41=a=b ") << 0x41 << QByteArray("a=b ") << false << QByteArray() << 0LL << QByteArray();
    QTest::newRow("value_with_nul_and_high_bytes") << QByteArray("42=\xA4\xAB\0x", 7) << 0x42 << QByteArray("\xA4\xAB\0x", 4) << false << QByteArray() << 0LL << QByteArray();
    QTest::newRow("empty_value") << QByteArray("41=") << 0x41 << QByteArray() << false << QByteArray() << 0LL << QByteArray();
    QTest::newRow("end_of_line") << QByteArray("/FF") << 0xFF << QByteArray("/") << true << QByteArray() << 0LL << QByteArray();
    QTest::newRow("end_of_window_ignores_rest") << QByteArray("*0c=x") << 0x0C << QByteArray("*") << true << QByteArray() << 0LL << QByteArray();
    QTest::newRow("bookmark") << QByteArray("(1A2h)Menu") << -1 << QByteArray() << false << QByteArray("Menu") << 0x1A2LL << QByteArray();
    QTest::newRow("bookmark_upper_H") << QByteArray("(1a2H)Menu") << -1 << QByteArray() << false << QByteArray("Menu") << 0x1A2LL << QByteArray();
    QTest::newRow("bookmark_title_keeps_blank") << QByteArray("(12h) x") << -1 << QByteArray() << false << QByteArray(" x") << 0x12LL << QByteArray();
    QTest::newRow("bookmark_leading_zeros") << QByteArray("(00a0h)t") << -1 << QByteArray() << false << QByteArray("t") << 0xA0LL << QByteArray();
    QTest::newRow("bookmark_first_h_paren_ends_address") << QByteArray("(5h)a h)b") << -1 << QByteArray() << false << QByteArray("a h)b") << 5LL << QByteArray();
    // Eight digits from 8 up are negative: the same 32 bits.
    QTest::newRow("bookmark_negative") << QByteArray("(FFFFFFFFh)end") << -1 << QByteArray() << false << QByteArray("end") << -1LL << QByteArray();
    QTest::newRow("bookmark_without_h_paren_dropped") << QByteArray("(note)") << -1 << QByteArray() << false << QByteArray() << 0LL << QByteArray();
    QTest::newRow("bookmark_empty_title_takes_no_slot") << QByteArray("(5h)") << -1 << QByteArray() << false << QByteArray() << 0LL << QByteArray();
    QTest::newRow("four_digit_code_is_extra") << QByteArray("8140=xy") << -1 << QByteArray() << false << QByteArray() << 0LL << QByteArray("8140=xy");
    QTest::newRow("blank_before_code_is_extra") << QByteArray(" 41=A") << -1 << QByteArray() << false << QByteArray() << 0LL << QByteArray(" 41=A");
    QTest::newRow("blanks_around_equals_is_extra") << QByteArray("41 = A") << -1 << QByteArray() << false << QByteArray() << 0LL << QByteArray("41 = A");
    QTest::newRow("blanks_only_is_extra") << QByteArray("   ") << -1 << QByteArray() << false << QByteArray() << 0LL << QByteArray("   ");
    QTest::newRow("byte_order_mark_is_extra") << QByteArray("\xEF\xBB\xBFs: 20") << -1 << QByteArray() << false << QByteArray() << 0LL << QByteArray("\xEF\xBB\xBFs: 20");
    QTest::newRow("empty_line_ignored") << QByteArray("") << -1 << QByteArray() << false << QByteArray() << 0LL << QByteArray();
}

void TableReaderTest::line_kinds()
{
    QFETCH(QByteArray, line);
    QFETCH(int, code);
    QFETCH(QByteArray, value);
    QFETCH(bool, marked);
    QFETCH(QByteArray, title);
    QFETCH(qint64, address);
    QFETCH(QByteArray, extra);

    QTemporaryDir dir;
    const auto path = Write(dir, line.toStdString() + "\r\n");
    TableDocument doc;
    const FileResult result = LoadTable(doc, path);
    QVERIFY2(result, result.message.c_str());

    TableDocument expected;
    if (code >= 0)
        expected.Entries[code] = {value.toStdString(), marked};
    if (!title.isEmpty())
        expected.Bookmarks[0] = {static_cast<std::int32_t>(address), title.toStdString()};
    if (!extra.isEmpty())
        expected.ExtraLines[0] = extra.toStdString();
    expected.FileName = path.string();
    CompareDocuments(doc, expected);
}

void TableReaderTest::failures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");

    QTest::newRow("code_not_hex") << QByteArray("41=A\r\n4G=x\r\n42=B\r\n") << 2;
    QTest::newRow("slash_claimed_as_code") << QByteArray("/A=1\r\n") << 1;
    QTest::newRow("paren_claimed_as_code") << QByteArray("\r\n(1=2\r\n") << 2;
    QTest::newRow("slash_alone") << QByteArray("/\r\n") << 1;
    QTest::newRow("star_alone") << QByteArray("41=A\n*") << 2;
    QTest::newRow("slash_one_digit") << QByteArray("/5\r\n") << 1;
    QTest::newRow("star_not_hex") << QByteArray("*XY\r\n") << 1;
    QTest::newRow("bookmark_empty_address") << QByteArray("(h)x\r\n") << 1;
    QTest::newRow("bookmark_address_not_hex") << QByteArray("(0x10h)x\r\n") << 1;
    QTest::newRow("bookmark_address_blank") << QByteArray("(1 2h)x\r\n") << 1;
    QTest::newRow("bookmark_address_too_large") << QByteArray("(100000000h)x\r\n") << 1;

    QByteArray bookmarks;
    for (int i = 0; i < 32; ++i)
        bookmarks += "(" + QByteArray::number(i, 16) + "h)b" + QByteArray::number(i) + "\r\n";
    QTest::newRow("bookmark_32nd") << bookmarks << 32;

    QByteArray extras;
    for (int i = 0; i < 32; ++i)
        extras += "extra " + QByteArray::number(i) + "\r\n";
    QTest::newRow("extra_32nd") << extras << 32;
}

void TableReaderTest::failures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);

    QTemporaryDir dir;
    const auto path = Write(dir, bytes.toStdString());
    TableDocument doc = Populated();
    const FileResult result = LoadTable(doc, path);
    QVERIFY(!result);
    QCOMPARE(result.line, static_cast<std::size_t>(line));
    QVERIFY2(result.message.find("riga " + std::to_string(line)) == 0, result.message.c_str());
    CompareDocuments(doc, Populated());
}

void TableReaderTest::line_ends_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("crlf") << QByteArray("s: 20\r\n41=A\r\n(5h)t\r\n");
    QTest::newRow("cr") << QByteArray("s: 20\r41=A\r(5h)t\r");
    QTest::newRow("lf") << QByteArray("s: 20\n41=A\n(5h)t\n");
    QTest::newRow("mixed") << QByteArray("s: 20\n41=A\r(5h)t\r\n");
    QTest::newRow("no_final_line_end") << QByteArray("s: 20\r\n41=A\r\n(5h)t");
    QTest::newRow("empty_lines_everywhere") << QByteArray("\r\n\r\ns: 20\n\n\r41=A\r\n\r\n\r\n(5h)t\r\n\r\n");
}

void TableReaderTest::line_ends()
{
    QFETCH(QByteArray, bytes);

    QTemporaryDir dir;
    TableDocument doc;
    QVERIFY(LoadTable(doc, Write(dir, bytes.toStdString())));
    TableDocument expected;
    expected.ExtraLines[0] = "s: 20";
    expected.Entries[0x41].Value = "A";
    expected.Bookmarks[0] = {5, "t"};
    QVERIFY(doc.Entries == expected.Entries);
    QVERIFY(doc.Bookmarks == expected.Bookmarks);
    QVERIFY(doc.ExtraLines == expected.ExtraLines);
}

void TableReaderTest::later_lines_win_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("marked");

    QTest::newRow("code_then_code") << QByteArray("41=A\r\n41=B\r\n") << QByteArray("B") << false;
    QTest::newRow("special_then_code_keeps_mark") << QByteArray("/41\r\n41=x\r\n") << QByteArray("x") << true;
    QTest::newRow("code_then_special") << QByteArray("41=x\r\n/41\r\n") << QByteArray("/") << true;
    QTest::newRow("code_then_empty_code") << QByteArray("41=x\r\n41=\r\n") << QByteArray() << false;
}

void TableReaderTest::later_lines_win()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, value);
    QFETCH(bool, marked);

    QTemporaryDir dir;
    TableDocument doc;
    QVERIFY(LoadTable(doc, Write(dir, bytes.toStdString())));
    QCOMPARE(doc.Entries[0x41].Value, value.toStdString());
    QCOMPARE(doc.Entries[0x41].Marked, marked);
}

void TableReaderTest::slots_fill_in_file_order_up_to_the_last()
{
    std::string bytes;
    for (int i = 0; i < 31; ++i) {
        bytes += "line " + std::to_string(i) + "\r\n\r\n";
        bytes += "(" + std::to_string(i) + "h)title " + std::to_string(i) + "\r\n";
        bytes += "(1h)\r\n"; // empty titles leave no gap
    }
    QTemporaryDir dir;
    TableDocument doc;
    const FileResult result = LoadTable(doc, Write(dir, bytes));
    QVERIFY2(result, result.message.c_str());
    for (int i = 0; i < 31; ++i) {
        QCOMPARE(doc.ExtraLines[i], "line " + std::to_string(i));
        QCOMPARE(doc.Bookmarks[i].Title, "title " + std::to_string(i));
        QCOMPARE(doc.Bookmarks[i].Address, std::stoi(std::to_string(i), nullptr, 16));
    }
    QCOMPARE(doc.BookmarkCount(), std::size_t{31});
}

void TableReaderTest::success_replaces_the_whole_table()
{
    QTemporaryDir dir;
    const auto path = Write(dir, "42=B\r\n");
    TableDocument doc = Populated();
    QVERIFY(LoadTable(doc, path));
    QCOMPARE(doc.Entries[0x42].Value, std::string("B"));
    QVERIFY(doc.Entries[0x10] == TableEntry{});
    QVERIFY(doc.Bookmarks[0] == Bookmark{});
    QVERIFY(doc.ExtraLines[0].empty());
    QCOMPARE(doc.FileName, path.string());
    QVERIFY(doc.Modified); // the reader leaves Modified to its caller
}

void TableReaderTest::empty_file_gives_empty_table()
{
    QTemporaryDir dir;
    const auto path = Write(dir, "");
    TableDocument doc = Populated();
    QVERIFY(LoadTable(doc, path));
    TableDocument expected;
    expected.FileName = path.string();
    expected.Modified = true;
    CompareDocuments(doc, expected);
}

void TableReaderTest::missing_file_folder_and_pipe_fail_without_change()
{
    QTemporaryDir dir;
    // A pipe would never end; it is refused, not read.
    const std::filesystem::path pipe = dir.filePath("pipe").toStdString();
    QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::filesystem::path& path : {std::filesystem::path(dir.filePath("missing.tbl").toStdString()),
                                              std::filesystem::path(dir.path().toStdString()), pipe}) {
        TableDocument doc = Populated();
        const FileResult result = LoadTable(doc, path);
        QVERIFY(!result);
        QVERIFY(!result.message.empty());
        QCOMPARE(result.line, std::size_t{0});
        CompareDocuments(doc, Populated());
    }
}

void TableReaderTest::failure_message_quotes_bytes_readably()
{
    QTemporaryDir dir;
    TableDocument doc;
    const FileResult result = LoadTable(doc, Write(dir, "\xA4\x01=x\r\n"));
    QVERIFY(!result);
    QCOMPARE(result.message, std::string("riga 1: il codice \"\\xA4\\x01\" non è formato da due cifre esadecimali"));
}

QTEST_APPLESS_MAIN(TableReaderTest)
#include "tst_table_reader.moc"
