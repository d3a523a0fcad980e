#pragma once

#include "document/file_result.h"

#include <filesystem>
#include <string_view>

namespace zelvane {

class TableDocument;

// Reads a table file into `document`. The whole file is read into a fresh
// table first; the document is replaced (entries, marks, both slot lists
// and FileName) only when every line was taken, so a failed read leaves it
// exactly as it was. Modified is never touched.
[[nodiscard]] FileResult LoadTable(TableDocument& document, const std::filesystem::path& fileName);

// The same rules on bytes already in memory; FileName is not touched.
[[nodiscard]] FileResult ParseTable(TableDocument& document, std::string_view bytes);

} // namespace zelvane
