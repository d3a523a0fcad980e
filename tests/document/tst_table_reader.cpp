// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/test_files.h"
#include "document/table_document.h"
#include "document/table_reader.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace zelvane;

namespace {

std::filesystem::path Write(const QTemporaryDir& dir, const QByteArray& bytes, const char* name = "t.tbl")
{
    const std::filesystem::path path = dir.filePath(name).toStdString();
    test::WriteBytes(path, bytes.toStdString());
    return path;
}

// A document that differs from a fresh one everywhere a read could touch.
TableDocument Populated()
{
    TableDocument doc;
    doc.Entries[0x10] = {"old", true};
    doc.Bookmarks[0] = {7, "old bookmark"};
    doc.ExtraLines = {"old extra"};
    doc.FileName = "/somewhere/old.tbl";
    doc.Modified = true;
    return doc;
}

bool SameDocument(const TableDocument& a, const TableDocument& b)
{
    return a.Entries == b.Entries && a.Bookmarks == b.Bookmarks && a.ExtraLines == b.ExtraLines
           && a.FileName == b.FileName && a.Modified == b.Modified;
}

std::vector<ExtraLine> Lines(const QByteArrayList& list)
{
    std::vector<ExtraLine> lines;
    for (const QByteArray& line : list)
        lines.push_back(line.toStdString());
    return lines;
}

} // namespace

class TableReaderTest : public QObject {
    Q_OBJECT

private slots:
    void entries_and_extra_lines_data();
    void entries_and_extra_lines();
    void bookmarks_data();
    void bookmarks();
    void failures_leave_the_table_as_it_was_data();
    void failures_leave_the_table_as_it_was();
    void line_ends_data();
    void line_ends();
    void extra_lines_have_no_limit_bookmarks_have_31_slots();
    void load_replaces_the_table_from_regular_files_only();
};

void TableReaderTest::entries_and_extra_lines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("value");  // of code 41
    QTest::addColumn<bool>("marked");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QByteArrayList>("extras");

    const QByteArrayList none;
    QTest::newRow("value_keeps_equals_and_blanks") << QByteArray("41= a=b ") << QByteArray(" a=b ") << false << QByteArray() << none;
    QTest::newRow("end_marker_keeps_its_text") << QByteArray("*41=<END>") << QByteArray("*") << true << QByteArray("=<END>") << none;
    // A mark of a two-byte code is a line of its page; digits that are no
    // code leave the first two to mark a one-byte code.
    QTest::newRow("two_byte_end_marker") << QByteArray("/4100=<END>") << QByteArray() << false << QByteArray() << QByteArrayList{"/4100=<END>"};
    QTest::newRow("odd_digits_mark_one_byte") << QByteArray("/41000=<END>") << QByteArray("/") << true << QByteArray("000=<END>") << none;
    QTest::newRow("comments_and_other_tools_lines") << QByteArray("# HIRAGANA\n; x\n// y\n$F1=<p>,3\n@main\n100=-\n8140=xy\n 41=A\n41 = A\n   ")
        << QByteArray() << false << QByteArray()
        << QByteArrayList{"# HIRAGANA", "; x", "// y", "$F1=<p>,3", "@main", "100=-", "8140=xy", " 41=A", "41 = A", "   "};
    QTest::newRow("paren_without_h_paren_kept") << QByteArray("(note)") << QByteArray() << false << QByteArray() << QByteArrayList{"(note)"};
    QTest::newRow("utf8_byte_order_mark_before_the_first_line") << QByteArray("\xEF\xBB\xBF" "41=a") << QByteArray("a") << false << QByteArray() << none;
    QTest::newRow("comments_whatever_follows") << QByteArray("# ====\n; =====\n//=x\n41=a") << QByteArray("a") << false << QByteArray() << QByteArrayList{"# ====", "; =====", "//=x"};
    QTest::newRow("line_beginning_with_nul") << QByteArray("\0" "41=A\n41=B", 10) << QByteArray("B") << false << QByteArray() << QByteArrayList{QByteArray("\0" "41=A", 5)};
    // The last line gives the value; the earlier ones stay, in file order.
    QTest::newRow("redefined_code") << QByteArray("41=A\n#c\n41=B\n42=C") << QByteArray("B") << false << QByteArray() << QByteArrayList{"41=A", "#c"};
    QTest::newRow("special_then_code_keeps_mark") << QByteArray("/41\n41=x") << QByteArray("x") << true << QByteArray() << QByteArrayList{"/41"};
    QTest::newRow("code_then_special") << QByteArray("41=x\n/41=<E>") << QByteArray("/") << true << QByteArray("=<E>") << QByteArrayList{"41=x"};
    QTest::newRow("code_line_giving_a_special_value") << QByteArray("/41=<E>\n41=/") << QByteArray("/") << true << QByteArray() << QByteArrayList{"/41=<E>"};
    // Kept above, the earlier lines would assign the code again.
    QTest::newRow("unassigned_at_last_drops_earlier") << QByteArray("41=x\n/41\n#c\n41=") << QByteArray() << true << QByteArray() << QByteArrayList{"#c"};
}

