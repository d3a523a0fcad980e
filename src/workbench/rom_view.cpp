// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/rom_view.h"

#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "document/code_pages.h"
#include "document/table_change.h"
#include "document/table_document.h"
#include "document/table_writer.h"
#include "kana/romaji_conversion.h"
#include "rom/rom_text.h"
#include "script/pointer_search.h"

#include <QAction>
#include <QMenu>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <climits>

namespace zelvane {

namespace {
namespace Texts {
const auto Title = QStringLiteral("Anteprima ROM");
const auto Open = QStringLiteral("&Apri file...");
const auto Address = QStringLiteral("Indirizzo:");
const auto Bookmarks = QStringLiteral("Bookmark:");
const auto TextMode = QStringLiteral("Testo");
const auto HexMode = QStringLiteral("Esadecimale");
const auto Find = QStringLiteral("Trova:");
const auto FindButton = QStringLiteral("&Trova");
const auto FindHint = QStringLiteral("testo come lo scrive la tabella, o $ e byte esadecimali");
const auto AddBookmark = QStringLiteral("Aggiungi &segnalibro");
const auto NoFile = QStringLiteral("Nessun file aperto");
const auto Opened = QStringLiteral("%1: %2 byte");
const auto CannotOpen = QStringLiteral("Impossibile aprire %1: %2");
const auto Selection = QStringLiteral("Indirizzo %1, %2 byte: %3");
const auto At = QStringLiteral("Indirizzo %1");
const auto PastTheEnd = QStringLiteral("L'indirizzo %1 è oltre la fine del file, che ha %2 byte (fino a %3).");
const auto NoHits = QStringLiteral("Nessun risultato per «%1».");
const auto Hit = QStringLiteral("Risultato %1 di %2, all'indirizzo %3.");
const auto MoreHits = QStringLiteral("… e altri %1 risultati");
const auto BadHex = QStringLiteral("Dopo $ scrivi coppie di cifre esadecimali, per esempio $82A0.");
const auto Unwritable = QStringLiteral("Nessun codice della tabella scrive «%1».");
const auto BookmarkStep = QStringLiteral("segnalibro");
const auto FindPointers = QStringLiteral("Trova &puntatori");
const auto NoPointers = QStringLiteral("Nessuna tabella di puntatori porta a 0x%1.");
const auto PointerTable = QStringLiteral("%1 puntatori da 0x%2, %3 bit, %4");
const auto BookmarkTitle = QStringLiteral("Aggiungi segnalibro");
const auto BookmarksFull = QStringLiteral("Tutti i 31 segnalibri sono in uso.");
const auto AddressTooFar = QStringLiteral("Un segnalibro indica un indirizzo fino a 7FFFFFFF.");
const auto BookmarkAdded = QStringLiteral("Segnalibro aggiunto all'indirizzo %1.");
} // namespace Texts

constexpr std::size_t ListedHits = 1000;
constexpr std::uint64_t NoAddress = ~std::uint64_t{0};
constexpr std::size_t TitleBytes = 48;

// A fixed-pitch font that has the kana and kanji itself: lines drawn from
// fallback fonts would each be of another height. IPA Gothic is one of the
// glyph reader's references; the system's fixed font when it is missing.
QFont ViewFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"), font.family()});
    font.setPointSizeF(10);
    return font;
}

// How many hexadecimal digits the file's addresses take.
int AddressDigits(std::uint64_t size)
{
    int digits = 8;
    while (digits < 16 && (size >> (4 * digits)) != 0)
        ++digits;
    return digits;
}

QString AddressLabel(std::uint64_t address, int digits)
{
    return QStringLiteral("%1").arg(address, digits, 16, QChar(u'0')).toUpper();
}

// A code's text as one line shows it: end codes' breaks are the lines'.
std::string_view WithoutBreaks(std::string_view text)
{
    while (text.ends_with('\n'))
        text.remove_suffix(1);
    return text;
}

// The text the table reads from `bytes` on, on one line.
std::string ReadLine(const RomCodes& codes, std::string_view bytes, std::size_t limit)
{
    std::string line;
    for (std::size_t at = 0; at < bytes.size() && line.size() < limit;) {
        const RomCodes::Code code = codes.At(bytes, at);
        line += WithoutBreaks(code.Text);
        if (code.Text.ends_with('\n'))
            break;
        at += code.Length;
    }
    return line;
}

// Marks ranges of a text view grey: what no code covers. Neighbouring
// ranges are one.
QList<QTextEdit::ExtraSelection> Dim(QPlainTextEdit* edit, const std::vector<std::pair<int, int>>& ranges)
{
    QTextCharFormat grey;
    grey.setForeground(QColor(150, 150, 150));
    QList<QTextEdit::ExtraSelection> dimmed;
    for (std::size_t i = 0; i < ranges.size();) {
        const int from = ranges[i].first;
        int to = ranges[i].second;
        while (++i < ranges.size() && ranges[i].first <= to + 1)
            to = ranges[i].second;
        QTextCursor cursor(edit->document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        dimmed.push_back({cursor, grey});
    }
    return dimmed;
}

int LineHeight(const QFont& font)
{
    return QFontMetrics(font).lineSpacing();
}

// A text view with room on its left for the lines' addresses.
class MarginEdit : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;
    void SetLeftMargin(int width) { setViewportMargins(width, 0, 0, 0); }
};

} // namespace

