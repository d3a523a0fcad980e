// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs a probe program and waits for its one line; returns the seconds from
// the start of the process to that line, and the line's number.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

struct ProbeRun {
    double seconds = 0;
    long peakKb = 0;
};

inline ProbeRun RunProbe(const std::string& program, const std::vector<std::string>& arguments = {})
{
    int out[2];
    if (::pipe(out) != 0)
        std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(1);
    }
    ::close(out[1]);
    char line[128] = {};
    std::size_t got = 0;
    while (got < sizeof line - 1) {
        const ssize_t n = ::read(out[0], line + got, 1);
        if (n <= 0 || line[got] == '\n')
            break;
        ++got;
    }
    const auto end = std::chrono::steady_clock::now();
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    long peak = 0;
    if (std::sscanf(line, "exposed %ld", &peak) != 1) {
        std::fprintf(stderr, "%s did not show its window\n", program.c_str());
        std::exit(1);
    }
    return {std::chrono::duration<double>(end - start).count(), peak};
}

// Offscreen when there is no display, so the benchmark runs anywhere.
inline void ChoosePlatform()
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::printf("platform: %s\n", std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "xcb (DISPLAY)");
}

inline std::string Beside(const char* self, const char* name)
{
    std::string path(self);
    const auto slash = path.rfind('/');
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/" + name;
}
