#include "common/test_files.h"
#include "document/table_document.h"
#include "document/table_reader.h"
#include "document/table_writer.h"

#include <QTemporaryDir>
#include <QTest>

#include <random>
#include <sys/stat.h>

using namespace zelvane;

namespace {

std::filesystem::path PathIn(const QTemporaryDir& dir, const char* name)
{
    return dir.filePath(name).toStdString();
}

std::string Written(TableDocument doc)
{
    QTemporaryDir dir;
    const auto path = PathIn(dir, "out.tbl");
    const FileResult result = SaveTable(doc, path);
    if (!result)
        qFatal("SaveTable failed: %s", result.message.c_str());
    return test::ReadBytes(path);
}

// Any byte but CR and LF, NUL included; empty at times.
std::string RandomText(std::mt19937& random, bool allowEmpty)
{
    std::uniform_int_distribution<int> length(allowEmpty ? 0 : 1, 12);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text;
    for (int n = length(random); n > 0;) {
        const char c = static_cast<char>(byte(random));
        if (c != '\r' && c != '\n') {
            text += c;
            --n;
        }
    }
    return text;
}

// A document as a read could give it: slots in use gapless, extra lines
// that read back as extra lines.
TableDocument RandomDocument(std::mt19937& random)
{
    TableDocument doc;
    std::uniform_int_distribution<int> coin(0, 3);
    for (TableEntry& entry : doc.Entries) {
        switch (coin(random)) {
        case 0: entry = {"/", true, "=<" + std::to_string(coin(random)) + ">"}; break;
        case 1: entry = {"*", true}; break;
        default: entry.Value = RandomText(random, true); break;
        }
    }
    std::uniform_int_distribution<int> slotCount(0, static_cast<int>(SlotCount));
    std::uniform_int_distribution<std::int64_t> address(INT32_MIN, INT32_MAX);
    for (int i = slotCount(random); i > 0; --i)
        doc.Bookmarks[i - 1] = {static_cast<std::int32_t>(address(random)), RandomText(random, false)};
    for (int i = slotCount(random) * 3; i > 0; --i) {
        // Keeps it an extra line: no "=" in third place and no special first character.
        doc.ExtraLines.push_back("#x " + RandomText(random, true));
    }
    return doc;
}

} // namespace

class TableWriterTest : public QObject {
    Q_OBJECT

private slots:
    void writes_sections_in_order_exactly();
    void empty_document_gives_empty_file();
    void code_lines_data();
    void code_lines();
    void bookmark_addresses_data();
    void bookmark_addresses();
    void extra_lines_in_order_free_slots_skipped();
    void random_documents_round_trip();
    void read_then_write_normalises();
    void real_table_keeps_every_line();
    void unreadable_table_refused_and_old_file_kept_data();
    void unreadable_table_refused_and_old_file_kept();
    void folder_that_is_a_file_fails_cleanly();
    void target_that_is_a_folder_fails_cleanly();
    void keeps_permissions_and_writes_through_links();
};

void TableWriterTest::writes_sections_in_order_exactly()
{
    TableDocument doc;
    doc.ExtraLines = {"s: 20"};
    doc.Entries[0x00] = {"/", true};
    doc.Entries[0x20].Value = " ";
    doc.Entries[0x41].Value = "A";
    doc.Entries[0xFF] = {"*", true};
    doc.Bookmarks[0] = {0x1A2, "Menu"};
    doc.Bookmarks[1] = {0x5, "Intro"};
    QCOMPARE(Written(doc), std::string("s: 20\r\n/00\r\n20= \r\n41=A\r\n*FF\r\n\r\n(1A2h)Menu\r\n\r\n(5h)Intro\r\n"));
}

void TableWriterTest::empty_document_gives_empty_file()
{
    TableDocument doc;
    doc.Entries[0x30].Marked = true; // marked but empty: no line
    doc.Bookmarks[3].Address = 9;    // free slot: no line
    QCOMPARE(Written(doc), std::string());
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
    QTest::newRow("marked_slash") << 0x4F << QByteArray("/") << true << QByteArray() << QByteArray("/4F");
    QTest::newRow("marked_star_with_text") << 0xCD << QByteArray("*") << true << QByteArray("00=<END>") << QByteArray("*CD00=<END>");
    QTest::newRow("marked_letter") << 0xAB << QByteArray("A") << true << QByteArray("=<E>") << QByteArray("AB=A");
    QTest::newRow("marked_slash_blank") << 0x01 << QByteArray("/ ") << true << QByteArray() << QByteArray("01=/ ");
    QTest::newRow("equals_and_blanks_kept") << 0x41 << QByteArray("a=b  ") << false << QByteArray() << QByteArray("41=a=b  ");
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
    QCOMPARE(Written(doc), line.toStdString() + "\r\n");
}

