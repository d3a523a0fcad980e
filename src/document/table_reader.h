// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/file_result.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace zelvane {

class TableDocument;

// The largest table file read or written: bigger files are not tables.
inline constexpr std::uint64_t MaxTableBytes = std::uint64_t{256} << 20;

// Reads a table file into `document`. The document is replaced (entries,
// marks, bookmarks, extra lines, FileName and Encoding) only when every line
// was taken, so a file that cannot be read leaves it exactly as it was.
// Modified is never touched. An unmodified table is let go before the new
// one is built, so the two never share the memory; should the memory then
// run out, the document is left an empty untitled table, never half of one.
//
// Nothing read is lost: a code or special line that a later line for the
// same code overrides stays as an extra line, in file order, unless the
// last line for that code leaves it unassigned.
[[nodiscard]] FileResult LoadTable(TableDocument& document, const std::filesystem::path& fileName);

// The same rules on bytes already in memory; FileName is not touched.
[[nodiscard]] FileResult ParseTable(TableDocument& document, std::string_view bytes);

} // namespace zelvane
