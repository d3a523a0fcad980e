// SPDX-License-Identifier: GPL-3.0-or-later
// Saving 64 MB tables, one of long lines and one of 3.2 million short
// ones: SaveTable (the temporary file, fsync, the rename) against a plain
// write() and fsync() of the same bytes, in paired runs, medians with
// their range. The short lines are saved three ways: unchanged, with one
// value changed before each save (merged into the file read), and as a new
// table (the plain layout). Then, in a child process of its own, the peak
// memory of a save, unchanged and with one value changed, above the memory
// the loaded table holds. The time ratio is the last line.

#include "document/table_document.h"
#include "document/table_reader.h"
#include "document/table_writer.h"
#include "measures.h"

#include <fcntl.h>
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

enum class Edit { None, OneValue, NewTable };

void Prepare(zelvane::TableDocument& document, Edit edit, int round)
{
    if (edit == Edit::OneValue)
        document.Entries[0x41].Value = round % 2 ? "one" : "two";
    if (edit == Edit::NewTable)
        document.Record.reset();
}

Pairs Measure(const std::filesystem::path& table, const std::filesystem::path& folder, std::size_t& size, Edit edit)
{
    zelvane::TableDocument document;
    if (!zelvane::LoadTable(document, table))
        std::exit(1);
    Prepare(document, edit, 0);
    if (!zelvane::SaveTable(document, folder / "saved.tbl"))
        std::exit(1);
    const std::string bytes = bench::ReadFile(folder / "saved.tbl");
    size = bytes.size();
    Pairs pairs;
    auto& [saves, writes, ratios] = pairs;
    for (int round = 0; round < 7; ++round) {
        auto start = bench::Clock::now();
        PlainWrite(folder / "plain.tbl", bytes);
        writes.push_back(bench::SecondsSince(start));
        Prepare(document, edit, round + 1);
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

double SavePeakMb(const std::filesystem::path& table, const std::filesystem::path& target, Edit edit)
{
    zelvane::TableDocument document;
    return bench::ChildPeakMb(
        [&] {
            if (!zelvane::LoadTable(document, table))
                std::_Exit(1);
            Prepare(document, edit, 1);
        },
        [&] {
            if (!zelvane::SaveTable(document, target))
                std::_Exit(1);
        });
}

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zelvane-bench-save";
    std::filesystem::create_directories(folder);
    std::size_t longSize = 0, manySize = 0;
    const Pairs longLines = Measure(MakeLongLineTable(folder), folder, longSize, Edit::None);
    const std::filesystem::path table = bench::MakeTable(folder, 64u << 20);
    const Pairs unchanged = Measure(table, folder, manySize, Edit::None);
    const Pairs oneValue = Measure(table, folder, manySize, Edit::OneValue);
    const Pairs newTable = Measure(table, folder, manySize, Edit::NewTable);
    const double peakUnchanged = SavePeakMb(table, folder / "child.tbl", Edit::None);
    const double peakOneValue = SavePeakMb(table, folder / "child.tbl", Edit::OneValue);
    std::filesystem::remove_all(folder);

    Print("320 lines of 200 KB, unchanged", longLines, longSize);
    Print("3.2 million short lines, unchanged", unchanged, manySize);
    Print("3.2 million short lines, one value changed", oneValue, manySize);
    Print("3.2 million short lines, as a new table", newTable, manySize);
    std::printf("peak memory of a save of the short lines above the loaded table: unchanged %.0f MB, one value changed %.0f MB\n",
                peakUnchanged, peakOneValue);
    const bench::Spread ratio = bench::Summary(oneValue.ratios);
    std::printf("ratio SaveTable / write + fsync, short lines, one value changed: %.2f (%.2f to %.2f)\n", ratio.median,
                ratio.low, ratio.high);
    return 0;
}
