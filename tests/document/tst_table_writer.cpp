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
#include <functional>


using namespace zelvane;

Q_DECLARE_METATYPE(std::function<void(zelvane::TableDocument&)>)

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
    void unchanged_file_comes_back_byte_for_byte_data();
    void unchanged_file_comes_back_byte_for_byte();
    void edit_changes_only_its_lines_data();
    void edit_changes_only_its_lines();
    void saved_file_is_the_record_of_the_next_save();
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

// Saves what `bytes` reads as, after `edit`, and gives the file written;
// `followed`: whether the table had to be brought in line with the file.
std::string SavedAfter(const QByteArray& bytes, const std::function<void(TableDocument&)>& edit, bool& followed)
{
    TableDocument doc;
    if (!ParseTable(doc, std::string_view(bytes.constData(), std::size_t(bytes.size()))))
        qFatal("test table refused");
    edit(doc);
    QTemporaryDir dir;
    const std::filesystem::path path = dir.filePath("t.tbl").toStdString();
    if (const FileResult result = SaveTable(doc, path, followed); !result)
        qFatal("SaveTable refused: %s", result.message.c_str());
    return test::ReadBytes(path);
}

void TableWriterTest::unchanged_file_comes_back_byte_for_byte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lf_comments_blank_lines_lower_digits")
        << QByteArray("# ====\n; =====\n\n// inserter\n4a=a\n0a=\n/ff=<END>\n*7e=<nl>\n\n\n8140=\x81\x40\n@main\n41=A\n");
    QTest::newRow("cr_and_mixed_ends_no_final_end") << QByteArray("41=A\r42=B\r\n\r\n43=C\n(0001A2h)Menu\n(5h)\n44=D");
    QTest::newRow("duplicated_codes_and_unassigned_at_last") << QByteArray("5C=\xA5\n8145=x\n5c=y\n41=a\n/41\n41=\n");
    QTest::newRow("byte_order_mark") << QByteArray("\xEF\xBB\xBF" "00=a\n01=b\n");
    QTest::newRow("blank_lines_only") << QByteArray("\r\n\r\n");
}

void TableWriterTest::unchanged_file_comes_back_byte_for_byte()
{
    QFETCH(QByteArray, bytes);
    bool followed = false;
    QCOMPARE(SavedAfter(bytes, [](TableDocument&) {}, followed), bytes.toStdString());
}

