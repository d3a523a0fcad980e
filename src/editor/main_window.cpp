#include "editor/main_window.h"

#include "dialogs/about_window.h"
#include "dialogs/bookmark_manager.h"
#include "dialogs/extra_lines_manager.h"
#include "dialogs/guide_window.h"
#include "document/table_reader.h"
#include "document/table_writer.h"
#include "editor/caps_lock.h"
#include "editor/eight_bit_text.h"
#include "editor/pictures.h"
#include "editor/status_panel.h"
#include "editor/table_grid.h"
#include "editor/table_model.h"
#include "kana/kana_tables.h"
#include "kana/romaji_conversion.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace zelvane {

namespace {

// Every text this window shows, as the user sees it.
namespace Texts {
const auto InitialTitle = QStringLiteral("Zelvane 0.9");
const auto FileFilter = QStringLiteral("File Tabella (.tbl)|*.tbl|File di testo (*.txt)|*.txt|Tutti i file (*.*)|*.*");
const auto SavePromptTitle = QStringLiteral("Tabella Modificata");
const auto SavePrompt = QStringLiteral("La tabella corrente è stata modificata.\r\n\r\nSalvare le modifiche?");
const auto ChangedOnDiskTitle = QStringLiteral("File modificato");
const auto ChangedOnDisk = QStringLiteral("Il file\r\n%1\r\nè stato modificato da un altro programma dopo che Zelvane l'ha letto o salvato.\r\n\r\nSovrascriverlo con la tabella aperta?");
const auto MarkRefusedTitle = QStringLiteral("Errore...");
const auto MarkRefused =
    QStringLiteral("La cella selezionata non contiene un carattere\r\nriconosciuto da Zelvane come speciale.");
const auto ErrorTitle = QStringLiteral("Errore");
const auto ReadFailed = QStringLiteral("Impossibile aprire la tabella");
const auto WriteFailed = QStringLiteral("Impossibile salvare la tabella");
const auto StatusText = QStringLiteral("Codice selezionato: %1='%2'");
} // namespace Texts

constexpr int ClientWidth = 531;
constexpr int ClientHeight = 443;
constexpr int ToolbarHeight = 24;
constexpr int StatusBarHeight = 23;
constexpr int RowHeight = 23;

enum Panel { SelectedCode = 1, ModifiedPanel, CapsLockPanel, AsciiPanel, HiraganaPanel, KatakanaPanel };

QFont ComicFont(qreal pointSize)
{
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setFamilies({QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue")});
    font.setPointSizeF(pointSize);
    return font;
}

// "Desc|pattern|Desc|pattern" as the dialog's name filters. "*.*" stands
// for every file, also those without a dot in their name.
QStringList NameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString pattern = parts[i + 1] == QLatin1String("*.*") ? QStringLiteral("*") : parts[i + 1];
        filters << QStringLiteral("%1 (%2)").arg(parts[i], pattern);
    }
    return filters;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmZelvane"));
    setWindowTitle(Texts::InitialTitle);
    setWindowIcon(WindowIcon());

    BuildMenus();
    BuildToolbar();
    BuildGrid();
    BuildStatusBar();

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
                          void (MainWindow::*slot)()) {
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
    QAction* saveAs = file->addAction(QStringLiteral("Sa&lva Tabella con nome..."));
    saveAs->setObjectName(QStringLiteral("mnuSaveAs"));
    connect(saveAs, &QAction::triggered, this, [this] { mnuSaveAs_Click(); });
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

    QMenu* help = addMenu(nullptr, "mnuHelp", QStringLiteral("&?"));
    addItem(help, "mnuReadme", QStringLiteral("&Leggimi..."), {}, &MainWindow::mnuReadme_Click);
    addItem(help, "mnuAbout", QStringLiteral("&Informazioni su Zelvane..."), {}, &MainWindow::mnuAbout_Click);
}

void MainWindow::BuildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setFixedHeight(ToolbarHeight);
    m_toolbar->setContentsMargins(0, 0, 0, 0);
    m_toolbar->setStyleSheet(QStringLiteral("QToolBar { padding: 0px; spacing: 0px; }"));
    addToolBar(Qt::TopToolBarArea, m_toolbar);

