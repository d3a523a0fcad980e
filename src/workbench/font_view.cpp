// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/font_view.h"

#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "document/code_pages.h"
#include "document/table_document.h"
#include "rom/glyphs.h"
#include "workbench/glyph_font.h"
#include "workbench/mapped_file.h"

#include <QBuffer>
#include <QComboBox>
#include <QHelpEvent>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QToolTip>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <unordered_map>

namespace zelvane {

namespace {
namespace Texts {
const auto Title = QStringLiteral("Font");
const auto Open = QStringLiteral("&Apri file...");
const auto NoFile = QStringLiteral("Nessun file aperto");
const auto CannotOpen = QStringLiteral("Impossibile aprire %1: %2");
const auto Address = QStringLiteral("Indirizzo:");
const auto Format = QStringLiteral("Formato:");
const auto Size = QStringLiteral("Glifo:");
const auto By = QStringLiteral("×");
const auto FirstCode = QStringLiteral("Primo codice:");
const auto Order = QStringLiteral("Ordine:");
const auto Count = QStringLiteral("Glifi:");
const QStringList Formats{QStringLiteral("1 bpp"),        QStringLiteral("2 bpp NES"), QStringLiteral("2 bpp SNES/Game Boy"),
                          QStringLiteral("4 bpp SNES"),   QStringLiteral("4 bpp GBA"), QStringLiteral("8 bpp")};
const QStringList Orders{QStringLiteral("Consecutivi"), QStringLiteral("Shift-JIS")};
const auto Read = QStringLiteral("&Riconosci");
const auto Stop = QStringLiteral("&Ferma");
const auto Accept = QStringLiteral("&Accetta");
const QStringList Sorts{QStringLiteral("Per codice"), QStringLiteral("Punteggio crescente"),
                        QStringLiteral("Punteggio decrescente")};
const QStringList Filters{QStringLiteral("Tutte"), QStringLiteral("Spuntate"), QStringLiteral("Non spuntate"),
                          QStringLiteral("Sotto la soglia")};
const auto CheckAll = QStringLiteral("Spunta &tutte");
const auto CheckSelected = QStringLiteral("Spunta &selezionate");
const auto UncheckAll = QStringLiteral("T&ogli spunte");
const auto Candidate = QStringLiteral("Carattere:");
const auto Threshold = QStringLiteral("Spuntate da sé da %1 in su");
const auto Reading = QStringLiteral("Lettura dei glifi in corso...");
const auto Stopped = QStringLiteral("Lettura interrotta.");
const auto Proposed = QStringLiteral("%1 proposte per i codici senza valore (%2 spuntate); spuntate quelle sicure.");
const auto Proposal = QStringLiteral("%1   %2   %3");
const auto NotInEncoding = QStringLiteral("%1 (non nella codifica)");
QString Written(std::size_t count)
{
    return count == 1 ? QStringLiteral("Scritto 1 valore nella tabella.") : QStringLiteral("Scritti %1 valori nella tabella.").arg(count);
}
QString Skipped(std::size_t count)
{
    return count == 1 ? QStringLiteral("1 saltato: quel codice ha già un valore.")
                      : QStringLiteral("%1 saltati: quei codici hanno già un valore.").arg(count);
}
const auto ChooseEncoding =
    QStringLiteral("%1 caratteri non stanno nella codifica della tabella (%2): scegline un'altra in Opzioni, Codifica testo.");
const auto Shown = QStringLiteral("%1: glifi da %2, %3 byte ciascuno");
const auto GlyphIsCode = QStringLiteral("&Questo glifo è il codice...");
const auto GlyphIsCodeTitle = QStringLiteral("Codice del glifo");
const auto GlyphIsCodeAsk = QStringLiteral("Codice del glifo %1 (esadecimale):");
const auto NoSuchFirstCode = QStringLiteral("Nessun primo codice dà al glifo %1 il codice %2 nell'ordine %3.");
const auto OrderCannotHold = QStringLiteral("Il codice %1 non esiste nell'ordine %2: il primo codice resta %3.");
} // namespace Texts

// The reader draws its references once for each glyph size: one for the run.
GlyphReader& SharedReader()
{
    static GlyphReader reader;
    return reader;
}

int Percent(float score)
{
    return qRound(score * 100);
}

// Bytes of one tile, and of one row of a tile (a glyph's row in 1 bpp).
std::pair<std::int64_t, std::int64_t> TileSteps(const FontLayout& layout)
{
    switch (layout.Format) {
    case PixelFormat::OneBpp: {
        const std::int64_t row = (layout.Width + 7) / 8;
        return {8 * row, row};
    }
    case PixelFormat::TwoBppNes: return {16, 1};
    case PixelFormat::TwoBppSnes: return {16, 2};
    case PixelFormat::FourBppSnes: return {32, 2};
    case PixelFormat::FourBppGba: return {32, 4};
    case PixelFormat::EightBpp: return {64, 8};
    }
    return {8, 1};
}

enum class Sort { Code, ScoreUp, ScoreDown };
enum class Filter { All, Ticked, Unticked, BelowThreshold };

QString LargeGlyphHtml(const QImage& picture, const QString& caption)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const int zoom = std::max(1, 64 / std::max(1, std::max(picture.width(), picture.height())));
    picture.scaled(picture.width() * zoom, picture.height() * zoom).save(&buffer, "PNG");
    return QStringLiteral("<img src=\"data:image/png;base64,%1\"><br>%2")
        .arg(QString::fromLatin1(png.toBase64()), caption.toHtmlEscaped());
}

} // namespace

