// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

namespace zelvane {

// The managers' list rule: entries in use fill the slots from the first
// on without gaps; a list may have a fixed number of slots (bookmarks) or
// none (extra lines). A deletion moves the last entry into the freed slot,
// or, in a list that keeps its order (extra lines, whose order is the
// file's), closes the gap.
template<typename Entry>
class SlotList {
public:
    static constexpr std::size_t Unlimited = std::numeric_limits<std::size_t>::max();

    enum class Order { Free, Kept };

    explicit SlotList(std::size_t capacity = Unlimited, Order order = Order::Free) : m_capacity(capacity), m_order(order) {}

    // Starts again from `entries`, keeping at most the slots there are.
    void Assign(std::vector<Entry> entries)
    {
        m_entries = std::move(entries);
        if (m_entries.size() > m_capacity)
            m_entries.resize(m_capacity);
    }

    [[nodiscard]] const std::vector<Entry>& Entries() const noexcept { return m_entries; }
    [[nodiscard]] std::size_t Size() const noexcept { return m_entries.size(); }
    [[nodiscard]] std::size_t Capacity() const noexcept { return m_capacity; }
    [[nodiscard]] bool Full() const noexcept { return m_entries.size() >= m_capacity; }
    [[nodiscard]] const Entry& operator[](std::size_t row) const { return m_entries[row]; }

    // False, changing nothing, when every slot is taken.
    bool Add(Entry entry)
    {
        if (Full())
            return false;
        m_entries.push_back(std::move(entry));
        return true;
    }

    void Replace(std::size_t row, Entry entry) { m_entries.at(row) = std::move(entry); }

    // The last entry takes the place of `row`, or the ones after it move up.
    void Remove(std::size_t row)
    {
        if (row >= m_entries.size())
            return;
        if (m_order == Order::Kept)
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(row));
        else if (row + 1 != m_entries.size())
            m_entries[row] = std::move(m_entries.back());
        if (m_order == Order::Free)
            m_entries.pop_back();
    }

private:
    std::size_t m_capacity;
    Order m_order;
    std::vector<Entry> m_entries;
};

} // namespace zelvane
