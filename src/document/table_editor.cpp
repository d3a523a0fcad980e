// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_editor.h"

#include "document/code_pages.h"
#include "document/table_document.h"
#include "kana/fill_sequences.h"
#include "kana/romaji_conversion.h"

#include <algorithm>

namespace zelvane {

EditOutcome TableEditor::Changed(std::uint8_t first, std::uint8_t last, std::uint8_t next, TableChange change)
{
    return EditOutcome{.First = first, .Last = last, .Next = next, .Change = std::move(change)};
}

EditOutcome TableEditor::TypeKey(std::uint8_t code, char32_t character, InputMode mode)
{
    const auto bytes = EncodeCharacter(character, m_document.Encoding);
    if (!bytes)
        return EditOutcome{.Next = code};
    return TypeBytes({}, code, *bytes, mode);
}

EditOutcome TableEditor::Backspace(std::uint8_t code, InputMode mode)
{
    return Backspace({}, code, mode);
}

EditOutcome TableEditor::SetValue(std::string_view page, std::uint8_t cell, std::string value)
{
    TableChange change;
    if (page.empty()) {
        const EntryWatch watch(m_document, cell, cell);
        m_document.Entries[cell].Value = std::move(value);
        watch.Finish(m_document, change);
    } else {
        LineSplice splice;
        SetPageValues(m_document, page, cell, std::span(&value, 1), &splice);
        change.Lines.push_back(std::move(splice));
    }
    return Changed(cell, cell, cell, std::move(change));
}

EditOutcome TableEditor::Empty(std::string_view page, std::uint8_t cell)
{
    std::string code(page);
    code += static_cast<char>(cell);
    if (!CodeValue(m_document, code))
        return EditOutcome{.Next = cell};
    return SetValue(page, cell, {});
}

EditOutcome TableEditor::TypeBytes(std::string_view page, std::uint8_t cell, std::string_view bytes, InputMode mode)
{
    std::string code(page);
    code += static_cast<char>(cell);
    const std::string value = CodeValue(m_document, code).value_or(std::string());
    return SetValue(page, cell, ConvertTypedKey(value, bytes, mode, m_document.Encoding));
}

EditOutcome TableEditor::Backspace(std::string_view page, std::uint8_t cell, InputMode mode)
{
    std::string code(page);
    code += static_cast<char>(cell);
    std::string value = CodeValue(m_document, code).value_or(std::string());
    if (value.empty())
        return EditOutcome{.Next = cell};
    if (mode == InputMode::Ascii)
        RemoveLastCharacter(value, m_document.Encoding);
    else
        value.clear();
    return SetValue(page, cell, std::move(value));
}

EditOutcome TableEditor::Fill(std::string_view page, std::uint8_t start, const std::vector<std::string>& values)
{
    if (page.empty())
        return Fill(start, values);
    std::size_t replaced = 0;
    {
        const PageLines lines(m_document, std::string(page));
        for (std::size_t i = 0; i < values.size() && start + i < CodeCount; ++i) {
            const std::size_t at = lines.LastLine(static_cast<std::uint8_t>(start + i));
            const auto old = at == PageLines::None ? std::nullopt : ParseMultiByteCode(m_document.ExtraLines[at]);
            replaced += old && !old->Value.empty() && old->Value != values[i];
        }
    }
    LineSplice splice;
    const std::size_t written = SetPageValues(m_document, page, start, values, &splice);
    const auto next = static_cast<std::uint8_t>(std::min<std::size_t>(start + written, CodeCount - 1));
    if (written == 0)
        return Changed(1, 0, next);
    TableChange change;
    change.Lines.push_back(std::move(splice));
    EditOutcome outcome = Changed(start, static_cast<std::uint8_t>(start + written - 1), next, std::move(change));
    outcome.Replaced = replaced;
    return outcome;
}

EditOutcome TableEditor::Mark(std::uint8_t code)
{
    const EntryWatch watch(m_document, code, code);
    if (!MarkSpecial(m_document, code))
        return EditOutcome{.Accepted = false, .Next = code};
    TableChange change;
    watch.Finish(m_document, change);
    return Changed(code, code, code, std::move(change));
}

EditOutcome TableEditor::Unmark(std::uint8_t code)
{
    const EntryWatch watch(m_document, code, code);
    if (!UnmarkSpecial(m_document, code))
        return EditOutcome{.Next = code};
    TableChange change;
    watch.Finish(m_document, change);
    return Changed(code, code, code, std::move(change));
}

EditOutcome TableEditor::Mark(std::string_view page, std::uint8_t cell, bool marked)
{
    if (page.empty())
        return marked ? Mark(cell) : Unmark(cell);
    LineSplice splice;
    if (!SetPageMark(m_document, page, cell, marked, &splice))
        return EditOutcome{.Accepted = !marked, .Next = cell};
    TableChange change;
    change.Lines.push_back(std::move(splice));
    return Changed(cell, cell, cell, std::move(change));
}

EditOutcome TableEditor::Fill(std::uint8_t start, const std::vector<std::string>& values)
{
    if (values.empty())
        return Changed(1, 0, start);
    const auto written = std::min<std::size_t>(values.size(), CodeCount - start);
    const auto last = static_cast<std::uint8_t>(start + written - 1);
    const EntryWatch watch(m_document, start, last);
    std::size_t replaced = 0;
    for (std::size_t i = 0; i < written; ++i) {
        const std::string& old = m_document.Entries[start + i].Value;
        replaced += !old.empty() && old != values[i];
    }
    const std::uint8_t next = FillEntries(m_document, start, values);
    TableChange change;
    watch.Finish(m_document, change);
    EditOutcome outcome = Changed(start, last, next, std::move(change));
    outcome.Replaced = replaced;
    return outcome;
}

} // namespace zelvane

