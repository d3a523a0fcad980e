// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace zelvane {

// The keyboard's Caps Lock state where the platform tells it (X11), or
// nothing where it cannot be known (offscreen, Wayland).
[[nodiscard]] std::optional<bool> QueryCapsLock();

} // namespace zelvane
