// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/font_view.h"

#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "document/code_pages.h"
#include "document/table_document.h"
#include "rom/glyphs.h"
#include "workbench/glyph_font.h"
#include "workbench/mapped_file.h"

#include <QComboBox>
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
#include <QSpinBox>
#include <QVBoxLayout>

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
const auto Reading = QStringLiteral("Lettura dei glifi in corso...");
const auto Stopped = QStringLiteral("Lettura interrotta.");
const auto Proposed = QStringLiteral("%1 proposte per i codici senza valore; spuntate quelle sicure.");
const auto Proposal = QStringLiteral("%1   %2   %3");
const auto NotInEncoding = QStringLiteral("%1 (non nella codifica)");
const auto Written = QStringLiteral("Scritti %1 valori nella tabella.");
const auto ChooseEncoding =
    QStringLiteral("%1 caratteri non stanno nella codifica della tabella (%2): scegline un'altra in Opzioni, Codifica testo.");
const auto Shown = QStringLiteral("%1: glifi da %2, %3 byte ciascuno");
} // namespace Texts

// The reader draws its references once for each glyph size: one for the run.
GlyphReader& SharedReader()
{
    static GlyphReader reader;
    return reader;
}

// A confident proposal is checked at once.
constexpr float CheckedScore = 0.9f;

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
    m_count->setValue(256);
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
    m_sheet->installEventFilter(this);
    middle->addWidget(m_sheet);
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
    m_guesses = new QListWidget(this);
    m_guesses->setObjectName(QStringLiteral("lstFontGuess"));
    m_guesses->setIconSize(QSize(32, 32));
    m_guesses->setSpacing(2);
    m_guesses->setMinimumWidth(240);
    side->addWidget(m_guesses, 1);
    middle->addLayout(side, 1);
    layout->addLayout(middle, 1);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblFontStatus"));
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
    connect(m_read, &QPushButton::clicked, this, &FontView::cmdFontRead_Click);
    connect(m_stopButton, &QPushButton::clicked, this, &FontView::StopReading);
    connect(m_accept, &QPushButton::clicked, this, &FontView::cmdFontAccept_Click);
    connect(&m_font, &GlyphFont::changed, this, [this] {
        ShowLayout();
        m_sheet->setFixedSize(CellSize().width() * 16, CellSize().height() * 16);
        m_sheet->update();
    });
    // The labels show the table's values.
    for (auto signal : {&TableNotifier::listsChanged, &TableNotifier::replaced, &TableNotifier::encodingChanged})
        connect(&m_notifier, signal, m_sheet, qOverload<>(&QWidget::update));
    connect(&m_notifier, &TableNotifier::entriesChanged, m_sheet, qOverload<>(&QWidget::update));
    m_sheet->setFixedSize(CellSize().width() * 16, CellSize().height() * 16);
}

FontView::~FontView()
{
    StopReading();
}

void FontView::OpenFile(const QString& path)
{
    QString reason;
    if (!m_font.Open(path, reason)) {
        m_name->setText(Texts::CannotOpen.arg(path, reason));
        return;
    }
    m_name->setText(path);
    setWindowTitle(Texts::Title + QStringLiteral(" - ") + path);
}

