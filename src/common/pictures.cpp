// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/pictures.h"

#include <QImageReader>

namespace zelvane {

namespace {
// Read as PNG and nothing else: left to find out, even told the format,
// Qt would load every image plugin to ask each whether it reads the file.
QPixmap Picture(const char* name)
{
    QImageReader reader(QStringLiteral(":/pictures/%1.png").arg(QLatin1String(name)), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}
} // namespace

QIcon ToolbarIcon(ToolbarPicture picture)
{
    static constexpr const char* Names[] = {
        "toolbar-new-page", "toolbar-open-folder", "toolbar-floppy",   "toolbar-mark",
        "toolbar-unmark", "toolbar-capitals", "toolbar-small-letters", "toolbar-digits",
        "toolbar-romaji", "toolbar-katakana", "toolbar-hiragana",
    };
    return QIcon(Picture(Names[static_cast<int>(picture) - 1]));
}

QIcon MenuIcon(MenuPicture picture)
{
    static constexpr const char* Names[] = {"menu-new", "menu-open", "menu-save"};
    return QIcon(Picture(Names[static_cast<int>(picture)]));
}

QIcon WindowIcon()
{
    // The sizes title bars and task switchers take; the desktop's menus
    // take the installed scalable icon.
    QIcon icon;
    for (const char* size : {"window-16", "window-32", "window-48"})
        icon.addPixmap(Picture(size));
    return icon;
}

QPixmap StatusFigure()
{
    return Picture("status-figure");
}

QPixmap AboutPicture()
{
    return Picture("about");
}

} // namespace zelvane
