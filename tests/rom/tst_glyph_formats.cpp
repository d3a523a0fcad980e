// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom/glyphs.h"

#include <QTest>

#include <algorithm>

using namespace zelvane;

// Glyphs out of a file's bytes and the codes they stand for; no font needed.
class GlyphFormatsTest : public QObject {
    Q_OBJECT

private slots:
    void storage_formats_data();
    void storage_formats();
    void tiles_left_to_right_then_down_and_the_file_end();
    void codes_data();
    void codes();
};

// One 8x8 glyph in each format, bytes written by hand. Row 0 holds the
// colours of `first`, row 7 is all `last`, the rows between are empty.
void GlyphFormatsTest::storage_formats_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("first");
    QTest::addColumn<int>("last");

    QByteArray nes(16, 0), snes2(16, 0), snes4(32, 0), gba(32, 0), eight(64, 0);
    nes[0] = 0x55, nes[8] = 0x33, nes[7] = nes[15] = char(0xFF);
    snes2[0] = 0x55, snes2[1] = 0x33, snes2[14] = snes2[15] = char(0xFF);
    snes4[0] = 0x51, snes4[1] = 0x31, snes4[16] = 0x0B, snes4[17] = 0x07;
    snes4[14] = snes4[15] = snes4[30] = snes4[31] = char(0xFF);
    gba[0] = 0x10, gba[1] = 0x32, gba[2] = char(0x84), gba[3] = char(0xFC);
    gba[28] = gba[29] = gba[30] = gba[31] = char(0xFF);
    const QList<int> sixteen{0, 1, 2, 3, 4, 8, 12, 15};
    for (int x = 0; x < 8; ++x)
        eight[x] = char(sixteen[x]), eight[56 + x] = char(200);
    QTest::newRow("1bpp") << int(PixelFormat::OneBpp) << QByteArray("\x55\0\0\0\0\0\0\xFF", 8) << QList<int>{0, 1, 0, 1, 0, 1, 0, 1} << 1;
    QTest::newRow("2bpp_nes") << int(PixelFormat::TwoBppNes) << nes << QList<int>{0, 1, 2, 3, 0, 1, 2, 3} << 3;
    QTest::newRow("2bpp_snes") << int(PixelFormat::TwoBppSnes) << snes2 << QList<int>{0, 1, 2, 3, 0, 1, 2, 3} << 3;
    QTest::newRow("4bpp_snes") << int(PixelFormat::FourBppSnes) << snes4 << sixteen << 15;
    QTest::newRow("4bpp_gba") << int(PixelFormat::FourBppGba) << gba << sixteen << 15;
    QTest::newRow("8bpp") << int(PixelFormat::EightBpp) << eight << sixteen << 200;
}

void GlyphFormatsTest::storage_formats()
{
    QFETCH(int, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, first);
    QFETCH(int, last);
    // The glyph is the second of the file, after a glyph of junk.
    const FontLayout layout{3, PixelFormat(format), 8, 8};
    QCOMPARE(GlyphBytes(layout), std::size_t(bytes.size()));
    const std::string file = std::string(3, '\x7F') + std::string(std::size_t(bytes.size()), '\x5A') + bytes.toStdString();
    const GlyphImage glyph = ReadGlyph(file, layout, 1);
    QCOMPARE(glyph.Pixels.size(), std::size_t{64});
    QList<int> row0, row7;
    for (int x = 0; x < 8; ++x) {
        row0 << glyph.Pixels[std::size_t(x)];
        row7 << glyph.Pixels[std::size_t(56 + x)];
    }
    QCOMPARE(row0, first);
    QCOMPARE(row7, QList<int>(8, last));
    QVERIFY(std::all_of(glyph.Pixels.begin() + 8, glyph.Pixels.begin() + 56, [](std::uint8_t p) { return p == 0; }));
}

