// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "document/code_pages.h"
#include "rom/rom_text.h"
#include "workbench/relative_search_window.h"
#include "document/table_document.h"
#include "kana/fill_sequences.h"
#include "kana/kana_tables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace zelvane {

namespace {
namespace Texts {
const auto SearchTitle = QStringLiteral("Ricerca relativa");
const auto Open = QStringLiteral("&Apri file...");
const auto NoFile = QStringLiteral("Nessun file aperto");
const auto CannotOpen = QStringLiteral("Impossibile aprire %1: %2");
const auto Word = QStringLiteral("Parola:");
const auto Kana = QStringLiteral("&Kana (in romaji)");
const auto Search = QStringLiteral("&Cerca");
const auto Stop = QStringLiteral("&Ferma");
const auto Apply = QStringLiteral("Applica");
const auto Searching = QStringLiteral("Ricerca in corso...");
const auto Stopped = QStringLiteral("Ricerca interrotta.");
const auto Found = QStringLiteral("%1, %2.");
QString Places(std::size_t n) { return n == 1 ? QStringLiteral("1 posizione") : QStringLiteral("%1 posizioni").arg(n); }
QString Alphabets(std::size_t n)
{
    return n == 1 ? QStringLiteral("1 alfabeto possibile") : QStringLiteral("%1 alfabeti possibili").arg(n);
}
const auto Match = QStringLiteral("%1=%2 — %3 volte, la prima a %4");
const auto BadWord = QStringLiteral("Scrivi almeno due lettere tutte maiuscole o tutte minuscole, o almeno due cifre, "
                                    "o sillabe romaji con \"Kana\".");
} // namespace Texts

// The hiragana of the kana fills' order, as Unicode: the fills' second bytes
// count from small a (A1).
QString KanaOf(std::size_t index)
{
    return QString(QChar(char16_t(0x3041 + (static_cast<unsigned char>(PureKana[index].front()) - 0xA1))));
}

} // namespace


