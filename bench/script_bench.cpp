// SPDX-License-Identifier: GPL-3.0-or-later
// The script tool's work on a game made here: 10,000 strings behind 24-bit
// pointers, read through a table of 7,000 lines (ASCII, kana and 6,900
// two-byte codes), in a 4 MiB file. Dump, insert, pointers, coverage and
// an IPS patch are each timed, best of five.
//
// `zelvane_bench_script --write-example FOLDER` writes instead the README's
// worked example: gioco.sfc (a $200 copier header, LoROM, 24-bit pointers
// at 0x8200, shared and mid-string ones) and gioco.tbl (Shift-JIS).

#include "measures.h"
#include "document/code_pages.h"
#include "script/dump.h"
#include "script/insert.h"
#include "script/pointer_search.h"
#include "script/pointers.h"
#include "script/script_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

namespace {

double Best(const std::function<void()>& work)
{
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        const auto start = bench::Clock::now();
        work();
        best = std::min(best, bench::SecondsSince(start));
    }
    return best;
}

// The README's example, in Shift-JIS: strings at 0x9200 behind five 24-bit
// LoROM pointers at 0x8200 (two lead to one string, one into the middle of
// another).
int WriteExample(const std::filesystem::path& folder)
{
    std::string table = "8140=\x81\x40\n82A0=\x82\xA0\n82A2=\x82\xA2\n82A4=\x82\xA4\n82A6=\x82\xA6\n82A8=\x82\xA8\n"
                              "82A9=\x82\xA9\n82B1=\x82\xB1\n82BF=\x82\xBF\n82C9=\x82\xC9\n82CD=\x82\xCD\n82E8=\x82\xE8\n82F1=\x82\xF1\n"
                              "8341=\x83\x41\n8343=\x83\x43\n20= \n21=!\n2C=,\n/00=<END>\n*01=<BR>\nF100=<NOME>\n";
    for (char c = 'A'; c <= 'z'; ++c) {
        if (c <= 'Z' || c >= 'a')
            table += zelvane::HexText(std::string(1, c)) + "=" + c + "\n";
    }
    std::string rom(0x200 + 0x10000, '\0');
    const auto machine = [](std::size_t offset) {
        const std::size_t x = offset - 0x200;
        return ((x & 0x7F8000) << 1) | 0x8000 | (x & 0x7FFF);
    };
    const std::string first = "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD\x01\x82\xA8\x82\xA9\x82\xA6\x82\xE8"; // こんにちは<BR>おかえり
    const std::string texts[] = {first + std::string(1, '\0'),
                                 "ABC \xF1" + std::string(1, '\0') + "\x7F" + std::string(1, '\0'),
                                 "\x83\x41\x83\x43" + std::string(1, '\0')};
    std::size_t at = 0x9200;
    std::vector<std::size_t> starts;
    for (const std::string& text : texts) {
        starts.push_back(at);
        rom.replace(at, text.size(), text);
        at += text.size();
    }
    const std::size_t pointers[] = {starts[0], starts[1], starts[0], starts[0] + 11, starts[2]};
    for (std::size_t i = 0; i < 5; ++i) {
        const std::size_t value = machine(pointers[i]);
        for (std::size_t b = 0; b < 3; ++b)
            rom[0x8200 + 3 * i + b] = static_cast<char>((value >> (8 * b)) & 0xFF);
    }
    std::ofstream(folder / "gioco.sfc", std::ios::binary) << rom;
    std::ofstream(folder / "gioco.tbl", std::ios::binary) << table;
    std::printf("%s: %zu byte; %s\n", (folder / "gioco.sfc").c_str(), rom.size(), (folder / "gioco.tbl").c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-example") == 0)
        return WriteExample(argv[2]);
    using namespace zelvane;
    // The table: ASCII letters, then 6,900 two-byte codes from 8800 on,
    // each a distinct three-letter value, and an end code.
    std::string tableText;
    std::vector<std::string> codes;
    for (char c = 'A'; c <= 'Z'; ++c) {
        tableText += zelvane::HexText(std::string(1, c)) + "=" + c + "\n";
        codes.push_back(std::string(1, c));
    }
    for (int i = 0; i < 6900; ++i) {
        const std::string code{static_cast<char>(0x88 + i / 256), static_cast<char>(i % 256)};
        const std::string value{static_cast<char>('a' + i % 26), static_cast<char>('a' + i / 26 % 26), static_cast<char>('a' + i / 676)};
        tableText += zelvane::HexText(code) + "=" + value + "\n";
        codes.push_back(code);
    }
    while (std::count(tableText.begin(), tableText.end(), '\n') < 6999)
        tableText += "# padding\n";
    tableText += "/00=<END>\n";
    std::string error;
    const std::optional<ScriptTable> table = ScriptTable::Read(tableText, error);
    if (!table) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // The file: 10,000 strings of 10 to 30 codes at 0x100000, their
    // pointers at 0x10000, the rest noise, 4 MiB in all.
    std::mt19937 random(7);
    std::string file(4 << 20, '\0');
    for (char& c : file)
        c = static_cast<char>(random() & 0xFF);
    std::size_t at = 0x100000;
    for (int s = 0; s < 10000; ++s) {
        const std::size_t slot = 0x10000 + 3 * static_cast<std::size_t>(s);
        file[slot] = static_cast<char>(at & 0xFF);
        file[slot + 1] = static_cast<char>(at >> 8 & 0xFF);
        file[slot + 2] = static_cast<char>(at >> 16 & 0xFF);
        const int length = 10 + static_cast<int>(random() % 21);
        for (int c = 0; c < length; ++c) {
            const std::string& code = codes[random() % codes.size()];
            file.replace(at, code.size(), code);
            at += code.size();
        }
        file[at++] = '\0';
    }
    const Block block = *ParseBlock("pointers=0x10000,count=10000,bits=24", error);
    std::string script;
    const double dump = Best([&] { script = WriteScript(file, *table, {ReadBlock(file, *table, block)}, "bench.tbl"); });
    std::printf("dump, 10,000 strings through a table of 7,000 lines: %.1f ms (%zu bytes of script)\n", dump * 1000, script.size());
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zelvane-script-bench";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "bench.tbl", std::ios::binary) << tableText;
    InsertResult inserted;
    const double insert = Best([&] { inserted = InsertScript(file, script, folder / "bench.txt"); });
    std::printf("insert, the same 10,000 strings: %.1f ms (%s)\n", insert * 1000,
                inserted.Errors.empty() && inserted.Rom == file ? "the file back byte for byte" : "DIFFERENT");
    std::vector<FoundTable> found;
    const double pointers = Best([&] { found = FindPointerTables(file, *table, *PointerTarget(*ReadPointer(file, 0x10000 + 3 * 5000, block.Format), block.Format, 0)); });
    std::printf("pointers over 4 MiB: %.1f ms (first: %s)\n", pointers * 1000, found.empty() ? "none" : BlockText(found.front().block).c_str());
    Coverage coverage;
    const double covered = Best([&] { coverage = MeasureCoverage(file, *table, {{0, file.size()}}); });
    std::printf("coverage of 4 MiB: %.1f ms (%llu text, %llu unknown)\n", covered * 1000, static_cast<unsigned long long>(coverage.Text),
                static_cast<unsigned long long>(coverage.Unknown));
    std::string changed = file;
    for (std::size_t i = 0; i < changed.size(); i += 97)
        changed[i] = static_cast<char>(~changed[i]);
    std::string ips;
    const double patch = Best([&] { (void)MakeIps(file, changed, ips, error); });
    std::printf("IPS patch of a 4 MiB file with 43,000 changed bytes: %.1f ms (%zu bytes)\n", patch * 1000, ips.size());
    std::filesystem::remove_all(folder);
    return 0;
}
