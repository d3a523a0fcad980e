// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/rom_windows.h"

#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "document/code_pages.h"
#include "document/rom_text.h"
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
const auto RomTitle = QStringLiteral("Anteprima ROM");
const auto SearchTitle = QStringLiteral("Ricerca relativa");
const auto Open = QStringLiteral("&Apri file...");
const auto OpenTitle = QStringLiteral("Apri file");
const auto Address = QStringLiteral("Indirizzo:");
const auto Bookmarks = QStringLiteral("Bookmark:");
const auto NoFile = QStringLiteral("Nessun file aperto");
const auto Opened = QStringLiteral("%1: %2 byte");
const auto CannotOpen = QStringLiteral("Impossibile aprire %1: %2");
const auto Selection = QStringLiteral("Indirizzo %1, %2 byte: %3");
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

constexpr std::size_t ViewBytes = 4096;

QString HexNumber(std::uint64_t value, int width = 6)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, width, 16, QChar(u'0')).toUpper();
}

QString ChooseFile(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, Texts::OpenTitle);
}

// The hiragana of the kana fills' order, as Unicode: the fills' second bytes
// count from small a (A1).
QString KanaOf(std::size_t index)
{
    return QString(QChar(char16_t(0x3041 + (static_cast<unsigned char>(PureKana[index].front()) - 0xA1))));
}

} // namespace

bool MappedFile::Open(const QString& path, QString& reason)
{
    m_bytes = {};
    m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        reason = m_file.errorString();
        return false;
    }
    if (m_file.size() == 0)
        return true;
    const uchar* data = m_file.map(0, m_file.size());
    if (!data) {
        reason = m_file.errorString();
        return false;
    }
    m_bytes = std::string_view(reinterpret_cast<const char*>(data), static_cast<std::size_t>(m_file.size()));
    return true;
}

// ---- The view ----

RomView::RomView(TableNotifier& notifier, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_notifier(notifier)
{
    setObjectName(QStringLiteral("frmRom"));
    setWindowTitle(Texts::RomTitle);
    resize(560, 420);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* open = new QPushButton(Texts::Open, this);
    open->setObjectName(QStringLiteral("cmdRomOpen"));
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("txtRomAddr"));
    m_address->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{1,16}")), m_address));
    m_bookmarks = new QComboBox(this);
    m_bookmarks->setObjectName(QStringLiteral("cboRomBook"));
    m_bookmarks->setMinimumContentsLength(16);
    top->addWidget(open);
    top->addWidget(new QLabel(Texts::Address, this));
    top->addWidget(m_address);
    top->addWidget(new QLabel(Texts::Bookmarks, this));
    top->addWidget(m_bookmarks, 1);
    layout->addLayout(top);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtRomText"));
    m_text->setReadOnly(true);
    layout->addWidget(m_text, 1);
    m_status = new QLabel(Texts::NoFile, this);
    m_status->setObjectName(QStringLiteral("lblRomStatus"));
    layout->addWidget(m_status);

    connect(open, &QPushButton::clicked, this, [this] {
        if (const QString path = ChooseFile(this); !path.isEmpty())
            OpenFile(path);
    });
    connect(m_address, &QLineEdit::returnPressed, this, [this] { ShowAddress(m_address->text().toULongLong(nullptr, 16)); });
    connect(m_bookmarks, &QComboBox::activated, this, [this](int index) {
        ShowAddress(m_bookmarks->itemData(index).toULongLong());
    });
    // More of the file as the view is scrolled to its end.
    connect(m_text->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value == m_text->verticalScrollBar()->maximum() && m_end < m_file.Bytes().size()) {
            m_end = std::min<std::uint64_t>(m_end + ViewBytes, m_file.Bytes().size());
            Decode();
        }
    });
    connect(m_text, &QPlainTextEdit::selectionChanged, this, &RomView::ShowSelection);
    // Every change to the table shows at once.
    connect(&m_notifier, &TableNotifier::entriesChanged, this, &RomView::Decode);
    connect(&m_notifier, &TableNotifier::encodingChanged, this, &RomView::Decode);
    for (auto signal : {&TableNotifier::listsChanged, &TableNotifier::replaced}) {
        connect(&m_notifier, signal, this, [this] {
            RefillBookmarks();
            Decode();
        });
    }
    RefillBookmarks();
}

void RomView::OpenFile(const QString& path)
{
    QString reason;
    if (!m_file.Open(path, reason)) {
        m_status->setText(Texts::CannotOpen.arg(path, reason));
        return;
    }
    setWindowTitle(Texts::RomTitle + QStringLiteral(" - ") + path);
    m_status->setText(Texts::Opened.arg(path).arg(m_file.Bytes().size()));
    ShowAddress(0);
}

void RomView::ShowAddress(std::uint64_t address)
{
    const std::uint64_t size = m_file.Bytes().size();
    m_start = std::min(address, size);
    m_end = std::min<std::uint64_t>(m_start + ViewBytes, size);
    m_address->setText(QString::number(m_start, 16).toUpper());
    Decode();
    m_text->verticalScrollBar()->setValue(0);
}

void RomView::RefillBookmarks()
{
    m_bookmarks->clear();
    for (const Bookmark& bookmark : m_notifier.document().Bookmarks) {
        if (!bookmark.Title.empty())
            m_bookmarks->addItem(QStringLiteral("%1 (%2h)").arg(ToDisplay(bookmark.Title, m_notifier.document().Encoding),
                                                               QString::fromStdString(AddressText(bookmark.Address))),
                                 QVariant::fromValue(static_cast<qulonglong>(static_cast<std::uint32_t>(bookmark.Address))));
    }
}

void RomView::Decode()
{
    const TableDocument& document = m_notifier.document();
    QString text;
    m_pieces.clear();
    DecodeRomPieces(document, m_file.Bytes().substr(m_start, m_end - m_start),
                    [&](std::size_t offset, std::size_t length, std::string_view piece) {
                        m_pieces.push_back({static_cast<int>(text.size()), m_start + offset, length});
                        text += ToDisplay(piece, document.Encoding);
                    });
    const int scrolled = m_text->verticalScrollBar()->value();
    const QSignalBlocker blocker(m_text->verticalScrollBar());
    m_text->setPlainText(text);
    m_text->verticalScrollBar()->setValue(scrolled);
    if (m_file.Bytes().empty())
        m_status->setText(Texts::NoFile);
}

void RomView::ShowSelection()
{
    const QTextCursor cursor = m_text->textCursor();
    if (!cursor.hasSelection() || m_pieces.empty())
        return;
    const auto pieceAt = [this](int position) {
        const auto after = std::ranges::upper_bound(m_pieces, position, {}, &Piece::text);
        return after == m_pieces.begin() ? m_pieces.begin() : after - 1;
    };
    const auto first = pieceAt(cursor.selectionStart());
    const auto last = pieceAt(cursor.selectionEnd() - 1);
    const std::size_t from = first->offset, to = last->offset + last->length;
    QString bytes;
    for (std::size_t at = from; at < to && at < from + 16; ++at)
        bytes += QStringLiteral("%1 ").arg(static_cast<unsigned char>(m_file.Bytes()[at]), 2, 16, QChar(u'0')).toUpper();
    if (to > from + 16)
        bytes += QStringLiteral("…");
    m_status->setText(Texts::Selection.arg(HexNumber(from)).arg(to - from).arg(bytes.trimmed()));
}

// ---- Relative search ----

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
        if (const QString path = ChooseFile(this); !path.isEmpty())
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
