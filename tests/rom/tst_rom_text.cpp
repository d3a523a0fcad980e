// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom/rom_text.h"
#include "document/table_document.h"
#include "document/table_reader.h"

#include <QTest>

#include <random>

using namespace zelvane;

class RomTextTest : public QObject {
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void relative_search_data();
    void relative_search();
    void encode_text_data();
    void encode_text();
    void find_across_a_4_mb_boundary();
    void hex_rows_place_codes_at_their_first_byte();
    void text_lines_break_after_end_codes_and_never_inside_a_code();
};

namespace {
// One-, two- and three-byte codes, two codes for "a", a two-letter value,
// end codes; written by hand.
const char* const FindTable = "10=a\n11=b\n12=th\n13=t\n14=h\n8140=a\n8141=\x88\x9F\nF1F500=<N>\n/FF\n";
} // namespace

void RomTextTest::encode_text_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArrayList>("encodings");
    QTest::addColumn<int>("unwritable");

    QTest::newRow("one_byte") << QByteArray("b") << QByteArrayList{"\x11"} << -1;
    QTest::newRow("same_value_both_codes") << QByteArray("ab")
        << QByteArrayList{"\x10\x11", "\x81\x40\x11"} << -1;
    QTest::newRow("two_letter_value_and_letters") << QByteArray("th")
        << QByteArrayList{"\x12", "\x13\x14"} << -1;
    QTest::newRow("kanji_and_a_control_code") << QByteArray("\x88\x9F<N>")
        << QByteArrayList{QByteArray("\x81\x41\xF1\xF5\x00", 5)} << -1;
    QTest::newRow("character_no_code_writes") << QByteArray("abz") << QByteArrayList{} << 2;
    QTest::newRow("end_code_is_no_value") << QByteArray("/") << QByteArrayList{} << 0;
}

void RomTextTest::encode_text()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArrayList, encodings);
    QFETCH(int, unwritable);
    TableDocument table;
    QVERIFY(ParseTable(table, FindTable));
    QByteArrayList found;
    for (const std::string& bytes : EncodeText(table, text.toStdString()))
        found << QByteArray::fromStdString(bytes);
    QCOMPARE(found, encodings);
    const std::size_t at = UnwritableAt(table, text.toStdString());
    QCOMPARE(at == std::string_view::npos ? -1 : int(at), unwritable);
}

void RomTextTest::find_across_a_4_mb_boundary()
{
    TableDocument table;
    QVERIFY(ParseTable(table, FindTable));
    std::string file(8u << 20, '\x77');
    const std::size_t boundary = 4u << 20;
    const std::vector<std::string> needles = EncodeText(table, "ab");
    file.replace(0, 2, "\x10\x11");
    file.replace(boundary - 1, 3, "\x81\x40\x11");
    file.replace(file.size() - 2, 2, "\x10\x11");
    QCOMPARE(FindEncoded(file, needles), (std::vector<std::size_t>{0, boundary - 1, file.size() - 2}));
    // Hex bytes are one needle; overlapping hits all count.
    QCOMPARE(FindEncoded("\x77\x77\x77", {"\x77\x77"}), (std::vector<std::size_t>{0, 1}));
}

void RomTextTest::hex_rows_place_codes_at_their_first_byte()
{
    TableDocument table;
    QVERIFY(ParseTable(table, FindTable));
    const RomCodes codes(table);
    // Row 0 ends with a two-byte code cut by the row's end; row 1 starts
    // with its second byte, then a three-byte code and an uncovered byte.
    std::string file(16, '\x10');
    file[15] = '\x81';
    file += std::string("\x41\xF1\xF5\x00\x99", 5);
    const std::vector<HexRow> rows = LayOutHex(codes, file, 0, 4);
    QCOMPARE(rows.size(), std::size_t{2});
    QCOMPARE(rows[0].Text[15], std::string_view("\x88\x9F"));
    QCOMPARE(rows[0].Covered[15], HexRow::Cover::First);
    QCOMPARE(rows[1].Address, std::uint64_t{16});
    QCOMPARE(rows[1].Bytes.size(), std::size_t{5});
    QCOMPARE(rows[1].Covered[0], HexRow::Cover::Later);
    QVERIFY(rows[1].Text[0].empty());
    QCOMPARE(rows[1].Text[1], std::string_view("<N>"));
    QCOMPARE(rows[1].Covered[2], HexRow::Cover::Later);
    QCOMPARE(rows[1].Covered[3], HexRow::Cover::Later);
    QCOMPARE(rows[1].Covered[4], HexRow::Cover::None);
    QCOMPARE(rows[1].Text[4], std::string_view("<99>"));
}