FontView::FontView(TableNotifier& notifier, GlyphFont& font, Pick pick, Apply apply, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_notifier(notifier)
    , m_font(font)
    , m_pick(std::move(pick))
    , m_apply(std::move(apply))
{
    setObjectName(QStringLiteral("frmFont"));
    setWindowTitle(Texts::Title);
    auto* layout = new QVBoxLayout(this);
    auto* controls = new QGridLayout;
    auto* open = new QPushButton(Texts::Open, this);
    open->setObjectName(QStringLiteral("cmdFontOpen"));
    m_name = new QLabel(Texts::NoFile, this);
    m_name->setObjectName(QStringLiteral("lblFontFile"));
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("txtFontAddr"));
    m_address->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{1,16}")), m_address));
    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("cboFontFormat"));
    m_format->addItems(Texts::Formats);
    m_width = new QSpinBox(this);
    m_width->setObjectName(QStringLiteral("spnFontWidth"));
    m_height = new QSpinBox(this);
    m_height->setObjectName(QStringLiteral("spnFontHeight"));
    for (QSpinBox* side : {m_width, m_height})
        side->setRange(1, 64);
    m_code = new QLineEdit(this);
    m_code->setObjectName(QStringLiteral("txtFontCode"));
    m_code->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("([0-9A-Fa-f]{2}){1,4}")), m_code));
    m_order = new QComboBox(this);
    m_order->setObjectName(QStringLiteral("cboFontOrder"));
    m_order->addItems(Texts::Orders);
    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("spnFontCount"));
    m_count->setRange(1, 65536);
    controls->addWidget(open, 0, 0);
    controls->addWidget(m_name, 0, 1, 1, 7);
    controls->addWidget(new QLabel(Texts::Address, this), 1, 0);
    controls->addWidget(m_address, 1, 1);
    controls->addWidget(new QLabel(Texts::Format, this), 1, 2);
    controls->addWidget(m_format, 1, 3);
    controls->addWidget(new QLabel(Texts::Size, this), 1, 4);
    auto* size = new QHBoxLayout;
    size->addWidget(m_width);
    size->addWidget(new QLabel(Texts::By, this));
    size->addWidget(m_height);
    controls->addLayout(size, 1, 5);
    controls->addWidget(new QLabel(Texts::FirstCode, this), 2, 0);
    controls->addWidget(m_code, 2, 1);
    controls->addWidget(new QLabel(Texts::Order, this), 2, 2);
    controls->addWidget(m_order, 2, 3);
    controls->addWidget(new QLabel(Texts::Count, this), 2, 4);
    controls->addWidget(m_count, 2, 5);
    layout->addLayout(controls);

    auto* middle = new QHBoxLayout;
    m_sheet = new QWidget(this);
    m_sheet->setObjectName(QStringLiteral("picFontSheet"));
    m_sheet->setFocusPolicy(Qt::StrongFocus);
    m_sheet->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_sheet->installEventFilter(this);
    middle->addWidget(m_sheet, 0, Qt::AlignTop);
    auto* side = new QVBoxLayout;
    auto* buttons = new QHBoxLayout;
    m_read = new QPushButton(Texts::Read, this);
    m_read->setObjectName(QStringLiteral("cmdFontRead"));
    m_stopButton = new QPushButton(Texts::Stop, this);
    m_stopButton->setObjectName(QStringLiteral("cmdFontStop"));
    m_stopButton->setEnabled(false);
    m_accept = new QPushButton(Texts::Accept, this);
    m_accept->setObjectName(QStringLiteral("cmdFontAccept"));
    m_accept->setEnabled(false);
    buttons->addWidget(m_read);
    buttons->addWidget(m_stopButton);
    buttons->addWidget(m_accept);
    side->addLayout(buttons);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("prgFontRead"));
    side->addWidget(m_progress);
    auto* review = new QHBoxLayout;
    m_sort = new QComboBox(this);
    m_sort->setObjectName(QStringLiteral("cboFontSort"));
    m_sort->addItems(Texts::Sorts);
    m_filter = new QComboBox(this);
    m_filter->setObjectName(QStringLiteral("cboFontFilter"));
    m_filter->addItems(Texts::Filters);
    review->addWidget(m_sort);
    review->addWidget(m_filter);
    side->addLayout(review);
    auto* ticks = new QHBoxLayout;
    auto* checkAll = new QPushButton(Texts::CheckAll, this);
    checkAll->setObjectName(QStringLiteral("cmdFontCheckAll"));
    auto* checkSelected = new QPushButton(Texts::CheckSelected, this);
    checkSelected->setObjectName(QStringLiteral("cmdFontCheckSelected"));
    auto* uncheckAll = new QPushButton(Texts::UncheckAll, this);
    uncheckAll->setObjectName(QStringLiteral("cmdFontUncheckAll"));
    ticks->addWidget(checkAll);
    ticks->addWidget(checkSelected);
    ticks->addWidget(uncheckAll);
    side->addLayout(ticks);
    m_guesses = new QListWidget(this);
    m_guesses->setObjectName(QStringLiteral("lstFontGuess"));
    m_guesses->setIconSize(QSize(24, 24));
    m_guesses->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_guesses->setMinimumWidth(280);
    m_guesses->viewport()->installEventFilter(this);
    side->addWidget(m_guesses, 1);
    auto* chosen = new QHBoxLayout;
    m_glyph = new QLabel(this);
    m_glyph->setObjectName(QStringLiteral("lblFontGlyph"));
    m_glyph->setFixedSize(76, 76);
    m_glyph->setAlignment(Qt::AlignCenter);
    m_glyph->setFrameShape(QFrame::StyledPanel);
    m_glyph->setBackgroundRole(QPalette::Base);
    m_glyph->setAutoFillBackground(true);
    chosen->addWidget(m_glyph);
    auto* pickBox = new QVBoxLayout;
    pickBox->addWidget(new QLabel(Texts::Candidate, this));
    m_candidates = new QComboBox(this);
    m_candidates->setObjectName(QStringLiteral("cboFontCandidate"));
    m_candidates->setEditable(true);
    m_candidates->setInsertPolicy(QComboBox::NoInsert);
    m_candidates->setEnabled(false);
    pickBox->addWidget(m_candidates);
    pickBox->addWidget(new QLabel(Texts::Threshold.arg(QString::number(TickedPercent / 100.0, 'f', 2)), this));
    chosen->addLayout(pickBox, 1);
    side->addLayout(chosen);
    middle->addLayout(side, 1);
    layout->addLayout(middle, 1);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblFontStatus"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    ShowLayout();
    connect(open, &QPushButton::clicked, this, [this] {
        if (const QString path = ChooseGameFile(this); !path.isEmpty())
            OpenFile(path);
    });
    for (QLineEdit* box : {m_address, m_code})
        connect(box, &QLineEdit::editingFinished, this, &FontView::LayoutEdited);
    for (QComboBox* box : {m_format, m_order})
        connect(box, &QComboBox::currentIndexChanged, this, &FontView::LayoutEdited);
    for (QSpinBox* box : {m_width, m_height})
        connect(box, &QSpinBox::valueChanged, this, &FontView::LayoutEdited);
    connect(m_count, &QSpinBox::valueChanged, this, [this](int count) { m_font.SetCount(static_cast<std::size_t>(count)); });
    connect(m_read, &QPushButton::clicked, this, &FontView::cmdFontRead_Click);
    connect(m_stopButton, &QPushButton::clicked, this, &FontView::StopReading);
    connect(m_accept, &QPushButton::clicked, this, &FontView::cmdFontAccept_Click);
    connect(checkAll, &QPushButton::clicked, this, &FontView::CheckAll);
    connect(checkSelected, &QPushButton::clicked, this, &FontView::CheckSelected);
    connect(uncheckAll, &QPushButton::clicked, this, &FontView::UncheckAll);
    for (QComboBox* box : {m_sort, m_filter})
        connect(box, &QComboBox::currentIndexChanged, this, &FontView::ShowProposals);
    connect(m_guesses, &QListWidget::itemChanged, this, &FontView::ItemChanged);
    connect(m_guesses, &QListWidget::currentItemChanged, this, &FontView::ShowChosen);
    connect(m_candidates, &QComboBox::activated, this, [this](int index) { CandidateChosen(m_candidates->itemText(index)); });
    connect(m_candidates->lineEdit(), &QLineEdit::returnPressed, this, [this] { CandidateChosen(m_candidates->currentText()); });
    connect(&m_font, &GlyphFont::changed, this, [this] {
        ShowLayout();
        m_sheet->setFixedSize(CellSize().width() * 16, CellSize().height() * 16);
        m_sheet->update();
        // Proposals belong to the glyphs they were read from.
        if (!m_proposals.empty() && !(CurrentSource() == m_source))
            ClearProposals();
    });
    // The sheet's labels and the proposals follow the table.
    connect(&m_notifier, &TableNotifier::valuesChanged, this, [this] {
        m_sheet->update();
        ShowProposals();
    });
    connect(&m_notifier, &TableNotifier::replaced, this, &FontView::ClearProposals);
    m_sheet->setFixedSize(CellSize().width() * 16, CellSize().height() * 16);
}

