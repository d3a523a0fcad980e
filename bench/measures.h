// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the benchmarks share: a generated large table, medians with their
// spread, and the process's memory figures.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A median with the smallest and largest sample beside it.
struct Spread {
    double median = 0;
    double low = 0;
    double high = 0;
};

inline Spread Summary(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return {median, samples.front(), samples.back()};
}

// "12.3 ms (11.9 to 13.0)": the median and the range, scaled.
inline void PrintSpread(const char* what, const Spread& s, double scale, const char* unit)
{
    std::printf("%s: %.2f %s (%.2f to %.2f)\n", what, s.median * scale, unit, s.low * scale, s.high * scale);
}

// A kB figure of /proc/self/status: "VmRSS:" now, "VmHWM:" the peak.
inline long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    const std::string key(field);
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0)
            return std::strtol(line.c_str() + key.size(), nullptr, 10);
    }
    return -1;
}

// Starts the peak resident size again from the present size.
inline void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Runs `work` in a child process of its own, so that the peak belongs to
// it alone: the peak resident size during `work`, in MB, above what the
// child held when `prepare` was done.
template<typename Prepare, typename Work>
double ChildPeakMb(Prepare&& prepare, Work&& work)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        std::exit(1);
    const pid_t child = ::fork();
    if (child == 0) {
        prepare();
        const long before = StatusKb("VmRSS:");
        ResetPeak();
        work();
        const double mb = double(StatusKb("VmHWM:") - before) / 1024;
        (void)!::write(pipeEnds[1], &mb, sizeof mb);
        std::_Exit(0);
    }
    double mb = 0;
    if (::read(pipeEnds[0], &mb, sizeof mb) != sizeof mb)
        std::exit(1);
    ::waitpid(child, nullptr, 0);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    return mb;
}

// A table of about `targetBytes`: 31 extra lines, then code and special
// lines for random codes, most values short, one in twenty hundreds of
// bytes long, so that most lines stay as extra lines of a redefined code.
inline std::filesystem::path MakeTable(const std::filesystem::path& folder, std::size_t targetBytes)
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

} // namespace bench
