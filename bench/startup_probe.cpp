// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a window and, once its first frame is painted and on the screen
// (flushed to the X server and the server caught up), prints one line:
// "exposed <peak resident size in kB>", then leaves at once. Built twice:
// as the editor's main window (optionally with a table file opened) and as
// a bare QMainWindow, with the same flags.

#include <QApplication>
#include <QGuiApplication>
#include <QWindow>

#ifdef PROBE_EDITOR
#include "editor/main_window.h"
#else
#include <QMainWindow>
#endif

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

// Xlib's header defines names that clash with Qt's (Expose); one function
// of it is all the probe needs.
extern "C" int XSync(_XDisplay* display, int discard);

namespace {

long PeakResidentKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

class ExposeWatch : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            // The window paints and flushes its first frame in its own
            // handling of the event; then a round trip to the server.
            watched->event(event);
            if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>())
                XSync(x11->display(), 0);
            std::printf("exposed %ld\n", PeakResidentKb());
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
#ifdef PROBE_EDITOR
    zelvane::MainWindow window;
    if (argc > 1 && !window.OpenTable(QString::fromLocal8Bit(argv[1])))
        return 2;
#else
    QMainWindow window;
    window.resize(531, 466);
#endif
    ExposeWatch watch;
    window.winId(); // makes the native window, so its events can be watched
    window.windowHandle()->installEventFilter(&watch);
    window.show();
    return app.exec();
}