FontView::~FontView()
{
    StopReading();
}

FontView::Source FontView::CurrentSource() const
{
    return {m_font.FileName(), m_font.Layout(), m_font.FirstCode(), m_font.Order()};
}

void FontView::OpenFile(const QString& path)
{
    QString reason;
    if (!m_font.Open(path, reason)) {
        m_status->setText(Texts::CannotOpen.arg(path, reason));
        return;
    }
    ShowLayout();
}

void FontView::ShowLayout()
{
    const FontLayout& layout = m_font.Layout();
    const QSignalBlocker blockers[] = {QSignalBlocker(m_address), QSignalBlocker(m_format), QSignalBlocker(m_width),
                                       QSignalBlocker(m_height),  QSignalBlocker(m_code),   QSignalBlocker(m_order),
                                       QSignalBlocker(m_count)};
    m_address->setText(QString::number(layout.Address, 16).toUpper());
    m_format->setCurrentIndex(static_cast<int>(layout.Format));
    m_width->setValue(layout.Width);
    m_height->setValue(layout.Height);
    m_code->setText(QString::fromStdString(HexText(m_font.FirstCode())));
    m_order->setCurrentIndex(static_cast<int>(m_font.Order()));
    m_count->setValue(static_cast<int>(std::min<std::size_t>(m_font.Count(), 65536)));
    // The window says which file it shows, also when opened again.
    m_name->setText(m_font.IsOpen() ? m_font.FileName() : Texts::NoFile);
    setWindowTitle(m_font.IsOpen() ? Texts::Title + QStringLiteral(" - ") + m_font.FileName() : Texts::Title);
    if (m_font.IsOpen() && m_proposals.empty() && !m_worker.joinable())
        m_status->setText(Texts::Shown.arg(HexNumber(layout.Address)).arg(QString::fromStdString(HexText(m_font.Code(0))))
                              .arg(GlyphBytes(layout)));
}

