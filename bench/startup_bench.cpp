// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the time from process start until the main window is first
// exposed, for the editor against a bare QMainWindow program built the same
// way; the best of 15 runs each, alternating. The ratio is the last line.

#include "spawn.h"

#include <algorithm>

int main(int, char* argv[])
{
    ChoosePlatform();
    const std::string editor = Beside(argv[0], "zelvane_startup_probe");
    const std::string bare = Beside(argv[0], "bare_startup_probe");
    RunProbe(editor); // warm the file cache for both
    RunProbe(bare);
    double bestEditor = 1e9;
    double bestBare = 1e9;
    for (int round = 0; round < 15; ++round) {
        bestEditor = std::min(bestEditor, RunProbe(editor).seconds);
        bestBare = std::min(bestBare, RunProbe(bare).seconds);
    }
    std::printf("bare QMainWindow: %.1f ms\n", bestBare * 1000);
    std::printf("editor: %.1f ms\n", bestEditor * 1000);
    std::printf("ratio editor / bare start-up: %.2f\n", bestEditor / bestBare);
    return 0;
}