    struct Button {
        ToolbarPicture picture;
        const char* tooltip;
        std::initializer_list<const char*> items;
    };
    // Index 4, 7 and 11 are separators.
    const Button buttons[] = {
        {ToolbarPicture::NewPage, "Nuova Tabella", {}},
        {ToolbarPicture::OpenFolder, "Apri una Tabella...", {}},
        {ToolbarPicture::Floppy, "Salva Tabella corrente...", {}},
        {ToolbarPicture::MarkSpecial, "Segna cella corrente come carattere speciale", {}},
        {ToolbarPicture::UnmarkSpecial, "Rimuovi carattere speciale", {}},
        {ToolbarPicture::Capitals, "Completa con Maiuscole", {}},
        {ToolbarPicture::SmallLetters, "Completa con minuscole", {}},
        {ToolbarPicture::Digits, "Completa con numeri", {}},
        {ToolbarPicture::Romaji, "Romaji...",
         {"Suoni Puri maiuscoli", "Suoni Puri minuscoli", "Suoni Impuri/Semipuri maiuscoli", "Suoni Impuri/Semipuri minuscoli"}},
        {ToolbarPicture::Katakana, "Katakana...", {"Suoni Puri", "Suoni Impuri/Semipuri"}},
        {ToolbarPicture::Hiragana, "Hiragana...", {"Suoni Puri", "Suoni Impuri/Semipuri"}},
    };
    int index = 0;
    for (const Button& button : buttons) {
        ++index;
        if (index == 4 || index == 7 || index == 11) {
            m_toolbar->addSeparator();
            ++index;
        }
        const QString tooltip = QString::fromUtf8(button.tooltip);
        QAction* action = new QAction(ToolbarIcon(button.picture), tooltip, m_toolbar);
        action->setToolTip(tooltip);
        const int buttonIndex = index;
        connect(action, &QAction::triggered, this, [this, buttonIndex] { Toolbar1_ButtonClick(buttonIndex); });
        QMenu* menu = nullptr;
        if (button.items.size() > 0) {
            menu = new QMenu(this);
            int item = 0;
            for (const char* caption : button.items) {
                const int itemIndex = ++item;
                QAction* entry = menu->addAction(QString::fromUtf8(caption));
                connect(entry, &QAction::triggered, this,
                        [this, buttonIndex, itemIndex] { Toolbar1_ButtonMenuClick(buttonIndex, itemIndex); });
            }
        }
        m_toolbar->addAction(action);
        if (auto* toolButton = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(action))) {
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
    m_grid = new TableGrid(this);
    m_grid->setObjectName(QStringLiteral("TableGrid"));
    m_grid->setModel(m_model);
    m_grid->setFont(ComicFont(11.25));
    m_grid->setStyleSheet(QStringLiteral(
        "QTableView { gridline-color: rgb(192, 192, 192); background-color: rgb(128, 128, 128); }"));
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    QHeaderView* columns = m_grid->horizontalHeader();
    QHeaderView* rows = m_grid->verticalHeader();
    for (QHeaderView* header : {columns, rows}) {
        header->setFont(m_grid->font());
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
        header->setMinimumSectionSize(1);
    }
    // Widths follow the labels the grid is laid out with: a padded digit
    // for each code column, "F" and three blanks for the row labels.
    const QFontMetrics metrics(m_grid->font());
    const int padding = 6;
    int columnWidth = metrics.horizontalAdvance(QStringLiteral("  0  ")) + padding;
    int rowLabelWidth = metrics.horizontalAdvance(QStringLiteral("F   ")) + padding;
    const int available = ClientWidth - 2 * m_grid->frameWidth();
    if (rowLabelWidth + 16 * columnWidth > available) {
        columnWidth = (available - rowLabelWidth) / 16;
    }
    columns->setDefaultSectionSize(columnWidth);
    columns->setFixedHeight(RowHeight);
    rows->setDefaultSectionSize(RowHeight);
    rows->setFixedWidth(rowLabelWidth);
    rows->setDefaultAlignment(Qt::AlignCenter);

    setCentralWidget(m_grid);
    m_grid->setFocus();

    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, &MainWindow::TableGrid_EnterCell);
    connect(m_grid, &TableGrid::characterTyped, this, [this](std::uint8_t byte) { ApplyTypedKey(byte); });
    connect(m_grid, &TableGrid::backspacePressed, this, &MainWindow::Backspace);
    connect(m_grid, &TableGrid::keyHandled, this, &MainWindow::RefreshStatusText);
}

