// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/main_window.h"

#include "common/blank_marks.h"
#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "common/window_style.h"
#include "dialogs/about_window.h"
#include "dialogs/bookmark_manager.h"
#include "dialogs/extra_lines_manager.h"
#include "dialogs/guide_window.h"
#include "editor/caps_lock.h"
#include "editor/edit_history.h"
#include "editor/main_menus.h"
#include "editor/file_commands.h"
#include "editor/find_and_go.h"
#include "editor/status_bar.h"
#include "editor/table_grid.h"
#include "editor/table_model.h"
#include "editor/tool_bar.h"
#include "editor/window_placement.h"
#include "workbench/relative_search_window.h"
#include "workbench/rom_view.h"

#include "document/code_pages.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QMenuBar>
#include <QMessageBox>

namespace zelvane {

namespace {

// Every text this window shows itself, as the user sees it.
namespace Texts {
const auto InitialTitle = QStringLiteral("Zelvane 0.9");
const auto MarkRefusedTitle = QStringLiteral("Errore...");
const auto MarkRefused =
    QStringLiteral("La cella selezionata non contiene un carattere\r\nriconosciuto da Zelvane come speciale.");
const auto MarkOnFirstPage = QStringLiteral(
    "I caratteri speciali sono codici di un byte:\r\nsi segnano solo nella prima pagina della tabella.");
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

} // namespace Texts

constexpr int ClientWidth = 531;
constexpr int ClientHeight = 443;

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    // The window's look, for every widget of the application; in place
    // before the bars are made, which ask the style for their pictures.
    if (!qobject_cast<WindowStyle*>(QApplication::style()))
        QApplication::setStyle(new WindowStyle);
    setObjectName(QStringLiteral("frmZelvane"));
    setWindowTitle(Texts::InitialTitle);
    setWindowIcon(WindowIcon());
    setAcceptDrops(true);
    setContextMenuPolicy(Qt::NoContextMenu);

    m_notifier = new TableNotifier(m_document, this);
    m_placements = new PlacementMemory(this);
    m_files = new FileCommands(*m_notifier, this);
    connect(m_files, &FileCommands::saved, this, [this] { MoveToCode(0); });

    m_menus = BuildMenus(*this);
    m_history = new EditHistory(*m_notifier, m_menus.undo, m_menus.redo, this);
    m_notifier->SetRecorder([this](TableChange change, const QString& step) { m_history->Record(std::move(change), step); });
    connect(m_files, &FileCommands::saved, m_history, &EditHistory::MarkSaved);
    connect(m_files, &FileCommands::followedFile, m_history, &EditHistory::Clear);
    connect(m_notifier, &TableNotifier::replaced, m_history, &EditHistory::Clear);
    auto* findPrevious = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    connect(findPrevious, &QShortcut::activated, this, &MainWindow::FindPrevious);
    m_toolbar = BuildToolbar(*this);
    connect(m_toolbar, &ToolBar::buttonClicked, this, &MainWindow::Toolbar1_ButtonClick);
    connect(m_toolbar, &ToolBar::itemClicked, this, &MainWindow::Toolbar1_ButtonMenuClick);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    BuildGrid();
    m_statusBar = new StatusBar(this);
    setStatusBar(m_statusBar);
    connect(m_statusBar, &StatusBar::panelClicked, this, &MainWindow::SB_PanelClick);

    connect(m_notifier, &TableNotifier::modifiedChanged, m_statusBar, &StatusBar::ShowModified);
    connect(m_notifier, &TableNotifier::entriesChanged, this, [this](std::uint8_t first, std::uint8_t last) {
        if (const std::uint8_t code = currentCode(); code >= first && code <= last)
            RefreshStatusText();
    });
    connect(m_notifier, &TableNotifier::replaced, this, [this] {
        RefreshCorner();
        MoveToCode(0);
        RefreshCaption();
        RefreshEncoding();
    });
    connect(m_notifier, &TableNotifier::encodingChanged, this, [this] {
        RefreshStatusText();
        RefreshEncoding();
    });
    connect(m_notifier, &TableNotifier::fileNameChanged, this, &MainWindow::RefreshCaption);
    connect(m_notifier, &TableNotifier::listsChanged, this, &MainWindow::RefreshCorner);

