// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_document.h"

#include <QTest>

using namespace zelvane;

class TableDocumentTest : public QObject {
    Q_OBJECT

private slots:
    void clear_table_empties_every_code();
    void addresses_data();
    void addresses();
};

void TableDocumentTest::clear_table_empties_every_code()
{
    TableDocument doc;
    doc.Entries[0xFF] = {"/", true, "=<END>"};
    doc.Bookmarks[30] = {3, "last"};
    // Lines that are codes go with the entries; comments that look like
    // codes and lines of other shapes stay, in order.
    doc.ExtraLines = {"kept", "8140=\x81\x40", "# 8140=x", "41=A", "F1F500=z", "/0A", "414=odd", "@section"};
    doc.FileName = "/t.tbl";
    doc.Modified = true;
    doc.ClearTable();
    QVERIFY(doc.Entries == TableDocument{}.Entries);
    QCOMPARE(doc.Bookmarks[30].Title, std::string("last"));
    QVERIFY((doc.ExtraLines == std::vector<ExtraLine>{"kept", "# 8140=x", "414=odd", "@section"}));
    QCOMPARE(doc.Caption(), std::string("/t.tbl - Zelvane 0.9"));
    QVERIFY(!doc.Modified);
}

void TableDocumentTest::addresses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("shown");

    QTest::newRow("zero") << QByteArray("0") << true << 0 << QByteArray("0");
    QTest::newRow("lower_case_leading_zeros") << QByteArray("0001a2b0") << true << 0x1A2B0 << QByteArray("1A2B0");
    QTest::newRow("nine_digits_with_leading_zero") << QByteArray("07FFFFFFF") << true << 0x7FFFFFFF << QByteArray("7FFFFFFF");
    QTest::newRow("minus_one") << QByteArray("FFFFFFFF") << true << -1 << QByteArray("FFFFFFFF");
    QTest::newRow("most_negative") << QByteArray("80000000") << true << INT32_MIN << QByteArray("80000000");
    QTest::newRow("empty") << QByteArray() << false << 0 << QByteArray();
    QTest::newRow("nine_significant_digits") << QByteArray("100000000") << false << 0 << QByteArray();
    QTest::newRow("blank_between") << QByteArray("1 2") << false << 0 << QByteArray();
}

void TableDocumentTest::addresses()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(int, address);
    QFETCH(QByteArray, shown);

    std::int32_t parsed = 12345;
    QCOMPARE(ParseAddress(text.toStdString(), parsed), valid);
    QCOMPARE(parsed, valid ? address : 12345);
    if (valid)
        QCOMPARE(AddressText(parsed), shown.toStdString());
}

QTEST_APPLESS_MAIN(TableDocumentTest)
#include "tst_table_document.moc"