void MainWindow::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("SB"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(StatusBarHeight);
    bar->setFont(ComicFont(8.25));
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));

    struct PanelLayout {
        const char* text;
        int width;
        Qt::Alignment alignment;
    };
    const PanelLayout layouts[] = {
        {"Codice selezionato: 00=''", 150, Qt::AlignLeft | Qt::AlignVCenter},
        {"MODIFICATA", 80, Qt::AlignCenter},
        {"BLOC MAIUSC", 86, Qt::AlignCenter},
        {"ASC", 32, Qt::AlignLeft | Qt::AlignVCenter},
        {"HIR", 32, Qt::AlignLeft | Qt::AlignVCenter},
        {"KAT", 32, Qt::AlignLeft | Qt::AlignVCenter},
    };
    for (int i = 0; i < 6; ++i) {
        auto* panel = new StatusPanel(QString::fromUtf8(layouts[i].text), i + 1, bar);
        panel->setAlignment(layouts[i].alignment);
        if (i == 0) {
            // A long value must not widen the window: the text is cut.
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            panel->setMinimumWidth(layouts[i].width);
            panel->setPicture(StatusFigure());
        } else {
            panel->setFixedWidth(layouts[i].width);
        }
        connect(panel, &StatusPanel::clicked, this, &MainWindow::SB_PanelClick);
        bar->addPermanentWidget(panel, i == 0 ? 1 : 0);
        m_panels[i] = panel;
    }
    m_panels[ModifiedPanel - 1]->setEnabled(false);
    m_panels[CapsLockPanel - 1]->setEnabled(false);
    m_panels[HiraganaPanel - 1]->setEnabled(false);
    m_panels[KatakanaPanel - 1]->setEnabled(false);
}

