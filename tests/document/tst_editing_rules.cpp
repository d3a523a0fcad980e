// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/slot_list.h"
#include "document/table_document.h"
#include "document/table_editor.h"

#include <QTest>

using namespace zelvane;

class EditingRulesTest : public QObject {
    Q_OBJECT

private slots:
    void slot_list_data();
    void slot_list();
    void edits_report_what_changed();
};

using Letters = std::vector<std::string>;
Q_DECLARE_METATYPE(Letters)

void EditingRulesTest::slot_list_data()
{
    // Lists of a fixed size of slots start full from "a" to the capacity;
    // then `removed` goes (-1: none) and "new" is added.
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("filled");
    QTest::addColumn<int>("removed");
    QTest::addColumn<bool>("added");
    QTest::addColumn<Letters>("expected");

    QTest::newRow("last slot taken") << 3 << 2 << -1 << true << Letters{"a", "b", "new"};
    QTest::newRow("full refuses") << 3 << 3 << -1 << false << Letters{"a", "b", "c"};
    QTest::newRow("first removed: last moves in") << 3 << 3 << 0 << true << Letters{"c", "b", "new"};
    QTest::newRow("last removed") << 4 << 3 << 2 << true << Letters{"a", "b", "new"};
    QTest::newRow("no limit") << -1 << 3 << -1 << true << Letters{"a", "b", "c", "new"};
}

void EditingRulesTest::slot_list()
{
    QFETCH(int, capacity);
    QFETCH(int, filled);
    QFETCH(int, removed);
    QFETCH(bool, added);
    QFETCH(Letters, expected);

    SlotList<std::string> list(capacity < 0 ? SlotList<std::string>::Unlimited : std::size_t(capacity));
    Letters start;
    for (int i = 0; i < filled; ++i)
        start.push_back(std::string(1, char('a' + i)));
    list.Assign(start);
    if (removed >= 0)
        list.Remove(std::size_t(removed));
    QCOMPARE(list.Add("new"), added);
    QCOMPARE(list.Entries(), expected);
}

void EditingRulesTest::edits_report_what_changed()
{
    TableDocument document;
    TableEditor editor(document);

    // The first change raises Modified; later ones report no change of it.
    EditOutcome typed = editor.TypeKey(0x10, 'k', InputMode::Hiragana);
    QVERIFY(typed.ModifiedChanged && document.Modified);
    QVERIFY(typed.First == 0x10 && typed.Last == 0x10);
    typed = editor.TypeKey(0x10, 'a', InputMode::Hiragana);
    QVERIFY(!typed.ModifiedChanged);
    QCOMPARE(document.Entries[0x10].Value, std::string("\xA4\xAB")); // EUC-JP ka

    // A refused mark and a Backspace on an empty cell change nothing.
    document.Modified = false;
    QVERIFY(!editor.Mark(0x10).Accepted);
    const EditOutcome nothing = editor.Backspace(0x11, InputMode::Ascii);
    QVERIFY(!nothing.ChangedAny() && !document.Modified);

    // A fill from FE writes two codes and stays on FF.
    const EditOutcome filled = editor.Fill(0xFE, {"x", "y", "z"});
    QVERIFY(filled.First == 0xFE && filled.Last == 0xFF && filled.Next == 0xFF);
    QVERIFY(filled.ModifiedChanged);
    QCOMPARE(document.Entries[0xFF].Value, std::string("y"));
}

QTEST_APPLESS_MAIN(EditingRulesTest)
#include "tst_editing_rules.moc"
