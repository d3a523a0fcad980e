// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/table_document.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zelvane {

// A run of the extra lines replaced by another: enough to take the change
// back and to make it again, without a copy of the other lines.
struct LineSplice {
    std::size_t At = 0;
    std::vector<ExtraLine> Removed;
    std::vector<ExtraLine> Inserted;
};

// Makes `replacement` the extra lines, keeping what both share at their
// start and end; returns the run that changed (nothing removed or inserted
// when they were the same).
LineSplice ReplaceLines(std::vector<ExtraLine>& lines, std::vector<ExtraLine> replacement);

// Replaces lines[at, at + count) by `inserted` and says what it did.
LineSplice SpliceLines(std::vector<ExtraLine>& lines, std::size_t at, std::size_t count, std::vector<ExtraLine> inserted);

// What one edit changed in a table: the entries it changed (before and
// after), the bookmarks when they changed, and the runs of extra lines,
// in the order they were made. It holds only what changed, and can be
// undone and done again.
struct TableChange {
    std::vector<std::uint8_t> Codes;
    std::vector<TableEntry> EntriesBefore;
    std::vector<TableEntry> EntriesAfter;
    std::optional<std::array<Bookmark, SlotCount>> BookmarksBefore;
    std::optional<std::array<Bookmark, SlotCount>> BookmarksAfter;
    std::vector<LineSplice> Lines;

    [[nodiscard]] bool Empty() const noexcept { return Codes.empty() && !BookmarksBefore && Lines.empty(); }
    void Undo(TableDocument& document) const;
    void Redo(TableDocument& document) const;
    // Takes the entries and lines of a change made right after this one
    // into it (keys typed into one cell in a row are one step).
    void Absorb(TableChange&& next);
};

// Notes the entries `first` to `last` before an edit, to make the edit's
// change once it is done.
class EntryWatch {
public:
    EntryWatch(const TableDocument& document, std::uint8_t first, std::uint8_t last);
    // The entries of the watched run that the edit changed.
    void Finish(const TableDocument& document, TableChange& change) const;

private:
    std::uint8_t m_first;
    std::vector<TableEntry> m_before;
};

} // namespace zelvane
