// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the time from process start until the main window's first
// frame is on the screen, for the editor against a bare QMainWindow
// program built the same way, in 21 interleaved pairs (the order swapping
// each round); medians with their range. The ratio of each pair is taken,
// and their median is the last line.

#include "measures.h"
#include "spawn.h"

int main(int, char* argv[])
{
    ChoosePlatform();
    const std::string editor = Beside(argv[0], "zelvane_startup_probe");
    const std::string bare = Beside(argv[0], "bare_startup_probe");
    RunProbe(editor); // warm the file cache for both
    RunProbe(bare);
    std::vector<double> editorTimes, bareTimes, ratios;
    for (int round = 0; round < 21; ++round) {
        const bool editorFirst = round % 2 == 0;
        const double first = RunProbe(editorFirst ? editor : bare).seconds;
        const double second = RunProbe(editorFirst ? bare : editor).seconds;
        editorTimes.push_back(editorFirst ? first : second);
        bareTimes.push_back(editorFirst ? second : first);
        ratios.push_back(editorTimes.back() / bareTimes.back());
    }
    bench::PrintSpread("bare QMainWindow", bench::Summary(bareTimes), 1000, "ms");
    bench::PrintSpread("editor", bench::Summary(editorTimes), 1000, "ms");
    const bench::Spread ratio = bench::Summary(ratios);
    std::printf("ratio editor / bare start-up: %.2f (%.2f to %.2f)\n", ratio.median, ratio.low, ratio.high);
    return 0;
}