RomView::RomView(TableNotifier& notifier, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_notifier(notifier)
    , m_codes(std::make_unique<RomCodes>(notifier.document()))
{
    setObjectName(QStringLiteral("frmRom"));
    setWindowTitle(Texts::Title);
    resize(720, 520);
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
    m_modes = new QComboBox(this);
    m_modes->setObjectName(QStringLiteral("cboRomMode"));
    m_modes->addItems({Texts::TextMode, Texts::HexMode});
    top->addWidget(open);
    top->addWidget(new QLabel(Texts::Address, this));
    top->addWidget(m_address);
    top->addWidget(new QLabel(Texts::Bookmarks, this));
    top->addWidget(m_bookmarks, 1);
    top->addWidget(m_modes);
    layout->addLayout(top);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    for (QPlainTextEdit** edit : {&m_text, &m_hex}) {
        *edit = new MarginEdit(this);
        (*edit)->setReadOnly(true);
        (*edit)->setFont(ViewFont());
        (*edit)->setLineWrapMode(QPlainTextEdit::NoWrap);
        (*edit)->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        (*edit)->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        (*edit)->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        (*edit)->installEventFilter(this);
        (*edit)->viewport()->installEventFilter(this);
        middle->addWidget(*edit, 1);
        connect(*edit, &QPlainTextEdit::selectionChanged, this, &RomView::SelectionEdited);
        connect(*edit, &QPlainTextEdit::cursorPositionChanged, this, &RomView::SelectionEdited);
    }
    m_text->setObjectName(QStringLiteral("txtRomText"));
    m_hex->setObjectName(QStringLiteral("txtRomHex"));
    m_hex->hide();
    // The lines' addresses, in a margin of the script's view.
    m_margin = new QWidget(m_text);
    m_margin->setObjectName(QStringLiteral("lblRomMargin"));
    m_margin->installEventFilter(this);
    m_scroll = new QScrollBar(Qt::Vertical, this);
    m_scroll->setObjectName(QStringLiteral("scrRom"));
    middle->addWidget(m_scroll);
    layout->addLayout(middle, 1);

    auto* findRow = new QHBoxLayout;
    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("txtRomFind"));
    m_find->setPlaceholderText(Texts::FindHint);
    auto* findButton = new QPushButton(Texts::FindButton, this);
    findButton->setObjectName(QStringLiteral("cmdRomFind"));
    auto* bookmarkButton = new QPushButton(Texts::AddBookmark, this);
    bookmarkButton->setObjectName(QStringLiteral("cmdRomBookmark"));
    auto* pointersButton = new QPushButton(Texts::FindPointers, this);
    pointersButton->setObjectName(QStringLiteral("cmdRomPointers"));
    findRow->addWidget(new QLabel(Texts::Find, this));
    findRow->addWidget(m_find, 1);
    findRow->addWidget(findButton);
    findRow->addWidget(bookmarkButton);
    findRow->addWidget(pointersButton);
    layout->addLayout(findRow);
    m_hitList = new QListWidget(this);
    m_hitList->setObjectName(QStringLiteral("lstRomHits"));
    m_hitList->setFont(ViewFont());
    m_hitList->setMaximumHeight(QFontMetrics(m_hitList->font()).lineSpacing() * 4 + 6);
    layout->addWidget(m_hitList);
    m_status = new QLabel(Texts::NoFile, this);
    m_status->setObjectName(QStringLiteral("lblRomStatus"));
    layout->addWidget(m_status);

    // The view's keys: F3, Shift+F3 and Ctrl+B anywhere in the window.
    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    shortcut(QKeySequence(Qt::Key_F3), [this] { FindNext(+1); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { FindNext(-1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_B), &RomView::AddBookmark);

    connect(open, &QPushButton::clicked, this, [this] {
        if (const QString path = ChooseGameFile(this); !path.isEmpty())
            OpenFile(path);
    });
    connect(m_address, &QLineEdit::returnPressed, this, [this] { ShowAddress(m_address->text().toULongLong(nullptr, 16)); });
    connect(m_bookmarks, &QComboBox::activated, this,
            [this](int index) { ShowAddress(m_bookmarks->itemData(index).toULongLong()); });
    connect(m_modes, &QComboBox::currentIndexChanged, this, [this](int index) {
        // The same address in the other way of reading.
        const std::uint64_t anchor = m_selTo > m_selFrom ? m_selFrom : m_top;
        m_mode = index == 1 ? Mode::Hex : Mode::Text;
        m_text->setVisible(m_mode == Mode::Text);
        m_hex->setVisible(m_mode == Mode::Hex);
        SetTop(m_mode == Mode::Hex ? anchor & ~std::uint64_t{15} : anchor);
    });
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_rendering)
            SetTop(m_mode == Mode::Hex ? (value * m_unit) & ~std::uint64_t{15} : value * m_unit);
    });
    connect(m_find, &QLineEdit::returnPressed, this, [this] { FindNext(+1); });
    connect(findButton, &QPushButton::clicked, this, [this] { FindNext(+1); });
    connect(bookmarkButton, &QPushButton::clicked, this, &RomView::AddBookmark);
    connect(pointersButton, &QPushButton::clicked, this, &RomView::cmdRomPointers_Click);
    connect(m_hitList, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const std::uint64_t hit = item->data(Qt::UserRole).toULongLong();
        const auto found = std::ranges::lower_bound(m_hits, hit);
        if (found == m_hits.end() || *found != hit)
            return;
        // Previous from just after the hit lands on it.
        m_selFrom = m_selTo = hit + 1;
        FindNext(-1);
    });
    // Every change to the table shows at once, in place.
    connect(&m_notifier, &TableNotifier::valuesChanged, this, &RomView::TableChanged);
    for (auto signal : {&TableNotifier::bookmarksChanged, &TableNotifier::replaced, &TableNotifier::encodingChanged})
        connect(&m_notifier, signal, this, &RomView::RefillBookmarks);
    RefillBookmarks();
}

