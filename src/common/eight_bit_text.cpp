// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/eight_bit_text.h"

#include "document/char_map.h"

#include <QFile>
#include <QStringEncoder>
#include <QStringDecoder>

#include <algorithm>

namespace zelvane {

QString ToDisplay(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes)
        *out++ = QChar(static_cast<char16_t>(ByteToCodePoint(static_cast<std::uint8_t>(byte))));
    return text;
}

QString ToDisplay(std::string_view bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::EightBit)
        return ToDisplay(bytes);
    // Opening a converter costs more than decoding a cell: one of each,
    // kept. Stateless, so nothing carries over from one text to the next.
    static QStringDecoder utf8("UTF-8", QStringConverter::Flag::Stateless);
    static QStringDecoder shiftJis("Shift_JIS", QStringConverter::Flag::Stateless);
    static QStringDecoder eucJp("EUC-JP", QStringConverter::Flag::Stateless);
    QStringDecoder& decoder = encoding == TextEncoding::Utf8       ? utf8
                              : encoding == TextEncoding::ShiftJis ? shiftJis
                                                                   : eucJp;
    // Qt's decoders stand U+FFFD in for what they cannot decode; stateless,
    // a character cut short at the end counts too.
    const auto decodes = [&decoder](std::string_view chunk, QString& text) {
        decoder.resetState();
        text = decoder.decode(QByteArrayView(chunk.data(), static_cast<qsizetype>(chunk.size())));
        return decoder.isValid() && !decoder.hasError() && !text.contains(QChar::ReplacementCharacter);
    };
    QString whole;
    if (decodes(bytes, whole))
        return whole;
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::size_t p = 0; p < bytes.size();) {
        const std::size_t length = CharacterLength(bytes, p, encoding);
        QString character;
        if (length > 0 && decodes(bytes.substr(p, length), character)) {
            text += character;
            p += length;
        } else {
            text += QChar(static_cast<char16_t>(ByteToCodePoint(static_cast<std::uint8_t>(bytes[p]))));
            ++p;
        }
    }
    return text;
}

QString ToShortDisplay(std::string_view bytes, TextEncoding encoding)
{
    // More than a cell or the status panel can hold in any font.
    constexpr std::size_t ShownBytes = 256;
    if (bytes.size() <= ShownBytes)
        return ToDisplay(bytes, encoding);
    // Cut between characters, not inside one.
    std::size_t cut = 0;
    while (cut < ShownBytes) {
        const std::size_t length = CharacterLength(bytes, cut, encoding);
        if (cut + std::max<std::size_t>(length, 1) > ShownBytes)
            break;
        cut += std::max<std::size_t>(length, 1);
    }
    return ToDisplay(bytes.substr(0, cut), encoding) + QChar(0x2026);
}

std::optional<std::string> FromDisplay(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const auto byte = CodePointToByte(c.unicode());
        if (!byte)
            return std::nullopt;
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

std::optional<std::string> FromDisplay(const QString& text, TextEncoding encoding, QString* refused)
{
    std::string bytes;
    const QList<uint> characters = text.toUcs4();
    for (uint c : characters) {
        std::optional<std::string> character;
        if (encoding == TextEncoding::EucJp || encoding == TextEncoding::ShiftJis) {
            QStringEncoder encoder(encoding == TextEncoding::EucJp ? "EUC-JP" : "Shift_JIS");
            const char32_t one[] = {static_cast<char32_t>(c)};
            const QByteArray encoded = encoder(QString::fromUcs4(one, 1));
            // EUC-JP as tables use it: JIS X 0208 and half-width kana, not
            // the three-byte JIS X 0212 (8F ...) that few tools read.
            const bool jisX0212 = encoding == TextEncoding::EucJp && encoded.startsWith('\x8F');
            if (!encoder.hasError() && !encoded.isEmpty() && !jisX0212)
                character = encoded.toStdString();
        } else {
            character = EncodeCharacter(static_cast<char32_t>(c), encoding);
        }
        if (!character) {
            if (refused) {
                const char32_t one[] = {static_cast<char32_t>(c)};
                *refused = QString::fromUcs4(one, 1);
            }
            return std::nullopt;
        }
        bytes += *character;
    }
    return bytes;
}

QString EncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::EucJp: return QStringLiteral("EUC-JP");
    case TextEncoding::ShiftJis: return QStringLiteral("Shift-JIS");
    case TextEncoding::Utf8: return QStringLiteral("UTF-8");
    case TextEncoding::EightBit: break;
    }
    return QStringLiteral("8 bit");
}

QString NotInEncodingText(const QString& character, TextEncoding encoding)
{
    return QStringLiteral("Il carattere «%1» non esiste nella codifica %2 della tabella").arg(character, EncodingName(encoding));
}

std::vector<std::string> TypedCharacters(const QString& text, TextEncoding encoding, QString& refused)
{
    std::vector<std::string> characters;
    for (char32_t character : text.toUcs4()) {
        if (!IsTypable(character))
            continue;
        const char32_t one[] = {character};
        std::optional<std::string> bytes = FromDisplay(QString::fromUcs4(one, 1), encoding, &refused);
        if (!bytes)
            break;
        characters.push_back(std::move(*bytes));
    }
    return characters;
}

QValidator::State LineValidator::validate(QString& input, int&) const
{
    return input.contains(u'\r') || input.contains(u'\n') ? Invalid : Acceptable;
}

std::string PathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString PathText(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QValidator::State EightBitValidator::validate(QString& input, int&) const
{
    const bool lineBreak = input.contains(u'\r') || input.contains(u'\n');
    return !lineBreak && FromDisplay(input) ? Acceptable : Invalid;
}

} // namespace zelvane
