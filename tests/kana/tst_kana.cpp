#include "document/table_document.h"
#include "kana/fill_sequences.h"
#include "kana/kana_tables.h"
#include "kana/romaji_conversion.h"

#include <QTest>

using namespace zelvane;

Q_DECLARE_METATYPE(InputMode)

namespace {

std::string TypeAll(std::string value, const std::string& keys, InputMode mode)
{
    for (char key : keys)
        value = ConvertTypedKey(value, key, mode);
    return value;
}

} // namespace

class KanaTest : public QObject {
    Q_OBJECT

private slots:
    void lists_are_parallel_and_as_tabled();
    void accepted_romaji_data();
    void accepted_romaji();
    void stays_as_letters_data();
    void stays_as_letters();
    void mode_of_the_completing_key_decides();
    void sequences_data();
    void sequences();
    void fill_keeps_marks_and_sets_modified();
};

void KanaTest::lists_are_parallel_and_as_tabled()
{
    QCOMPARE(PureRomaji.size(), PureKana.size());
    QCOMPARE(VoicedRomaji.size(), VoicedKana.size());
    QCOMPARE(PureRomaji.size(), std::size_t{46});
    QCOMPARE(VoicedRomaji.size(), std::size_t{25});
    QCOMPARE(int(HiraganaLead), 0xA4);
    QCOMPARE(int(KatakanaLead), 0xA5);
    QVERIFY(UpperRomaji(PureRomaji[17]) == "TSU");
    // Both "ji" and both "zu" are kept; typing reaches only the first.
    QVERIFY(VoicedRomaji[6] == "ji" && VoicedKana[6] == "\xB8");
    QVERIFY(VoicedRomaji[11] == "ji" && VoicedKana[11] == "\xC2");
    QVERIFY(VoicedRomaji[7] == "zu" && VoicedKana[7] == "\xBA");
    QVERIFY(VoicedRomaji[12] == "zu" && VoicedKana[12] == "\xC5");
    for (auto kana : PureKana)
        QCOMPARE(kana.size(), std::size_t{1});
    for (auto kana : VoicedKana)
        QCOMPARE(kana.size(), std::size_t{1});
}

void KanaTest::accepted_romaji_data()
{
    QTest::addColumn<QByteArray>("romaji");
    QTest::addColumn<int>("secondByte");

    const std::pair<const char*, int> accepted[] = {
        {"a", 0xA2}, {"i", 0xA4}, {"u", 0xA6}, {"e", 0xA8}, {"o", 0xAA},
        {"ka", 0xAB}, {"ki", 0xAD}, {"ku", 0xAF}, {"ke", 0xB1}, {"ko", 0xB3},
        {"sa", 0xB5}, {"shi", 0xB7}, {"su", 0xB9}, {"se", 0xBB}, {"so", 0xBD},
        {"ta", 0xBF}, {"chi", 0xC1}, {"tsu", 0xC4}, {"te", 0xC6}, {"to", 0xC8},
        {"na", 0xCA}, {"ni", 0xCB}, {"nu", 0xCC}, {"ne", 0xCD}, {"no", 0xCE},
        {"ha", 0xCF}, {"hi", 0xD2}, {"fu", 0xD5}, {"he", 0xD8}, {"ho", 0xDB},
        {"ma", 0xDE}, {"mi", 0xDF}, {"mu", 0xE0}, {"me", 0xE1}, {"mo", 0xE2},
        {"ya", 0xE4}, {"yu", 0xE6}, {"yo", 0xE8},
        {"ra", 0xE9}, {"ri", 0xEA}, {"ru", 0xEB}, {"re", 0xEC}, {"ro", 0xED},
        {"wa", 0xEF}, {"wo", 0xF2}, {"n", 0xF3},
        {"ga", 0xAC}, {"gi", 0xAE}, {"gu", 0xB0}, {"ge", 0xB2}, {"go", 0xB4},
        {"za", 0xB6}, {"ji", 0xB8}, {"zu", 0xBA}, {"ze", 0xBC}, {"zo", 0xBE},
        {"da", 0xC0}, {"de", 0xC7}, {"do", 0xC9}, // "ji" and "zu" of the d row are never typed
        {"ba", 0xD0}, {"bi", 0xD3}, {"bu", 0xD6}, {"be", 0xD9}, {"bo", 0xDC},
        {"pa", 0xD1}, {"pi", 0xD4}, {"pu", 0xD7}, {"pe", 0xDA}, {"po", 0xDD},
    };
    static_assert(std::size(accepted) == 69);
    for (const auto& [romaji, secondByte] : accepted)
        QTest::newRow(romaji) << QByteArray(romaji) << secondByte;
}

