#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace zelvane {

class TableDocument;

// The bookmark manager: edits the document's bookmark slots in place. The
// bookmarks in use are slots 0 to n-1, and list position i shows slot i.
class BookmarkManager : public QWidget {
    Q_OBJECT

public:
    explicit BookmarkManager(TableDocument& document, QWidget* parent = nullptr);

signals:
    // A change reached the document and raised its Modified flag.
    void documentModified();

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
    void SetModified();

    TableDocument& m_document;
    QListWidget* m_list = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_title = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
};

} // namespace zelvane
