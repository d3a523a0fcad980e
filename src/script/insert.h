// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

// A script put into a copy of a game's file: the new file's bytes, every
// place the script cannot be put as it is ("script.txt:12: ..."), and a
// report of the regions' room and the strings that grew most. With any
// error the new bytes are to be thrown away: nothing is cut, padded or
// repointed silently.
struct InsertResult {
    std::string Rom;
    std::vector<std::string> Errors;
    std::vector<std::string> Report;
    // Each region: where it starts, its last byte (or none) and the bytes
    // its text took.
    struct Region {
        std::uint64_t Start = 0;
        std::optional<std::uint64_t> Last;
        std::uint64_t Used = 0;
    };
    std::vector<Region> Regions;
};

// `scriptPath` names the script in messages and is where #ADDTBL's paths
// start from.
[[nodiscard]] InsertResult InsertScript(std::string_view rom, std::string_view script, const std::filesystem::path& scriptPath);

// An IPS patch from `from` to `to`; false, saying why, for a file IPS
// cannot address (past 16 MiB: use BPS).
[[nodiscard]] bool MakeIps(std::string_view from, std::string_view to, std::string& patch, std::string& error);
// A BPS patch from `from` to `to`, with its checksums.
[[nodiscard]] std::string MakeBps(std::string_view from, std::string_view to);

} // namespace zelvane
