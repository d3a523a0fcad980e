// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/rom_text.h"

#include "document/code_pages.h"
#include "document/table_document.h"

#include <algorithm>
#include <unordered_map>

namespace zelvane {

namespace {

// What a code reads as.
std::string EntryText(const TableEntry& entry)
{
    switch (entry.Kind()) {
    case SpecialKind::EndOfLine:
    case SpecialKind::EndOfWindow: {
        std::string_view text = entry.Tail;
        if (text.starts_with('='))
            text.remove_prefix(1);
        return std::string(text) + (entry.Kind() == SpecialKind::EndOfLine ? "\n" : "\n\n");
    }
    case SpecialKind::None: break;
    }
    return entry.Value;
}

} // namespace

void DecodeRomPieces(const TableDocument& document, std::string_view bytes,
                     const std::function<void(std::size_t, std::size_t, std::string_view)>& piece)
{
    // The longer codes by their bytes, the last line of each winning.
    std::unordered_map<std::string, std::string_view> longer;
    std::size_t longest = 1;
    for (const ExtraLine& line : document.ExtraLines) {
        if (auto code = ParseMultiByteCode(line)) {
            longest = std::max(longest, code->Code.size());
            longer[std::move(code->Code)] = code->Value;
        }
    }
    std::array<std::string, CodeCount> oneByte;
    std::array<bool, CodeCount> assigned{};
    for (std::size_t code = 0; code < CodeCount; ++code) {
        assigned[code] = !document.Entries[code].Value.empty();
        oneByte[code] = EntryText(document.Entries[code]);
    }
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string key;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t length = std::min(longest, bytes.size() - at);
        for (; length > 1; --length) {
            key.assign(bytes.substr(at, length));
            if (const auto found = longer.find(key); found != longer.end()) {
                piece(at, length, found->second);
                break;
            }
        }
        if (length <= 1) {
            const auto byte = static_cast<unsigned char>(bytes[at]);
            if (assigned[byte]) {
                piece(at, 1, oneByte[byte]);
            } else {
                const char unknown[] = {'<', Hex[byte >> 4], Hex[byte & 15], '>'};
                piece(at, 1, std::string_view(unknown, 4));
            }
            length = 1;
        }
        at += length;
    }
}

std::string DecodeRom(const TableDocument& document, std::string_view bytes)
{
    std::string text;
    DecodeRomPieces(document, bytes, [&text](std::size_t, std::size_t, std::string_view piece) { text += piece; });
    return text;
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