RomView::~RomView() = default;

QPlainTextEdit* RomView::ShownEdit() const
{
    return m_mode == Mode::Text ? m_text : m_hex;
}

void RomView::OpenFile(const QString& path)
{
    QString reason;
    if (!m_file.Open(path, reason)) {
        m_status->setText(Texts::CannotOpen.arg(path, reason));
        return;
    }
    setWindowTitle(Texts::Title + QStringLiteral(" - ") + path);
    m_hits.clear();
    m_foundText.clear();
    m_hitList->clear();
    m_lastScreen.reset();
    m_selFrom = m_selTo = 0;
    SetTop(0);
    m_status->setText(Texts::Opened.arg(path).arg(m_file.Bytes().size()));
}

const QString& RomView::Display(std::string_view text)
{
    // A code's text lives as long as the codes: its place names it.
    const auto key = std::make_pair(text.data(), text.size());
    auto found = m_display.find(key);
    if (found == m_display.end())
        found = m_display.emplace(key, ToDisplay(text, m_notifier.document().Encoding)).first;
    return found->second;
}

void RomView::TableChanged()
{
    m_display.clear();
    m_codes = std::make_unique<RomCodes>(m_notifier.document());
    ++m_codesMade;
    // What the find found was found through the old table.
    if (!m_foundText.isEmpty())
        Search(m_foundText);
    Render();
}

int RomView::VisibleLines() const
{
    const QPlainTextEdit* edit = ShownEdit();
    return std::max(1, (edit->viewport()->height() - 8) / std::max(1, LineHeight(edit->font())));
}

std::size_t RomView::LineWidth() const
{
    const int width = QFontMetrics(m_text->font()).horizontalAdvance(u'0');
    return static_cast<std::size_t>(std::max(8, (m_text->viewport()->width() - 8) / std::max(1, width)));
}

