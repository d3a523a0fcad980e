#include "common/gui_test_main.h"
#include "common/modal_answers.h"
#include "common/test_files.h"
#include "editor/main_window.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QSignalSpy>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

using namespace zelvane;
using test::AnswerBox;
using test::AnswerFileDialog;
using test::SeenBox;
using test::SeenDialog;

namespace {

const QString Suffix = QStringLiteral(" - Zelvane 0.9");

QLabel* Panel(MainWindow& w, int index)
{
    return w.findChild<QLabel*>(QStringLiteral("SBPanel%1").arg(index));
}

QAction* Action(MainWindow& w, const char* name)
{
    return w.findChild<QAction*>(QLatin1String(name));
}

QTableView* Grid(MainWindow& w)
{
    return w.findChild<QTableView*>(QStringLiteral("TableGrid"));
}

QString CellText(MainWindow& w, int code)
{
    QAbstractItemModel* model = Grid(w)->model();
    return model->data(model->index(code / 16, code % 16)).toString();
}


void TypeInto(MainWindow& w, int code, const QString& text)
{
    Grid(w)->setCurrentIndex(Grid(w)->model()->index(code / 16, code % 16));
    QTest::keyClicks(Grid(w), text);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void starts_untitled_with_layout_in_initial_state();
    void menus_have_captions_and_shortcuts();
    void toolbar_has_fourteen_entries_by_index();
    void open_shows_table_and_titles_window();
    void failed_open_changes_nothing_and_says_why();
    void save_of_clean_titled_table_writes_nothing();
    void save_writes_modified_table_and_clears_flag();
    void save_asks_before_overwriting_an_outside_change();
    void untitled_save_asks_for_name_and_dialog_remembers_it();
    void save_as_cancelled_keeps_modified();
    void failed_save_changes_nothing_and_says_why();
    void prompt_answers_for_new_data();
    void prompt_answers_for_new();
    void prompt_guards_open();
    void prompt_yes_offers_own_path_with_overwrite_check();
    void close_goes_through_prompt();

private:
    MainWindow* m_window = nullptr;
    QTemporaryDir* m_dir = nullptr;
    QString Path(const char* name) const { return m_dir->filePath(QLatin1String(name)); }
    void OpenFile(const QString& path);
};

void MainWindowTest::init()
{
    m_dir = new QTemporaryDir;
    m_window = new MainWindow;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void MainWindowTest::cleanup()
{
    m_window->document().Modified = false;
    delete m_window;
    delete m_dir;
}

void MainWindowTest::OpenFile(const QString& path)
{
    AnswerFileDialog(path);
    m_window->mnuOpen_Click();
}

void MainWindowTest::starts_untitled_with_layout_in_initial_state()
{
    MainWindow& w = *m_window;
    QCOMPARE(w.objectName(), QStringLiteral("frmZelvane"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Senza Nome") + Suffix);
    QCOMPARE(w.width(), 531);
    QCOMPARE(w.height(), 443 + w.menuBar()->height());
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(w.findChild<QToolBar*>(QStringLiteral("Toolbar1"))->height(), 24);
    QCOMPARE(w.findChild<QStatusBar*>(QStringLiteral("SB"))->height(), 23);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Grid(w)));

    const char* texts[] = {"Codice selezionato: 00=''", "MODIFICATA", "BLOC MAIUSC", "ASC", "HIR", "KAT"};
    const bool enabled[] = {true, false, false, true, false, false};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(Panel(w, i + 1)->text(), QLatin1String(texts[i]));
        QCOMPARE(Panel(w, i + 1)->isEnabled(), enabled[i]);
    }
    QCOMPARE(Panel(w, 2)->width(), 80);
    QCOMPARE(Panel(w, 4)->width(), 32);

    QAbstractItemModel* model = Grid(w)->model();
    QCOMPARE(model->rowCount(), 16);
    QCOMPARE(model->columnCount(), 16);
    QCOMPARE(model->headerData(10, Qt::Horizontal).toString(), QStringLiteral("  A  "));
    QCOMPARE(model->headerData(15, Qt::Vertical).toString(), QStringLiteral("F"));
    QCOMPARE(model->data(model->index(0, 0), Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 255));
    QCOMPARE(Grid(w)->currentIndex(), model->index(0, 0));

    // Before any New or Open the status text still names the code.
    Grid(w)->setCurrentIndex(model->index(0, 1));
    QCOMPARE(Panel(w, 1)->text(), QStringLiteral("Codice selezionato: 01=''"));
}

void MainWindowTest::menus_have_captions_and_shortcuts()
{
    MainWindow& w = *m_window;
    struct Item {
        const char* name;
        const char* text;
        const char* shortcut;
    };
    const Item items[] = {
        {"mnuNew", "&Nuova Tabella...", "Ctrl+N"}, {"mnuOpen", "&Apri Tabella...", "Ctrl+O"},
        {"mnuSave", "&Salva Tabella", "Ctrl+S"}, {"mnuSaveAs", "Sa&lva Tabella con nome...", ""},
        {"mnuClose", "&Chiudi Zelvane", "Ctrl+Q"}, {"mnuBook", "G&estione Bookmarks...", ""},
        {"mnuExtra", "&Gestione Linee Extra...", ""}, {"mnuASCII", "ASCII", "Ctrl+A"},
        {"mnuHira", "Hiragana", "Ctrl+H"}, {"mnuKata", "Katakana", "Ctrl+K"},
        {"mnuReadme", "&Leggimi...", ""}, {"mnuAbout", "&Informazioni su Zelvane...", ""},
    };
    for (const Item& item : items) {
        QAction* action = Action(w, item.name);
        QVERIFY2(action, item.name);
        QCOMPARE(action->text(), QString::fromUtf8(item.text));
        QCOMPARE(action->shortcut().toString(), QLatin1String(item.shortcut));
        QVERIFY(action->isEnabled());
    }
    QCOMPARE(w.findChild<QMenu*>(QStringLiteral("mnuFile"))->title(), QStringLiteral("&File"));
    QCOMPARE(w.findChild<QMenu*>(QStringLiteral("mnuOptions"))->title(), QStringLiteral("&Opzioni"));
    QCOMPARE(w.findChild<QMenu*>(QStringLiteral("mnuInput"))->title(), QStringLiteral("&Modalità Input..."));
    QCOMPARE(w.findChild<QMenu*>(QStringLiteral("mnuHelp"))->title(), QStringLiteral("&?"));
    QVERIFY(Action(w, "mnuASCII")->isChecked());
    QVERIFY(!Action(w, "mnuHira")->isChecked());
    for (const char* name : {"mnuNew", "mnuOpen", "mnuSave"})
        QVERIFY(!Action(w, name)->icon().isNull());
}

void MainWindowTest::toolbar_has_fourteen_entries_by_index()
{
    auto* toolbar = m_window->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    QVERIFY(toolbar);
    const QList<QAction*> actions = toolbar->actions();
    QCOMPARE(actions.size(), 14);
    const QStringList tooltips = {
        "Nuova Tabella", "Apri una Tabella...", "Salva Tabella corrente...", "",
        "Segna cella corrente come carattere speciale", "Rimuovi carattere speciale", "",
        "Completa con Maiuscole", "Completa con minuscole", "Completa con numeri", "",
        "Romaji...", "Katakana...", "Hiragana...",
    };
    for (int i = 0; i < 14; ++i) {
        QCOMPARE(actions[i]->isSeparator(), tooltips[i].isEmpty());
        if (!actions[i]->isSeparator()) {
            QCOMPARE(actions[i]->toolTip(), tooltips[i]);
            QVERIFY(!actions[i]->icon().isNull());
        }
    }
    const QList<QStringList> items = {
        {"Suoni Puri maiuscoli", "Suoni Puri minuscoli", "Suoni Impuri/Semipuri maiuscoli",
         "Suoni Impuri/Semipuri minuscoli"},
        {"Suoni Puri", "Suoni Impuri/Semipuri"},
        {"Suoni Puri", "Suoni Impuri/Semipuri"},
    };
    for (int i = 0; i < 3; ++i) {
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(actions[11 + i]));
        QVERIFY(button);
        QCOMPARE(button->popupMode(), QToolButton::MenuButtonPopup);
        QVERIFY(button->menu());
        QStringList captions;
        for (QAction* item : button->menu()->actions())
            captions << item->text();
        QCOMPARE(captions, items[i]);
    }
}

