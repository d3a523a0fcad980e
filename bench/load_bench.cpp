// SPDX-License-Identifier: GPL-3.0-or-later
// Times LoadTable on a large generated table against a plain scan that
// only reads the same file and finds its line ends. Prints both times and
// their ratio; the ratio is the last line. The same scan into a buffer
// made ready as the reader makes its own is printed beside it.

#include "document/file_io.h"
#include "document/table_document.h"
#include "document/table_reader.h"
#include "measures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace {

using bench::Clock;

// Reads into a string, or, with `hugePages`, into a buffer made ready as
// the reader makes its own (huge pages where the system has them).
std::size_t ScanLineEnds(const std::filesystem::path& path, bool hugePages)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        std::exit(1);
    const std::size_t size = std::filesystem::file_size(path);
    std::string string;
    std::unique_ptr<char[]> buffer;
    char* bytes = nullptr;
    if (hugePages) {
        buffer = std::make_unique_for_overwrite<char[]>(size);
        zelvane::Prefault(buffer.get(), size);
        bytes = buffer.get();
    } else {
        string.assign(size, '\0');
        bytes = string.data();
    }
    if (std::fread(bytes, 1, size, file) != size)
        std::exit(1);
    std::fclose(file);
    std::size_t lines = 0;
    const char* cursor = bytes;
    const char* const end = cursor + size;
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
    const std::filesystem::path path = bench::MakeTable(folder, 64u << 20);
    const auto size = std::filesystem::file_size(path);

    std::size_t lines = 0;
    const double scan = BestOfFive([&] { lines = ScanLineEnds(path, false); });
    const double hugeScan = BestOfFive([&] { lines = ScanLineEnds(path, true); });
    const double load = BestOfFive([&] {
        zelvane::TableDocument document;
        if (!zelvane::LoadTable(document, path))
            std::exit(1);
    });
    zelvane::TableDocument document;
    const double peak = bench::ChildPeakMb([] {}, [&] {
        if (!zelvane::LoadTable(document, path))
            std::_Exit(1);
    });
    std::filesystem::remove_all(folder);

    std::printf("peak memory of a read: %.0f MB\n", peak);
    std::printf("table: %.1f MB, %zu lines\n", static_cast<double>(size) / (1 << 20), lines);
    std::printf("plain scan of line ends: %.3f s\n", scan);
    std::printf("plain scan, read into huge pages as LoadTable reads: %.3f s (ratio %.2f)\n", hugeScan, load / hugeScan);
    std::printf("LoadTable: %.3f s\n", load);
    std::printf("ratio LoadTable / scan: %.2f\n", load / scan);
    return 0;
}
