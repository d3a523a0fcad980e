// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/edit_commands.h"

#include "common/blank_marks.h"
#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "document/code_pages.h"
#include "document/table_document.h"
#include "editor/find_and_go.h"
#include "editor/status_bar.h"
#include "editor/table_grid.h"
#include "editor/table_model.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>

#include <algorithm>

namespace zelvane {

namespace {

// The texts the editing commands show, as the user sees them.
namespace Texts {
const auto MarkRefusedTitle = QStringLiteral("Errore...");
const auto MarkRefused =
    QStringLiteral("La cella selezionata non contiene un carattere\r\nriconosciuto da Zelvane come speciale.");
const auto OneBytePage = QStringLiteral("Codici di un byte");
const auto PageOf = QStringLiteral("Pagina %1 di %2: fare clic per l'elenco delle pagine");
QString PageItem(const QString& page, std::size_t codes, const QString& samples)
{
    const QString count = codes == 1 ? QStringLiteral("1 codice") : QStringLiteral("%1 codici").arg(codes);
    return samples.isEmpty() ? QStringLiteral("%1 — %2").arg(page, count)
                             : QStringLiteral("%1 — %2: %3").arg(page, count, samples);
}
const auto NotFound = QStringLiteral("Nessuna cella contiene «%1»");
const auto Replaced = QStringLiteral("sostituiti: %1");
QString DidNotFit(std::size_t n)
{
    return n == 1 ? QStringLiteral("1 carattere non entra prima della fine della pagina")
                  : QStringLiteral("%1 caratteri non entrano prima della fine della pagina").arg(n);
}
const auto TypingStep = QStringLiteral("digitazione");
const auto FillStep = QStringLiteral("riempimento");
const auto MarkStep = QStringLiteral("contrassegno");
const auto UnmarkStep = QStringLiteral("rimozione del contrassegno");
const auto PasteStep = QStringLiteral("incolla");
const auto PasteSequenceStep = QStringLiteral("incolla in sequenza");
const auto CutStep = QStringLiteral("taglia");
const auto RelativeSearchStep = QStringLiteral("ricerca relativa");
const auto FontStep = QStringLiteral("riconoscimento dei glifi");

} // namespace Texts

} // namespace

EditCommands::EditCommands(Parts parts, QWidget* window)
    : QObject(window)
    , m_notifier(parts.notifier)
    , m_editor(parts.editor)
    , m_model(parts.model)
    , m_grid(parts.grid)
    , m_status(parts.status)
    , m_inputMode(std::move(parts.inputMode))
    , m_window(window)
{
}

EditCommands::~EditCommands()
{
    delete m_findWindow;
}

TableDocument& EditCommands::Document() const
{
    return m_notifier.document();
}

void EditCommands::SetValues(const std::vector<std::pair<std::string, std::string>>& values)
{
    EditOutcome all{.First = 0, .Last = CodeCount - 1, .Next = CurrentCode()};
    // Runs of neighbouring cells of one page are one fill each: a page's
    // lines are found once a run, not once a value.
    for (std::size_t first = 0; first < values.size();) {
        const std::string& code = values[first].first;
        if (code.empty()) {
            ++first;
            continue;
        }
        const std::string_view page = std::string_view(code).substr(0, code.size() - 1);
        std::vector<std::string> run{values[first].second};
        std::size_t next = first + 1;
        for (; next < values.size(); ++next) {
            const std::string& other = values[next].first;
            if (other.size() != code.size() || !other.starts_with(page)
                || static_cast<std::uint8_t>(other.back()) != static_cast<std::uint8_t>(code.back()) + run.size())
                break;
            run.push_back(values[next].second);
        }
        EditOutcome outcome = m_editor.Fill(page, static_cast<std::uint8_t>(code.back()), run);
        all.Change.Absorb(std::move(outcome.Change));
        first = next;
    }
    m_notifier.Commit(std::move(all.Change), Texts::FontStep);
    RefreshStatusText();
}

void EditCommands::Paste() { TypeText(QGuiApplication::clipboard()->text()); }

void EditCommands::FillFirstPage(std::uint8_t start, std::vector<std::string> values)
{
    ShowPage({});
    MoveToCode(start);
    Filled(m_editor.Fill(start, values), Texts::RelativeSearchStep);
}

std::uint8_t EditCommands::CurrentCode() const
{
    const QModelIndex current = m_grid.currentIndex();
    return current.isValid() ? TableModel::CodeAt(current) : 0;
}

std::string EditCommands::CurrentPage() const
{
    return m_model.Page();
}

void EditCommands::ShowPage(std::string_view leadBytes)
{
    const std::uint8_t cell = CurrentCode();
    if (leadBytes != m_model.Page())
        m_model.SetPage(std::string(leadBytes));
    RefreshCorner();
    MoveToCode(cell);
}

void EditCommands::StepPage(int step)
{
    const std::vector<std::string> pages = CodePages(Document());
    const std::string shown = CurrentPage();
    // The shown page may have no line yet (reached with "Vai al codice").
    auto next = std::ranges::lower_bound(pages, shown);
    if (step > 0 && next != pages.end() && *next == shown)
        ++next;
    if (step < 0) {
        if (next == pages.begin())
            return;
        --next;
    }
    if (next != pages.end())
        ShowPage(*next);
}

void EditCommands::GoTo()
{
    const std::optional<std::string> code = AskForCode(m_window);
    if (!code)
        return;
    ShowPage(std::string_view(*code).substr(0, code->size() - 1));
    MoveToCode(static_cast<std::uint8_t>(code->back()));
}

void EditCommands::ListPages()
{
    QMenu menu(m_window);
    menu.setObjectName(QStringLiteral("mnuPages"));
    for (const PageSummary& page : SummarizePages(Document())) {
        QStringList samples;
        for (const std::string& value : page.FirstValues)
            samples << ToShortDisplay(value, Document().Encoding);
        const QString name = page.Lead.empty() ? Texts::OneBytePage : QString::fromStdString(HexText(page.Lead));
        QAction* item = menu.addAction(Texts::PageItem(name, page.Codes, samples.join(u' ')));
        item->setCheckable(true);
        item->setChecked(page.Lead == CurrentPage());
        connect(item, &QAction::triggered, this, [this, lead = page.Lead] { ShowPage(lead); });
    }
    menu.exec(m_grid.mapToGlobal(QPoint(0, 0)));
}

void EditCommands::RefreshCorner()
{
    // The first page says how many there are: a kanji table's others are
    // otherwise out of sight.
    const std::vector<std::string> pages = CodePages(Document());
    const std::string shown = CurrentPage();
    const auto at = std::ranges::lower_bound(pages, shown);
    const auto number = at - pages.begin() + 1;
    const auto count = static_cast<qsizetype>(pages.size()) + (at == pages.end() || *at != shown ? 1 : 0);
    m_grid.SetCornerText(!shown.empty() ? QString::fromStdString(HexText(shown))
                          : count > 1    ? QStringLiteral("1/%1").arg(count)
                                         : QString());
    m_grid.SetCornerToolTip(Texts::PageOf.arg(number).arg(count));
}

void EditCommands::MoveToCode(std::uint8_t code)
{
    m_grid.setCurrentIndex(m_model.IndexOf(code));
    RefreshStatusText();
}

void EditCommands::Edited(EditOutcome outcome, const QString& step, bool typing)
{
    std::string cell;
    if (typing) {
        cell = CurrentPage();
        cell += static_cast<char>(CurrentCode());
    }
    m_notifier.Commit(std::move(outcome.Change), step, cell);
    if (outcome.Next != CurrentCode())
        MoveToCode(outcome.Next);
    else
        RefreshStatusText();
}

void EditCommands::TypeCharacter(char32_t character)
{
    const char32_t one[] = {character};
    TypeInto(QString::fromUcs4(one, 1), Texts::TypingStep, true);
}

void EditCommands::TypeText(const QString& text)
{
    TypeInto(text, Texts::PasteStep, false);
}

void EditCommands::TypeInto(const QString& text, const QString& step, bool typing)
{
    // The characters of one text are one step.
    EditOutcome typed{.Next = CurrentCode()};
    QString refused;
    for (const std::string& bytes : TypedCharacters(text, Document().Encoding, refused)) {
        EditOutcome outcome = m_editor.TypeBytes(CurrentPage(), CurrentCode(), bytes, m_inputMode());
        typed.Change.Absorb(std::move(outcome.Change));
        typed.First = outcome.First;
        typed.Last = outcome.Last;
    }
    Edited(std::move(typed), step, typing);
    if (!refused.isEmpty())
        m_status.ShowNotice(NotInEncodingText(refused, Document().Encoding));
}

void EditCommands::Copy()
{
    QGuiApplication::clipboard()->setText(ToDisplay(m_model.Value(CurrentCode()), Document().Encoding));
}

void EditCommands::Cut()
{
    Copy();
    Edited(m_editor.Empty(CurrentPage(), CurrentCode()), Texts::CutStep);
}

void EditCommands::PasteSequence()
{
    QString refused;
    const std::vector<std::string> values = TypedCharacters(QGuiApplication::clipboard()->text(), Document().Encoding, refused);
    if (!refused.isEmpty()) {
        m_status.ShowNotice(NotInEncodingText(refused, Document().Encoding));
        return;
    }
    if (values.empty())
        return;
    const std::size_t room = CodeCount - CurrentCode();
    Filled(m_editor.Fill(CurrentPage(), CurrentCode(), values), Texts::PasteSequenceStep);
    if (values.size() > room)
        m_status.AddNotice(Texts::DidNotFit(values.size() - room));
}

void EditCommands::Filled(EditOutcome outcome, const QString& step)
{
    const std::size_t replaced = outcome.Replaced;
    Edited(std::move(outcome), step);
    m_status.AddNotice(Texts::Replaced.arg(replaced));
}

void EditCommands::ShowFind()
{
    if (!m_findWindow) {
        m_findWindow = MakeFindBox(m_window);
        m_findBox = m_findWindow->findChild<QLineEdit*>(QStringLiteral("txtFind"));
        connect(m_findBox, &QLineEdit::returnPressed, this, [this] { Find(+1); });
        // F3 and Shift+F3 work in the box too.
        m_findWindow->addAction(m_window->findChild<QAction*>(QStringLiteral("mnuFindNext")));
        auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), m_findWindow);
        connect(previous, &QShortcut::activated, this, [this] { Find(-1); });
    }
    m_findWindow->show();
    m_findWindow->raise();
    m_findWindow->activateWindow();
    m_findBox->setFocus();
    m_findBox->selectAll();
}

