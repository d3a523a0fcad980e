// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/table_model.h"

#include "document/table_document.h"
#include "common/eight_bit_text.h"

#include <QColor>

namespace zelvane {

namespace {
constexpr int Side = 16;
const QColor MarkedColour(255, 255, 0);
const QColor PlainColour(255, 255, 255);
}

TableModel::TableModel(TableDocument& document, QObject* parent)
    : QAbstractTableModel(parent)
    , m_document(document)
{
}

int TableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Side;
}

int TableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Side;
}

std::uint8_t TableModel::CodeAt(const QModelIndex& index)
{
    return static_cast<std::uint8_t>(index.row() * Side + index.column());
}

QModelIndex TableModel::IndexOf(std::uint8_t code) const
{
    return index(code / Side, code % Side);
}

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const std::uint8_t cell = CodeAt(index);
    // A cell looks special exactly when the file will say so: a mark whose
    // value is no longer "/" or "*" stays for the fills, but shows white.
    // On a page of longer codes a mark is its line.
    const bool marked = Page().empty() ? m_document.Entries[cell].Kind() != SpecialKind::None : IsMarkLine(cell);
    switch (role) {
    case Qt::DisplayRole:
        if (Page().empty())
            return ToShortDisplay(m_document.Entries[cell].Value, m_document.Encoding);
        return ToShortDisplay(Value(cell), m_document.Encoding);
    case Qt::BackgroundRole:
        return marked ? MarkedColour : PlainColour;
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case MarkedRole:
        return marked;
    default:
        return {};
    }
}

std::string TableModel::Value(std::uint8_t cell) const
{
    if (Page().empty())
        return m_document.Entries[cell].Value;
    const std::size_t line = m_page.LastLine(cell);
    if (line >= m_document.ExtraLines.size())
        return {};
    const auto code = ParseMultiByteCode(m_document.ExtraLines[line]);
    return code ? std::string(code->Value) : std::string();
}

bool TableModel::IsMarkLine(std::uint8_t cell) const
{
    const std::size_t line = m_page.LastLine(cell);
    if (line >= m_document.ExtraLines.size())
        return false;
    const auto code = ParseMultiByteCode(m_document.ExtraLines[line]);
    return code && code->Mark;
}

void TableModel::SetPage(std::string lead)
{
    beginResetModel();
    m_page = PageLines(m_document, std::move(lead));
    endResetModel();
}

void TableModel::LinesChanged()
{
    if (Page().empty())
        return;
    m_page = PageLines(m_document, Page());
    emit dataChanged(index(0, 0), index(Side - 1, Side - 1));
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0 || section >= Side)
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    const QString digit = QString::number(section, 16).toUpper();
    // The grid is laid out with padded column labels; the first clear
    // writes the bare digits.
    if (orientation == Qt::Horizontal && m_headerLabels == HeaderLabels::Padded)
        return QStringLiteral("  %1  ").arg(digit);
    return digit;
}

void TableModel::EntriesChanged(std::uint8_t first, std::uint8_t last)
{
    const int firstRow = first / Side;
    const int lastRow = last / Side;
    // A run that crosses a row end touches whole rows in between.
    const int leftColumn = firstRow == lastRow ? first % Side : 0;
    const int rightColumn = firstRow == lastRow ? last % Side : Side - 1;
    emit dataChanged(index(firstRow, leftColumn), index(lastRow, rightColumn));
}

void TableModel::EncodingChanged()
{
    emit dataChanged(index(0, 0), index(Side - 1, Side - 1), {Qt::DisplayRole});
}

void TableModel::TableReplaced()
{
    beginResetModel();
    m_page = PageLines();
    m_headerLabels = HeaderLabels::Bare;
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, Side - 1);
}

} // namespace zelvane
