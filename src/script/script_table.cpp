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
    for (std::size_t i = 0; i < table.m_codes.size(); ++i) {
        const ScriptCode& code = table.m_codes[i];
        table.m_longest = std::max(table.m_longest, code.Bytes.size());
        table.m_byBytes[static_cast<unsigned char>(code.Bytes.front())].push_back(i);
        if (!code.Text.empty())
            table.m_byText[static_cast<unsigned char>(code.Text.front())].push_back(i);
    }
    for (auto& list : table.m_byBytes)
        std::ranges::stable_sort(list, [&](std::size_t a, std::size_t b) { return table.m_codes[a].Bytes.size() > table.m_codes[b].Bytes.size(); });
    for (auto& list : table.m_byText) {
        std::ranges::sort(list, [&](std::size_t a, std::size_t b) {
            const ScriptCode& x = table.m_codes[a];
            const ScriptCode& y = table.m_codes[b];
            return x.Text.size() != y.Text.size() ? x.Text.size() > y.Text.size() : x.Line < y.Line;
        });
    }
    return table;
}

const ScriptCode* ScriptTable::CodeAt(std::string_view bytes, std::size_t at) const
{
    if (at >= bytes.size())
        return nullptr;
    for (const std::size_t i : m_byBytes[static_cast<unsigned char>(bytes[at])]) {
        const std::string& code = m_codes[i].Bytes;
        if (bytes.substr(at, code.size()) == code)
            return &m_codes[i];
    }
    return nullptr;
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
        for (const std::size_t i : m_byText[static_cast<unsigned char>(line[at])]) {
            const std::string& text = m_codes[i].Text;
            if (at + text.size() <= line.size() && boundary[at + text.size()] && line.substr(at, text.size()) == text) {
                found = &m_codes[i];
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
