// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a 64 MB table: SaveTable (formatting, the temporary file, fsync,
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

} // namespace

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zelvane-bench-save";
    std::filesystem::create_directories(folder);
    const std::filesystem::path table = bench::MakeTable(folder, 64u << 20);
    zelvane::TableDocument document;
    std::string bytes;
    if (!zelvane::LoadTable(document, table) || !zelvane::FormatTable(document, bytes))
        return 1;

    std::vector<double> saves, writes, ratios;
    for (int round = 0; round < 7; ++round) {
        auto start = bench::Clock::now();
        PlainWrite(folder / "plain.tbl", bytes);
        writes.push_back(bench::SecondsSince(start));
        start = bench::Clock::now();
        if (!zelvane::SaveTable(document, folder / "saved.tbl"))
            return 1;
        saves.push_back(bench::SecondsSince(start));
        ratios.push_back(saves.back() / writes.back());
    }
    const double peak = PeakTimesDocument(table, folder / "child.tbl");
    std::filesystem::remove_all(folder);

    std::printf("table: %.1f MB written\n", double(bytes.size()) / (1 << 20));
    bench::PrintSpread("write + fsync", bench::Summary(writes), 1000, "ms");
    bench::PrintSpread("SaveTable", bench::Summary(saves), 1000, "ms");
    std::printf("peak memory of a save: %.2f times the table's\n", peak);
    const bench::Spread ratio = bench::Summary(ratios);
    std::printf("ratio SaveTable / write + fsync: %.2f (%.2f to %.2f)\n", ratio.median, ratio.low, ratio.high);
    return 0;
}