void MainWindowTest::open_shows_table_and_titles_window()
{
    test::WriteBytes(Path("a.tbl").toStdString(), "s: 20\r\n41=A\r\n/0F\r\n(1A2h)Menu\r\n");
    QAbstractItemModelTester tester(Grid(*m_window)->model());
    QSignalSpy resets(Grid(*m_window)->model(), &QAbstractItemModel::modelReset);
    QSignalSpy cellChanges(Grid(*m_window)->model(), &QAbstractItemModel::dataChanged);
    OpenFile(Path("a.tbl"));
    // The read reaches the grid as one reset, not cell by cell.
    QCOMPARE(resets.count(), 1);
    QCOMPARE(cellChanges.count(), 0);
    MainWindow& w = *m_window;
    QCOMPARE(w.windowTitle(), Path("a.tbl") + Suffix);
    QCOMPARE(CellText(w, 0x41), QStringLiteral("A"));
    QCOMPARE(Grid(w)->model()->data(Grid(w)->model()->index(0, 15), Qt::BackgroundRole).value<QColor>(),
             QColor(255, 255, 0));
    QCOMPARE(Grid(w)->model()->headerData(10, Qt::Horizontal).toString(), QStringLiteral("A"));
    QVERIFY(!Panel(w, 2)->isEnabled());
    QCOMPARE(w.document().Bookmarks[0].Title, std::string("Menu"));
    QCOMPARE(Panel(w, 1)->text(), QStringLiteral("Codice selezionato: 00=''"));
}

