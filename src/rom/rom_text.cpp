// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom/rom_text.h"

#include "document/code_pages.h"
#include "document/table_document.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string.h>

namespace zelvane {

namespace {

// What an end code reads as: the text after its digits, then the line's
// or the window's end.
std::string MarkText(std::string_view tail, bool endOfLine)
{
    if (tail.starts_with('='))
        tail.remove_prefix(1);
    return std::string(tail) + (endOfLine ? "\n" : "\n\n");
}

// What a code reads as.
std::string EntryText(const TableEntry& entry)
{
    switch (entry.Kind()) {
    case SpecialKind::EndOfLine:
    case SpecialKind::EndOfWindow: return MarkText(entry.Tail, entry.Kind() == SpecialKind::EndOfLine);
    case SpecialKind::None: break;
    }
    return entry.Value;
}

// "<XX>" for each byte, made once.
std::string_view UnknownText(unsigned char byte)
{
    static const std::array<std::string, 256> texts = [] {
        std::array<std::string, 256> made;
        static constexpr char Hex[] = "0123456789ABCDEF";
        for (std::size_t b = 0; b < made.size(); ++b)
            made[b] = {'<', Hex[b >> 4], Hex[b & 15], '>'};
        return made;
    }();
    return texts[byte];
}

} // namespace

RomCodes::RomCodes(const TableDocument& document)
{
    // The last line of a longer code gives its value.
    for (const ExtraLine& line : document.ExtraLines) {
        if (auto code = ParseMultiByteCode(line)) {
            m_longest = std::max(m_longest, code->Code.size());
            m_leads.set(static_cast<unsigned char>(code->Code.front()));
            // A marked longer code ends a line or a window, as a one-byte one.
            std::string text = code->Mark ? MarkText(code->Tail, code->Mark == '/') : std::string(code->Value);
            m_longer.insert_or_assign(std::move(code->Code), std::move(text));
        }
    }
    for (std::size_t code = 0; code < CodeCount; ++code) {
        m_assigned[code] = !document.Entries[code].Value.empty();
        m_oneByte[code] = EntryText(document.Entries[code]);
    }
}

RomCodes::Code RomCodes::At(std::string_view bytes, std::size_t at) const
{
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (m_leads[byte]) {
        for (std::size_t length = std::min(m_longest, bytes.size() - at); length > 1; --length) {
            if (const auto found = m_longer.find(bytes.substr(at, length)); found != m_longer.end())
                return {length, found->second, true};
        }
    }
    if (m_assigned[byte])
        return {1, m_oneByte[byte], true};
    return {1, UnknownText(byte), false};
}

void DecodeRomPieces(const TableDocument& document, std::string_view bytes,
                     const std::function<void(std::size_t, std::size_t, std::string_view)>& piece)
{
    RomCodes(document).Decode(bytes, [&](std::size_t at, const RomCodes::Code& code) { piece(at, code.Length, code.Text); });
}

std::string DecodeRom(const TableDocument& document, std::string_view bytes)
{
    std::string text;
    RomCodes(document).Decode(bytes, [&text](std::size_t, const RomCodes::Code& code) { text += code.Text; });
    return text;
}

std::vector<TextLine> LayOutText(const RomCodes& codes, std::string_view file, std::uint64_t top, std::size_t lines,
                                 std::size_t width)
{
    std::vector<TextLine> laid;
    if (top >= file.size() || lines == 0)
        return laid;
    laid.push_back({top, {}});
    std::size_t used = 0; // bytes of text on the last line
    for (std::uint64_t at = top; at < file.size();) {
        const RomCodes::Code code = codes.At(file, at);
        if (used > 0 && used + code.Text.size() > width) {
            if (laid.size() == lines)
                break;
            laid.push_back({at, {}});
            used = 0;
        }
        laid.back().Pieces.push_back({at, code.Length, code.Text, code.Known});
        used += code.Text.size();
        at += code.Length;
        if (code.Text.ends_with('\n') && at < file.size()) {
            // An end-of-window code leaves an empty line after its own.
            const bool window = code.Text.ends_with("\n\n");
            if (laid.size() == lines || (window && laid.size() + 1 == lines))
                break;
            if (window)
                laid.push_back({at, {}});
            laid.push_back({at, {}});
            used = 0;
        }
    }
    return laid;
}

std::uint64_t LineBefore(const RomCodes& codes, std::string_view file, std::uint64_t address, std::size_t width)
{
    if (address == 0)
        return 0;
    // Far enough back for a few lines of the widest text.
    const std::uint64_t back = std::min<std::uint64_t>(address, 4 * width + 4 * codes.Longest() + 64);
    std::uint64_t before = address - back;
    for (std::uint64_t from = address - back; from < address;) {
        const std::vector<TextLine> lines = LayOutText(codes, file.substr(0, address), from, 64, width);
        if (lines.empty())
            break;
        std::uint64_t next = address;
        for (const TextLine& line : lines) {
            if (line.Address < address && line.Address >= before)
                before = line.Address;
            if (line.Address > from && next == address)
                next = line.Address;
        }
        if (lines.back().Address <= from || lines.size() < 64)
            break;
        from = lines.back().Address;
    }
    return before;
}

std::vector<HexRow> LayOutHex(const RomCodes& codes, std::string_view file, std::uint64_t top, std::size_t rows)
{
    std::vector<HexRow> laid;
    for (std::size_t row = 0; row < rows && top + 16 * row < file.size(); ++row) {
        const std::uint64_t address = top + 16 * row;
        laid.push_back({address, file.substr(address, std::min<std::uint64_t>(16, file.size() - address)), {}, {}});
    }
    const std::uint64_t end = top + 16 * laid.size();
    for (std::uint64_t at = top; at < std::min<std::uint64_t>(end, file.size());) {
        const RomCodes::Code code = codes.At(file, at);
        HexRow& first = laid[(at - top) / 16];
        first.Text[at % 16] = code.Text;
        first.Covered[at % 16] = code.Known ? HexRow::Cover::First : HexRow::Cover::None;
        for (std::uint64_t later = at + 1; later < at + code.Length && later < end; ++later)
            laid[(later - top) / 16].Covered[later % 16] = HexRow::Cover::Later;
        at += code.Length;
    }
    return laid;
}

namespace {

// The codes that write a value, by the value's first byte.
struct Writers {
    struct Writer {
        std::string Value;
        std::string Code;
    };
    std::array<std::vector<Writer>, 256> byFirst;