    // The client area below the menu bar is fixed; Qt counts the menu bar
    // inside the window.
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    auto* capsLock = new CapsLockWatcher(this);
    connect(capsLock, &CapsLockWatcher::stateRead, this, &MainWindow::SetCapsLockShown);
    Form_Load();
    capsLock->Refresh();
}

MainWindow::~MainWindow()
{
    delete m_extraLines;
    delete m_bookmarks;
    delete m_about;
    delete m_guide;
    delete m_findWindow;
    delete m_romView;
    delete m_relSearch;
}

void MainWindow::BuildGrid()
{
    m_model = new TableModel(m_document, this);
    connect(m_notifier, &TableNotifier::entriesChanged, m_model, &TableModel::EntriesChanged);
    connect(m_notifier, &TableNotifier::replaced, m_model, &TableModel::TableReplaced);
    connect(m_notifier, &TableNotifier::encodingChanged, m_model, &TableModel::EncodingChanged);
    connect(m_notifier, &TableNotifier::listsChanged, m_model, &TableModel::LinesChanged);
    m_grid = new TableGrid(ClientWidth, this);
    m_grid->setModel(m_model);
    setCentralWidget(m_grid);
    m_grid->setFocus();
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, &MainWindow::TableGrid_EnterCell);
    connect(m_grid, &TableGrid::characterTyped, this, &MainWindow::TypeCharacter);
    connect(m_grid, &TableGrid::backspacePressed, this, &MainWindow::Backspace);
    connect(m_grid, &TableGrid::keyHandled, this, &MainWindow::RefreshStatusText);
    connect(m_grid, &TableGrid::textCommitted, this, &MainWindow::TypeText);
    connect(m_grid, &TableGrid::cornerClicked, this, &MainWindow::TableGrid_CornerClick);
}

void MainWindow::Form_Load()
{
    m_document.FileName = std::string(UntitledName);
    RefreshCaption();
    SetInputMode(InputMode::Ascii);
    RefreshEncoding();
    MoveToCode(0);
}

std::uint8_t MainWindow::currentCode() const
{
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? TableModel::CodeAt(current) : 0;
}

std::string MainWindow::currentPage() const
{
    return m_model->Page();
}

void MainWindow::ShowPage(std::string_view leadBytes)
{
    const std::uint8_t cell = currentCode();
    if (leadBytes != m_model->Page())
        m_model->SetPage(std::string(leadBytes));
    RefreshCorner();
    MoveToCode(cell);
}

void MainWindow::StepPage(int step)
{
    const std::vector<std::string> pages = CodePages(m_document);
    const std::string shown = currentPage();
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

void MainWindow::mnuNextPage_Click() { StepPage(+1); }
void MainWindow::mnuPrevPage_Click() { StepPage(-1); }

void MainWindow::mnuGoTo_Click()
{
    const std::optional<std::string> code = AskForCode(this);
    if (!code)
        return;
    ShowPage(std::string_view(*code).substr(0, code->size() - 1));
    MoveToCode(static_cast<std::uint8_t>(code->back()));
}

void MainWindow::TableGrid_CornerClick()
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuPages"));
    for (const PageSummary& page : SummarizePages(m_document)) {
        QStringList samples;
        for (const std::string& value : page.FirstValues)
            samples << ToShortDisplay(value, m_document.Encoding);
        const QString name = page.Lead.empty() ? Texts::OneBytePage : QString::fromStdString(HexText(page.Lead));
        QAction* item = menu.addAction(Texts::PageItem(name, page.Codes, samples.join(u' ')));
        item->setCheckable(true);
        item->setChecked(page.Lead == currentPage());
        connect(item, &QAction::triggered, this, [this, lead = page.Lead] { ShowPage(lead); });
    }
    menu.exec(m_grid->mapToGlobal(QPoint(0, 0)));
}

