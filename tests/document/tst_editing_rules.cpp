// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/code_pages.h"
#include "document/slot_list.h"
#include "document/table_document.h"
#include "document/table_editor.h"
#include "document/table_reader.h"

#include <QTest>

#include <functional>

using namespace zelvane;

class EditingRulesTest : public QObject {
    Q_OBJECT

private slots:
    void slot_list_data();
    void slot_list();
    void edits_report_what_changed();
    void pages_and_code_values_data();
    void pages_and_code_values();
    void page_edits_change_the_lines();
    void every_edit_undone_and_redone_data();
    void every_edit_undone_and_redone();
};

using Edit = std::function<TableChange(TableDocument&, TableEditor&)>;
Q_DECLARE_METATYPE(Edit)

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

    // The rules say what changed; whether the table is modified is the
    // history's to say, not theirs.
    EditOutcome typed = editor.TypeKey(0x10, 'k', InputMode::Hiragana);
    QVERIFY(typed.First == 0x10 && typed.Last == 0x10 && !typed.Change.Empty());
    QVERIFY(!document.Modified);
    typed = editor.TypeKey(0x10, 'a', InputMode::Hiragana);
    QCOMPARE(document.Entries[0x10].Value, std::string("\xA4\xAB")); // EUC-JP ka

    // A refused mark and a Backspace on an empty cell change nothing.
    QVERIFY(!editor.Mark(0x10).Accepted);
    const EditOutcome nothing = editor.Backspace(0x11, InputMode::Ascii);
    QVERIFY(!nothing.ChangedAny() && nothing.Change.Empty());

    // A fill from FE writes two codes and stays on FF.
    const EditOutcome filled = editor.Fill(0xFE, {"x", "y", "z"});
    QVERIFY(filled.First == 0xFE && filled.Last == 0xFF && filled.Next == 0xFF);
    QCOMPARE(document.Entries[0xFF].Value, std::string("y"));
}

void EditingRulesTest::pages_and_code_values_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArrayList>("pages"); // leading bytes, as digits
    QTest::addColumn<QByteArray>("code");      // digits
    QTest::addColumn<QByteArray>("value");     // "-": none

    QTest::newRow("two_byte_codes_in_byte_order") << QByteArray("8140=a\n41=A\n889f=b\n")
        << QByteArrayList{"", "81", "88"} << QByteArray("889F") << QByteArray("b");
    QTest::newRow("three_bytes_and_odd_digits_stay_lines") << QByteArray("F1F500=<Nome>\n100=x\n81401=y\n")
        << QByteArrayList{"", "F1F5"} << QByteArray("F1F500") << QByteArray("<Nome>");
    QTest::newRow("last_line_wins_whatever_the_case") << QByteArray("8140=a\n8140=b\n8140=\n81a0=c\n81A0=d\n")
        << QByteArrayList{"", "81"} << QByteArray("81A0") << QByteArray("d");
    QTest::newRow("assigned_to_nothing") << QByteArray("8140=a\n8140=\n") << QByteArrayList{"", "81"} << QByteArray("8140") << QByteArray("");
    QTest::newRow("one_byte_code") << QByteArray("41=A\n") << QByteArrayList{""} << QByteArray("41") << QByteArray("A");
    QTest::newRow("no_line") << QByteArray("# 8140=a\n41=\n") << QByteArrayList{""} << QByteArray("41") << QByteArray("-");
}

void EditingRulesTest::pages_and_code_values()
{
    QFETCH(QByteArray, table);
    QFETCH(QByteArrayList, pages);
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, value);
    TableDocument document;
    QVERIFY(ParseTable(document, table.toStdString()));
    QByteArrayList found;
    for (const std::string& page : CodePages(document))
        found << QByteArray::fromStdString(page).toHex().toUpper();
    QCOMPARE(found, pages);
    const std::optional<std::string> got = CodeValue(document, QByteArray::fromHex(code).toStdString());
    QCOMPARE(got ? QByteArray::fromStdString(*got) : QByteArray("-"), value);
}

