// SPDX-License-Identifier: GPL-3.0-or-later
#include "script/pointers.h"

#include <array>
#include <charconv>
#include <vector>

namespace zelvane {

namespace {

constexpr std::array<std::string_view, 5> MappingNames{"LINEAR", "LOROM00", "LOROM80", "HIROM", "GB"};

std::uint64_t Mask(int bits)
{
    return bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
}

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

} // namespace

std::string HexDigits(std::uint64_t value)
{
    char digits[20];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
    return Upper(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

std::string_view MappingName(Mapping mapping)
{
    return MappingNames[static_cast<std::size_t>(mapping)];
}

std::optional<Mapping> ParseMapping(std::string_view name)
{
    const std::string upper = Upper(name);
    for (std::size_t i = 0; i < MappingNames.size(); ++i) {
        if (upper == MappingNames[i])
            return static_cast<Mapping>(i);
    }
    return std::nullopt;
}

std::optional<std::uint64_t> MachineAddress(std::uint64_t offset, Mapping mapping, std::uint64_t header)
{
    if (offset < header)
        return std::nullopt;
    const std::uint64_t x = offset - header;
    switch (mapping) {
    case Mapping::Linear: return x;
    case Mapping::LoRom00: return ((x & 0x7F8000) << 1) | 0x8000 | (x & 0x7FFF);
    case Mapping::LoRom80: return (((x & 0x7F8000) << 1) | 0x8000 | (x & 0x7FFF)) + 0x800000;
    case Mapping::HiRom: return x + 0xC00000;
    case Mapping::Gb: {
        const std::uint64_t bank = x / 0x4000;
        return bank * 0x10000 + (bank == 0 ? x : 0x4000 + x % 0x4000);
    }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> FileOffsetOf(std::uint64_t machine, Mapping mapping, std::uint64_t header)
{
    std::uint64_t x = 0;
    switch (mapping) {
    case Mapping::Linear: x = machine; break;
    case Mapping::LoRom00:
    case Mapping::LoRom80: {
        const std::uint64_t base = mapping == Mapping::LoRom80 ? 0x800000 : 0;
        if (machine < base || machine - base >= 0x800000 || (machine & 0x8000) == 0)
            return std::nullopt;
        const std::uint64_t m = machine - base;
        x = ((m >> 16) << 15) | (m & 0x7FFF);
        break;
    }
    case Mapping::HiRom:
        if (machine < 0xC00000 || machine >= 0x1000000)
            return std::nullopt;
        x = machine - 0xC00000;
        break;
    case Mapping::Gb: {
        const std::uint64_t bank = machine >> 16, low = machine & 0xFFFF;
        if (bank == 0) {
            if (low >= 0x4000)
                return std::nullopt;
            x = low;
        } else {
            if (low < 0x4000 || low >= 0x8000)
                return std::nullopt;
            x = bank * 0x4000 + (low - 0x4000);
        }
        break;
    }
    }
    return x + header;
}

std::optional<std::uint64_t> PointerValue(std::uint64_t target, const PointerFormat& format)
{
    const std::optional<std::uint64_t> machine = MachineAddress(target, format.Map, format.Header);
    if (!machine)
        return std::nullopt;
    return (*machine - static_cast<std::uint64_t>(format.Offset)) & Mask(format.Bits);
}

std::uint64_t BankOf(const PointerFormat& format, std::uint64_t slot)
{
    if (format.Bank)
        return *format.Bank;
    return MachineAddress(slot, format.Map, format.Header).value_or(0) >> 16;
}

std::optional<std::uint64_t> PointerTarget(std::uint64_t value, const PointerFormat& format, std::uint64_t slot)
{
    std::uint64_t machine = 0;
    if (format.Bits == 16) {
        const std::uint64_t low = (value + static_cast<std::uint64_t>(format.Offset)) & 0xFFFF;
        machine = format.Map == Mapping::Gb && low < 0x4000 ? low : BankOf(format, slot) * 0x10000 + low;
    } else {
        machine = (value + static_cast<std::uint64_t>(format.Offset)) & Mask(format.Bits);
    }
    return FileOffsetOf(machine, format.Map, format.Header);
}

std::optional<std::uint64_t> ReadPointer(std::string_view file, std::uint64_t at, const PointerFormat& format)
{
    const auto bytes = static_cast<std::uint64_t>(format.Bits / 8);
    if (at > file.size() || file.size() - at < bytes)
        return std::nullopt;
    std::uint64_t value = 0;
    for (std::uint64_t i = 0; i < bytes; ++i) {
        const auto byte = static_cast<unsigned char>(file[at + (format.BigEndian ? i : bytes - 1 - i)]);
        value = value << 8 | byte;
    }
    return value;
}

std::string PointerBytes(std::uint64_t value, const PointerFormat& format)
{
    const auto bytes = static_cast<std::size_t>(format.Bits / 8);
    std::string out(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i)
        out[format.BigEndian ? bytes - 1 - i : i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::optional<std::int64_t> ParseNumber(std::string_view text)
{
    bool negative = false;
    if (text.starts_with('-')) {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
        if (!negative && text.starts_with('-')) {
            negative = true;
            text.remove_prefix(1);
        }
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || value > static_cast<std::uint64_t>(INT64_MAX))
        return std::nullopt;
    return negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
}

std::string DollarHex(std::int64_t value)
{
    return value < 0 ? "$-" + HexDigits(static_cast<std::uint64_t>(-value)) : "$" + HexDigits(static_cast<std::uint64_t>(value));
}

std::optional<Block> ParseBlock(std::string_view text, std::string& error)
{
    Block block;
    bool pointers = false, count = false, stride = false;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) {
            error = "\"" + std::string(item) + "\" non è chiave=valore";
            return std::nullopt;
        }
        const std::string key(item.substr(0, equals));
        const std::string_view value = item.substr(equals + 1);
        const auto number = [&](std::int64_t minimum) -> std::optional<std::int64_t> {
            const std::optional<std::int64_t> parsed = ParseNumber(value);
            if (!parsed || *parsed < minimum) {
                error = "valore non valido per " + key + ": \"" + std::string(value) + "\"";
                return std::nullopt;
            }
            return parsed;
        };
        if (key == "pointers") {
            const auto n = number(0);
            if (!n)
                return std::nullopt;
            block.Pointers = static_cast<std::uint64_t>(*n);
            pointers = true;
        } else if (key == "count") {
            const auto n = number(1);
            if (!n)
                return std::nullopt;
            block.Count = static_cast<std::uint64_t>(*n);
            count = true;
        } else if (key == "bits") {
            const auto n = number(0);
            if (!n || (*n != 16 && *n != 24 && *n != 32)) {
                error = "bits vale 16, 24 o 32";
                return std::nullopt;
            }
            block.Format.Bits = static_cast<int>(*n);
        } else if (key == "endian") {
            if (value != "little" && value != "big") {
                error = "endian vale little o big";
                return std::nullopt;
            }
            block.Format.BigEndian = value == "big";
        } else if (key == "stride") {
            const auto n = number(1);
            if (!n)
                return std::nullopt;
            block.Format.Stride = static_cast<std::uint64_t>(*n);
            stride = true;
        } else if (key == "map") {
            const std::optional<Mapping> map = ParseMapping(value);
            if (!map) {
                error = "map vale LINEAR, LOROM00, LOROM80, HIROM o GB";
                return std::nullopt;
            }
            block.Format.Map = *map;
        } else if (key == "offset") {
            const std::optional<std::int64_t> n = ParseNumber(value);
            if (!n) {
                error = "valore non valido per offset: \"" + std::string(value) + "\"";
                return std::nullopt;
            }
            block.Format.Offset = *n;
        } else if (key == "header") {
            const auto n = number(0);
            if (!n)
                return std::nullopt;
            block.Format.Header = static_cast<std::uint64_t>(*n);
        } else if (key == "bank") {
            const auto n = number(0);
            if (!n)
                return std::nullopt;
            block.Format.Bank = static_cast<std::uint64_t>(*n);
        } else if (key == "text") {
            const std::size_t dash = value.find('-', 1);
            const std::optional<std::int64_t> start = dash == std::string_view::npos ? std::nullopt : ParseNumber(value.substr(0, dash));
            const std::optional<std::int64_t> end = dash == std::string_view::npos ? std::nullopt : ParseNumber(value.substr(dash + 1));
            if (!start || !end || *start < 0 || *end < *start) {
                error = "text vale INIZIO-FINE, con INIZIO <= FINE";
                return std::nullopt;
            }
            block.IsText = true;
            block.TextStart = static_cast<std::uint64_t>(*start);
            block.TextEnd = static_cast<std::uint64_t>(*end);
        } else {
            error = "chiave sconosciuta \"" + key + "\"";
            return std::nullopt;
        }
    }
    if (block.IsText) {
        if (pointers || count) {
            error = "text= non vuole puntatori";
            return std::nullopt;
        }
        return block;
    }
    if (!pointers || !count) {
        error = "un blocco vuole pointers= e count= (o text=INIZIO-FINE)";
        return std::nullopt;
    }
    if (!stride)
        block.Format.Stride = static_cast<std::uint64_t>(block.Format.Bits / 8);
    if (block.Format.Bank && block.Format.Bits != 16) {
        error = "bank= è per i puntatori a 16 bit";
        return std::nullopt;
    }
    return block;
}

std::string BlockText(const Block& block)
{
    if (block.IsText)
        return "text=0x" + HexDigits(block.TextStart) + "-0x" + HexDigits(block.TextEnd);
    const PointerFormat& format = block.Format;
    std::string written = "pointers=0x" + HexDigits(block.Pointers) + ",count=" + std::to_string(block.Count)
                       + ",bits=" + std::to_string(format.Bits) + ",endian=" + (format.BigEndian ? "big" : "little")
                       + ",stride=" + std::to_string(format.Stride) + ",map=" + std::string(MappingName(format.Map))
                       + ",offset=" + (format.Offset < 0 ? "-0x" + HexDigits(static_cast<std::uint64_t>(-format.Offset)) : "0x" + HexDigits(static_cast<std::uint64_t>(format.Offset)))
                       + ",header=0x" + HexDigits(format.Header);
    if (format.Bits == 16)
        written += ",bank=0x" + HexDigits(BankOf(format, block.Pointers));
    return written;
}

} // namespace zelvane