void MainWindow::RefreshCorner()
{
    // The first page says how many there are: a kanji table's others are
    // otherwise out of sight.
    const std::vector<std::string> pages = CodePages(m_document);
    const std::string shown = currentPage();
    const auto at = std::ranges::lower_bound(pages, shown);
    const auto number = at - pages.begin() + 1;
    const auto count = static_cast<qsizetype>(pages.size()) + (at == pages.end() || *at != shown ? 1 : 0);
    m_grid->SetCornerText(!shown.empty() ? QString::fromStdString(HexText(shown))
                          : count > 1    ? QStringLiteral("1/%1").arg(count)
                                         : QString());
    m_grid->SetCornerToolTip(Texts::PageOf.arg(number).arg(count));
}

void MainWindow::MoveToCode(std::uint8_t code)
{
    m_grid->setCurrentIndex(m_model->IndexOf(code));
    RefreshStatusText();
}

// ---- File commands, drops and closing ----

void MainWindow::mnuNew_Click() { m_files->New(); }
void MainWindow::mnuOpen_Click() { m_files->Open(); }
bool MainWindow::OpenTable(const QString& path) { return m_files->OpenFile(path); }
void MainWindow::mnuSave_Click() { m_files->Save(); }
bool MainWindow::mnuSaveAs_Click() { return m_files->SaveAs(); }
void MainWindow::mnuClose_Click() { close(); }

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (FileCommands::CanOpenDropped(event->mimeData()))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    if (!FileCommands::CanOpenDropped(event->mimeData()))
        return;
    event->acceptProposedAction();
    m_files->OpenDropped(event->mimeData());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_files->ConfirmDiscard()) {
        event->ignore();
        return;
    }
    for (QWidget* window : std::initializer_list<QWidget*>{m_extraLines, m_bookmarks, m_about, m_guide, m_findWindow, m_romView,
                                                           m_relSearch}) {
        if (window)
            window->close();
    }
    event->accept();
}

// ---- Auxiliary windows ----

template<typename Manager>
void MainWindow::ShowManager(QPointer<Manager>& manager)
{
    if (ShowSingle(manager, *m_notifier) && !m_placements->Restore(manager))
        manager->move(BesideWindow(this, manager->frameGeometry().size()));
}

void MainWindow::mnuBook_Click() { ShowManager(m_bookmarks); }
void MainWindow::mnuExtra_Click() { ShowManager(m_extraLines); }
void MainWindow::mnuReadme_Click() { ShowSingle(m_guide); }
void MainWindow::mnuRomView_Click()
{
    ShowManager(m_romView);
    m_romView->SetInputModeSource([this] { return m_inputMode; });
}

void MainWindow::mnuRelSearch_Click()
{
    // Applica fills the implied run into the first page, as one step.
    const auto apply = [this](std::uint8_t start, std::vector<std::string> values) {
        ShowPage({});
        MoveToCode(start);
        Filled(m_editor.Fill(start, values), Texts::RelativeSearchStep);
    };
    if (ShowSingle(m_relSearch, *m_notifier, apply) && !m_placements->Restore(m_relSearch))
        m_relSearch->move(BesideWindow(this, m_relSearch->frameGeometry().size()));
}
void MainWindow::mnuAbout_Click() { ShowSingle(m_about); }

// ---- Input modes and encodings ----

void MainWindow::mnuASCII_Click() { SetInputMode(InputMode::Ascii); }
void MainWindow::mnuHira_Click() { SetInputMode(InputMode::Hiragana); }
void MainWindow::mnuKata_Click() { SetInputMode(InputMode::Katakana); }

void MainWindow::SetInputMode(InputMode mode)
{
    m_inputMode = mode;
    // Also when the checked item is chosen again, which unchecks it.
    for (std::size_t i = 0; i < m_menus.inputModes.size(); ++i)
        m_menus.inputModes[i]->setChecked(static_cast<int>(i) + 1 == static_cast<int>(mode));
    m_statusBar->ShowInputMode(mode);
}

