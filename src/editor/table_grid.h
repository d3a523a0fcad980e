// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableView>

#include <cstdint>
#include <functional>

class QLabel;

namespace zelvane {

// The code grid. It has no editor of its own: typed characters, Backspace
// and the other control keys are reported, and only the navigation keys
// are left to the view.
class TableGrid : public QTableView {
    Q_OBJECT

public:
    // Laid out to fill `width` pixels with the header column and 16 codes.
    explicit TableGrid(int width, QWidget* parent = nullptr);

    // The leading bytes of the page shown, in the corner between the
    // headers; nothing for the one-byte codes.
    void SetCornerText(const QString& text);
    void SetCornerToolTip(const QString& text);
    // Each cell's glyph drawn beside its value, from `glyph` (the picture of
    // a cell of the page shown; a null picture for none), with cells of
    // `columnWidth` x `rowHeight`; an empty function hides them and brings
    // the cells back to their size. The grid's width is the new one.
    void ShowGlyphs(std::function<QImage(std::uint8_t)> glyph, int columnWidth, int rowHeight);
    [[nodiscard]] int DefaultColumnWidth() const { return m_columnWidth; }
    [[nodiscard]] int DefaultRowHeight() const;
    // The width the grid takes with columns `columnWidth` wide.
    [[nodiscard]] int WidthFor(int columnWidth) const;

signals:
    // A printable character typed; the table's encoding decides its bytes.
    void characterTyped(char32_t character);
    void backspacePressed();
    // A key that typed nothing and moved nothing (Enter, Tab, Escape), so
    // the status text can follow.
    void keyHandled();
    // Text an input method committed (kanji, kana), to be typed.
    void textCommitted(const QString& text);
    // The corner between the headers was clicked: the pages are asked for.
    void cornerClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    [[nodiscard]] QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    QLabel* m_corner = nullptr;
    int m_columnWidth = 0;
};

} // namespace zelvane
