// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/main_window.h"

#include "common/eight_bit_text.h"
#include "common/pictures.h"
#include "common/table_notifier.h"
#include "common/window_style.h"
#include "dialogs/about_window.h"
#include "dialogs/bookmark_manager.h"
#include "dialogs/extra_lines_manager.h"
#include "dialogs/guide_window.h"
#include "editor/caps_lock.h"
#include "editor/file_commands.h"
#include "editor/status_bar.h"
#include "editor/table_grid.h"
#include "editor/table_model.h"
#include "kana/kana_tables.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QMessageBox>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

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
constexpr int ToolbarHeight = 24;
constexpr int WindowGap = 8;

// The one local file a drag carries, or nothing.
QString DroppedFile(const QMimeData* data)
{
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    return urls.size() == 1 && urls.constFirst().isLocalFile() ? urls.constFirst().toLocalFile() : QString();
}

// Where a window of `size` stands beside `main`: to its right, else to its
// left, always on main's screen.
QPoint BesideWindow(const QWidget* main, const QSize& size)
{
    const QRect frame = main->frameGeometry();
    const QRect screen = main->screen()->availableGeometry();
    int x = frame.right() + 1 + WindowGap;
    if (x + size.width() > screen.right() + 1)
        x = frame.left() - WindowGap - size.width();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    const int y = std::clamp(frame.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    return {x, y};
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmZelvane"));
    setWindowTitle(Texts::InitialTitle);
    setWindowIcon(WindowIcon());
    setAcceptDrops(true);

    m_notifier = new TableNotifier(m_document, this);
    m_files = new FileCommands(*m_notifier, this);
    connect(m_files, &FileCommands::aboutToSave, this, &MainWindow::TakeManagerLines);
    connect(m_files, &FileCommands::saved, this, [this] { MoveToCode(0); });

    BuildMenus();
    BuildToolbar();
    BuildGrid();
    m_statusBar = new StatusBar(this);
    setStatusBar(m_statusBar);
    auto* style = new WindowStyle;
    style->setParent(this);
    for (QWidget* widget : std::initializer_list<QWidget*>{findChild<QToolBar*>(), m_grid, m_statusBar})
        widget->setStyle(style);
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

    qApp->installEventFilter(this);
    Form_Load();
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    delete m_extraLines;
    delete m_bookmarks;
    delete m_about;
    delete m_guide;
}

void MainWindow::BuildMenus()
{
    auto addMenu = [this](QMenu* parentMenu, const char* name, const QString& title) {
        QMenu* menu = parentMenu ? parentMenu->addMenu(title) : menuBar()->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addItem = [this](QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut,
                          auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    QMenu* file = addMenu(nullptr, "mnuFile", QStringLiteral("&File"));
    addItem(file, "mnuNew", QStringLiteral("&Nuova Tabella..."), QKeySequence(Qt::CTRL | Qt::Key_N), &MainWindow::mnuNew_Click)
        ->setIcon(MenuIcon(MenuPicture::New));
    addItem(file, "mnuOpen", QStringLiteral("&Apri Tabella..."), QKeySequence(Qt::CTRL | Qt::Key_O), &MainWindow::mnuOpen_Click)
        ->setIcon(MenuIcon(MenuPicture::Open));
    addItem(file, "mnuSave", QStringLiteral("&Salva Tabella"), QKeySequence(Qt::CTRL | Qt::Key_S), &MainWindow::mnuSave_Click)
        ->setIcon(MenuIcon(MenuPicture::Save));
    addItem(file, "mnuSaveAs", QStringLiteral("Sa&lva Tabella con nome..."), {}, [this] { mnuSaveAs_Click(); });
    addItem(file, "mnuClose", QStringLiteral("&Chiudi Zelvane"), QKeySequence(Qt::CTRL | Qt::Key_Q), &MainWindow::mnuClose_Click);

    QMenu* options = addMenu(nullptr, "mnuOptions", QStringLiteral("&Opzioni"));
    addItem(options, "mnuBook", QStringLiteral("G&estione Bookmarks..."), {}, &MainWindow::mnuBook_Click);
    addItem(options, "mnuExtra", QStringLiteral("&Gestione Linee Extra..."), {}, &MainWindow::mnuExtra_Click);
    QMenu* input = addMenu(options, "mnuInput", QStringLiteral("&Modalità Input..."));
    m_modeActions = {
        addItem(input, "mnuASCII", QStringLiteral("ASCII"), QKeySequence(Qt::CTRL | Qt::Key_A), &MainWindow::mnuASCII_Click),
        addItem(input, "mnuHira", QStringLiteral("Hiragana"), QKeySequence(Qt::CTRL | Qt::Key_H), &MainWindow::mnuHira_Click),
        addItem(input, "mnuKata", QStringLiteral("Katakana"), QKeySequence(Qt::CTRL | Qt::Key_K), &MainWindow::mnuKata_Click),
    };
    // Check marks, not radio bullets: RefreshInputMode keeps exactly one
    // checked, also when the checked item is chosen again.
    for (QAction* action : m_modeActions)
        action->setCheckable(true);
    m_modeActions[0]->setChecked(true);

    QMenu* encodings = addMenu(options, "mnuEncoding", QStringLiteral("Codifica testo"));
    const auto encodingItem = [&](const char* name, const QString& text, TextEncoding encoding) {
        QAction* action = addItem(encodings, name, text, {}, [this, encoding] { SetEncoding(encoding); });
        action->setCheckable(true);
        return action;
    };
    m_encodingActions = {
        encodingItem("mnuEnc8Bit", QStringLiteral("8 bit"), TextEncoding::EightBit),
        encodingItem("mnuEncEucJp", QStringLiteral("EUC-JP"), TextEncoding::EucJp),
        encodingItem("mnuEncShiftJis", QStringLiteral("Shift-JIS"), TextEncoding::ShiftJis),
        encodingItem("mnuEncUtf8", QStringLiteral("UTF-8"), TextEncoding::Utf8),
    };
    m_encodingActions[0]->setChecked(true);

    QMenu* help = addMenu(nullptr, "mnuHelp", QStringLiteral("&?"));
    addItem(help, "mnuReadme", QStringLiteral("&Leggimi..."), {}, &MainWindow::mnuReadme_Click);
    addItem(help, "mnuAbout", QStringLiteral("&Informazioni su Zelvane..."), {}, &MainWindow::mnuAbout_Click);
}

void MainWindow::BuildToolbar()
{
    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setFixedHeight(ToolbarHeight);
    toolbar->setContentsMargins(0, 0, 0, 0);
    addToolBar(Qt::TopToolBarArea, toolbar);

    struct Item {
        const char* caption;
        std::function<void()> command;
    };
    struct Button {
        ToolbarPicture picture; // none: a separator
        const char* tooltip;
        std::function<void()> command;
        std::vector<Item> items;
    };
    auto fill = [this](std::span<const std::string_view> list, InputMode script, LetterCase letterCase) {
        return [=, this] { FillFromList(list, script, letterCase); };
    };
    auto range = [this](char first, char last) { return [=, this] { FillCharRange(first, last); }; };
    const Button separator{};
    const std::vector<Button> buttons = {
        {ToolbarPicture::NewPage, "Nuova Tabella", [this] { mnuNew_Click(); }, {}},
        {ToolbarPicture::OpenFolder, "Apri una Tabella...", [this] { mnuOpen_Click(); }, {}},
        {ToolbarPicture::Floppy, "Salva Tabella corrente...", [this] { mnuSave_Click(); }, {}},
        separator,
        {ToolbarPicture::MarkSpecial, "Segna cella corrente come carattere speciale", [this] { MarkSpecial(); }, {}},
        {ToolbarPicture::UnmarkSpecial, "Rimuovi carattere speciale", [this] { UnmarkSpecial(); }, {}},
        separator,
        {ToolbarPicture::Capitals, "Completa con Maiuscole", range('A', 'Z'), {}},
        {ToolbarPicture::SmallLetters, "Completa con minuscole", range('a', 'z'), {}},
        {ToolbarPicture::Digits, "Completa con numeri", range('0', '9'), {}},
        separator,
        {ToolbarPicture::Romaji, "Romaji...", fill(PureRomaji, InputMode::Ascii, LetterCase::Upper),
         {{"Suoni Puri maiuscoli", fill(PureRomaji, InputMode::Ascii, LetterCase::Upper)},
          {"Suoni Puri minuscoli", fill(PureRomaji, InputMode::Ascii, LetterCase::AsListed)},
          {"Suoni Impuri/Semipuri maiuscoli", fill(VoicedRomaji, InputMode::Ascii, LetterCase::Upper)},
          {"Suoni Impuri/Semipuri minuscoli", fill(VoicedRomaji, InputMode::Ascii, LetterCase::AsListed)}}},
        {ToolbarPicture::Katakana, "Katakana...", fill(PureKana, InputMode::Katakana, LetterCase::AsListed),
         {{"Suoni Puri", fill(PureKana, InputMode::Katakana, LetterCase::AsListed)},
          {"Suoni Impuri/Semipuri", fill(VoicedKana, InputMode::Katakana, LetterCase::AsListed)}}},
        {ToolbarPicture::Hiragana, "Hiragana...", fill(PureKana, InputMode::Hiragana, LetterCase::AsListed),
         {{"Suoni Puri", fill(PureKana, InputMode::Hiragana, LetterCase::AsListed)},
          {"Suoni Impuri/Semipuri", fill(VoicedKana, InputMode::Hiragana, LetterCase::AsListed)}}},
    };

    // Index 0 is unused: buttons count from 1.
    m_toolCommands.assign(1, {});
    for (const Button& button : buttons) {
        const int index = static_cast<int>(m_toolCommands.size());
        ToolCommands& commands = m_toolCommands.emplace_back();
        if (!button.command) {
            toolbar->addSeparator();
            continue;
        }
        commands.click = button.command;
        const QString tooltip = QString::fromUtf8(button.tooltip);
        auto* action = new QAction(ToolbarIcon(button.picture), tooltip, toolbar);
        connect(action, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
        QMenu* menu = button.items.empty() ? nullptr : new QMenu(this);
        for (const Item& item : button.items) {
            commands.items.push_back(item.command);
            const int itemIndex = static_cast<int>(commands.items.size());
            connect(menu->addAction(QString::fromUtf8(item.caption)), &QAction::triggered, this,
                    [this, index, itemIndex] { Toolbar1_ButtonMenuClick(index, itemIndex); });
        }
        toolbar->addAction(action);
        if (auto* toolButton = qobject_cast<QToolButton*>(toolbar->widgetForAction(action))) {
            toolButton->setFocusPolicy(Qt::NoFocus);
            // The face triggers the action; the arrow beside it opens the list.
            if (menu) {
                toolButton->setMenu(menu);
                toolButton->setPopupMode(QToolButton::MenuButtonPopup);
                toolButton->setFixedSize(36, 22);
            } else {
                toolButton->setFixedSize(23, 22);
            }
        }
    }
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
    m_inputMode = InputMode::Ascii;
    MoveToCode(0);
    RefreshCapsLock();
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

// ---- File commands ----

void MainWindow::mnuNew_Click()
{
    m_files->New();
}

void MainWindow::mnuOpen_Click()
{
    m_files->Open();
}

bool MainWindow::OpenTable(const QString& path)
{
    return m_files->OpenFile(path);
}

void MainWindow::mnuSave_Click()
{
    m_files->Save();
}

bool MainWindow::mnuSaveAs_Click()
{
    return m_files->SaveAs();
}

void MainWindow::TakeManagerLines()
{
    if (m_extraLines)
        m_extraLines->WriteBack();
}

void MainWindow::mnuClose_Click()
{
    close();
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

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The save prompt must not run inside the drop: the program the file
    // came from waits for the drop to end.
    QTimer::singleShot(0, this, [this, path] {
        if (m_files->ConfirmDiscard())
            m_files->OpenFile(path);
    });
}

// ---- Auxiliary windows ----

namespace {
// One window of a kind: an open one comes to the front as it is; a closed
// one (perhaps still waiting to be deleted) is made anew.
template<typename Window, typename... Args>
void ShowSingle(QPointer<Window>& window, Args&&... args)
{
    if (window && !window->isVisible())
        delete window;
    if (!window) {
        window = new Window(std::forward<Args>(args)...);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}
} // namespace

template<typename Manager>
void MainWindow::ShowManager(QPointer<Manager>& manager)
{
    const bool opening = !manager || !manager->isVisible();
    ShowSingle(manager, *m_notifier);
    if (opening)
        manager->move(BesideWindow(this, manager->frameGeometry().size()));
}

void MainWindow::mnuBook_Click()
{
    ShowManager(m_bookmarks);
}

void MainWindow::mnuExtra_Click()
{
    ShowManager(m_extraLines);
}

void MainWindow::mnuReadme_Click()
{
    ShowSingle(m_guide);
}

void MainWindow::mnuAbout_Click()
{
    ShowSingle(m_about);
}

// ---- Input modes ----

void MainWindow::mnuASCII_Click()
{
    SetInputMode(InputMode::Ascii);
}

void MainWindow::mnuHira_Click()
{
    SetInputMode(InputMode::Hiragana);
}

void MainWindow::mnuKata_Click()
{
    SetInputMode(InputMode::Katakana);
}

void MainWindow::SetInputMode(InputMode mode)
{
    m_inputMode = mode;
    RefreshInputMode();
}

void MainWindow::SetEncoding(TextEncoding encoding)
{
    if (encoding != m_document.Encoding) {
        m_document.Encoding = encoding;
        m_notifier->EncodingChanged();
    }
    // Also when the checked item is chosen again, which unchecks it.
    RefreshEncoding();
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

// ---- Editing ----

void MainWindow::Edited(const EditOutcome& outcome)
{
    m_notifier->Apply(outcome);
    if (outcome.Next != currentCode())
        MoveToCode(outcome.Next);
}

void MainWindow::TypeCharacter(char32_t character)
{
    Edited(m_editor.TypeKey(currentCode(), character, m_inputMode));
}

void MainWindow::Backspace()
{
    Edited(m_editor.Backspace(currentCode(), m_inputMode));
}

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

void MainWindow::UnmarkSpecial()
{
    Edited(m_editor.Unmark(currentCode()));
}

void MainWindow::FillCharRange(std::uint8_t first, std::uint8_t last)
{
    Edited(m_editor.Fill(currentCode(), CharRangeSequence(first, last)));
}

void MainWindow::FillFromList(std::span<const std::string_view> list, InputMode script, LetterCase letterCase)
{
    Edited(m_editor.FillFromList(currentCode(), list, script, letterCase));
}

// ---- Toolbar ----

void MainWindow::Toolbar1_ButtonClick(int index)
{
    if (index > 0 && std::size_t(index) < m_toolCommands.size() && m_toolCommands[std::size_t(index)].click)
        m_toolCommands[std::size_t(index)].click();
}

void MainWindow::Toolbar1_ButtonMenuClick(int button, int item)
{
    if (button <= 0 || std::size_t(button) >= m_toolCommands.size())
        return;
    const auto& items = m_toolCommands[std::size_t(button)].items;
    if (item > 0 && std::size_t(item) <= items.size())
        items[std::size_t(item) - 1]();
}

// ---- What the window shows ----

void MainWindow::TableGrid_EnterCell()
{
    RefreshStatusText();
}

void MainWindow::RefreshCaption()
{
    setWindowTitle(PathText(m_document.Caption()));
}

void MainWindow::RefreshStatusText()
{
    const std::uint8_t code = currentCode();
    m_statusBar->ShowSelected(code, ToShortDisplay(m_document.Entries[code].Value, m_document.Encoding));
}

void MainWindow::RefreshInputMode()
{
    const int mode = static_cast<int>(m_inputMode) - 1;
    for (int i = 0; i < 3; ++i)
        m_modeActions[i]->setChecked(i == mode);
    m_statusBar->ShowInputMode(m_inputMode);
}

void MainWindow::RefreshEncoding()
{
    for (std::size_t i = 0; i < m_encodingActions.size(); ++i)
        m_encodingActions[i]->setChecked(static_cast<TextEncoding>(i) == m_document.Encoding);
}

void MainWindow::SetCapsLockShown(bool on)
{
    m_statusBar->ShowCapsLock(on);
}

void MainWindow::RefreshCapsLock()
{
    if (const auto on = QueryCapsLock())
        SetCapsLockShown(*on);
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        RefreshCapsLock();
    QMainWindow::changeEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Caps Lock off shows only when the key is released.
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == this)
        RefreshCapsLock();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace zelvane
