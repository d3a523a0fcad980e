// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include <iconv.h>

#include <cstring>

namespace zelvane::test {

namespace {

char32_t Decode(const std::string& text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length && at + i < text.size(); ++i)
        c = c << 6 | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    at += length;
    return c;
}

// The JIS code of a character, through the C library's EUC-JP converter.
unsigned JisOf(const std::string& utf8)
{
    iconv_t convert = ::iconv_open("EUC-JP", "UTF-8");
    char out[4] = {};
    char* from = const_cast<char*>(utf8.data());
    char* to = out;
    std::size_t left = utf8.size(), room = sizeof out;
    const bool done = ::iconv(convert, &from, &left, &to, &room) != static_cast<std::size_t>(-1) && room == 2;
    ::iconv_close(convert);
    return done ? (static_cast<unsigned char>(out[0]) - 0x80) << 8 | (static_cast<unsigned char>(out[1]) - 0x80) : 0;
}

// A font file open with FreeType for as long as it lives; `face` is null
// when the file cannot be opened.
struct OpenFont {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    explicit OpenFont(const std::string& path)
    {
        if (FT_Init_FreeType(&library) == 0 && FT_New_Face(library, path.c_str(), 0, &face) != 0)
            face = nullptr;
    }
    ~OpenFont()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
    OpenFont(const OpenFont&) = delete;
    OpenFont& operator=(const OpenFont&) = delete;
};

} // namespace

std::vector<GlyphImage> MakeGameFont(const std::string& path, int width, int height, const std::string& characters,
                                     std::vector<std::string>& drawn)
{
    std::vector<GlyphImage> glyphs;
    drawn.clear();
    const OpenFont font(path);
    FT_Face face = font.face;
    if (!face)
        return glyphs;
    bool jis = false;
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        const char* encoding = nullptr;
        const char* registry = nullptr;
        FT_Get_BDF_Charset_ID(face, &encoding, &registry);
        jis = registry && std::strstr(registry, "JISX0208");
        if (face->num_charmaps > 0)
            FT_Set_Charmap(face, face->charmaps[0]);
    }
    if (FT_IS_SCALABLE(face)) {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(height));
    } else {
        for (int strike = 0; strike < face->num_fixed_sizes; ++strike) {
            if (face->available_sizes[strike].height == height)
                FT_Select_Size(face, strike);
        }
    }
    for (std::size_t at = 0; at < characters.size();) {
        const std::size_t start = at;
        const char32_t c = Decode(characters, at);
        const std::string utf8 = characters.substr(start, at - start);
        const FT_ULong code = jis ? JisOf(utf8) : c;
        const FT_UInt index = code ? FT_Get_Char_Index(face, code) : 0;
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        const long ascender = face->size->metrics.ascender >> 6;
        const long descender = face->size->metrics.descender >> 6;
        const long top = (height - (ascender - descender)) / 2 + ascender - slot->bitmap_top;
        const long left = slot->bitmap_left + (width - (slot->advance.x >> 6)) / 2;
        GlyphImage glyph{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width * height))};
        bool ink = false;
        for (unsigned row = 0; row < slot->bitmap.rows; ++row) {
            for (unsigned column = 0; column < slot->bitmap.width; ++column) {
                const unsigned char* line = slot->bitmap.buffer + static_cast<std::ptrdiff_t>(row) * slot->bitmap.pitch;
                const bool on = slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (line[column / 8] >> (7 - column % 8)) & 1
                                                                              : line[column] >= 128;
                const long x = left + static_cast<long>(column), y = top + static_cast<long>(row);
                if (on && x >= 0 && y >= 0 && x < width && y < height) {
                    glyph.Pixels[static_cast<std::size_t>(y * width + x)] = 1;
                    ink = true;
                }
            }
        }
        if (!ink)
            continue;
        glyphs.push_back(std::move(glyph));
        drawn.push_back(utf8);
    }
    return glyphs;
}