std::uint64_t RomView::LastTop() const
{
    const std::uint64_t size = m_file.Bytes().size();
    if (size == 0)
        return 0;
    if (m_mode == Mode::Hex) {
        const std::uint64_t lastRow = (size - 1) & ~std::uint64_t{15};
        const std::uint64_t back = std::uint64_t{16} * static_cast<std::uint64_t>(VisibleLines() - 1);
        return lastRow > back ? lastRow - back : 0;
    }
    // The script's last screen is read back from the end: once for a file,
    // table and view size, not at every scroll.
    const LastScreen key{m_codesMade, size, VisibleLines(), LineWidth(), 0};
    if (m_lastScreen && m_lastScreen->SameAs(key))
        return m_lastScreen->top;
    std::uint64_t top = LineBefore(*m_codes, m_file.Bytes(), size, key.width);
    for (int line = 1; line < key.lines && top > 0; ++line)
        top = LineBefore(*m_codes, m_file.Bytes(), top, key.width);
    m_lastScreen = key;
    m_lastScreen->top = top;
    return top;
}

void RomView::SetTop(std::uint64_t address)
{
    const std::uint64_t size = m_file.Bytes().size();
    m_top = size == 0 ? 0 : std::min(address, size - 1);
    if (m_mode == Mode::Hex)
        m_top &= ~std::uint64_t{15};
    m_address->setText(QString::number(m_top, 16).toUpper());
    Render();
}

void RomView::SyncScrollBar()
{
    const std::uint64_t last = LastTop();
    // A scroll bar counts in int: a large file takes several bytes a step.
    m_unit = std::max<std::uint64_t>(1, last / INT_MAX + 1);
    const bool rendering = std::exchange(m_rendering, true);
    m_scroll->setRange(0, static_cast<int>(last / m_unit));
    m_scroll->setPageStep(std::max(1, static_cast<int>((m_shownEnd - std::min(m_shownEnd, m_top)) / m_unit)));
    m_scroll->setSingleStep(std::max(1, static_cast<int>(16 / m_unit)));
    m_scroll->setValue(static_cast<int>(std::min(m_top, last) / m_unit));
    m_rendering = rendering;
}

void RomView::Scroll(int lines)
{
    const std::string_view bytes = m_file.Bytes();
    if (bytes.empty() || lines == 0)
        return;
    if (m_mode == Mode::Hex) {
        const std::int64_t step = std::int64_t{16} * lines;
        const std::uint64_t last = LastTop();
        SetTop(step < 0 ? m_top - std::min<std::uint64_t>(m_top, static_cast<std::uint64_t>(-step))
                        : std::min(last, m_top + static_cast<std::uint64_t>(step)));
        return;
    }
    std::uint64_t top = m_top;
    if (lines > 0) {
        const std::vector<TextLine> laid = LayOutText(*m_codes, bytes, top, static_cast<std::size_t>(lines) + 1, LineWidth());
        top = laid.size() > 1 ? laid.back().Address : top;
        top = std::min(top, std::max(m_top, LastTop()));
    } else {
        for (int line = 0; line < -lines && top > 0; ++line)
            top = LineBefore(*m_codes, bytes, top, LineWidth());
    }
    SetTop(top);
}

void RomView::ShowAddress(qulonglong address)
{
    const std::uint64_t size = m_file.Bytes().size();
    if (address >= size) {
        m_status->setText(Texts::PastTheEnd.arg(HexNumber(address)).arg(size).arg(HexNumber(size == 0 ? 0 : size - 1)));
        return;
    }
    SetTop(address);
    Select(address, address + m_codes->At(m_file.Bytes(), address).Length);
}

void RomView::Render()
{
    const bool rendering = std::exchange(m_rendering, true);
    m_shown.clear();
    m_lineAddresses.clear();
    if (m_mode == Mode::Text)
        RenderText();
    else
        RenderHex();
    m_rendering = rendering;
    ShowSelectionInText();
    SyncScrollBar();
    m_margin->update();
}

