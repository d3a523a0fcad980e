// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QPixmap>

namespace zelvane {

// A sunken status-bar panel that may show a picture before its text. It
// reports clicks even while disabled (greyed), which is how the input-mode
// panels are used.
class StatusPanel : public QLabel {
    Q_OBJECT

public:
    StatusPanel(const QString& text, int index, QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    [[nodiscard]] int index() const { return m_index; }

signals:
    void clicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_index;
    QPixmap m_picture;
};

} // namespace zelvane
