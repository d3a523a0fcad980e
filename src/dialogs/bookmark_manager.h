// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/slot_list.h"
#include "document/table_document.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace zelvane {

class TableNotifier;

// The bookmark manager: every change goes straight to the document's
// bookmark slots. The bookmarks in use are slots 0 to n-1, and list
// position i shows slot i.
class BookmarkManager : public QWidget {
    Q_OBJECT

public:
    explicit BookmarkManager(TableNotifier& notifier, QWidget* parent = nullptr);

public slots:
    // Shows the table's bookmarks; the chosen row and the boxes stay.
    void Refill();
    // Another table: its bookmarks and the opening state.
    void Reset();
    void lstBook_Click();
    void txtAddr_Change(const QString& text);
    void txtTitle_Change(const QString& text);
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdDel_Click();
    void cmdOk_Click();

private:
    void BoxChanged(const QString& text);
    // The address box read by the address rule, or a message and false.
    [[nodiscard]] bool ReadAddress(std::int32_t& address);
    // The title box, or a message and false when it is empty.
    [[nodiscard]] bool ReadTitle(std::string& title);
    // The bookmarks in use, under the list's rule: slots 0 to n-1, a
    // deletion moves the last into the freed slot.
    [[nodiscard]] SlotList<Bookmark> Slots() const;
    // Makes `inUse` the table's bookmarks, as one step of its history.
    void Store(const SlotList<Bookmark>& inUse);

    TableNotifier& m_notifier;
    TableDocument& m_document;
    QListWidget* m_list = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_title = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
};

} // namespace zelvane