void KanaTest::accepted_romaji()
{
    QFETCH(QByteArray, romaji);
    QFETCH(int, secondByte);

    // Every syllable is typed from an empty cell, except those that start
    // with "n": that converts at once, so they are finished from an "n"
    // typed in ASCII mode.
    const std::string keys = romaji.toStdString();
    const bool afterN = keys.size() > 1 && keys[0] == 'n';
    const std::string start = afterN ? "n" : "";
    const std::string rest = afterN ? keys.substr(1) : keys;
    for (InputMode mode : {InputMode::Hiragana, InputMode::Katakana}) {
        const std::uint8_t lead = mode == InputMode::Hiragana ? 0xA4 : 0xA5;
        const std::string expected{static_cast<char>(lead), static_cast<char>(secondByte)};
        QCOMPARE(QByteArray::fromStdString(TypeAll(start, rest, mode)).toHex(), QByteArray::fromStdString(expected).toHex());
    }
    QCOMPARE(TypeAll("", keys, InputMode::Ascii), keys);
}

void KanaTest::stays_as_letters_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("half_typed") << QByteArray() << QByteArray("k") << QByteArray("k");
    QTest::newRow("tsu_in_progress") << QByteArray() << QByteArray("ts") << QByteArray("ts");
    QTest::newRow("upper_case") << QByteArray() << QByteArray("KA") << QByteArray("KA");
    QTest::newRow("kunrei_si") << QByteArray() << QByteArray("si") << QByteArray("si");
    QTest::newRow("kunrei_tu") << QByteArray() << QByteArray("tu") << QByteArray("tu");
    QTest::newRow("di") << QByteArray() << QByteArray("di") << QByteArray("di");
    QTest::newRow("contracted") << QByteArray() << QByteArray("kya") << QByteArray("kya");
    QTest::newRow("appends_to_value") << QByteArray("A") << QByteArray("a") << QByteArray("Aa");
    QTest::newRow("appends_to_kana") << QByteArray("\xA4\xAB") << QByteArray("k") << QByteArray("\xA4\xABk");
    QTest::newRow("n_converts_at_once") << QByteArray() << QByteArray("na") << QByteArray("\xA4\xF3" "a");
}

void KanaTest::stays_as_letters()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, after);
    QCOMPARE(QByteArray::fromStdString(TypeAll(before.toStdString(), keys.toStdString(), InputMode::Hiragana)).toHex(),
             after.toHex());
}

void KanaTest::mode_of_the_completing_key_decides()
{
    std::string value = ConvertTypedKey("", 'k', InputMode::Hiragana);
    QCOMPARE(value, std::string("k"));
    QCOMPARE(ConvertTypedKey(value, 'a', InputMode::Katakana), std::string("\xA5\xAB"));
    value = ConvertTypedKey("", 'n', InputMode::Ascii);
    QCOMPARE(ConvertTypedKey(value, 'a', InputMode::Hiragana), std::string("\xA4\xCA"));
}

void KanaTest::sequences_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("last");

    QTest::newRow("capitals") << 0 << 26 << QByteArray("A") << QByteArray("Z");
    QTest::newRow("small") << 1 << 26 << QByteArray("a") << QByteArray("z");
    QTest::newRow("digits") << 2 << 10 << QByteArray("0") << QByteArray("9");
    QTest::newRow("pure_romaji_upper") << 3 << 46 << QByteArray("A") << QByteArray("N");
    QTest::newRow("voiced_romaji_small") << 4 << 25 << QByteArray("ga") << QByteArray("po");
    QTest::newRow("pure_hiragana") << 5 << 46 << QByteArray("\xA4\xA2") << QByteArray("\xA4\xF3");
    QTest::newRow("voiced_katakana") << 6 << 25 << QByteArray("\xA5\xAC") << QByteArray("\xA5\xDD");
}

void KanaTest::sequences()
{
    QFETCH(int, which);
    QFETCH(int, count);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, last);

    std::vector<std::string> values;
    switch (which) {
    case 0: values = CharRangeSequence('A', 'Z'); break;
    case 1: values = CharRangeSequence('a', 'z'); break;
    case 2: values = CharRangeSequence('0', '9'); break;
    case 3: values = ListSequence(PureRomaji, InputMode::Ascii, LetterCase::Upper); break;
    case 4: values = ListSequence(VoicedRomaji, InputMode::Ascii, LetterCase::AsListed); break;
    case 5: values = ListSequence(PureKana, InputMode::Hiragana, LetterCase::AsListed); break;
    case 6: values = ListSequence(VoicedKana, InputMode::Katakana, LetterCase::AsListed); break;
    }
    QCOMPARE(int(values.size()), count);
    QCOMPARE(values.front(), first.toStdString());
    QCOMPARE(values.back(), last.toStdString());
}

void KanaTest::fill_keeps_marks_and_sets_modified()
{
    TableDocument doc;
    doc.Entries[0x11] = {"/", true};
    FillEntries(doc, 0x10, ListSequence(PureKana, InputMode::Hiragana, LetterCase::AsListed));
    QVERIFY(doc.Modified);
    QCOMPARE(doc.Entries[0x10].Value, std::string("\xA4\xA2"));
    QCOMPARE(doc.Entries[0x11].Value, std::string("\xA4\xA4"));
    QVERIFY(doc.Entries[0x11].Marked);
}

QTEST_APPLESS_MAIN(KanaTest)
#include "tst_kana.moc"
