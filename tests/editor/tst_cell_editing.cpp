#include "common/gui_test_main.h"
#include "common/modal_answers.h"
#include "common/test_files.h"
#include "editor/main_window.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QSignalSpy>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

using namespace zelvane;

Q_DECLARE_METATYPE(InputMode)

namespace {

QByteArray Hex(const std::string& bytes)
{
    return QByteArray::fromStdString(bytes).toHex(' ');
}

} // namespace

class CellEditingTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typing_appends_and_updates_status();
    void backspace_by_mode_data();
    void backspace_by_mode();
    void control_keys_change_nothing();
    void characters_outside_the_set_are_ignored();
    void mode_shortcuts_work_from_the_grid();
    void panel_clicks_choose_modes();
    void caps_lock_panel_shows_the_state_it_is_given();
    void kana_typing_in_the_grid();
    void fills_from_toolbar_data();
    void fills_from_toolbar();
    void drop_down_items_write_their_sequences_data();
    void drop_down_items_write_their_sequences();
    void fill_over_marked_cell_keeps_mark();
    void fill_tells_the_grid_once();
    void mark_and_unmark_then_save();
    void mark_refused_with_message();

private:
    MainWindow* m_window = nullptr;
    QTableView* m_grid = nullptr;
    QToolBar* m_toolbar = nullptr;

    void Select(int code) { m_grid->setCurrentIndex(m_grid->model()->index(code / 16, code % 16)); }
    [[nodiscard]] std::string Value(int code) const { return m_window->document().Entries[code].Value; }
    [[nodiscard]] QString Status() const
    {
        return m_window->findChild<QLabel*>(QStringLiteral("SBPanel1"))->text();
    }
    [[nodiscard]] bool PanelEnabled(int index) const
    {
        return m_window->findChild<QLabel*>(QStringLiteral("SBPanel%1").arg(index))->isEnabled();
    }
    void ClickButton(int index) { m_toolbar->actions().at(index - 1)->trigger(); }
    void CheckMode(InputMode mode);
};

void CellEditingTest::init()
{
    m_window = new MainWindow;
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_grid = m_window->findChild<QTableView*>(QStringLiteral("TableGrid"));
    m_toolbar = m_window->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    m_grid->setFocus();
}

void CellEditingTest::cleanup()
{
    m_window->document().Modified = false;
    delete m_window;
}

void CellEditingTest::CheckMode(InputMode mode)
{
    QCOMPARE(m_window->inputMode(), mode);
    const char* items[] = {"mnuASCII", "mnuHira", "mnuKata"};
    for (int i = 0; i < 3; ++i) {
        const bool active = static_cast<int>(mode) == i + 1;
        QCOMPARE(m_window->findChild<QAction*>(QLatin1String(items[i]))->isChecked(), active);
        QCOMPARE(PanelEnabled(4 + i), active);
    }
}

void CellEditingTest::typing_appends_and_updates_status()
{
    Select(0x4A);
    QCOMPARE(Status(), QStringLiteral("Codice selezionato: 4A=''"));
    QTest::keyClicks(m_grid, QStringLiteral("A=/ *"));
    QCOMPARE(Value(0x4A), std::string("A=/ *"));
    QCOMPARE(Status(), QStringLiteral("Codice selezionato: 4A='A=/ *'"));
    QVERIFY(m_window->document().Modified);
    QVERIFY(PanelEnabled(2));
    QTest::keyClick(m_grid, Qt::Key_Right);
    QCOMPARE(Status(), QStringLiteral("Codice selezionato: 4B=''"));
    QTest::keyClick(m_grid, Qt::Key_Delete);
    QCOMPARE(Value(0x4A), std::string("A=/ *"));
}

void CellEditingTest::backspace_by_mode_data()
{
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("modified");

    QTest::newRow("ascii_removes_last") << InputMode::Ascii << QByteArray("AB") << QByteArray("A") << true;
    QTest::newRow("ascii_empty_stays_clean") << InputMode::Ascii << QByteArray() << QByteArray() << false;
    QTest::newRow("hiragana_empties_kana") << InputMode::Hiragana << QByteArray("\xA4\xAB") << QByteArray() << true;
    QTest::newRow("katakana_empties_half_typed") << InputMode::Katakana << QByteArray("\xA5\xABts") << QByteArray() << true;
    QTest::newRow("katakana_empty_stays_clean") << InputMode::Katakana << QByteArray() << QByteArray() << false;
}

