// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace zelvane {

// A copy of a table file that strict table readers accept, meaning the
// same: each code's last line only, where it stands (no comment, blank or
// bookmark line, no empty value, no line a later one overrides), a bare
// *XX written *XX=<LINE>; the file's own line end.
[[nodiscard]] std::string StrictTable(std::string_view fileBytes);

} // namespace zelvane