void MainWindowTest::failed_open_changes_nothing_and_says_why()
{
    test::WriteBytes(Path("good.tbl").toStdString(), "41=A\r\n");
    test::WriteBytes(Path("bad.tbl").toStdString(), "42=B\r\n\r\n4G=x\r\n");
    OpenFile(Path("good.tbl"));
    TypeInto(*m_window, 0x50, QStringLiteral("z"));

    SeenBox seen;
    AnswerBox(QMessageBox::No, nullptr, [&] { AnswerFileDialog(Path("bad.tbl"), nullptr, [&] { AnswerBox(QMessageBox::Ok, &seen); }); });
    m_window->mnuOpen_Click();
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Errore"));
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QVERIFY2(seen.text.contains(Path("bad.tbl")) && seen.text.contains(QStringLiteral("riga 3"))
                 && seen.text.contains(QStringLiteral("\"4G\" non è formato")),
             qPrintable(seen.text));

    MainWindow& w = *m_window;
    QCOMPARE(w.windowTitle(), Path("good.tbl") + Suffix);
    QCOMPARE(CellText(w, 0x41), QStringLiteral("A"));
    QCOMPARE(CellText(w, 0x50), QStringLiteral("z"));
    QCOMPARE(CellText(w, 0x42), QString());
    QVERIFY(w.document().Modified);
    QVERIFY(Panel(w, 2)->isEnabled());
}

void MainWindowTest::save_of_clean_titled_table_writes_nothing()
{
    const std::string original = "41=A\n\n\n";
    test::WriteBytes(Path("t.tbl").toStdString(), original);
    OpenFile(Path("t.tbl"));
    m_window->mnuSave_Click();
    QCOMPARE(test::ReadBytes(Path("t.tbl").toStdString()), original);
}

void MainWindowTest::save_writes_modified_table_and_clears_flag()
{
    test::WriteBytes(Path("t.tbl").toStdString(), "41=A\n");
    OpenFile(Path("t.tbl"));
    TypeInto(*m_window, 0x42, QStringLiteral("B"));
    QVERIFY(Panel(*m_window, 2)->isEnabled());
    m_window->mnuSave_Click();
    QCOMPARE(test::ReadBytes(Path("t.tbl").toStdString()), std::string("41=A\r\n42=B\r\n"));
    QVERIFY(!Panel(*m_window, 2)->isEnabled());
    QVERIFY(!m_window->document().Modified);
}

