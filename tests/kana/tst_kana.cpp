// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_document.h"
#include "kana/fill_sequences.h"
#include "kana/kana_tables.h"
#include "kana/romaji_conversion.h"

#include <QStringDecoder>
#include <QTest>

using namespace zelvane;

namespace {

// The syllabary in its traditional order, as Unicode text and in Hepburn
// romaji: the truth the EUC-JP tables are checked against.
const QString Pure = QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん");
const QString Voiced = QStringLiteral("がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽ");
const QStringList PureHepburn = QStringLiteral(
    "a i u e o ka ki ku ke ko sa shi su se so ta chi tsu te to na ni nu ne no ha hi fu he ho ma mi mu me mo "
    "ya yu yo ra ri ru re ro wa wo n").split(u' ');
const QStringList VoicedHepburn = QStringLiteral(
    "ga gi gu ge go za ji zu ze zo da ji zu de do ba bi bu be bo pa pi pu pe po").split(u' ');

QString Katakana(QString hiragana)
{
    for (QChar& c : hiragana)
        c = QChar(c.unicode() + 0x60);
    return hiragana;
}

QString EucJp(const std::vector<std::string>& values)
{
    QStringDecoder decoder("EUC-JP");
    QString text;
    for (const std::string& value : values)
        text += decoder(QByteArray::fromStdString(value));
    return text;
}

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
    void typed_romaji_gives_its_kana();
    void fills_hold_the_syllabary_in_order();
    void stays_as_letters_data();
    void stays_as_letters();
    void fill_keeps_marks_and_stops_after_ff();
};

void KanaTest::typed_romaji_gives_its_kana()
{
    const QStringList romaji = PureHepburn + VoicedHepburn;
    const QString kana = Pure + Voiced;
    for (int i = 0; i < romaji.size(); ++i) {
        // The d-row "ji" and "zu" are never typed: the z-row ones come first.
        if (i == PureHepburn.size() + 11 || i == PureHepburn.size() + 12)
            continue;
        // "n" converts at once, so "na" is finished from an "n" typed as ASCII.
        std::string keys = romaji[i].toStdString();
        const std::string start = keys.size() > 1 && keys[0] == 'n' ? "n" : "";
        keys.erase(0, start.size());
        QCOMPARE(EucJp({TypeAll(start, keys, InputMode::Hiragana)}), kana.mid(i, 1));
        QCOMPARE(EucJp({TypeAll(start, keys, InputMode::Katakana)}), Katakana(kana.mid(i, 1)));
    }
    QCOMPARE(TypeAll("", "shi", InputMode::Ascii), std::string("shi"));
}

void KanaTest::fills_hold_the_syllabary_in_order()
{
    QCOMPARE(EucJp(ListSequence(PureKana, InputMode::Hiragana, LetterCase::AsListed)), Pure);
    QCOMPARE(EucJp(ListSequence(VoicedKana, InputMode::Hiragana, LetterCase::AsListed)), Voiced);
    QCOMPARE(EucJp(ListSequence(PureKana, InputMode::Katakana, LetterCase::AsListed)), Katakana(Pure));
    QCOMPARE(EucJp(ListSequence(VoicedKana, InputMode::Katakana, LetterCase::AsListed)), Katakana(Voiced));
    QCOMPARE(EucJp(ListSequence(PureRomaji, InputMode::Ascii, LetterCase::Upper)), PureHepburn.join(QString()).toUpper());
    QCOMPARE(EucJp(ListSequence(VoicedRomaji, InputMode::Ascii, LetterCase::AsListed)), VoicedHepburn.join(QString()));
    QCOMPARE(EucJp(CharRangeSequence('0', '9')), QStringLiteral("0123456789"));
}

void KanaTest::stays_as_letters_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("half_typed") << QByteArray() << QByteArray("ts") << QByteArray("ts");
    QTest::newRow("upper_case") << QByteArray() << QByteArray("KA") << QByteArray("KA");
    QTest::newRow("kunrei_si") << QByteArray() << QByteArray("si") << QByteArray("si");
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

void KanaTest::fill_keeps_marks_and_stops_after_ff()
{
    TableDocument doc;
    doc.Entries[0xFE] = {"/", true};
    QCOMPARE(int(FillEntries(doc, 0xFD, CharRangeSequence('A', 'Z'))), 0xFF);
    QVERIFY(doc.Modified);
    QCOMPARE(doc.Entries[0xFE].Value + doc.Entries[0xFF].Value, std::string("BC"));
    QVERIFY(doc.Entries[0xFE].Marked);
    QVERIFY(doc.Entries[0x00].Value.empty());
}

QTEST_APPLESS_MAIN(KanaTest)
#include "tst_kana.moc"
