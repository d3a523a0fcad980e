// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QStringList>

namespace zelvane {

// The family a window asks for, standing in `fallback`'s kind of family
// where it is not installed.
[[nodiscard]] QFont FontWithFallback(const QString& family, qreal pointSize, QFont::StyleHint fallback);

// The grid's and the status bar's font: Comic Sans MS, or Comic Neue,
// which is drawn alike and free; kana from Droid Sans Fallback.
[[nodiscard]] QFont ComicFont(qreal pointSize);

} // namespace zelvane
