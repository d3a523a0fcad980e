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
    void accept_writes_only_codes_still_without_a_value();
    void proposals_follow_the_encoding_and_undo();
    void another_table_or_layout_drops_the_proposals();
    void a_glyph_given_its_code_sets_the_first_code();
    void capitals_go_into_an_8_bit_table_as_ascii();

private:
    FontView* Open();
    // Opens the view on the font's first `count` glyphs and reads them.
    FontView* Read(int count);
    QListWidget* Proposals(FontView* view) const { return view->findChild<QListWidget*>(QStringLiteral("lstFontGuess")); }
    QString Status(FontView* view) const { return view->findChild<QLabel*>(QStringLiteral("lblFontStatus"))->text(); }

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

FontView* FontViewTest::Read(int count)
{
    FontView* view = Open();
    if (!view)
        return nullptr;
    view->findChild<QSpinBox*>(QStringLiteral("spnFontCount"))->setValue(count);
    view->cmdFontRead_Click();
    QPushButton* read = view->findChild<QPushButton*>(QStringLiteral("cmdFontRead"));
    if (!QTest::qWaitFor([read] { return read->isEnabled(); }, 120000))
        return nullptr;
    return view;
}

void FontViewTest::accept_writes_only_codes_still_without_a_value()
{
    FontView* view = Read(12);
    QVERIFY(view);
    QListWidget* list = Proposals(view);
    QCOMPARE(list->count(), 12);
    view->CheckAll();
    // A correction typed while reviewing: its code leaves the list.
    m_window->ShowPage("\x88");
    TypeInto(0x9F, QStringLiteral("z"));
    QCOMPARE(list->count(), 11);
    view->cmdFontAccept_Click();
    QCOMPARE(CodeValue(Document(), "\x88\x9F"), std::optional<std::string>("z"));
    QVERIFY(Status(view).contains(QStringLiteral("Scritti 11 valori")));
    QVERIFY(Status(view).contains(QStringLiteral("1 saltato")));
    QCOMPARE(list->count(), 0);
    // Annulla brings the accepted proposals back, and the status follows.
    Action("mnuUndo")->trigger();
    QCOMPARE(list->count(), 11);
    QVERIFY(!Status(view).contains(QStringLiteral("Scritti")));
}

void FontViewTest::proposals_follow_the_encoding_and_undo()
{
    m_window->SetEncoding(TextEncoding::EightBit);
    FontView* view = Read(12);
    QVERIFY(view);
    QListWidget* list = Proposals(view);
    QCOMPARE(list->count(), 12);
    QPushButton* accept = view->findChild<QPushButton*>(QStringLiteral("cmdFontAccept"));
    QVERIFY(!accept->isEnabled()); // kanji do not fit 8 bits: nothing ticked
    QVERIFY(list->item(0)->text().contains(QStringLiteral("non nella codifica")));
    m_window->SetEncoding(TextEncoding::ShiftJis);
    QVERIFY(!list->item(0)->text().contains(QStringLiteral("non nella codifica")));
    QVERIFY(accept->isEnabled());
    int ticked = 0;
    for (int row = 0; row < list->count(); ++row)
        ticked += list->item(row)->checkState() == Qt::Checked;
    QVERIFY(ticked > 0);
    view->cmdFontAccept_Click();
    QCOMPARE(list->count(), 12 - ticked);
}

void FontViewTest::another_table_or_layout_drops_the_proposals()
{
    FontView* view = Read(12);
    QVERIFY(view);
    QCOMPARE(Proposals(view)->count(), 12);
    view->CheckAll();
    // Another table: the proposals were for the last one.
    const QString other = m_dir.filePath(QStringLiteral("other.tbl"));
    test::WriteBytes(other.toStdString(), "889F=a\n");
    QVERIFY(m_window->OpenTable(other));
    QCOMPARE(Proposals(view)->count(), 0);
    view->cmdFontAccept_Click();
    QCOMPARE(Document().ExtraLines, std::vector<ExtraLine>{"889F=a"});
    QVERIFY(!Document().Modified);

    // A change of layout drops them too.
    view = Read(12);
    QVERIFY(view);
    QCOMPARE(Proposals(view)->count(), 11);
    auto* address = view->findChild<QLineEdit*>(QStringLiteral("txtFontAddr"));
    address->setText(QStringLiteral("40"));
    emit address->editingFinished();
    QCOMPARE(Proposals(view)->count(), 0);
}