void RomView::RenderText()
{
    const std::vector<TextLine> lines = LayOutText(*m_codes, m_file.Bytes(), m_top, VisibleLines(), LineWidth());
    QString text;
    std::vector<std::pair<int, int>> unknown;
    for (const TextLine& line : lines) {
        if (!m_lineAddresses.empty())
            text += u'\n';
        // The empty line after an end-of-window code has no bytes of its own.
        m_lineAddresses.push_back(line.Pieces.empty() ? NoAddress : line.Address);
        for (const RomPiece& piece : line.Pieces) {
            const int from = static_cast<int>(text.size());
            text += Display(WithoutBreaks(piece.Text));
            m_shown.push_back({from, static_cast<int>(text.size()), piece.Offset, piece.Length});
            if (!piece.Known)
                unknown.emplace_back(from, static_cast<int>(text.size()));
        }
    }
    m_shownEnd = m_shown.empty() ? m_top : m_shown.back().offset + m_shown.back().length;
    m_text->setPlainText(text);
    m_dimmed = Dim(m_text, unknown);
    // The margin holds the widest address.
    const int digits = AddressDigits(m_file.Bytes().size());
    const int width = QFontMetrics(m_text->font()).horizontalAdvance(QString(digits, u'0')) + 10;
    static_cast<MarginEdit*>(m_text)->SetLeftMargin(width);
    const QRect inside = m_text->contentsRect();
    m_margin->setGeometry(inside.left(), inside.top(), width, inside.height());
}

void RomView::RenderHex()
{
    const int digits = AddressDigits(m_file.Bytes().size());
    const std::vector<HexRow> rows = LayOutHex(*m_codes, m_file.Bytes(), m_top, static_cast<std::size_t>(VisibleLines()));
    QString text;
    std::vector<std::pair<int, int>> unknown;
    for (const HexRow& row : rows) {
        if (!m_lineAddresses.empty())
            text += u'\n';
        m_lineAddresses.push_back(row.Address);
        text += AddressLabel(row.Address, digits) + QStringLiteral("  ");
        for (std::size_t col = 0; col < 16; ++col) {
            if (col == 8)
                text += u' ';
            if (col >= row.Bytes.size()) {
                text += QStringLiteral("   ");
                continue;
            }
            const int from = static_cast<int>(text.size());
            text += QStringLiteral("%1").arg(static_cast<unsigned char>(row.Bytes[col]), 2, 16, QChar(u'0')).toUpper();
            m_shown.push_back({from, from + 2, row.Address + col, 1});
            if (row.Covered[col] == HexRow::Cover::None)
                unknown.emplace_back(from, from + 2);
            text += u' ';
        }
        text += u' ';
        for (std::size_t col = 0; col < row.Bytes.size(); ++col) {
            const int from = static_cast<int>(text.size());
            switch (row.Covered[col]) {
            case HexRow::Cover::Later: continue;
            case HexRow::Cover::None:
                text += u'.';
                unknown.emplace_back(from, from + 1);
                m_shown.push_back({from, from + 1, row.Address + col, 1, true});
                continue;
            case HexRow::Cover::First: break;
            }
            QString shown = Display(row.Text[col]);
            shown.replace(u'\n', QChar(0x21B5));
            text += shown.isEmpty() ? QStringLiteral("·") : shown;
            const std::size_t length = m_codes->At(m_file.Bytes(), row.Address + col).Length;
            m_shown.push_back({from, static_cast<int>(text.size()), row.Address + col, length, true});
        }
    }
    m_shownEnd = rows.empty() ? m_top : rows.back().Address + rows.back().Bytes.size();
    m_hex->setPlainText(text);
    m_dimmed = Dim(m_hex, unknown);
}

void RomView::Select(std::uint64_t from, std::uint64_t to)
{
    m_selFrom = from;
    m_selTo = to;
    ShowSelectionInText();
    ShowStatus();
}

