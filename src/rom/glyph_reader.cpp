// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a game's glyphs by matching them, at their own size, against the
// same characters drawn with reference fonts.
//
// Each candidate is drawn with each reference font that suits the glyph's
// size (a pixel font at its own size, an outline font at any) into a cell
// of the glyph's size. Both are compared through five maps: the blurred
// ink, and the blurred strength of its edges in four directions, which
// forgive a bold stroke and a pixel of difference. A coarse pass compares
// 8x8 reductions of the maps, with the ink centred, against every
// candidate; a fine pass compares the full maps of the best few, shifted by
// up to a pixel around two placements (the font's own, and the ink
// centred), by normalised correlation.

#include "rom/glyphs.h"

#include "rom/glyph_candidates.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <map>
#include <mutex>
#include <numeric>
#include <thread>

namespace zelvane {

namespace {

constexpr int CoarseSide = 8;
constexpr int Channels = 5;
constexpr std::size_t CoarseSize = static_cast<std::size_t>(CoarseSide * CoarseSide * Channels);
constexpr std::size_t FineCandidates = static_cast<std::size_t>(48);
constexpr float GreyWeight = 0.5f;
constexpr int Supersampling = 4;
constexpr int Pad = 6;        // room for the shifts around the cell
constexpr int MaxCentring = 3; // how far the ink may be moved to centre it
// Confident: a fine score at least this high, this far ahead of the next.
constexpr float ConfidentScore = 0.80f;
constexpr float ConfidentMargin = 0.03f;
// A glyph confirmed by its font's order keeps its character; another takes
// an unused one this close to its best.
constexpr float UniqueSure = 0.95f;
constexpr float UniqueMargin = 0.04f;
// What a rare kanji (JIS level 2) gives up against a common one.
constexpr float RarePenalty = 0.02f;
// A glyph's own ink at most this much of its font's: a small kana.
constexpr float SmallKana = 0.8f;

// The default references: pixel fonts at their own sizes and outline fonts,
// all shipped by Debian (see the README). Families for fontconfig where
// the path is not there.
struct DefaultReference {
    const char* path;
    const char* family;
};
constexpr DefaultReference DefaultReferences[] = {
    {"/usr/share/fonts/X11/misc/shnmk12.pcf.gz", nullptr},
    {"/usr/share/fonts/X11/misc/shnmk14.pcf.gz", nullptr},
    {"/usr/share/fonts/X11/misc/shnmk16.pcf.gz", nullptr},
    {"/usr/share/fonts/X11/misc/shnm6x12r.pcf.gz", nullptr},
    {"/usr/share/fonts/X11/misc/shnm7x14r.pcf.gz", nullptr},
    {"/usr/share/fonts/X11/misc/shnm8x16r.pcf.gz", nullptr},
    {"/usr/share/fonts/X11/misc/shnm6x12a.pcf.gz", nullptr},
    {"/usr/share/fonts/X11/misc/shnm7x14a.pcf.gz", nullptr},
    {"/usr/share/fonts/X11/misc/shnm8x16a.pcf.gz", nullptr},
    {"/usr/share/fonts/opentype/unifont/unifont_jp.otf", "Unifont-JP"},
    {"/usr/share/fonts/truetype/misaki/misaki_gothic.ttf", "MisakiGothic"},
    {"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", "IPAGothic"},
    {"/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf", "IPAMincho"},
    {"/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf", "VL Gothic"},
};

std::string FindByFamily(const char* family)
{
    std::string path;
    if (!FcInit())
        return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* file = nullptr;
        FcChar8* found = nullptr;
        // Only the family asked for, not fontconfig's nearest substitute.
        if (FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch
            && FcStrCmpIgnoreCase(found, reinterpret_cast<const FcChar8*>(family)) == 0
            && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
            path = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

// How a reference font is asked for a character: by Unicode, by JIS X
// 0208 code, by JIS X 0201 (ASCII and the half-width katakana at A1 to DF)
// or by Latin-1.
enum class CharMap { Unicode, Jis, Jis0201, Latin1 };

struct Reference {
    std::string path;
    FT_Face face = nullptr;
    CharMap map = CharMap::Unicode;
    // The heights it is drawn at: a bitmap font's strikes, a pixel design's
    // own size; empty: any.
    std::vector<int> heights;
    bool bitmap = false;
};

// A picture of W x H grey values from 0 (background) to 1 (ink).
struct Picture {
    int width = 0, height = 0;
    std::vector<float> ink;
    [[nodiscard]] float At(int x, int y) const
    {
        return x < 0 || y < 0 || x >= width || y >= height ? 0.0f : ink[static_cast<std::size_t>(y * width + x)];
    }
};

bool Narrow(int width, int height)
{
    return width * 10 <= height * 7;
}

// Where the ink's middle is, or the cell's for no ink.
void InkCentre(const Picture& picture, float& cx, float& cy)
{
    int left = picture.width, right = -1, top = picture.height, bottom = -1;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (picture.At(x, y) > 0.25f) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        cx = (picture.width - 1) / 2.0f;
        cy = (picture.height - 1) / 2.0f;
        return;
    }
    cx = (left + right) / 2.0f;
    cy = (top + bottom) / 2.0f;
}

// A 1-2-1 blur along both axes, in place, on a w x h channel.
void Blur(std::vector<float>& channel, int w, int h)
{
    std::vector<float> row(channel.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float left = x > 0 ? channel[static_cast<std::size_t>(y * w + x - 1)] : 0.0f;
            const float right = x + 1 < w ? channel[static_cast<std::size_t>(y * w + x + 1)] : 0.0f;
            row[static_cast<std::size_t>(y * w + x)] = 0.25f * left + 0.5f * channel[static_cast<std::size_t>(y * w + x)] + 0.25f * right;
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float up = y > 0 ? row[static_cast<std::size_t>((y - 1) * w + x)] : 0.0f;
            const float down = y + 1 < h ? row[static_cast<std::size_t>((y + 1) * w + x)] : 0.0f;
            channel[static_cast<std::size_t>(y * w + x)] = 0.25f * up + 0.5f * row[static_cast<std::size_t>(y * w + x)] + 0.25f * down;
        }
    }
}

// The five maps of a picture placed at (dx, dy) on a canvas `pad` wider on
// every side: channel-major, each (width + 2 pad) x (height + 2 pad).
std::vector<float> Maps(const Picture& picture, int dx, int dy, int pad)
{
    const int w = picture.width + 2 * pad, h = picture.height + 2 * pad;
    const auto size = static_cast<std::size_t>(w * h);
    std::vector<float> maps(size * Channels, 0.0f);
    std::vector<float> grey(size, 0.0f);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const int cx = x + pad + dx, cy = y + pad + dy;
            if (cx >= 0 && cy >= 0 && cx < w && cy < h)
                grey[static_cast<std::size_t>(cy * w + cx)] = picture.At(x, y);
        }
    }
    Blur(grey, w, h);
    // The edges tell more than the ink itself: measured, the ink map at half
    // weight reads best.
    std::transform(grey.begin(), grey.end(), maps.begin(), [](float v) { return v * GreyWeight; });
    constexpr float Pi = 3.14159265f;
    for (int y = 1; y + 1 < h; ++y) {
        for (int x = 1; x + 1 < w; ++x) {
            const float gx = grey[static_cast<std::size_t>(y * w + x + 1)] - grey[static_cast<std::size_t>(y * w + x - 1)];
            const float gy = grey[static_cast<std::size_t>((y + 1) * w + x)] - grey[static_cast<std::size_t>((y - 1) * w + x)];
            const float strength = std::sqrt(gx * gx + gy * gy);
            if (strength < 1e-4f)
                continue;
            float angle = std::atan2(gy, gx);
            if (angle < 0)
                angle += Pi;
            const float bin = angle / (Pi / 4);
            const int low = static_cast<int>(bin) % 4;
            const float share = bin - std::floor(bin);
            maps[size * static_cast<std::size_t>(1 + low) + static_cast<std::size_t>(y * w + x)] += strength * (1 - share);
            maps[size * static_cast<std::size_t>(1 + (low + 1) % 4) + static_cast<std::size_t>(y * w + x)] += strength * share;
        }
    }
    for (int channel = 1; channel < Channels; ++channel) {
        std::vector<float> edge(maps.begin() + static_cast<std::ptrdiff_t>(size * static_cast<std::size_t>(channel)),
                                maps.begin() + static_cast<std::ptrdiff_t>(size * static_cast<std::size_t>(channel + 1)));
        Blur(edge, w, h);
        std::copy(edge.begin(), edge.end(), maps.begin() + static_cast<std::ptrdiff_t>(size * static_cast<std::size_t>(channel)));
    }
    return maps;
}

