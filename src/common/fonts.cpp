// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/fonts.h"

namespace zelvane {

QFont FontWithFallback(const QString& family, qreal pointSize, QFont::StyleHint fallback)
{
    QFont font(family);
    font.setStyleHint(fallback);
    font.setPointSizeF(pointSize);
    return font;
}

QFont ComicFont(qreal pointSize)
{
    QFont font(QStringLiteral("Comic Sans MS"));
    // Comic Neue has no kana; the next family in the list draws them.
    font.setFamilies(QStringList{QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"),
                                 QStringLiteral("Droid Sans Fallback")});
    font.setPointSizeF(pointSize);
    return font;
}

} // namespace zelvane
