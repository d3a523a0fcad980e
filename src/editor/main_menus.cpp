// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/main_menus.h"

#include "common/pictures.h"
#include "editor/main_window.h"
#include "editor/tool_bar.h"
#include "kana/kana_tables.h"

#include <QMenuBar>

namespace zelvane {

MenuActions BuildMenus(MainWindow& window)
{
    auto addMenu = [&window](QMenu* parentMenu, const char* name, const QString& title) {
        QMenu* menu = parentMenu ? parentMenu->addMenu(title) : window.menuBar()->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addItem = [&window](QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut,
                             auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, &window, slot);
        return action;
    };
    auto checkable = [](QAction* action) {
        // Check marks, not radio bullets: the window keeps exactly one of a
        // group checked, also when the checked item is chosen again.
        action->setCheckable(true);
        return action;
    };

    QMenu* file = addMenu(nullptr, "mnuFile", QStringLiteral("&File"));
    addItem(file, "mnuNew", QStringLiteral("&Nuova Tabella..."), QKeySequence(Qt::CTRL | Qt::Key_N),
            &MainWindow::mnuNew_Click)->setIcon(MenuIcon(MenuPicture::New));
    addItem(file, "mnuOpen", QStringLiteral("&Apri Tabella..."), QKeySequence(Qt::CTRL | Qt::Key_O),
            &MainWindow::mnuOpen_Click)->setIcon(MenuIcon(MenuPicture::Open));
    addItem(file, "mnuSave", QStringLiteral("&Salva Tabella"), QKeySequence(Qt::CTRL | Qt::Key_S),
            &MainWindow::mnuSave_Click)->setIcon(MenuIcon(MenuPicture::Save));
    addItem(file, "mnuSaveAs", QStringLiteral("Sa&lva Tabella con nome..."), {}, [&window] { window.mnuSaveAs_Click(); });
    addItem(file, "mnuClose", QStringLiteral("&Chiudi Zelvane"), QKeySequence(Qt::CTRL | Qt::Key_Q),
            &MainWindow::mnuClose_Click);

    MenuActions actions;
    QMenu* edit = addMenu(nullptr, "mnuEdit", QStringLiteral("&Modifica"));
    // Annulla and Ripeti run the history's steps; the window connects them.
    actions.undo = addItem(edit, "mnuUndo", QStringLiteral("&Annulla"), QKeySequence(Qt::CTRL | Qt::Key_Z), [] {});
    actions.redo = addItem(edit, "mnuRedo", QStringLiteral("&Ripeti"), QKeySequence(Qt::CTRL | Qt::Key_Y), [] {});
    edit->addSeparator();
    addItem(edit, "mnuCut", QStringLiteral("&Taglia"), QKeySequence(Qt::CTRL | Qt::Key_X), &MainWindow::mnuCut_Click);
    addItem(edit, "mnuCopy", QStringLiteral("&Copia"), QKeySequence(Qt::CTRL | Qt::Key_C), &MainWindow::mnuCopy_Click);
    addItem(edit, "mnuPaste", QStringLiteral("&Incolla"), QKeySequence(Qt::CTRL | Qt::Key_V), &MainWindow::mnuPaste_Click);
    addItem(edit, "mnuPasteSequence", QStringLiteral("Incolla in se&quenza"),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), &MainWindow::mnuPasteSequence_Click);
    edit->addSeparator();
    addItem(edit, "mnuFind", QStringLiteral("&Trova..."), QKeySequence(Qt::CTRL | Qt::Key_F), &MainWindow::mnuFind_Click);
    addItem(edit, "mnuFindNext", QStringLiteral("Trova s&uccessivo"), QKeySequence(Qt::Key_F3),
            &MainWindow::mnuFindNext_Click);
    addItem(edit, "mnuGoTo", QStringLiteral("&Vai al codice..."), QKeySequence(Qt::CTRL | Qt::Key_G),
            &MainWindow::mnuGoTo_Click);
    edit->addSeparator();
    addItem(edit, "mnuNextPage", QStringLiteral("Pagina su&ccessiva"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
            &MainWindow::mnuNextPage_Click);
    addItem(edit, "mnuPrevPage", QStringLiteral("Pagina p&recedente"), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
            &MainWindow::mnuPrevPage_Click);

    QMenu* options = addMenu(nullptr, "mnuOptions", QStringLiteral("&Opzioni"));
    addItem(options, "mnuBook", QStringLiteral("G&estione Bookmarks..."), {}, &MainWindow::mnuBook_Click);
    addItem(options, "mnuExtra", QStringLiteral("&Gestione Linee Extra..."), {}, &MainWindow::mnuExtra_Click);
    QMenu* input = addMenu(options, "mnuInput", QStringLiteral("&Modalità Input..."));
    actions.inputModes = {
        checkable(addItem(input, "mnuASCII", QStringLiteral("ASCII"), QKeySequence(Qt::CTRL | Qt::Key_A),
                          &MainWindow::mnuASCII_Click)),
        checkable(addItem(input, "mnuHira", QStringLiteral("Hiragana"), QKeySequence(Qt::CTRL | Qt::Key_H),
                          &MainWindow::mnuHira_Click)),
        checkable(addItem(input, "mnuKata", QStringLiteral("Katakana"), QKeySequence(Qt::CTRL | Qt::Key_K),
                          &MainWindow::mnuKata_Click)),
    };
    QMenu* encodings = addMenu(options, "mnuEncoding", QStringLiteral("Codifica testo"));
    const auto encodingItem = [&](const char* name, const QString& text, TextEncoding encoding) {
        return checkable(addItem(encodings, name, text, {}, [&window, encoding] { window.SetEncoding(encoding); }));
    };
    actions.encodings = {
        encodingItem("mnuEnc8Bit", QStringLiteral("8 bit"), TextEncoding::EightBit),
        encodingItem("mnuEncEucJp", QStringLiteral("EUC-JP"), TextEncoding::EucJp),
        encodingItem("mnuEncShiftJis", QStringLiteral("Shift-JIS"), TextEncoding::ShiftJis),
        encodingItem("mnuEncUtf8", QStringLiteral("UTF-8"), TextEncoding::Utf8),
    };

    QMenu* tools = addMenu(nullptr, "mnuTools", QStringLiteral("&Strumenti"));
    addItem(tools, "mnuRomView", QStringLiteral("&Anteprima ROM..."), {}, &MainWindow::mnuRomView_Click);
    addItem(tools, "mnuRelSearch", QStringLiteral("Ricerca &relativa..."), {}, &MainWindow::mnuRelSearch_Click);
    addItem(tools, "mnuFontView", QStringLiteral("&Font..."), {}, &MainWindow::mnuFontView_Click);
    addItem(tools, "mnuScript", QStringLiteral("&Script..."), {}, &MainWindow::mnuScript_Click);
    tools->addSeparator();
    actions.showGlyphs = checkable(addItem(tools, "mnuShowGlyphs", QStringLiteral("Mostra &glifi"), {},
                                           [&window](bool on) { window.mnuShowGlyphs_Click(on); }));

    QMenu* help = addMenu(nullptr, "mnuHelp", QStringLiteral("&?"));
    addItem(help, "mnuReadme", QStringLiteral("&Leggimi..."), {}, &MainWindow::mnuReadme_Click);
    addItem(help, "mnuAbout", QStringLiteral("&Informazioni su Zelvane..."), {}, &MainWindow::mnuAbout_Click);
    return actions;
}

ToolBar* BuildToolbar(MainWindow& window)
{
    using Item = ToolBar::Item;
    auto fill = [&window](std::span<const std::string_view> list, InputMode script, LetterCase letterCase) {
        return [=, &window] { window.FillFromList(list, script, letterCase); };
    };
    auto range = [&window](char first, char last) { return [=, &window] { window.FillCharRange(first, last); }; };
    const ToolBar::Button separator{};
    return new ToolBar(
        {
            {ToolbarPicture::NewPage, "Nuova Tabella", [&window] { window.mnuNew_Click(); }, {}},
            {ToolbarPicture::OpenFolder, "Apri una Tabella...", [&window] { window.mnuOpen_Click(); }, {}},
            {ToolbarPicture::Floppy, "Salva Tabella corrente...", [&window] { window.mnuSave_Click(); }, {}},
            separator,
            {ToolbarPicture::MarkSpecial, "Segna cella corrente come carattere speciale", [&window] { window.MarkSpecial(); }, {}},
            {ToolbarPicture::UnmarkSpecial, "Rimuovi carattere speciale", [&window] { window.UnmarkSpecial(); }, {}},
            separator,
            {ToolbarPicture::Capitals, "Completa con Maiuscole", range('A', 'Z'), {}},
            {ToolbarPicture::SmallLetters, "Completa con minuscole", range('a', 'z'), {}},
            {ToolbarPicture::Digits, "Completa con numeri", range('0', '9'), {}},
            separator,
            {ToolbarPicture::Romaji, "Romaji...", fill(PureRomaji, InputMode::Ascii, LetterCase::Upper),
             {Item{"Suoni Puri maiuscoli", fill(PureRomaji, InputMode::Ascii, LetterCase::Upper)},
              Item{"Suoni Puri minuscoli", fill(PureRomaji, InputMode::Ascii, LetterCase::AsListed)},
              Item{"Suoni Impuri/Semipuri maiuscoli", fill(VoicedRomaji, InputMode::Ascii, LetterCase::Upper)},
              Item{"Suoni Impuri/Semipuri minuscoli", fill(VoicedRomaji, InputMode::Ascii, LetterCase::AsListed)}}},
            {ToolbarPicture::Katakana, "Katakana...", fill(PureKana, InputMode::Katakana, LetterCase::AsListed),
             {Item{"Suoni Puri", fill(PureKana, InputMode::Katakana, LetterCase::AsListed)},
              Item{"Suoni Impuri/Semipuri", fill(VoicedKana, InputMode::Katakana, LetterCase::AsListed)}}},
            {ToolbarPicture::Hiragana, "Hiragana...", fill(PureKana, InputMode::Hiragana, LetterCase::AsListed),
             {Item{"Suoni Puri", fill(PureKana, InputMode::Hiragana, LetterCase::AsListed)},
              Item{"Suoni Impuri/Semipuri", fill(VoicedKana, InputMode::Hiragana, LetterCase::AsListed)}}},
        },
        &window);
}

} // namespace zelvane