// Zero mean, unit length; false for a flat vector.
bool Normalise(std::vector<float>& vector)
{
    const float mean = std::accumulate(vector.begin(), vector.end(), 0.0f) / static_cast<float>(vector.size());
    float length = 0;
    for (float& v : vector) {
        v -= mean;
        length += v * v;
    }
    if (length < 1e-8f)
        return false;
    length = 1.0f / std::sqrt(length);
    for (float& v : vector)
        v *= length;
    return true;
}

// The coarse vector of a picture: its maps with the ink centred, each
// reduced to 8x8 by averaging.
std::vector<float> Coarse(const Picture& picture)
{
    float cx = 0, cy = 0;
    InkCentre(picture, cx, cy);
    const int dx = static_cast<int>(std::lround((picture.width - 1) / 2.0f - cx));
    const int dy = static_cast<int>(std::lround((picture.height - 1) / 2.0f - cy));
    const std::vector<float> maps = Maps(picture, dx, dy, 1);
    const int w = picture.width + 2, h = picture.height + 2;
    std::vector<float> coarse(CoarseSize, 0.0f);
    for (int channel = 0; channel < Channels; ++channel) {
        const float* map = maps.data() + static_cast<std::size_t>(channel * w * h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int cell = (y * CoarseSide / h) * CoarseSide + x * CoarseSide / w;
                coarse[static_cast<std::size_t>(channel * CoarseSide * CoarseSide + cell)] += map[y * w + x];
            }
        }
    }
    if (!Normalise(coarse))
        coarse.clear();
    return coarse;
}

