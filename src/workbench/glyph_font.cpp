// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/glyph_font.h"

#include <algorithm>

namespace zelvane {

bool GlyphFont::Open(const QString& path, QString& reason)
{
    if (!m_file.Open(path, reason))
        return false;
    emit changed();
    return true;
}

void GlyphFont::SetLayout(const FontLayout& layout, std::string firstCode, CodeOrder order)
{
    m_layout = layout;
    m_firstCode = std::move(firstCode);
    m_order = order;
    emit changed();
}

std::optional<GlyphImage> GlyphFont::GlyphOf(std::string_view code) const
{
    if (!IsOpen())
        return std::nullopt;
    const std::optional<std::size_t> index = GlyphIndex(m_firstCode, m_order, code);
    if (!index)
        return std::nullopt;
    GlyphImage glyph = Glyph(*index);
    if (glyph.Pixels.empty())
        return std::nullopt;
    return glyph;
}

QImage GlyphFont::Picture(const GlyphImage& glyph)
{
    QImage picture(glyph.Width, glyph.Height, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    if (glyph.Pixels.empty())
        return picture;
    const std::uint8_t brightest = *std::ranges::max_element(glyph.Pixels);
    for (int y = 0; y < glyph.Height; ++y) {
        for (int x = 0; x < glyph.Width; ++x) {
            const std::uint8_t colour = glyph.Pixels[static_cast<std::size_t>(y * glyph.Width + x)];
            if (colour == 0)
                continue;
            // The highest colour index darkest: most fonts draw with it.
            const int grey = brightest > 1 ? 160 - 160 * colour / brightest : 0;
            picture.setPixel(x, y, qRgb(grey, grey, grey));
        }
    }
    return picture;
}

} // namespace zelvane
