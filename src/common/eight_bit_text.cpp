// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/eight_bit_text.h"

#include "document/char_map.h"

#include <QFile>

namespace zelvane {

QString ToDisplay(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes)
        *out++ = QChar(static_cast<char16_t>(ByteToCodePoint(static_cast<std::uint8_t>(byte))));
    return text;
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
