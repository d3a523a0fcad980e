// SPDX-License-Identifier: GPL-3.0-or-later
// Memory: the peak resident size of the editor with a large table open,
// against the bare QMainWindow program, both read once the first frame is
// on the screen, in 9 interleaved pairs; medians with their range. The
// median of the pairs' ratios is the last line.

#include "measures.h"
#include "spawn.h"

#include <filesystem>
#include <fstream>

namespace {

// Every code assigned a 4 KB value, 31 long extra lines and 31 bookmarks.
std::filesystem::path MakeLargeTable()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zelvane-bench-memory";
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / "large.tbl";
    std::ofstream out(path, std::ios::binary);
    const char* hex = "0123456789ABCDEF";
    for (int i = 0; i < 31; ++i)
        out << "#extra " << i << ' ' << std::string(4000, 'x') << "\r\n";
    for (int code = 0; code < 256; ++code)
        out << hex[code >> 4] << hex[code & 15] << '=' << std::string(4096, char('A' + code % 26)) << "\r\n";
    for (int i = 0; i < 31; ++i)
        out << "\r\n(" << std::hex << i * 0x100 << std::dec << "h)bookmark " << i << "\r\n";
    return path;
}

} // namespace

int main(int, char* argv[])
{
    ChoosePlatform();
    const std::filesystem::path table = MakeLargeTable();
    std::vector<double> editorKb, bareKb, ratios;
    for (int round = 0; round < 9; ++round) {
        editorKb.push_back(double(RunProbe(Beside(argv[0], "zelvane_startup_probe"), {table.string()}).peakKb));
        bareKb.push_back(double(RunProbe(Beside(argv[0], "bare_startup_probe")).peakKb));
        ratios.push_back(editorKb.back() / bareKb.back());
    }
    std::filesystem::remove_all(table.parent_path());
    std::printf("table: %ju bytes\n", static_cast<std::uintmax_t>(256 * 4100 + 62 * 4020));
    bench::PrintSpread("bare QMainWindow peak resident size", bench::Summary(bareKb), 1.0 / 1024, "MB");
    bench::PrintSpread("editor with the table open", bench::Summary(editorKb), 1.0 / 1024, "MB");
    const bench::Spread ratio = bench::Summary(ratios);
    std::printf("ratio editor / bare peak memory: %.2f (%.2f to %.2f)\n", ratio.median, ratio.low, ratio.high);
    return 0;
}
