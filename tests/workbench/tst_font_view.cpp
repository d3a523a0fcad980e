// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/window_fixture.h"
#include "document/code_pages.h"
#include "rom/test_fonts.h"
#include "workbench/font_view.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QSpinBox>
#include <QStringEncoder>

using namespace zelvane;

// A game's font made here from a Debian pixel font that is none of the
// reader's references: the first 94 kanji, 1 bpp 16x16, from code 889F in
// Shift-JIS order, after 32 bytes of something else.
class FontViewTest : public QObject, public test::WindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { TearDownWindow(); }

    void read_accept_and_one_undo_removes_all();
    void a_glyph_clicked_is_the_current_cell_and_glyphs_grow_the_grid();

private:
    FontView* Open();

    QTemporaryDir m_dir;
    QString m_font;
    std::vector<std::string> m_drawn;
};

void FontViewTest::init()
{
    SetUpWindow();
    const std::vector<GlyphImage> glyphs =
        test::MakeGameFont("/usr/share/fonts/X11/misc/j90-16.pcf.gz", 16, 16, test::JisRows(16, 16), m_drawn);
    QCOMPARE(glyphs.size(), std::size_t{94});
    std::string file(32, '\x11');
    for (const GlyphImage& glyph : glyphs) {
        for (int row = 0; row < 16; ++row) {
            unsigned char left = 0, right = 0;
            for (int x = 0; x < 8; ++x) {
                left |= glyph.Pixels[std::size_t(row * 16 + x)] << (7 - x);
                right |= glyph.Pixels[std::size_t(row * 16 + 8 + x)] << (7 - x);
            }
            file += char(left);
            file += char(right);
        }
    }
    file.resize(16384, 0); // room to page through
    m_font = m_dir.filePath(QStringLiteral("font.bin"));
    test::WriteBytes(m_font.toStdString(), file);
    m_window->SetEncoding(TextEncoding::ShiftJis);
}

FontView* FontViewTest::Open()
{
    Action("mnuFontView")->trigger();
    auto* view = qobject_cast<FontView*>(test::VisibleWindow("frmFont"));
    if (!view)
        return nullptr;
    view->OpenFile(m_font);
    const auto set = [view](const char* name, const QString& text) {
        auto* box = view->findChild<QLineEdit*>(QLatin1String(name));
        box->setText(text);
        emit box->editingFinished();
    };
    set("txtFontAddr", QStringLiteral("20"));
    set("txtFontCode", QStringLiteral("889F"));
    view->findChild<QComboBox*>(QStringLiteral("cboFontOrder"))->setCurrentIndex(1);
    view->findChild<QSpinBox*>(QStringLiteral("spnFontCount"))->setValue(94);
    return view;
}

void FontViewTest::read_accept_and_one_undo_removes_all()
{
    Document().ExtraLines = {"88A0=x"}; // a code with a value is not proposed
    FontView* view = Open();
    QVERIFY(view);
    view->cmdFontRead_Click();
    auto* list = view->findChild<QListWidget*>(QStringLiteral("lstFontGuess"));
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), 93, 120000);
    QVERIFY(view->findChild<QPushButton*>(QStringLiteral("cmdFontRead"))->isEnabled());
    std::size_t checked = 0;
    for (int row = 0; row < list->count(); ++row)
        checked += list->item(row)->checkState() == Qt::Checked;
    qInfo("%zu of 93 proposals checked", checked);
    QVERIFY(checked >= 80);
    view->cmdFontAccept_Click();
    // The checked proposals are in the table, in its encoding, as read.
    std::size_t right = 0, written = 0;
    for (std::size_t i = 0; i < m_drawn.size(); ++i) {
        const std::string code = GlyphCode("\x88\x9F", CodeOrder::ShiftJis, i);
        if (code == "\x88\xA0")
            continue;
        const std::optional<std::string> value = CodeValue(Document(), code);
        written += value.has_value();
        QStringEncoder toShiftJis("Shift_JIS");
        const QByteArray expected = toShiftJis(QString::fromStdString(m_drawn[i]));
        right += value == expected.toStdString();
    }
    QCOMPARE(written, checked);
    QVERIFY(right >= checked - 2);
    QCOMPARE(list->count(), int(93 - checked));
    Action("mnuUndo")->trigger();
    QCOMPARE(Document().ExtraLines, std::vector<ExtraLine>{"88A0=x"});
}

void FontViewTest::a_glyph_clicked_is_the_current_cell_and_glyphs_grow_the_grid()
{
    FontView* view = Open();
    QVERIFY(view);
    QWidget* sheet = view->findChild<QWidget*>(QStringLiteral("picFontSheet"));
    const int cell = sheet->width() / 16;
    QTest::mouseClick(sheet, Qt::LeftButton, {}, QPoint(cell * 3 + cell / 2, 5));
    QCOMPARE(m_window->currentPage(), std::string("\x88"));
    QCOMPARE(m_window->currentCode(), std::uint8_t{0xA2});
    // PgDown moves the address by a page of glyphs, 256 of 32 bytes.
    QTest::keyClick(sheet, Qt::Key_PageDown);
    QCOMPARE(view->findChild<QLineEdit*>(QStringLiteral("txtFontAddr"))->text(), QStringLiteral("2020"));
    QTest::keyClick(sheet, Qt::Key_PageUp);
    QTest::keyClick(sheet, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(view->findChild<QLineEdit*>(QStringLiteral("txtFontAddr"))->text(), QStringLiteral("21"));
    QTest::keyClick(sheet, Qt::Key_Left, Qt::ControlModifier);

    const int width = m_window->width();
    Action("mnuShowGlyphs")->trigger();
    QVERIFY(m_window->width() > width);
    const QRect first = Grid()->visualRect(Cell(0x9F));
    QVERIFY(first.width() >= 16 + 20);
    Action("mnuShowGlyphs")->trigger();
    QCOMPARE(m_window->width(), width);
}

ZELVANE_GUI_TEST_MAIN(FontViewTest)
#include "tst_font_view.moc"
