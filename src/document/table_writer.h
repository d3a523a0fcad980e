// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/file_result.h"

#include <filesystem>
#include <string>

namespace zelvane {

class TableDocument;

// The file's bytes: extra lines, codes 00 to FF, then the bookmarks, every
// line ended by CR LF. Fails, producing nothing, when a value, title or
// extra line that would be written holds a CR or LF.
[[nodiscard]] FileResult FormatTable(const TableDocument& document, std::string& bytes);

// Writes the document to `fileName` the safe way SaveFileSafely describes:
// the old file survives any failure, keeps its permissions, owner,
// attributes and links. FileName and DiskStamp change only on success;
// Modified is never touched.
[[nodiscard]] FileResult SaveTable(TableDocument& document, const std::filesystem::path& fileName);

} // namespace zelvane
