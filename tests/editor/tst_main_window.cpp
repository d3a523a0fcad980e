// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_fixture.h"
#include "document/file_io.h"
#include "document/save_journal.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QSignalSpy>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QToolButton>

using namespace zelvane;
using namespace zelvane::test;

namespace {
const QString Suffix = QStringLiteral(" - Zelvane 0.9");
} // namespace

class MainWindowTest : public QObject, public test::WindowFixture {
    Q_OBJECT

private slots:
    void init() { SetUpWindow(); }
    void cleanup() { TearDownWindow(); }

    void start_loads_no_image_plugin(); // first: the file dialogs of later tests may load plugins
    void controls_carry_their_names();
    void open_shows_table_and_titles_window();
    void failed_open_changes_nothing_and_says_why();
    void save_writes_only_a_modified_table();
    void save_asks_before_overwriting_an_outside_change();
    void untitled_save_asks_for_name_and_dialog_remembers_it();
    void prompt_answers_for_new_data();
    void prompt_answers_for_new();
    void prompt_guards_open_and_close();
    void prompt_yes_offers_own_path_with_overwrite_check();
    void drop_opens_through_the_prompt();
    void typed_name_leaves_no_popup_behind();
    void marked_current_cell_shows_yellow();
    void interrupted_save_completed_or_kept_on_open();

private:
    QTemporaryDir m_dir; // one for the whole run: each test writes its files afresh
    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    void OpenFile(const QString& path);
};

void MainWindowTest::OpenFile(const QString& path)
{
    AnswerFileDialog(path);
    m_window->mnuOpen_Click();
}

void MainWindowTest::start_loads_no_image_plugin()
{
    // The window's pictures are PNG, which Qt reads itself: a plugin here
    // means a picture read without its format, at a cost at every start.
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY(!mapped.contains("/imageformats/"));
}

void MainWindowTest::controls_carry_their_names()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("frmZelvane"));
    for (const char* name : {"mnuFile", "mnuOptions", "mnuInput", "mnuHelp"})
        QVERIFY2(m_window->findChild<QMenu*>(QLatin1String(name)), name);
    for (const char* name : {"mnuNew", "mnuOpen", "mnuSave", "mnuSaveAs", "mnuClose", "mnuBook", "mnuExtra",
                             "mnuASCII", "mnuHira", "mnuKata", "mnuReadme", "mnuAbout"})
        QVERIFY2(Action(name), name);
    for (int i = 1; i <= 6; ++i)
        QVERIFY(Panel(i));
    QVERIFY(Grid() && m_window->findChild<QWidget*>(QStringLiteral("SB")));
    const QList<QAction*> entries = m_window->findChild<QToolBar*>(QStringLiteral("Toolbar1"))->actions();
    QCOMPARE(entries.size(), 14);
    for (int i = 0; i < 14; ++i)
        QCOMPARE(entries[i]->isSeparator(), i == 3 || i == 6 || i == 10);
    // The tooltips are the window's own texts, dots included.
    const QStringList tips{"Nuova Tabella", "Apri una Tabella...", "Salva Tabella corrente...", "",
                           "Segna cella corrente come carattere speciale", "Rimuovi carattere speciale", "",
                           "Completa con Maiuscole", "Completa con minuscole", "Completa con numeri", "",
                           "Romaji...", "Katakana...", "Hiragana..."};
    for (int i = 0; i < 14; ++i) {
        if (!entries[i]->isSeparator())
            QCOMPARE(entries[i]->toolTip(), tips[i]);
    }
    for (int i = 11; i < 14; ++i) {
        auto* button = qobject_cast<QToolButton*>(m_window->findChild<QToolBar*>()->widgetForAction(entries[i]));
        QVERIFY(button && button->popupMode() == QToolButton::MenuButtonPopup && button->menu());
    }
}

