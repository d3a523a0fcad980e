// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelvane {

class TableDocument;

// The codes of a table as a game's bytes are read through them, made once
// for a table and asked at every byte: at each byte the longest code the
// table assigns wins (one-byte codes and the longer ones of every page); an
// end-of-line code reads as the text after its digits (without a leading
// "=") and "\n", an end-of-window code its text and "\n\n"; a byte no code
// covers reads as "<XX>", upper-case digits.
class RomCodes {
public:
    explicit RomCodes(const TableDocument& document);

    struct Code {
        std::size_t Length = 1;
        std::string_view Text; // valid while the RomCodes lives
        bool Known = false;    // false: a byte no code covers
    };
    // The code that starts at `at` (< bytes.size()); one cut off by the end
    // of `bytes` is not read.
    [[nodiscard]] Code At(std::string_view bytes, std::size_t at) const;
    // The most bytes a code has.
    [[nodiscard]] std::size_t Longest() const noexcept { return m_longest; }

    // Calls `piece(offset, code)` for each code read from the start of `bytes`.
    template<typename Piece>
    void Decode(std::string_view bytes, Piece&& piece) const
    {
        for (std::size_t at = 0; at < bytes.size();) {
            const Code code = At(bytes, at);
            piece(at, code);
            at += code.Length;
        }
    }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::string, Hash, std::equal_to<>> m_longer;
    std::array<std::string, 256> m_oneByte;
    std::bitset<256> m_assigned;
    std::bitset<256> m_leads; // first bytes of the longer codes
    std::size_t m_longest = 1;
};

// The bytes read through the table, as RomCodes reads them.
[[nodiscard]] std::string DecodeRom(const TableDocument& document, std::string_view bytes);

// The same, piece by piece: `piece(offset, length, text)` for each code
// read (offset and length in `bytes`), in order.
void DecodeRomPieces(const TableDocument& document, std::string_view bytes,
                     const std::function<void(std::size_t offset, std::size_t length, std::string_view text)>& piece);

// What a screen of the game shows. Text: the script from `top` on, a line
// ending after an end code's line break or once it holds `width` bytes of
// text (a code's text never split); each line knows where it starts.
struct RomPiece {
    std::uint64_t Offset = 0;
    std::size_t Length = 0;
    std::string_view Text;
    bool Known = false;
};
struct TextLine {
    std::uint64_t Address = 0;
    std::vector<RomPiece> Pieces; // the last one's text may end in "\n"
};
[[nodiscard]] std::vector<TextLine> LayOutText(const RomCodes& codes, std::string_view file, std::uint64_t top,
                                               std::size_t lines, std::size_t width);
// Where the line before the one starting at `address` starts, read from a
// little before it; 0 at the start of the file.
[[nodiscard]] std::uint64_t LineBefore(const RomCodes& codes, std::string_view file, std::uint64_t address,
                                       std::size_t width);

// Hexadecimal: rows of 16 bytes from `top` (a multiple of 16), read
// through the table from `top` on. A code's text stands at its first byte;
// the bytes after it are covered; a byte no code covers is neither.
struct HexRow {
    enum class Cover : std::uint8_t { None, First, Later };
    std::uint64_t Address = 0;
    std::string_view Bytes; // up to 16
    std::array<std::string_view, 16> Text{};
    std::array<Cover, 16> Covered{};
};
[[nodiscard]] std::vector<HexRow> LayOutHex(const RomCodes& codes, std::string_view file, std::uint64_t top,
                                            std::size_t rows);

// Every byte string the table writes `text` as (bytes in the table's
// encoding): each part of it is the value of a code of any length, every
// code with that value tried (at most `limit` strings, shortest first).
// Empty when some part of the text has no code; end codes are not values.
[[nodiscard]] std::vector<std::string> EncodeText(const TableDocument& document, std::string_view text);
inline constexpr std::size_t MaxEncodings = 64;
// Where in `text` the first part no code writes begins, or npos.
[[nodiscard]] std::size_t UnwritableAt(const TableDocument& document, std::string_view text);

// Every offset where one of `needles` starts, in order, each once.
[[nodiscard]] std::vector<std::size_t> FindEncoded(std::string_view file, const std::vector<std::string>& needles);

// Where a word may lie: the byte at Offset stands for the word's first
// letter, whose code is FirstCode.
struct RelativeMatch {
    std::size_t Offset;
    std::uint8_t FirstCode;
};

// Every offset where word.size() consecutive bytes differ from each other
// as the word's letters do (one byte a letter, differences taken modulo
// 256); a word of fewer than two letters finds nothing.
[[nodiscard]] std::vector<RelativeMatch> RelativeSearch(std::string_view file, std::string_view word);

} // namespace zelvane