void TableReaderTest::entries_and_extra_lines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, value);
    QFETCH(bool, marked);
    QFETCH(QByteArray, tail);
    QFETCH(QByteArrayList, extras);

    TableDocument doc;
    const FileResult result = ParseTable(doc, bytes.toStdString());
    QVERIFY2(result, result.message.c_str());
    const TableEntry expected{value.toStdString(), marked, tail.toStdString()};
    QVERIFY(doc.Entries[0x41] == expected);
    QVERIFY(doc.ExtraLines == Lines(extras));
    QCOMPARE(doc.BookmarkCount(), std::size_t{0});
}

void TableReaderTest::bookmarks_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<qint64>("address");
    QTest::addColumn<QByteArray>("title"); // empty: no slot taken

    QTest::newRow("upper_H_and_lower_digits") << QByteArray("(1a2H)Menu") << 0x1A2LL << QByteArray("Menu");
    QTest::newRow("first_h_paren_ends_address") << QByteArray("(5h)a h)b") << 5LL << QByteArray("a h)b");
    QTest::newRow("empty_title_takes_no_slot") << QByteArray("(5h)") << 0LL << QByteArray();
}

void TableReaderTest::bookmarks()
{
    QFETCH(QByteArray, line);
    QFETCH(qint64, address);
    QFETCH(QByteArray, title);

    TableDocument doc;
    QVERIFY(ParseTable(doc, (line + "\r\n(1h)next").toStdString()));
    const std::size_t next = title.isEmpty() ? 0 : 1;
    if (next)
        QVERIFY(doc.Bookmarks[0] == (Bookmark{static_cast<std::int32_t>(address), title.toStdString()}));
    QVERIFY(doc.Bookmarks[next] == (Bookmark{1, "next"}));
    QVERIFY(doc.ExtraLines.empty());
}

void TableReaderTest::failures_leave_the_table_as_it_was_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line"); // 0: not tied to a line

    QTest::newRow("code_not_hex") << QByteArray("41=A\r\n4G=x\r\n42=B\r\n") << 2;
    QTest::newRow("slash_claimed_as_code") << QByteArray("/A=1\r\n") << 1;
    QTest::newRow("nul_claimed_as_code") << QByteArray("\0" "A=1", 4) << 1;
    QTest::newRow("star_alone") << QByteArray("41=A\n*") << 2;
    QTest::newRow("bookmark_empty_address") << QByteArray("(h)x\r\n") << 1;
    QTest::newRow("bookmark_address_too_large") << QByteArray("(100000000h)x\r\n") << 1;
    QTest::newRow("utf16_little_endian") << QByteArray("\xFF\xFE" "4\0" "1\0=\0A\0\r\0\n\0", 14) << 0;
    QTest::newRow("utf16_big_endian") << QByteArray("\xFE\xFF\0" "4\0" "1", 6) << 0;
}

