// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rom/glyphs.h"
#include "workbench/mapped_file.h"

#include <QImage>
#include <QObject>

#include <optional>
#include <string>
#include <string_view>

namespace zelvane {

// The game's font the workbench has open: the file, where the glyphs lie
// and how they are stored, and which code each glyph is. The font view sets
// it; the grid draws each code's glyph from it.
class GlyphFont : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~GlyphFont() override;

    // False, with the system's reason, when the file cannot be mapped. A
    // file opened before gets the layout it had then.
    bool Open(const QString& path, QString& reason);
    [[nodiscard]] bool IsOpen() const { return !m_file.Bytes().empty(); }
    [[nodiscard]] QString FileName() const { return m_file.Name(); }
    [[nodiscard]] std::string_view Bytes() const { return m_file.Bytes(); }

    void SetLayout(const FontLayout& layout, std::string firstCode, CodeOrder order);
    [[nodiscard]] const FontLayout& Layout() const { return m_layout; }
    [[nodiscard]] const std::string& FirstCode() const { return m_firstCode; }
    [[nodiscard]] CodeOrder Order() const { return m_order; }
    // How many glyphs the font has from its address.
    void SetCount(std::size_t count);
    [[nodiscard]] std::size_t Count() const { return m_count; }

    // Glyph `index` from the layout's address, and the code it shows.
    [[nodiscard]] GlyphImage Glyph(std::size_t index) const { return ReadGlyph(m_file.Bytes(), m_layout, index); }
    [[nodiscard]] std::string Code(std::size_t index) const { return GlyphCode(m_firstCode, m_order, index); }
    // The glyph that shows `code`, when the font has one (within its count).
    [[nodiscard]] std::optional<GlyphImage> GlyphOf(std::string_view code) const;

    // A glyph as a picture: ink dark on a clear ground, colours as greys.
    [[nodiscard]] static QImage Picture(const GlyphImage& glyph);

signals:
    // The file or the layout changed: what shows glyphs draws them again.
    void changed();

private:
    // The layout and count of the last files opened, kept between runs:
    // written when another file is opened and when the font goes.
    void Remember() const;
    void Recall();

    MappedFile m_file;
    FontLayout m_layout{0, PixelFormat::OneBpp, 16, 16};
    std::string m_firstCode = std::string("\x81\x40", 2);
    CodeOrder m_order = CodeOrder::ShiftJis;
    std::size_t m_count = 256;
};

} // namespace zelvane
