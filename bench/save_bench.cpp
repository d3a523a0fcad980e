// SPDX-License-Identifier: GPL-3.0-or-later
// Saving 64 MB tables, one of long lines and one of 3.2 million short
// ones: SaveTable (formatting, the temporary file, fsync,
// the rename) against a plain write() and fsync() of the same bytes, in
// paired runs, medians with their range; then, in a child process of its
// own, the peak memory of a save against the memory the table holds. The
// time ratio is the last line.

#include "document/table_document.h"
#include "document/table_reader.h"
#include "document/table_writer.h"
#include "measures.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void PlainWrite(const std::filesystem::path& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            std::exit(1);
        done += static_cast<std::size_t>(n);
    }
    if (fd < 0 || ::fsync(fd) != 0 || ::close(fd) != 0)
        std::exit(1);
}

// In a child, so that the peak belongs to the save alone.
double PeakTimesDocument(const std::filesystem::path& table, const std::filesystem::path& target)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        std::exit(1);
    const pid_t child = ::fork();
    if (child == 0) {
        const long before = bench::StatusKb("VmRSS:");
        zelvane::TableDocument document;
        if (!zelvane::LoadTable(document, table))
            std::_Exit(1);
        const long loaded = bench::StatusKb("VmRSS:");
        bench::ResetPeak();
        if (!zelvane::SaveTable(document, target))
            std::_Exit(1);
        const double times = double(bench::StatusKb("VmHWM:") - before) / double(loaded - before);
        (void)!::write(pipeEnds[1], &times, sizeof times);
        std::_Exit(0);
    }
    double times = 0;
    if (::read(pipeEnds[0], &times, sizeof times) != sizeof times)
        std::exit(1);
    ::waitpid(child, nullptr, 0);
    return times;
}

// 64 MB in 256 values and 64 extra lines of 200 KB each: a table of few,
// long lines, where the bytes and not the lines are the work.
std::filesystem::path MakeLongLineTable(const std::filesystem::path& folder)
{
    const char* hex = "0123456789ABCDEF";
    std::string bytes;
    for (int i = 0; i < 64; ++i)
        bytes += "# " + std::string(200 << 10, char('a' + i % 26)) + "\r\n";
    for (int code = 0; code < 256; ++code)
        bytes += std::string{hex[code >> 4], hex[code & 15], '='} + std::string(200 << 10, char('A' + code % 26)) + "\r\n";
    const std::filesystem::path path = folder / "long-lines.tbl";
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

struct Pairs {
    std::vector<double> saves, writes, ratios;
};

Pairs Measure(const std::filesystem::path& table, const std::filesystem::path& folder, std::size_t& size)
{
    zelvane::TableDocument document;
    std::string bytes;
    if (!zelvane::LoadTable(document, table) || !zelvane::FormatTable(document, bytes))
        std::exit(1);
    size = bytes.size();
    Pairs pairs;
    auto& [saves, writes, ratios] = pairs;
    for (int round = 0; round < 7; ++round) {
        auto start = bench::Clock::now();
        PlainWrite(folder / "plain.tbl", bytes);
        writes.push_back(bench::SecondsSince(start));
        start = bench::Clock::now();
        if (!zelvane::SaveTable(document, folder / "saved.tbl"))
            std::exit(1);
        saves.push_back(bench::SecondsSince(start));
        ratios.push_back(saves.back() / writes.back());
    }
    return pairs;
}

void Print(const char* what, const Pairs& pairs, std::size_t size)
{
    std::printf("%s, %.1f MB written\n", what, double(size) / (1 << 20));
    bench::PrintSpread("  write + fsync", bench::Summary(pairs.writes), 1000, "ms");
    bench::PrintSpread("  SaveTable", bench::Summary(pairs.saves), 1000, "ms");
    const bench::Spread ratio = bench::Summary(pairs.ratios);
    std::printf("  ratio: %.2f (%.2f to %.2f)\n", ratio.median, ratio.low, ratio.high);
}

} // namespace

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zelvane-bench-save";
    std::filesystem::create_directories(folder);
    std::size_t longSize = 0, manySize = 0;
    const Pairs longLines = Measure(MakeLongLineTable(folder), folder, longSize);
    const std::filesystem::path table = bench::MakeTable(folder, 64u << 20);
    const Pairs manyLines = Measure(table, folder, manySize);
    const double peak = PeakTimesDocument(table, folder / "child.tbl");
    std::filesystem::remove_all(folder);

    Print("320 lines of 200 KB", longLines, longSize);
    Print("3.2 million short lines", manyLines, manySize);
    std::printf("peak memory of a save of the short lines: %.2f times the table's\n", peak);
    const bench::Spread ratio = bench::Summary(manyLines.ratios);
    std::printf("ratio SaveTable / write + fsync, short lines: %.2f (%.2f to %.2f)\n", ratio.median, ratio.low,
                ratio.high);
    return 0;
}