void RomTextTest::text_lines_break_after_end_codes_and_never_inside_a_code()
{
    TableDocument table;
    QVERIFY(ParseTable(table, FindTable));
    const RomCodes codes(table);
    // "ab" end, then five uncovered bytes at a width of 10: "<00><00>" fits,
    // a third token would pass it and opens the next line.
    const std::string file("\x10\x11\xFF\x00\x00\x00\x00\x00\x10", 9);
    const std::vector<TextLine> lines = LayOutText(codes, file, 0, 10, 10);
    QList<std::uint64_t> starts;
    QStringList texts;
    for (const TextLine& line : lines) {
        starts << line.Address;
        QString text;
        for (const RomPiece& piece : line.Pieces)
            text += QString::fromLatin1(piece.Text.data(), qsizetype(piece.Text.size()));
        texts << text;
    }
    QCOMPARE(starts, (QList<std::uint64_t>{0, 3, 5, 7}));
    QCOMPARE(texts, (QStringList{"ab\n", "<00><00>", "<00><00>", "<00>a"}));
    QCOMPARE(LineBefore(codes, file, 7, 10), std::uint64_t{5});
    QCOMPARE(LineBefore(codes, file, 3, 10), std::uint64_t{0});

    // An end-of-window code: its line, an empty one, then the next.
    TableDocument windows;
    QVERIFY(ParseTable(windows, "10=a\n*FE\n/FF\n"));
    const RomCodes windowCodes(windows);
    const std::vector<TextLine> window = LayOutText(windowCodes, "\x10\xFE\x10", 0, 10, 10);
    QCOMPARE(window.size(), std::size_t{3});
    QVERIFY(window[1].Pieces.empty());
    QCOMPARE(window[2].Address, std::uint64_t{2});
    // A script of very short lines: one line back is one line, however
    // many fit in the stretch read back.
    std::string shortLines;
    for (int i = 0; i < 2000; ++i)
        shortLines += "\x10\xFF";
    QCOMPARE(LineBefore(windowCodes, shortLines, 3000, 40), std::uint64_t{2998});
    QCOMPARE(LineBefore(windowCodes, shortLines, 3001, 40), std::uint64_t{3000});
}

void RomTextTest::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("text");
    // A table of one-, two- and three-byte codes and end codes, by hand.
    QTest::newRow("one_byte_codes") << QByteArray("\x10\x11\x12") << QByteArray("HI!");
    QTest::newRow("longest_code_wins") << QByteArray("\x81\x40\x81\x41\x10") << QByteArray("[sp]\x81\x41" "H");
    QTest::newRow("three_bytes_over_two") << QByteArray("\xF1\xF5\x00\xF1\xF5", 5) << QByteArray("<Nome>x");
    QTest::newRow("two_byte_end_code") << QByteArray("\x10\xF1\x00\x11", 4) << QByteArray("H<E>\nI");
    QTest::newRow("end_codes_with_and_without_text") << QByteArray("\x10\xFF\x11\xFE\x12\xFD")
        << QByteArray("H<END>\nI\n\n!\n");
    QTest::newRow("uncovered_bytes") << QByteArray("\x00\x7F", 2) << QByteArray("<00><7F>");
    QTest::newRow("code_cut_off_at_the_end") << QByteArray("\x10\x81") << QByteArray("H<81>");
    QTest::newRow("assigned_to_nothing") << QByteArray("\x82\x00\x10", 3) << QByteArray("H");
}

void RomTextTest::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, text);
    TableDocument table;
    QVERIFY(ParseTable(table, "10=H\n11=I\n12=!\n8140=[sp]\n8141=\x81\x41\nF1F5=x\nF1F500=<Nome>\n8200=\n/FF=<END>\n*FE\n/FD\n/F100=<E>\n"));
    QCOMPARE(QByteArray::fromStdString(DecodeRom(table, bytes.toStdString())), text);
}

void RomTextTest::relative_search_data()
{
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<QList<int>>("where"); // where the word was hidden
    QTest::addColumn<int>("first");         // the code of "A" (or of the kana order's first)

    QTest::newRow("at_the_start_and_the_end") << QByteArray("HELLO") << QList<int>{0, 995} << 0x40;
    QTest::newRow("overlapping") << QByteArray("ABAB") << QList<int>{100, 102} << 0x90;
    QTest::newRow("digits") << QByteArray("2024") << QList<int>{10} << 0x30;
    QTest::newRow("none") << QByteArray("ZEBRA") << QList<int>{} << 0x40;
    QTest::newRow("one_letter_finds_nothing") << QByteArray("A") << QList<int>{} << 0x40;
    // Kana by the fills' order: ka ta na as indices 5, 15, 20 of the list.
    QTest::newRow("kana_order") << QByteArray("\x05\x0F\x14") << QList<int>{500} << 0xA0;
}

void RomTextTest::relative_search()
{
    QFETCH(QByteArray, word);
    QFETCH(QList<int>, where);
    QFETCH(int, first);
    // Noise that cannot hold the word by chance: every step between
    // neighbours is 1, which no word here has twice in a row.
    QByteArray file(1000, 0);
    for (int i = 0; i < file.size(); ++i)
        file[i] = char(i);
    const char base = word.front() >= '0' && word.front() <= '9' ? '0' : word.front() < 'A' ? 0 : 'A';
    for (int at : where) {
        for (int i = 0; i < word.size(); ++i)
            file[at + i] = char(first + (word[i] - base));
    }
    QList<int> found;
    for (const RelativeMatch& match : RelativeSearch(file.toStdString(), word.toStdString())) {
        found << int(match.Offset);
        QCOMPARE(int(match.FirstCode), first + (word[0] - base));
    }
    QCOMPARE(found, where);
}

QTEST_APPLESS_MAIN(RomTextTest)
#include "tst_rom_text.moc"
