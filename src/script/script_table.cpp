// SPDX-License-Identifier: GPL-3.0-or-later
#include "script/script_table.h"

#include "document/code_pages.h"
#include "document/table_document.h"
#include "document/table_line.h"
#include "document/table_reader.h"

#include <algorithm>
#include <map>

namespace zelvane {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A raw byte token at `at`: <$XX> or ($XX), upper-case digits.
std::optional<unsigned char> RawAt(std::string_view text, std::size_t at)
{
    if (at + 5 > text.size() || text[at + 1] != '$')
        return std::nullopt;
    const char open = text[at], close = text[at + 4];
    if (!((open == '<' && close == '>') || (open == '(' && close == ')')))
        return std::nullopt;
    const int high = HexDigit(text[at + 2]), low = HexDigit(text[at + 3]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return static_cast<unsigned char>(high * 16 + low);
}

} // namespace

std::string RawToken(unsigned char byte)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    return {'<', '$', Hex[byte >> 4], Hex[byte & 15], '>'};
}

std::optional<ScriptTable> ScriptTable::Read(std::string_view fileBytes, std::string& error)
{
    TableDocument document;
    if (const FileResult result = ParseTable(document, fileBytes); !result) {
        error = result.message;
        return std::nullopt;
    }
    ScriptTable table;
    table.m_encoding = GuessEncoding(document);
    // Each code's last line, in the order the lines give them.
    struct Given {
        ScriptCode code;
        bool empty = false;
    };
    std::map<std::string, Given> last;
    std::string_view rest = fileBytes;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    for (std::size_t number = 1; !rest.empty(); ++number) {
        const std::size_t end = rest.find_first_of("\r\n");
        const std::string_view line = rest.substr(0, end);
        if (end == std::string_view::npos)
            rest = {};
        else
            rest.remove_prefix(end + (rest.substr(end).starts_with("\r\n") ? 2 : 1));
        const TableLine kind = ClassifyLine(line);
        const auto mark = [&](std::string code, char sign, std::string_view tail) {
            if (tail.starts_with('='))
                tail.remove_prefix(1);
            ScriptCode made{std::move(code), std::string(tail), sign == '/' ? CodeKind::EndOfLine : CodeKind::EndOfWindow, number};
            if (made.Text.empty()) {
                made.Text = sign == '/' ? "<END>" : "<LINE>";
                if (sign == '*')
                    table.m_warnings.push_back({number, "*" + HexText(made.Bytes) + " da solo è <LINE> solo per alcuni inseritori: scrivi *"
                                                            + HexText(made.Bytes) + "=<LINE>"});
            }
            std::string key = made.Bytes;
            last[key] = {std::move(made), false};
        };
        switch (kind.kind) {
        case TableLine::Kind::Code: {
            const std::string code(1, static_cast<char>(kind.code));
            if (kind.text.empty())
                table.m_warnings.push_back({number, "un valore vuoto: scrivi il testo del codice, o togli la riga"});
            last[code] = {{code, std::string(kind.text), CodeKind::Text, number}, kind.text.empty()};
            break;
        }
        case TableLine::Kind::Special: mark(std::string(1, static_cast<char>(kind.code)), line.front(), kind.text); break;
        case TableLine::Kind::Extra: {
            if (line.starts_with('#') || line.starts_with(';') || line.starts_with("//")) {
                table.m_warnings.push_back({number, "una riga di commento: gli inseritori rigidi la rifiutano; tieni i commenti in un altro file"});
                break;
            }
            const std::optional<MultiByteCode> code = ParseMultiByteCode(line);
            if (!code)
                break;
            if (code->Mark) {
                mark(code->Code, code->Mark, code->Tail);
                break;
            }
            if (code->Value.empty())
                table.m_warnings.push_back({number, "un valore vuoto: scrivi il testo del codice, o togli la riga"});
            last[code->Code] = {{code->Code, std::string(code->Value), CodeKind::Text, number}, code->Value.empty()};
            break;
        }
        default: break;
        }
    }
    for (auto& [bytes, given] : last) {
        if (!given.empty)
            table.m_codes.push_back(std::move(given.code));
    }
    table.m_oneByte.fill(-1);
    for (std::size_t i = 0; i < table.m_codes.size(); ++i) {
        const ScriptCode& code = table.m_codes[i];
        table.m_longest = std::max(table.m_longest, code.Bytes.size());
        const auto index = static_cast<std::int32_t>(i);
        if (code.Bytes.size() == 1) {
            table.m_oneByte[static_cast<unsigned char>(code.Bytes[0])] = index;
        } else if (code.Bytes.size() == 2) {
            if (table.m_twoBytes.empty())
                table.m_twoBytes.assign(65536, -1);
            table.m_twoBytes[static_cast<unsigned char>(code.Bytes[0]) << 8 | static_cast<unsigned char>(code.Bytes[1])] = index;
        } else {
            auto length = std::ranges::find(table.m_longer, code.Bytes.size(), &std::pair<std::size_t, Index>::first);
            if (length == table.m_longer.end()) {
                table.m_longer.emplace_back(code.Bytes.size(), Index{});
                length = table.m_longer.end() - 1;
            }
            length->second.emplace(code.Bytes, i);
        }
        if (code.Text.empty())
            continue;
        // Of two codes with one text, the earlier line's writes it.
        const auto [found, added] = table.m_byText.emplace(code.Text, i);
        if (!added && code.Line < table.m_codes[found->second].Line)
            found->second = i;
        std::vector<std::size_t>& lengths = table.m_textLengths[static_cast<unsigned char>(code.Text.front())];
        if (std::ranges::find(lengths, code.Text.size()) == lengths.end())
            lengths.push_back(code.Text.size());
    }
    std::ranges::sort(table.m_longer, std::greater<>(), &std::pair<std::size_t, Index>::first);
    for (auto& lengths : table.m_textLengths)
        std::ranges::sort(lengths, std::greater<>());
    return table;
}

