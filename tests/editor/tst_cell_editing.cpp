// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_fixture.h"

#include <QMenu>
#include <QStringEncoder>
#include <QSignalSpy>
#include <QToolButton>

using namespace zelvane;

Q_DECLARE_METATYPE(InputMode)

class CellEditingTest : public QObject, public test::WindowFixture {
    Q_OBJECT

private slots:
    void init() { SetUpWindow(); }
    void cleanup() { TearDownWindow(); }

    void typing_appends_and_other_keys_change_nothing();
    void backspace_by_mode_data();
    void backspace_by_mode();
    void modes_from_shortcuts_menus_and_panels();
    void kana_typing_in_the_grid();
    void fills_from_toolbar_data();
    void fills_from_toolbar();
    void fill_tells_the_grid_once_and_keeps_marks();
    void mark_and_unmark_then_save();
    void each_encoding_types_shows_and_fills_data();
    void each_encoding_types_shows_and_fills();
    void switching_encoding_changes_no_byte();
    void long_value_shows_its_start_only();

private:
    [[nodiscard]] QByteArray Value(int code) const { return QByteArray::fromStdString(Document().Entries[code].Value); }
    void CheckMode(InputMode mode);
};

void CellEditingTest::CheckMode(InputMode mode)
{
    QCOMPARE(m_window->inputMode(), mode);
    const char* items[] = {"mnuASCII", "mnuHira", "mnuKata"};
    for (int i = 0; i < 3; ++i) {
        const bool active = static_cast<int>(mode) == i + 1;
        QCOMPARE(Action(items[i])->isChecked(), active);
        QCOMPARE(Panel(4 + i)->isEnabled(), active);
    }
}

void CellEditingTest::typing_appends_and_other_keys_change_nothing()
{
    Select(0x4A);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Escape, Qt::Key_Delete})
        QTest::keyClick(Grid(), key);
    QTest::keyClick(Grid(), Qt::Key_C, Qt::ControlModifier);
    QVERIFY(!Document().Modified);
    QCOMPARE(Grid()->currentIndex(), Cell(0x4A));

    QTest::keyClicks(Grid(), QStringLiteral("A=/ *"));
    // é and € are bytes E9 and 80; あ has no byte: refused, and said so.
    test::TypeCharacters(Grid(), QStringLiteral("é€"));
    QCOMPARE(Panel(1)->text(), QStringLiteral("Codice selezionato: 4A='A=/ *é€'"));
    test::TypeCharacters(Grid(), QStringLiteral("あ"));
    QCOMPARE(Value(0x4A), QByteArray("A=/ *\xE9\x80"));
    QCOMPARE(Panel(1)->text(), QStringLiteral("Il carattere «あ» non esiste nella codifica 8 bit della tabella"));
    QVERIFY(Panel(2)->isEnabled());
    QTest::keyClick(Grid(), Qt::Key_Right);
    QCOMPARE(Panel(1)->text(), QStringLiteral("Codice selezionato: 4B=''"));
}

void CellEditingTest::backspace_by_mode_data()
{
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("ascii_removes_last") << InputMode::Ascii << QByteArray("AB") << QByteArray("A");
    QTest::newRow("ascii_empty_stays_clean") << InputMode::Ascii << QByteArray() << QByteArray();
    QTest::newRow("hiragana_empties_kana") << InputMode::Hiragana << QByteArray("\xA4\xAB") << QByteArray();
    QTest::newRow("katakana_empties_half_typed") << InputMode::Katakana << QByteArray("\xA5\xABts") << QByteArray();
    QTest::newRow("katakana_empty_stays_clean") << InputMode::Katakana << QByteArray() << QByteArray();
}

void CellEditingTest::backspace_by_mode()
{
    QFETCH(InputMode, mode);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    Document().Entries[0x10].Value = before.toStdString();
    m_window->SetInputMode(mode);
    Select(0x10);
    QTest::keyClick(Grid(), Qt::Key_Backspace);
    QCOMPARE(Value(0x10).toHex(), after.toHex());
    QCOMPARE(Document().Modified, !before.isEmpty());
    QCOMPARE(Panel(2)->isEnabled(), !before.isEmpty());
}