void RomView::ShowSelectionInText()
{
    // The shown pieces that hold the selected bytes, from the first to the last.
    const Shown* first = nullptr;
    const Shown* last = nullptr;
    QList<QTextEdit::ExtraSelection> codes = m_dimmed;
    QPlainTextEdit* edit = ShownEdit();
    for (const Shown& piece : m_shown) {
        const bool inside = m_selTo > m_selFrom ? piece.offset + piece.length > m_selFrom && piece.offset < m_selTo
                                                : piece.offset <= m_selFrom && m_selFrom < piece.offset + piece.length;
        if (!inside)
            continue;
        // In hexadecimal the bytes' digits hold the cursor; the codes'
        // text beside them is marked the same.
        if (piece.codeText) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(edit->document());
            mark.cursor.setPosition(piece.from);
            mark.cursor.setPosition(piece.to, QTextCursor::KeepAnchor);
            mark.format.setBackground(palette().color(QPalette::Highlight));
            mark.format.setForeground(palette().color(QPalette::HighlightedText));
            codes.append(mark);
            continue;
        }
        if (first && m_mode == Mode::Hex && piece.from > last->to + 3)
            continue;
        if (!first)
            first = &piece;
        last = &piece;
    }
    edit->setExtraSelections(codes);
    const bool rendering = std::exchange(m_rendering, true);
    QTextCursor cursor(edit->document());
    if (first) {
        cursor.setPosition(first->from);
        if (m_selTo > m_selFrom)
            cursor.setPosition(last->to, QTextCursor::KeepAnchor);
    }
    edit->setTextCursor(cursor);
    m_rendering = rendering;
}

void RomView::SelectionEdited()
{
    if (m_rendering)
        return;
    const QTextCursor cursor = ShownEdit()->textCursor();
    const int from = cursor.selectionStart(), to = cursor.selectionEnd();
    std::optional<std::uint64_t> first, end;
    for (const Shown& piece : m_shown) {
        const bool inside = from == to ? piece.from <= from && from < std::max(piece.to, piece.from + 1)
                                       : piece.to > from && piece.from < to;
        if (!inside)
            continue;
        first = std::min(first.value_or(piece.offset), piece.offset);
        end = std::max(end.value_or(0), piece.offset + piece.length);
    }
    if (!first)
        return;
    m_selFrom = *first;
    m_selTo = from == to ? *first : *end;
    ShowStatus();
}

