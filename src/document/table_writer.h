// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/file_result.h"

#include <filesystem>
#include <string>

namespace zelvane {

class TableDocument;

// The plain layout of a new table: extra lines, codes 00 to FF, then the
// bookmarks, every line ended by CR LF. Fails, producing nothing, when a value, title or
// extra line that would be written holds a CR or LF.
[[nodiscard]] FileResult FormatTable(const TableDocument& document, std::string& bytes);

// Writes the document to `fileName` the safe way SaveFileSafely describes:
// the old file survives any failure, keeps its permissions, owner,
// attributes and links. FileName and DiskStamp change only on success;
// Modified is never touched.
//
// A table read from a file goes back as that file, changed only where the
// table changed (MergeTable); a table never read from one is written as
// FormatTable lays it out. Either way the file written becomes the record
// the next save compares with.
[[nodiscard]] FileResult SaveTable(TableDocument& document, const std::filesystem::path& fileName);

// The same; `tableChanged` tells whether the document was brought in line
// with what the file it wrote now says (rarely: an extra line added for a
// code after that code's own line now gives the code its value).
[[nodiscard]] FileResult SaveTable(TableDocument& document, const std::filesystem::path& fileName, bool& tableChanged);

} // namespace zelvane
