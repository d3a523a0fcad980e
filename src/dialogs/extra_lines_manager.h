#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace zelvane {

class TableDocument;

// The extra lines manager: edits a working copy, its list, which reaches
// the document's slots only through "&Chiudi".
class ExtraLinesManager : public QWidget {
    Q_OBJECT

public:
    explicit ExtraLinesManager(TableDocument& document, QWidget* parent = nullptr);

signals:
    void documentModified();

public slots:
    // Drops the working copy and fills the list from the slots again.
    void Refill();
    void lstExtra_Click();
    void txtLine_Change(const QString& text);
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdDel_Click();
    // Writes the list back to all slots, then closes.
    void cmdOk_Click();

private:
    void SetModified();
    void RefreshButtons();

    TableDocument& m_document;
    QListWidget* m_list = nullptr;
    QLineEdit* m_line = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
};

} // namespace zelvane