// The box a glyph's ink takes in its cell; empty (right < left) for none.
struct InkBounds {
    int left = 0, top = 0, right = -1, bottom = -1;
    [[nodiscard]] int Width() const { return right - left + 1; }
    [[nodiscard]] int Height() const { return bottom - top + 1; }
    [[nodiscard]] bool Empty() const { return right < left; }
};

InkBounds BoundsOf(const GlyphImage& glyph)
{
    InkBounds box{glyph.Width, glyph.Height, -1, -1};
    for (int y = 0; y < glyph.Height; ++y) {
        for (int x = 0; x < glyph.Width; ++x) {
            if (glyph.Pixels[static_cast<std::size_t>(y * glyph.Width + x)] == 0)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    if (box.right < 0)
        return {};
    return box;
}

// A window of `width` x `height` of the glyph's cell around its ink, inside
// the cell: the glyph as a cell of the font's own size, wherever it sits.
GlyphImage Window(const GlyphImage& glyph, int width, int height)
{
    if (width >= glyph.Width && height >= glyph.Height)
        return glyph;
    const InkBounds box = BoundsOf(glyph);
    const auto place = [](int from, int to, int side, int cell) {
        const int start = (from + to + 1 - side) / 2;
        return std::clamp(start, 0, cell - side);
    };
    const int left = box.Empty() ? 0 : place(box.left, box.right, width, glyph.Width);
    const int top = box.Empty() ? 0 : place(box.top, box.bottom, height, glyph.Height);
    GlyphImage window{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width * height))};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            window.Pixels[static_cast<std::size_t>(y * width + x)] =
                glyph.Pixels[static_cast<std::size_t>((top + y) * glyph.Width + left + x)];
    }
    return window;
}

// The side of the em square of glyphs whose ink spans `ink` pixels in a
// cell of `width` x `height`; the cell's own size when the glyphs fill it
// or the cell is a narrow one of half-width characters.
std::pair<int, int> ReadingSize(int width, int height, int ink)
{
    const int side = std::min(width, height);
    const int em = ink + 1;
    if (Narrow(width, height) || ink <= 0 || em >= side - 1 || em * 2 < side)
        return {width, height};
    return {em, em};
}

