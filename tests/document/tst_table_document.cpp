#include "document/table_document.h"

#include <QTest>

using namespace zelvane;

class TableDocumentTest : public QObject {
    Q_OBJECT

private slots:
    void clear_table_keeps_slots_and_name();
    void mark_only_slash_or_star_data();
    void mark_only_slash_or_star();
    void unmark();
    void address_text_data();
    void address_text();
    void parse_address_refuses_data();
    void parse_address_refuses();
};

void TableDocumentTest::clear_table_keeps_slots_and_name()
{
    TableDocument doc;
    doc.Entries[0x41] = {"/", true};
    doc.Entries[0xFF].Value = "x";
    doc.Bookmarks[30] = {3, "last"};
    doc.ExtraLines = {"kept"};
    doc.FileName = "/t.tbl";
    doc.Modified = true;
    doc.ClearTable();
    for (const TableEntry& entry : doc.Entries)
        QVERIFY(entry == TableEntry{});
    QCOMPARE(doc.Bookmarks[30].Title, std::string("last"));
    QVERIFY(doc.ExtraLines == std::vector<ExtraLine>{"kept"});
    QCOMPARE(doc.FileName, std::string("/t.tbl"));
    QVERIFY(!doc.Modified);
    QCOMPARE(doc.Caption(), std::string("/t.tbl - Zelvane 0.9"));
}

void TableDocumentTest::mark_only_slash_or_star_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("wasMarked");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("slash") << QByteArray("/") << false << true;
    QTest::newRow("star") << QByteArray("*") << false << true;
    QTest::newRow("already_marked") << QByteArray("/") << true << true;
    QTest::newRow("empty") << QByteArray() << false << false;
    QTest::newRow("letter") << QByteArray("A") << false << false;
    QTest::newRow("two_slashes") << QByteArray("//") << false << false;
    QTest::newRow("slash_blank") << QByteArray("/ ") << false << false;
}

void TableDocumentTest::mark_only_slash_or_star()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, wasMarked);
    QFETCH(bool, accepted);

    TableDocument doc;
    doc.Entries[0x10] = {value.toStdString(), wasMarked};
    QCOMPARE(MarkSpecial(doc, 0x10), accepted);
    QCOMPARE(doc.Entries[0x10].Marked, accepted || wasMarked);
    QCOMPARE(doc.Entries[0x10].Value, value.toStdString());
    QCOMPARE(doc.Modified, accepted);
}

void TableDocumentTest::unmark()
{
    TableDocument doc;
    doc.Entries[0x10] = {"/", true};
    QVERIFY(UnmarkSpecial(doc, 0x10));
    QVERIFY(doc.Modified);
    QCOMPARE(doc.Entries[0x10].Value, std::string("/"));
    doc.Modified = false;
    QVERIFY(!UnmarkSpecial(doc, 0x10));
    QVERIFY(!doc.Modified);
}

void TableDocumentTest::address_text_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("shown");

    QTest::newRow("zero") << QByteArray("0") << 0 << QByteArray("0");
    QTest::newRow("lower_case") << QByteArray("ff") << 255 << QByteArray("FF");
    QTest::newRow("leading_zeros") << QByteArray("0001a2b0") << 0x1A2B0 << QByteArray("1A2B0");
    QTest::newRow("nine_digits_with_leading_zero") << QByteArray("07FFFFFFF") << 0x7FFFFFFF << QByteArray("7FFFFFFF");
    QTest::newRow("minus_one") << QByteArray("FFFFFFFF") << -1 << QByteArray("FFFFFFFF");
    QTest::newRow("most_negative") << QByteArray("80000000") << INT32_MIN << QByteArray("80000000");
}

void TableDocumentTest::address_text()
{
    QFETCH(QByteArray, text);
    QFETCH(int, address);
    QFETCH(QByteArray, shown);

    std::int32_t parsed = 12345;
    QVERIFY(ParseAddress(text.toStdString(), parsed));
    QCOMPARE(parsed, address);
    QCOMPARE(AddressText(parsed), shown.toStdString());
}

void TableDocumentTest::parse_address_refuses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("nine_significant_digits") << QByteArray("100000000");
    QTest::newRow("prefix") << QByteArray("0x10");
    QTest::newRow("sign") << QByteArray("-1");
    QTest::newRow("blank_between") << QByteArray("1 2");
    QTest::newRow("not_hex") << QByteArray("G");
}

void TableDocumentTest::parse_address_refuses()
{
    QFETCH(QByteArray, text);
    std::int32_t parsed = 12345;
    QVERIFY(!ParseAddress(text.toStdString(), parsed));
    QCOMPARE(parsed, 12345);
}

QTEST_APPLESS_MAIN(TableDocumentTest)
#include "tst_table_document.moc"
