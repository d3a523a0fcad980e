// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/about_window.h"

#include "common/fonts.h"
#include "common/pictures.h"
#include "dialogs/dialog_parts.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace zelvane {

namespace {
namespace Texts {
const auto Title = QStringLiteral("Informazioni su Zelvane");
const auto Name = QStringLiteral("Zelvane");
const auto Version = QStringLiteral("Versione 0.9 - scritto in C++ con Qt");
const auto Description = QStringLiteral(
    "Tool per la creazione e la modifica di tabelle compatibili con Thingy, ThingyV, Script Inserter/Extractor, Morvex.");
const auto Disclaimer = QStringLiteral(
    "Nota: il programma è ancora in versione beta, e l'autore non si ritiene quindi responsabile per eventuali "
    "danni ai dati o all'hardware (su quest'ultimo ho qualche dubbio cmq :)");
const auto Ok = QStringLiteral("OK");
} // namespace Texts

// The etched rule: a mid-grey line with a white line of width 2 below it.
class EtchedLine : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(0, 0, width(), 1, QColor(128, 128, 128));
        painter.fillRect(0, 1, width(), 2, Qt::white);
    }
};

QLabel* MakeLabel(QWidget* form, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, form);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}
} // namespace

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmZelvaneAbout"));
    setWindowTitle(Texts::Title);
    setFixedSize(380, 200);
    setModal(false);
    // The texts are laid out for a small dialog font.
    QFont dialogFont = font();
    dialogFont.setPointSizeF(8.25);
    setFont(dialogFont);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picIcon"));
    picture->setGeometry(8, 8, 56, 124);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(AboutPicture());

    QLabel* title = MakeLabel(this, "lblTitle", Texts::Name, QRect(80, 16, 259, 32));
    QFont titleFont = FontWithFallback(QStringLiteral("Gulim"), 20.25, QFont::SansSerif);
    titleFont.setBold(true);
    title->setFont(titleFont);
    MakeLabel(this, "lblVersion", Texts::Version, QRect(80, 52, 259, 15));
    MakeLabel(this, "lblDescription", Texts::Description, QRect(80, 75, 259, 46));
    auto* rule = new EtchedLine(this);
    rule->setObjectName(QStringLiteral("Line1"));
    rule->setGeometry(6, 136, 373, 3);
    MakeLabel(this, "lblDisclaimer", Texts::Disclaimer, QRect(8, 144, 258, 55));

    auto* ok = new QPushButton(Texts::Ok, this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setGeometry(288, 168, 84, 23);
    // Default and cancel at once: Enter presses it, and Escape closes the
    // dialog the same way.
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &AboutWindow::cmdOk_Click);
}

void AboutWindow::cmdOk_Click()
{
    close();
}

} // namespace zelvane
