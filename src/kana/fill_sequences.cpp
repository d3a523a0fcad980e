// SPDX-License-Identifier: GPL-3.0-or-later
#include "kana/fill_sequences.h"

#include "document/table_document.h"
#include "kana/kana_tables.h"

namespace zelvane {

std::vector<std::string> CharRangeSequence(std::uint8_t first, std::uint8_t last)
{
    std::vector<std::string> values;
    for (unsigned code = first; code <= last; ++code)
        values.emplace_back(1, static_cast<char>(code));
    return values;
}

std::vector<std::string> ListSequence(std::span<const std::string_view> list, InputMode script,
                                      LetterCase letterCase, TextEncoding encoding)
{
    std::vector<std::string> values;
    values.reserve(list.size());
    for (std::string_view entry : list) {
        switch (script) {
        case InputMode::Ascii:
            values.push_back(letterCase == LetterCase::Upper ? UpperRomaji(entry) : std::string(entry));
            break;
        case InputMode::Hiragana:
        case InputMode::Katakana:
            values.push_back(KanaBytes(script, entry, encoding));
            break;
        }
    }
    return values;
}

std::uint8_t FillEntries(TableDocument& document, std::uint8_t start, const std::vector<std::string>& values)
{
    unsigned code = start;
    for (const std::string& value : values) {
        document.Entries[code].Value = value;
        if (code == CodeCount - 1)
            break;
        ++code;
    }
    return static_cast<std::uint8_t>(code);
}

} // namespace zelvane