void EditCommands::Find(int direction)
{
    // The box goes with its window when that is closed.
    if (!m_findWindow || m_findBox->text().isEmpty()) {
        ShowFind();
        return;
    }
    if (const auto found = FindCell(Document(), {CurrentPage(), CurrentCode()}, m_findBox->text(), direction)) {
        ShowPage(found->Page);
        MoveToCode(found->Cell);
        return;
    }
    m_status.ShowNotice(Texts::NotFound.arg(m_findBox->text()));
}

void EditCommands::Backspace()
{
    Edited(m_editor.Backspace(CurrentPage(), CurrentCode(), m_inputMode()), Texts::TypingStep, true);
}

void EditCommands::Unmark()
{
    Edited(m_editor.Mark(CurrentPage(), CurrentCode(), false), Texts::UnmarkStep);
}

void EditCommands::Mark()
{
    const EditOutcome outcome = m_editor.Mark(CurrentPage(), CurrentCode(), true);
    if (!outcome.Accepted) {
        QMessageBox box(QMessageBox::Warning, Texts::MarkRefusedTitle, Texts::MarkRefused, QMessageBox::Ok, m_window);
        box.exec();
        return;
    }
    Edited(outcome, Texts::MarkStep);
}

void EditCommands::FillCharRange(std::uint8_t first, std::uint8_t last)
{
    Filled(m_editor.Fill(CurrentPage(), CurrentCode(), CharRangeSequence(first, last)), Texts::FillStep);
}

void EditCommands::FillFromList(std::span<const std::string_view> list, InputMode script, LetterCase letterCase)
{
    Filled(m_editor.Fill(CurrentPage(), CurrentCode(), ListSequence(list, script, letterCase, Document().Encoding)),
           Texts::FillStep);
}

void EditCommands::CellEntered()
{
    // Keys typed into another cell are another step.
    m_notifier.EndTyping();
    RefreshStatusText();
}

void EditCommands::RefreshStatusText()
{
    const std::uint8_t cell = CurrentCode();
    std::string code = CurrentPage();
    code += static_cast<char>(cell);
    m_status.ShowSelected(QString::fromStdString(HexText(code)), ShowBlanks(ToShortDisplay(m_model.Value(cell), Document().Encoding)));
}

} // namespace zelvane
