// SPDX-License-Identifier: GPL-3.0-or-later
// Pages of codes of two and more bytes: the work of showing a page (finding
// where its lines stand among the extra lines), of listing the table's
// pages, and of a key typed into a cell of a page (a changed value, and a
// new code whose line is placed among the others), for a table of 8,000
// two-byte kanji codes and for the generated 64 MB table with such a page
// added. Medians of 21 runs, with their range.

#include "document/code_pages.h"
#include "document/table_document.h"
#include "document/table_editor.h"
#include "document/table_reader.h"
#include "measures.h"

namespace {

struct Figures {
    std::vector<double> show, pages, changed, added;
};

Figures Measure(zelvane::TableDocument& document, const std::string& lead)
{
    zelvane::TableEditor editor(document);
    Figures figures;
    for (int round = 0; round < 21; ++round) {
        auto start = bench::Clock::now();
        const zelvane::PageLines page(document, lead);
        figures.show.push_back(bench::SecondsSince(start));
        start = bench::Clock::now();
        const auto pages = zelvane::CodePages(document);
        figures.pages.push_back(bench::SecondsSince(start));
        start = bench::Clock::now();
        (void)editor.TypeBytes(lead, 0xA0, "x", zelvane::InputMode::Ascii);
        figures.changed.push_back(bench::SecondsSince(start));
        start = bench::Clock::now();
        (void)editor.TypeBytes(lead, static_cast<std::uint8_t>(round), "y", zelvane::InputMode::Ascii);
        figures.added.push_back(bench::SecondsSince(start));
        if (page.LastLine(0) == zelvane::PageLines::None && pages.empty())
            std::exit(1); // keeps the work from being left out
    }
    return figures;
}

void Print(const char* what, const Figures& figures)
{
    std::printf("%s\n", what);
    bench::PrintSpread("  show a page", bench::Summary(figures.show), 1000, "ms");
    bench::PrintSpread("  list the pages", bench::Summary(figures.pages), 1000, "ms");
    bench::PrintSpread("  key into a code that has a line", bench::Summary(figures.changed), 1000, "ms");
    bench::PrintSpread("  key into a new code", bench::Summary(figures.added), 1000, "ms");
}

} // namespace

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zelvane-bench-pages";
    std::filesystem::create_directories(folder);

    // 8,000 kanji codes from 889F on, as a Shift-JIS kanji table lists them.
    std::string kanji = "# kanji\n";
    for (unsigned code = 0x889F, n = 0; n < 8000; ++code) {
        if ((code & 0xFF) < 0x40 || (code & 0xFF) == 0x7F || (code & 0xFF) > 0xFC)
            continue;
        char line[16];
        std::snprintf(line, sizeof line, "%04X=", code);
        kanji += line;
        kanji += static_cast<char>(code >> 8);
        kanji += static_cast<char>(code & 0xFF);
        kanji += '\n';
        ++n;
    }
    zelvane::TableDocument small;
    if (!zelvane::ParseTable(small, kanji))
        return 1;
    const Figures smallFigures = Measure(small, "\x90");

    std::string large = bench::ReadFile(bench::MakeTable(folder, 64u << 20)) + kanji;
    zelvane::TableDocument big;
    if (!zelvane::ParseTable(big, large))
        return 1;
    large.clear();
    const Figures bigFigures = Measure(big, "\x90");
    std::filesystem::remove_all(folder);

    Print("8,000 two-byte codes", smallFigures);
    Print("64 MB, 3.2 million lines, and the 8,000 codes", bigFigures);
    return 0;
}