void FontView::LayoutEdited()
{
    FontLayout layout;
    layout.Address = m_address->text().toULongLong(nullptr, 16);
    layout.Format = static_cast<PixelFormat>(m_format->currentIndex());
    layout.Width = m_width->value();
    layout.Height = m_height->value();
    const auto order = static_cast<CodeOrder>(m_order->currentIndex());
    std::string code = ParseHexBytes(m_code->text().toStdString()).value_or(m_font.FirstCode());
    if (code.empty())
        code = m_font.FirstCode();
    QString refusal;
    if (!OrderHolds(code, order)) {
        // The order cannot start there: the code it had, or its first.
        std::string kept = OrderHolds(m_font.FirstCode(), order) ? m_font.FirstCode()
                           : order == CodeOrder::ShiftJis        ? std::string("\x81\x40", 2)
                                                                  : std::string(1, '\0');
        refusal = Texts::OrderCannotHold.arg(QString::fromStdString(HexText(code)), Texts::Orders[static_cast<int>(order)],
                                             QString::fromStdString(HexText(kept)));
        code = std::move(kept);
    }
    m_font.SetLayout(layout, std::move(code), order);
    ShowLayout();
    if (!refusal.isEmpty())
        m_status->setText(refusal);
}

bool FontView::GlyphIsCode(int glyph, const QString& code)
{
    const std::optional<std::string> bytes = ParseHexBytes(code.trimmed().toStdString());
    const std::optional<std::string> first =
        bytes && glyph >= 0 ? FirstCodeFor(*bytes, m_font.Order(), static_cast<std::size_t>(glyph)) : std::nullopt;
    if (!first) {
        m_status->setText(Texts::NoSuchFirstCode.arg(glyph).arg(code.trimmed().toUpper(),
                                                                Texts::Orders[static_cast<int>(m_font.Order())]));
        return false;
    }
    m_font.SetLayout(m_font.Layout(), *first, m_font.Order());
    return true;
}

