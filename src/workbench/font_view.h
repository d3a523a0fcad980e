// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rom/glyphs.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace zelvane {

class GlyphFont;
class TableNotifier;

// "Font": a game's font seen as a sheet of 16 x 16 glyphs from an address,
// each labelled with its code and the table's value, and read into a table.
// The arrows and PgUp/PgDown move the address by a glyph, a row and a page,
// Shift with the arrows by a tile and a tile's row, Ctrl by a byte, to hunt
// for the font by eye; a click makes a glyph's code the grid's current cell.
// Riconosci reads the glyphs off the window's thread and proposes a
// character for each code. The proposals follow the table: those whose code
// has a value are not shown, and each is matched to the table's encoding
// when shown; another table, file or layout drops them. Accetta writes the
// ticked ones, into codes without a value, as one step.
class FontView : public QWidget {
    Q_OBJECT

public:
    // Values for codes (both as bytes), written as one step.
    using Apply = std::function<void(std::vector<std::pair<std::string, std::string>>)>;
    // A code to show in the grid.
    using Pick = std::function<void(const std::string&)>;

    // A proposal is ticked by itself from this score on, rounded as shown.
    static constexpr int TickedPercent = 90;

    FontView(TableNotifier& notifier, GlyphFont& font, Pick pick, Apply apply, QWidget* parent = nullptr);
    ~FontView() override;

public slots:
    void OpenFile(const QString& path);
    void cmdFontRead_Click();
    void cmdFontAccept_Click();
    void StopReading();
    // Sets the first code so that glyph `glyph` of the sheet is `code`
    // (hexadecimal); false, with a message, when the order cannot.
    bool GlyphIsCode(int glyph, const QString& code);
    // Ticks every proposal shown (that the encoding can write), or the
    // selected ones; Togli spunte unticks every one shown.
    void CheckAll();
    void CheckSelected();
    void UncheckAll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Proposal {
        std::size_t glyph = 0;
        std::string code;
        QImage picture; // as read, whatever the layout becomes meanwhile
        std::vector<GlyphGuess> guesses;
        QString text;      // what Accetta writes: a guess, or typed
        float score = 0;   // the chosen guess's
        std::optional<bool> ticked; // the user's tick; none: by the score
    };
    // What the proposals were read from: another drops them.
    struct Source {
        QString file;
        FontLayout layout;
        std::string firstCode;
        CodeOrder order = CodeOrder::Consecutive;
        bool operator==(const Source& other) const
        {
            return file == other.file && layout.Address == other.layout.Address && layout.Format == other.layout.Format
                && layout.Width == other.layout.Width && layout.Height == other.layout.Height
                && firstCode == other.firstCode && order == other.order;
        }
    };
    [[nodiscard]] Source CurrentSource() const;

    // The controls' layout into the font, and the font's into the controls.
    void LayoutEdited();
    void ShowLayout();
    // Moves the address by `bytes`, never before the file's start.
    void Move(std::int64_t bytes);
    void PaintSheet();
    [[nodiscard]] QSize CellSize() const;
    void ReadingDone(Source source, std::vector<Proposal> proposals, std::vector<std::vector<GlyphGuess>> guesses);
    void ClearProposals();

    // The proposal's text as the table's encoding writes it (a character
    // that means the same where the encoding lacks the one read).
    [[nodiscard]] std::optional<std::string> Written(const Proposal& proposal) const;
    [[nodiscard]] bool Ticked(std::size_t index) const { return index < m_ticked.size() && m_ticked[index]; }
    // Which proposals are ticked, worked out once for the list: the user's
    // tick, else a score of 0.90 or more as shown, a character the table
    // can write, and no likelier proposal of the same character.
    void WorkOutTicks();
    // The list: the proposals whose code has no value now, filtered and
    // sorted as chosen, and the status that counts them.
    void ShowProposals();
    void ShowChosen();
    void ItemChanged(QListWidgetItem* item);
    void CandidateChosen(const QString& text);
    void SetTicks(const std::vector<std::size_t>& proposals, bool ticked);
    [[nodiscard]] std::vector<std::size_t> ShownProposals() const;
    [[nodiscard]] std::optional<std::size_t> ChosenProposal() const;
    void AskGlyphCode(int glyph);

    TableNotifier& m_notifier;
    GlyphFont& m_font;
    Pick m_pick;
    Apply m_apply;
    int m_current = 0; // the glyph of the sheet chosen last
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::vector<Proposal> m_proposals;
    Source m_source;
    std::vector<char> m_ticked;
    bool m_showing = false;

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
    QComboBox* m_sort = nullptr;
    QComboBox* m_filter = nullptr;
    QListWidget* m_guesses = nullptr;
    QLabel* m_glyph = nullptr;
    QComboBox* m_candidates = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace zelvane
