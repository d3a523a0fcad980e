// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/table_change.h"
#include "kana/fill_sequences.h"
#include "kana/input_mode.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

class TableDocument;

// What one edit did to the document, for the window to repaint from.
struct EditOutcome {
    // False when the edit was refused (a mark on a cell that is not "/" or
    // "*") and nothing changed.
    bool Accepted = true;
    // The codes First to Last changed; nothing changed when First > Last.
    std::uint8_t First = 1;
    std::uint8_t Last = 0;
    // The code that is current after the edit.
    std::uint8_t Next = 0;
    // What changed, to undo and redo it.
    TableChange Change{};
    // For a fill: how many values it replaced by others.
    std::size_t Replaced = 0;

    [[nodiscard]] bool ChangedAny() const noexcept { return First <= Last; }
};

// The editing rules of the grid: what a typed key, Backspace, a mark or a
// fill does to the table, decided here for every window that edits one.
class TableEditor {
public:
    explicit TableEditor(TableDocument& document) : m_document(document) {}

    // A printable character typed into `code` in `mode`, written in the
    // table's encoding (ignored where the encoding has no such character);
    // in the kana modes a cell that spells one romaji syllable becomes its
    // kana.
    EditOutcome TypeKey(std::uint8_t code, char32_t character, InputMode mode);
    // In ASCII mode the last character goes, whole; in the kana modes a
    // kana and a half-typed syllable go together, so the cell is emptied.
    EditOutcome Backspace(std::uint8_t code, InputMode mode);
    EditOutcome Mark(std::uint8_t code);
    EditOutcome Unmark(std::uint8_t code);
    // `values` into the codes from `start` on, stopping after FF; marks
    // stay. The next current code is the one after the last written, or FF.
    EditOutcome Fill(std::uint8_t start, const std::vector<std::string>& values);

    // The same on any page: `page` is the leading bytes of the codes shown,
    // empty for the one-byte codes, and a cell is a code's last byte. On a
    // page of longer codes the values are the lines of the extra lines
    // (SetPageValues); marks stay on the first page. `bytes` are one typed
    // character already in the table's encoding.
    EditOutcome TypeBytes(std::string_view page, std::uint8_t cell, std::string_view bytes, InputMode mode);
    EditOutcome Backspace(std::string_view page, std::uint8_t cell, InputMode mode);
    EditOutcome Fill(std::string_view page, std::uint8_t start, const std::vector<std::string>& values);
    // A mark put on (`marked`) or taken off a cell of any page; on a page of
    // longer codes the mark is the code's line ("/F100").
    EditOutcome Mark(std::string_view page, std::uint8_t cell, bool marked);
    // The cell emptied at once (a cut): every line of a longer code goes.
    EditOutcome Empty(std::string_view page, std::uint8_t cell);

private:
    // Gives one cell of a page its value.
    EditOutcome SetValue(std::string_view page, std::uint8_t cell, std::string value);

    // Describes a change of the codes first to last, `change` what it
    // changed. Whether the table is modified is the history's to say.
    EditOutcome Changed(std::uint8_t first, std::uint8_t last, std::uint8_t next, TableChange change = {});

    TableDocument& m_document;
};

} // namespace zelvane
