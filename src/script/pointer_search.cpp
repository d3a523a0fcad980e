// SPDX-License-Identifier: GPL-3.0-or-later
#include "script/pointer_search.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <tuple>

namespace zelvane {

namespace {

// The headers a file's start implies, besides none.
std::vector<std::uint64_t> Headers(std::string_view file)
{
    std::vector<std::uint64_t> headers{0};
    if (file.starts_with("NES\x1A"))
        headers.push_back(0x10);
    if (file.size() % 0x8000 == 0x200)
        headers.push_back(0x200);
    if (file.starts_with("PS-X EXE"))
        headers.push_back(0x800);
    return headers;
}

// A PlayStation executable's load address (its header's word at 0x18).
std::optional<std::uint64_t> LoadAddress(std::string_view file)
{
    if (!file.starts_with("PS-X EXE") || file.size() < 0x1C)
        return std::nullopt;
    PointerFormat word;
    word.Bits = 32;
    return ReadPointer(file, 0x18, word);
}

// The offsets tried for a format: none, and for 16-bit linear pointers
// each window of 0x2000, 0x4000 or 0x8000 bytes the address could be read
// through; for 32-bit linear ones the usual consoles' bases.
std::vector<std::int64_t> Offsets(int bits, Mapping map, std::uint64_t machine, std::string_view file)
{
    std::vector<std::int64_t> offsets{0};
    if (map != Mapping::Linear)
        return offsets;
    if (bits == 16) {
        for (const std::uint64_t window : {0x2000u, 0x4000u, 0x8000u}) {
            for (std::uint64_t base = 0; base < 0x10000; base += window) {
                const std::uint64_t value = base + machine % window;
                offsets.push_back(static_cast<std::int64_t>(machine) - static_cast<std::int64_t>(value));
            }
        }
    } else if (bits == 32) {
        // A pointer holds the console's address: the file offset is the
        // value less the base.
        for (const std::int64_t base : {0x08000000LL, 0x02000000LL, 0x06000000LL, 0x80000000LL, 0x00C00000LL})
            offsets.push_back(-base);
        if (const auto load = LoadAddress(file))
            offsets.push_back(-static_cast<std::int64_t>(*load));
    }
    std::ranges::sort(offsets);
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    return offsets;
}

// Where a string may start: inside the file, right after an end code (or
// at the file's start), with text of the table's before its own end.
struct Starts {
    std::string_view file;
    const ScriptTable& table;
    std::vector<std::string> ends;
    [[nodiscard]] bool Plausible(std::uint64_t at) const
    {
        if (at >= file.size())
            return false;
        const ScriptCode* first = table.CodeAt(file, at);
        if (!first || first->Ends())
            return false;
        if (at == 0 || std::ranges::any_of(ends, [&](const std::string& end) {
                return end.size() <= at && file.compare(at - end.size(), end.size(), end) == 0;
            }))
            return true;
        // The first string of a run follows other data: then it must read
        // cleanly, two codes of text or more up to its end code.
        std::size_t text = 0;
        for (std::uint64_t next = at; next < file.size() && next < at + 512;) {
            const ScriptCode* code = table.CodeAt(file, next);
            if (!code)
                return false;
            if (code->Kind == CodeKind::EndOfLine)
                return text >= 2;
            text += code->Ends() ? 0 : 1;
            next += code->Bytes.size();
        }
        return false;
    }
};

} // namespace

std::vector<FoundTable> FindPointerTables(std::string_view file, const ScriptTable& table, std::uint64_t address)
{
    Starts starts{file, table, {}};
    for (const ScriptCode& code : table.Codes()) {
        if (code.Ends())
            starts.ends.push_back(code.Bytes);
    }
    std::vector<FoundTable> found;
    std::set<std::tuple<std::uint64_t, std::uint64_t, int, bool, int, std::int64_t, std::uint64_t, std::uint64_t>> seen;
    for (const std::uint64_t header : Headers(file)) {
        for (int m = 0; m <= static_cast<int>(Mapping::Gb); ++m) {
            const auto map = static_cast<Mapping>(m);
            const std::optional<std::uint64_t> machine = MachineAddress(address, map, header);
            if (!machine)
                continue;
            for (const int bits : {16, 24, 32}) {
                if (bits < 32 && *machine >> bits != 0 && bits != 16)
                    continue; // a 24-bit pointer cannot hold it
                for (const std::int64_t offset : Offsets(bits, map, *machine, file)) {
                    PointerFormat format;
                    format.Bits = bits;
                    format.Map = map;
                    format.Offset = offset;
                    format.Header = header;
                    const std::optional<std::uint64_t> value = PointerValue(address, format);
                    if (!value)
                        continue;
                    for (const bool big : {false, true}) {
                        format.BigEndian = big;
                        const std::string needle = PointerBytes(*value, format);
                        for (std::size_t at = file.find(needle); at != std::string_view::npos; at = file.find(needle, at + 1)) {
                            PointerFormat here = format;
                            // A 16-bit pointer reads in its own bank, else in the string's.
                            if (bits == 16 && PointerTarget(*value, here, at) != address)
                                here.Bank = *machine >> 16;
                            if (PointerTarget(*value, here, at) != address)
                                continue;
                            for (std::uint64_t stride = static_cast<std::uint64_t>(bits / 8); stride <= static_cast<std::uint64_t>(bits / 8 + 2); ++stride) {
                                here.Stride = stride;
                                const auto leads = [&](std::uint64_t slot) {
                                    const std::optional<std::uint64_t> v = ReadPointer(file, slot, here);
                                    const std::optional<std::uint64_t> t = v ? PointerTarget(*v, here, slot) : std::nullopt;
                                    return t && starts.Plausible(*t);
                                };
                                std::uint64_t first = at, last = at;
                                while (first >= stride && leads(first - stride))
                                    first -= stride;
                                while (leads(last + stride))
                                    last += stride;
                                const std::uint64_t count = (last - first) / stride + 1;
                                if (count == 1 && stride != static_cast<std::uint64_t>(bits / 8))
                                    continue; // a lone pointer has no stride to tell
                                const auto key = std::make_tuple(first, count, bits, big, m, offset, header, stride);
                                if (!seen.insert(key).second)
                                    continue;
                                Block block;
                                block.Pointers = first;
                                block.Count = count;
                                block.Format = here;
                                found.push_back({block, count});
                            }
                        }
                    }
                }
            }
        }
    }
    // Most slots first; of as many, the wider pointer, which says more.
    std::ranges::stable_sort(found, [](const FoundTable& a, const FoundTable& b) {
        return std::tie(a.Plausible, a.block.Format.Bits) > std::tie(b.Plausible, b.block.Format.Bits);
    });
    return found;
}

} // namespace zelvane
