// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom/glyph_candidates.h"

#include "kana/kana_tables.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

namespace zelvane {

namespace {

// Shift-JIS order of a JIS X 0208 row and cell (both from 1).
std::int32_t ShiftJisPosition(int row, int cell)
{
    const int lead = (row - 1) / 2; // 0 for rows 1 and 2
    const int trail = row % 2 == 1 ? cell - 1 : 94 + cell - 1;
    return lead * 188 + trail;
}

// The full-size kana of a small one.
char32_t FullSizeKana(char32_t c)
{
    static constexpr char32_t Small[] = {0x3041, 0x3043, 0x3045, 0x3047, 0x3049, 0x3063, 0x3083, 0x3085, 0x3087, 0x308E,
                                         0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30C3, 0x30E3, 0x30E5, 0x30E7, 0x30EE,
                                         0x30F5, 0x30F6};
    if (std::ranges::find(Small, c) == std::end(Small))
        return 0;
    if (c == 0x30F5)
        return 0x30AB; // ヵ ヶ: カ ケ
    if (c == 0x30F6)
        return 0x30B1;
    return c + 1; // ぁ あ, っ つ, ゃ や ...
}

std::vector<Candidate> AllCandidates()
{
    std::vector<Candidate> all;
    for (char32_t c = 0x21; c <= 0x7E; ++c)
        all.push_back({c, Utf8(c), 0, -1, true});
    // The letters of the European languages: À to ÿ but × and ÷.
    for (char32_t c = 0xC0; c <= 0xFF; ++c) {
        if (c != 0xD7 && c != 0xF7)
            all.push_back({c, Utf8(c), 0, -1, true});
    }
    // Half-width katakana and their marks, as JIS X 0201 stores them.
    for (char32_t c = 0xFF61; c <= 0xFF9F; ++c)
        all.push_back({c, Utf8(c), 0, -1, true});
    // JIS X 0208 through the C library's EUC-JP converter.
    iconv_t convert = ::iconv_open("UTF-32LE", "EUC-JP");
    if (convert == reinterpret_cast<iconv_t>(-1))
        return all;
    for (int row = 1; row <= 84; ++row) {
        if (row > 5 && row < 16)
            continue; // Greek, Cyrillic, box drawing, unassigned
        for (int cell = 1; cell <= 94; ++cell) {
            char in[2] = {static_cast<char>(0xA0 + row), static_cast<char>(0xA0 + cell)};
            char out[8] = {};
            char* from = in;
            char* to = out;
            std::size_t left = sizeof in, room = sizeof out;
            ::iconv(convert, nullptr, nullptr, nullptr, nullptr);
            if (::iconv(convert, &from, &left, &to, &room) == static_cast<std::size_t>(-1) || room != 4)
                continue;
            const char32_t c = static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8
                               | static_cast<unsigned char>(out[2]) << 16 | static_cast<char32_t>(static_cast<unsigned char>(out[3])) << 24;
            Candidate candidate{c, Utf8(c), static_cast<std::uint16_t>((0x20 + row) << 8 | (0x20 + cell)), ShiftJisPosition(row, cell)};
            candidate.level = row < 16 ? 0 : row < 48 ? 1 : 2;
            candidate.fullSize = FullSizeKana(c);
            all.push_back(std::move(candidate));
        }
    }
    ::iconv_close(convert);
    return all;
}

// The runs a font may be stored in: each character's place in it.
struct Order {
    std::unordered_map<char32_t, std::int32_t> place;
    std::map<std::int32_t, char32_t> at;
    void Add(char32_t c, std::int32_t position)
    {
        place.emplace(c, position);
        at.emplace(position, c);
    }
};

std::vector<Order> Orders(const std::vector<Candidate>& candidates)
{
    std::vector<Order> orders(7);
    for (const Candidate& candidate : candidates) {
        if (candidate.shiftJis >= 0)
            orders[0].Add(candidate.character, candidate.shiftJis);
        else if (candidate.character >= 0xFF61)
            orders[6].Add(candidate.character, static_cast<std::int32_t>(candidate.character - 0xFF61 + 0xA1)); // JIS X 0201
        else
            orders[1].Add(candidate.character, static_cast<std::int32_t>(candidate.character)); // ASCII, Latin-1
    }
    orders[1].Add(U' ', 0x20);
    // The kana fills' runs, as hiragana and as katakana.
    const auto kana = [](std::string_view second, char32_t first) { return first + (static_cast<unsigned char>(second.front()) - 0xA1); };
    for (std::size_t i = 0; i < PureKana.size(); ++i) {
        orders[2].Add(kana(PureKana[i], 0x3041), static_cast<std::int32_t>(i));
        orders[3].Add(kana(PureKana[i], 0x30A1), static_cast<std::int32_t>(i));
    }
    for (std::size_t i = 0; i < VoicedKana.size(); ++i) {
        orders[4].Add(kana(VoicedKana[i], 0x3041), static_cast<std::int32_t>(i));
        orders[5].Add(kana(VoicedKana[i], 0x30A1), static_cast<std::int32_t>(i));
    }
    return orders;
}

} // namespace

std::string Utf8(char32_t c)
{
    std::string bytes;
    if (c < 0x80) {
        bytes += static_cast<char>(c);
    } else if (c < 0x800) {
        bytes += static_cast<char>(0xC0 | c >> 6);
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes += static_cast<char>(0xE0 | c >> 12);
        bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | c >> 18);
        bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
    return bytes;
}

char32_t FirstCharacter(std::string_view utf8)
{
    if (utf8.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(utf8[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (utf8.size() < length)
        return 0;
    char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i)
        c = c << 6 | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    return c;
}

std::vector<Candidate> GlyphCandidates()
{
    static const std::vector<Candidate> all = AllCandidates();
    return all;
}

std::vector<Candidate> GlyphCandidates(std::string_view utf8)
{
    std::set<char32_t> wanted;
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = FirstCharacter(utf8.substr(at));
        wanted.insert(c);
        at += Utf8(c == 0 ? U'?' : c).size();
    }
    std::vector<Candidate> some;
    for (const Candidate& candidate : GlyphCandidates()) {
        if (wanted.contains(candidate.character))
            some.push_back(candidate);
    }
    return some;
}

void ApplyOrder(std::vector<std::vector<GlyphGuess>>& read, const std::vector<Candidate>& candidates, float confident,
                float margin)
{
    // How far a glyph looks for confident neighbours, and how many on one
    // side must agree.
    constexpr std::ptrdiff_t Window = 64;
    constexpr std::size_t Asked = 5;
    constexpr std::size_t Agreeing = 3;
    constexpr float OverruledBy = 0.06f;
    constexpr float Confirmed = 0.95f;
    const std::vector<Order> orders = Orders(candidates);
    const auto sure = [&](const std::vector<GlyphGuess>& guesses) {
        return !guesses.empty() && guesses[0].Score >= confident
               && (guesses.size() == 1 || guesses[0].Score - guesses[1].Score >= margin);
    };
    // Each confident glyph says, for each order its character is in, where
    // that order's run would start: its place in the order less its own.
    struct Voter {
        std::ptrdiff_t glyph;
        std::int64_t shift;
    };
    std::vector<std::vector<Voter>> voters(orders.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (!sure(read[i]))
            continue;
        const char32_t c = FirstCharacter(read[i][0].Text);
        for (std::size_t o = 0; o < orders.size(); ++o) {
            if (const auto found = orders[o].place.find(c); found != orders[o].place.end())
                voters[o].push_back({static_cast<std::ptrdiff_t>(i), static_cast<std::int64_t>(found->second) - static_cast<std::int64_t>(i)});
        }
    }
    // The shift most of the nearest confident glyphs on one side agree on.
    const auto agreed = [&](const std::vector<Voter>& list, std::ptrdiff_t glyph, int side) -> std::optional<std::int64_t> {
        auto at = std::ranges::lower_bound(list, glyph, {}, &Voter::glyph);
        std::vector<std::int64_t> shifts;
        if (side < 0) {
            while (at != list.begin() && shifts.size() < Asked) {
                --at;
                if (glyph - at->glyph > Window)
                    break;
                shifts.push_back(at->shift);
            }
        } else {
            if (at != list.end() && at->glyph == glyph)
                ++at;
            for (; at != list.end() && shifts.size() < Asked && at->glyph - glyph <= Window; ++at)
                shifts.push_back(at->shift);
        }
        // The nearest ones first: a shift most of them share.
        for (std::int64_t shift : shifts) {
            if (static_cast<std::size_t>(std::ranges::count(shifts, shift)) >= Agreeing)
                return shift;
        }
        return std::nullopt;
    };
    std::vector<std::vector<GlyphGuess>> decided = read;
    for (std::size_t j = 0; j < read.size(); ++j) {
        if (read[j].empty())
            continue;
        const auto glyph = static_cast<std::ptrdiff_t>(j);
        const auto scoreOf = [&](const std::string& text) {
            const auto own = std::ranges::find(read[j], text, &GlyphGuess::Text);
            return own == read[j].end() ? -1.0f : own->Score;
        };
        // Both sides agreeing decide; one side, or two that disagree (a gap
        // in the run lies here), decide only among the glyph's own guesses.
        std::string chosen;
        bool bothSides = false;
        float chosenScore = -1;
        for (std::size_t o = 0; o < orders.size() && !bothSides; ++o) {
            auto before = agreed(voters[o], glyph, -1), after = agreed(voters[o], glyph, +1);
            for (const auto& shift : {before, after}) {
                if (!shift)
                    continue;
                const auto character = orders[o].at.find(static_cast<std::int32_t>(static_cast<std::int64_t>(j) + *shift));
                if (character == orders[o].at.end())
                    continue;
                const std::string text = Utf8(character->second);
                if (before && after && *before == *after) {
                    chosen = text;
                    bothSides = true;
                    break;
                }
                if (const float score = scoreOf(text); score > chosenScore) {
                    chosen = text;
                    chosenScore = score;
                }
            }
        }
        // What the order confirms from both sides is as good as certain.
        if (chosen == read[j][0].Text) {
            if (bothSides)
                decided[j][0].Score = std::max(decided[j][0].Score, Confirmed);
            continue;
        }
        if (chosen.empty())
            continue;
        const float own = scoreOf(chosen);
        const float top = read[j][0].Score;
        // A confident glyph yields only to an order its own reading nearly
        // agrees with.
        if (sure(read[j]) && own < top - OverruledBy)
            continue;
        std::vector<GlyphGuess>& guesses = decided[j];
        auto found = std::ranges::find(guesses, chosen, &GlyphGuess::Text);
        if (found == guesses.end()) {
            // Only both sides bring a character the glyph did not read.
            guesses.push_back({chosen, 0.0f});
            found = guesses.end() - 1;
        }
        if (bothSides)
            found->Score = std::max(top, Confirmed);
        Promote(guesses, static_cast<std::size_t>(found - guesses.begin()));
    }
    read = std::move(decided);
}

void PreferUnused(std::vector<std::vector<GlyphGuess>>& read, float sure, float margin)
{
    std::map<std::string, std::vector<std::size_t>> claimed;
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (!read[i].empty())
            claimed[read[i][0].Text].push_back(i);
    }
    for (auto& [text, glyphs] : claimed) {
        if (glyphs.size() < 2)
            continue;
        // The likeliest claimant keeps the character.
        std::ranges::sort(glyphs, [&](std::size_t a, std::size_t b) { return read[a][0].Score > read[b][0].Score; });
        for (std::size_t k = 1; k < glyphs.size(); ++k) {
            std::vector<GlyphGuess>& guesses = read[glyphs[k]];
            if (guesses[0].Score >= sure || guesses.size() < 2)
                continue;
            const auto next = std::find_if(guesses.begin() + 1, guesses.end(), [&](const GlyphGuess& guess) {
                return guess.Score >= guesses[0].Score - margin && !claimed.contains(guess.Text);
            });
            if (next == guesses.end())
                continue;
            Promote(guesses, static_cast<std::size_t>(next - guesses.begin()));
        }
    }
}

void Promote(std::vector<GlyphGuess>& guesses, std::size_t index)
{
    if (index >= guesses.size())
        return;
    const float score = guesses[index].Score;
    for (std::size_t i = 0; i < index; ++i)
        guesses[i].Score = std::min(guesses[i].Score, score);
    std::rotate(guesses.begin(), guesses.begin() + static_cast<std::ptrdiff_t>(index),
                guesses.begin() + static_cast<std::ptrdiff_t>(index) + 1);
}

void PreferFullSizeKana(std::vector<std::vector<GlyphGuess>>& read, const std::vector<int>& sizes,
                        const std::vector<Candidate>& candidates, float ratio)
{
    std::unordered_map<std::string, char32_t> fullOf;  // small kana: its full size
    std::unordered_map<std::string, std::string> smallOf; // full-size kana: its small one
    for (const Candidate& candidate : candidates) {
        if (candidate.fullSize != 0) {
            fullOf.emplace(candidate.utf8, candidate.fullSize);
            smallOf.emplace(Utf8(candidate.fullSize), candidate.utf8);
        }
    }
    const auto isKana = [](char32_t c) { return c >= 0x3041 && c <= 0x30F6; };
    std::vector<int> full;
    for (std::size_t i = 0; i < read.size() && i < sizes.size(); ++i) {
        if (!read[i].empty() && isKana(FirstCharacter(read[i][0].Text)) && !fullOf.contains(read[i][0].Text))
            full.push_back(sizes[i]);
    }
    if (full.size() < 5)
        return;
    std::ranges::nth_element(full, full.begin() + static_cast<std::ptrdiff_t>(full.size() / 2));
    const float large = ratio * static_cast<float>(full[full.size() / 2]);
    for (std::size_t i = 0; i < read.size() && i < sizes.size(); ++i) {
        std::vector<GlyphGuess>& guesses = read[i];
        if (guesses.empty())
            continue;
        const bool big = static_cast<float>(sizes[i]) >= large;
        std::string other;
        if (const auto small = fullOf.find(guesses[0].Text); small != fullOf.end() && big)
            other = Utf8(small->second);
        else if (const auto fullSize = smallOf.find(guesses[0].Text); fullSize != smallOf.end() && !big)
            other = fullSize->second;
        if (other.empty())
            continue;
        const auto found = std::ranges::find(guesses, other, &GlyphGuess::Text);
        if (found != guesses.end())
            Promote(guesses, static_cast<std::size_t>(found - guesses.begin()));
    }
}

} // namespace zelvane
