// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/text_encoding.h"

#include <QString>
#include <QValidator>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane {

// A table's bytes as the window shows them: one character per byte, through
// the editor's 8-bit character set.
[[nodiscard]] QString ToDisplay(std::string_view bytes);

// The same in `encoding`: each character that decodes is shown decoded, and
// each byte that does not as its character of the 8-bit set, so that no
// byte is hidden.
[[nodiscard]] QString ToDisplay(std::string_view bytes, TextEncoding encoding);

// What a cell or the status bar shows of a value: its first 256
// bytes, ended by "…" when the value goes on, so that a value of megabytes
// costs no more to show than a short one. The value itself is untouched.
[[nodiscard]] QString ToShortDisplay(std::string_view bytes, TextEncoding encoding);

// The bytes a shown text stands for, or nothing when a character lies
// outside the 8-bit set.
[[nodiscard]] std::optional<std::string> FromDisplay(const QString& text);

// The bytes of `text` in `encoding`: in EUC-JP and Shift-JIS through Qt's
// encoders, kanji included; in the 8-bit look through the 8-bit set. Nothing when a character has no bytes there,
// `refused` then holding the first such character.
[[nodiscard]] std::optional<std::string> FromDisplay(const QString& text, TextEncoding encoding, QString* refused = nullptr);

// The encoding's name as the "Codifica testo" menu shows it.
[[nodiscard]] QString EncodingName(TextEncoding encoding);

// Why `character` was not taken: "Il carattere «X» non esiste nella
// codifica ... della tabella".
[[nodiscard]] QString NotInEncodingText(const QString& character, TextEncoding encoding);

// True for a character that types: no line break or other control
// character, C1 ones included.
[[nodiscard]] constexpr bool IsTypable(char32_t c) noexcept
{
    return c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0);
}

// The bytes of each character of `text` that types, in `encoding`, up to
// the first one the encoding cannot hold, which `refused` then names.
[[nodiscard]] std::vector<std::string> TypedCharacters(const QString& text, TextEncoding encoding, QString& refused);

// A path as the file system takes it, and back.
[[nodiscard]] std::string PathBytes(const QString& path);
[[nodiscard]] QString PathText(const std::string& path);

// Lets a text box hold only characters of the 8-bit set, and no line
// breaks, so whatever is typed can be written to a table and read back.
class EightBitValidator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

// Lets a text box hold no line breaks; which characters the table's
// encoding holds is said when the text is taken.
class LineValidator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

} // namespace zelvane