void MainWindow::Form_Load()
{
    m_document.FileName = std::string(UntitledName);
    RefreshCaption();
    m_inputMode = InputMode::Ascii;
    m_grid->setCurrentIndex(m_model->IndexOf(0));
    RefreshStatusText();
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

// ---- Document commands ----

bool MainWindow::ConfirmDiscard()
{
    if (!m_document.Modified)
        return true;
    QMessageBox box(QMessageBox::Question, Texts::SavePromptTitle, Texts::SavePrompt,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        // Work the user asked to keep is never dropped: when Save As writes
        // nothing, the command stops.
        return mnuSaveAs_Click();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void MainWindow::ShowFileError(const QString& action, const QString& path, const std::string& reason)
{
    QMessageBox box(QMessageBox::Warning, Texts::ErrorTitle,
                    QStringLiteral("%1:\n%2\n\n%3.").arg(action, path, QString::fromStdString(reason)), QMessageBox::Ok, this);
    box.exec();
}

QString MainWindow::ChooseFile(bool forSaving)
{
    // Made on first use, not at start-up, where it would cost a quarter of
    // the time to the first frame; then kept for the whole run.
    if (!m_fileDialog) {
        m_fileDialog = new QFileDialog(this);
        m_fileDialog->setNameFilters(NameFilters(Texts::FileFilter));
        m_fileDialog->setOption(QFileDialog::HideNameFilterDetails);
    }
    m_fileDialog->setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    m_fileDialog->setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    m_fileDialog->setWindowTitle(forSaving ? QStringLiteral("Salva con nome") : QStringLiteral("Apri"));
    m_fileDialog->selectNameFilter(m_fileDialog->nameFilters().constFirst());
    m_fileDialog->selectFile(forSaving ? PathText(m_document.FileName) : m_lastDialogName);
    if (m_fileDialog->exec() != QDialog::Accepted || m_fileDialog->selectedFiles().isEmpty())
        return {};
    m_lastDialogName = m_fileDialog->selectedFiles().constFirst();
    return m_lastDialogName;
}

void MainWindow::mnuNew_Click()
{
    if (!ConfirmDiscard())
        return;
    m_document.ClearTable();
    m_document.FileName = std::string(UntitledName);
    m_document.DiskStamp.reset();
    AfterTableReplaced();
}

void MainWindow::mnuOpen_Click()
{
    if (!ConfirmDiscard())
        return;
    const QString path = ChooseFile(false);
    if (!path.isEmpty())
        OpenTable(path);
}

bool MainWindow::OpenTable(const QString& path)
{
    // The reader replaces the table only when the whole file was taken.
    const FileResult result = LoadTable(m_document, PathBytes(path));
    if (!result) {
        ShowFileError(Texts::ReadFailed, path, result.message);
        return false;
    }
    m_document.Modified = false;
    AfterTableReplaced();
    return true;
}

void MainWindow::TakeManagerLines()
{
    if (m_extraLines)
        m_extraLines->WriteBack();
}

bool MainWindow::ConfirmOverwrite(const std::string& path)
{
    // Only the file this table came from, or was last saved to, is checked.
    const std::optional<FileStamp>& known = m_document.DiskStamp;
    const std::optional<FileStamp> now = StampOf(path);
    if (!known || !now || *now == *known)
        return true;
    const bool sameFile = path == m_document.FileName || (now->Device == known->Device && now->Inode == known->Inode);
    if (!sameFile)
        return true;
    QMessageBox box(QMessageBox::Question, Texts::ChangedOnDiskTitle, Texts::ChangedOnDisk.arg(PathText(path)),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MainWindow::mnuSave_Click()
{
    if (m_document.IsUntitled()) {
        mnuSaveAs_Click();
        return;
    }
    TakeManagerLines();
    if (m_document.Modified) {
        if (!ConfirmOverwrite(m_document.FileName))
            return;
        const FileResult result = SaveTable(m_document, m_document.FileName);
        if (!result) {
            ShowFileError(Texts::WriteFailed, PathText(m_document.FileName), result.message);
            return;
        }
        MoveToCode(0);
    }
    m_document.Modified = false;
    RefreshModified();
}

bool MainWindow::mnuSaveAs_Click()
{
    TakeManagerLines();
    const QString path = ChooseFile(true);
    if (path.isEmpty() || !ConfirmOverwrite(PathBytes(path)))
        return false;
    const FileResult result = SaveTable(m_document, PathBytes(path));
    if (!result) {
        ShowFileError(Texts::WriteFailed, path, result.message);
        return false;
    }
    m_document.Modified = false;
    MoveToCode(0);
    RefreshCaption();
    RefreshModified();
    return true;
}

void MainWindow::mnuClose_Click()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!ConfirmDiscard()) {
        event->ignore();
        return;
    }
    for (QWidget* window : std::initializer_list<QWidget*>{m_extraLines, m_bookmarks, m_about, m_guide}) {
        if (window)
            window->close();
    }
    event->accept();
}

void MainWindow::AfterTableReplaced()
{
    m_model->TableReplaced();
    MoveToCode(0);
    RefreshCaption();
    RefreshModified();
    emit tableReplaced();
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
    const bool opening = !manager;
    ShowSingle(manager, m_document);
    if (opening) {
        connect(manager, &Manager::documentModified, this, &MainWindow::RefreshModified);
        connect(this, &MainWindow::tableReplaced, manager, &Manager::Refill);
    }
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

void MainWindow::SB_PanelClick(int index)
{
    switch (index) {
    case AsciiPanel: SetInputMode(InputMode::Ascii); break;
    case HiraganaPanel: SetInputMode(InputMode::Hiragana); break;
    case KatakanaPanel: SetInputMode(InputMode::Katakana); break;
    default: break;
    }
}

// ---- Cell editing ----

void MainWindow::ApplyTypedKey(int keyCode)
{
    const std::uint8_t code = currentCode();
    TableEntry& entry = m_document.Entries[code];
    entry.Value = ConvertTypedKey(entry.Value, static_cast<char>(keyCode), m_inputMode);
    EntryEdited(code);
}

void MainWindow::EntryEdited(std::uint8_t code)
{
    m_document.Modified = true;
    m_model->EntryChanged(code);
    RefreshModified();
    RefreshStatusText();
}

void MainWindow::Backspace()
{
    const std::uint8_t code = currentCode();
    std::string& value = m_document.Entries[code].Value;
    if (!value.empty()) {
        // In the kana modes a kana is two characters, and a half-typed
        // syllable goes with it: the whole cell is emptied.
        if (m_inputMode == InputMode::Ascii)
            value.pop_back();
        else
            value.clear();
        EntryEdited(code);
    }
}

// ---- Special codes ----

void MainWindow::MarkSpecial()
{
    const std::uint8_t code = currentCode();
    if (!zelvane::MarkSpecial(m_document, code)) {
        QMessageBox box(QMessageBox::Warning, Texts::MarkRefusedTitle, Texts::MarkRefused, QMessageBox::Ok, this);
        box.exec();
        return;
    }
    EntryEdited(code);
}

void MainWindow::UnmarkSpecial()
{
    const std::uint8_t code = currentCode();
    if (zelvane::UnmarkSpecial(m_document, code))
        EntryEdited(code);
}

// ---- Fills ----

void MainWindow::FillCharRange(std::uint8_t first, std::uint8_t last)
{
    Fill(CharRangeSequence(first, last));
}

void MainWindow::FillFromList(std::span<const std::string_view> list, InputMode script, LetterCase letterCase)
{
    Fill(ListSequence(list, script, letterCase));
}

void MainWindow::Fill(const std::vector<std::string>& values)
{
    const std::uint8_t start = currentCode();
    const std::uint8_t next = FillEntries(m_document, start, values);
    const std::size_t written = std::min<std::size_t>(values.size(), CodeCount - start);
    if (written > 0)
        m_model->EntriesChanged(start, static_cast<std::uint8_t>(start + written - 1));
    MoveToCode(next);
    RefreshModified();
}

// ---- Toolbar ----

void MainWindow::Toolbar1_ButtonClick(int index)
{
    switch (index) {
    case 1: mnuNew_Click(); break;
    case 2: mnuOpen_Click(); break;
    case 3: mnuSave_Click(); break;
    case 5: MarkSpecial(); break;
    case 6: UnmarkSpecial(); break;
    case 8: FillCharRange('A', 'Z'); break;
    case 9: FillCharRange('a', 'z'); break;
    case 10: FillCharRange('0', '9'); break;
    case 12: FillFromList(PureRomaji, InputMode::Ascii, LetterCase::Upper); break;
    case 13: FillFromList(PureKana, InputMode::Katakana, LetterCase::AsListed); break;
    case 14: FillFromList(PureKana, InputMode::Hiragana, LetterCase::AsListed); break;
    default: break;
    }
}

void MainWindow::Toolbar1_ButtonMenuClick(int button, int item)
{
    switch (button * 10 + item) {
    case 121: FillFromList(PureRomaji, InputMode::Ascii, LetterCase::Upper); break;
    case 122: FillFromList(PureRomaji, InputMode::Ascii, LetterCase::AsListed); break;
    case 123: FillFromList(VoicedRomaji, InputMode::Ascii, LetterCase::Upper); break;
    case 124: FillFromList(VoicedRomaji, InputMode::Ascii, LetterCase::AsListed); break;
    case 131: FillFromList(PureKana, InputMode::Katakana, LetterCase::AsListed); break;
    case 132: FillFromList(VoicedKana, InputMode::Katakana, LetterCase::AsListed); break;
    case 141: FillFromList(PureKana, InputMode::Hiragana, LetterCase::AsListed); break;
    case 142: FillFromList(VoicedKana, InputMode::Hiragana, LetterCase::AsListed); break;
    default: break;
    }
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
    m_panels[SelectedCode - 1]->setText(
        Texts::StatusText.arg(QString::fromStdString(CodeText(code)), ToDisplay(m_document.Entries[code].Value)));
}

void MainWindow::RefreshModified()
{
    m_panels[ModifiedPanel - 1]->setEnabled(m_document.Modified);
}

void MainWindow::RefreshInputMode()
{
    const int mode = static_cast<int>(m_inputMode) - 1;
    for (int i = 0; i < 3; ++i) {
        m_modeActions[i]->setChecked(i == mode);
        m_panels[AsciiPanel - 1 + i]->setEnabled(i == mode);
    }
}

void MainWindow::SetCapsLockShown(bool on)
{
    m_panels[CapsLockPanel - 1]->setEnabled(on);
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
