// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kana/input_mode.h"
#include "workbench/mapped_file.h"

#include <QTextEdit>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <string_view>
#include <utility>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QScrollBar;

namespace zelvane {

class RomCodes;
class TableNotifier;

// "Anteprima ROM": a game's bytes read through the open table, over the
// whole file. Only what is on screen is decoded; one scroll bar spans the
// file. Two ways to read share one address: the script (each line's address
// in a margin), and rows of 16 bytes in hexadecimal with each code's text
// at its first byte. A change to the table re-decodes in place, keeping the
// address and the selection. Find encodes a text through the table and
// searches the file; a bookmark can be added where one reads.
class RomView : public QWidget {
    Q_OBJECT

public:
    explicit RomView(TableNotifier& notifier, QWidget* parent = nullptr);
    ~RomView() override;

    // The address of the first byte shown.
    Q_INVOKABLE qulonglong topAddress() const { return m_top; }
    // The file shown, empty before one is opened.
    [[nodiscard]] QString FileName() const { return m_file.Bytes().empty() ? QString() : m_file.Name(); }
    // Where a pointer table found for the selection is offered (the file
    // and the block as the command line writes it).
    void SetOfferBlock(std::function<void(const QString&, const QString&)> offer) { m_offer = std::move(offer); }
    // Where typed romaji becomes kana in the find box: the editor's mode.
    void SetInputModeSource(std::function<InputMode()> source) { m_inputMode = std::move(source); }

public slots:
    // Opens a file as the window's button would.
    void OpenFile(const QString& path);
    // Shows the bytes from `address` on, and selects the byte there.
    void ShowAddress(qulonglong address);
    // The next (+1) or previous (-1) place where the find box's text lies.
    void FindNext(int direction = +1);
    // A bookmark at the selection, titled with the selected text.
    void AddBookmark();
    // The pointer tables that lead to the selection's first byte, to choose
    // one for the script window.
    void cmdRomPointers_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Mode { Text, Hex };
    // Where a piece of the shown text stands: its characters and its bytes.
    struct Shown {
        int from = 0, to = 0;       // in the shown text
        std::uint64_t offset = 0;   // in the file
        std::size_t length = 0;
        bool codeText = false;      // in hexadecimal: the codes' text beside the bytes
    };

    void TableChanged();
    void Render();
    void RenderText();
    void RenderHex();
    void ShowSelectionInText();
    void SelectionEdited();
    void ShowStatus();
    void RefillBookmarks();
    // Moves the top by whole lines (rows), or to an address.
    void Scroll(int lines);
    void SetTop(std::uint64_t address);
    // The file's last screen, the cursor on its last byte.
    void ShowEnd();
    void SyncScrollBar();
    [[nodiscard]] int VisibleLines() const;
    [[nodiscard]] std::size_t LineWidth() const;
    [[nodiscard]] std::uint64_t LastTop() const;
    // A text to find as the table's bytes, in every way it writes it.
    [[nodiscard]] std::optional<std::vector<std::string>> Needles(QString text, QString& refusal) const;
    // Finds `text` through the table over the whole file and lists the
    // hits; false, with the reason, when the table cannot write it.
    bool Search(QString text, QString* refusal = nullptr);
    void Select(std::uint64_t from, std::uint64_t to);
    [[nodiscard]] QPlainTextEdit* ShownEdit() const;
    // A code's text as shown, made once for each code.
    const QString& Display(std::string_view text);

    TableNotifier& m_notifier;
    std::function<InputMode()> m_inputMode;
    std::function<void(const QString&, const QString&)> m_offer;
    MappedFile m_file;
    std::unique_ptr<RomCodes> m_codes;
    std::uint64_t m_codesMade = 0; // counts the codes made, one per table change
    // The script's last screen's top, and what it was worked out for.
    struct LastScreen {
        std::uint64_t codes, size;
        int lines;
        std::size_t width;
        std::uint64_t top;
        [[nodiscard]] bool SameAs(const LastScreen& other) const
        {
            return codes == other.codes && size == other.size && lines == other.lines && width == other.width;
        }
    };
    mutable std::optional<LastScreen> m_lastScreen;
    std::map<std::pair<const char*, std::size_t>, QString> m_display;
    Mode m_mode = Mode::Text;
    std::uint64_t m_top = 0;
    std::uint64_t m_unit = 1; // bytes per step of the scroll bar
    // The selection, in bytes of the file; empty when from == to.
    std::uint64_t m_selFrom = 0, m_selTo = 0;
    std::vector<Shown> m_shown;
    QList<QTextEdit::ExtraSelection> m_dimmed; // the bytes no code covers, greyed
    std::vector<std::uint64_t> m_lineAddresses;
    std::uint64_t m_shownEnd = 0; // the first byte after what is shown
    bool m_rendering = false;
    // The last find: its text, the bytes it was found as, and where.
    QString m_foundText;
    std::vector<std::string> m_needles;
    std::vector<std::size_t> m_hits;

    QLineEdit* m_address = nullptr;
    QComboBox* m_bookmarks = nullptr;
    QComboBox* m_modes = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QPlainTextEdit* m_hex = nullptr;
    QWidget* m_margin = nullptr;
    QScrollBar* m_scroll = nullptr;
    QLineEdit* m_find = nullptr;
    QListWidget* m_hitList = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace zelvane