void CellEditingTest::modes_from_shortcuts_menus_and_panels()
{
    Document().Entries[0x00].Value = "ab";
    QTest::keyClick(Grid(), Qt::Key_H, Qt::ControlModifier);
    CheckMode(InputMode::Hiragana);
    QTest::keyClick(Grid(), Qt::Key_K, Qt::ControlModifier);
    CheckMode(InputMode::Katakana);
    QTest::keyClick(Grid(), Qt::Key_A, Qt::ControlModifier);
    CheckMode(InputMode::Ascii);
    // None of them reached the cell as Backspace, select-all or a letter.
    QCOMPARE(Value(0x00), QByteArray("ab"));
    QCOMPARE(Grid()->selectionModel()->selectedIndexes().size(), 1);

    QTest::mouseClick(Panel(5), Qt::LeftButton); // greyed, still heard
    CheckMode(InputMode::Hiragana);
    QTest::mouseClick(Panel(2), Qt::LeftButton);
    CheckMode(InputMode::Hiragana);
    Action("mnuHira")->trigger(); // the mode in force stays checked
    CheckMode(InputMode::Hiragana);

    m_window->SetCapsLockShown(true);
    QVERIFY(Panel(3)->isEnabled());
    m_window->SetCapsLockShown(false);
    QVERIFY(!Panel(3)->isEnabled());
}

void CellEditingTest::kana_typing_in_the_grid()
{
    Select(0x40);
    QTest::keyClick(Grid(), Qt::Key_H, Qt::ControlModifier);
    QTest::keyClicks(Grid(), QStringLiteral("k"));
    QTest::keyClick(Grid(), Qt::Key_K, Qt::ControlModifier);
    QTest::keyClicks(Grid(), QStringLiteral("a"));
    QCOMPARE(Value(0x40), QByteArray("\xA5\xAB"));
    QCOMPARE(Panel(1)->text(), QStringLiteral("Codice selezionato: 40='¥«'"));
}

void CellEditingTest::fills_from_toolbar_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("item"); // 0: the button's face
    QTest::addColumn<int>("start");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<int>("count");

    QTest::newRow("capitals") << 8 << 0 << 0x41 << QByteArray("A") << 26;
    QTest::newRow("capitals_cut_at_FF") << 8 << 0 << 0xF0 << QByteArray("A") << 16;
    QTest::newRow("small") << 9 << 0 << 0x2A << QByteArray("a") << 26;
    QTest::newRow("digits") << 10 << 0 << 0x26 << QByteArray("0") << 10;
    QTest::newRow("romaji_face") << 12 << 0 << 0x00 << QByteArray("A") << 46;
    QTest::newRow("romaji_pure_small") << 12 << 2 << 0x80 << QByteArray("a") << 46;
    QTest::newRow("romaji_voiced_upper") << 12 << 3 << 0x80 << QByteArray("GA") << 25;
    QTest::newRow("romaji_voiced_small") << 12 << 4 << 0x80 << QByteArray("ga") << 25;
    QTest::newRow("katakana_face") << 13 << 0 << 0x10 << QByteArray("\xA5\xA2") << 46;
    QTest::newRow("katakana_voiced") << 13 << 2 << 0x80 << QByteArray("\xA5\xAC") << 25;
    QTest::newRow("hiragana_face") << 14 << 0 << 0x10 << QByteArray("\xA4\xA2") << 46;
    QTest::newRow("hiragana_voiced") << 14 << 2 << 0x80 << QByteArray("\xA4\xAC") << 25;
}

