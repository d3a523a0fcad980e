// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/pictures.h"

namespace zelvane {

namespace {
QString PicturePath(const char* name)
{
    return QStringLiteral(":/pictures/%1.png").arg(QLatin1String(name));
}
} // namespace

QIcon ToolbarIcon(ToolbarPicture picture)
{
    static constexpr const char* Names[] = {
        "toolbar-new-page", "toolbar-open-folder", "toolbar-floppy",   "toolbar-mark",
        "toolbar-unmark", "toolbar-capitals", "toolbar-small-letters", "toolbar-digits",
        "toolbar-romaji", "toolbar-katakana", "toolbar-hiragana",
    };
    return QIcon(PicturePath(Names[static_cast<int>(picture) - 1]));
}

QIcon MenuIcon(MenuPicture picture)
{
    static constexpr const char* Names[] = {"menu-new", "menu-open", "menu-save"};
    return QIcon(PicturePath(Names[static_cast<int>(picture)]));
}

QIcon WindowIcon()
{
    // The sizes title bars and task switchers take; the desktop's menus
    // take the installed scalable icon.
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/pictures/window-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap StatusFigure()
{
    return QPixmap(PicturePath("status-figure"));
}

QPixmap AboutPicture()
{
    return QPixmap(PicturePath("about"));
}

} // namespace zelvane
