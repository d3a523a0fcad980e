// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/text_encoding.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelvane {

// A code as a script sees it: its bytes, what it reads and writes as (a
// value, or an end code's token: "<END>" for a bare /XX, "<LINE>" for a
// bare *XX, a marker's own text for /FF=<fine>), and the file line, from
// 1, that gives it that.
enum class CodeKind { Text, EndOfLine, EndOfWindow };
struct ScriptCode {
    std::string Bytes;
    std::string Text;
    CodeKind Kind = CodeKind::Text;
    std::size_t Line = 0;
    [[nodiscard]] bool Ends() const { return Kind != CodeKind::Text; }
};

// A line of a table that some script inserters cannot read, and what to
// write instead.
struct TableWarning {
    std::size_t Line = 0;
    std::string Message;
};

// A table file read as the script's codec: each code's text is what its
// last line gives it; of two codes with the same text, the one whose line
// comes first in the file writes it.
class ScriptTable {
public:
    // Nothing, with the reader's message, for a file the editor would not open.
    [[nodiscard]] static std::optional<ScriptTable> Read(std::string_view fileBytes, std::string& error);

    [[nodiscard]] TextEncoding Encoding() const { return m_encoding; }
    [[nodiscard]] const std::vector<ScriptCode>& Codes() const { return m_codes; }
    [[nodiscard]] const std::vector<TableWarning>& Warnings() const { return m_warnings; }

    // The longest code at `at`, or nothing when no code covers the byte.
    [[nodiscard]] const ScriptCode* CodeAt(std::string_view bytes, std::size_t at) const;

    // A line of script text as bytes, through the table: at each place a
    // raw <$XX> or ($XX), else the longest table text, a whole character
    // of the table's encoding at a time. `badColumn` (from 1, in
    // characters) is where no code writes the text, when one does not.
    struct Encoded {
        std::string Bytes;
        std::optional<std::size_t> BadColumn;
        std::string BadCharacter;
    };
    [[nodiscard]] Encoded Encode(std::string_view line) const;

    // The length of the character of the table's encoding at `at`.
    [[nodiscard]] std::size_t CharacterLength(std::string_view text, std::size_t at) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
    };
    using Index = std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>>;

    TextEncoding m_encoding = TextEncoding::EightBit;
    std::vector<ScriptCode> m_codes;
    std::vector<TableWarning> m_warnings;
    std::size_t m_longest = 1;
    // Codes by their bytes: one- and two-byte codes straight, longer ones
    // by length, longest first.
    std::array<std::int32_t, 256> m_oneByte{};
    std::vector<std::int32_t> m_twoBytes;
    std::vector<std::pair<std::size_t, Index>> m_longer;
    // Texts: the code that writes each (of two, the earlier line's), and
    // for each first byte the lengths of the texts that begin with it,
    // longest first.
    Index m_byText;
    std::array<std::vector<std::size_t>, 256> m_textLengths;
};

// A raw byte as a script writes it.
[[nodiscard]] std::string RawToken(unsigned char byte);

} // namespace zelvane
