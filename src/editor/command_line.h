// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zelvane {

// What the program was asked to do on its command line. Read before Qt
// starts, so that --help and --version work without a display.
struct CommandLine {
    enum class Action { Start, Help, Version, Error };

    Action action = Action::Start;
    // The table to open at start, if any.
    std::string file;
    // For Error: what was wrong, one Italian line.
    std::string error;
};

[[nodiscard]] CommandLine ParseCommandLine(int argc, const char* const* argv);

// The texts printed for --help and --version, each ending in a newline.
[[nodiscard]] std::string HelpText();
[[nodiscard]] std::string VersionText();

} // namespace zelvane