void TableReaderTest::failures_leave_the_table_as_it_was()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);

    TableDocument doc = Populated();
    const FileResult result = ParseTable(doc, bytes.toStdString());
    QVERIFY(!result);
    QCOMPARE(result.line, static_cast<std::size_t>(line));
    if (line)
        QVERIFY2(result.message.find("riga " + std::to_string(line) + ": ") == 0, result.message.c_str());
    else
        QVERIFY2(result.message.find("UTF-16") != std::string::npos, result.message.c_str());
    QVERIFY(SameDocument(doc, Populated()));
}

void TableReaderTest::line_ends_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("crlf") << QByteArray("s: 20\r\n41=A\r\n(5h)t\r\n");
    QTest::newRow("lf") << QByteArray("s: 20\n41=A\n(5h)t\n");
    QTest::newRow("no_final_line_end") << QByteArray("s: 20\r\n41=A\r\n(5h)t");
    QTest::newRow("empty_lines_everywhere") << QByteArray("\r\n\r\ns: 20\n\n\r41=A\r\n\r\n\r\n(5h)t\r\n\r\n");
}

void TableReaderTest::line_ends()
{
    QFETCH(QByteArray, bytes);

    TableDocument doc;
    QVERIFY(ParseTable(doc, bytes.toStdString()));
    QVERIFY(doc.ExtraLines == std::vector<ExtraLine>{"s: 20"});
    QCOMPARE(doc.Entries[0x41].Value, std::string("A"));
    QVERIFY(doc.Bookmarks[0] == (Bookmark{5, "t"}));
}

void TableReaderTest::extra_lines_have_no_limit_bookmarks_have_31_slots()
{
    QByteArray bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += "8" + QByteArray::number(100 + i) + "=x\n";
    for (int i = 0; i < 31; ++i)
        bytes += "(" + QByteArray::number(i, 16) + "h)b\n";
    TableDocument doc;
    QVERIFY(ParseTable(doc, bytes.toStdString()));
    QCOMPARE(doc.ExtraLines.size(), std::size_t{2000});
    QCOMPARE(doc.ExtraLines.back(), std::string("82099=x"));
    QCOMPARE(doc.BookmarkCount(), SlotCount);

    doc = Populated();
    const FileResult result = ParseTable(doc, (bytes + "(1Fh)32nd\n").toStdString());
    QCOMPARE(result.line, std::size_t{2032});
    QVERIFY(SameDocument(doc, Populated()));
}

void TableReaderTest::load_replaces_the_table_from_regular_files_only()
{
    QTemporaryDir dir;
    const auto good = Write(dir, "42=B\r\n");
    TableDocument doc = Populated();
    QVERIFY(LoadTable(doc, good));
    TableDocument expected;
    expected.Entries[0x42].Value = "B";
    expected.FileName = good.string();
    expected.Modified = true; // the reader leaves Modified to its caller
    QVERIFY(SameDocument(doc, expected));

    // A sparse file: its size is all that counts, nothing is read. A pipe
    // would never end; it is refused, not read.
    const auto big = Write(dir, "41=A\n", "big.tbl");
    QCOMPARE(::truncate(big.c_str(), static_cast<off_t>(MaxTableBytes + 1)), 0);
    const std::filesystem::path pipe = dir.filePath("pipe").toStdString();
    QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::filesystem::path& path : {big, good.parent_path() / "missing.tbl", good.parent_path(), pipe}) {
        doc = Populated();
        QVERIFY(!LoadTable(doc, path).message.empty());
        QVERIFY(SameDocument(doc, Populated()));
    }
    QVERIFY(LoadTable(doc, big).message.find(std::to_string(MaxTableBytes + 1) + " byte") != std::string::npos);
}

QTEST_APPLESS_MAIN(TableReaderTest)
#include "tst_table_reader.moc"
