// SPDX-License-Identifier: GPL-3.0-or-later
// Long values: the time of one key typed into a cell holding 1 MB, and of
// a repaint of a grid whose 256 values are 64 KB each, against the same
// with short values; medians of repeated runs with their range. The last
// line is the worse of the two ratios.

#include "editor/main_window.h"
#include "measures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>

#include <string>

namespace {

std::filesystem::path WriteTable(const std::filesystem::path& folder, const char* name, std::size_t valueBytes, int codes)
{
    const char* hex = "0123456789ABCDEF";
    std::string bytes;
    for (int code = 0; code < codes; ++code) {
        bytes += hex[code >> 4];
        bytes += hex[code & 15];
        bytes += '=';
        bytes.append(valueBytes, static_cast<char>('a' + code % 26));
        bytes += "\r\n";
    }
    const std::filesystem::path path = folder / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

class Probe {
public:
    Probe()
    {
        m_window.show();
        m_grid = m_window.findChild<QTableView*>(QStringLiteral("TableGrid"));
        QApplication::processEvents();
    }

    void Open(const std::filesystem::path& path)
    {
        if (!m_window.OpenTable(QString::fromStdString(path.string())))
            std::exit(1);
        m_grid->setCurrentIndex(m_grid->model()->index(0, 0));
        QApplication::processEvents();
    }

    // One key and everything it causes, the repaint included.
    std::vector<double> Keys(int rounds)
    {
        std::vector<double> samples;
        for (int i = 0; i < rounds; ++i) {
            const auto start = bench::Clock::now();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QApplication::sendEvent(m_grid, &press);
            m_grid->viewport()->repaint(m_grid->visualRect(m_grid->currentIndex()));
            QApplication::processEvents();
            samples.push_back(bench::SecondsSince(start));
        }
        return samples;
    }

    std::vector<double> Repaints(int rounds)
    {
        std::vector<double> samples;
        for (int i = 0; i < rounds; ++i) {
            const auto start = bench::Clock::now();
            m_grid->viewport()->repaint();
            samples.push_back(bench::SecondsSince(start));
        }
        return samples;
    }

private:
    zelvane::MainWindow m_window;
    QTableView* m_grid = nullptr;
};

double Ratio(const char* what, const std::vector<double>& longer, const std::vector<double>& shorter)
{
    const bench::Spread l = bench::Summary(longer);
    const bench::Spread s = bench::Summary(shorter);
    std::printf("%s\n", what);
    bench::PrintSpread("  long values", l, 1000, "ms");
    bench::PrintSpread("  short values", s, 1000, "ms");
    return l.median / s.median;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zelvane-bench-long";
    std::filesystem::create_directories(folder);
    const auto oneLong = WriteTable(folder, "one-long.tbl", 1u << 20, 1);
    const auto allLong = WriteTable(folder, "all-long.tbl", 64u << 10, 256);
    const auto allShort = WriteTable(folder, "all-short.tbl", 3, 256);

    Probe probe;
    probe.Open(oneLong);
    const std::vector<double> longKeys = probe.Keys(15);
    probe.Open(allShort);
    const std::vector<double> shortKeys = probe.Keys(15);
    const std::vector<double> shortPaints = probe.Repaints(9);
    probe.Open(allLong);
    const std::vector<double> longPaints = probe.Repaints(9);
    std::filesystem::remove_all(folder);

    const double key = Ratio("a key typed into a cell of 1 MB / of 3 bytes", longKeys, shortKeys);
    const double paint = Ratio("a repaint of the grid, values of 64 KB / of 3 bytes", longPaints, shortPaints);
    std::printf("ratio long / short values, the worse of key and repaint: %.2f\n", std::max(key, paint));
    return 0;
}
