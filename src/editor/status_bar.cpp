// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/status_bar.h"

#include "common/fonts.h"
#include "common/pictures.h"
#include "document/table_document.h"
#include "editor/status_panel.h"

namespace zelvane {

namespace {
constexpr int Height = 23;
const auto SelectedText = QStringLiteral("Codice selezionato: %1='%2'");
} // namespace

StatusBar::StatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("SB"));
    setSizeGripEnabled(false);
    setFixedHeight(Height);
    setFont(ComicFont(8.25));
    setContentsMargins(0, 0, 0, 0);

    struct PanelLayout {
        const char* text;
        int width;
        Qt::Alignment alignment;
    };
    static constexpr PanelLayout Layouts[] = {
        {"Codice selezionato: 00=''", 150, Qt::AlignLeft | Qt::AlignVCenter},
        {"MODIFICATA", 80, Qt::AlignCenter},
        {"BLOC MAIUSC", 86, Qt::AlignCenter},
        {"ASC", 32, Qt::AlignLeft | Qt::AlignVCenter},
        {"HIR", 32, Qt::AlignLeft | Qt::AlignVCenter},
        {"KAT", 32, Qt::AlignLeft | Qt::AlignVCenter},
    };
    for (int i = 0; i < 6; ++i) {
        auto* panel = new StatusPanel(QString::fromUtf8(Layouts[i].text), i + 1, this);
        panel->setAlignment(Layouts[i].alignment);
        if (i == 0) {
            // A long value must not widen the window: the text is cut.
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            panel->setMinimumWidth(Layouts[i].width);
            panel->setPicture(StatusFigure());
        } else {
            panel->setFixedWidth(Layouts[i].width);
        }
        connect(panel, &StatusPanel::clicked, this, &StatusBar::panelClicked);
        addPermanentWidget(panel, i == 0 ? 1 : 0);
        m_panels[i] = panel;
    }
    ShowModified(false);
    ShowCapsLock(false);
    ShowInputMode(InputMode::Ascii);
}

void StatusBar::ShowSelected(const QString& digits, const QString& value)
{
    PanelAt(SelectedCode)->setText(SelectedText.arg(digits, value));
}

void StatusBar::AddNotice(const QString& notice)
{
    QLabel* panel = PanelAt(SelectedCode);
    panel->setText(panel->text() + QStringLiteral(" — ") + notice);
}

void StatusBar::ShowNotice(const QString& notice)
{
    PanelAt(SelectedCode)->setText(notice);
}

void StatusBar::ShowModified(bool modified)
{
    PanelAt(ModifiedPanel)->setEnabled(modified);
}

void StatusBar::ShowCapsLock(bool on)
{
    PanelAt(CapsLockPanel)->setEnabled(on);
}

void StatusBar::ShowInputMode(InputMode mode)
{
    PanelAt(AsciiPanel)->setEnabled(mode == InputMode::Ascii);
    PanelAt(HiraganaPanel)->setEnabled(mode == InputMode::Hiragana);
    PanelAt(KatakanaPanel)->setEnabled(mode == InputMode::Katakana);
}

} // namespace zelvane
