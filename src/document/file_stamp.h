// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

struct stat;

namespace zelvane {

// What identifies one state of a file on disk: another program that
// replaces or rewrites it changes at least one of these.
struct FileStamp {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t Seconds = 0;     // modification time
    std::int64_t Nanoseconds = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

[[nodiscard]] FileStamp StampOf(const struct stat& info) noexcept;

// The stamp of the file `path` names (links followed), or nothing when it
// cannot be read.
[[nodiscard]] std::optional<FileStamp> StampOf(const std::filesystem::path& path);

} // namespace zelvane