void CellEditingTest::backspace_by_mode()
{
    QFETCH(InputMode, mode);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(bool, modified);

    m_window->document().Entries[0x10].Value = before.toStdString();
    m_window->SetInputMode(mode);
    Select(0x10);
    QTest::keyClick(m_grid, Qt::Key_Backspace);
    QCOMPARE(Hex(Value(0x10)), after.toHex(' '));
    QCOMPARE(m_window->document().Modified, modified);
    QCOMPARE(PanelEnabled(2), modified);
}

void CellEditingTest::control_keys_change_nothing()
{
    m_window->document().Entries[0x20].Value = "x";
    Select(0x20);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab, Qt::Key_Escape})
        QTest::keyClick(m_grid, key);
    QTest::keyClick(m_grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(Value(0x20), std::string("x"));
    QVERIFY(!m_window->document().Modified);
    QCOMPARE(m_grid->currentIndex(), m_grid->model()->index(2, 0));
    QCOMPARE(Status(), QStringLiteral("Codice selezionato: 20='x'"));
}

void CellEditingTest::characters_outside_the_set_are_ignored()
{
    Select(0x30);
    test::TypeCharacters(m_grid, QStringLiteral("é€あ"));
    // é and € are bytes E9 and 80; あ has no byte and is dropped.
    QCOMPARE(Hex(Value(0x30)), QByteArray("e9 80"));
    QCOMPARE(Status(), QStringLiteral("Codice selezionato: 30='é€'"));
}

void CellEditingTest::mode_shortcuts_work_from_the_grid()
{
    m_window->document().Entries[0x00].Value = "ab";
    Select(0x00);
    QTest::keyClick(m_grid, Qt::Key_H, Qt::ControlModifier);
    CheckMode(InputMode::Hiragana);
    QTest::keyClick(m_grid, Qt::Key_K, Qt::ControlModifier);
    CheckMode(InputMode::Katakana);
    QTest::keyClick(m_grid, Qt::Key_A, Qt::ControlModifier);
    CheckMode(InputMode::Ascii);
    // None of them reached the cell as Backspace, select-all or a letter.
    QCOMPARE(Value(0x00), std::string("ab"));
    QVERIFY(!m_window->document().Modified);
    QCOMPARE(m_grid->selectionModel()->selectedIndexes().size(), 1);
}

void CellEditingTest::panel_clicks_choose_modes()
{
    auto click = [this](int index) {
        QTest::mouseClick(m_window->findChild<QLabel*>(QStringLiteral("SBPanel%1").arg(index)), Qt::LeftButton);
    };
    click(5); // greyed, still heard
    CheckMode(InputMode::Hiragana);
    click(6);
    CheckMode(InputMode::Katakana);
    for (int index : {1, 2, 3})
        click(index);
    CheckMode(InputMode::Katakana);
    click(4);
    CheckMode(InputMode::Ascii);
    // Choosing the mode in force again keeps its item checked.
    m_window->findChild<QAction*>(QStringLiteral("mnuASCII"))->trigger();
    CheckMode(InputMode::Ascii);
}

void CellEditingTest::caps_lock_panel_shows_the_state_it_is_given()
{
    QVERIFY(!PanelEnabled(3));
    m_window->SetCapsLockShown(true);
    QVERIFY(PanelEnabled(3));
    // Without a platform that knows the state, keys leave the panel alone.
    QTest::keyClick(m_grid, Qt::Key_Right);
    QVERIFY(PanelEnabled(3));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("SBPanel3"))->text(), QStringLiteral("BLOC MAIUSC"));
    m_window->SetCapsLockShown(false);
    QVERIFY(!PanelEnabled(3));
}