void RomView::ShowStatus()
{
    const std::string_view bytes = m_file.Bytes();
    if (bytes.empty()) {
        m_status->setText(Texts::NoFile);
        return;
    }
    if (m_selTo <= m_selFrom) {
        m_status->setText(Texts::At.arg(HexNumber(m_selFrom)));
        return;
    }
    QString hex;
    for (std::uint64_t at = m_selFrom; at < m_selTo && at < m_selFrom + 16; ++at)
        hex += QStringLiteral("%1 ").arg(static_cast<unsigned char>(bytes[at]), 2, 16, QChar(u'0')).toUpper();
    if (m_selTo > m_selFrom + 16)
        hex += QStringLiteral("…");
    m_status->setText(Texts::Selection.arg(HexNumber(m_selFrom)).arg(m_selTo - m_selFrom).arg(hex.trimmed()));
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

std::optional<std::vector<std::string>> RomView::Needles(QString text, QString& refusal) const
{
    const TableDocument& document = m_notifier.document();
    if (text.startsWith(u'$')) {
        text.remove(0, 1).remove(u' ');
        const std::optional<std::string> bytes = ParseHexBytes(text.toStdString());
        if (!bytes || bytes->empty()) {
            refusal = Texts::BadHex;
            return std::nullopt;
        }
        return std::vector<std::string>{*bytes};
    }
    QString refused;
    const std::vector<std::string> characters = TypedCharacters(text, document.Encoding, refused);
    if (!refused.isEmpty()) {
        refusal = NotInEncodingText(refused, document.Encoding) + u'.';
        return std::nullopt;
    }
    // In the kana modes romaji syllables become kana, as typed in the grid.
    const InputMode mode = m_inputMode ? m_inputMode() : InputMode::Ascii;
    std::string bytes, pending;
    for (const std::string& character : characters) {
        if (mode == InputMode::Ascii) {
            bytes += character;
            continue;
        }
        const std::string typed = ConvertTypedKey(pending, character, mode, document.Encoding);
        if (typed != pending + character) {
            bytes += typed;
            pending.clear();
        } else if ((pending = typed).size() > 3) {
            bytes += pending.front();
            pending.erase(0, 1);
        }
    }
    bytes += pending;
    std::vector<std::string> needles = EncodeText(document, bytes);
    if (needles.empty()) {
        const std::size_t at = UnwritableAt(document, bytes);
        refusal = Texts::Unwritable.arg(ToDisplay(std::string_view(bytes).substr(at == std::string::npos ? 0 : at),
                                                  document.Encoding)
                                            .left(1));
        return std::nullopt;
    }
    return needles;
}

void RomView::FindNext(int direction)
{
    const std::string_view bytes = m_file.Bytes();
    if (m_find->text().isEmpty() || bytes.empty()) {
        m_find->setFocus();
        return;
    }
    if (m_find->text() != m_foundText) {
        QString refusal;
        if (!Search(m_find->text(), &refusal)) {
            m_status->setText(refusal);
            return;
        }
    }
    if (m_hits.empty()) {
        m_status->setText(Texts::NoHits.arg(m_find->text()));
        return;
    }
    // From the selection on, wrapping.
    const std::uint64_t from = m_selFrom;
    std::size_t index;
    if (direction > 0) {
        const auto next = std::ranges::upper_bound(m_hits, from);
        index = next == m_hits.end() ? 0 : static_cast<std::size_t>(next - m_hits.begin());
        if (m_selTo <= m_selFrom && next != m_hits.begin() && *(next - 1) == from)
            index = static_cast<std::size_t>(next - m_hits.begin()) - 1; // the cursor stands on a hit
    } else {
        const auto previous = std::ranges::lower_bound(m_hits, from);
        index = previous == m_hits.begin() ? m_hits.size() - 1 : static_cast<std::size_t>(previous - m_hits.begin()) - 1;
    }
    const std::uint64_t hit = m_hits[index];
    // The needle found there gives the selection's length.
    const auto needle = std::ranges::find_if(m_needles, [&](const std::string& n) { return bytes.substr(hit).starts_with(n); });
    const std::size_t length = needle == m_needles.end() ? 1 : needle->size();
    if (hit < m_top || hit >= m_shownEnd)
        SetTop(hit);
    Select(hit, hit + length);
    // The rows past the listed hits say how many more there are.
    if (index < ListedHits)
        m_hitList->setCurrentRow(static_cast<int>(index));
    else
        m_hitList->setCurrentRow(-1);
    m_status->setText(Texts::Hit.arg(index + 1).arg(m_hits.size()).arg(HexNumber(hit)));
}

bool RomView::Search(QString text, QString* refusal)
{
    const std::string_view bytes = m_file.Bytes();
    QString why;
    const std::optional<std::vector<std::string>> needles = Needles(text, why);
    m_hitList->clear();
    m_hits.clear();
    m_needles.clear();
    m_foundText.clear();
    if (!needles) {
        if (refusal)
            *refusal = why;
        return false;
    }
    m_hits = FindEncoded(bytes, *needles);
    m_needles = *needles;
    m_foundText = text;
    for (std::size_t i = 0; i < m_hits.size() && i < ListedHits; ++i) {
        const std::string line = ReadLine(*m_codes, bytes.substr(m_hits[i], 256), TitleBytes);
        auto* item = new QListWidgetItem(QStringLiteral("%1  %2").arg(HexNumber(m_hits[i], 8),
                                                                      ToDisplay(line, m_notifier.document().Encoding)));
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<qulonglong>(m_hits[i])));
        m_hitList->addItem(item);
    }
    if (m_hits.size() > ListedHits)
        m_hitList->addItem(Texts::MoreHits.arg(m_hits.size() - ListedHits));
    return true;
}

void RomView::AddBookmark()
{
    const std::string_view bytes = m_file.Bytes();
    if (bytes.empty())
        return;
    TableDocument& document = m_notifier.document();
    const std::uint64_t address = m_selFrom;
    const auto refuse = [this](const QString& why) {
        QMessageBox box(QMessageBox::Warning, Texts::BookmarkTitle, why, QMessageBox::Ok, this);
        box.exec();
    };
    if (address > static_cast<std::uint64_t>(INT32_MAX)) {
        refuse(Texts::AddressTooFar);
        return;
    }
    const std::size_t slot = document.BookmarkCount();
    if (slot >= SlotCount) {
        refuse(Texts::BookmarksFull);
        return;
    }
    // The selected text, else the line read from the address; never empty.
    const std::uint64_t end = m_selTo > m_selFrom ? std::min<std::uint64_t>(m_selTo, address + 256) : address + 256;
    std::string title = ReadLine(*m_codes, bytes.substr(address, end - address), TitleBytes);
    if (title.empty())
        title = AddressText(static_cast<std::int32_t>(address));
    TableChange change;
    change.BookmarksBefore = document.Bookmarks;
    change.BookmarksAfter = document.Bookmarks;
    (*change.BookmarksAfter)[slot] = {static_cast<std::int32_t>(address), std::move(title)};
    m_notifier.Make(std::move(change), Texts::BookmarkStep);
    m_status->setText(Texts::BookmarkAdded.arg(HexNumber(address)));
}

