// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/main_window.h"

#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "common/window_style.h"
#include "editor/caps_lock.h"
#include "editor/edit_commands.h"
#include "editor/main_menus.h"
#include "editor/file_commands.h"
#include "editor/status_bar.h"
#include "editor/table_grid.h"
#include "editor/table_model.h"
#include "editor/tool_bar.h"
#include "editor/window_commands.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShortcut>
#include <QUndoStack>
#include <QMenuBar>

namespace zelvane {

namespace {

// Every text this window shows itself, as the user sees it.
namespace Texts {
const auto InitialTitle = QStringLiteral("Zelvane 0.9");
const auto Undo = QStringLiteral("&Annulla");
const auto Redo = QStringLiteral("&Ripeti");
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
    m_files = new FileCommands(*m_notifier, this);

    m_menus = BuildMenus(*this);
    connect(m_menus.undo, &QAction::triggered, m_notifier, &TableNotifier::Undo);
    connect(m_menus.redo, &QAction::triggered, m_notifier, &TableNotifier::Redo);
    connect(m_notifier->history(), &QUndoStack::indexChanged, this, &MainWindow::RefreshUndoActions);
    connect(m_notifier->history(), &QUndoStack::cleanChanged, this, &MainWindow::RefreshUndoActions);
    RefreshUndoActions();
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
    m_edits = new EditCommands({*m_notifier, m_editor, *m_model, *m_grid, *m_statusBar, [this] { return m_inputMode; }},
                               this);
    const auto resizeClient = [this](int wider, int higher) {
        setFixedSize(ClientWidth + wider, ClientHeight + higher + menuBar()->sizeHint().height());
    };
    m_windows = new WindowCommands({*m_notifier, *m_files, *m_edits, *m_grid, [this] { return m_inputMode; }, resizeClient}, this);
    connect(m_files, &FileCommands::saved, m_edits, [this] { m_edits->MoveToCode(0); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, m_edits, &EditCommands::CellEntered);
    connect(m_grid, &TableGrid::characterTyped, m_edits, &EditCommands::TypeCharacter);
    connect(m_grid, &TableGrid::backspacePressed, m_edits, &EditCommands::Backspace);
    connect(m_grid, &TableGrid::keyHandled, m_edits, &EditCommands::RefreshStatusText);
    connect(m_grid, &TableGrid::textCommitted, m_edits, &EditCommands::TypeText);
    connect(m_grid, &TableGrid::cornerClicked, m_edits, &EditCommands::ListPages);

    connect(m_notifier, &TableNotifier::modifiedChanged, m_statusBar, &StatusBar::ShowModified);
    connect(m_notifier, &TableNotifier::entriesChanged, this, [this](std::uint8_t first, std::uint8_t last) {
        if (const std::uint8_t code = currentCode(); code >= first && code <= last)
            m_edits->RefreshStatusText();
    });
    // On a page of longer codes the cells are lines.
    connect(m_notifier, &TableNotifier::linesChanged, this, [this] {
        m_edits->RefreshCorner();
        m_edits->RefreshStatusText();
    });
    connect(m_notifier, &TableNotifier::replaced, this, [this] {
        m_edits->RefreshCorner();
        m_edits->MoveToCode(0);
        RefreshCaption();
        RefreshEncoding();
    });
    connect(m_notifier, &TableNotifier::encodingChanged, this, [this] {
        m_edits->RefreshStatusText();
        RefreshEncoding();
    });
    connect(m_notifier, &TableNotifier::fileNameChanged, this, &MainWindow::RefreshCaption);

    // The client area below the menu bar is fixed; Qt counts the menu bar
    // inside the window.
    resizeClient(0, 0);
    auto* capsLock = new CapsLockWatcher(this);
    connect(capsLock, &CapsLockWatcher::stateRead, this, &MainWindow::SetCapsLockShown);
    Form_Load();
    capsLock->Refresh();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildGrid()
{
    m_model = new TableModel(m_document, this);
    connect(m_notifier, &TableNotifier::entriesChanged, m_model, &TableModel::EntriesChanged);
    connect(m_notifier, &TableNotifier::replaced, m_model, &TableModel::TableReplaced);
    connect(m_notifier, &TableNotifier::encodingChanged, m_model, &TableModel::EncodingChanged);
    connect(m_notifier, &TableNotifier::linesChanged, m_model, &TableModel::LinesChanged);
    m_grid = new TableGrid(ClientWidth, this);
    m_grid->setModel(m_model);
    setCentralWidget(m_grid);
    m_grid->setFocus();
}

void MainWindow::Form_Load()
{
    m_document.FileName = std::string(UntitledName);
    RefreshCaption();
    SetInputMode(InputMode::Ascii);
    RefreshEncoding();
    m_edits->MoveToCode(0);
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
    m_windows->CloseAll();
    event->accept();
}

// ---- Auxiliary windows: WindowCommands' ----

void MainWindow::mnuBook_Click() { m_windows->ShowBookmarks(); }
void MainWindow::mnuExtra_Click() { m_windows->ShowExtraLines(); }
void MainWindow::mnuReadme_Click() { m_windows->ShowGuide(); }
void MainWindow::mnuAbout_Click() { m_windows->ShowAbout(); }
void MainWindow::mnuRomView_Click() { m_windows->ShowRomView(); }
void MainWindow::mnuScript_Click() { m_windows->ShowScript(); }
void MainWindow::mnuRelSearch_Click() { m_windows->ShowRelativeSearch(); }
void MainWindow::mnuFontView_Click() { m_windows->ShowFontView(); }
void MainWindow::mnuShowGlyphs_Click(bool shown) { m_windows->ShowGlyphs(shown); }

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

void MainWindow::Toolbar1_ButtonClick(int index) { m_toolbar->Run(index); }
void MainWindow::Toolbar1_ButtonMenuClick(int button, int item) { m_toolbar->RunItem(button, item); }

// ---- What the window shows ----

void MainWindow::RefreshUndoActions()
{
    const QUndoStack* history = m_notifier->history();
    const auto named = [](const QString& action, const QString& step) {
        return step.isEmpty() ? action : action + u' ' + step;
    };
    m_menus.undo->setEnabled(history->canUndo());
    m_menus.undo->setText(named(Texts::Undo, history->canUndo() ? history->undoText() : QString()));
    m_menus.redo->setEnabled(history->canRedo());
    m_menus.redo->setText(named(Texts::Redo, history->canRedo() ? history->redoText() : QString()));
}

TableDocument& MainWindow::document()
{
    // Whoever holds the document may write it outside the editing road.
    m_notifier->TouchedOutside();
    return m_document;
}

void MainWindow::RefreshCaption()
{
    setWindowTitle(PathText(m_document.Caption()));
}

// ---- Editing: the commands are EditCommands' ----

std::uint8_t MainWindow::currentCode() const { return m_edits->CurrentCode(); }
std::string MainWindow::currentPage() const { return m_edits->CurrentPage(); }
void MainWindow::ShowPage(std::string_view leadBytes) { m_edits->ShowPage(leadBytes); }
void MainWindow::TypeCharacter(char32_t character) { m_edits->TypeCharacter(character); }
void MainWindow::TypeText(const QString& text) { m_edits->TypeText(text); }
void MainWindow::Backspace() { m_edits->Backspace(); }
void MainWindow::MarkSpecial() { m_edits->Mark(); }
void MainWindow::UnmarkSpecial() { m_edits->Unmark(); }
void MainWindow::FillCharRange(std::uint8_t first, std::uint8_t last) { m_edits->FillCharRange(first, last); }
void MainWindow::FillFromList(std::span<const std::string_view> list, InputMode script, LetterCase letterCase)
{
    m_edits->FillFromList(list, script, letterCase);
}
void MainWindow::mnuCut_Click() { m_edits->Cut(); }
void MainWindow::mnuCopy_Click() { m_edits->Copy(); }
void MainWindow::mnuPaste_Click() { m_edits->Paste(); }
void MainWindow::mnuPasteSequence_Click() { m_edits->PasteSequence(); }
void MainWindow::mnuFind_Click() { m_edits->ShowFind(); }
void MainWindow::mnuFindNext_Click() { m_edits->Find(+1); }
void MainWindow::FindPrevious() { m_edits->Find(-1); }
void MainWindow::mnuGoTo_Click() { m_edits->GoTo(); }
void MainWindow::mnuNextPage_Click() { m_edits->StepPage(+1); }
void MainWindow::mnuPrevPage_Click() { m_edits->StepPage(-1); }
void MainWindow::TableGrid_CornerClick() { m_edits->ListPages(); }
void MainWindow::TableGrid_EnterCell() { m_edits->CellEntered(); }

void MainWindow::SetCapsLockShown(bool on) { m_statusBar->ShowCapsLock(on); }

} // namespace zelvane