// Scores that say how often a reading is right: a glyph whose runner-up
// comes within `Close` of its best is doubtful, and all its guesses give up
// `Doubt` for each point of the gap missing (measured on fonts made from
// typefaces that are no references: of the readings then at 0.90 or more,
// fewer than 1 in 100 are wrong). The order of the guesses stays.
void Calibrate(std::vector<GlyphGuess>& guesses)
{
    constexpr float Close = 0.03f;
    constexpr float Doubt = 5.0f;
    // Ａ and A are one reading, not rivals.
    const auto folded = [](const std::string& text) {
        const char32_t c = FirstCharacter(text);
        return c >= 0xFF01 && c <= 0xFF5E ? c - 0xFEE0 : c;
    };
    const auto rival = std::find_if(guesses.begin() + std::min<std::ptrdiff_t>(1, std::ssize(guesses)), guesses.end(),
                                    [&](const GlyphGuess& guess) { return folded(guess.Text) != folded(guesses[0].Text); });
    if (rival == guesses.end())
        return;
    const float penalty = std::max(0.0f, Close - (guesses[0].Score - rival->Score)) * Doubt;
    for (GlyphGuess& guess : guesses)
        guess.Score = std::max(0.0f, guess.Score - penalty);
}

struct Drawn {
    std::size_t candidate = 0;
    std::size_t reference = 0;
    Picture picture;
    std::vector<float> coarse;
};

// Every candidate drawn at one glyph size.
struct SizeModel {
    std::vector<Drawn> drawn;
    std::vector<std::vector<std::size_t>> byCandidate; // indexes into drawn
};

} // namespace

struct GlyphReader::Impl {
    std::vector<Candidate> candidates = GlyphCandidates();
    std::vector<Reference> references;
    FT_Library library = nullptr;
    mutable std::mutex mutex; // guards the faces and the models
    mutable std::map<std::pair<int, int>, std::shared_ptr<const SizeModel>> models;

    Impl()
    {
        FT_Init_FreeType(&library);
        std::vector<std::string> paths;
        for (const DefaultReference& reference : DefaultReferences) {
            std::error_code error;
            if (std::filesystem::exists(reference.path, error))
                paths.emplace_back(reference.path);
            else if (reference.family)
                if (std::string found = FindByFamily(reference.family); !found.empty())
                    paths.push_back(std::move(found));
        }
        Load(std::move(paths));
    }
    ~Impl()
    {
        Unload();
        if (library)
            FT_Done_FreeType(library);
    }

    void Unload()
    {
        for (Reference& reference : references) {
            if (reference.face)
                FT_Done_Face(reference.face);
        }
        references.clear();
        models.clear();
    }

