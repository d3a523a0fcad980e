// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/file_result.h"

#include <cstddef>
#include <memory>

namespace zelvane {

class FileRecord;
class TableDocument;

// A table merged into the file it was read from.
struct MergedTable {
    // Nothing changed: the file's own bytes are the table.
    bool Unchanged = true;
    // The new file's bytes, when something changed.
    std::unique_ptr<char[]> Data;
    std::size_t Size = 0;
};

// Works out what the document changed against what `record` read, and
// writes the file back changed only there: every other line where it
// stood, with its own bytes and line end. A changed code rewrites its last
// line in place; an emptied code loses all its lines; a new code follows
// the nearest lower code that has a line (else precedes the nearest
// higher, else ends the file); bookmarks change in place, new ones end the
// file after an empty line; extra lines removed go, changed ones stay where
// they stood, added ones follow the extra line before them in the list.
// New lines take the file's line end. Fails, naming it, when a changed or
// new line could not be read back the same.
[[nodiscard]] FileResult MergeTable(const TableDocument& document, const FileRecord& record, MergedTable& merged);

} // namespace zelvane
