// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/find_and_go.h"

#include "common/eight_bit_text.h"
#include "document/code_pages.h"
#include "document/table_document.h"
#include "editor/window_placement.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace zelvane {

namespace {
namespace Texts {
const auto GoToTitle = QStringLiteral("Vai al codice");
const auto GoToLabel = QStringLiteral("Codice esadecimale (una o più coppie di cifre):");
const auto FindTitle = QStringLiteral("Trova");
} // namespace Texts
} // namespace

std::optional<std::string> AskForCode(QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("frmGoTo"));
    dialog.setWindowTitle(Texts::GoToTitle);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(Texts::GoToLabel, &dialog));
    auto* box = new QLineEdit(&dialog);
    box->setObjectName(QStringLiteral("txtGoTo"));
    // Pairs of digits only: odd or non-hex input is never acceptable.
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("([0-9A-Fa-f]{2})+")), box));
    layout->addWidget(box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    QObject::connect(box, &QLineEdit::textChanged, ok, [box, ok] { ok->setEnabled(box->hasAcceptableInput()); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted || !box->hasAcceptableInput())
        return std::nullopt;
    std::optional<std::string> code = ParseHexBytes(box->text().toStdString());
    return code && !code->empty() ? code : std::nullopt;
}

std::optional<CellPlace> FindCell(const TableDocument& document, const CellPlace& from, const QString& text,
                                  int direction)
{
    // The table's pages, and the one shown though it may have no line yet.
    std::vector<std::string> pages = CodePages(document);
    if (std::ranges::find(pages, from.Page) == pages.end())
        pages.insert(std::ranges::lower_bound(pages, from.Page), from.Page);
    const auto here = static_cast<std::size_t>(std::ranges::find(pages, from.Page) - pages.begin());
    const std::size_t cells = pages.size() * CodeCount;
    const std::size_t start = here * CodeCount + from.Cell;
    std::size_t shown = pages.size(); // the page whose lines `lines` holds
    PageLines lines;
    for (std::size_t step = 1; step <= cells; ++step) {
        const std::size_t at = (start + (direction > 0 ? step : cells - step)) % cells;
        const std::size_t page = at / CodeCount;
        const auto cell = static_cast<std::uint8_t>(at % CodeCount);
        if (page != shown) {
            lines = PageLines(document, pages[page]);
            shown = page;
        }
        std::string_view value;
        if (pages[page].empty())
            value = document.Entries[cell].Value;
        else if (const std::size_t line = lines.LastLine(cell); line != PageLines::None)
            value = ParseMultiByteCode(document.ExtraLines[line])->Value;
        if (!value.empty() && ToDisplay(value, document.Encoding).contains(text, Qt::CaseInsensitive))
            return CellPlace{pages[page], cell};
    }
    return std::nullopt;
}

QWidget* MakeFindBox(QWidget* window)
{
    auto* box = new QWidget(nullptr, Qt::Tool);
    box->setObjectName(QStringLiteral("frmFind"));
    box->setWindowTitle(Texts::FindTitle);
    box->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(box);
    auto* text = new QLineEdit(box);
    text->setObjectName(QStringLiteral("txtFind"));
    text->setValidator(new LineValidator(text));
    text->setMinimumWidth(220);
    layout->addWidget(text);
    box->move(BesideWindow(window, box->sizeHint()));
    return box;
}

} // namespace zelvane