void RomView::cmdRomPointers_Click()
{
    const std::string_view bytes = m_file.Bytes();
    if (bytes.empty())
        return;
    // The table as it now is, whether saved or not: its end codes say where
    // strings start.
    std::string tableBytes;
    if (!FormatTable(m_notifier.document(), tableBytes))
        return;
    std::string error;
    const std::optional<ScriptTable> table = ScriptTable::Read(tableBytes, error);
    if (!table)
        return;
    const std::vector<FoundTable> found = FindPointerTables(bytes, *table, m_selFrom);
    if (found.empty()) {
        m_status->setText(Texts::NoPointers.arg(m_selFrom, 0, 16));
        return;
    }
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuRomPointers"));
    for (std::size_t i = 0; i < found.size() && i < 12; ++i) {
        const Block& block = found[i].block;
        const QString written = QString::fromStdString(BlockText(block));
        QAction* item = menu.addAction(Texts::PointerTable.arg(block.Count).arg(block.Pointers, 0, 16).arg(block.Format.Bits)
                                           .arg(QString::fromLatin1(MappingName(block.Format.Map))));
        item->setToolTip(written);
        connect(item, &QAction::triggered, this, [this, written] {
            if (m_offer)
                m_offer(m_file.Name(), written);
        });
    }
    menu.exec(mapToGlobal(rect().center()));
}

bool RomView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_margin && event->type() == QEvent::Paint) {
        QPainter painter(m_margin);
        painter.fillRect(m_margin->rect(), palette().color(QPalette::Window));
        painter.setFont(m_text->font());
        painter.setPen(palette().color(QPalette::PlaceholderText));
        const int digits = AddressDigits(m_file.Bytes().size());
        QTextBlock block = m_text->document()->firstBlock();
        for (std::size_t line = 0; block.isValid() && line < m_lineAddresses.size(); ++line, block = block.next()) {
            if (m_lineAddresses[line] == NoAddress)
                continue;
            const QRect place = m_text->cursorRect(QTextCursor(block));
            painter.drawText(QRect(0, place.top(), m_margin->width() - 5, place.height()), Qt::AlignRight | Qt::AlignVCenter,
                             AddressLabel(m_lineAddresses[line], digits));
        }
        return true;
    }
    const bool view = watched == m_text || watched == m_hex;
    const bool viewport = watched == m_text->viewport() || watched == m_hex->viewport();
    if (viewport && event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        Scroll(-delta / 40);
        return true;
    }
    if (viewport && event->type() == QEvent::Resize)
        QMetaObject::invokeMethod(this, &RomView::Render, Qt::QueuedConnection);
    if (!view || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool control = key->modifiers() & Qt::ControlModifier;
    const QTextCursor cursor = ShownEdit()->textCursor();
    switch (key->key()) {
    case Qt::Key_PageDown: Scroll(std::max(1, VisibleLines() - 1)); return true;
    case Qt::Key_PageUp: Scroll(-std::max(1, VisibleLines() - 1)); return true;
    case Qt::Key_Home:
        if (!control)
            break;
        SetTop(0);
        Select(0, 0);
        return true;
    case Qt::Key_End:
        if (!control || m_file.Bytes().empty())
            break;
        ShowEnd();
        return true;
    case Qt::Key_Down:
        if (cursor.blockNumber() + 1 < ShownEdit()->document()->blockCount())
            break;
        Scroll(+1);
        return true;
    case Qt::Key_Up:
        if (cursor.blockNumber() > 0)
            break;
        Scroll(-1);
        return true;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void RomView::ShowEnd()
{
    SetTop(LastTop());
    // The screen full: lines the last screen left empty take earlier ones.
    for (int step = 0; step < VisibleLines() && m_top > 0 && m_mode == Mode::Text; ++step) {
        if (static_cast<int>(m_lineAddresses.size()) >= VisibleLines())
            break;
        const std::uint64_t top = m_top;
        SetTop(LineBefore(*m_codes, m_file.Bytes(), m_top, LineWidth()));
        if (m_shownEnd < m_file.Bytes().size()) {
            SetTop(top); // one more line would push the last one out
            break;
        }
    }
    const std::uint64_t last = m_file.Bytes().size() - 1;
    Select(last, last);
}

void RomView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Render();
}

} // namespace zelvane