std::vector<GlyphImage> MakeStyledFont(const std::string& path, const FontStyle& style, const std::string& characters,
                                       std::vector<std::string>& drawn)
{
    std::vector<GlyphImage> glyphs;
    drawn.clear();
    const OpenFont font(path);
    FT_Face face = font.face;
    if (!face || !FT_IS_SCALABLE(face))
        return glyphs;
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.size));
    const bool greys = style.ink == FontStyle::Ink::Greys;
    // The em box: `size` high, as wide as the cell in proportion.
    const int boxWidth = style.width * style.size / style.height, boxHeight = style.size;
    const int offsetX = style.topLeft ? 0 : (style.width - boxWidth) / 2;
    const int offsetY = style.topLeft ? 0 : (style.height - boxHeight) / 2;
    for (std::size_t at = 0; at < characters.size();) {
        const std::size_t start = at;
        const char32_t c = Decode(characters, at);
        const FT_UInt index = FT_Get_Char_Index(face, c);
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | (greys ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO)) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        const long ascender = face->size->metrics.ascender >> 6;
        const long descender = face->size->metrics.descender >> 6;
        const long top = offsetY + (boxHeight - (ascender - descender)) / 2 + ascender - slot->bitmap_top;
        const long left = offsetX + slot->bitmap_left + (boxWidth - (slot->advance.x >> 6)) / 2;
        GlyphImage glyph{style.width, style.height, std::vector<std::uint8_t>(static_cast<std::size_t>(style.width * style.height))};
        bool ink = false;
        for (unsigned row = 0; row < slot->bitmap.rows; ++row) {
            for (unsigned column = 0; column < slot->bitmap.width; ++column) {
                const unsigned char* line = slot->bitmap.buffer + static_cast<std::ptrdiff_t>(row) * slot->bitmap.pitch;
                const int value = slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((line[column / 8] >> (7 - column % 8)) & 1) * 255
                                                                                : line[column];
                const int level = greys ? (value * 3 + 127) / 255 : value >= 128 ? 3 : 0;
                const long x = left + static_cast<long>(column), y = top + static_cast<long>(row);
                if (level > 0 && x >= 0 && y >= 0 && x < style.width && y < style.height) {
                    glyph.Pixels[static_cast<std::size_t>(y * style.width + x)] = static_cast<std::uint8_t>(level);
                    ink = true;
                }
            }
        }
        if (!ink)
            continue;
        if (style.ink == FontStyle::Ink::Plain) {
            for (std::uint8_t& pixel : glyph.Pixels)
                pixel = pixel != 0;
        } else if (style.ink == FontStyle::Ink::Outline || style.ink == FontStyle::Ink::Shadow) {
            std::vector<std::uint8_t> styled = glyph.Pixels;
            for (int y = 0; y < style.height; ++y) {
                for (int x = 0; x < style.width; ++x) {
                    if (glyph.Pixels[static_cast<std::size_t>(y * style.width + x)] == 0)
                        continue;
                    for (int dy = -1; dy <= 1; ++dy) {
                        for (int dx = -1; dx <= 1; ++dx) {
                            if (style.ink == FontStyle::Ink::Shadow && (dx != 1 || dy != 1))
                                continue;
                            const int nx = x + dx, ny = y + dy;
                            if (nx >= 0 && ny >= 0 && nx < style.width && ny < style.height
                                && glyph.Pixels[static_cast<std::size_t>(ny * style.width + nx)] == 0)
                                styled[static_cast<std::size_t>(ny * style.width + nx)] = 1;
                        }
                    }
                }
            }
            glyph.Pixels = std::move(styled);
        }
        glyphs.push_back(std::move(glyph));
        drawn.push_back(characters.substr(start, at - start));
    }
    return glyphs;
}

std::string JisRows(int first, int last)
{
    std::string text;
    iconv_t convert = ::iconv_open("UTF-8", "EUC-JP");
    for (int row = first; row <= last; ++row) {
        for (int cell = 1; cell <= 94; ++cell) {
            char in[2] = {static_cast<char>(0xA0 + row), static_cast<char>(0xA0 + cell)};
            char out[8];
            char* from = in;
            char* to = out;
            std::size_t left = 2, room = sizeof out;
            ::iconv(convert, nullptr, nullptr, nullptr, nullptr);
            if (::iconv(convert, &from, &left, &to, &room) != static_cast<std::size_t>(-1))
                text.append(out, sizeof out - room);
        }
    }
    ::iconv_close(convert);
    return text;
}

std::vector<std::string> TraitNames()
{
    return {"small", "outline", "greys", "shuffled", "shadow", "halfwidth", "accented"};
}

TraitFont MakeTraitFont(const std::string& name)
{
    const std::string ume = "/usr/share/fonts/truetype/umeplus/umeplus-gothic.ttf";
    const std::string dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    const std::string kana = JisRows(4, 4), kanji = JisRows(16, 17);
    TraitFont font;
    const auto shuffle = [&font](unsigned seed, std::size_t from) {
        std::mt19937 random(seed);
        for (std::size_t i = font.glyphs.size(); i > from + 1; --i) {
            const std::size_t j = from + random() % (i - from);
            std::swap(font.glyphs[i - 1], font.glyphs[j]);
            std::swap(font.drawn[i - 1], font.drawn[j]);
        }
    };
    using Ink = FontStyle::Ink;
    if (name == "small")
        font.glyphs = MakeStyledFont(ume, {16, 16, 12, true, Ink::Plain}, kana + kanji, font.drawn);
    else if (name == "outline")
        font.glyphs = MakeStyledFont(ume, {16, 16, 14, false, Ink::Outline}, kana + JisRows(16, 16), font.drawn);
    else if (name == "greys")
        font.glyphs = MakeStyledFont(ume, {16, 16, 12, true, Ink::Greys}, kana + kanji, font.drawn);
    else if (name == "shuffled") {
        font.glyphs = MakeStyledFont(ume, {12, 12, 12, false, Ink::Plain}, kana + kanji, font.drawn);
        shuffle(11, 0);
    } else if (name == "shadow") {
        // The game's own order: the kana as its script needs them, then
        // its kanji as they first appear.
        font.glyphs = MakeStyledFont(ume, {16, 16, 16, false, Ink::Shadow}, kana, font.drawn);
        shuffle(5, 0);
        std::vector<std::string> drawn;
        std::vector<GlyphImage> more = MakeStyledFont(ume, {16, 16, 16, false, Ink::Shadow}, kanji, drawn);
        const std::size_t kanaCount = font.glyphs.size();
        font.glyphs.insert(font.glyphs.end(), more.begin(), more.end());
        font.drawn.insert(font.drawn.end(), drawn.begin(), drawn.end());
        shuffle(9, kanaCount);
    } else if (name == "halfwidth") {
        std::string text = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        for (char32_t c = 0xFF66; c <= 0xFF9F; ++c) {
            text += static_cast<char>(0xE0 | c >> 12);
            text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
        font.glyphs = MakeStyledFont(ume, {8, 16, 16, false, Ink::Plain}, text, font.drawn);
    } else if (name == "accented") {
        font.glyphs = MakeStyledFont(dejavu, {8, 12, 12, false, Ink::Plain},
                                     "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                     "ÀÈÉÌÒÙàèéìòùÇçÑñÄÖÜäöüßâêîôûÂÊÎÔÛ",
                                     font.drawn);
    }
    return font;
}

} // namespace zelvane::test
