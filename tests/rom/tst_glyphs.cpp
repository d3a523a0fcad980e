// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom/glyphs.h"
#include "test_fonts.h"

#include <QTest>

#include <algorithm>
#include <filesystem>
#include <random>

using namespace zelvane;

// Test fonts: Debian fonts that are none of the reader's references, drawn
// here as a game would store them.
namespace {
const std::string Jiskan16 = "/usr/share/fonts/X11/misc/j90-16.pcf.gz";
const std::string UmeGothic = "/usr/share/fonts/truetype/umeplus/umeplus-gothic.ttf";
const std::string MisakiMincho = "/usr/share/fonts/truetype/misaki/misaki_mincho.ttf";

struct Accuracy {
    double top1 = 0, top5 = 0;
};

Accuracy Measure(const std::vector<std::vector<GlyphGuess>>& read, const std::vector<std::string>& expected)
{
    Accuracy accuracy;
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (!read[i].empty() && read[i][0].Text == expected[i])
            accuracy.top1 += 1;
        if (std::ranges::find(read[i], expected[i], &GlyphGuess::Text) != read[i].end())
            accuracy.top5 += 1;
    }
    accuracy.top1 /= static_cast<double>(read.size());
    accuracy.top5 /= static_cast<double>(read.size());
    return accuracy;
}
} // namespace

class GlyphsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void storage_formats_data();
    void storage_formats();
    void tiles_left_to_right_then_down_and_the_file_end();
    void codes_data();
    void codes();
    void reads_fonts_it_was_not_made_from_data();
    void reads_fonts_it_was_not_made_from();
    void order_decides_doubtful_glyphs_of_an_ordered_font();
    void a_shadow_does_not_spoil_the_ink();

private:
    GlyphReader m_reader;
};

void GlyphsTest::initTestCase()
{
    // No test font is a reference.
    for (const std::string& reference : m_reader.References())
        QVERIFY(reference != Jiskan16 && reference != UmeGothic && reference != MisakiMincho);
    QVERIFY(m_reader.References().size() >= 5);
    for (const std::string& font : {Jiskan16, UmeGothic, MisakiMincho})
        QVERIFY2(std::filesystem::exists(font), font.c_str());
}

// One 8x8 glyph in each format, bytes written by hand. Row 0 holds the
// colours of `first`, row 7 is all `last`, the rows between are empty.
void GlyphsTest::storage_formats_data()
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

void GlyphsTest::storage_formats()
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

void GlyphsTest::tiles_left_to_right_then_down_and_the_file_end()
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
    // Past the end: nothing; a tile format of a size it cannot hold: nothing.
    QVERIFY(ReadGlyph(file, layout, 1).Pixels.empty());
    QVERIFY(ReadGlyph(file, {60, PixelFormat::OneBpp, 8, 8}, 0).Pixels.empty());
    QCOMPARE(GlyphBytes({0, PixelFormat::FourBppGba, 12, 8}), std::size_t{0});
}

void GlyphsTest::codes_data()
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
}

void GlyphsTest::codes()
{
    QFETCH(QByteArray, first);
    QFETCH(int, order);
    QFETCH(int, index);
    QFETCH(QByteArray, code);
    QCOMPARE(QByteArray::fromStdString(GlyphCode(first.toStdString(), CodeOrder(order), std::size_t(index))), code);
    // And back: the glyph that shows the code.
    if (!code.isEmpty() && QByteArray(QTest::currentDataTag()) != "wraps_within_its_bytes")
        QCOMPARE(GlyphIndex(first.toStdString(), CodeOrder(order), code.toStdString()), std::optional<std::size_t>(index));
}

void GlyphsTest::reads_fonts_it_was_not_made_from_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<double>("top1");
    QTest::addColumn<double>("top5");
    // JIS rows 4 and 5 are the kana, rows 16 and 17 the first kanji, each
    // font in Shift-JIS order.
    QTest::newRow("8px_kana") << QString::fromStdString(MisakiMincho) << 8 << 4 << 5 << 0.65 << 0.70;
    QTest::newRow("12px_kana") << QString::fromStdString(UmeGothic) << 12 << 4 << 5 << 0.95 << 0.98;
    QTest::newRow("16px_kanji") << QString::fromStdString(Jiskan16) << 16 << 16 << 17 << 0.97 << 0.99;
}

