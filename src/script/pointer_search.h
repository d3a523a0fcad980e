// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "script/pointers.h"
#include "script/script_table.h"

#include <string_view>
#include <vector>

namespace zelvane {

// A pointer table found for a string: the block, how many of its slots
// lead to plausible string starts, and a note.
struct FoundTable {
    Block block;
    std::uint64_t Plausible = 0;
};

// Every place the file stores a pointer to the string at `address`, in
// every format and mapping tried (16, 24 and 32 bits, both byte orders,
// strides of bits/8 to bits/8 + 2, the headers the file's signature
// implies, the usual windows and console bases), each grown into the
// table its neighbours at the same stride make (slots that lead inside the
// file, just after an end-of-line code), likeliest first: most plausible
// slots first.
[[nodiscard]] std::vector<FoundTable> FindPointerTables(std::string_view file, const ScriptTable& table, std::uint64_t address);

} // namespace zelvane
