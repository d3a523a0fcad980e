// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/char_map.h"

#include <QStringDecoder>
#include <QTest>

using namespace zelvane;

class CharMapTest : public QObject {
    Q_OBJECT

private slots:
    void every_byte_is_its_windows_1252_character_and_back();
    void characters_outside_the_set_have_no_byte();
};

void CharMapTest::every_byte_is_its_windows_1252_character_and_back()
{
    QStringDecoder windows1252("windows-1252");
    QVERIFY(windows1252.isValid());
    for (int byte = 0; byte < 256; ++byte) {
        const char32_t codePoint = ByteToCodePoint(static_cast<std::uint8_t>(byte));
        // The five bytes the code page leaves unassigned stand for the C1
        // control of the same number; ICU maps them its own way.
        const bool unassigned = byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        const QString decoded = windows1252(QByteArray(1, static_cast<char>(byte)));
        QCOMPARE(uint(codePoint), unassigned ? uint(byte) : uint(decoded.at(0).unicode()));
        QCOMPARE(int(CodePointToByte(codePoint).value_or(-1)), byte);
    }
}

void CharMapTest::characters_outside_the_set_have_no_byte()
{
    // C1 controls that Windows-1252 replaces, and characters beyond it.
    for (char32_t c : {U'\u0080', U'\u0085', U'\u009F', U'\u0100', U'\u3042', U'\U0001F600'})
        QVERIFY(!CodePointToByte(c).has_value());
}

QTEST_APPLESS_MAIN(CharMapTest)
#include "tst_char_map.moc"
