// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom/glyphs.h"

#include <algorithm>

namespace zelvane {

namespace {

bool Tiled(PixelFormat format)
{
    return format != PixelFormat::OneBpp;
}

std::size_t TileBytes(PixelFormat format)
{
    switch (format) {
    case PixelFormat::TwoBppNes:
    case PixelFormat::TwoBppSnes: return 16;
    case PixelFormat::FourBppSnes:
    case PixelFormat::FourBppGba: return 32;
    case PixelFormat::EightBpp: return 64;
    case PixelFormat::OneBpp: break;
    }
    return 0;
}

// Pixel (x, y) of an 8x8 tile stored at `tile`.
std::uint8_t TilePixel(PixelFormat format, const unsigned char* tile, int x, int y)
{
    const auto bit = [x](unsigned char byte) { return (byte >> (7 - x)) & 1; };
    switch (format) {
    case PixelFormat::TwoBppNes: return static_cast<std::uint8_t>(bit(tile[y]) | bit(tile[8 + y]) << 1);
    case PixelFormat::TwoBppSnes: return static_cast<std::uint8_t>(bit(tile[2 * y]) | bit(tile[2 * y + 1]) << 1);
    case PixelFormat::FourBppSnes:
        return static_cast<std::uint8_t>(bit(tile[2 * y]) | bit(tile[2 * y + 1]) << 1 | bit(tile[16 + 2 * y]) << 2
                                         | bit(tile[16 + 2 * y + 1]) << 3);
    case PixelFormat::FourBppGba: {
        const unsigned char pair = tile[4 * y + x / 2];
        return static_cast<std::uint8_t>(x % 2 == 0 ? pair & 0x0F : pair >> 4);
    }
    case PixelFormat::EightBpp: return tile[8 * y + x];
    case PixelFormat::OneBpp: break;
    }
    return 0;
}

// Shift-JIS double-byte codes as a run of numbers: 60 lead bytes of 188
// trail bytes each.
constexpr int TrailCount = 188;
constexpr int LeadCount = 60;

int LeadIndex(unsigned char lead)
{
    if (lead < 0x81)
        return 0;
    if (lead <= 0x9F)
        return lead - 0x81;
    if (lead < 0xE0)
        return 31;
    return lead <= 0xFC ? lead - 0xE0 + 31 : LeadCount;
}

unsigned char LeadByte(int index)
{
    return static_cast<unsigned char>(index < 31 ? 0x81 + index : 0xE0 + index - 31);
}

// The Shift-JIS place of a valid double-byte code.
std::optional<std::size_t> ShiftJisPlace(std::string_view code)
{
    if (code.size() != 2)
        return std::nullopt;
    const auto lead = static_cast<unsigned char>(code[0]), trail = static_cast<unsigned char>(code[1]);
    const bool validLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    const bool validTrail = trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
    if (!validLead || !validTrail)
        return std::nullopt;
    return static_cast<std::size_t>(LeadIndex(lead)) * TrailCount + (trail < 0x7F ? trail - 0x40 : trail - 0x80 + 63);
}

} // namespace

std::size_t GlyphBytes(const FontLayout& layout)
{
    if (layout.Width <= 0 || layout.Height <= 0)
        return 0;
    const auto width = static_cast<std::size_t>(layout.Width), height = static_cast<std::size_t>(layout.Height);
    if (!Tiled(layout.Format))
        return (width + 7) / 8 * height;
    if (width % 8 != 0 || height % 8 != 0)
        return 0;
    return width / 8 * (height / 8) * TileBytes(layout.Format);
}

GlyphImage ReadGlyph(std::string_view file, const FontLayout& layout, std::size_t index)
{
    GlyphImage glyph{layout.Width, layout.Height, {}};
    const std::size_t bytes = GlyphBytes(layout);
    if (bytes == 0 || layout.Address > file.size() || index > (file.size() - layout.Address) / bytes
        || layout.Address + (index + 1) * bytes > file.size())
        return glyph;
    const auto* data = reinterpret_cast<const unsigned char*>(file.data() + layout.Address + index * bytes);
    glyph.Pixels.resize(static_cast<std::size_t>(layout.Width) * static_cast<std::size_t>(layout.Height));
    if (!Tiled(layout.Format)) {
        const std::size_t rowBytes = (static_cast<std::size_t>(layout.Width) + 7) / 8;
        for (int y = 0; y < layout.Height; ++y) {
            for (int x = 0; x < layout.Width; ++x)
                glyph.Pixels[static_cast<std::size_t>(y * layout.Width + x)] =
                    static_cast<std::uint8_t>((data[static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x) / 8]
                                               >> (7 - x % 8)) & 1);
        }
        return glyph;
    }
    const int tilesAcross = layout.Width / 8;
    const std::size_t tileBytes = TileBytes(layout.Format);
    for (int ty = 0; ty < layout.Height / 8; ++ty) {
        for (int tx = 0; tx < tilesAcross; ++tx) {
            const unsigned char* tile = data + static_cast<std::size_t>(ty * tilesAcross + tx) * tileBytes;
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x)
                    glyph.Pixels[static_cast<std::size_t>((ty * 8 + y) * layout.Width + tx * 8 + x)] =
                        TilePixel(layout.Format, tile, x, y);
            }
        }
    }
    return glyph;
}

