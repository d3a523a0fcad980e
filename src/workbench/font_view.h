// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace zelvane {

class GlyphFont;
struct GlyphGuess;
class TableNotifier;

// "Font": a game's font seen as a sheet of 16 x 16 glyphs from an address,
// each labelled with its code and the table's value, and read into a table.
// The arrows and PgUp/PgDown move the address by a glyph, a row and a page
// (Ctrl with the arrows by a byte), to hunt for the font by eye; a click
// makes a glyph's code the grid's current cell. Riconosci reads the glyphs
// off the window's thread and proposes a character for each code without a
// value; Accetta writes the checked proposals as one step.
class FontView : public QWidget {
    Q_OBJECT

public:
    // Values for codes (both as bytes), written as one step.
    using Apply = std::function<void(std::vector<std::pair<std::string, std::string>>)>;
    // A code to show in the grid.
    using Pick = std::function<void(const std::string&)>;

    FontView(TableNotifier& notifier, GlyphFont& font, Pick pick, Apply apply, QWidget* parent = nullptr);
    ~FontView() override;

public slots:
    void OpenFile(const QString& path);
    void cmdFontRead_Click();
    void cmdFontAccept_Click();
    void StopReading();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Read {
        std::size_t glyph;
        std::string code;
        QImage picture; // as read, whatever the layout becomes meanwhile
    };
    // The controls' layout into the font, and the font's into the controls.
    void LayoutEdited();
    void ShowLayout();
    // Moves the address by `bytes`, never before the file's start.
    void Move(std::int64_t bytes);
    void PaintSheet();
    [[nodiscard]] QSize CellSize() const;
    void ReadingDone(std::vector<Read> read, std::vector<std::vector<GlyphGuess>> guesses);

    TableNotifier& m_notifier;
    GlyphFont& m_font;
    Pick m_pick;
    Apply m_apply;
    int m_current = 0; // the glyph of the sheet chosen last
    std::thread m_worker;
    std::atomic<bool> m_stop{false};

    QLabel* m_name = nullptr;
    QLineEdit* m_address = nullptr;
    QComboBox* m_format = nullptr;
    QSpinBox* m_width = nullptr;
    QSpinBox* m_height = nullptr;
    QLineEdit* m_code = nullptr;
    QComboBox* m_order = nullptr;
    QSpinBox* m_count = nullptr;
    QWidget* m_sheet = nullptr;
    QPushButton* m_read = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_accept = nullptr;
    QProgressBar* m_progress = nullptr;
    QListWidget* m_guesses = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace zelvane
