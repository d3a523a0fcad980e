// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/file_stamp.h"

#include <sys/stat.h>

namespace zelvane {

FileStamp StampOf(const struct stat& info) noexcept
{
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
            static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

std::optional<FileStamp> StampOf(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return StampOf(info);
}

} // namespace zelvane
