#pragma once

#include <QWidget>

#include <string>

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
    // Writes the list back, then closes.
    void cmdOk_Click();
    // Makes the list the table's extra lines (empty entries left out),
    // setting Modified when that changes them; the window stays open.
    void WriteBack();

private:
    // False, after telling the user why, when the file could not be read
    // back with `line` in place of row `replacedRow` (-1: added).
    bool Acceptable(const std::string& line, int replacedRow);
    [[nodiscard]] std::string LineAt(int row) const;
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
