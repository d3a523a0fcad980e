// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zelvane {

class TableNotifier;

// A file read through a memory map, never loaded whole.
class MappedFile {
public:
    // False, with the system's reason, when it cannot be mapped.
    bool Open(const QString& path, QString& reason);
    [[nodiscard]] std::string_view Bytes() const { return m_bytes; }
    [[nodiscard]] QString Name() const { return m_file.fileName(); }

private:
    QFile m_file;
    std::string_view m_bytes;
};

// "Anteprima ROM": a game's bytes from an address, read through the open
// table and following every change to it.
class RomView : public QWidget {
    Q_OBJECT

public:
    explicit RomView(TableNotifier& notifier, QWidget* parent = nullptr);

public slots:
    // Opens a file as the window's button would.
    void OpenFile(const QString& path);
    // Shows the bytes from `address` on.
    void ShowAddress(std::uint64_t address);

private:
    void Decode();
    void RefillBookmarks();
    void ShowSelection();

    struct Piece {
        int text;            // where its text starts in the view
        std::size_t offset;  // where its bytes start in the file
        std::size_t length;
    };

    TableNotifier& m_notifier;
    MappedFile m_file;
    std::uint64_t m_start = 0, m_end = 0; // the bytes shown
    std::vector<Piece> m_pieces;
    QLineEdit* m_address = nullptr;
    QComboBox* m_bookmarks = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_status = nullptr;
};

// "Ricerca relativa": where a word the user can read lies in a file, found
// by the differences between its letters, and the alphabet that implies.
class RelativeSearchWindow : public QWidget {
    Q_OBJECT

public:
    // `apply` writes a run of values into the table from a code, as one step.
    RelativeSearchWindow(TableNotifier& notifier, std::function<void(std::uint8_t, std::vector<std::string>)> apply,
                         QWidget* parent = nullptr);
    ~RelativeSearchWindow() override;

public slots:
    void OpenFile(const QString& path);
    void cmdRelSearch_Click();
    void cmdRelApply_Click();

private:
    // What the word is spelled in, and the values a run of it fills.
    enum class Alphabet { Capitals, Small, Digits, Kana };
    void Finished(std::vector<std::uint8_t> codes, std::vector<std::size_t> counts, std::vector<std::size_t> firsts);
    void ShowPreview();
    void StopSearch();

    TableNotifier& m_notifier;
    std::function<void(std::uint8_t, std::vector<std::string>)> m_apply;
    MappedFile m_file;
    Alphabet m_alphabet = Alphabet::Capitals;
    std::string m_word; // as searched: letters, digits, or kana by their order
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    QLabel* m_name = nullptr;
    QLineEdit* m_wordBox = nullptr;
    QPushButton* m_search = nullptr;
    QPushButton* m_stopButton = nullptr;
    QProgressBar* m_progress = nullptr;
    QListWidget* m_results = nullptr;
    QPlainTextEdit* m_preview = nullptr;
    QPushButton* m_applyButton = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace zelvane