void FontView::AskGlyphCode(int glyph)
{
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("dlgFontGlyphCode"));
    dialog.setWindowTitle(Texts::GlyphIsCodeTitle);
    dialog.setLabelText(Texts::GlyphIsCodeAsk.arg(glyph));
    dialog.setTextValue(QString::fromStdString(HexText(m_font.Code(static_cast<std::size_t>(glyph)))));
    if (dialog.exec() == QDialog::Accepted)
        GlyphIsCode(glyph, dialog.textValue());
}

void FontView::Move(std::int64_t bytes)
{
    FontLayout layout = m_font.Layout();
    const std::uint64_t size = m_font.Bytes().size();
    if (bytes < 0)
        layout.Address -= std::min<std::uint64_t>(layout.Address, static_cast<std::uint64_t>(-bytes));
    else if (size > 0)
        layout.Address = std::min<std::uint64_t>(layout.Address + static_cast<std::uint64_t>(bytes), size - 1);
    m_font.SetLayout(layout, m_font.FirstCode(), m_font.Order());
}

QSize FontView::CellSize() const
{
    const FontLayout& layout = m_font.Layout();
    const int zoom = std::max(1, 24 / std::max(layout.Width, layout.Height));
    const QFontMetrics metrics(font());
    const int width = std::max(layout.Width * zoom, metrics.horizontalAdvance(QStringLiteral("8140"))) + 6;
    return {std::max(width, 34), layout.Height * zoom + 2 * metrics.height() + 4};
}

void FontView::PaintSheet()
{
    QPainter painter(m_sheet);
    painter.fillRect(m_sheet->rect(), palette().color(QPalette::Base));
    const FontLayout& layout = m_font.Layout();
    const QSize cell = CellSize();
    const int zoom = std::max(1, 24 / std::max(layout.Width, layout.Height));
    const TableDocument& document = m_notifier.document();
    const QFontMetrics metrics(font());
    // The sheet's codes and their values, found in one pass over the table.
    std::vector<std::string> codes(256);
    for (std::size_t i = 0; i < codes.size(); ++i)
        codes[i] = m_font.Code(i);
    const std::vector<std::optional<std::string>> values = CodeValues(document, codes);
    for (int i = 0; i < 256; ++i) {
        const QRect place(i % 16 * cell.width(), i / 16 * cell.height(), cell.width(), cell.height());
        if (i == m_current)
            painter.fillRect(place, palette().color(QPalette::Highlight).lighter(170));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(place.adjusted(0, 0, -1, -1));
        const GlyphImage glyph = m_font.Glyph(static_cast<std::size_t>(i));
        if (glyph.Pixels.empty())
            continue;
        const QImage picture = GlyphFont::Picture(glyph).scaled(glyph.Width * zoom, glyph.Height * zoom);
        painter.drawImage(place.left() + (cell.width() - picture.width()) / 2, place.top() + 2, picture);
        const int below = place.top() + 2 + picture.height();
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(QRect(place.left(), below, cell.width(), metrics.height()), Qt::AlignCenter,
                         QString::fromStdString(HexText(codes[static_cast<std::size_t>(i)])));
        if (const std::optional<std::string>& value = values[static_cast<std::size_t>(i)]) {
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(QRect(place.left() + 1, below + metrics.height(), cell.width() - 2, metrics.height()),
                             Qt::AlignCenter, ToShortDisplay(*value, document.Encoding));
        }
    }
}

