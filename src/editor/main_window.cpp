// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/main_window.h"

#include "common/eight_bit_text.h"
#include "common/table_notifier.h"
#include "common/window_style.h"
#include "dialogs/about_window.h"
#include "dialogs/bookmark_manager.h"
#include "dialogs/extra_lines_manager.h"
#include "dialogs/guide_window.h"
#include "editor/caps_lock.h"
#include "editor/main_menus.h"
#include "editor/file_commands.h"
#include "editor/status_bar.h"
#include "editor/table_grid.h"
#include "editor/table_model.h"
#include "editor/tool_bar.h"
#include "editor/window_placement.h"

#include <QApplication>
#include <QCloseEvent>
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
    connect(m_files, &FileCommands::aboutToSave, this, &MainWindow::TakeManagerLines);
    connect(m_files, &FileCommands::saved, this, [this] { MoveToCode(0); });

    m_menus = BuildMenus(*this);
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
        MoveToCode(0);
        RefreshCaption();
        RefreshEncoding();
    });
    connect(m_notifier, &TableNotifier::encodingChanged, this, [this] {
        RefreshStatusText();
        RefreshEncoding();
    });
    connect(m_notifier, &TableNotifier::fileNameChanged, this, &MainWindow::RefreshCaption);

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
}

void MainWindow::BuildGrid()
{
    m_model = new TableModel(m_document, this);
    connect(m_notifier, &TableNotifier::entriesChanged, m_model, &TableModel::EntriesChanged);
    connect(m_notifier, &TableNotifier::replaced, m_model, &TableModel::TableReplaced);
    connect(m_notifier, &TableNotifier::encodingChanged, m_model, &TableModel::EncodingChanged);
    m_grid = new TableGrid(ClientWidth, this);
    m_grid->setModel(m_model);
    setCentralWidget(m_grid);
    m_grid->setFocus();
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, &MainWindow::TableGrid_EnterCell);
    connect(m_grid, &TableGrid::characterTyped, this, &MainWindow::TypeCharacter);
    connect(m_grid, &TableGrid::backspacePressed, this, &MainWindow::Backspace);
    connect(m_grid, &TableGrid::keyHandled, this, &MainWindow::RefreshStatusText);
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

void MainWindow::TakeManagerLines()
{
    if (m_extraLines)
        m_extraLines->WriteBack();
}

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
    for (QWidget* window : std::initializer_list<QWidget*>{m_extraLines, m_bookmarks, m_about, m_guide}) {
        if (window)
            window->close();
    }
    event->accept();
}

// ---- Auxiliary windows ----

template<typename Manager>
void MainWindow::ShowManager(QPointer<Manager>& manager)
{
    if (ShowSingle(manager, *m_notifier))
        manager->move(BesideWindow(this, manager->frameGeometry().size()));
}

void MainWindow::mnuBook_Click() { ShowManager(m_bookmarks); }
void MainWindow::mnuExtra_Click() { ShowManager(m_extraLines); }
void MainWindow::mnuReadme_Click() { ShowSingle(m_guide); }
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

void MainWindow::Edited(const EditOutcome& outcome)
{
    m_notifier->Apply(outcome);
    if (outcome.Next != currentCode())
        MoveToCode(outcome.Next);
}

void MainWindow::TypeCharacter(char32_t character) { Edited(m_editor.TypeKey(currentCode(), character, m_inputMode)); }
void MainWindow::Backspace() { Edited(m_editor.Backspace(currentCode(), m_inputMode)); }
void MainWindow::UnmarkSpecial() { Edited(m_editor.Unmark(currentCode())); }

void MainWindow::MarkSpecial()
{
    const EditOutcome outcome = m_editor.Mark(currentCode());
    if (!outcome.Accepted) {
        QMessageBox box(QMessageBox::Warning, Texts::MarkRefusedTitle, Texts::MarkRefused, QMessageBox::Ok, this);
        box.exec();
        return;
    }
    Edited(outcome);
}

void MainWindow::FillCharRange(std::uint8_t first, std::uint8_t last)
{
    Edited(m_editor.Fill(currentCode(), CharRangeSequence(first, last)));
}

void MainWindow::FillFromList(std::span<const std::string_view> list, InputMode script, LetterCase letterCase)
{
    Edited(m_editor.FillFromList(currentCode(), list, script, letterCase));
}

void MainWindow::Toolbar1_ButtonClick(int index) { m_toolbar->Run(index); }
void MainWindow::Toolbar1_ButtonMenuClick(int button, int item) { m_toolbar->RunItem(button, item); }

// ---- What the window shows ----

void MainWindow::TableGrid_EnterCell() { RefreshStatusText(); }

void MainWindow::RefreshCaption()
{
    setWindowTitle(PathText(m_document.Caption()));
}

void MainWindow::RefreshStatusText()
{
    const std::uint8_t code = currentCode();
    m_statusBar->ShowSelected(code, ToShortDisplay(m_document.Entries[code].Value, m_document.Encoding));
}

void MainWindow::SetCapsLockShown(bool on) { m_statusBar->ShowCapsLock(on); }

} // namespace zelvane
