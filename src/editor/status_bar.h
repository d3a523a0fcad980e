// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kana/input_mode.h"

#include <QStatusBar>

#include <array>
#include <cstdint>

namespace zelvane {

class StatusPanel;

// The window's six panels: the selected code and its value, "MODIFICATA",
// "BLOC MAIUSC" and the three input modes. Each panel is set by one
// function; a click on any panel, also a greyed one, is reported.
class StatusBar : public QStatusBar {
    Q_OBJECT

public:
    enum Panel { SelectedCode = 1, ModifiedPanel, CapsLockPanel, AsciiPanel, HiraganaPanel, KatakanaPanel };

    explicit StatusBar(QWidget* parent = nullptr);

    // The current code (its digits) and value, in the first panel.
    void ShowSelected(const QString& digits, const QString& value);
    // A passing word in the first panel, until the next move or edit.
    void ShowNotice(const QString& notice);
    // A passing word after the current code and value.
    void AddNotice(const QString& notice);
    void ShowModified(bool modified);
    void ShowCapsLock(bool on);
    void ShowInputMode(InputMode mode);

signals:
    void panelClicked(int panel);

private:
    [[nodiscard]] StatusPanel* PanelAt(Panel panel) const { return m_panels[panel - 1]; }

    std::array<StatusPanel*, 6> m_panels{};
};

} // namespace zelvane
