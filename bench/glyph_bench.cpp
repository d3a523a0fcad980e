// SPDX-License-Identifier: GPL-3.0-or-later
// The glyph reader on a font of 2,000 kanji, 16x16 pixels, stored in
// Shift-JIS order (made here from a Debian pixel font that is none of the
// reader's references): ReadAll over all of it, and over the first 250
// glyphs with 1,000, 3,000 and all candidates, to show how reading scales;
// then a sheet of 256 glyphs drawn by the font view, off screen.
//
// `zelvane_bench_glyphs --write-font FILE` writes instead a game file for
// the README's worked example: 16 KB of noise, then at 0x4000 the first 376
// kanji in 1 bpp 16x16 glyphs, from code 889F in Shift-JIS order.

#include "measures.h"
#include "rom/glyph_candidates.h"
#include "rom/glyphs.h"
#include "test_fonts.h"
#ifdef ZELVANE_BENCH_SHEET
#include "common/table_notifier.h"
#include "document/table_document.h"
#include "workbench/font_view.h"
#include "workbench/glyph_font.h"
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <fstream>

namespace {

const std::string TestFont = "/usr/share/fonts/X11/misc/j90-16.pcf.gz";

// The glyphs as the game stores them: 1 bpp rows.
std::string Stored(const std::vector<zelvane::GlyphImage>& glyphs)
{
    std::string bytes;
    for (const zelvane::GlyphImage& glyph : glyphs) {
        for (int y = 0; y < glyph.Height; ++y) {
            for (int x = 0; x < glyph.Width; x += 8) {
                unsigned char byte = 0;
                for (int bit = 0; bit < 8 && x + bit < glyph.Width; ++bit)
                    byte |= glyph.Pixels[static_cast<std::size_t>(y * glyph.Width + x + bit)] << (7 - bit);
                bytes += static_cast<char>(byte);
            }
        }
    }
    return bytes;
}

double Accuracy(const std::vector<std::vector<zelvane::GlyphGuess>>& read, const std::vector<std::string>& drawn)
{
    std::size_t right = 0;
    for (std::size_t i = 0; i < read.size(); ++i)
        right += !read[i].empty() && read[i][0].Text == drawn[i];
    return 100.0 * static_cast<double>(right) / static_cast<double>(read.size());
}

} // namespace

