// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom/glyph_candidates.h"
#include "rom/glyphs.h"
#include "test_fonts.h"

#include <QTest>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

using namespace zelvane;

// Test fonts: Debian fonts that are none of the reader's references, drawn
// here as a game would store them.
namespace {
const std::string Jiskan16 = "/usr/share/fonts/X11/misc/j90-16.pcf.gz";
const std::string UmeGothic = "/usr/share/fonts/truetype/umeplus/umeplus-gothic.ttf";
const std::string MisakiMincho = "/usr/share/fonts/truetype/misaki/misaki_mincho.ttf";
const std::string DejaVuMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

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
    void reads_fonts_it_was_not_made_from_data();
    void reads_fonts_it_was_not_made_from();
    void order_decides_doubtful_glyphs_of_an_ordered_font();
    void a_shadow_does_not_spoil_the_ink();
    void reads_the_traits_of_game_fonts_data();
    void reads_the_traits_of_game_fonts();
    void ticked_readings_are_rarely_wrong();
    void a_run_stops_at_the_font_end();

private:
    std::size_t m_ticked = 0, m_tickedWrong = 0;

private:
    GlyphReader m_reader;
};

void GlyphsTest::initTestCase()
{
    // A missing font fails, naming the package that brings it: a reading
    // test that skipped would pass without having read anything.
    const std::pair<std::string, const char*> fonts[] = {
        {Jiskan16, "xfonts-intl-japanese"}, {UmeGothic, "fonts-umeplus"}, {MisakiMincho, "fonts-misaki"},
        {DejaVuMono, "fonts-dejavu-core"}};
    for (const auto& [font, package] : fonts)
        QVERIFY2(std::filesystem::exists(font), qPrintable(QStringLiteral("%1 is missing: install the Debian package %2")
                                                               .arg(QString::fromStdString(font), QLatin1String(package))));
    QVERIFY2(m_reader.References().size() >= 5,
             "the reader found fewer than 5 reference fonts: install xfonts-shinonome fonts-unifont fonts-misaki "
             "fonts-ipafont-gothic fonts-ipafont-mincho fonts-vlgothic");
    // No test font is a reference.
    for (const std::string& reference : m_reader.References())
        QVERIFY(reference != Jiskan16 && reference != UmeGothic && reference != MisakiMincho && reference != DejaVuMono);
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

void GlyphsTest::reads_the_traits_of_game_fonts_data()
{
    QTest::addColumn<QString>("trait");
    QTest::addColumn<double>("kanji"); // top-1 at least, by class; -1: none in the font
    QTest::addColumn<double>("kana");
    QTest::addColumn<double>("latin");
    QTest::newRow("small") << "small" << 0.95 << 0.97 << -1.0;
    QTest::newRow("outline") << "outline" << 0.93 << 0.97 << -1.0;
    QTest::newRow("greys") << "greys" << 0.94 << 0.95 << -1.0;
    QTest::newRow("shuffled") << "shuffled" << 0.60 << 0.93 << -1.0;
    QTest::newRow("shadow") << "shadow" << 0.92 << 0.93 << -1.0;
    QTest::newRow("halfwidth") << "halfwidth" << -1.0 << 0.97 << 0.97;
    QTest::newRow("accented") << "accented" << -1.0 << -1.0 << 0.75;
}

// Fonts as games store them, made from typefaces that are no references.
void GlyphsTest::reads_the_traits_of_game_fonts()
{
    QFETCH(QString, trait);
    QFETCH(double, kanji);
    QFETCH(double, kana);
    QFETCH(double, latin);
    const test::TraitFont font = test::MakeTraitFont(trait.toStdString());
    QVERIFY(font.glyphs.size() > 50);
    const std::vector<std::vector<GlyphGuess>> read = m_reader.ReadAll(font.glyphs);
    double total[3] = {}, right[3] = {};
    std::map<std::string, float> likeliest;
    for (const std::vector<GlyphGuess>& guesses : read) {
        QVERIFY(!guesses.empty());
        // Best first, each with its own score.
        QVERIFY(std::ranges::is_sorted(guesses, std::greater<>(), &GlyphGuess::Score));
        likeliest[guesses[0].Text] = std::max(likeliest[guesses[0].Text], guesses[0].Score);
    }
    for (std::size_t i = 0; i < read.size(); ++i) {
        const char32_t c = FirstCharacter(font.drawn[i]);
        const int group = c >= 0x4E00 && c <= 0x9FFF ? 0 : (c >= 0x3040 && c <= 0x30FF) || (c >= 0xFF61 && c <= 0xFF9F) ? 1 : 2;
        total[group] += 1;
        right[group] += read[i][0].Text == font.drawn[i];
        // What the font view ticks: 0.90 or more as shown, the likeliest of its character.
        if (std::lround(read[i][0].Score * 100) >= 90 && read[i][0].Score >= likeliest[read[i][0].Text]) {
            ++m_ticked;
            m_tickedWrong += read[i][0].Text != font.drawn[i];
        }
    }
    const double wanted[3] = {kanji, kana, latin};
    for (int group = 0; group < 3; ++group) {
        QCOMPARE(total[group] > 0, wanted[group] >= 0);
        if (total[group] > 0) {
            qInfo("%s, %s: top-1 %.1f%% of %.0f", qPrintable(trait), group == 0 ? "kanji" : group == 1 ? "kana" : "latin",
                  100 * right[group] / total[group], total[group]);
            QVERIFY(right[group] / total[group] >= wanted[group]);
        }
    }
}

void GlyphsTest::ticked_readings_are_rarely_wrong()
{
    qInfo("ticked %zu, wrong %zu", m_ticked, m_tickedWrong);
    QVERIFY(m_ticked > 800);
    QVERIFY(m_tickedWrong * 100 <= m_ticked);
}

void GlyphsTest::a_run_stops_at_the_font_end()
{
    // The kana in Shift-JIS order but their last two, then two Greek
    // letters (no candidates) where those would stand: the run on one side
    // does not make them を and ん for sure.
    std::vector<std::string> drawn, letters;
    std::vector<GlyphImage> glyphs = test::MakeStyledFont(UmeGothic, {16, 16, 16, false}, test::JisRows(4, 4), drawn);
    QVERIFY(glyphs.size() > 80);
    glyphs.resize(glyphs.size() - 2);
    const std::vector<GlyphImage> more = test::MakeStyledFont(UmeGothic, {16, 16, 16, false}, "ΨΩ", letters);
    QCOMPARE(more.size(), std::size_t{2});
    glyphs.insert(glyphs.end(), more.begin(), more.end());
    const std::vector<std::vector<GlyphGuess>> read = m_reader.ReadAll(glyphs);
    for (std::size_t i = read.size() - 2; i < read.size(); ++i) {
        const char32_t c = FirstCharacter(read[i][0].Text);
        QVERIFY2(!(c >= 0x3041 && c <= 0x3093 && read[i][0].Score >= 0.895f), read[i][0].Text.c_str());
    }
}

QTEST_APPLESS_MAIN(GlyphsTest)
#include "tst_glyph_reading.moc"