void MainWindowTest::save_asks_before_overwriting_an_outside_change()
{
    const std::string path = Path("t.tbl").toStdString();
    test::WriteBytes(path, "41=A\n");
    OpenFile(Path("t.tbl"));
    test::WriteBytes(path, "41=from git\n"); // another program, meanwhile
    TypeInto(*m_window, 0x42, QStringLiteral("B"));

    SeenBox seen;
    AnswerBox(QMessageBox::No, &seen);
    m_window->mnuSave_Click();
    QVERIFY(seen.shown);
    QCOMPARE(seen.defaultButton, QMessageBox::No);
    QCOMPARE(test::ReadBytes(path), std::string("41=from git\n"));
    QVERIFY(m_window->document().Modified);

    AnswerBox(QMessageBox::Yes);
    m_window->mnuSave_Click();
    QCOMPARE(test::ReadBytes(path), std::string("41=A\r\n42=B\r\n"));
    QVERIFY(!m_window->document().Modified);

    // What Zelvane wrote itself is no outside change.
    QVERIFY(m_window->document().DiskStamp == StampOf(std::filesystem::path(path)));
}

void MainWindowTest::untitled_save_asks_for_name_and_dialog_remembers_it()
{
    TypeInto(*m_window, 0x41, QStringLiteral("A"));
    SeenDialog saveDialog;
    AnswerFileDialog(Path("new.tbl"), &saveDialog);
    m_window->mnuSave_Click();
    QVERIFY(saveDialog.shown && saveDialog.saving);
    QCOMPARE(saveDialog.proposedName, QStringLiteral("Senza Nome"));
    QCOMPARE(saveDialog.nameFilters.size(), 3);
    QVERIFY(saveDialog.nameFilters[0].startsWith(QStringLiteral("File Tabella (.tbl)")));
    QCOMPARE(m_window->windowTitle(), Path("new.tbl") + Suffix);
    QCOMPARE(test::ReadBytes(Path("new.tbl").toStdString()), std::string("41=A\r\n"));

    // A later Save writes to the new name; the open dialog proposes it.
    TypeInto(*m_window, 0x42, QStringLiteral("B"));
    m_window->mnuSave_Click();
    QCOMPARE(test::ReadBytes(Path("new.tbl").toStdString()), std::string("41=A\r\n42=B\r\n"));
    SeenDialog openDialog;
    AnswerFileDialog(QString(), &openDialog);
    m_window->mnuOpen_Click();
    QVERIFY(openDialog.shown && !openDialog.saving);
    QCOMPARE(openDialog.proposedName, QStringLiteral("new.tbl"));
}

void MainWindowTest::save_as_cancelled_keeps_modified()
{
    TypeInto(*m_window, 0x41, QStringLiteral("A"));
    AnswerFileDialog(QString());
    QVERIFY(!m_window->mnuSaveAs_Click());
    QVERIFY(m_window->document().Modified);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Senza Nome") + Suffix);
}

void MainWindowTest::failed_save_changes_nothing_and_says_why()
{
    test::WriteBytes(Path("file").toStdString(), "x");
    test::WriteBytes(Path("t.tbl").toStdString(), "41=A\r\n");
    OpenFile(Path("t.tbl"));
    TypeInto(*m_window, 0x41, QStringLiteral("Z"));

    SeenBox seen;
    AnswerFileDialog(Path("file") + QStringLiteral("/x.tbl"), nullptr, [&] { AnswerBox(QMessageBox::Ok, &seen); });
    QVERIFY(!m_window->mnuSaveAs_Click());
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Errore"));
    QVERIFY(seen.text.contains(QStringLiteral("x.tbl")));
    QCOMPARE(m_window->windowTitle(), Path("t.tbl") + Suffix);
    QVERIFY(m_window->document().Modified);
    QVERIFY(Panel(*m_window, 2)->isEnabled());
    QCOMPARE(test::ReadBytes(Path("t.tbl").toStdString()), std::string("41=A\r\n"));
}

void MainWindowTest::prompt_answers_for_new_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAs"); // the Save As answer after Yes; empty cancels
    QTest::addColumn<bool>("cleared");

    QTest::newRow("cancel") << int(QMessageBox::Cancel) << QString() << false;
    QTest::newRow("no") << int(QMessageBox::No) << QString() << true;
    QTest::newRow("yes_then_cancelled_save_as") << int(QMessageBox::Yes) << QString() << false;
    QTest::newRow("yes_then_saved") << int(QMessageBox::Yes) << QStringLiteral("saved.tbl") << true;
}