    void Load(std::vector<std::string> paths)
    {
        Unload();
        for (std::string& path : paths) {
            Reference reference;
            reference.path = std::move(path);
            if (!library || FT_New_Face(library, reference.path.c_str(), 0, &reference.face) != 0) {
                reference.face = nullptr;
                continue;
            }
            FT_Face face = reference.face;
            reference.bitmap = !FT_IS_SCALABLE(face);
            for (int strike = 0; strike < face->num_fixed_sizes; ++strike)
                reference.heights.push_back(face->available_sizes[strike].height);
            // A pixel design drawn as outlines is used at its own size.
            const std::string name = std::filesystem::path(reference.path).filename().string();
            if (name.starts_with("unifont"))
                reference.heights = {16};
            else if (name.starts_with("misaki"))
                reference.heights = {8};
            if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
                const char* encoding = nullptr;
                const char* registry = nullptr;
                FT_Get_BDF_Charset_ID(face, &encoding, &registry);
                const std::string charset = registry ? registry : "";
                const auto has = [&charset](const char* name) { return strcasestr(charset.c_str(), name) != nullptr; };
                reference.map = has("JISX0208") ? CharMap::Jis : has("JISX0201") ? CharMap::Jis0201 : CharMap::Latin1;
                if (face->num_charmaps > 0)
                    FT_Set_Charmap(face, face->charmaps[0]);
            }
            references.push_back(std::move(reference));
        }
    }

    // Whether a reference suits a glyph `height` pixels high, and the strike.
    static bool Suits(const Reference& reference, int height, int& strikeHeight)
    {
        if (reference.heights.empty()) {
            strikeHeight = height;
            return true;
        }
        for (int h : reference.heights) {
            if (std::abs(h - height) <= 1) {
                strikeHeight = h;
                return true;
            }
        }
        return false;
    }

    // Draws a candidate with a reference into a cell of width x height; an
    // empty picture when the font has no such character.
    Picture Draw(const Reference& reference, const Candidate& candidate, int width, int height, int strikeHeight) const
    {
        Picture picture{width, height, {}};
        FT_Face face = reference.face;
        FT_ULong code = candidate.character;
        if (reference.map == CharMap::Jis) {
            if (candidate.jis == 0)
                return picture;
            code = candidate.jis;
        } else if (reference.map == CharMap::Jis0201) {
            if (candidate.character >= 0xFF61 && candidate.character <= 0xFF9F)
                code = candidate.character - 0xFF61 + 0xA1;
            else if (candidate.character > 0x7E)
                return picture;
        } else if (reference.map == CharMap::Latin1 && candidate.character > 0xFF) {
            return picture;
        }
        const FT_UInt index = FT_Get_Char_Index(face, code);
        if (index == 0)
            return picture;
        // An outline font is drawn four times as large and averaged down:
        // its shape, not its hinting at a size it was not made for.
        const int scale = reference.heights.empty() ? Supersampling : 1;
        if (reference.bitmap) {
            for (int strike = 0; strike < face->num_fixed_sizes; ++strike) {
                if (face->available_sizes[strike].height == strikeHeight)
                    FT_Select_Size(face, strike);
            }
        } else if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(strikeHeight * scale)) != 0) {
            return picture;
        }
        const FT_Int32 target = scale > 1 ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | target) != 0)
            return picture;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        // The em box centred in the cell, the advance centred across it.
        const long cellWidth = width * scale, cellHeight = height * scale;
        const long ascender = face->size->metrics.ascender >> 6;
        const long descender = face->size->metrics.descender >> 6;
        const long top = (cellHeight - (ascender - descender)) / 2 + ascender - slot->bitmap_top;
        const long left = slot->bitmap_left + (cellWidth - (slot->advance.x >> 6)) / 2;
        picture.ink.assign(static_cast<std::size_t>(width * height), 0.0f);
        const float share = 1.0f / static_cast<float>(scale * scale);
        bool any = false;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const unsigned char* line = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
                const float value = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? static_cast<float>((line[column / 8] >> (7 - column % 8)) & 1)
                                                                            : static_cast<float>(line[column]) / 255.0f;
                const long x = left + static_cast<long>(column), y = top + static_cast<long>(row);
                if (value > 0 && x >= 0 && y >= 0 && x < cellWidth && y < cellHeight) {
                    picture.ink[static_cast<std::size_t>(y / scale * width + x / scale)] += value * share;
                    any = true;
                }
            }
        }
        if (!any)
            picture.ink.clear();
        return picture;
    }

    std::shared_ptr<const SizeModel> Model(int width, int height) const
    {
        const std::lock_guard lock(mutex);
        auto& model = models[{width, height}];
        if (model)
            return model;
        auto made = std::make_shared<SizeModel>();
        made->byCandidate.resize(candidates.size());
        for (std::size_t r = 0; r < references.size(); ++r) {
            int strikeHeight = 0;
            if (!Suits(references[r], height, strikeHeight))
                continue;
            for (std::size_t c = 0; c < candidates.size(); ++c) {
                // A cell about half as wide as high holds half-width
                // characters: a kanji drawn into it is a clipped shape.
                if (Narrow(width, height) && !candidates[c].narrow)
                    continue;
                Picture picture = Draw(references[r], candidates[c], width, height, strikeHeight);
                if (picture.ink.empty())
                    continue;
                std::vector<float> coarse = Coarse(picture);
                if (coarse.empty())
                    continue;
                made->byCandidate[c].push_back(made->drawn.size());
                made->drawn.push_back({c, r, std::move(picture), std::move(coarse)});
            }
        }
        model = std::move(made);
        return model;
    }

    // The fine score of a drawn candidate against the glyph's maps.
    static float Fine(const std::vector<float>& target, const Picture& glyph, float glyphX, float glyphY, const Drawn& drawn)
    {
        const int w = glyph.width + 4, h = glyph.height + 4; // the target's canvas: pad 2
        const int cw = glyph.width + 2 * Pad, ch = glyph.height + 2 * Pad;
        float cx = 0, cy = 0;
        InkCentre(drawn.picture, cx, cy);
        const int centreX = std::clamp(static_cast<int>(std::lround(glyphX - cx)), -MaxCentring, MaxCentring);
        const int centreY = std::clamp(static_cast<int>(std::lround(glyphY - cy)), -MaxCentring, MaxCentring);
        const std::vector<float> maps = Maps(drawn.picture, 0, 0, Pad);
        const auto plane = static_cast<std::size_t>(cw * ch);
        const auto n = static_cast<float>(w * h * Channels);
        float best = -1;
        const std::pair<int, int> bases[] = {{0, 0}, {centreX, centreY}};
        for (const auto& [baseX, baseY] : bases) {
            for (int sy = -1; sy <= 1; ++sy) {
                for (int sx = -1; sx <= 1; ++sx) {
                    // The candidate moved by (mx, my): its window starts there.
                    const int mx = baseX + sx, my = baseY + sy;
                    const int ox = Pad - 2 - mx, oy = Pad - 2 - my;
                    if (ox < 0 || oy < 0 || ox + w > cw || oy + h > ch)
                        continue;
                    float dot = 0, sum = 0, squares = 0;
                    for (int channel = 0; channel < Channels; ++channel) {
                        const float* t = target.data() + static_cast<std::size_t>(channel * w * h);
                        const float* c = maps.data() + plane * static_cast<std::size_t>(channel);
                        for (int y = 0; y < h; ++y) {
                            const float* trow = t + y * w;
                            const float* crow = c + (y + oy) * cw + ox;
                            for (int x = 0; x < w; ++x) {
                                dot += trow[x] * crow[x];
                                sum += crow[x];
                                squares += crow[x] * crow[x];
                            }
                        }
                    }
                    const float spread = squares - sum * sum / n;
                    if (spread > 1e-8f)
                        best = std::max(best, dot / std::sqrt(spread));
                }
            }
        }
        return best;
    }

    // The guesses for one ink picture, best first, all of the fine pass.
    std::vector<GlyphGuess> ReadPicture(const Picture& glyph, std::size_t count) const
    {
        std::vector<GlyphGuess> guesses;
        const std::vector<float> coarse = Coarse(glyph);
        if (coarse.empty())
            return guesses;
        const std::shared_ptr<const SizeModel> model = Model(glyph.width, glyph.height);
        // Coarse: the best drawing of each candidate.
        std::vector<float> best(candidates.size(), -2.0f);
        for (const Drawn& drawn : model->drawn) {
            float dot = 0;
            for (std::size_t i = 0; i < CoarseSize; ++i)
                dot += coarse[i] * drawn.coarse[i];
            best[drawn.candidate] = std::max(best[drawn.candidate], dot);
        }
        std::vector<std::size_t> order(candidates.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        const std::size_t fine = std::min(std::max(FineCandidates, count), order.size());
        std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(fine), order.end(),
                          [&](std::size_t a, std::size_t b) { return best[a] > best[b]; });
        // Fine: the full maps, shifted.
        std::vector<float> target = Maps(glyph, 0, 0, 2);
        if (!Normalise(target))
            return guesses;
        float gx = 0, gy = 0;
        InkCentre(glyph, gx, gy);
        for (std::size_t i = 0; i < fine && best[order[i]] > -2.0f; ++i) {
            float score = -1;
            for (std::size_t drawn : model->byCandidate[order[i]])
                score = std::max(score, Fine(target, glyph, gx, gy, model->drawn[drawn]));
            // Common kanji before rare look-alikes (開 before 閙).
            if (candidates[order[i]].level == 2)
                score -= RarePenalty;
            guesses.push_back({candidates[order[i]].utf8, std::max(0.0f, score)});
        }
        std::ranges::stable_sort(guesses, [](const GlyphGuess& a, const GlyphGuess& b) { return a.Score > b.Score; });
        return guesses;
    }

    // What stands out from the background. One colour: itself. A colour
    // inside the strokes with another around them (an outline): the inner
    // one alone, never the filled shape both make. Otherwise (greys, a
    // shadow): all colours, each weighed by its index as anti-aliasing
    // does, and each of the two most used alone.
    // The colour of the strokes of an outlined glyph, 0 for any other: the
    // one least in touch with the background, among those with a fair
    // share of the pixels, where another mostly touches it.
    static int OutlinedInk(const GlyphImage& glyph)
    {
        std::array<std::size_t, 256> used{};
        std::array<std::size_t, 256> edge{}; // pixels touching the background
        std::size_t inked = 0;
        const auto ground = [&](int x, int y) {
            return x < 0 || y < 0 || x >= glyph.Width || y >= glyph.Height || glyph.Pixels[static_cast<std::size_t>(y * glyph.Width + x)] == 0;
        };
        for (int y = 0; y < glyph.Height; ++y) {
            for (int x = 0; x < glyph.Width; ++x) {
                const std::uint8_t pixel = glyph.Pixels[static_cast<std::size_t>(y * glyph.Width + x)];
                if (pixel == 0)
                    continue;
                ++used[pixel];
                ++inked;
                if (ground(x - 1, y) || ground(x + 1, y) || ground(x, y - 1) || ground(x, y + 1))
                    ++edge[pixel];
            }
        }
        const auto share = [&](int colour) {
            return static_cast<float>(edge[static_cast<std::size_t>(colour)]) / static_cast<float>(used[static_cast<std::size_t>(colour)]);
        };
        int inner = 0, outer = 0;
        for (int colour = 1; colour < 256; ++colour) {
            if (used[static_cast<std::size_t>(colour)] == 0 || used[static_cast<std::size_t>(colour)] * 8 < inked)
                continue;
            if (inner == 0 || share(colour) < share(inner))
                inner = colour;
            if (outer == 0 || share(colour) > share(outer))
                outer = colour;
        }
        return inner != 0 && inner != outer && share(inner) < 0.2f && share(outer) > 0.45f ? inner : 0;
    }

    // The glyph's strokes: an outlined glyph's ink colour alone, else itself.
    static GlyphImage Strokes(const GlyphImage& glyph)
    {
        const int ink = glyph.Pixels.empty() ? 0 : OutlinedInk(glyph);
        if (ink == 0)
            return glyph;
        GlyphImage strokes = glyph;
        for (std::uint8_t& pixel : strokes.Pixels)
            pixel = pixel == ink ? 1 : 0;
        return strokes;
    }

    static std::vector<Picture> InkPictures(const GlyphImage& glyph)
    {
        std::vector<Picture> pictures;
        if (glyph.Pixels.empty() || glyph.Width <= 0 || glyph.Height <= 0)
            return pictures;
        std::array<std::size_t, 256> used{};
        for (std::uint8_t pixel : glyph.Pixels)
            ++used[pixel];
        std::vector<int> colours;
        for (int colour = 1; colour < 256; ++colour) {
            if (used[static_cast<std::size_t>(colour)] > 0)
                colours.push_back(colour);
        }
        if (colours.empty())
            return pictures;
        const auto picture = [&](auto&& ink) {
            Picture made{glyph.Width, glyph.Height, std::vector<float>(glyph.Pixels.size())};
            for (std::size_t i = 0; i < glyph.Pixels.size(); ++i)
                made.ink[i] = ink(glyph.Pixels[i]);
            return made;
        };
        if (colours.size() == 1) {
            pictures.push_back(picture([](std::uint8_t pixel) { return pixel != 0 ? 1.0f : 0.0f; }));
            return pictures;
        }
        if (const int inner = OutlinedInk(glyph); inner != 0) {
            pictures.push_back(picture([inner](std::uint8_t pixel) { return pixel == inner ? 1.0f : 0.0f; }));
            return pictures;
        }
        const float brightest = static_cast<float>(colours.back());
        pictures.push_back(picture([brightest](std::uint8_t pixel) { return static_cast<float>(pixel) / brightest; }));
        std::ranges::sort(colours, [&](int a, int b) { return used[static_cast<std::size_t>(a)] > used[static_cast<std::size_t>(b)]; });
        for (std::size_t i = 0; i < 2; ++i)
            pictures.push_back(picture([colour = colours[i]](std::uint8_t pixel) { return pixel == colour ? 1.0f : 0.0f; }));
        return pictures;
    }

    std::vector<GlyphGuess> Read(const GlyphImage& glyph, std::size_t count) const
    {
        // Alone, a glyph is read at the size its own ink says.
        const InkBounds box = BoundsOf(Strokes(glyph));
        const auto [width, height] = ReadingSize(glyph.Width, glyph.Height, std::max(box.Width(), box.Height()));
        return ReadAt(Window(glyph, width, height), count);
    }

    std::vector<GlyphGuess> ReadAt(const GlyphImage& glyph, std::size_t count) const
    {
        std::vector<GlyphGuess> best;
        for (const Picture& picture : InkPictures(glyph)) {
            std::vector<GlyphGuess> guesses = ReadPicture(picture, count);
            if (!guesses.empty() && (best.empty() || guesses.front().Score > best.front().Score))
                best = std::move(guesses);
        }
        if (best.size() > count)
            best.resize(count);
        return best;
    }
};

