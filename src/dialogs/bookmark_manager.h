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
    // Fills the list from the slots and sets the opening state.
    void Refill();
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
    // The slots into the document, Modified set.
    void Store();

    TableNotifier& m_notifier;
    TableDocument& m_document;
    SlotList<Bookmark> m_slots{SlotCount};
    QListWidget* m_list = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_title = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
    bool m_storing = false; // while its own change is announced
};

} // namespace zelvane