void EditingRulesTest::page_edits_change_the_lines()
{
    TableDocument document;
    QVERIFY(ParseTable(document, "# kanji\n889f=a\n88a1=c\n88A1=d\n@end\n"));
    TableEditor editor(document);
    const std::string page("\x88");
    // A changed value keeps its line and digits; a new code follows the
    // nearest lower one; an emptied cell loses every line of its code.
    editor.TypeBytes(page, 0x9F, "b", InputMode::Ascii);
    editor.TypeBytes(page, 0xA0, "x", InputMode::Ascii);
    QVERIFY(editor.Backspace(page, 0xA1, InputMode::Hiragana).ChangedAny());
    QCOMPARE(document.ExtraLines, (std::vector<std::string>{"# kanji", "889f=ab", "88A0=x", "@end"}));
    // A fill stops at the end of the page; new codes below every other
    // one go before the lowest.
    const EditOutcome filled = editor.Fill(page, 0xFE, {"y", "z", "w"});
    QVERIFY(filled.First == 0xFE && filled.Last == 0xFF && filled.Next == 0xFF);
    editor.TypeBytes(page, 0x00, "0", InputMode::Ascii);
    QCOMPARE(document.ExtraLines, (std::vector<std::string>{"# kanji", "8800=0", "889f=ab", "88A0=x", "88FE=y", "88FF=z", "@end"}));
    QVERIFY(!CodeValue(document, "\x88\xA1"));
}

void EditingRulesTest::every_edit_undone_and_redone_data()
{
    QTest::addColumn<Edit>("edit");
    const std::string page("\x88");
    auto outcome = [](EditOutcome o) { return std::move(o.Change); };
    QTest::newRow("typed_keys_in_one_cell_are_one_step") << Edit([=](TableDocument&, TableEditor& e) {
        TableChange change = outcome(e.TypeKey(0x41, 'x', InputMode::Ascii));
        change.Absorb(outcome(e.TypeKey(0x41, 'y', InputMode::Ascii)));
        return change;
    });
    QTest::newRow("backspace") << Edit([=](TableDocument&, TableEditor& e) { return outcome(e.Backspace(0x41, InputMode::Ascii)); });
    QTest::newRow("fill_over_a_mark") << Edit([=](TableDocument&, TableEditor& e) { return outcome(e.Fill(0xFE, {"a", "b", "c"})); });
    QTest::newRow("mark") << Edit([=](TableDocument&, TableEditor& e) { return outcome(e.Mark(0x2F)); });
    QTest::newRow("unmark") << Edit([=](TableDocument&, TableEditor& e) { return outcome(e.Unmark(0xFF)); });
    QTest::newRow("page_new_code_then_key_after_it") << Edit([=](TableDocument&, TableEditor& e) {
        TableChange change = outcome(e.TypeBytes(page, 0x9E, "n", InputMode::Ascii));
        change.Absorb(outcome(e.TypeBytes(page, 0x9F, "z", InputMode::Ascii)));
        return change;
    });
    QTest::newRow("page_cell_emptied") << Edit([=](TableDocument&, TableEditor& e) { return outcome(e.Empty(page, 0xA0)); });
    QTest::newRow("page_fill") << Edit([=](TableDocument&, TableEditor& e) { return outcome(e.Fill(page, 0x9E, {"p", "q", "r"})); });
    QTest::newRow("manager_lines_and_bookmarks") << Edit([](TableDocument& d, TableEditor&) {
        TableChange change;
        change.Lines.push_back(ReplaceLines(d.ExtraLines, {"# kanji", "# new", "88a0=x"}));
        change.BookmarksBefore = d.Bookmarks;
        d.Bookmarks[1] = {2, "b"};
        change.BookmarksAfter = d.Bookmarks;
        return change;
    });
}

void EditingRulesTest::every_edit_undone_and_redone()
{
    QFETCH(Edit, edit);
    TableDocument document;
    QVERIFY(ParseTable(document, "# kanji\n889f=a\n88a0=x\n88A0=y\n41=A\n2F=/\n/FF=<END>\nFE=*\n(1h)a\n"));
    const TableDocument before = document;
    TableEditor editor(document);
    const TableChange change = edit(document, editor);
    QVERIFY(!change.Empty());
    const TableDocument after = document;
    QVERIFY(!(after.Entries == before.Entries && after.ExtraLines == before.ExtraLines && after.Bookmarks == before.Bookmarks));
    for (int round = 0; round < 2; ++round) {
        change.Undo(document);
        QVERIFY(document.Entries == before.Entries && document.ExtraLines == before.ExtraLines
                && document.Bookmarks == before.Bookmarks);
        change.Redo(document);
        QVERIFY(document.Entries == after.Entries && document.ExtraLines == after.ExtraLines
                && document.Bookmarks == after.Bookmarks);
    }
}

QTEST_APPLESS_MAIN(EditingRulesTest)
#include "tst_editing_rules.moc"