void CellEditingTest::fills_from_toolbar()
{
    QFETCH(int, button);
    QFETCH(int, item);
    QFETCH(int, start);
    QFETCH(QByteArray, first);
    QFETCH(int, count);

    m_window->SetInputMode(InputMode::Katakana); // fills ignore the mode
    Select(start);
    if (item == 0)
        ToolbarEntry(button)->trigger();
    else
        qobject_cast<QToolButton*>(ToolbarEntry(button)->associatedObjects().last())->menu()->actions().at(item - 1)->trigger();
    QCOMPARE(Value(start).toHex(), first.toHex());
    const int end = start + count;
    QVERIFY(!Value(end - 1).isEmpty());
    if (end <= 0xFF)
        QVERIFY(Value(end).isEmpty());
    QVERIFY(start == 0 || Value(start - 1).isEmpty());
    const auto current = static_cast<std::uint8_t>(std::min(end, 0xFF));
    QCOMPARE(m_window->currentCode(), current);
    QVERIFY(Panel(2)->isEnabled());
    QVERIFY(Panel(1)->text().startsWith(QStringLiteral("Codice selezionato: %1=").arg(QString::fromStdString(CodeText(current)))));
}

void CellEditingTest::fill_tells_the_grid_once_and_keeps_marks()
{
    Document().Entries[0x2B] = {"/", true};
    QAbstractItemModel* model = Grid()->model();
    QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
    Select(0x2A);
    ToolbarEntry(9)->trigger(); // 2A to 43, across a row end
    QCOMPARE(changes.count(), 1);
    const auto topLeft = changes.first().at(0).toModelIndex();
    const auto bottomRight = changes.first().at(1).toModelIndex();
    QVERIFY(topLeft.row() == 2 && topLeft.column() <= 10);
    QVERIFY(bottomRight.row() == 4 && bottomRight.column() >= 3);
    // The mark stays for the fills, but "b" is no special code: white, as
    // the file will have it.
    QVERIFY(Document().Entries[0x2B].Marked);
    QCOMPARE(model->data(model->index(2, 11), Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 255));
    Document().Entries[0x2B].Value = "*";
    QCOMPARE(model->data(model->index(2, 11), Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 0));
}

void CellEditingTest::mark_and_unmark_then_save()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.tbl"));
    for (int code : {0x0F, 0x10, 0x33}) {
        Select(code);
        QTest::keyClicks(Grid(), QLatin1String(code == 0x0F ? "/" : code == 0x10 ? "*" : "/ "));
    }
    test::SeenBox refused;
    test::AnswerBox(QMessageBox::Ok, &refused);
    ToolbarEntry(5)->trigger(); // "/ " is no special character
    QVERIFY(refused.shown);
    QVERIFY(!Document().Entries[0x33].Marked);
    for (int code : {0x0F, 0x10}) {
        Select(code);
        ToolbarEntry(5)->trigger();
    }
    QCOMPARE(Cell(0x0F).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 0));
    test::AnswerFileDialog(path);
    QVERIFY(m_window->mnuSaveAs_Click());
    QCOMPARE(test::ReadBytes(path.toStdString()), std::string("/0F\r\n*10\r\n33=/ \r\n"));

    Select(0x0F);
    ToolbarEntry(6)->trigger();
    QVERIFY(Document().Modified);
    QCOMPARE(Cell(0x0F).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 255));
    m_window->mnuSave_Click();
    QCOMPARE(test::ReadBytes(path.toStdString()), std::string("0F=/\r\n*10\r\n33=/ \r\n"));
    ToolbarEntry(6)->trigger(); // not marked: nothing happens
    QVERIFY(!Document().Modified);
}

void CellEditingTest::each_encoding_types_shows_and_fills_data()
{
    QTest::addColumn<QByteArray>("menuItem");
    QTest::addColumn<QByteArray>("codec"); // Qt's name for the bytes kana are written in
    QTest::addColumn<bool>("hasAccents");

    QTest::newRow("8 bit") << QByteArray("mnuEnc8Bit") << QByteArray("EUC-JP") << true;
    QTest::newRow("EUC-JP") << QByteArray("mnuEncEucJp") << QByteArray("EUC-JP") << false;
    QTest::newRow("Shift-JIS") << QByteArray("mnuEncShiftJis") << QByteArray("Shift_JIS") << false;
    QTest::newRow("UTF-8") << QByteArray("mnuEncUtf8") << QByteArray("UTF-8") << true;
}

