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

// Writes the document to `fileName`. The bytes go to a temporary file in
// the target's folder, which is flushed to disk and only then renamed over
// the target, so the old file survives any failure. An existing target's
// permissions are kept, and a symbolic link is written through to its
// target. FileName becomes `fileName` only on success; Modified is never
// touched.
[[nodiscard]] FileResult SaveTable(TableDocument& document, const std::filesystem::path& fileName);

} // namespace zelvane
