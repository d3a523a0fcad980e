// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_change.h"

#include <algorithm>
#include <iterator>

namespace zelvane {

namespace {

void Apply(std::vector<ExtraLine>& lines, std::size_t at, const std::vector<ExtraLine>& out, const std::vector<ExtraLine>& in)
{
    const auto first = lines.begin() + static_cast<std::ptrdiff_t>(at);
    lines.erase(first, first + static_cast<std::ptrdiff_t>(out.size()));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), in.begin(), in.end());
}

} // namespace

LineSplice SpliceLines(std::vector<ExtraLine>& lines, std::size_t at, std::size_t count, std::vector<ExtraLine> inserted)
{
    LineSplice splice;
    splice.At = at;
    const auto first = lines.begin() + static_cast<std::ptrdiff_t>(at);
    splice.Removed.assign(std::make_move_iterator(first), std::make_move_iterator(first + static_cast<std::ptrdiff_t>(count)));
    lines.erase(first, first + static_cast<std::ptrdiff_t>(count));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), inserted.begin(), inserted.end());
    splice.Inserted = std::move(inserted);
    return splice;
}

LineSplice ReplaceLines(std::vector<ExtraLine>& lines, std::vector<ExtraLine> replacement)
{
    std::size_t prefix = 0;
    while (prefix < lines.size() && prefix < replacement.size() && lines[prefix] == replacement[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < lines.size() - prefix && suffix < replacement.size() - prefix
           && lines[lines.size() - 1 - suffix] == replacement[replacement.size() - 1 - suffix])
        ++suffix;
    std::vector<ExtraLine> inserted(std::make_move_iterator(replacement.begin() + static_cast<std::ptrdiff_t>(prefix)),
                                    std::make_move_iterator(replacement.end() - static_cast<std::ptrdiff_t>(suffix)));
    return SpliceLines(lines, prefix, lines.size() - prefix - suffix, std::move(inserted));
}

void TableChange::Undo(TableDocument& document) const
{
    for (std::size_t i = 0; i < Codes.size(); ++i)
        document.Entries[Codes[i]] = EntriesBefore[i];
    if (BookmarksBefore)
        document.Bookmarks = *BookmarksBefore;
    for (auto splice = Lines.rbegin(); splice != Lines.rend(); ++splice)
        Apply(document.ExtraLines, splice->At, splice->Inserted, splice->Removed);
}

void TableChange::Redo(TableDocument& document) const
{
    for (std::size_t i = 0; i < Codes.size(); ++i)
        document.Entries[Codes[i]] = EntriesAfter[i];
    if (BookmarksAfter)
        document.Bookmarks = *BookmarksAfter;
    for (const LineSplice& splice : Lines)
        Apply(document.ExtraLines, splice.At, splice.Removed, splice.Inserted);
}

void TableChange::Absorb(TableChange&& next)
{
    for (std::size_t i = 0; i < next.Codes.size(); ++i) {
        const auto known = std::ranges::find(Codes, next.Codes[i]);
        if (known == Codes.end()) {
            Codes.push_back(next.Codes[i]);
            EntriesBefore.push_back(std::move(next.EntriesBefore[i]));
            EntriesAfter.push_back(std::move(next.EntriesAfter[i]));
        } else {
            EntriesAfter[static_cast<std::size_t>(known - Codes.begin())] = std::move(next.EntriesAfter[i]);
        }
    }
    std::ranges::move(next.Lines, std::back_inserter(Lines));
}

EntryWatch::EntryWatch(const TableDocument& document, std::uint8_t first, std::uint8_t last)
    : m_first(first)
    , m_before(document.Entries.begin() + first, document.Entries.begin() + std::max(first, last) + 1)
{
}

void EntryWatch::Finish(const TableDocument& document, TableChange& change) const
{
    for (std::size_t i = 0; i < m_before.size(); ++i) {
        const auto code = static_cast<std::uint8_t>(m_first + i);
        if (document.Entries[code] == m_before[i])
            continue;
        change.Codes.push_back(code);
        change.EntriesBefore.push_back(m_before[i]);
        change.EntriesAfter.push_back(document.Entries[code]);
    }
}

} // namespace zelvane