const ScriptCode* ScriptTable::CodeAt(std::string_view bytes, std::size_t at) const
{
    if (at >= bytes.size())
        return nullptr;
    const std::size_t room = bytes.size() - at;
    for (const auto& [length, codes] : m_longer) {
        if (length > room)
            continue;
        if (const auto found = codes.find(bytes.substr(at, length)); found != codes.end())
            return &m_codes[found->second];
    }
    if (room >= 2 && !m_twoBytes.empty()) {
        const std::int32_t index = m_twoBytes[static_cast<unsigned char>(bytes[at]) << 8 | static_cast<unsigned char>(bytes[at + 1])];
        if (index >= 0)
            return &m_codes[static_cast<std::size_t>(index)];
    }
    const std::int32_t index = m_oneByte[static_cast<unsigned char>(bytes[at])];
    return index >= 0 ? &m_codes[static_cast<std::size_t>(index)] : nullptr;
}

std::size_t ScriptTable::CharacterLength(std::string_view text, std::size_t at) const
{
    return std::max<std::size_t>(1, zelvane::CharacterLength(text, at, m_encoding));
}

ScriptTable::Encoded ScriptTable::Encode(std::string_view line) const
{
    Encoded encoded;
    // Where each character starts: a text matches only whole characters.
    std::vector<bool> boundary(line.size() + 1, false);
    for (std::size_t at = 0; at < line.size(); at += CharacterLength(line, at))
        boundary[at] = true;
    boundary[line.size()] = true;
    std::size_t column = 1;
    for (std::size_t at = 0; at < line.size(); ++column) {
        if (const std::optional<unsigned char> raw = RawAt(line, at)) {
            encoded.Bytes += static_cast<char>(*raw);
            at += 5;
            column += 4;
            continue;
        }
        const ScriptCode* found = nullptr;
        for (const std::size_t length : m_textLengths[static_cast<unsigned char>(line[at])]) {
            if (at + length > line.size() || !boundary[at + length])
                continue;
            if (const auto code = m_byText.find(line.substr(at, length)); code != m_byText.end()) {
                found = &m_codes[code->second];
                break;
            }
        }
        if (!found) {
            encoded.BadColumn = column;
            encoded.BadCharacter = std::string(line.substr(at, CharacterLength(line, at)));
            return encoded;
        }
        encoded.Bytes += found->Bytes;
        // Columns count characters.
        for (std::size_t next = at + CharacterLength(line, at); next < at + found->Text.size(); next += CharacterLength(line, next))
            ++column;
        at += found->Text.size();
    }
    return encoded;
}

} // namespace zelvane
