// SPDX-License-Identifier: GPL-3.0-or-later
// Times LoadTable on a large generated table against a plain scan that
// only reads the same file and finds its line ends. Prints both times and
// their ratio; the ratio is the last line.

#include "document/table_document.h"
#include "document/table_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

std::filesystem::path MakeTable(const std::filesystem::path& folder, std::size_t targetBytes)
{
    std::mt19937 random(42);
    std::uniform_int_distribution<int> kind(0, 19);
    std::uniform_int_distribution<int> code(0, 255);
    std::uniform_int_distribution<int> shortLength(1, 8);
    std::uniform_int_distribution<int> longLength(64, 400);
    std::uniform_int_distribution<int> printable(0x20, 0xFE);

    std::string bytes;
    bytes.reserve(targetBytes + 1024);
    for (int i = 0; i < 31; ++i)
        bytes += "#extra line " + std::to_string(i) + " kept as written\r\n";
    const char* hex = "0123456789ABCDEF";
    while (bytes.size() < targetBytes) {
        const int c = code(random);
        const int k = kind(random);
        if (k == 0) {
            bytes += (c & 1) ? '/' : '*';
            bytes += hex[c >> 4];
            bytes += hex[c & 15];
        } else {
            bytes += hex[c >> 4];
            bytes += hex[c & 15];
            bytes += '=';
            const int length = k == 1 ? longLength(random) : shortLength(random);
            for (int n = 0; n < length; ++n)
                bytes += static_cast<char>(printable(random));
        }
        bytes += "\r\n";
    }
    const std::filesystem::path path = folder / "large.tbl";
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::size_t ScanLineEnds(const std::filesystem::path& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        std::exit(1);
    std::string bytes(std::filesystem::file_size(path), '\0');
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
        std::exit(1);
    std::fclose(file);
    std::size_t lines = 0;
    const char* cursor = bytes.data();
    const char* const end = cursor + bytes.size();
    while (cursor < end) {
        const void* lf = std::memchr(cursor, '\n', static_cast<std::size_t>(end - cursor));
        if (!lf)
            break;
        cursor = static_cast<const char*>(lf) + 1;
        ++lines;
    }
    return lines;
}

template<typename Work>
double BestOfFive(Work&& work)
{
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

} // namespace

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zelvane-bench-load";
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = MakeTable(folder, 64u << 20);
    const auto size = std::filesystem::file_size(path);

    std::size_t lines = 0;
    const double scan = BestOfFive([&] { lines = ScanLineEnds(path); });
    const double load = BestOfFive([&] {
        zelvane::TableDocument document;
        if (!zelvane::LoadTable(document, path))
            std::exit(1);
    });
    std::filesystem::remove_all(folder);

    std::printf("table: %.1f MB, %zu lines\n", static_cast<double>(size) / (1 << 20), lines);
    std::printf("plain scan of line ends: %.3f s\n", scan);
    std::printf("LoadTable: %.3f s\n", load);
    std::printf("ratio LoadTable / scan: %.2f\n", load / scan);
    return 0;
}