void CellEditingTest::kana_typing_in_the_grid()
{
    Select(0x40);
    QTest::keyClick(m_grid, Qt::Key_H, Qt::ControlModifier);
    QTest::keyClicks(m_grid, QStringLiteral("k"));
    QCOMPARE(Value(0x40), std::string("k"));
    QTest::keyClick(m_grid, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClicks(m_grid, QStringLiteral("a"));
    QCOMPARE(Hex(Value(0x40)), QByteArray("a5 ab"));
    QCOMPARE(Status(), QStringLiteral("Codice selezionato: 40='¥«'"));

    Select(0x41);
    QTest::keyClick(m_grid, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(m_grid, QStringLiteral("n"));
    QTest::keyClick(m_grid, Qt::Key_H, Qt::ControlModifier);
    QTest::keyClicks(m_grid, QStringLiteral("a"));
    QCOMPARE(Hex(Value(0x41)), QByteArray("a4 ca"));
}

void CellEditingTest::fills_from_toolbar_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("lastCode");
    QTest::addColumn<QByteArray>("lastValue");
    QTest::addColumn<int>("current");

    QTest::newRow("capitals_from_41") << 8 << 0x41 << 0x5A << QByteArray("Z") << 0x5B;
    QTest::newRow("capitals_from_F0_cut") << 8 << 0xF0 << 0xFF << QByteArray("P") << 0xFF;
    QTest::newRow("small_across_row_end") << 9 << 0x2A << 0x43 << QByteArray("z") << 0x44;
    QTest::newRow("digits_to_row_end") << 10 << 0x26 << 0x2F << QByteArray("9") << 0x30;
    QTest::newRow("digits_from_FF") << 10 << 0xFF << 0xFF << QByteArray("0") << 0xFF;
    QTest::newRow("romaji_face_upper") << 12 << 0x00 << 0x2D << QByteArray("N") << 0x2E;
    QTest::newRow("katakana_face") << 13 << 0x10 << 0x3D << QByteArray("\xA5\xF3") << 0x3E;
    QTest::newRow("hiragana_face") << 14 << 0x10 << 0x3D << QByteArray("\xA4\xF3") << 0x3E;
}

void CellEditingTest::fills_from_toolbar()
{
    QFETCH(int, button);
    QFETCH(int, start);
    QFETCH(int, lastCode);
    QFETCH(QByteArray, lastValue);
    QFETCH(int, current);

    m_window->SetInputMode(InputMode::Katakana); // fills ignore the mode
    Select(start);
    ClickButton(button);
    QCOMPARE(Hex(Value(lastCode)), lastValue.toHex(' '));
    if (lastCode < 0xFF)
        QCOMPARE(Value(lastCode + 1), std::string());
    if (start > 0)
        QCOMPARE(Value(start - 1), std::string());
    QCOMPARE(m_window->currentCode(), std::uint8_t(current));
    QVERIFY(m_window->document().Modified);
    QVERIFY(PanelEnabled(2));
    QCOMPARE(m_window->inputMode(), InputMode::Katakana);
    QVERIFY(Status().startsWith(QStringLiteral("Codice selezionato: %1=")
                                    .arg(QString::fromStdString(CodeText(std::uint8_t(current))))));
}

void CellEditingTest::drop_down_items_write_their_sequences_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("last");

    QTest::newRow("romaji_pure_upper") << 12 << 1 << 46 << QByteArray("A") << QByteArray("N");
    QTest::newRow("romaji_pure_small") << 12 << 2 << 46 << QByteArray("a") << QByteArray("n");
    QTest::newRow("romaji_voiced_upper") << 12 << 3 << 25 << QByteArray("GA") << QByteArray("PO");
    QTest::newRow("romaji_voiced_small") << 12 << 4 << 25 << QByteArray("ga") << QByteArray("po");
    QTest::newRow("katakana_pure") << 13 << 1 << 46 << QByteArray("\xA5\xA2") << QByteArray("\xA5\xF3");
    QTest::newRow("katakana_voiced") << 13 << 2 << 25 << QByteArray("\xA5\xAC") << QByteArray("\xA5\xDD");
    QTest::newRow("hiragana_pure") << 14 << 1 << 46 << QByteArray("\xA4\xA2") << QByteArray("\xA4\xF3");
    QTest::newRow("hiragana_voiced") << 14 << 2 << 25 << QByteArray("\xA4\xAC") << QByteArray("\xA4\xDD");
}