// Reads each trait's font whole and prints, by class, how many glyphs read
// right first and among the first five, and how many ticked proposals (a
// score of 0.90 or more as shown, the likeliest of its character) are wrong.
int Traits()
{
    zelvane::GlyphReader reader;
    const auto classOf = [](const std::string& text) {
        const char32_t c = zelvane::FirstCharacter(text);
        return c >= 0x4E00 && c <= 0x9FFF ? 0 : (c >= 0x3040 && c <= 0x30FF) || (c >= 0xFF61 && c <= 0xFF9F) ? 1 : 2;
    };
    const char* const classes[] = {"kanji", "kana", "latin"};
    std::size_t tickedAll = 0, wrongAll = 0;
    for (const std::string& name : zelvane::test::TraitNames()) {
        const zelvane::test::TraitFont font = zelvane::test::MakeTraitFont(name);
        const auto start = bench::Clock::now();
        const auto read = reader.ReadAll(font.glyphs);
        const double seconds = bench::SecondsSince(start);
        std::size_t total[3] = {}, top1[3] = {}, top5[3] = {};
        std::map<std::string, float> best;
        for (const auto& guesses : read) {
            if (!guesses.empty())
                best[guesses[0].Text] = std::max(best[guesses[0].Text], guesses[0].Score);
        }
        std::size_t ticked = 0, wrong = 0;
        // ZELVANE_TRAITS_DUMP=FILE: each glyph's reading, for calibrating the scores.
        static FILE* dump = std::getenv("ZELVANE_TRAITS_DUMP") ? std::fopen(std::getenv("ZELVANE_TRAITS_DUMP"), "w") : nullptr;
        for (std::size_t i = 0; dump && i < read.size(); ++i) {
            std::fprintf(dump, "%s\t%s\t%d", name.c_str(), font.drawn[i].c_str(), classOf(font.drawn[i]));
            for (const zelvane::GlyphGuess& guess : read[i])
                std::fprintf(dump, "\t%s\t%.4f", guess.Text.c_str(), guess.Score);
            std::fprintf(dump, "\n");
        }
        for (std::size_t i = 0; i < read.size(); ++i) {
            const int c = classOf(font.drawn[i]);
            ++total[c];
            top1[c] += !read[i].empty() && read[i][0].Text == font.drawn[i];
            top5[c] += std::ranges::find(read[i], font.drawn[i], &zelvane::GlyphGuess::Text) != read[i].end();
            if (!read[i].empty() && std::lround(read[i][0].Score * 100) >= 90 && read[i][0].Score >= best[read[i][0].Text]) {
                ++ticked;
                wrong += read[i][0].Text != font.drawn[i];
            }
        }
        std::printf("%-10s %4zu glyphs, %5.1f s:", name.c_str(), read.size(), seconds);
        for (int c = 0; c < 3; ++c) {
            if (total[c] > 0)
                std::printf("  %s %.1f%% / %.1f%% (%zu)", classes[c], 100.0 * double(top1[c]) / double(total[c]),
                            100.0 * double(top5[c]) / double(total[c]), total[c]);
        }
        std::printf("  ticked %zu, wrong %zu\n", ticked, wrong);
        tickedAll += ticked;
        wrongAll += wrong;
    }
    std::printf("all ticked: %zu, wrong %zu (%.2f%%)\n", tickedAll, wrongAll, tickedAll ? 100.0 * double(wrongAll) / double(tickedAll) : 0.0);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--traits") == 0)
        return Traits();
    std::vector<std::string> drawn;
    if (argc == 3 && std::strcmp(argv[1], "--write-font") == 0) {
        const std::vector<zelvane::GlyphImage> glyphs = zelvane::test::MakeGameFont(TestFont, 16, 16, zelvane::test::JisRows(16, 19), drawn);
        std::mt19937 random(3);
        std::string file(0x4000, '\0');
        for (char& c : file)
            c = static_cast<char>(random() & 0x3F);
        file += Stored(std::vector<zelvane::GlyphImage>(glyphs.begin(), glyphs.begin() + 376));
        std::ofstream(argv[2], std::ios::binary) << file;
        std::printf("%s: %zu bytes, 376 glyphs at 0x4000 (%s ... %s)\n", argv[2], file.size(), drawn.front().c_str(), drawn[375].c_str());
        return 0;
    }
    const std::vector<zelvane::GlyphImage> glyphs = zelvane::test::MakeGameFont(TestFont, 16, 16, zelvane::test::JisRows(16, 40), drawn);
    const std::size_t count = std::min<std::size_t>(2000, glyphs.size());
    const std::vector<zelvane::GlyphImage> font(glyphs.begin(), glyphs.begin() + static_cast<std::ptrdiff_t>(count));
    const std::vector<std::string> expected(drawn.begin(), drawn.begin() + static_cast<std::ptrdiff_t>(count));

    zelvane::GlyphReader reader;
    auto start = bench::Clock::now();
    const auto read = reader.ReadAll(font);
    const double whole = bench::SecondsSince(start);
    std::printf("ReadAll, %zu glyphs of 16x16 against %zu candidates and %zu references: %.1f s (top-1 %.1f%%)\n", count,
                reader.CandidateCount(), reader.References().size(), whole, Accuracy(read, expected));

    // Reading scales with the candidates: each size is drawn once, then
    // every glyph is compared with every candidate.
    const std::vector<zelvane::GlyphImage> some(font.begin(), font.begin() + 250);
    std::string kanji = zelvane::test::JisRows(1, 5);
    const std::string all = zelvane::test::JisRows(16, 84);
    for (std::size_t candidates : {std::size_t{1000}, std::size_t{3000}, std::size_t{0}}) {
        zelvane::GlyphReader limited;
        if (candidates > 0) {
            // The kana and symbols, then kanji up to the count, the font's among them.
            std::string chosen = kanji;
            std::size_t taken = 0;
            for (std::size_t at = 0; at < all.size() && taken < candidates; at += 3, ++taken)
                chosen += all.substr(at, 3);
            limited.RestrictCandidates(chosen);
        }
        start = bench::Clock::now();
        const auto part = limited.ReadAll(some);
        std::printf("  250 glyphs against %zu candidates: %.2f s\n", limited.CandidateCount(), bench::SecondsSince(start));
    }
#ifdef ZELVANE_BENCH_SHEET
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("font.bin"));
    {
        QFile out(path);
        const std::string bytes = Stored(font);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            return 1;
    }
    zelvane::TableDocument document;
    zelvane::TableNotifier notifier(document);
    zelvane::GlyphFont glyphFont;
    zelvane::FontView view(notifier, glyphFont, {}, {});
    view.OpenFile(path);
    glyphFont.SetLayout({0, zelvane::PixelFormat::OneBpp, 16, 16}, "\x88\x9F", zelvane::CodeOrder::ShiftJis);
    view.show();
    QWidget* sheet = view.findChild<QWidget*>(QStringLiteral("picFontSheet"));
    double fastest = 1e30;
    for (int round = 0; round < 5; ++round) {
        glyphFont.SetLayout({std::uint64_t(round) * 32, zelvane::PixelFormat::OneBpp, 16, 16}, "\x88\x9F", zelvane::CodeOrder::ShiftJis);
        start = bench::Clock::now();
        const QPixmap drawnSheet = sheet->grab();
        fastest = std::min(fastest, bench::SecondsSince(start));
    }
    std::printf("a sheet of 256 glyphs drawn: %.2f ms (best of 5)\n", fastest * 1000);
#endif
    return 0;
}
