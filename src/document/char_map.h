// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

namespace zelvane {

// The 8-bit character set the editor shows: Windows-1252, with its five
// unassigned bytes (81, 8D, 8F, 90, 9D) standing for the C1 control
// characters of the same number. One character per byte, and back, for all
// 256 bytes.
[[nodiscard]] char32_t ByteToCodePoint(std::uint8_t byte) noexcept;

// The byte that shows as `codePoint`, or nothing when no byte does.
[[nodiscard]] std::optional<std::uint8_t> CodePointToByte(char32_t codePoint) noexcept;

} // namespace zelvane
