// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

namespace zelvane {

// Name, version, description and disclaimer, with an OK button that Enter
// and Escape both press.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);

public slots:
    void cmdOk_Click();
};

} // namespace zelvane