RelativeSearchWindow::RelativeSearchWindow(TableNotifier& notifier,
                                           std::function<void(std::uint8_t, std::vector<std::string>)> apply,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_notifier(notifier)
    , m_apply(std::move(apply))
{
    setObjectName(QStringLiteral("frmRelSearch"));
    setWindowTitle(Texts::SearchTitle);
    resize(480, 400);
    auto* layout = new QGridLayout(this);
    auto* open = new QPushButton(Texts::Open, this);
    open->setObjectName(QStringLiteral("cmdRelOpen"));
    m_name = new QLabel(Texts::NoFile, this);
    layout->addWidget(open, 0, 0);
    layout->addWidget(m_name, 0, 1, 1, 3);
    m_wordBox = new QLineEdit(this);
    m_wordBox->setObjectName(QStringLiteral("txtRelWord"));
    auto* kana = new QCheckBox(Texts::Kana, this);
    kana->setObjectName(QStringLiteral("chkRelKana"));
    m_search = new QPushButton(Texts::Search, this);
    m_search->setObjectName(QStringLiteral("cmdRelSearch"));
    m_stopButton = new QPushButton(Texts::Stop, this);
    m_stopButton->setObjectName(QStringLiteral("cmdRelStop"));
    m_stopButton->setEnabled(false);
    layout->addWidget(new QLabel(Texts::Word, this), 1, 0);
    layout->addWidget(m_wordBox, 1, 1);
    layout->addWidget(kana, 1, 2);
    layout->addWidget(m_search, 1, 3);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    layout->addWidget(m_progress, 2, 0, 1, 3);
    layout->addWidget(m_stopButton, 2, 3);
    m_results = new QListWidget(this);
    m_results->setObjectName(QStringLiteral("lstRel"));
    layout->addWidget(m_results, 3, 0, 1, 4);
    m_preview = new QPlainTextEdit(this);
    m_preview->setObjectName(QStringLiteral("txtRelPreview"));
    m_preview->setReadOnly(true);
    m_preview->setMaximumHeight(80);
    layout->addWidget(m_preview, 4, 0, 1, 4);
    m_status = new QLabel(this);
    m_applyButton = new QPushButton(Texts::Apply, this);
    m_applyButton->setObjectName(QStringLiteral("cmdRelApply"));
    m_applyButton->setEnabled(false);
    layout->addWidget(m_status, 5, 0, 1, 3);
    layout->addWidget(m_applyButton, 5, 3);
    layout->setRowStretch(3, 1);

    connect(open, &QPushButton::clicked, this, [this] {
        if (const QString path = ChooseGameFile(this); !path.isEmpty())
            OpenFile(path);
    });
    connect(m_search, &QPushButton::clicked, this, &RelativeSearchWindow::cmdRelSearch_Click);
    connect(m_wordBox, &QLineEdit::returnPressed, this, &RelativeSearchWindow::cmdRelSearch_Click);
    connect(m_stopButton, &QPushButton::clicked, this, [this] { m_stop = true; });
    connect(m_applyButton, &QPushButton::clicked, this, &RelativeSearchWindow::cmdRelApply_Click);
    connect(m_results, &QListWidget::currentRowChanged, this, &RelativeSearchWindow::ShowPreview);
    connect(kana, &QCheckBox::toggled, this, [this](bool on) { m_alphabet = on ? Alphabet::Kana : Alphabet::Capitals; });
}

RelativeSearchWindow::~RelativeSearchWindow()
{
    StopSearch();
}

void RelativeSearchWindow::StopSearch()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

QString RelativeSearchWindow::FileName() const
{
    return m_file.Bytes().empty() ? QString() : m_file.Name();
}

void RelativeSearchWindow::OpenFile(const QString& path)
{
    StopSearch();
    QString reason;
    if (!m_file.Open(path, reason)) {
        m_name->setText(Texts::CannotOpen.arg(path, reason));
        return;
    }
    m_name->setText(path);
    m_results->clear();
}

void RelativeSearchWindow::cmdRelSearch_Click()
{
    StopSearch();
    // What the word is spelled in decides what it is searched as.
    const std::string typed = m_wordBox->text().toStdString();
    m_word.clear();
    if (m_alphabet == Alphabet::Kana) {
        // Romaji syllables, longest first, as their places in the fills' order.
        for (std::size_t at = 0; at < typed.size();) {
            std::size_t best = 0, index = 0;
            for (std::size_t i = 0; i < PureRomaji.size(); ++i) {
                const std::string_view syllable = PureRomaji[i];
                if (syllable.size() > best && std::string_view(typed).substr(at).starts_with(syllable))
                    best = syllable.size(), index = i;
            }
            if (best == 0) {
                m_word.clear();
                break;
            }
            m_word += static_cast<char>(index);
            at += best;
        }
    } else {
        const auto all = [&](char first, char last) {
            return std::ranges::all_of(typed, [=](char c) { return c >= first && c <= last; });
        };
        m_alphabet = all('A', 'Z') ? Alphabet::Capitals : all('a', 'z') ? Alphabet::Small : Alphabet::Digits;
        if (all('A', 'Z') || all('a', 'z') || all('0', '9'))
            m_word = typed;
    }
    if (m_word.size() < 2) {
        m_status->setText(Texts::BadWord);
        return;
    }
    m_results->clear();
    m_preview->clear();
    m_applyButton->setEnabled(false);
    m_search->setEnabled(false);
    m_stopButton->setEnabled(true);
    m_status->setText(Texts::Searching);
    m_stop = false;
    // Off the window's thread, a few megabytes at a time, so that it can be
    // stopped and shows how far it got.
    // The word's first letter's place in its alphabet: the match's first
    // code less it is the alphabet's first code.
    const char start = m_alphabet == Alphabet::Capitals ? 'A'
                       : m_alphabet == Alphabet::Small  ? 'a'
                       : m_alphabet == Alphabet::Digits ? '0'
                                                        : '\0';
    const auto base = static_cast<unsigned char>(m_word.front() - start);
    m_worker = std::thread([this, bytes = m_file.Bytes(), word = m_word, base] {
        constexpr std::size_t Chunk = std::size_t{4} << 20;
        std::map<std::uint8_t, std::pair<std::size_t, std::size_t>> byCode; // count, first offset
        for (std::size_t at = 0; at < bytes.size() && !m_stop; at += Chunk) {
            for (const RelativeMatch& match : RelativeSearch(bytes.substr(at, Chunk + word.size() - 1), word)) {
                if (match.Offset >= Chunk)
                    continue; // the next piece finds it
                auto& [count, first] = byCode.try_emplace(static_cast<std::uint8_t>(match.FirstCode - base), 0, at + match.Offset)
                                           .first->second;
                ++count;
            }
            const int percent = static_cast<int>((at + Chunk) * 100 / std::max<std::size_t>(bytes.size(), 1));
            QMetaObject::invokeMethod(m_progress, [bar = m_progress, percent] { bar->setValue(std::min(percent, 100)); },
                                      Qt::QueuedConnection);
        }
        std::vector<std::uint8_t> codes;
        std::vector<std::size_t> counts, firsts;
        for (const auto& [code, found] : byCode) {
            codes.push_back(code);
            counts.push_back(found.first);
            firsts.push_back(found.second);
        }
        QMetaObject::invokeMethod(
            this, [this, codes, counts, firsts] { Finished(codes, counts, firsts); }, Qt::QueuedConnection);
    });
}

void RelativeSearchWindow::Finished(std::vector<std::uint8_t> codes, std::vector<std::size_t> counts,
                                    std::vector<std::size_t> firsts)
{
    if (m_worker.joinable())
        m_worker.join();
    m_search->setEnabled(true);
    m_stopButton->setEnabled(false);
    // The likeliest alphabet first: the one most places agree on.
    std::vector<std::size_t> order(codes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::ranges::stable_sort(order, [&](std::size_t a, std::size_t b) { return counts[a] > counts[b]; });
    std::size_t places = 0;
    for (std::size_t i : order) {
        const QString letter = m_alphabet == Alphabet::Capitals ? QStringLiteral("A")
                               : m_alphabet == Alphabet::Small  ? QStringLiteral("a")
                               : m_alphabet == Alphabet::Digits ? QStringLiteral("0")
                                                                : KanaOf(0);
        auto* item = new QListWidgetItem(Texts::Match.arg(letter, QString::fromStdString(CodeText(codes[i])))
                                             .arg(counts[i])
                                             .arg(HexNumber(firsts[i])),
                                         m_results);
        item->setData(Qt::UserRole, codes[i]);
        item->setData(Qt::UserRole + 1, QVariant::fromValue(static_cast<qulonglong>(firsts[i])));
        places += counts[i];
    }
    m_progress->setValue(m_stop ? m_progress->value() : 100);
    m_status->setText(m_stop ? Texts::Stopped : Texts::Found.arg(Texts::Places(places), Texts::Alphabets(codes.size())));
    if (m_results->count() > 0)
        m_results->setCurrentRow(0);
}

void RelativeSearchWindow::ShowPreview()
{
    QListWidgetItem* item = m_results->currentItem();
    m_applyButton->setEnabled(item != nullptr);
    if (!item)
        return;
    const auto code = static_cast<std::uint8_t>(item->data(Qt::UserRole).toUInt());
    const auto first = static_cast<std::size_t>(item->data(Qt::UserRole + 1).toULongLong());
    // The bytes around the first place, read as the implied alphabet would.
    const std::size_t from = first > 24 ? first - 24 : 0;
    const std::string_view bytes = m_file.Bytes().substr(from, 48 + m_word.size());
    QString text;
    for (char c : bytes) {
        const int index = static_cast<unsigned char>(c) - code;
        switch (m_alphabet) {
        case Alphabet::Capitals: text += index >= 0 && index < 26 ? QChar(u'A' + index) : QChar(u'·'); break;
        case Alphabet::Small: text += index >= 0 && index < 26 ? QChar(u'a' + index) : QChar(u'·'); break;
        case Alphabet::Digits: text += index >= 0 && index < 10 ? QChar(u'0' + index) : QChar(u'·'); break;
        case Alphabet::Kana:
            text += index >= 0 && index < static_cast<int>(PureKana.size()) ? KanaOf(static_cast<std::size_t>(index))
                                                                           : QStringLiteral("·");
            break;
        }
    }
    m_preview->setPlainText(text);
}

void RelativeSearchWindow::cmdRelApply_Click()
{
    QListWidgetItem* item = m_results->currentItem();
    if (!item)
        return;
    const auto code = static_cast<std::uint8_t>(item->data(Qt::UserRole).toUInt());
    switch (m_alphabet) {
    case Alphabet::Capitals: m_apply(code, CharRangeSequence('A', 'Z')); break;
    case Alphabet::Small: m_apply(code, CharRangeSequence('a', 'z')); break;
    case Alphabet::Digits: m_apply(code, CharRangeSequence('0', '9')); break;
    case Alphabet::Kana:
        m_apply(code, ListSequence(PureKana, InputMode::Hiragana, LetterCase::AsListed, m_notifier.document().Encoding));
        break;
    }
}

} // namespace zelvane