// Each edit is made on the table as read, as the editor or a test of the
// document would make it, and must change exactly the lines it is about.
void TableWriterTest::edit_changes_only_its_lines_data()
{
    using Edit = std::function<void(TableDocument&)>;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray table("# hiragana\n5c=\xA5\n41=a\n\n8145=x\n43=c\n/ff=<END>\n(01A2h)Menu\n");
    QTest::newRow("changed_keeps_its_digits") << table << Edit([](TableDocument& d) { d.Entries[0x5C].Value = "\\"; })
        << QByteArray("# hiragana\n5c=\\\n41=a\n\n8145=x\n43=c\n/ff=<END>\n(01A2h)Menu\n");
    QTest::newRow("new_after_the_nearest_lower") << table << Edit([](TableDocument& d) { d.Entries[0x42].Value = "b"; d.Entries[0x44].Value = "d"; d.Entries[0x45].Value = "e"; })
        << QByteArray("# hiragana\n5c=\xA5\n41=a\n42=b\n\n8145=x\n43=c\n44=D\n45=e\n/ff=<END>\n(01A2h)Menu\n").replace("44=D", "44=d");
    QTest::newRow("new_below_every_code") << table << Edit([](TableDocument& d) { d.Entries[0x20].Value = " "; })
        << QByteArray("# hiragana\n5c=\xA5\n20= \n41=a\n\n8145=x\n43=c\n/ff=<END>\n(01A2h)Menu\n");
    QTest::newRow("emptied_loses_every_line") << QByteArray("41=A\n42=x\n41=B\n") << Edit([](TableDocument& d) { d.Entries[0x41].Value.clear(); })
        << QByteArray("42=x\n");
    QTest::newRow("marked_and_unmarked_in_place") << QByteArray("00=/\n/ff=<END>\n") << Edit([](TableDocument& d) { d.Entries[0].Marked = true; d.Entries[0xFF].Marked = false; })
        << QByteArray("/00\nff=/\n");
    QTest::newRow("bookmark_changed_added_removed") << QByteArray("(1h)a\n41=A\n(2h)b\n42=B") << Edit([](TableDocument& d) {
        d.Bookmarks[0] = {0x10, "A"}; d.Bookmarks[1] = {3, "c"}; })
        << QByteArray("(10h)A\n41=A\n(3h)c\n42=B");
    // A deletion moves the last bookmark into the freed slot: the moved
    // ones keep their own bytes.
    QTest::newRow("bookmark_moved_keeps_its_bytes") << QByteArray("(0001h)A\n(0002h)B\n41=x\n(0003h)C\n(0004h)D\n")
        << Edit([](TableDocument& d) { d.Bookmarks[1] = d.Bookmarks[3]; d.Bookmarks[3] = {}; })
        << QByteArray("(0001h)A\n41=x\n(0004h)D\n\n(0003h)C\n");
    QTest::newRow("bookmark_added_after_an_empty_line") << QByteArray("41=A\r\n") << Edit([](TableDocument& d) { d.Bookmarks[0] = {0x1A2, "Menu"}; })
        << QByteArray("41=A\r\n\r\n(1A2h)Menu\r\n");
    QTest::newRow("extra_lines_removed_and_added") << QByteArray("#1\n41=A\n#2\n#3\n#4\n") << Edit([](TableDocument& d) {
        d.ExtraLines = {"#1", "#3", "#new", "#4"}; })
        << QByteArray("#1\n41=A\n#3\n#new\n#4\n");
    QTest::newRow("extra_line_updated_in_place") << QByteArray("#1\n41=A\n#2\n#3\n") << Edit([](TableDocument& d) { d.ExtraLines[1] = "#two"; })
        << QByteArray("#1\n41=A\n#two\n#3\n");
    QTest::newRow("new_lines_take_the_file_line_end_and_keep_an_open_end") << QByteArray("#x\r41=A") << Edit([](TableDocument& d) {
        d.Entries[0x42].Value = "B"; d.ExtraLines.push_back("#y"); d.Entries[0x41].Value.clear(); })
        << QByteArray("#x\r#y\r42=B");
    QTest::newRow("byte_order_mark_stays") << QByteArray("\xEF\xBB\xBF" "00=a\n") << Edit([](TableDocument& d) { d.Entries[0].Value = "b"; })
        << QByteArray("\xEF\xBB\xBF" "00=b\n");
    QTest::newRow("emptied_loses_an_earlier_special_line") << QByteArray("/41\n41=x\n42=y\n") << Edit([](TableDocument& d) { d.Entries[0x41].Value.clear(); })
        << QByteArray("42=y\n");
    QTest::newRow("new_code_above_a_changed_one") << QByteArray("41=A\n43=C\n") << Edit([](TableDocument& d) { d.Entries[0x42].Value = "b"; d.Entries[0x43].Value = "c"; })
        << QByteArray("41=A\n42=b\n43=c\n");
    QTest::newRow("new_code_after_its_lower_one_across_a_comment") << QByteArray("41=A\n#x\n43=C\n") << Edit([](TableDocument& d) { d.Entries[0x42].Value = "b"; d.Entries[0x43].Value = "c"; })
        << QByteArray("41=A\n42=b\n#x\n43=c\n");
    QTest::newRow("new_code_just_above_a_changed_one_follows_it") << QByteArray("#w\n41=A\n#x\n") << Edit([](TableDocument& d) { d.Entries[0x41].Value = "a"; d.Entries[0x42].Value = "b"; })
        << QByteArray("#w\n41=a\n42=b\n#x\n");
    QTest::newRow("new_code_first_before_a_changed_one") << QByteArray("#x\n43=C\n#y\n") << Edit([](TableDocument& d) { d.Entries[0x42].Value = "b"; d.Entries[0x43].Value = "c"; })
        << QByteArray("#x\n42=b\n43=c\n#y\n");
    QTest::newRow("added_after_an_open_last_line") << QByteArray("#a\n41=A") << Edit([](TableDocument& d) { d.ExtraLines.push_back("#b"); d.Entries[0x42].Value = "B"; })
        << QByteArray("#a\n#b\n41=A\n42=B");
    QTest::newRow("added_first_after_a_byte_order_mark") << QByteArray("\xEF\xBB\xBF" "00=a\n") << Edit([](TableDocument& d) { d.ExtraLines.push_back("#x"); })
        << QByteArray("\xEF\xBB\xBF" "#x\n00=a\n");
    // Given a value, a code whose last line left it unassigned takes that
    // line; its earlier lines are overridden lines again.
    QTest::newRow("hidden_lines_come_back") << QByteArray("A5=\xA5\nA5=\n") << Edit([](TableDocument& d) { d.Entries[0xA5].Value = "Z"; })
        << QByteArray("A5=\xA5\nA5=Z\n");
}

void TableWriterTest::edit_changes_only_its_lines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(std::function<void(TableDocument&)>, edit);
    QFETCH(QByteArray, expected);
    bool followed = false;
    QCOMPARE(QByteArray::fromStdString(SavedAfter(bytes, edit, followed)), expected);
    // Only where a code's earlier lines leave or rejoin the extra lines does
    // the table follow its file.
    const QByteArray tag(QTest::currentDataTag());
    QCOMPARE(followed, tag == "emptied_loses_every_line" || tag == "emptied_loses_an_earlier_special_line"
                           || tag == "hidden_lines_come_back");
}

void TableWriterTest::saved_file_is_the_record_of_the_next_save()
{
    // Each save starts from the file the last one wrote: lines moved by
    // new ones before them are found where they now stand.
    TableDocument doc;
    QVERIFY(ParseTable(doc, "41=A\n#c\n(1h)b\n"));
    doc.Entries[0x40].Value = "@";
    doc.Entries[0x41].Value = "AA";
    doc.Bookmarks[1] = {2, "c"};
    QTemporaryDir dir;
    const std::filesystem::path path = dir.filePath("t.tbl").toStdString();
    bool followed = false;
    QVERIFY(SaveTable(doc, path, followed));
    QCOMPARE(test::ReadBytes(path), std::string("40=@\n41=AA\n#c\n(1h)b\n\n(2h)c\n"));

    // An extra line for a code after that code's own line gives the code
    // its value once written: the table then says what the file says.
    doc.ExtraLines.push_back("41=Z");
    QVERIFY(SaveTable(doc, path, followed));
    QVERIFY(followed);
    QCOMPARE(doc.Entries[0x41].Value, std::string("Z"));
    QVERIFY((doc.ExtraLines == std::vector<ExtraLine>{"41=AA", "#c"}));

    doc.Entries[0x41].Value = "Y";
    QVERIFY(SaveTable(doc, path, followed));
    QVERIFY(!followed);
    doc.Bookmarks[0].Title = "B";
    QVERIFY(SaveTable(doc, path));
    QCOMPARE(test::ReadBytes(path), std::string("40=@\n41=AA\n#c\n41=Y\n(1h)B\n\n(2h)c\n"));
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