void MainWindow::SB_PanelClick(int index)
{
    switch (index) {
    case StatusBar::AsciiPanel: SetInputMode(InputMode::Ascii); break;
    case StatusBar::HiraganaPanel: SetInputMode(InputMode::Hiragana); break;
    case StatusBar::KatakanaPanel: SetInputMode(InputMode::Katakana); break;
    default: break;
    }
}

void MainWindow::SetEncoding(TextEncoding encoding)
{
    if (encoding != m_document.Encoding) {
        m_document.Encoding = encoding;
        m_notifier->EncodingChanged();
    }
    RefreshEncoding();
}

void MainWindow::RefreshEncoding()
{
    for (std::size_t i = 0; i < m_menus.encodings.size(); ++i)
        m_menus.encodings[i]->setChecked(static_cast<TextEncoding>(i) == m_document.Encoding);
}

// ---- Editing ----

void MainWindow::Edited(EditOutcome outcome, const QString& step, bool typing)
{
    // On a page of longer codes an edit changes the extra lines.
    m_notifier->Apply(outcome, !currentPage().empty());
    std::string cell = currentPage();
    cell += static_cast<char>(currentCode());
    if (typing)
        m_history->RecordTyping(std::move(outcome.Change), step, cell);
    else
        m_history->Record(std::move(outcome.Change), step);
    if (outcome.Next != currentCode())
        MoveToCode(outcome.Next);
    else
        RefreshStatusText();
}

void MainWindow::TypeCharacter(char32_t character)
{
    const char32_t one[] = {character};
    TypeInto(QString::fromUcs4(one, 1), Texts::TypingStep, true);
}

void MainWindow::TypeText(const QString& text)
{
    TypeInto(text, Texts::PasteStep, false);
}

void MainWindow::TypeInto(const QString& text, const QString& step, bool typing)
{
    // The characters of one text are one step.
    EditOutcome typed{.Next = currentCode()};
    QString refused;
    for (const std::string& bytes : TypedCharacters(text, m_document.Encoding, refused)) {
        EditOutcome outcome = m_editor.TypeBytes(currentPage(), currentCode(), bytes, m_inputMode);
        typed.Change.Absorb(std::move(outcome.Change));
        typed.First = outcome.First;
        typed.Last = outcome.Last;
        typed.ModifiedChanged = typed.ModifiedChanged || outcome.ModifiedChanged;
    }
    Edited(std::move(typed), step, typing);
    if (!refused.isEmpty())
        m_statusBar->ShowNotice(NotInEncodingText(refused, m_document.Encoding));
}

void MainWindow::mnuPaste_Click() { TypeText(QGuiApplication::clipboard()->text()); }

void MainWindow::mnuCopy_Click()
{
    QGuiApplication::clipboard()->setText(ToDisplay(m_model->Value(currentCode()), m_document.Encoding));
}

void MainWindow::mnuCut_Click()
{
    mnuCopy_Click();
    Edited(m_editor.Empty(currentPage(), currentCode()), Texts::CutStep);
}

void MainWindow::mnuPasteSequence_Click()
{
    QString refused;
    const std::vector<std::string> values = TypedCharacters(QGuiApplication::clipboard()->text(), m_document.Encoding, refused);
    if (!refused.isEmpty()) {
        m_statusBar->ShowNotice(NotInEncodingText(refused, m_document.Encoding));
        return;
    }
    if (values.empty())
        return;
    const std::size_t room = CodeCount - currentCode();
    Filled(m_editor.Fill(currentPage(), currentCode(), values), Texts::PasteSequenceStep);
    if (values.size() > room)
        m_statusBar->AddNotice(Texts::DidNotFit(values.size() - room));
}

void MainWindow::Filled(EditOutcome outcome, const QString& step)
{
    const std::size_t replaced = outcome.Replaced;
    Edited(std::move(outcome), step);
    m_statusBar->AddNotice(Texts::Replaced.arg(replaced));
}

