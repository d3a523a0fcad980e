// SPDX-License-Identifier: GPL-3.0-or-later
// Memory: the peak resident size of the editor with a large table open,
// against the bare QMainWindow program, both measured when the window is
// first exposed. The ratio is the last line.

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
    const ProbeRun editor = RunProbe(Beside(argv[0], "zelvane_startup_probe"), {table.string()});
    const ProbeRun bare = RunProbe(Beside(argv[0], "bare_startup_probe"));
    std::filesystem::remove_all(table.parent_path());
    std::printf("table: %ju bytes\n", static_cast<std::uintmax_t>(256 * 4100 + 62 * 4020));
    std::printf("bare QMainWindow peak resident size: %ld kB\n", bare.peakKb);
    std::printf("editor with the table open: %ld kB\n", editor.peakKb);
    std::printf("ratio editor / bare peak memory: %.2f\n", double(editor.peakKb) / double(bare.peakKb));
    return 0;
}
