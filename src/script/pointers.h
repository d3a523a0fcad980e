// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvane {

// How a machine sees a file: the address it gives the byte at a file
// offset, past a copier or file header.
enum class Mapping { Linear, LoRom00, LoRom80, HiRom, Gb };

[[nodiscard]] std::string_view MappingName(Mapping mapping);
[[nodiscard]] std::optional<Mapping> ParseMapping(std::string_view name);

// The machine address of file offset `offset` (nothing before the header).
[[nodiscard]] std::optional<std::uint64_t> MachineAddress(std::uint64_t offset, Mapping mapping, std::uint64_t header);
// The other way: the file offset a machine address maps to, or nothing
// when none does (a LoROM address with bit 15 clear, one below HiROM's
// C00000, a Game Boy address outside its bank's window).
[[nodiscard]] std::optional<std::uint64_t> FileOffsetOf(std::uint64_t machine, Mapping mapping, std::uint64_t header);

// How a game stores its pointers.
struct PointerFormat {
    int Bits = 16;
    bool BigEndian = false;
    std::uint64_t Stride = 2; // bytes from one pointer to the next
    Mapping Map = Mapping::Linear;
    std::int64_t Offset = 0;  // machine address = value + offset
    std::uint64_t Header = 0;
    // For 16-bit pointers: the bank (the bits above 16) their addresses lie
    // in; nothing: the bank of the pointer table's own machine address.
    std::optional<std::uint64_t> Bank;
};

// A pointer's value for text at file offset `target`, or nothing when the
// text has no machine address. (machine - offset) mod 2^bits.
[[nodiscard]] std::optional<std::uint64_t> PointerValue(std::uint64_t target, const PointerFormat& format);
// The file offset a pointer's value leads to, or nothing; `slot` is where
// the pointer itself lies (a 16-bit pointer's bank defaults to its own).
[[nodiscard]] std::optional<std::uint64_t> PointerTarget(std::uint64_t value, const PointerFormat& format, std::uint64_t slot);
// The 16-bit bank a format reads in, for a pointer at file offset `slot`.
[[nodiscard]] std::uint64_t BankOf(const PointerFormat& format, std::uint64_t slot);

// The value stored at `at`, in the format's size and byte order; nothing
// past the file's end.
[[nodiscard]] std::optional<std::uint64_t> ReadPointer(std::string_view file, std::uint64_t at, const PointerFormat& format);
// The bytes of a value in the format's size and byte order.
[[nodiscard]] std::string PointerBytes(std::uint64_t value, const PointerFormat& format);

// A block of a game's text: a pointer table (`Count` pointers from
// `Pointers`), or a range of text without pointers (`TextStart` to
// `TextEnd`, inclusive).
struct Block {
    bool IsText = false;
    std::uint64_t Pointers = 0;
    std::uint64_t Count = 0;
    PointerFormat Format;
    std::uint64_t TextStart = 0, TextEnd = 0;
};

// A block as the command line writes it ("pointers=0x1000,count=20,
// bits=24,map=LOROM80"); nothing, with `error` saying why, for one that
// is not.
[[nodiscard]] std::optional<Block> ParseBlock(std::string_view text, std::string& error);
// A block as the command line writes it, every key written out (bank for 16-bit pointers).
[[nodiscard]] std::string BlockText(const Block& block);

// A number as the command line writes it: decimal, 0x or $ hexadecimal, a
// leading - for a negative.
[[nodiscard]] std::optional<std::int64_t> ParseNumber(std::string_view text);
// $ and upper-case hexadecimal digits, $- for a negative.
[[nodiscard]] std::string DollarHex(std::int64_t value);
// Upper-case hexadecimal digits, no leading zeros ("1A2").
[[nodiscard]] std::string HexDigits(std::uint64_t value);

} // namespace zelvane