bool FontView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_guesses->viewport() && event->type() == QEvent::ToolTip) {
        // The glyph large, and what the reader saw in it.
        const auto* help = static_cast<QHelpEvent*>(event);
        const QListWidgetItem* item = m_guesses->itemAt(help->pos());
        if (!item)
            return false;
        const Proposal& proposal = m_proposals[item->data(Qt::UserRole).toULongLong()];
        QStringList candidates;
        for (const GlyphGuess& guess : proposal.guesses)
            candidates << QStringLiteral("%1 %2").arg(QString::fromUtf8(guess.Text)).arg(guess.Score, 0, 'f', 2);
        QToolTip::showText(help->globalPos(), LargeGlyphHtml(proposal.picture, candidates.join(QStringLiteral("  "))),
                           m_guesses->viewport());
        return true;
    }
    if (watched != m_sheet)
        return QWidget::eventFilter(watched, event);
    const FontLayout& layout = m_font.Layout();
    const auto glyphBytes = static_cast<std::int64_t>(GlyphBytes(layout));
    const auto glyphAt = [this](const QPoint& at) {
        const QSize cell = CellSize();
        const int column = at.x() / cell.width(), row = at.y() / cell.height();
        return column < 16 && row < 16 ? row * 16 + column : -1;
    };
    switch (event->type()) {
    case QEvent::Paint: PaintSheet(); return true;
    case QEvent::MouseButtonPress: {
        if (const int glyph = glyphAt(static_cast<QMouseEvent*>(event)->position().toPoint()); glyph >= 0) {
            m_current = glyph;
            m_sheet->update();
            if (const std::string code = m_font.Code(static_cast<std::size_t>(m_current)); !code.empty() && m_pick)
                m_pick(code);
        }
        return true;
    }
    case QEvent::ContextMenu: {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        const int glyph = menuEvent->reason() == QContextMenuEvent::Mouse ? glyphAt(menuEvent->pos()) : m_current;
        if (glyph < 0 || !m_font.IsOpen())
            return true;
        m_current = glyph;
        m_sheet->update();
        QMenu menu(this);
        QAction* code = menu.addAction(Texts::GlyphIsCode);
        if (menu.exec(menuEvent->globalPos()) == code)
            AskGlyphCode(glyph);
        return true;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool control = key->modifiers() & Qt::ControlModifier;
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        const auto [tile, tileRow] = TileSteps(layout);
        switch (key->key()) {
        case Qt::Key_Left: Move(control ? -1 : shift ? -tile : -glyphBytes); return true;
        case Qt::Key_Right: Move(control ? 1 : shift ? tile : glyphBytes); return true;
        case Qt::Key_Up: Move(shift ? -tileRow : -16 * glyphBytes); return true;
        case Qt::Key_Down: Move(shift ? tileRow : 16 * glyphBytes); return true;
        case Qt::Key_PageUp: Move(-256 * glyphBytes); return true;
        case Qt::Key_PageDown: Move(256 * glyphBytes); return true;
        case Qt::Key_Menu: {
            QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(), m_sheet->mapToGlobal(QPoint()));
            return eventFilter(m_sheet, &menuEvent);
        }
        default: break;
        }
        break;
    }
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void FontView::cmdFontRead_Click()
{
    if (!m_font.IsOpen() || m_worker.joinable())
        return;
    // What the boxes say now, also when typed without Enter.
    LayoutEdited();
    // Every glyph from the address is read, for the font's order to help;
    // the list shows those whose code has no value.
    std::vector<GlyphImage> glyphs;
    std::vector<Proposal> proposals;
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_count->value()); ++i) {
        GlyphImage glyph = m_font.Glyph(i);
        std::string code = m_font.Code(i);
        if (glyph.Pixels.empty() || code.empty())
            break;
        Proposal proposal;
        proposal.glyph = i;
        proposal.code = std::move(code);
        proposal.picture = GlyphFont::Picture(glyph);
        proposals.push_back(std::move(proposal));
        glyphs.push_back(std::move(glyph));
    }
    ClearProposals();
    m_read->setEnabled(false);
    m_stopButton->setEnabled(true);
    m_progress->setRange(0, static_cast<int>(glyphs.size()));
    m_progress->setValue(0);
    m_status->setText(Texts::Reading);
    m_stop = false;
    m_worker = std::thread([this, source = CurrentSource(), glyphs = std::move(glyphs), proposals = std::move(proposals)]() mutable {
        struct Context {
            FontView* view;
        } context{this};
        auto guesses = SharedReader().ReadAll(glyphs, 5,
                                              [](void* data, std::size_t done, std::size_t) {
                                                  FontView* view = static_cast<Context*>(data)->view;
                                                  QMetaObject::invokeMethod(view, [view, done] {
                                                      view->m_progress->setValue(static_cast<int>(done));
                                                  }, Qt::QueuedConnection);
                                                  return !view->m_stop.load();
                                              },
                                              &context);
        QMetaObject::invokeMethod(this, [this, source = std::move(source), proposals = std::move(proposals),
                                         guesses = std::move(guesses)]() mutable {
            ReadingDone(std::move(source), std::move(proposals), std::move(guesses));
        }, Qt::QueuedConnection);
    });
}

void FontView::StopReading()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

void FontView::ReadingDone(Source source, std::vector<Proposal> proposals, std::vector<std::vector<GlyphGuess>> guesses)
{
    if (m_worker.joinable())
        m_worker.join();
    m_read->setEnabled(true);
    m_stopButton->setEnabled(false);
    const bool stopped = m_stop;
    // Read from a layout or file that is no longer the one shown: dropped.
    if (!(source == CurrentSource())) {
        m_status->setText(Texts::Stopped);
        return;
    }
    m_source = std::move(source);
    m_proposals.clear();
    for (Proposal& proposal : proposals) {
        if (proposal.glyph >= guesses.size() || guesses[proposal.glyph].empty())
            continue;
        proposal.guesses = std::move(guesses[proposal.glyph]);
        proposal.text = QString::fromUtf8(proposal.guesses.front().Text);
        proposal.score = proposal.guesses.front().Score;
        m_proposals.push_back(std::move(proposal));
    }
    ShowProposals();
    if (stopped)
        m_status->setText(Texts::Stopped + u' ' + m_status->text());
}

