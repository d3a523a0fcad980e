// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/guide_window.h"

#include "common/fonts.h"
#include "dialogs/dialog_parts.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace zelvane {

namespace {
const auto Title = QStringLiteral("Zelvane - Leggimi");
} // namespace

QString GuideWindow::GuideText()
{
    // Laid out for a fixed-width font, lines of at most 64 characters.
    QFile file(QStringLiteral(":/guide.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

GuideWindow::GuideWindow(QWidget* parent)
    : QWidget(parent)
{
    SetUpToolWindow(this, "frmReadme", Title, QSize(530, 242));

    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Text1"));
    text->setGeometry(0, 0, 529, 241);
    text->setFont(FontWithFallback(QStringLiteral("Courier"), 9.75, QFont::TypeWriter));
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setTabStopDistance(QFontMetricsF(text->font()).horizontalAdvance(QLatin1Char(' ')) * 8);
    text->document()->setDocumentMargin(2);
    text->setPlainText(GuideText());
}

} // namespace zelvane
