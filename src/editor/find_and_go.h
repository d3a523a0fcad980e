// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class QLineEdit;
class QWidget;

namespace zelvane {

class TableDocument;

// Asks for a code of one or more bytes ("Vai al codice..."): the box takes
// pairs of hexadecimal digits only. Its bytes, or nothing when cancelled.
[[nodiscard]] std::optional<std::string> AskForCode(QWidget* parent);

// A place in the table: the page's leading bytes and the cell.
struct CellPlace {
    std::string Page;
    std::uint8_t Cell = 0;
};

// The next (+1) or previous (-1) cell after `from` whose value, as shown in
// the table's encoding, holds `text` (letters of either case), in code
// order through the pages and round again, `from` itself last.
[[nodiscard]] std::optional<CellPlace> FindCell(const TableDocument& document, const CellPlace& from, const QString& text,
                                                int direction);

// The find box: a small window beside `window` that does not block it,
// holding the text box `txtFind`.
[[nodiscard]] QWidget* MakeFindBox(QWidget* window);

} // namespace zelvane