    explicit Writers(const TableDocument& document)
    {
        std::map<std::string, std::string> longer; // the last line of a code wins
        for (const ExtraLine& line : document.ExtraLines) {
            if (auto code = ParseMultiByteCode(line))
                longer.insert_or_assign(std::move(code->Code), code->Mark ? std::string() : std::string(code->Value));
        }
        for (std::size_t code = 0; code < CodeCount; ++code) {
            const TableEntry& entry = document.Entries[code];
            if (!entry.Value.empty() && entry.Kind() == SpecialKind::None)
                Add(entry.Value, {reinterpret_cast<const char*>(&OneByteCodes[code]), 1});
        }
        for (const auto& [code, value] : longer) {
            if (!value.empty())
                Add(value, code);
        }
    }
    void Add(std::string_view value, std::string_view code)
    {
        byFirst[static_cast<unsigned char>(value.front())].push_back({std::string(value), std::string(code)});
    }
    static constexpr auto OneByteCodes = [] {
        std::array<unsigned char, 256> codes{};
        for (std::size_t code = 0; code < codes.size(); ++code)
            codes[code] = static_cast<unsigned char>(code);
        return codes;
    }();
    // Calls `take(writer)` for each code whose value `text` holds at `at`.
    template<typename Take>
    void At(std::string_view text, std::size_t at, Take&& take) const
    {
        for (const Writer& writer : byFirst[static_cast<unsigned char>(text[at])]) {
            if (text.substr(at).starts_with(writer.Value))
                take(writer);
        }
    }
};

} // namespace

std::vector<std::string> EncodeText(const TableDocument& document, std::string_view text)
{
    if (text.empty())
        return {};
    const Writers writers(document);
    // ways[i]: the byte strings that write text[i..], at most MaxEncodings.
    std::vector<std::vector<std::string>> ways(text.size() + 1);
    ways[text.size()] = {std::string()};
    for (std::size_t at = text.size(); at-- > 0;) {
        writers.At(text, at, [&](const Writers::Writer& writer) {
            for (const std::string& rest : ways[at + writer.Value.size()]) {
                if (ways[at].size() == MaxEncodings)
                    return;
                ways[at].push_back(writer.Code + rest);
            }
        });
    }
    std::vector<std::string> found = std::move(ways[0]);
    std::ranges::stable_sort(found, {}, &std::string::size);
    std::vector<std::string> unique;
    for (std::string& bytes : found) {
        if (std::ranges::find(unique, bytes) == unique.end())
            unique.push_back(std::move(bytes));
    }
    return unique;
}

std::size_t UnwritableAt(const TableDocument& document, std::string_view text)
{
    const Writers writers(document);
    std::vector<bool> reached(text.size() + 1);
    reached[0] = true;
    std::size_t furthest = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (!reached[at])
            continue;
        furthest = at;
        writers.At(text, at, [&](const Writers::Writer& writer) { reached[at + writer.Value.size()] = true; });
    }
    return reached[text.size()] ? std::string_view::npos : furthest;
}

std::vector<std::size_t> FindEncoded(std::string_view file, const std::vector<std::string>& needles)
{
    std::vector<std::size_t> found;
    for (const std::string& needle : needles) {
        if (needle.empty() || needle.size() > file.size())
            continue;
        const char* start = file.data();
        const char* end = start + file.size();
        for (const char* at = start; at + needle.size() <= end;) {
            const void* hit = ::memmem(at, static_cast<std::size_t>(end - at), needle.data(), needle.size());
            if (!hit)
                break;
            const auto* byte = static_cast<const char*>(hit);
            found.push_back(static_cast<std::size_t>(byte - start));
            at = byte + 1;
        }
    }
    if (needles.size() > 1) {
        std::ranges::sort(found);
        found.erase(std::unique(found.begin(), found.end()), found.end());
    }
    return found;
}

std::vector<RelativeMatch> RelativeSearch(std::string_view file, std::string_view word)
{
    std::vector<RelativeMatch> matches;
    if (word.size() < 2 || file.size() < word.size())
        return matches;
    std::vector<unsigned char> steps(word.size() - 1);
    for (std::size_t i = 0; i + 1 < word.size(); ++i)
        steps[i] = static_cast<unsigned char>(word[i + 1] - word[i]);
    const auto* data = reinterpret_cast<const unsigned char*>(file.data());
    const std::size_t last = file.size() - word.size();
    for (std::size_t at = 0; at <= last; ++at) {
        // Most places fail at the first step.
        if (static_cast<unsigned char>(data[at + 1] - data[at]) != steps[0])
            continue;
        std::size_t i = 1;
        while (i < steps.size() && static_cast<unsigned char>(data[at + i + 1] - data[at + i]) == steps[i])
            ++i;
        if (i == steps.size())
            matches.push_back({at, data[at]});
    }
    return matches;
}

} // namespace zelvane