void FontView::ClearProposals()
{
    m_proposals.clear();
    m_source = {};
    ShowProposals();
    ShowLayout();
}

std::optional<std::string> FontView::Written(const Proposal& proposal) const
{
    const TextEncoding encoding = m_notifier.document().Encoding;
    if (std::optional<std::string> bytes = FromDisplay(proposal.text, encoding))
        return bytes;
    // Full-width Ａ is A, half-width ｱ is ア, where the encoding has only one.
    const QString same = proposal.text.normalized(QString::NormalizationForm_KC);
    if (same != proposal.text)
        return FromDisplay(same, encoding);
    return std::nullopt;
}

void FontView::WorkOutTicks()
{
    // The likeliest proposal of each character.
    std::unordered_map<QString, std::size_t> likeliest;
    for (std::size_t i = 0; i < m_proposals.size(); ++i) {
        const auto [found, added] = likeliest.emplace(m_proposals[i].text, i);
        if (!added && m_proposals[i].score > m_proposals[found->second].score)
            found->second = i;
    }
    m_ticked.assign(m_proposals.size(), 0);
    for (std::size_t i = 0; i < m_proposals.size(); ++i) {
        const Proposal& proposal = m_proposals[i];
        if (!Written(proposal))
            continue;
        if (proposal.ticked)
            m_ticked[i] = *proposal.ticked;
        else
            m_ticked[i] = Percent(proposal.score) >= TickedPercent && likeliest[proposal.text] == i;
    }
}

std::vector<std::size_t> FontView::ShownProposals() const
{
    std::vector<std::size_t> shown;
    for (int row = 0; row < m_guesses->count(); ++row) {
        const QListWidgetItem* item = m_guesses->item(row);
        shown.push_back(item->data(Qt::UserRole).toULongLong());
    }
    return shown;
}

std::optional<std::size_t> FontView::ChosenProposal() const
{
    const QListWidgetItem* item = m_guesses->currentItem();
    if (!item)
        return std::nullopt;
    return item->data(Qt::UserRole).toULongLong();
}

void FontView::ShowProposals()
{
    WorkOutTicks();
    const TableDocument& document = m_notifier.document();
    std::vector<std::string> codes;
    codes.reserve(m_proposals.size());
    for (const Proposal& proposal : m_proposals)
        codes.push_back(proposal.code);
    const std::vector<std::optional<std::string>> values = CodeValues(document, codes);
    std::vector<std::size_t> open;
    std::size_t unwritable = 0, ticked = 0;
    for (std::size_t i = 0; i < m_proposals.size(); ++i) {
        if (values[i])
            continue; // the table says what this code is
        open.push_back(i);
        unwritable += Written(m_proposals[i]) ? 0 : 1;
        ticked += Ticked(i) ? 1 : 0;
    }
    std::vector<std::size_t> shown;
    const auto filter = static_cast<Filter>(m_filter->currentIndex());
    std::ranges::copy_if(open, std::back_inserter(shown), [&](std::size_t i) {
        switch (filter) {
        case Filter::All: return true;
        case Filter::Ticked: return Ticked(i);
        case Filter::Unticked: return !Ticked(i);
        case Filter::BelowThreshold: return Percent(m_proposals[i].score) < TickedPercent;
        }
        return true;
    });
    const auto sort = static_cast<Sort>(m_sort->currentIndex());
    if (sort != Sort::Code) {
        std::ranges::stable_sort(shown, [&](std::size_t a, std::size_t b) {
            return sort == Sort::ScoreUp ? m_proposals[a].score < m_proposals[b].score
                                         : m_proposals[a].score > m_proposals[b].score;
        });
    }
    const std::optional<std::size_t> chosen = ChosenProposal();
    const int scrolled = m_guesses->verticalScrollBar() ? m_guesses->verticalScrollBar()->value() : 0;
    {
        const QSignalBlocker blocker(m_guesses);
        m_showing = true;
        m_guesses->clear();
        for (const std::size_t i : shown) {
            const Proposal& proposal = m_proposals[i];
            const bool writable = Written(proposal).has_value();
            auto* item = new QListWidgetItem(
                QIcon(QPixmap::fromImage(proposal.picture.scaled(24, 24, Qt::KeepAspectRatio))),
                Texts::Proposal.arg(QString::fromStdString(HexText(proposal.code)),
                                    writable ? proposal.text : Texts::NotInEncoding.arg(proposal.text),
                                    QString::number(Percent(proposal.score) / 100.0, 'f', 2)));
            item->setFlags(writable ? item->flags() | Qt::ItemIsUserCheckable : item->flags() & ~Qt::ItemIsUserCheckable);
            item->setCheckState(Ticked(i) ? Qt::Checked : Qt::Unchecked);
            item->setData(Qt::UserRole, QVariant::fromValue(static_cast<qulonglong>(i)));
            m_guesses->addItem(item);
            if (chosen && *chosen == i)
                m_guesses->setCurrentItem(item);
        }
        m_showing = false;
    }
    m_guesses->verticalScrollBar()->setValue(scrolled);
    ShowChosen();
    m_accept->setEnabled(ticked > 0);
    if (m_worker.joinable())
        return;
    if (m_proposals.empty()) {
        if (!m_font.IsOpen())
            m_status->clear();
        return;
    }
    QString status = Texts::Proposed.arg(open.size()).arg(ticked);
    if (unwritable > 0)
        status += u' ' + Texts::ChooseEncoding.arg(unwritable).arg(EncodingName(document.Encoding));
    m_status->setText(status);
}

