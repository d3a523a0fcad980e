// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/rom_text.h"
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
};

void RomTextTest::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("text");
    // A table of one-, two- and three-byte codes and end codes, by hand.
    QTest::newRow("one_byte_codes") << QByteArray("\x10\x11\x12") << QByteArray("HI!");
    QTest::newRow("longest_code_wins") << QByteArray("\x81\x40\x81\x41\x10") << QByteArray("[sp]\x81\x41" "H");
    QTest::newRow("three_bytes_over_two") << QByteArray("\xF1\xF5\x00\xF1\xF5", 5) << QByteArray("<Nome><F1><F5>");
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
    QVERIFY(ParseTable(table, "10=H\n11=I\n12=!\n8140=[sp]\n8141=\x81\x41\nF1F500=<Nome>\n8200=\n/FF=<END>\n*FE\n/FD\n"));
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
