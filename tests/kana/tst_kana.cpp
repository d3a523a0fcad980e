// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_document.h"
#include "kana/fill_sequences.h"
#include "kana/kana_tables.h"
#include "kana/romaji_conversion.h"

#include <QStringDecoder>
#include <QStringEncoder>
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
        value = ConvertTypedKey(value, std::string(1, key), mode);
    return value;
}

} // namespace

class KanaTest : public QObject {
    Q_OBJECT

private slots:
    void typed_romaji_gives_its_kana();
    void fills_hold_the_syllabary_in_order();
    void kana_in_each_encoding_data();
    void kana_in_each_encoding();
    void guess_encoding_data();
    void guess_encoding();
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
    QCOMPARE(EucJp(ListSequence(VoicedRomaji, InputMode::Ascii, LetterCase::Upper)), VoicedHepburn.join(QString()).toUpper());
    QCOMPARE(EucJp(CharRangeSequence('0', '9')), QStringLiteral("0123456789"));
}

Q_DECLARE_METATYPE(TextEncoding)

void KanaTest::kana_in_each_encoding_data()
{
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("decoderName");
    QTest::newRow("8 bit writes EUC-JP") << TextEncoding::EightBit << QByteArray("EUC-JP");
    QTest::newRow("EUC-JP") << TextEncoding::EucJp << QByteArray("EUC-JP");
    QTest::newRow("Shift-JIS") << TextEncoding::ShiftJis << QByteArray("Shift_JIS");
    QTest::newRow("UTF-8") << TextEncoding::Utf8 << QByteArray("UTF-8");
}

void KanaTest::kana_in_each_encoding()
{
    QFETCH(TextEncoding, encoding);
    QFETCH(QByteArray, decoderName);
    // Qt's decoders, not the editor's tables, say what the bytes are.
    const auto decoded = [&](const std::vector<std::string>& values) {
        QStringDecoder decoder(decoderName.constData());
        QString text;
        for (const std::string& value : values)
            text += decoder(QByteArray::fromStdString(value));
        return text;
    };
    QCOMPARE(decoded(ListSequence(PureKana, InputMode::Hiragana, LetterCase::AsListed, encoding)), Pure);
    QCOMPARE(decoded(ListSequence(VoicedKana, InputMode::Katakana, LetterCase::AsListed, encoding)), Katakana(Voiced));
    QCOMPARE(decoded(ListSequence(PureKana, InputMode::Katakana, LetterCase::AsListed, encoding)), Katakana(Pure));
    QCOMPARE(decoded({ConvertTypedKey("k", "a", InputMode::Hiragana, encoding)}), QStringLiteral("か"));

    // Small kana, vu and the prolonged sound mark, typed key by key.
    const auto typed = [&](const QString& keys, InputMode mode) {
        std::string value;
        for (QChar key : keys)
            value = ConvertTypedKey(value, std::string(1, char(key.unicode())), mode, encoding);
        return decoded({value});
    };
    const QStringList small = QStringLiteral("xa la xi li xu lu xe le xo lo xtsu ltsu xya lya xyu lyu xyo lyo xwa lwa -").split(u' ');
    const QString smallKana = QStringLiteral("ぁぁぃぃぅぅぇぇぉぉっっゃゃゅゅょょゎゎー");
    for (qsizetype i = 0; i < small.size(); ++i) {
        QCOMPARE(typed(small[i], InputMode::Hiragana), smallKana.mid(i, 1));
        QCOMPARE(typed(small[i], InputMode::Katakana), i + 1 < small.size() ? Katakana(smallKana.mid(i, 1)) : QStringLiteral("ー"));
    }
    QCOMPARE(typed(QStringLiteral("vu"), InputMode::Katakana), QStringLiteral("ヴ"));
    // Hiragana vu is beyond JIS X 0208: only Unicode has it.
    QCOMPARE(typed(QStringLiteral("vu"), InputMode::Hiragana), encoding == TextEncoding::Utf8 ? QStringLiteral("ゔ") : QStringLiteral("vu"));
}

void KanaTest::guess_encoding_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("extraLine");
    QTest::addColumn<TextEncoding>("guess");

    const auto sjis = [](const QString& text) { return QByteArray(QStringEncoder("Shift_JIS")(text)); };
    const auto euc = [](const QString& text) { return QByteArray(QStringEncoder("EUC-JP")(text)); };
    QTest::newRow("ASCII") << QByteArray("A") << QByteArray("// note") << TextEncoding::EightBit;
    QTest::newRow("Latin-1 accents") << QByteArray("\xE9\xE8") << QByteArray() << TextEncoding::EightBit;
    QTest::newRow("UTF-8 kana") << QString("か").toUtf8() << QByteArray() << TextEncoding::Utf8;
    QTest::newRow("UTF-8 in a comment only") << QByteArray("A") << QString("// è").toUtf8() << TextEncoding::Utf8;
    QTest::newRow("Shift-JIS kana") << sjis("かナ") << QByteArray() << TextEncoding::ShiftJis;
    QTest::newRow("Shift-JIS kanji, no kana") << sjis("漢字") << QByteArray() << TextEncoding::EightBit;
    QTest::newRow("EUC-JP kana") << euc("かな") << QByteArray() << TextEncoding::EightBit;
    QTest::newRow("UTF-8 and a stray byte") << QString("か").toUtf8() << QByteArray("\xFF") << TextEncoding::EightBit;
    QTest::newRow("Shift-JIS kana and a stray byte") << sjis("か") << QByteArray("\x80") << TextEncoding::EightBit;
    QTest::newRow("UTF-8 cut short") << QString("か").toUtf8().left(2) << QByteArray() << TextEncoding::EightBit;
}

void KanaTest::guess_encoding()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, extraLine);
    QFETCH(TextEncoding, guess);
    TableDocument doc;
    doc.Entries[0x41].Value = value.toStdString();
    doc.ExtraLines.push_back(extraLine.toStdString());
    QCOMPARE(GuessEncoding(doc), guess);
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
    QCOMPARE(doc.Entries[0xFE].Value + doc.Entries[0xFF].Value, std::string("BC"));
    QVERIFY(doc.Entries[0xFE].Marked);
    QVERIFY(doc.Entries[0x00].Value.empty());
}

QTEST_APPLESS_MAIN(KanaTest)
#include "tst_kana.moc"
