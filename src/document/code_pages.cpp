// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/code_pages.h"

#include "document/table_change.h"
#include "document/table_document.h"

#include <algorithm>
#include <map>
#include <set>

namespace zelvane {

namespace {

int HexValue(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Most lines are no code of a length: two digits a byte and "=", or a
// mark and the digits up to "=" or the end.
bool MayBeCodeOfLength(std::string_view line, std::size_t length) noexcept
{
    if (line.size() > 2 * length && line[2 * length] == '=')
        return true;
    return !line.empty() && (line.front() == '/' || line.front() == '*')
           && (line.size() == 2 * length + 1 || (line.size() > 2 * length + 1 && line[2 * length + 1] == '='));
}

} // namespace

std::optional<std::string> ParseHexBytes(std::string_view digits)
{
    if (digits.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = HexValue(digits[i]), low = HexValue(digits[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::string HexText(std::string_view bytes)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    for (char c : bytes) {
        text += Digits[static_cast<unsigned char>(c) >> 4];
        text += Digits[static_cast<unsigned char>(c) & 0x0F];
    }
    return text;
}

std::optional<MultiByteCode> ParseMultiByteCode(std::string_view line)
{
    if (!line.empty() && (line.front() == '/' || line.front() == '*')) {
        // A mark: every character up to "=" or the end a digit, two a byte.
        const std::size_t end = std::min(line.find('='), line.size());
        if (end < 5 || (end - 1) % 2 != 0)
            return std::nullopt;
        std::optional<std::string> code = ParseHexBytes(line.substr(1, end - 1));
        if (!code)
            return std::nullopt;
        return MultiByteCode{std::move(*code), line.substr(0, 1), line.front(), line.substr(end)};
    }
    std::size_t digits = 0;
    while (digits < line.size() && HexValue(line[digits]) >= 0)
        ++digits;
    if (digits < 4 || digits % 2 != 0 || digits == line.size() || line[digits] != '=')
        return std::nullopt;
    return MultiByteCode{*ParseHexBytes(line.substr(0, digits)), line.substr(digits + 1)};
}

std::vector<std::string> CodePages(const TableDocument& document)
{
    std::set<std::string> leads; // in byte order: char_traits<char> compares as unsigned
    for (const ExtraLine& line : document.ExtraLines) {
        if (auto code = ParseMultiByteCode(line)) {
            code->Code.pop_back();
            leads.insert(std::move(code->Code));
        }
    }
    std::vector<std::string> pages{std::string()};
    pages.insert(pages.end(), leads.begin(), leads.end());
    return pages;
}

std::vector<PageSummary> SummarizePages(const TableDocument& document, std::size_t samples)
{
    // The last line of each code gives its value, as on a page.
    std::map<std::string, std::map<std::uint8_t, std::string_view>> pages;
    for (const ExtraLine& line : document.ExtraLines) {
        if (auto code = ParseMultiByteCode(line)) {
            const auto cell = static_cast<std::uint8_t>(code->Code.back());
            code->Code.pop_back();
            pages[std::move(code->Code)][cell] = code->Value;
        }
    }
    std::vector<PageSummary> summaries(1);
    for (const TableEntry& entry : document.Entries) {
        if (!entry.Value.empty() && summaries[0].Codes++ < samples)
            summaries[0].FirstValues.push_back(entry.Value);
    }
    for (auto& [lead, cells] : pages) {
        PageSummary summary{lead, 0, {}};
        for (const auto& [cell, value] : cells) {
            if (!value.empty() && summary.Codes++ < samples)
                summary.FirstValues.emplace_back(value);
        }
        summaries.push_back(std::move(summary));
    }
    return summaries;
}

std::optional<std::string> CodeValue(const TableDocument& document, std::string_view code)
{
    if (code.size() == 1) {
        const std::string& value = document.Entries[static_cast<unsigned char>(code[0])].Value;
        return value.empty() ? std::nullopt : std::optional<std::string>(value);
    }
    if (code.empty())
        return std::nullopt;
    for (auto line = document.ExtraLines.rbegin(); line != document.ExtraLines.rend(); ++line) {
        if (auto parsed = ParseMultiByteCode(*line); parsed && parsed->Code == code)
            return std::string(parsed->Value);
    }
    return std::nullopt;
}

std::vector<std::optional<std::string>> CodeValues(const TableDocument& document, std::span<const std::string> codes)
{
    std::vector<std::optional<std::string>> values(codes.size());
    std::map<std::string_view, std::vector<std::size_t>> wanted; // longer codes, by their bytes
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i].size() == 1)
            values[i] = CodeValue(document, codes[i]);
        else if (codes[i].size() > 1)
            wanted[codes[i]].push_back(i);
    }
    if (wanted.empty())
        return values;
    // The last line for a code gives its value.
    for (const ExtraLine& line : document.ExtraLines) {
        const std::optional<MultiByteCode> code = ParseMultiByteCode(line);
        if (!code)
            continue;
        if (const auto found = wanted.find(code->Code); found != wanted.end()) {
            for (std::size_t i : found->second)
                values[i] = std::string(code->Value);
        }
    }
    return values;
}

std::size_t SetPageValues(TableDocument& document, std::string_view lead, std::uint8_t start,
                          std::span<const std::string> values, LineSplice* splice)
{
    const std::size_t count = std::min<std::size_t>(values.size(), 256 - std::size_t{start});
    std::vector<ExtraLine>& lines = document.ExtraLines;
    const std::size_t length = lead.size() + 1;
    // Every line of every code of this length, by code.
    std::map<std::string, std::vector<std::size_t>> linesOf;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (MayBeCodeOfLength(lines[i], length)) {
            if (auto code = ParseMultiByteCode(lines[i]); code && code->Code.size() == length)
                linesOf[std::move(code->Code)].push_back(i);
        }
    }
    // What happens to the lines: new text, removal, new lines before one.
    std::map<std::size_t, std::optional<ExtraLine>> changed; // nothing: removed
    std::set<std::string> emptied;
    struct Insertion {
        std::size_t before; // the index in `lines` it goes before
        std::string code;
        std::string line;
    };
    std::vector<Insertion> insertions;
    for (std::size_t i = 0; i < count; ++i) {
        std::string code(lead);
        code += static_cast<char>(start + i);
        const std::string& value = values[i];
        const auto found = linesOf.find(code);
        if (found != linesOf.end()) {
            if (value.empty()) {
                for (std::size_t at : found->second)
                    changed[at].reset();
                emptied.insert(code);
            } else {
                // A value typed over a mark takes the mark's place.
                const std::size_t at = found->second.back();
                const bool mark = lines[at].front() == '/' || lines[at].front() == '*';
                changed[at] = mark ? lines[at].substr(1, 2 * length) + '=' + value : lines[at].substr(0, 2 * length + 1) + value;
            }
            continue;
        }
        if (value.empty())
            continue;
        // The nearest codes around it that keep their lines.
        auto higher = linesOf.upper_bound(code);
        auto lower = std::make_reverse_iterator(higher);
        while (lower != linesOf.rend() && emptied.contains(lower->first))
            ++lower;
        while (higher != linesOf.end() && emptied.contains(higher->first))
            ++higher;
        const std::size_t before = lower != linesOf.rend() ? lower->second.back() + 1
                                   : higher != linesOf.end() ? higher->second.back()
                                                             : lines.size();
        insertions.push_back({before, code, HexText(code) + "=" + value});
    }
    if (insertions.empty() && changed.empty())
        return count;
    std::ranges::stable_sort(insertions, [](const Insertion& a, const Insertion& b) {
        return std::tie(a.before, a.code) < std::tie(b.before, b.code);
    });
    // One run of lines, from the first touched to the last, is replaced.
    std::size_t from = lines.size(), to = 0;
    if (!changed.empty()) {
        from = changed.begin()->first;
        to = changed.rbegin()->first + 1;
    }
    if (!insertions.empty()) {
        from = std::min(from, insertions.front().before);
        to = std::max(to, insertions.back().before);
    }
    std::vector<ExtraLine> run;
    auto next = insertions.begin();
    for (std::size_t i = from; i <= to; ++i) {
        for (; next != insertions.end() && next->before == i; ++next)
            run.push_back(std::move(next->line));
        if (i == to)
            break;
        if (const auto change = changed.find(i); change == changed.end())
            run.push_back(lines[i]);
        else if (change->second)
            run.push_back(std::move(*change->second));
    }
    LineSplice done = SpliceLines(lines, from, to - from, std::move(run));
    if (splice)
        *splice = std::move(done);
    return count;
}

bool SetPageMark(TableDocument& document, std::string_view lead, std::uint8_t cell, bool marked, LineSplice* splice)
{
    const PageLines page(document, std::string(lead));
    const std::size_t at = page.LastLine(cell);
    if (at == PageLines::None)
        return false;
    const ExtraLine& line = document.ExtraLines[at];
    const std::optional<MultiByteCode> code = ParseMultiByteCode(line);
    const std::size_t digits = 2 * (lead.size() + 1);
    std::string changed;
    if (marked) {
        if (code->Mark || (code->Value != "/" && code->Value != "*"))
            return false;
        changed = std::string(code->Value) + line.substr(0, digits);
    } else {
        if (!code->Mark)
            return false;
        changed = line.substr(1, digits) + '=' + code->Mark;
    }
    LineSplice done = SpliceLines(document.ExtraLines, at, 1, {std::move(changed)});
    if (splice)
        *splice = std::move(done);
    return true;
}

PageLines::PageLines(const TableDocument& document, std::string lead) : m_lead(std::move(lead))
{
    m_last.fill(None);
    if (m_lead.empty())
        return;
    const std::size_t length = m_lead.size() + 1;
    for (std::size_t i = 0; i < document.ExtraLines.size(); ++i) {
        const ExtraLine& line = document.ExtraLines[i];
        if (!MayBeCodeOfLength(line, length))
            continue;
        if (auto code = ParseMultiByteCode(line); code && code->Code.size() == length && code->Code.starts_with(m_lead))
            m_last[static_cast<unsigned char>(code->Code.back())] = i;
    }
}

} // namespace zelvane