void MainWindowTest::open_shows_table_and_titles_window()
{
    WriteBytes(Path("a.tbl").toStdString(), "s: 20\r\n41=A\r\n/0F\r\n(1A2h)Menu\r\n");
    QAbstractItemModelTester tester(Grid()->model());
    QSignalSpy resets(Grid()->model(), &QAbstractItemModel::modelReset);
    QSignalSpy cellChanges(Grid()->model(), &QAbstractItemModel::dataChanged);
    TypeInto(0x30, QStringLiteral("x"));
    cellChanges.clear();
    AnswerBox(QMessageBox::No, nullptr, [&] { AnswerFileDialog(Path("a.tbl")); });
    m_window->mnuOpen_Click();
    // The read reaches the grid as one reset, not cell by cell.
    QCOMPARE(resets.count(), 1);
    QCOMPARE(cellChanges.count(), 0);
    QCOMPARE(m_window->windowTitle(), Path("a.tbl") + Suffix);
    QCOMPARE(CellText(0x41), QStringLiteral("A"));
    QCOMPARE(CellText(0x30), QString());
    QCOMPARE(Cell(0x0F).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 0));
    QVERIFY(!Panel(2)->isEnabled());
    QCOMPARE(Panel(1)->text(), QStringLiteral("Codice selezionato: 00=''"));
}

void MainWindowTest::failed_open_changes_nothing_and_says_why()
{
    WriteBytes(Path("good.tbl").toStdString(), "41=A\r\n");
    WriteBytes(Path("bad.tbl").toStdString(), "42=B\r\n\r\n4G=x\r\n");
    OpenFile(Path("good.tbl"));
    TypeInto(0x50, QStringLiteral("z"));

    SeenBox seen;
    AnswerBox(QMessageBox::No, nullptr, [&] { AnswerFileDialog(Path("bad.tbl"), nullptr, [&] { AnswerBox(QMessageBox::Ok, &seen); }); });
    m_window->mnuOpen_Click();
    QVERIFY2(seen.text.contains(Path("bad.tbl")) && seen.text.contains(QStringLiteral("riga 3")), qPrintable(seen.text));
    QCOMPARE(m_window->windowTitle(), Path("good.tbl") + Suffix);
    QCOMPARE(CellText(0x50), QStringLiteral("z"));
    QCOMPARE(CellText(0x42), QString());
    QVERIFY(Panel(2)->isEnabled());
}

void MainWindowTest::save_writes_only_a_modified_table()
{
    const std::string path = Path("t.tbl").toStdString();
    WriteBytes(path, "41=A\n\n\n");
    OpenFile(Path("t.tbl"));
    m_window->mnuSave_Click();
    QCOMPARE(ReadBytes(path), std::string("41=A\n\n\n"));
    TypeInto(0x42, QStringLiteral("B"));
    m_window->mnuSave_Click();
    QCOMPARE(ReadBytes(path), std::string("41=A\n42=B\n\n\n"));
    QVERIFY(!Panel(2)->isEnabled());
    QVERIFY(!Document().Modified);
}

