// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zelvane {

// Outcome of a read or a write. True exactly on success; otherwise
// `message` tells why in Italian (UTF-8; bytes quoted from a file appear
// as \xHH), and `line` names the failing line of a read (0 when the
// failure is not tied to a line).
struct FileResult {
    bool ok = true;
    std::string message;
    std::size_t line = 0;

    explicit operator bool() const noexcept { return ok; }

    [[nodiscard]] static FileResult Success() { return {}; }
    [[nodiscard]] static FileResult Failure(std::string why, std::size_t lineNumber = 0)
    {
        return {false, std::move(why), lineNumber};
    }
};

// The system's reason for an errno value, in Italian where we know it.
[[nodiscard]] std::string SystemReason(int error);

} // namespace zelvane
