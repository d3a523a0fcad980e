// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/caps_lock.h"

#include <QGuiApplication>

// Xlib's macros (None, Status, KeyPress, ...) stay inside this file.
#include <X11/XKBlib.h>

namespace zelvane {

std::optional<bool> QueryCapsLock()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return std::nullopt;
    return (state.locked_mods & LockMask) != 0;
}

} // namespace zelvane