void CellEditingTest::each_encoding_types_shows_and_fills()
{
    QFETCH(QByteArray, menuItem);
    QFETCH(QByteArray, codec);
    QFETCH(bool, hasAccents);
    const bool eightBit = menuItem == "mnuEnc8Bit";
    const auto bytes = [&](const QString& text) { return QByteArray(QStringEncoder(codec.constData())(text)); };
    Action(menuItem.constData())->trigger();
    QVERIFY(Action(menuItem.constData())->isChecked());

    m_window->SetInputMode(InputMode::Hiragana);
    TypeInto(0x00, QStringLiteral("ka"));
    QCOMPARE(Value(0x00), bytes(QStringLiteral("か")));
    // 8 bit shows a kana as its two bytes' characters, the others as kana.
    QCOMPARE(CellText(0x00), eightBit ? QStringLiteral("¤«") : QStringLiteral("か"));

    // In ASCII mode Backspace takes the last character whole; é is written
    // where the encoding has it.
    m_window->SetInputMode(InputMode::Ascii);
    Select(0x00);
    QTest::keyClick(Grid(), Qt::Key_Backspace);
    QCOMPARE(Value(0x00), eightBit ? QByteArray("\xA4") : QByteArray());
    Select(0x01);
    test::TypeCharacters(Grid(), QStringLiteral("aé"));
    QCOMPARE(Value(0x01), hasAccents ? QByteArray("a") + (eightBit ? QByteArray("\xE9") : bytes(QStringLiteral("é")))
                                     : QByteArray("a"));
    QCOMPARE(CellText(0x01), hasAccents ? QStringLiteral("aé") : QStringLiteral("a"));

    Select(0x10);
    ToolbarEntry(13)->trigger(); // katakana, pure sounds
    QCOMPARE(Value(0x10) + Value(0x11) + Value(0x3D), bytes(QStringLiteral("アイン")));
}

void CellEditingTest::switching_encoding_changes_no_byte()
{
    QTemporaryDir dir;
    const std::string source = dir.filePath(QStringLiteral("t.tbl")).toStdString();
    // UTF-8 kana, a Latin-1 accent and a stray byte side by side.
    test::WriteBytes(source, "10=\xE3\x81\x8B\r\n11=caf\xE9\r\n12=\x82\xA9\r\n// \xFF\r\n");
    QVERIFY(m_window->OpenTable(QString::fromStdString(source)));
    QVERIFY(Action("mnuEnc8Bit")->isChecked());
    QCOMPARE(CellText(0x11), QStringLiteral("café"));
    std::string before;
    for (const char* item : {"mnuEncUtf8", "mnuEncShiftJis", "mnuEncEucJp", "mnuEnc8Bit"}) {
        Action(item)->trigger();
        QVERIFY(!Document().Modified);
        // Bytes that do not decode keep their 8-bit characters.
        if (QByteArray(item) == "mnuEncUtf8")
            QCOMPARE(CellText(0x10) + CellText(0x11), QStringLiteral("かcafé"));
        const QString copy = dir.filePath(QLatin1String(item));
        test::AnswerFileDialog(copy);
        QVERIFY(m_window->mnuSaveAs_Click());
        const std::string written = test::ReadBytes(copy.toStdString());
        if (!before.empty())
            QCOMPARE(written, before);
        before = written;
    }
}

void CellEditingTest::long_value_shows_its_start_only()
{
    // 255 letters, then a kana of three bytes across the cut at 256, then more.
    const std::string value = std::string(255, 'a') + "\xE3\x81\x8B" + std::string(100000, 'b');
    Document().Entries[0x20].Value = value;
    Action("mnuEncUtf8")->trigger();
    QCOMPARE(CellText(0x20), QString(255, u'a') + QChar(0x2026));
    TypeInto(0x20, QStringLiteral("z"));
    QCOMPARE(Document().Entries[0x20].Value, value + "z");
    QVERIFY(Panel(1)->text().endsWith(QStringLiteral("aa…'")));
}

ZELVANE_GUI_TEST_MAIN(CellEditingTest)
#include "tst_cell_editing.moc"
