// SPDX-License-Identifier: GPL-3.0-or-later
// The workbench's core, best of 5 each:
// - relative search for a six-letter word through 64 MB of random bytes,
//   against a plain pass adding up the same bytes;
// - a screen of the ROM view (40 lines of 100 bytes of text; 40 rows of
//   16 bytes) read through a Shift-JIS table of 6,899 lines, and the same
//   after an edit (the table's codes made again, then the screen);
// - find of a 4-character text through 64 MB, against a plain memmem of
//   the same bytes;
// - opening a 1 GiB file (sparse) for the view, when built with the GUI.

#include "document/table_document.h"
#include "document/table_reader.h"
#include "measures.h"
#include "rom/rom_text.h"
#ifdef ZELVANE_BENCH_MAPPED
#include "common/table_notifier.h"
#include "document/table_editor.h"
#include "workbench/mapped_file.h"
#include "workbench/rom_view.h"
#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#endif

#include <cstring>
#include <string.h>

namespace {

template<typename Work>
double Best(Work&& work)
{
    double fastest = 1e30;
    for (int round = 0; round < 5; ++round) {
        const auto start = bench::Clock::now();
        work();
        fastest = std::min(fastest, bench::SecondsSince(start));
    }
    return fastest;
}

// 6,899 lines: the one-byte codes, then two-byte codes from 8140 on in
// Shift-JIS order, each its own two bytes as its value.
std::string KanjiTable()
{
    std::string table;
    for (int code = 0x20; code < 0x7F; ++code)
        table += std::string(1, "0123456789ABCDEF"[code >> 4]) + "0123456789ABCDEF"[code & 15] + "=" + char(code) + "\n";
    table += "/00\n";
    std::size_t lines = 96;
    for (unsigned lead = 0x81; lines < 6899; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFC && lines < 6899; ++trail) {
            if (trail == 0x7F)
                continue;
            char line[16];
            std::snprintf(line, sizeof line, "%02X%02X=%c%c\n", lead, trail, lead, trail);
            table += line;
            ++lines;
        }
    }
    return table;
}

} // namespace

int main(int argc, char** argv)
{
    std::mt19937 random(11);
    std::string file(64u << 20, '\0');
    for (char& c : file)
        c = static_cast<char>(random());
    const std::string word = "DRAGON";
    for (std::size_t at = 1000; at < file.size(); at += 7 << 20) {
        for (std::size_t i = 0; i < word.size(); ++i)
            file[at + i] = static_cast<char>(0x80 + (word[i] - 'A'));
    }
    std::size_t found = 0;
    const double search = Best([&] { found = zelvane::RelativeSearch(file, word).size(); });
    unsigned sum = 0;
    const double scan = Best([&] {
        sum = 0;
        for (unsigned char c : file)
            sum += c;
    });
    std::printf("relative search, 64 MB: %.1f ms, %zu places (a plain pass adding up the bytes: %.1f ms, %u)\n",
                search * 1000, found, scan * 1000, sum & 1);

    zelvane::TableDocument document;
    if (!zelvane::ParseTable(document, KanjiTable()))
        return 1;
    // Script: kanji codes with an end code now and then, hidden at 1 MB steps.
    const std::string sentence = "\x88\x9F\x88\xA0\x89\x40\x81\x40\x82\xA0\x93\x8C\x8B\x9E\x00";
    for (std::size_t at = 0; at + sentence.size() < file.size(); at += 1 << 20)
        file.replace(at, sentence.size(), sentence);
    const zelvane::RomCodes codes(document);
    std::size_t pieces = 0;
    const double text = Best([&] {
        pieces = 0;
        for (const zelvane::TextLine& line : zelvane::LayOutText(codes, file, 3 << 20, 40, 100))
            pieces += line.Pieces.size();
    });
    const double hex = Best([&] { pieces += zelvane::LayOutHex(codes, file, 3 << 20, 40).size(); });
    const double edit = Best([&] {
        document.Entries[0x41].Value = "a";
        const zelvane::RomCodes again(document);
        pieces += zelvane::LayOutText(again, file, 3 << 20, 40, 100).size();
    });
    std::printf("a screen through a table of 6,899 lines: text %.2f ms, hexadecimal %.2f ms; after an edit %.2f ms (%zu)\n",
                text * 1000, hex * 1000, edit * 1000, pieces);

    // Four characters; the table writes each one way.
    const std::vector<std::string> needles = zelvane::EncodeText(document, "\x88\x9F\x88\xA0\x89\x40\x81\x40");
    std::size_t hits = 0;
    const double find = Best([&] { hits = zelvane::FindEncoded(file, needles).size(); });
    std::size_t floorHits = 0;
    const double floor = Best([&] {
        floorHits = 0;
        const std::string& needle = needles.front();
        for (const char* at = file.data(); const void* hit = ::memmem(at, static_cast<std::size_t>(file.data() + file.size() - at),
                                                                    needle.data(), needle.size());) {
            ++floorHits;
            at = static_cast<const char*>(hit) + 1;
        }
    });
    std::printf("find of 4 characters through 64 MB: %.1f ms, %zu hits in %zu encodings (a plain memmem: %.1f ms, %zu)\n",
                find * 1000, hits, needles.size(), floor * 1000, floorHits);

#ifdef ZELVANE_BENCH_MAPPED
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("big.bin"));
    {
        QFile big(path);
        if (!big.open(QIODevice::WriteOnly) || !big.resize(qint64{1} << 30))
            return 1;
    }
    std::size_t size = 0;
    const double open = Best([&] {
        zelvane::MappedFile mapped;
        QString reason;
        if (mapped.Open(path, reason))
            size = mapped.Bytes().size();
    });
    std::printf("opening a 1 GiB file for the view: %.2f ms (%zu bytes mapped)\n", open * 1000, size);

    // The view itself, drawn off screen: a screen shown at an address, and
    // shown again after an edit of the table.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString game = folder.filePath(QStringLiteral("game.bin"));
    {
        QFile out(game);
        if (!out.open(QIODevice::WriteOnly) || out.write(file.data(), qint64(file.size())) != qint64(file.size()))
            return 1;
    }
    zelvane::TableNotifier notifier(document);
    zelvane::TableEditor editor(document);
    zelvane::RomView view(notifier);
    view.resize(720, 520);
    view.show();
    view.OpenFile(game);
    for (int mode = 0; mode < 2; ++mode) {
        view.findChild<QComboBox*>(QStringLiteral("cboRomMode"))->setCurrentIndex(mode);
        std::uint64_t address = 3 << 20;
        const double shown = Best([&] { view.ShowAddress(address += 4096); });
        const double edited = Best([&] { notifier.Commit(editor.TypeBytes({}, 0x41, "b", zelvane::InputMode::Ascii).Change, QStringLiteral("b")); });
        std::printf("the view, %s: a screen shown at an address %.2f ms, again after an edit %.2f ms\n",
                    mode == 0 ? "Testo" : "Esadecimale", shown * 1000, edited * 1000);
    }
#else
    (void)argc;
    (void)argv;
#endif
    return 0;
}