void FontView::ShowChosen()
{
    const std::optional<std::size_t> chosen = ChosenProposal();
    const QSignalBlocker blocker(m_candidates);
    m_candidates->clear();
    m_candidates->setEnabled(chosen.has_value());
    if (!chosen) {
        m_glyph->clear();
        return;
    }
    const Proposal& proposal = m_proposals[*chosen];
    const int zoom = std::max(1, 64 / std::max(1, std::max(proposal.picture.width(), proposal.picture.height())));
    m_glyph->setPixmap(QPixmap::fromImage(proposal.picture.scaled(proposal.picture.width() * zoom,
                                                                  proposal.picture.height() * zoom)));
    for (const GlyphGuess& guess : proposal.guesses) {
        m_candidates->addItem(QStringLiteral("%1").arg(QString::fromUtf8(guess.Text)));
        m_candidates->setItemData(m_candidates->count() - 1, QString::number(guess.Score, 'f', 2), Qt::ToolTipRole);
    }
    m_candidates->setCurrentText(proposal.text);
    // The glyph in the sheet too, when it is on it.
    if (proposal.glyph < 256 && static_cast<int>(proposal.glyph) != m_current) {
        m_current = static_cast<int>(proposal.glyph);
        m_sheet->update();
    }
}

void FontView::ItemChanged(QListWidgetItem* item)
{
    if (m_showing)
        return;
    const std::size_t index = item->data(Qt::UserRole).toULongLong();
    m_proposals[index].ticked = item->checkState() == Qt::Checked;
    ShowProposals();
}

void FontView::CandidateChosen(const QString& text)
{
    const std::optional<std::size_t> chosen = ChosenProposal();
    if (!chosen || text.isEmpty())
        return;
    Proposal& proposal = m_proposals[*chosen];
    proposal.text = text;
    // A candidate keeps its score; a typed character is the user's word.
    const auto guess = std::ranges::find_if(proposal.guesses, [&](const GlyphGuess& g) { return QString::fromUtf8(g.Text) == text; });
    proposal.score = guess != proposal.guesses.end() ? guess->Score : 1.0f;
    proposal.ticked = true;
    ShowProposals();
}

void FontView::SetTicks(const std::vector<std::size_t>& proposals, bool ticked)
{
    for (const std::size_t i : proposals)
        m_proposals[i].ticked = ticked;
    ShowProposals();
}

void FontView::CheckAll()
{
    SetTicks(ShownProposals(), true);
}

void FontView::CheckSelected()
{
    std::vector<std::size_t> selected;
    for (const QListWidgetItem* item : m_guesses->selectedItems())
        selected.push_back(item->data(Qt::UserRole).toULongLong());
    SetTicks(selected, true);
}

void FontView::UncheckAll()
{
    SetTicks(ShownProposals(), false);
}

void FontView::cmdFontAccept_Click()
{
    // Only codes that have no value now: a value typed meanwhile stays.
    std::vector<std::string> codes;
    for (const Proposal& proposal : m_proposals)
        codes.push_back(proposal.code);
    const std::vector<std::optional<std::string>> values = CodeValues(m_notifier.document(), codes);
    std::vector<std::pair<std::string, std::string>> written;
    std::size_t skipped = 0;
    for (std::size_t i = 0; i < m_proposals.size(); ++i) {
        if (!Ticked(i))
            continue;
        if (values[i]) {
            ++skipped;
            continue;
        }
        written.emplace_back(m_proposals[i].code, *Written(m_proposals[i]));
    }
    if (!written.empty()) {
        std::ranges::sort(written, [](const auto& a, const auto& b) {
            return a.first.size() != b.first.size() ? a.first.size() < b.first.size() : a.first < b.first;
        });
        m_apply(written);
    }
    QString status = Texts::Written(written.size());
    if (skipped > 0)
        status += u' ' + Texts::Skipped(skipped);
    m_status->setText(status);
}

} // namespace zelvane