void CellEditingTest::drop_down_items_write_their_sequences()
{
    QFETCH(int, button);
    QFETCH(int, item);
    QFETCH(int, count);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, last);

    auto* toolButton = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(m_toolbar->actions().at(button - 1)));
    Select(0x80);
    toolButton->menu()->actions().at(item - 1)->trigger();
    QCOMPARE(Hex(Value(0x80)), first.toHex(' '));
    QCOMPARE(Hex(Value(0x80 + count - 1)), last.toHex(' '));
    QCOMPARE(Value(0x80 + count), std::string());
    QCOMPARE(int(m_window->currentCode()), 0x80 + count);
}

void CellEditingTest::fill_over_marked_cell_keeps_mark()
{
    m_window->document().Entries[0x42] = {"/", true};
    Select(0x41);
    ClickButton(8);
    QCOMPARE(Value(0x42), std::string("B"));
    QVERIFY(m_window->document().Entries[0x42].Marked);
    QCOMPARE(m_grid->model()->data(m_grid->model()->index(4, 2), Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 0));
}

void CellEditingTest::fill_tells_the_grid_once()
{
    QAbstractItemModel* model = m_grid->model();
    QAbstractItemModelTester tester(model);
    QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
    Select(0x2A);
    ClickButton(9); // 2A to 43, across a row end
    QCOMPARE(changes.count(), 1);
    const auto topLeft = changes.first().at(0).toModelIndex();
    const auto bottomRight = changes.first().at(1).toModelIndex();
    // The one range covers the cells written, 2A to 43, and no other row.
    QVERIFY(topLeft.row() == 2 && topLeft.column() <= 10);
    QVERIFY(bottomRight.row() == 4 && bottomRight.column() >= 3);

    changes.clear();
    QTest::keyClicks(m_grid, QStringLiteral("x"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.first().at(0).toModelIndex(), model->index(4, 4));
}

void CellEditingTest::mark_and_unmark_then_save()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.tbl"));
    Select(0x0F);
    QTest::keyClicks(m_grid, QStringLiteral("/"));
    Select(0x10);
    QTest::keyClicks(m_grid, QStringLiteral("*"));
    ClickButton(5);
    Select(0x0F);
    ClickButton(5);
    ClickButton(5); // already marked: stays marked
    QVERIFY(m_window->document().Entries[0x0F].Marked);
    QCOMPARE(m_grid->model()->data(m_grid->model()->index(0, 15), Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 0));

    test::AnswerFileDialog(path);
    QVERIFY(m_window->mnuSaveAs_Click());
    QCOMPARE(test::ReadBytes(path.toStdString()), std::string("/0F\r\n*10\r\n"));

    Select(0x0F);
    ClickButton(6);
    QVERIFY(m_window->document().Modified);
    QCOMPARE(m_grid->model()->data(m_grid->model()->index(0, 15), Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 255));
    m_window->mnuSave_Click();
    QCOMPARE(test::ReadBytes(path.toStdString()), std::string("0F=/\r\n*10\r\n"));

    ClickButton(6); // not marked: nothing happens
    QVERIFY(!m_window->document().Modified);
}

void CellEditingTest::mark_refused_with_message()
{
    m_window->document().Entries[0x33].Value = "/ ";
    Select(0x33);
    test::SeenBox seen;
    test::AnswerBox(QMessageBox::Ok, &seen);
    ClickButton(5);
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Errore..."));
    QCOMPARE(seen.text, QStringLiteral("La cella selezionata non contiene un carattere\r\nriconosciuto da Zelvane come speciale."));
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!m_window->document().Entries[0x33].Marked);
    QVERIFY(!m_window->document().Modified);
}

ZELVANE_GUI_TEST_MAIN(CellEditingTest)
#include "tst_cell_editing.moc"
