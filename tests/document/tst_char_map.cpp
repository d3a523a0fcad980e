#include "document/char_map.h"

#include <QTest>

using namespace zelvane;

class CharMapTest : public QObject {
    Q_OBJECT

private slots:
    void every_byte_round_trips();
    void known_characters_data();
    void known_characters();
    void characters_outside_the_set_have_no_byte();
};

void CharMapTest::every_byte_round_trips()
{
    for (int byte = 0; byte < 256; ++byte) {
        const char32_t codePoint = ByteToCodePoint(static_cast<std::uint8_t>(byte));
        const auto back = CodePointToByte(codePoint);
        QVERIFY2(back.has_value(), qPrintable(QString::number(byte, 16)));
        QCOMPARE(int(*back), byte);
    }
}

void CharMapTest::known_characters_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<uint>("codePoint");

    QTest::newRow("euro") << 0x80 << 0x20ACu;
    QTest::newRow("unassigned_81") << 0x81 << 0x0081u;
    QTest::newRow("unassigned_8D") << 0x8D << 0x008Du;
    QTest::newRow("unassigned_8F") << 0x8F << 0x008Fu;
    QTest::newRow("unassigned_90") << 0x90 << 0x0090u;
    QTest::newRow("unassigned_9D") << 0x9D << 0x009Du;
    QTest::newRow("y_diaeresis") << 0x9F << 0x0178u;
    QTest::newRow("hiragana_lead_shows_as_currency") << 0xA4 << 0x00A4u;
}

void CharMapTest::known_characters()
{
    QFETCH(int, byte);
    QFETCH(uint, codePoint);
    QCOMPARE(uint(ByteToCodePoint(static_cast<std::uint8_t>(byte))), codePoint);
}

void CharMapTest::characters_outside_the_set_have_no_byte()
{
    // C1 controls that Windows-1252 replaces, and characters beyond it.
    for (char32_t c : {U'\u0080', U'\u0085', U'\u009F', U'\u0100', U'\u3042', U'\U0001F600'})
        QVERIFY(!CodePointToByte(c).has_value());
}

QTEST_APPLESS_MAIN(CharMapTest)
#include "tst_char_map.moc"
