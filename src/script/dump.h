// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "script/pointers.h"
#include "script/script_table.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

// One pointer of a block: where it lies, its value, and the file offset it
// leads to (nothing when that lies outside the file).
struct BlockPointer {
    std::uint64_t Slot = 0;
    std::uint64_t Index = 0;
    std::uint64_t Value = 0;
    std::optional<std::uint64_t> Target;
};

// A stretch of the file the script writes whole: one string, or strings
// that share bytes (a pointer into the middle of another). End is the
// first byte after it.
struct ScriptText {
    std::uint64_t Start = 0, End = 0;
};

// A block read: its pointers, its texts in file order, and what could not
// be read ("slot 3 (0x1006): leads to 0x9000000, outside the file").
struct ReadBlockResult {
    Block block;
    std::vector<BlockPointer> Pointers;
    std::vector<ScriptText> Texts;
    std::vector<std::string> Errors;
};

// Where a string from `start` ends: after its first end-of-line code (of
// any length), or at `limit`; a byte no code covers is one byte.
[[nodiscard]] std::uint64_t StringEnd(std::string_view file, const ScriptTable& table, std::uint64_t start, std::uint64_t limit);

[[nodiscard]] ReadBlockResult ReadBlock(std::string_view file, const ScriptTable& table, const Block& block);

// The texts of several blocks as one list in file order, overlapping ones
// joined.
[[nodiscard]] std::vector<ScriptText> JoinTexts(const std::vector<ReadBlockResult>& blocks);

// The strings of the blocks as the script lays them out, in file order:
// each from a pointer's target (or a string's start) to the next one or
// its end, with the pointers that lead there (block and slot), the region
// (a run of adjacent texts) it lies in, and its text lines.
struct ScriptRow {
    std::uint64_t Start = 0, End = 0;
    std::vector<std::pair<std::size_t, std::uint64_t>> Pointers;
    std::size_t Region = 0;
    std::vector<std::string> Lines;
};
struct ScriptPlan {
    std::vector<ScriptText> Regions;
    std::vector<ScriptRow> Rows;
};
[[nodiscard]] ScriptPlan PlanScript(std::string_view file, const ScriptTable& table, const std::vector<ReadBlockResult>& blocks);

// The script of the blocks, in the command language of script inserters;
// `tablePath` is what #ADDTBL names. Encoding its text again through the
// table gives the file's bytes: wherever it would not, the byte is <$XX>.
// With `translated`, a row whose lines there are not empty is written
// with them instead.
[[nodiscard]] std::string WriteScript(std::string_view file, const ScriptTable& table, const std::vector<ReadBlockResult>& blocks,
                                      const std::string& tablePath, const std::vector<std::vector<std::string>>& translated = {});

// The lines of text one stretch of the file is written as (no commands):
// a break after each end code, each line encoding back to its bytes.
[[nodiscard]] std::vector<std::string> TextLines(std::string_view file, const ScriptTable& table, std::uint64_t start, std::uint64_t end);

// What the blocks' strings are made of, each byte once.
struct Coverage {
    std::uint64_t Bytes = 0, Text = 0, Control = 0, Unknown = 0;
    std::map<std::string, std::uint64_t> Counts;             // code bytes: times read
    std::map<unsigned char, std::uint64_t> UnknownFirst;     // uncovered byte: its first address
    std::vector<const ScriptCode*> Unused;                   // codes never read
};
[[nodiscard]] Coverage MeasureCoverage(std::string_view file, const ScriptTable& table, const std::vector<ScriptText>& texts);

} // namespace zelvane
