// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_editor.h"

#include "document/code_pages.h"
#include "document/table_document.h"
#include "kana/fill_sequences.h"
#include "kana/romaji_conversion.h"

#include <algorithm>

namespace zelvane {

EditOutcome TableEditor::Changed(std::uint8_t first, std::uint8_t last, std::uint8_t next, bool wasModified)
{
    m_document.Modified = true;
    return EditOutcome{.First = first, .Last = last, .Next = next, .ModifiedChanged = !wasModified};
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
    const bool wasModified = m_document.Modified;
    if (page.empty())
        m_document.Entries[cell].Value = std::move(value);
    else
        SetPageValues(m_document, page, cell, std::span(&value, 1));
    return Changed(cell, cell, cell, wasModified);
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
    const bool wasModified = m_document.Modified;
    const std::size_t written = SetPageValues(m_document, page, start, values);
    const auto next = static_cast<std::uint8_t>(std::min<std::size_t>(start + written, CodeCount - 1));
    if (written == 0)
        return Changed(1, 0, next, wasModified);
    return Changed(start, static_cast<std::uint8_t>(start + written - 1), next, wasModified);
}

EditOutcome TableEditor::Mark(std::uint8_t code)
{
    const bool wasModified = m_document.Modified;
    if (!MarkSpecial(m_document, code))
        return EditOutcome{.Accepted = false, .Next = code};
    return Changed(code, code, code, wasModified);
}

EditOutcome TableEditor::Unmark(std::uint8_t code)
{
    const bool wasModified = m_document.Modified;
    if (!UnmarkSpecial(m_document, code))
        return EditOutcome{.Next = code};
    return Changed(code, code, code, wasModified);
}

EditOutcome TableEditor::Fill(std::uint8_t start, const std::vector<std::string>& values)
{
    const bool wasModified = m_document.Modified;
    const std::uint8_t next = FillEntries(m_document, start, values);
    if (values.empty())
        return Changed(1, 0, next, wasModified);
    const auto written = std::min<std::size_t>(values.size(), CodeCount - start);
    return Changed(start, static_cast<std::uint8_t>(start + written - 1), next, wasModified);
}

EditOutcome TableEditor::FillFromList(std::uint8_t start, std::span<const std::string_view> list, InputMode script,
                                      LetterCase letterCase)
{
    return Fill(start, ListSequence(list, script, letterCase, m_document.Encoding));
}

} // namespace zelvane

