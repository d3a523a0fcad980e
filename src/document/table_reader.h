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

// True when the start of a file (its first 64 KiB are enough) is plainly
// not a table: it holds a NUL byte, or begins with the signature of an
// image, an archive, a program or a ROM. A UTF-16 text is not counted:
// the reader refuses it with its own reason.
[[nodiscard]] bool LooksBinary(std::string_view head);
// The same for the file at `fileName`; false when it cannot be read.
[[nodiscard]] bool LooksBinary(const std::filesystem::path& fileName);
inline constexpr std::size_t BinaryCheckBytes = 64 * 1024;

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