void MainWindowTest::prompt_answers_for_new()
{
    QFETCH(int, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, cleared);

    m_window->document().Bookmarks[0] = {1, "kept"};
    TypeInto(*m_window, 0x41, QStringLiteral("A"));
    SeenBox seen;
    const QString target = saveAs.isEmpty() ? QString() : m_dir->filePath(saveAs);
    AnswerBox(QMessageBox::StandardButton(answer), &seen, [&] {
        if (answer == QMessageBox::Yes)
            AnswerFileDialog(target);
    });
    m_window->mnuNew_Click();

    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Tabella Modificata"));
    QCOMPARE(seen.text, QStringLiteral("La tabella corrente è stata modificata.\r\n\r\nSalvare le modifiche?"));
    QCOMPARE(seen.icon, QMessageBox::Question);
    QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(seen.defaultButton, QMessageBox::Yes);

    MainWindow& w = *m_window;
    QCOMPARE(CellText(w, 0x41), cleared ? QString() : QStringLiteral("A"));
    QCOMPARE(w.document().Modified, !cleared);
    QCOMPARE(Panel(w, 2)->isEnabled(), !cleared);
    QCOMPARE(w.windowTitle(), QStringLiteral("Senza Nome") + Suffix);
    QCOMPARE(w.document().Bookmarks[0].Title, std::string("kept")); // New keeps the slots
    if (!target.isEmpty())
        QCOMPARE(test::ReadBytes(target.toStdString()), std::string("41=A\r\n\r\n(1h)kept\r\n"));
}

void MainWindowTest::prompt_guards_open()
{
    test::WriteBytes(Path("other.tbl").toStdString(), "42=B\r\n");
    TypeInto(*m_window, 0x41, QStringLiteral("A"));
    AnswerBox(QMessageBox::Cancel);
    m_window->mnuOpen_Click();
    QCOMPARE(CellText(*m_window, 0x41), QStringLiteral("A"));

    AnswerBox(QMessageBox::No, nullptr, [&] { AnswerFileDialog(Path("other.tbl")); });
    m_window->mnuOpen_Click();
    QCOMPARE(CellText(*m_window, 0x41), QString());
    QCOMPARE(CellText(*m_window, 0x42), QStringLiteral("B"));
    QVERIFY(!m_window->document().Modified);
}

void MainWindowTest::prompt_yes_offers_own_path_with_overwrite_check()
{
    test::WriteBytes(Path("t.tbl").toStdString(), "41=A\r\n");
    OpenFile(Path("t.tbl"));
    TypeInto(*m_window, 0x42, QStringLiteral("B"));

    SeenDialog dialog;
    SeenBox overwrite;
    AnswerBox(QMessageBox::Yes, nullptr, [&] {
        AnswerFileDialog(Path("t.tbl"), &dialog, [&] { AnswerBox(QMessageBox::Yes, &overwrite); });
    });
    m_window->mnuNew_Click();
    QVERIFY(dialog.saving);
    QCOMPARE(dialog.proposedName, QStringLiteral("t.tbl"));
    QVERIFY(overwrite.shown);
    QCOMPARE(test::ReadBytes(Path("t.tbl").toStdString()), std::string("41=A\r\n42=B\r\n"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Senza Nome") + Suffix);
}

void MainWindowTest::close_goes_through_prompt()
{
    TypeInto(*m_window, 0x41, QStringLiteral("A"));
    AnswerBox(QMessageBox::Cancel);
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());

    AnswerBox(QMessageBox::Yes, nullptr, [] { AnswerFileDialog(QString()); });
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());

    m_window->mnuAbout_Click();
    QPointer<QWidget> watch = test::VisibleWindow("frmZelvaneAbout");
    QVERIFY(watch && watch->isVisible());
    AnswerBox(QMessageBox::No);
    QVERIFY(m_window->close());
    QVERIFY(!m_window->isVisible());
    QVERIFY(!watch || !watch->isVisible());
}

ZELVANE_GUI_TEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
