// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/eight_bit_text.h"
#include "editor/command_line.h"
#include "editor/main_window.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    using zelvane::CommandLine;
    const CommandLine command = zelvane::ParseCommandLine(argc, argv);
    switch (command.action) {
    case CommandLine::Action::Help:
        std::fputs(zelvane::HelpText().c_str(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fputs(zelvane::VersionText().c_str(), stdout);
        return 0;
    case CommandLine::Action::Error:
        std::fprintf(stderr, "zelvane: %s\nPer l'aiuto: zelvane --help\n", command.error.c_str());
        return 2;
    case CommandLine::Action::Start:
        break;
    }

    // Without a display Qt would abort; say so in one line instead.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((!platform || !*platform) && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fputs("zelvane: nessun display disponibile (DISPLAY non impostato): impossibile aprire la finestra.\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvane"));
    QApplication::setApplicationVersion(QStringLiteral(ZELVANE_VERSION));

    // The interface is Italian, so are Qt's own buttons and file dialog
    // where Qt's translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    zelvane::MainWindow window;
    window.show();
    // Read once the window is up, so that a message about the file stands
    // over the untitled table it leaves.
    if (!command.file.empty())
        QTimer::singleShot(0, &window, [&window, &command] { window.OpenTable(zelvane::PathText(command.file)); });
    return app.exec();
}