void TableWriterTest::bookmark_addresses_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("zero") << 0 << QByteArray("(0h)t");
    QTest::newRow("small") << 5 << QByteArray("(5h)t");
    QTest::newRow("no_leading_zeros") << 0xA0 << QByteArray("(A0h)t");
    QTest::newRow("largest_positive") << 0x7FFFFFFF << QByteArray("(7FFFFFFFh)t");
    QTest::newRow("minus_one") << -1 << QByteArray("(FFFFFFFFh)t");
    QTest::newRow("most_negative") << INT32_MIN << QByteArray("(80000000h)t");
}

void TableWriterTest::bookmark_addresses()
{
    QFETCH(int, address);
    QFETCH(QByteArray, line);

    TableDocument doc;
    doc.Bookmarks[0] = {address, "t"};
    QCOMPARE(Written(doc), "\r\n" + line.toStdString() + "\r\n");
}

void TableWriterTest::extra_lines_in_order_free_slots_skipped()
{
    TableDocument doc;
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        doc.ExtraLines.push_back(i == 50 ? std::string() : "x" + std::to_string(i));
        expected += i == 50 ? "" : "x" + std::to_string(i) + "\r\n";
    }
    for (std::size_t i = 0; i < SlotCount; ++i)
        doc.Bookmarks[i] = {static_cast<std::int32_t>(i), i == 0 ? "" : "b"};
    const std::string written = Written(doc);
    QCOMPARE(written.substr(0, expected.size()), expected);
    QVERIFY(written.find("(0h)") == std::string::npos);
    QVERIFY(written.find("\r\n\r\n(1Eh)b\r\n") != std::string::npos);
}

void TableWriterTest::random_documents_round_trip()
{
    std::mt19937 random(20261206);
    QTemporaryDir dir;
    const auto path = PathIn(dir, "round.tbl");
    for (int round = 0; round < 200; ++round) {
        TableDocument original = RandomDocument(random);
        QVERIFY(SaveTable(original, path));
        const std::string first = test::ReadBytes(path);

        TableDocument read;
        const FileResult result = LoadTable(read, path);
        QVERIFY2(result, result.message.c_str());
        QVERIFY2(read.Entries == original.Entries, qPrintable(QString("round %1").arg(round)));
        QVERIFY(read.Bookmarks == original.Bookmarks);
        QVERIFY(read.ExtraLines == original.ExtraLines);

        QVERIFY(SaveTable(read, path));
        QCOMPARE(test::ReadBytes(path), first);
    }
}