void FontView::ShowLayout()
{
    const FontLayout& layout = m_font.Layout();
    const QSignalBlocker blockers[] = {QSignalBlocker(m_address), QSignalBlocker(m_format), QSignalBlocker(m_width),
                                       QSignalBlocker(m_height),  QSignalBlocker(m_code),   QSignalBlocker(m_order)};
    m_address->setText(QString::number(layout.Address, 16).toUpper());
    m_format->setCurrentIndex(static_cast<int>(layout.Format));
    m_width->setValue(layout.Width);
    m_height->setValue(layout.Height);
    m_code->setText(QString::fromStdString(HexText(m_font.FirstCode())));
    m_order->setCurrentIndex(static_cast<int>(m_font.Order()));
    if (m_font.IsOpen())
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
    std::string code = ParseHexBytes(m_code->text().toStdString()).value_or(m_font.FirstCode());
    if (code.empty())
        code = m_font.FirstCode();
    m_font.SetLayout(layout, std::move(code), static_cast<CodeOrder>(m_order->currentIndex()));
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
    if (watched != m_sheet)
        return QWidget::eventFilter(watched, event);
    const auto glyphBytes = static_cast<std::int64_t>(GlyphBytes(m_font.Layout()));
    switch (event->type()) {
    case QEvent::Paint: PaintSheet(); return true;
    case QEvent::MouseButtonPress: {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QSize cell = CellSize();
        const int column = at.x() / cell.width(), row = at.y() / cell.height();
        if (column < 16 && row < 16) {
            m_current = row * 16 + column;
            m_sheet->update();
            if (const std::string code = m_font.Code(static_cast<std::size_t>(m_current)); !code.empty() && m_pick)
                m_pick(code);
        }
        return true;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool control = key->modifiers() & Qt::ControlModifier;
        switch (key->key()) {
        case Qt::Key_Left: Move(control ? -1 : -glyphBytes); return true;
        case Qt::Key_Right: Move(control ? 1 : glyphBytes); return true;
        case Qt::Key_Up: Move(-16 * glyphBytes); return true;
        case Qt::Key_Down: Move(16 * glyphBytes); return true;
        case Qt::Key_PageUp: Move(-256 * glyphBytes); return true;
        case Qt::Key_PageDown: Move(256 * glyphBytes); return true;
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
    // those whose code has a value already are not proposed.
    std::vector<GlyphImage> glyphs;
    std::vector<std::string> codes;
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_count->value()); ++i) {
        GlyphImage glyph = m_font.Glyph(i);
        std::string code = m_font.Code(i);
        if (glyph.Pixels.empty() || code.empty())
            break;
        glyphs.push_back(std::move(glyph));
        codes.push_back(std::move(code));
    }
    std::vector<Read> read;
    const std::vector<std::optional<std::string>> values = CodeValues(m_notifier.document(), codes);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (!values[i])
            read.push_back({i, std::move(codes[i]), GlyphFont::Picture(glyphs[i])});
    }
    m_guesses->clear();
    m_accept->setEnabled(false);
    m_read->setEnabled(false);
    m_stopButton->setEnabled(true);
    m_progress->setRange(0, static_cast<int>(glyphs.size()));
    m_progress->setValue(0);
    m_status->setText(Texts::Reading);
    m_stop = false;
    m_worker = std::thread([this, glyphs = std::move(glyphs), read = std::move(read)]() mutable {
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
        QMetaObject::invokeMethod(this, [this, read = std::move(read), guesses = std::move(guesses)]() mutable {
            ReadingDone(std::move(read), std::move(guesses));
        }, Qt::QueuedConnection);
    });
}

void FontView::StopReading()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

void FontView::ReadingDone(std::vector<Read> read, std::vector<std::vector<GlyphGuess>> guesses)
{
    if (m_worker.joinable())
        m_worker.join();
    m_read->setEnabled(true);
    m_stopButton->setEnabled(false);
    const bool stopped = m_stop;
    const TextEncoding encoding = m_notifier.document().Encoding;
    std::size_t unwritable = 0;
    for (const Read& one : read) {
        if (one.glyph >= guesses.size() || guesses[one.glyph].empty())
            continue;
        const GlyphGuess& best = guesses[one.glyph].front();
        const QString character = QString::fromUtf8(best.Text);
        // Written in the table's encoding when accepted; one it cannot hold
        // is not checked.
        const bool writable = FromDisplay(character, encoding).has_value();
        unwritable += writable ? 0 : 1;
        auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(one.picture.scaled(32, 32))),
                                         Texts::Proposal.arg(QString::fromStdString(HexText(one.code)),
                                                             writable ? character : Texts::NotInEncoding.arg(character),
                                                             QString::number(best.Score, 'f', 2)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(writable && best.Score >= CheckedScore ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, QByteArray::fromStdString(one.code));
        item->setData(Qt::UserRole + 1, character);
        m_guesses->addItem(item);
    }
    m_accept->setEnabled(m_guesses->count() > 0);
    QString status = stopped ? Texts::Stopped : Texts::Proposed.arg(m_guesses->count());
    if (unwritable > 0)
        status += u' ' + Texts::ChooseEncoding.arg(unwritable).arg(EncodingName(encoding));
    m_status->setText(status);
}

void FontView::cmdFontAccept_Click()
{
    std::vector<std::pair<std::string, std::string>> values;
    for (int row = m_guesses->count(); row-- > 0;) {
        QListWidgetItem* item = m_guesses->item(row);
        if (item->checkState() != Qt::Checked)
            continue;
        const std::optional<std::string> bytes = FromDisplay(item->data(Qt::UserRole + 1).toString(), m_notifier.document().Encoding);
        if (!bytes)
            continue; // stays in the list, to be written once the encoding holds it
        values.emplace_back(item->data(Qt::UserRole).toByteArray().toStdString(), *bytes);
        delete m_guesses->takeItem(row);
    }
    if (values.empty())
        return;
    std::ranges::reverse(values);
    const auto written = static_cast<qsizetype>(values.size());
    m_apply(std::move(values));
    m_status->setText(Texts::Written.arg(written));
    m_accept->setEnabled(m_guesses->count() > 0);
    m_sheet->update();
}

} // namespace zelvane
