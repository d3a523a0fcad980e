// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/file_record.h"
#include "document/file_result.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zelvane {

class FileRecord;
class TableDocument;

// A table merged into the file it was read from.
struct MergedTable {
    // Nothing changed: the file's own bytes are the table.
    bool Unchanged = true;
    // The new file's bytes, when something changed (MergeTable).
    RecordBytes Data;
    std::size_t Size = 0;
    // The file's extra lines are the document's, as they were: nothing of
    // them was touched, and no line changed from or into one.
    bool SameExtraLines = true;
    // Made by MergeCodesAndBookmarks: the new file as runs of the old one's
    // bytes and new text, each at its place in the new file (Size long), and
    // where its lines that are no extra lines stand.
    struct Part {
        std::size_t At = 0;     // in the new file
        std::size_t From = 0;   // in the old one, for a run of its bytes
        std::size_t Length = 0;
        std::string Text;       // new text, when not a run of old bytes
        bool Old = false;
    };
    bool Quick = false;
    std::vector<Part> Parts;
    std::vector<FileRecord::Line> Lines;
};

// Makes the old file's bytes (`old`, `oldSize` long) the new file's that
// `merged.Parts` describe, in place: the block grows or shrinks, the runs
// move, the new text is copied in. No second copy of the file is made.
[[nodiscard]] RecordBytes PatchBytes(RecordBytes old, std::size_t oldSize, const MergedTable& merged);

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

// The same in the common case, quickly: taking the extra lines to be as
// read (SameExtraLines tells, in a pass that may run beside the writing),
// merges only codes and bookmarks, and says where the new file's lines
// that are no extra lines stand. True when it could; false with `refusal`
// failed when a line could not be written, or with `refusal` successful
// when the change reaches the extra lines and needs MergeTable.
[[nodiscard]] bool MergeCodesAndBookmarks(const TableDocument& document, const FileRecord& record, MergedTable& merged,
                                          FileResult& refusal);

// True when the document's extra lines are the ones `record` read.
[[nodiscard]] bool SameExtraLines(const TableDocument& document, const FileRecord& record);

} // namespace zelvane