void FontViewTest::a_glyph_given_its_code_sets_the_first_code()
{
    FontView* view = Open();
    QVERIFY(view);
    auto* code = view->findChild<QLineEdit*>(QStringLiteral("txtFontCode"));
    // Shift-JIS: 889F is the 0x5F-th code after 8140 on its lead byte, and
    // 3 codes before it lie 889C.
    QVERIFY(view->GlyphIsCode(3, QStringLiteral("889F")));
    QCOMPARE(code->text(), QStringLiteral("889C"));
    // Across a lead byte: 8940 comes right after 88FC.
    QVERIFY(view->GlyphIsCode(1, QStringLiteral("8940")));
    QCOMPARE(code->text(), QStringLiteral("88FC"));
    QVERIFY(!view->GlyphIsCode(1, QStringLiteral("8140"))); // nothing before the first code
    QCOMPARE(code->text(), QStringLiteral("88FC"));
    // A first code Shift-JIS has not is refused, and the order keeps its own.
    code->setText(QStringLiteral("8000"));
    emit code->editingFinished();
    QCOMPARE(code->text(), QStringLiteral("88FC"));
    QVERIFY(Status(view).contains(QStringLiteral("8000")));
    view->findChild<QComboBox*>(QStringLiteral("cboFontOrder"))->setCurrentIndex(0);
    QVERIFY(view->GlyphIsCode(0x10, QStringLiteral("0110")));
    QCOMPARE(code->text(), QStringLiteral("0100"));

    // The layout comes back with the file, in a window made anew.
    view->close();
    delete view;
    Action("mnuFontView")->trigger();
    view = qobject_cast<FontView*>(test::VisibleWindow("frmFont"));
    QVERIFY(view);
    QCOMPARE(view->findChild<QLabel*>(QStringLiteral("lblFontFile"))->text(), m_font);
    view->OpenFile(m_font);
    QCOMPARE(view->findChild<QLineEdit*>(QStringLiteral("txtFontCode"))->text(), QStringLiteral("0100"));
    QCOMPARE(view->findChild<QLineEdit*>(QStringLiteral("txtFontAddr"))->text(), QStringLiteral("20"));
}

void FontViewTest::capitals_go_into_an_8_bit_table_as_ascii()
{
    // Capitals drawn at 14 pixels in 16x16 cells, 1 bpp, from code 41.
    std::vector<std::string> drawn;
    const std::vector<GlyphImage> glyphs = test::MakeStyledFont("/usr/share/fonts/truetype/umeplus/umeplus-gothic.ttf",
                                                                {16, 16, 14, false}, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", drawn);
    QCOMPARE(glyphs.size(), std::size_t{26});
    std::string file;
    for (const GlyphImage& glyph : glyphs) {
        for (int row = 0; row < 16; ++row) {
            for (int half = 0; half < 2; ++half) {
                unsigned char byte = 0;
                for (int x = 0; x < 8; ++x)
                    byte |= (glyph.Pixels[std::size_t(row * 16 + half * 8 + x)] != 0) << (7 - x);
                file += char(byte);
            }
        }
    }
    const QString path = m_dir.filePath(QStringLiteral("capitals.bin"));
    test::WriteBytes(path.toStdString(), file);
    m_window->SetEncoding(TextEncoding::EightBit);
    Action("mnuFontView")->trigger();
    auto* view = qobject_cast<FontView*>(test::VisibleWindow("frmFont"));
    QVERIFY(view);
    view->OpenFile(path);
    view->findChild<QComboBox*>(QStringLiteral("cboFontOrder"))->setCurrentIndex(0);
    auto* code = view->findChild<QLineEdit*>(QStringLiteral("txtFontCode"));
    code->setText(QStringLiteral("41"));
    emit code->editingFinished();
    view->findChild<QSpinBox*>(QStringLiteral("spnFontCount"))->setValue(26);
    view->cmdFontRead_Click();
    QPushButton* read = view->findChild<QPushButton*>(QStringLiteral("cmdFontRead"));
    QVERIFY(QTest::qWaitFor([read] { return read->isEnabled(); }, 120000));
    // Every proposal fits the table (Ａ read is A written), none says otherwise.
    QCOMPARE(Proposals(view)->count(), 26);
    for (int row = 0; row < 26; ++row)
        QVERIFY(!Proposals(view)->item(row)->text().contains(QStringLiteral("non nella codifica")));
    view->CheckAll();
    view->cmdFontAccept_Click();
    int right = 0;
    for (int letter = 0; letter < 26; ++letter)
        right += Document().Entries[std::size_t(0x41 + letter)].Value == std::string(1, char('A' + letter));
    qInfo("%d of 26 capitals written as ASCII", right);
    QVERIFY(right >= 25);
}

ZELVANE_GUI_TEST_MAIN(FontViewTest)
#include "tst_font_view.moc"