std::string GlyphCode(std::string_view firstCode, CodeOrder order, std::size_t index)
{
    if (firstCode.empty())
        return {};
    if (order == CodeOrder::Consecutive) {
        std::string code(firstCode);
        std::size_t carry = index;
        for (std::size_t i = code.size(); i-- > 0 && carry > 0;) {
            const std::size_t sum = static_cast<unsigned char>(code[i]) + (carry & 0xFF);
            code[i] = static_cast<char>(sum & 0xFF);
            carry = (carry >> 8) + (sum >> 8);
        }
        return code;
    }
    if (firstCode.size() != 2)
        return {};
    // The first code made valid: the next valid one when it is not.
    const auto lead = static_cast<unsigned char>(firstCode[0]);
    const auto trail = static_cast<unsigned char>(firstCode[1]);
    int leadIndex = LeadIndex(lead);
    int trailIndex = 0;
    if (lead < 0x81 || (lead > 0x9F && lead < 0xE0))
        trailIndex = 0;
    else if (trail < 0x40)
        trailIndex = 0;
    else if (trail <= 0x7E)
        trailIndex = trail - 0x40;
    else if (trail <= 0xFC)
        trailIndex = trail == 0x7F ? 63 : trail - 0x80 + 63;
    else
        ++leadIndex;
    const std::size_t position = static_cast<std::size_t>(leadIndex) * TrailCount + static_cast<std::size_t>(trailIndex) + index;
    if (leadIndex >= LeadCount || position >= static_cast<std::size_t>(LeadCount) * TrailCount)
        return {};
    const int newLead = static_cast<int>(position / TrailCount);
    const int newTrail = static_cast<int>(position % TrailCount);
    return {static_cast<char>(LeadByte(newLead)),
            static_cast<char>(newTrail < 63 ? 0x40 + newTrail : 0x80 + newTrail - 63)};
}

bool OrderHolds(std::string_view firstCode, CodeOrder order)
{
    if (firstCode.empty())
        return false;
    if (order == CodeOrder::Consecutive)
        return true;
    if (firstCode.size() != 2)
        return false;
    const auto lead = static_cast<unsigned char>(firstCode[0]);
    return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
}

std::optional<std::string> FirstCodeFor(std::string_view code, CodeOrder order, std::size_t index)
{
    if (order == CodeOrder::ShiftJis) {
        const std::optional<std::size_t> place = ShiftJisPlace(code);
        if (!place || *place < index)
            return std::nullopt;
        return GlyphCode("\x81\x40", CodeOrder::ShiftJis, *place - index);
    }
    if (code.empty() || code.size() > sizeof(std::size_t))
        return std::nullopt;
    std::size_t number = 0;
    for (const char byte : code)
        number = number << 8 | static_cast<unsigned char>(byte);
    if (number < index)
        return std::nullopt;
    number -= index;
    std::string first(code.size(), '\0');
    for (std::size_t i = first.size(); i-- > 0; number >>= 8)
        first[i] = static_cast<char>(number & 0xFF);
    return first;
}

std::optional<std::size_t> GlyphIndex(std::string_view firstCode, CodeOrder order, std::string_view code)
{
    if (firstCode.empty() || code.size() != firstCode.size())
        return std::nullopt;
    if (order == CodeOrder::ShiftJis) {
        // The first code counts from the next valid one when it is not valid.
        const std::string first = GlyphCode(firstCode, CodeOrder::ShiftJis, 0);
        const auto from = ShiftJisPlace(first), to = ShiftJisPlace(code);
        if (!from || !to || *to < *from)
            return std::nullopt;
        return *to - *from;
    }
    if (code < firstCode || code.size() > sizeof(std::size_t))
        return std::nullopt;
    std::size_t difference = 0;
    for (std::size_t i = 0; i < code.size(); ++i)
        difference = difference << 8 | static_cast<unsigned char>(code[i]);
    std::size_t start = 0;
    for (std::size_t i = 0; i < firstCode.size(); ++i)
        start = start << 8 | static_cast<unsigned char>(firstCode[i]);
    return difference - start;
}

} // namespace zelvane