GlyphReader::GlyphReader() : m_impl(std::make_unique<Impl>()) {}
GlyphReader::~GlyphReader() = default;
GlyphReader::GlyphReader(GlyphReader&&) noexcept = default;
GlyphReader& GlyphReader::operator=(GlyphReader&&) noexcept = default;

std::vector<GlyphGuess> GlyphReader::Read(const GlyphImage& glyph, std::size_t count) const
{
    std::vector<GlyphGuess> guesses = m_impl->Read(glyph, std::max<std::size_t>(count, 2));
    Calibrate(guesses);
    if (guesses.size() > count)
        guesses.resize(count);
    return guesses;
}

std::vector<std::vector<GlyphGuess>> GlyphReader::ReadAll(std::span<const GlyphImage> glyphs, std::size_t count) const
{
    return ReadAll(glyphs, count, nullptr, nullptr);
}

std::vector<std::vector<GlyphGuess>> GlyphReader::ReadAll(std::span<const GlyphImage> glyphs, std::size_t count,
                                                          Progress progress, void* context) const
{
    // Each glyph read on its own, on every core; the order then decides
    // the doubtful ones. More guesses are kept than asked for, for the order
    // to choose among.
    const std::size_t kept = std::max<std::size_t>(count, 10);
    std::vector<std::vector<GlyphGuess>> read(glyphs.size());
    std::atomic<std::size_t> next{0}, done{0};
    std::atomic<bool> stopped{false};
    std::mutex reporting;
    // The font's size: the box most of its glyphs' ink fits in (a few
    // outliers, such as noise past the font's end, do not set it).
    std::vector<int> inks;
    std::vector<int> sizes(glyphs.size(), 0);
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        if (const InkBounds box = glyphs[i].Pixels.empty() ? InkBounds{} : BoundsOf(Impl::Strokes(glyphs[i])); !box.Empty()) {
            inks.push_back(std::max(box.Width(), box.Height()));
            sizes[i] = std::max(box.Width(), box.Height());
        }
    }
    int ink = 0;
    if (!inks.empty()) {
        std::ranges::sort(inks);
        ink = inks[inks.size() * 9 / 10];
    }
    const int cellWidth = glyphs.empty() ? 0 : glyphs.front().Width, cellHeight = glyphs.empty() ? 0 : glyphs.front().Height;
    // Named apart: the workers' lambda takes them (clang 14 cannot capture
    // a structured binding).
    const std::pair<int, int> size = ReadingSize(cellWidth, cellHeight, ink);
    const int width = size.first, height = size.second;
    if (!glyphs.empty() && !glyphs.front().Pixels.empty())
        (void)m_impl->Model(width, height); // drawn once, before the workers
    const auto work = [&] {
        for (std::size_t i; !stopped && (i = next++) < glyphs.size();) {
            if (glyphs[i].Width == cellWidth && glyphs[i].Height == cellHeight)
                read[i] = m_impl->ReadAt(Window(glyphs[i], width, height), kept);
            else
                read[i] = m_impl->Read(glyphs[i], kept);
            const std::size_t finished = ++done;
            if (progress) {
                const std::lock_guard lock(reporting);
                if (!progress(context, finished, glyphs.size()))
                    stopped = true;
            }
        }
    };
    const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, 16u);
    std::vector<std::thread> workers;
    for (unsigned core = 1; core < cores; ++core)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    PreferFullSizeKana(read, sizes, m_impl->candidates, SmallKana);
    ApplyOrder(read, m_impl->candidates, ConfidentScore, ConfidentMargin);
    PreferUnused(read, UniqueSure, UniqueMargin);
    for (std::vector<GlyphGuess>& guesses : read) {
        Calibrate(guesses);
        if (guesses.size() > count)
            guesses.resize(count);
    }
    return read;
}

std::vector<std::string> GlyphReader::References() const
{
    std::vector<std::string> paths;
    for (const Reference& reference : m_impl->references)
        paths.push_back(reference.path);
    return paths;
}

std::size_t GlyphReader::CandidateCount() const
{
    return m_impl->candidates.size();
}

void GlyphReader::RestrictCandidates(std::string_view utf8)
{
    const std::lock_guard lock(m_impl->mutex);
    m_impl->candidates = utf8.empty() ? GlyphCandidates() : GlyphCandidates(utf8);
    m_impl->models.clear();
}

void GlyphReader::UseReferences(std::vector<std::string> paths)
{
    const std::lock_guard lock(m_impl->mutex);
    m_impl->Load(std::move(paths));
}

} // namespace zelvane
