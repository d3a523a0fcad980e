// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "workbench/mapped_file.h"

#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zelvane {

class TableNotifier;

// "Ricerca relativa": where a word the user can read lies in a file, found
// by the differences between its letters, and the alphabet that implies.
class RelativeSearchWindow : public QWidget {
    Q_OBJECT

public:
    // `apply` writes a run of values into the table from a code, as one step.
    RelativeSearchWindow(TableNotifier& notifier, std::function<void(std::uint8_t, std::vector<std::string>)> apply,
                         QWidget* parent = nullptr);
    ~RelativeSearchWindow() override;

    // The file searched, empty before one is opened.
    [[nodiscard]] QString FileName() const;

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
