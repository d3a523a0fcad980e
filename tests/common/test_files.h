// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelvane::test {

[[nodiscard]] std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// Names of the entries of a folder, sorted; to see stray temporary files.
[[nodiscard]] std::vector<std::string> FolderListing(const std::filesystem::path& folder);

} // namespace zelvane::test
