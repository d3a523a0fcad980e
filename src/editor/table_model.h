// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>

#include <cstdint>

namespace zelvane {

class TableDocument;

// The grid's view of the document's 256 entries: row and column are the
// high and low digit of the code. Holds no data of its own.
class TableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum class HeaderLabels { Padded, Bare };
    // True for a marked entry.
    static constexpr int MarkedRole = Qt::UserRole + 1;

    explicit TableModel(TableDocument& document, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

    [[nodiscard]] static std::uint8_t CodeAt(const QModelIndex& index);
    [[nodiscard]] QModelIndex IndexOf(std::uint8_t code) const;

    // Tell the views what changed: a run of entries, or the whole table
    // (after a read or a clear, which also bares the headers).
    void EntriesChanged(std::uint8_t first, std::uint8_t last);
    void TableReplaced();
    // Every cell's text changed, none of its bytes.
    void EncodingChanged();

private:
    TableDocument& m_document;
    HeaderLabels m_headerLabels = HeaderLabels::Padded;
};

} // namespace zelvane
