#pragma once

#include "document/table_document.h"
#include "kana/fill_sequences.h"
#include "kana/input_mode.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QFileDialog;
class QToolBar;

namespace zelvane {

class BookmarkManager;
class ExtraLinesManager;
class AboutWindow;
class GuideWindow;
class StatusPanel;
class TableGrid;
class TableModel;

// The editor's one main window: it owns the open table, shows it in the
// grid and runs every command of the menus, the toolbar and the keyboard.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    [[nodiscard]] TableDocument& document() { return m_document; }
    [[nodiscard]] InputMode inputMode() const { return m_inputMode; }
    [[nodiscard]] std::uint8_t currentCode() const;

    // Reads the table file at `path` into the window; on failure tells the
    // user why and changes nothing. True when the table was read.
    bool OpenTable(const QString& path);

    void SetInputMode(InputMode mode);
    // A printable key typed into the current cell (its 8-bit code).
    void ApplyTypedKey(int keyCode);
    void Backspace();
    void MarkSpecial();
    void UnmarkSpecial();
    void FillCharRange(std::uint8_t first, std::uint8_t last);
    void FillFromList(std::span<const std::string_view> list, InputMode script, LetterCase letterCase);

    // Sets the Caps Lock look of panel 3; the platform's state is read on
    // every key, on activation and at start-up where it can be known.
    void SetCapsLockShown(bool on);

signals:
    // New or Open replaced the table; open managers refill from it.
    void tableReplaced();

public slots:
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    // True when the table was written.
    bool mnuSaveAs_Click();
    void mnuClose_Click();
    void mnuBook_Click();
    void mnuExtra_Click();
    void mnuReadme_Click();
    void mnuAbout_Click();
    void mnuASCII_Click();
    void mnuHira_Click();
    void mnuKata_Click();
    void Toolbar1_ButtonClick(int index);
    void Toolbar1_ButtonMenuClick(int button, int item);
    void SB_PanelClick(int index);
    void TableGrid_EnterCell();
    // Refreshes the "MODIFICATA" panel from the document.
    void RefreshModified();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    void BuildGrid();
    void BuildStatusBar();
    void Form_Load();

    // The save prompt; false when the command that asked must stop.
    [[nodiscard]] bool ConfirmDiscard();
    // False when `path` is the table's file, another program changed it
    // since it was read or saved, and the user chose not to overwrite it.
    [[nodiscard]] bool ConfirmOverwrite(const std::string& path);
    // Opens a manager, or brings it to the front, wired to the table.
    template<typename Manager>
    void ShowManager(QPointer<Manager>& manager);
    // What an open extra lines manager lists is what gets saved.
    void TakeManagerLines();
    void ShowFileError(const QString& action, const QString& path, const std::string& reason);
    void AfterTableReplaced();
    void MoveToCode(std::uint8_t code);
    // Writes the values from the current cell on, one grid update in all.
    void Fill(const std::vector<std::string>& values);
    [[nodiscard]] QString ChooseFile(bool forSaving);

    void RefreshCaption();
    void RefreshStatusText();
    // After an edit of one entry: Modified, the cell, the panels.
    void EntryEdited(std::uint8_t code);
    void RefreshInputMode();
    void RefreshCapsLock();

    TableDocument m_document;
    InputMode m_inputMode = InputMode::Ascii;

    TableModel* m_model = nullptr;
    TableGrid* m_grid = nullptr;
    QToolBar* m_toolbar = nullptr;
    QFileDialog* m_fileDialog = nullptr;
    QString m_lastDialogName;
    std::array<QAction*, 3> m_modeActions{};
    std::array<StatusPanel*, 6> m_panels{};

    QPointer<ExtraLinesManager> m_extraLines;
    QPointer<BookmarkManager> m_bookmarks;
    QPointer<AboutWindow> m_about;
    QPointer<GuideWindow> m_guide;
};

} // namespace zelvane