void MainWindow::mnuFind_Click()
{
    if (!m_findWindow) {
        m_findWindow = MakeFindBox(this);
        m_findBox = m_findWindow->findChild<QLineEdit*>(QStringLiteral("txtFind"));
        connect(m_findBox, &QLineEdit::returnPressed, this, &MainWindow::mnuFindNext_Click);
        // F3 and Shift+F3 work in the box too.
        m_findWindow->addAction(findChild<QAction*>(QStringLiteral("mnuFindNext")));
        auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), m_findWindow);
        connect(previous, &QShortcut::activated, this, &MainWindow::FindPrevious);
    }
    m_findWindow->show();
    m_findWindow->raise();
    m_findWindow->activateWindow();
    m_findBox->setFocus();
    m_findBox->selectAll();
}

void MainWindow::mnuFindNext_Click() { Find(+1); }
void MainWindow::FindPrevious() { Find(-1); }

void MainWindow::Find(int direction)
{
    // The box goes with its window when that is closed.
    if (!m_findWindow || m_findBox->text().isEmpty()) {
        mnuFind_Click();
        return;
    }
    if (const auto found = FindCell(m_document, {currentPage(), currentCode()}, m_findBox->text(), direction)) {
        ShowPage(found->Page);
        MoveToCode(found->Cell);
        return;
    }
    m_statusBar->ShowNotice(Texts::NotFound.arg(m_findBox->text()));
}

void MainWindow::Backspace()
{
    Edited(m_editor.Backspace(currentPage(), currentCode(), m_inputMode), Texts::TypingStep, true);
}

bool MainWindow::OnFirstPage()
{
    if (currentPage().empty())
        return true;
    QMessageBox box(QMessageBox::Warning, Texts::MarkRefusedTitle, Texts::MarkOnFirstPage, QMessageBox::Ok, this);
    box.exec();
    return false;
}

void MainWindow::UnmarkSpecial()
{
    if (OnFirstPage())
        Edited(m_editor.Unmark(currentCode()), Texts::UnmarkStep);
}

void MainWindow::MarkSpecial()
{
    if (!OnFirstPage())
        return;
    const EditOutcome outcome = m_editor.Mark(currentCode());
    if (!outcome.Accepted) {
        QMessageBox box(QMessageBox::Warning, Texts::MarkRefusedTitle, Texts::MarkRefused, QMessageBox::Ok, this);
        box.exec();
        return;
    }
    Edited(outcome, Texts::MarkStep);
}

void MainWindow::FillCharRange(std::uint8_t first, std::uint8_t last)
{
    Filled(m_editor.Fill(currentPage(), currentCode(), CharRangeSequence(first, last)), Texts::FillStep);
}

void MainWindow::FillFromList(std::span<const std::string_view> list, InputMode script, LetterCase letterCase)
{
    Filled(m_editor.Fill(currentPage(), currentCode(), ListSequence(list, script, letterCase, m_document.Encoding)),
           Texts::FillStep);
}

void MainWindow::Toolbar1_ButtonClick(int index) { m_toolbar->Run(index); }
void MainWindow::Toolbar1_ButtonMenuClick(int button, int item) { m_toolbar->RunItem(button, item); }

// ---- What the window shows ----

void MainWindow::TableGrid_EnterCell()
{
    // Keys typed into another cell are another step.
    m_history->EndTyping();
    RefreshStatusText();
}

void MainWindow::RefreshCaption()
{
    setWindowTitle(PathText(m_document.Caption()));
}

void MainWindow::RefreshStatusText()
{
    const std::uint8_t cell = currentCode();
    std::string code = currentPage();
    code += static_cast<char>(cell);
    m_statusBar->ShowSelected(QString::fromStdString(HexText(code)), ShowBlanks(ToShortDisplay(m_model->Value(cell), m_document.Encoding)));
}

void MainWindow::SetCapsLockShown(bool on) { m_statusBar->ShowCapsLock(on); }

} // namespace zelvane