void MainWindowTest::save_asks_before_overwriting_an_outside_change()
{
    const std::string path = Path("t.tbl").toStdString();
    WriteBytes(path, "41=A\n");
    OpenFile(Path("t.tbl"));
    WriteBytes(path, "41=from git\n"); // another program, meanwhile
    TypeInto(0x42, QStringLiteral("B"));

    SeenBox seen;
    AnswerBox(QMessageBox::No, &seen);
    m_window->mnuSave_Click();
    QCOMPARE(seen.defaultButton, QMessageBox::No);
    QCOMPARE(ReadBytes(path), std::string("41=from git\n"));
    QVERIFY(Document().Modified);

    AnswerBox(QMessageBox::Yes);
    m_window->mnuSave_Click();
    QCOMPARE(ReadBytes(path), std::string("41=A\n42=B\n"));
    QVERIFY(!Document().Modified);
    // What Zelvane wrote itself is no outside change.
    QVERIFY(Document().DiskStamp == StampOf(std::filesystem::path(path)));

    // A rewrite of the same size within the same second is one too.
    const FileStamp saved = *Document().DiskStamp;
    WriteBytes(path, "41=a\n42=b\n");
    const timespec times[] = {{0, UTIME_OMIT}, {saved.Seconds, (saved.Nanoseconds + 1) % 1000000000}};
    QCOMPARE(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    TypeInto(0x43, QStringLiteral("C"));
    seen = {};
    AnswerBox(QMessageBox::No, &seen);
    m_window->mnuSave_Click();
    QVERIFY(seen.shown);
    QCOMPARE(ReadBytes(path), std::string("41=a\n42=b\n"));
}

void MainWindowTest::untitled_save_asks_for_name_and_dialog_remembers_it()
{
    TypeInto(0x41, QStringLiteral("A"));
    AnswerFileDialog(QString());
    QVERIFY(!m_window->mnuSaveAs_Click());
    // A failed write is told and changes nothing.
    WriteBytes(Path("file").toStdString(), "x");
    SeenBox failed;
    AnswerFileDialog(Path("file") + QStringLiteral("/x.tbl"), nullptr, [&] { AnswerBox(QMessageBox::Ok, &failed); });
    QVERIFY(!m_window->mnuSaveAs_Click());
    QVERIFY(failed.text.contains(QStringLiteral("x.tbl")));
    QVERIFY(Panel(2)->isEnabled());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Senza Nome") + Suffix);

    SeenDialog saveDialog;
    AnswerFileDialog(Path("new.tbl"), &saveDialog);
    m_window->mnuSave_Click();
    QVERIFY(saveDialog.saving);
    QCOMPARE(saveDialog.proposedName, QStringLiteral("Senza Nome"));
    QCOMPARE(m_window->windowTitle(), Path("new.tbl") + Suffix);
    // A later Save writes to the new name; the open dialog proposes it.
    TypeInto(0x42, QStringLiteral("B"));
    m_window->mnuSave_Click();
    QCOMPARE(ReadBytes(Path("new.tbl").toStdString()), std::string("41=A\r\n42=B\r\n"));
    SeenDialog openDialog;
    AnswerFileDialog(QString(), &openDialog);
    m_window->mnuOpen_Click();
    QVERIFY(!openDialog.saving);
    QCOMPARE(openDialog.proposedName, QStringLiteral("new.tbl"));
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

    Document().Bookmarks[0] = {1, "kept"};
    TypeInto(0x41, QStringLiteral("A"));
    SeenBox seen;
    const QString target = saveAs.isEmpty() ? QString() : m_dir.filePath(saveAs);
    AnswerBox(QMessageBox::StandardButton(answer), &seen, [&] {
        if (answer == QMessageBox::Yes)
            AnswerFileDialog(target);
    });
    m_window->mnuNew_Click();
    QCOMPARE(seen.defaultButton, QMessageBox::Yes);

    QCOMPARE(CellText(0x41), cleared ? QString() : QStringLiteral("A"));
    QCOMPARE(Document().Modified, !cleared);
    QCOMPARE(Panel(2)->isEnabled(), !cleared);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Senza Nome") + Suffix);
    QCOMPARE(Document().Bookmarks[0].Title, std::string("kept")); // New keeps the slots
    if (!target.isEmpty())
        QCOMPARE(ReadBytes(target.toStdString()), std::string("41=A\r\n\r\n(1h)kept\r\n"));
}

void MainWindowTest::prompt_guards_open_and_close()
{
    TypeInto(0x41, QStringLiteral("A"));
    AnswerBox(QMessageBox::Cancel);
    m_window->mnuOpen_Click();
    QCOMPARE(CellText(0x41), QStringLiteral("A"));

    AnswerBox(QMessageBox::Yes, nullptr, [] { AnswerFileDialog(QString()); });
    QVERIFY(!m_window->close());
    m_window->mnuAbout_Click();
    QPointer<QWidget> about = VisibleWindow("frmZelvaneAbout");
    AnswerBox(QMessageBox::No);
    QVERIFY(m_window->close());
    QVERIFY(!about || !about->isVisible());
}

void MainWindowTest::prompt_yes_offers_own_path_with_overwrite_check()
{
    WriteBytes(Path("t.tbl").toStdString(), "41=A\r\n");
    OpenFile(Path("t.tbl"));
    TypeInto(0x42, QStringLiteral("B"));

    SeenDialog dialog;
    SeenBox overwrite;
    AnswerBox(QMessageBox::Yes, nullptr, [&] {
        AnswerFileDialog(Path("t.tbl"), &dialog, [&] { AnswerBox(QMessageBox::Yes, &overwrite); });
    });
    m_window->mnuNew_Click();
    QCOMPARE(dialog.proposedName, QStringLiteral("t.tbl"));
    QVERIFY(overwrite.shown);
    QCOMPARE(ReadBytes(Path("t.tbl").toStdString()), std::string("41=A\r\n42=B\r\n"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Senza Nome") + Suffix);
}

void MainWindowTest::drop_opens_through_the_prompt()
{
    WriteBytes(Path("dropped.tbl").toStdString(), "41=Q\n");
    TypeInto(0x30, QStringLiteral("x"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("dropped.tbl"))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window, &enter);
    QVERIFY(enter.isAccepted());

    SeenBox prompt;
    AnswerBox(QMessageBox::No, &prompt);
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window, &drop);
    QTRY_COMPARE(CellText(0x41), QStringLiteral("Q"));
    QVERIFY(prompt.shown);
    QCOMPARE(m_window->windowTitle(), Path("dropped.tbl") + Suffix);
}

void MainWindowTest::typed_name_leaves_no_popup_behind()
{
    WriteBytes(Path("pick.tbl").toStdString(), "41=A\n");
    WriteBytes(Path("pick.tbl.bak").toStdString(), "41=B\n");
    QTimer::singleShot(0, [this] {
        // Typed as a user would: the name list pops up.
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        dialog->setDirectory(m_dir.path());
        nameBox->clear();
        QTest::keyClicks(nameBox, Path("pick.tb"));
        QTRY_VERIFY(QApplication::activePopupWidget());
        // Accepted with the list still up.
        dialog->selectFile(Path("pick.tbl"));
        nameBox->setText(Path("pick.tbl"));
        static_cast<QDialog*>(dialog)->accept();
    });
    m_window->mnuOpen_Click();
    QCOMPARE(CellText(0x41), QStringLiteral("A"));
    QVERIFY(!QApplication::activePopupWidget());
    Select(0);
    QTest::keyClick(m_window->windowHandle(), Qt::Key_R);
    QCOMPARE(CellText(0), QStringLiteral("r"));
}

void MainWindowTest::marked_current_cell_shows_yellow()
{
    TypeInto(0x22, QStringLiteral("*"));
    m_window->MarkSpecial();
    const QRect cell = Grid()->visualRect(Cell(0x22));
    const QImage shot = Grid()->viewport()->grab().toImage();
    // Inside the frame that marks the current cell, away from the text.
    QCOMPARE(shot.pixelColor(cell.left() + 4, cell.bottom() - 3), QColor(255, 255, 0));
}

void MainWindowTest::interrupted_save_completed_or_kept_on_open()
{
    // A save cut short once its journal was on disk, before the file.
    const std::string path = Path("j.tbl").toStdString();
    WriteBytes(path, "41=old\n");
    std::filesystem::path journal;
    QCOMPARE(WriteJournal(
                 path, [](int fd, std::uint64_t& size) { return size = 7, WriteAllAt(fd, "41=new\n", 0); }, journal),
             0);

    SeenBox asked, kept;
    AnswerBox(QMessageBox::No, &asked, [&] { AnswerBox(QMessageBox::Ok, &kept); });
    QVERIFY(m_window->OpenTable(Path("j.tbl")));
    QCOMPARE(asked.text, QStringLiteral("Un salvataggio di «j.tbl» è stato interrotto. Completarlo ora?"));
    QVERIFY(kept.text.contains(QString::fromStdString(journal.string())));
    QCOMPARE(Document().Entries[0x41].Value, std::string("old"));
    QVERIFY(std::filesystem::exists(journal));

    AnswerBox(QMessageBox::Yes);
    QVERIFY(m_window->OpenTable(Path("j.tbl")));
    QCOMPARE(Document().Entries[0x41].Value, std::string("new"));
    QCOMPARE(ReadBytes(path), std::string("41=new\n"));
    QVERIFY(!std::filesystem::exists(journal));
}

ZELVANE_GUI_TEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