void GlyphFormatsTest::tiles_left_to_right_then_down_and_the_file_end()
{
    // 16x16 in NES tiles: tile 1 (top right) holds colour 1 in its first
    // pixel, tile 2 (bottom left) colour 2 in its last.
    std::string file(64, '\0');
    file[16] = char(0x80);
    file[32 + 15] = 0x01;
    const FontLayout layout{0, PixelFormat::TwoBppNes, 16, 16};
    const GlyphImage glyph = ReadGlyph(file, layout, 0);
    QCOMPARE(int(glyph.Pixels[8]), 1);
    QCOMPARE(int(glyph.Pixels[15 * 16 + 7]), 2);
    QCOMPARE(std::count(glyph.Pixels.begin(), glyph.Pixels.end(), 0), 254);
    // Rows of 12 bits take two bytes each.
    const GlyphImage wide = ReadGlyph("\xAB\xC0\xFF\xF0", {0, PixelFormat::OneBpp, 12, 2}, 0);
    QCOMPARE(std::vector<std::uint8_t>(wide.Pixels.begin(), wide.Pixels.begin() + 12),
             (std::vector<std::uint8_t>{1, 0, 1, 0, 1, 0, 1, 1, 1, 1, 0, 0}));
    QCOMPARE(std::count(wide.Pixels.begin() + 12, wide.Pixels.end(), 1), 12);
    // The next glyph starts after the padding of both rows.
    const GlyphImage next = ReadGlyph(std::string("\xAB\xC0\xFF\xF0\x80\x00\x00\x10", 8), {0, PixelFormat::OneBpp, 12, 2}, 1);
    QCOMPARE(std::count(next.Pixels.begin(), next.Pixels.end(), 1), 2);
    QCOMPARE(int(next.Pixels[0]), 1);
    QCOMPARE(int(next.Pixels[23]), 1);
    // Past the end: nothing; a tile format of a size it cannot hold: nothing.
    QVERIFY(ReadGlyph(file, layout, 1).Pixels.empty());
    QVERIFY(ReadGlyph(file, {60, PixelFormat::OneBpp, 8, 8}, 0).Pixels.empty());
    QCOMPARE(GlyphBytes({0, PixelFormat::FourBppGba, 12, 8}), std::size_t{0});
}

void GlyphFormatsTest::codes_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<int>("order");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("code");

    const int consecutive = int(CodeOrder::Consecutive), sjis = int(CodeOrder::ShiftJis);
    QTest::newRow("one_byte") << QByteArray("\x20") << consecutive << 0x21 << QByteArray("\x41");
    QTest::newRow("carry_into_the_lead_byte") << QByteArray("\x81\xFE") << consecutive << 3 << QByteArray("\x82\x01");
    QTest::newRow("wraps_within_its_bytes") << QByteArray("\xFF") << consecutive << 2 << QByteArray("\x01");
    QTest::newRow("sjis_first") << QByteArray("\x88\x9F") << sjis << 0 << QByteArray("\x88\x9F");
    QTest::newRow("sjis_skips_7f") << QByteArray("\x81\x7E") << sjis << 1 << QByteArray("\x81\x80");
    QTest::newRow("sjis_wraps_at_fc") << QByteArray("\x81\xFC") << sjis << 1 << QByteArray("\x82\x40");
    QTest::newRow("sjis_a_whole_lead") << QByteArray("\x81\x40") << sjis << 188 << QByteArray("\x82\x40");
    QTest::newRow("sjis_jumps_to_e0") << QByteArray("\x9F\xFC") << sjis << 1 << QByteArray("\xE0\x40");
    QTest::newRow("sjis_past_the_end") << QByteArray("\xFC\xFC") << sjis << 1 << QByteArray();
    // A first code that is no code counts from the next one there is.
    QTest::newRow("sjis_first_trail_00") << QByteArray("\x81\x00", 2) << sjis << 0 << QByteArray("\x81\x40");
    QTest::newRow("sjis_first_trail_fd") << QByteArray("\x88\xFD") << sjis << 1 << QByteArray("\x89\x41");
}

void GlyphFormatsTest::codes()
{
    QFETCH(QByteArray, first);
    QFETCH(int, order);
    QFETCH(int, index);
    QFETCH(QByteArray, code);
    QCOMPARE(QByteArray::fromStdString(GlyphCode(first.toStdString(), CodeOrder(order), std::size_t(index))), code);
    // And back: the glyph that shows the code.
    if (!code.isEmpty() && QByteArray(QTest::currentDataTag()) != "wraps_within_its_bytes")
        QCOMPARE(GlyphIndex(first.toStdString(), CodeOrder(order), code.toStdString()), std::optional<std::size_t>(index));
    // The first code that gives glyph `index` this code gives it back.
    if (const auto start = FirstCodeFor(code.toStdString(), CodeOrder(order), std::size_t(index)))
        QCOMPARE(QByteArray::fromStdString(GlyphCode(*start, CodeOrder(order), std::size_t(index))), code);
    else
        QVERIFY(code.isEmpty() || QByteArray(QTest::currentDataTag()) == "wraps_within_its_bytes");
}

QTEST_APPLESS_MAIN(GlyphFormatsTest)
#include "tst_glyph_formats.moc"