void GlyphsTest::reads_fonts_it_was_not_made_from()
{
    QFETCH(QString, font);
    QFETCH(int, size);
    QFETCH(int, firstRow);
    QFETCH(int, lastRow);
    QFETCH(double, top1);
    QFETCH(double, top5);
    std::vector<std::string> drawn;
    const std::vector<GlyphImage> glyphs = test::MakeGameFont(font.toStdString(), size, size, test::JisRows(firstRow, lastRow), drawn);
    QVERIFY(glyphs.size() > 150);
    // The 8 px test font shares its kana with one reference's family: that
    // one stands aside.
    GlyphReader reader;
    std::vector<std::string> references = reader.References();
    std::erase_if(references, [](const std::string& path) { return path.find("misaki") != std::string::npos; });
    reader.UseReferences(references);
    const Accuracy accuracy = Measure(reader.ReadAll(glyphs), drawn);
    qInfo("%s: top-1 %.1f%%, top-5 %.1f%% of %zu", QTest::currentDataTag(), 100 * accuracy.top1, 100 * accuracy.top5, glyphs.size());
    QVERIFY(accuracy.top1 >= top1);
    QVERIFY(accuracy.top5 >= top5);
}

void GlyphsTest::order_decides_doubtful_glyphs_of_an_ordered_font()
{
    std::vector<std::string> drawn;
    const std::vector<GlyphImage> glyphs = test::MakeGameFont(UmeGothic, 12, 12, test::JisRows(16, 16), drawn);
    // The same glyphs shuffled: no order to follow.
    std::vector<std::size_t> shuffled(glyphs.size());
    for (std::size_t i = 0; i < shuffled.size(); ++i)
        shuffled[i] = i;
    std::mt19937 random(7);
    for (std::size_t i = shuffled.size(); i > 1; --i)
        std::swap(shuffled[i - 1], shuffled[random() % i]);
    std::vector<GlyphImage> mixed;
    std::vector<std::string> mixedDrawn;
    for (std::size_t i : shuffled) {
        mixed.push_back(glyphs[i]);
        mixedDrawn.push_back(drawn[i]);
    }
    const Accuracy ordered = Measure(m_reader.ReadAll(glyphs), drawn);
    const Accuracy disordered = Measure(m_reader.ReadAll(mixed), mixedDrawn);
    std::vector<std::vector<GlyphGuess>> alone;
    for (const GlyphImage& glyph : mixed)
        alone.push_back(m_reader.Read(glyph));
    const Accuracy single = Measure(alone, mixedDrawn);
    qInfo("12 px kanji: in order %.1f%%, shuffled %.1f%%, one by one %.1f%%", 100 * ordered.top1, 100 * disordered.top1,
          100 * single.top1);
    QVERIFY(ordered.top1 >= disordered.top1 + 0.10);
    // Without an order nothing is invented, and a character read twice
    // makes the likelier glyph keep it: nothing is lost.
    QVERIFY(disordered.top1 >= single.top1);
}

void GlyphsTest::a_shadow_does_not_spoil_the_ink()
{
    std::vector<std::string> drawn;
    std::vector<GlyphImage> glyphs = test::MakeGameFont(Jiskan16, 16, 16, "あかさたなはまやらわ", drawn);
    QCOMPARE(glyphs.size(), std::size_t{10});
    std::size_t right = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        // Ink in colour 3, a shadow in colour 1 a pixel down and right.
        GlyphImage& glyph = glyphs[i];
        std::vector<std::uint8_t> shaded(glyph.Pixels.size(), 0);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (glyph.Pixels[std::size_t(y * 16 + x)] && x < 15 && y < 15)
                    shaded[std::size_t((y + 1) * 16 + x + 1)] = 1;
            }
        }
        for (std::size_t p = 0; p < shaded.size(); ++p) {
            if (glyph.Pixels[p])
                shaded[p] = 3;
        }
        glyph.Pixels = shaded;
        const std::vector<GlyphGuess> guesses = m_reader.Read(glyph);
        right += !guesses.empty() && guesses[0].Text == drawn[i];
    }
    QCOMPARE(right, std::size_t{10});
}

QTEST_APPLESS_MAIN(GlyphsTest)
#include "tst_glyphs.moc"