void TableWriterTest::read_then_write_normalises()
{
    QTemporaryDir dir;
    const auto path = PathIn(dir, "in.tbl");
    test::WriteBytes(path, "4a=x\n(00a0H)t\r\n/ff=x\r\n\r\n\r\ns: 20\r(note)\n41=\r\n");
    TableDocument doc;
    QVERIFY(LoadTable(doc, path));
    QVERIFY(SaveTable(doc, path));
    QCOMPARE(test::ReadBytes(path), std::string("s: 20\r\n(note)\r\n4A=x\r\n/FF=x\r\n\r\n(A0h)t\r\n"));
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
    const auto path = PathIn(dir, "real.tbl");
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

void TableWriterTest::unreadable_table_refused_and_old_file_kept_data()
{
    QTest::addColumn<int>("where"); // 0 value, 1 title, 2 extra line, 3 end marker's text
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("why");

    QTest::newRow("value_cr") << 0 << QByteArray("a\rb") << QByteArray("a capo");
    QTest::newRow("value_lf") << 0 << QByteArray("a\n") << QByteArray("a capo");
    QTest::newRow("title_crlf") << 1 << QByteArray("t\r\nu") << QByteArray("a capo");
    QTest::newRow("extra_lf") << 2 << QByteArray("\nx") << QByteArray("a capo");
    QTest::newRow("marker_text_lf") << 3 << QByteArray("=<E>\n") << QByteArray("a capo");
    QTest::newRow("extra_slash_not_hex") << 2 << QByteArray("/x") << QByteArray("linea extra 1 \"/x\"");
    QTest::newRow("extra_star_alone") << 2 << QByteArray("*") << QByteArray("linea extra 1 \"*\"");
    QTest::newRow("extra_code_not_hex") << 2 << QByteArray("zz=1") << QByteArray("due cifre");
    QTest::newRow("extra_bad_address") << 2 << QByteArray("(h)x") << QByteArray("indirizzo");
    QTest::newRow("extra_32nd_bookmark") << 2 << QByteArray("(2h)x") << QByteArray("bookmark");
}

void TableWriterTest::unreadable_table_refused_and_old_file_kept()
{
    QFETCH(int, where);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, why);

    QTemporaryDir dir;
    const auto path = PathIn(dir, "keep.tbl");
    const std::string old = "41=old\r\n";
    test::WriteBytes(path, old);

    TableDocument doc;
    doc.Entries[0x42].Value = "fine";
    if (where == 0)
        doc.Entries[0x43].Value = text.toStdString();
    else if (where == 1)
        doc.Bookmarks[0] = {1, text.toStdString()};
    else if (where == 2)
        doc.ExtraLines = {text.toStdString()};
    else
        doc.Entries[0x43] = {"/", true, text.toStdString()};
    if (QTest::currentDataTag() == QByteArray("extra_32nd_bookmark")) {
        for (std::size_t i = 0; i < SlotCount; ++i)
            doc.Bookmarks[i] = {1, "b"};
    }

    const FileResult result = SaveTable(doc, path);
    QVERIFY(!result);
    QVERIFY2(result.message.find(why.toStdString()) != std::string::npos, result.message.c_str());
    QCOMPARE(test::ReadBytes(path), old);
    QCOMPARE(test::FolderListing(dir.path().toStdString()), std::vector<std::string>{"keep.tbl"});
    QCOMPARE(doc.FileName, std::string(UntitledName));
}

void TableWriterTest::folder_that_is_a_file_fails_cleanly()
{
    QTemporaryDir dir;
    test::WriteBytes(PathIn(dir, "plain"), "x");
    TableDocument doc;
    doc.Entries[0x41].Value = "A";
    doc.FileName = "/before.tbl";
    doc.Modified = true;

    const FileResult result = SaveTable(doc, PathIn(dir, "plain") / "t.tbl");
    QVERIFY(!result);
    QVERIFY(!result.message.empty());
    QCOMPARE(doc.FileName, std::string("/before.tbl"));
    QVERIFY(doc.Modified);
    QCOMPARE(test::FolderListing(dir.path().toStdString()), std::vector<std::string>{"plain"});
    QCOMPARE(test::ReadBytes(PathIn(dir, "plain")), std::string("x"));
}

void TableWriterTest::target_that_is_a_folder_fails_cleanly()
{
    QTemporaryDir dir;
    std::filesystem::create_directory(PathIn(dir, "sub"));
    TableDocument doc;
    doc.Entries[0x41].Value = "A";
    QVERIFY(!SaveTable(doc, PathIn(dir, "sub")));
    QVERIFY(!SaveTable(doc, PathIn(dir, "missing") / "t.tbl"));
    QCOMPARE(test::FolderListing(dir.path().toStdString()), std::vector<std::string>{"sub"});
    QVERIFY(std::filesystem::is_empty(PathIn(dir, "sub")));
    QCOMPARE(doc.FileName, std::string(UntitledName));
}

void TableWriterTest::keeps_permissions_and_writes_through_links()
{
    QTemporaryDir dir;
    const auto target = PathIn(dir, "real.tbl");
    const auto link = PathIn(dir, "link.tbl");
    test::WriteBytes(target, "41=old\r\n");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink("real.tbl", link);

    TableDocument doc;
    doc.Entries[0x41].Value = "new";
    QVERIFY(SaveTable(doc, link));
    QVERIFY(std::filesystem::is_symlink(link));
    QCOMPARE(test::ReadBytes(target), std::string("41=new\r\n"));
    struct stat info {};
    QCOMPARE(::stat(target.c_str(), &info), 0);
    QCOMPARE(info.st_mode & 07777, 0640u);
    QCOMPARE(doc.FileName, link.string());
    QCOMPARE(test::FolderListing(dir.path().toStdString()), (std::vector<std::string>{"link.tbl", "real.tbl"}));
}

QTEST_APPLESS_MAIN(TableWriterTest)
#include "tst_table_writer.moc"
