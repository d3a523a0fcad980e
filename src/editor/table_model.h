// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/code_pages.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <string>

namespace zelvane {

class TableDocument;

// The grid's view of one page of the document: the 256 entries, or the
// codes of two and more bytes that share their leading bytes; row and
// column are the high and low digit of the code's last byte. Holds no data
// of its own, only where the page's lines stand.
class TableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum class HeaderLabels { Padded, Bare };
    // True for an entry the file will write as special: marked, and "/" or "*".
    static constexpr int MarkedRole = Qt::UserRole + 1;

    explicit TableModel(TableDocument& document, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

    [[nodiscard]] static std::uint8_t CodeAt(const QModelIndex& index);
    [[nodiscard]] QModelIndex IndexOf(std::uint8_t code) const;

    // The page shown: its leading bytes, empty for the one-byte codes.
    void SetPage(std::string lead);
    [[nodiscard]] const std::string& Page() const noexcept { return m_page.Lead(); }
    // A cell's value as the saved file would give it; empty when none.
    [[nodiscard]] std::string Value(std::uint8_t cell) const;
    // Whether the cell of a page of longer codes is a mark ("/F100=<END>").
    [[nodiscard]] bool IsMarkLine(std::uint8_t cell) const;

    // Tell the views what changed: a run of cells of the page shown, or the
    // whole table (after a read or a clear, which also bares the headers).
    void EntriesChanged(std::uint8_t first, std::uint8_t last);
    void TableReplaced();
    // The extra lines changed: a page's lines may stand elsewhere. Told
    // before the cells that changed with them.
    void LinesChanged();
    // Every cell's text changed, none of its bytes.
    void EncodingChanged();

private:
    TableDocument& m_document;
    PageLines m_page;
    HeaderLabels m_headerLabels = HeaderLabels::Padded;
};

} // namespace zelvane
