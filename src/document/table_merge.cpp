// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_merge.h"

#include "document/file_io.h"
#include "document/file_record.h"
#include "document/line_scan.h"
#include "document/table_document.h"
#include "document/table_line.h"
#include "document/table_reader.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zelvane {

namespace {

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// The shortest way from one list to another, as the lists' positions kept,
// removed and added in order. Past `most` differences, none is looked for:
// the whole of both lists is then one change.
struct Step {
    enum class Kind : std::uint8_t { Keep, Remove, Add } kind;
    std::size_t from, to; // positions in the old and the new list
};

std::vector<Step> Differences(std::size_t n, std::size_t m, const std::function<bool(std::size_t, std::size_t)>& same)
{
    // Myers' O((n + m) d) search, the furthest point of each diagonal kept
    // for every d so that the way back can be traced.
    const std::size_t budget = 50'000'000 / (n + m + 1);
    const auto most = static_cast<std::ptrdiff_t>(std::min<std::size_t>({n + m, 1000, std::max<std::size_t>(budget, 1)}));
    const std::ptrdiff_t offset = most + 1;
    std::vector<std::ptrdiff_t> furthest(static_cast<std::size_t>(2 * most + 3), 0);
    std::vector<std::vector<std::ptrdiff_t>> trace;
    const auto N = static_cast<std::ptrdiff_t>(n), M = static_cast<std::ptrdiff_t>(m);
    std::ptrdiff_t found = -1;
    for (std::ptrdiff_t d = 0; d <= most && found < 0; ++d) {
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x = (k == -d || (k != d && furthest[offset + k - 1] < furthest[offset + k + 1]))
                                   ? furthest[offset + k + 1]
                                   : furthest[offset + k - 1] + 1;
            std::ptrdiff_t y = x - k;
            while (x < N && y < M && same(static_cast<std::size_t>(x), static_cast<std::size_t>(y)))
                ++x, ++y;
            furthest[offset + k] = x;
            if (x >= N && y >= M)
                found = d;
        }
        trace.emplace_back(furthest.begin() + (offset - d), furthest.begin() + (offset + d + 1));
    }
    std::vector<Step> steps;
    if (found < 0) {
        for (std::size_t i = 0; i < n; ++i)
            steps.push_back({Step::Kind::Remove, i, 0});
        for (std::size_t j = 0; j < m; ++j)
            steps.push_back({Step::Kind::Add, n, j});
        return steps;
    }
    std::ptrdiff_t x = N, y = M;
    for (std::ptrdiff_t d = found; d >= 0; --d) {
        const std::ptrdiff_t k = x - y;
        std::ptrdiff_t startX = 0, startY = 0;
        if (d > 0) {
            const std::vector<std::ptrdiff_t>& before = trace[static_cast<std::size_t>(d - 1)];
            auto prev = [&](std::ptrdiff_t kk) { return before[static_cast<std::size_t>(kk + d - 1)]; };
            const bool down = k == -d || (k != d && prev(k - 1) < prev(k + 1));
            const std::ptrdiff_t prevK = down ? k + 1 : k - 1;
            startX = prev(prevK);
            startY = startX - prevK;
            const std::ptrdiff_t afterX = down ? startX : startX + 1;
            const std::ptrdiff_t afterY = afterX - k;
            while (x > afterX && y > afterY) {
                --x, --y;
                steps.push_back({Step::Kind::Keep, static_cast<std::size_t>(x), static_cast<std::size_t>(y)});
            }
            if (down)
                steps.push_back({Step::Kind::Add, static_cast<std::size_t>(startX), static_cast<std::size_t>(startY)});
            else
                steps.push_back({Step::Kind::Remove, static_cast<std::size_t>(startX), static_cast<std::size_t>(startY)});
            x = startX, y = startY;
        } else {
            while (x > 0 && y > 0) {
                --x, --y;
                steps.push_back({Step::Kind::Keep, static_cast<std::size_t>(x), static_cast<std::size_t>(y)});
            }
        }
    }
    std::ranges::reverse(steps);
    return steps;
}

// A line of the file as read: where it starts and how long it is.
struct Place {
    std::size_t offset = 0, length = 0;
};

class Merger {
public:
    Merger(const TableDocument& document, const FileRecord& record)
        : m_document(document), m_record(record), m_bytes(record.Bytes())
    {
    }

    FileResult Run(MergedTable& merged, bool quick);

private:
    // What happens at one place of the file as read.
    struct Edit {
        std::size_t at;     // a position in the file as read
        std::size_t length; // of what is left out from there
        int phase;          // at one position: what follows a line, what precedes one, then changes to lines
        std::size_t order;  // among edits of the same place and phase, as made
        bool line;          // `text` is a whole line, to be ended
        std::string text;
        std::optional<FileRecord::Line> role; // what `text` is, when not an extra line
    };
    enum Phase { After = 0, Before = 1, Change = 2 };

    using Role = std::optional<FileRecord::Line>;
    void InsertAfter(Place line, std::string text, Role role = {})
    {
        const std::size_t end = line.offset + line.length;
        Add(end + LineEndLength(m_bytes, end), 0, After, true, std::move(text), role);
    }
    void InsertBefore(Place line, std::string text, Role role = {})
    {
        Add(line.offset, 0, Before, true, std::move(text), role);
    }
    void InsertAtEnd(std::string text, Role role = {}) { Add(m_bytes.size(), 0, After, true, std::move(text), role); }
    void InsertAtStart(std::string text) { Add(m_record.BodyStart(), 0, Before, true, std::move(text)); }
    void Replace(Place line, std::string text, Role role = {})
    {
        if (m_bytes.substr(line.offset, line.length) != text)
            Add(line.offset, line.length, Change, false, std::move(text), role);
    }
    // The line and its own line end.
    void Drop(Place line)
    {
        const std::size_t end = line.offset + line.length;
        Add(line.offset, line.length + LineEndLength(m_bytes, end), Change, false, {});
    }
    void Add(std::size_t at, std::size_t length, int phase, bool line, std::string text, Role role = {})
    {
        m_edits.push_back({at, length, phase, m_edits.size(), line, std::move(text), role});
    }

    FileResult MergeEntries();
    [[nodiscard]] bool HasHiddenLines(std::uint8_t code) const
    {
        return std::ranges::any_of(m_record.Lines(), [code](const FileRecord::Line& line) {
            return line.Kind == FileRecord::Role::Hidden && line.IsCode && line.Code == code;
        });
    }
    FileResult MergeBookmarks();
    FileResult MergeExtraLines();
    void KeepMarks();
    // The new file's bytes; or, quick (nothing but codes and bookmarks
    // changed), the parts it is made of and where its lines that are no
    // extra lines stand.
    void Emit(MergedTable& merged, bool quick);

    // An extra line the table keeps: it goes only with an emptied code.
    void Kept(std::size_t offset, std::string_view text)
    {
        if (m_emptied.none())
            return;
        const TableLine kind = ClassifyLine(text);
        if ((kind.kind == TableLine::Kind::Code || kind.kind == TableLine::Kind::Special) && m_emptied[kind.code])
            Drop({offset, text.size()});
    }

    const TableDocument& m_document;
    const FileRecord& m_record;
    std::string_view m_bytes;
    std::vector<Edit> m_edits;
    std::bitset<CodeCount> m_emptied;
    // A code with hidden lines got a value: they are extra lines now.
    bool m_hiddenAssigned = false;
    // An emptied code had other lines than its last: among the extra lines.
    bool m_emptiedWithOthers = false;
    // Codes whose mark came also from an extra line that is gone.
    std::bitset<CodeCount> m_lostMark;
};

Place PlaceOf(const FileRecord::Line& line)
{
    return {line.Offset, line.Length};
}

bool IsSpecialLine(std::string_view line)
{
    return line.front() == '/' || line.front() == '*';
}

// The code digits of a code or special line as they were written.
std::string_view DigitsOf(std::string_view line)
{
    return line.substr(IsSpecialLine(line) ? 1 : 0, 2);
}

// An entry's line in the writer's form, with `digits` as its code; nothing
// for an empty entry, which has no line.
std::optional<std::string> EntryLine(const TableEntry& entry, std::string_view digits)
{
    if (entry.Value.empty())
        return std::nullopt;
    switch (entry.Kind()) {
    case SpecialKind::EndOfLine: return "/" + std::string(digits) + entry.Tail;
    case SpecialKind::EndOfWindow: return "*" + std::string(digits) + entry.Tail;
    case SpecialKind::None: break;
    }
    return std::string(digits) + "=" + entry.Value;
}

FileResult Merger::MergeEntries()
{
    const std::vector<FileRecord::Line>& lines = m_record.Lines();
    std::optional<Place> anchor;           // the line of the nearest lower code
    std::vector<std::pair<std::string, std::uint8_t>> belowAll; // new codes below every code with a line
    std::optional<Place> lowestLine;       // the line of the lowest code that keeps one
    for (std::size_t code = 0; code < CodeCount; ++code) {
        const TableEntry& entry = m_document.Entries[code];
        const auto byte = static_cast<std::uint8_t>(code);
        const std::string_view text = entry.Kind() == SpecialKind::None ? std::string_view(entry.Value) : entry.Tail;
        if (HasLineBreak(text))
            return FileResult::Failure("il valore del codice " + CodeText(byte) + " contiene un ritorno a capo");
        const std::int32_t index = m_record.EntryLine(byte);
        const Role role = FileRecord::Line{0, 0, FileRecord::Role::Entry, byte};
        if (index == FileRecord::NoLine) {
            if (std::optional<std::string> line = EntryLine(entry, CodeText(byte))) {
                if (anchor)
                    InsertAfter(*anchor, std::move(*line), role);
                else
                    belowAll.emplace_back(std::move(*line), byte);
            }
            continue;
        }
        const FileRecord::Line& read = lines[static_cast<std::size_t>(index)];
        const Place place = PlaceOf(read);
        if (entry == m_record.EntryAsRead(byte)) {
            anchor = place;
        } else {
            m_hiddenAssigned = m_hiddenAssigned || HasHiddenLines(byte);
            if (std::optional<std::string> line = EntryLine(entry, DigitsOf(m_record.Text(read)))) {
                Replace(place, std::move(*line), role);
                anchor = place;
            } else {
                Drop(place);
                m_emptied.set(code);
                m_emptiedWithOthers = m_emptiedWithOthers || m_record.HasOtherLines(byte);
                continue;
            }
        }
        if (!lowestLine)
            lowestLine = place;
    }
    for (auto& [line, code] : belowAll) {
        const Role role = FileRecord::Line{0, 0, FileRecord::Role::Entry, code};
        if (lowestLine)
            InsertBefore(*lowestLine, std::move(line), role);
        else
            InsertAtEnd(std::move(line), role);
    }
    // The other lines of an emptied code go with it.
    for (const FileRecord::Line& line : lines) {
        if (line.Kind == FileRecord::Role::Hidden && line.IsCode && m_emptied[line.Code])
            Drop(PlaceOf(line));
    }
    return FileResult::Success();
}

std::string BookmarkLine(const Bookmark& bookmark)
{
    return "(" + AddressText(bookmark.Address) + "h)" + bookmark.Title;
}

FileResult Merger::MergeBookmarks()
{
    const Role BookmarkRole = FileRecord::Line{0, 0, FileRecord::Role::Bookmark};
    std::vector<Place> places;
    std::vector<Bookmark> read;
    for (const FileRecord::Line& line : m_record.Lines()) {
        if (line.Kind == FileRecord::Role::Bookmark) {
            places.push_back(PlaceOf(line));
            read.push_back(m_record.BookmarkAsRead(line));
        }
    }
    std::vector<const Bookmark*> now;
    for (const Bookmark& bookmark : m_document.Bookmarks) {
        if (bookmark.Title.empty())
            continue;
        if (HasLineBreak(bookmark.Title))
            return FileResult::Failure("il titolo del bookmark " + AddressText(bookmark.Address)
                                       + " contiene un ritorno a capo");
        now.push_back(&bookmark);
    }
    const std::vector<Step> steps
        = Differences(read.size(), now.size(), [&](std::size_t i, std::size_t j) { return read[i] == *now[j]; });
    // A bookmark that only moved (a deletion moves the last one into the
    // freed slot) keeps its line's own bytes where it now stands.
    std::vector<bool> moved(read.size(), false);
    auto lineOf = [&](const Bookmark& bookmark) {
        for (const Step& step : steps) {
            if (step.kind == Step::Kind::Remove && !moved[step.from] && read[step.from] == bookmark) {
                moved[step.from] = true;
                return std::string(m_bytes.substr(places[step.from].offset, places[step.from].length));
            }
        }
        return BookmarkLine(bookmark);
    };
    std::vector<std::size_t> removed, added;
    auto settle = [&] {
        const std::size_t paired = std::min(removed.size(), added.size());
        for (std::size_t i = 0; i < removed.size(); ++i) {
            if (i < paired)
                Replace(places[removed[i]], lineOf(*now[added[i]]), BookmarkRole);
            else
                Drop(places[removed[i]]);
        }
        for (std::size_t i = paired; i < added.size(); ++i) {
            InsertAtEnd({});
            InsertAtEnd(lineOf(*now[added[i]]), BookmarkRole);
        }
        removed.clear();
        added.clear();
    };
    for (const Step& step : steps) {
        if (step.kind == Step::Kind::Keep)
            settle();
        else
            (step.kind == Step::Kind::Remove ? removed : added).push_back(step.kind == Step::Kind::Remove ? step.from : step.to);
    }
    settle();
    return FileResult::Success();
}

FileResult Merger::MergeExtraLines()
{
    const std::vector<ExtraLine>& now = m_document.ExtraLines;
    const std::size_t oldCount = m_record.ExtraLineCount();
    const auto newCount = static_cast<std::size_t>(std::ranges::count_if(now, [](const ExtraLine& line) { return !line.empty(); }));
    const std::size_t common = std::min(oldCount, newCount);

    auto nextNow = [&](std::size_t& next) {
        while (now[next].empty())
            ++next;
        return next++;
    };

    // The lines both lists begin with.
    std::size_t prefix = 0, next = 0; // `next`: in `now`, after the common beginning
    std::optional<Place> lastOfPrefix, firstAfterPrefix;
    m_record.ForEachExtraLine([&](std::size_t offset, std::string_view line) {
        if (prefix < common) {
            const std::size_t at = nextNow(next);
            if (now[at] == line) {
                Kept(offset, line);
                lastOfPrefix = Place{offset, line.size()};
                ++prefix;
                return true;
            }
            next = at;
        }
        firstAfterPrefix = Place{offset, line.size()};
        return false;
    });
    if (prefix == oldCount && prefix == newCount)
        return FileResult::Success();

    // The lines both lists end with, walked back from the end of the file.
    std::size_t suffix = 0;
    {
        const std::vector<FileRecord::Line>& lines = m_record.Lines();
        std::ptrdiff_t role = static_cast<std::ptrdiff_t>(lines.size()) - 1;
        std::size_t end = m_bytes.size(), last = now.size();
        while (suffix < common - prefix) {
            while (end > m_record.BodyStart() && IsLineEnd(m_bytes[end - 1]))
                --end;
            std::size_t start = end;
            while (start > m_record.BodyStart() && !IsLineEnd(m_bytes[start - 1]))
                --start;
            if (start == end)
                break;
            const std::string_view line = m_bytes.substr(start, end - start);
            end = start;
            if (role >= 0 && lines[static_cast<std::size_t>(role)].Offset == start) {
                --role;
                continue;
            }
            while (now[last - 1].empty())
                --last;
            if (now[--last] != line)
                break;
            ++suffix;
        }
    }

    // The changed middle, then the common end, whose lines may go with an
    // emptied code.
    std::vector<Place> oldMiddle;
    std::vector<std::size_t> newMiddle;
    if (firstAfterPrefix) {
        m_record.ForEachExtraLine(
            [&](std::size_t offset, std::string_view line) {
                if (oldMiddle.size() < oldCount - prefix - suffix) {
                    oldMiddle.push_back({offset, line.size()});
                    return true;
                }
                Kept(offset, line);
                return m_emptied.any();
            },
            firstAfterPrefix->offset);
    }
    while (newMiddle.size() < newCount - prefix - suffix)
        newMiddle.push_back(nextNow(next));
    if (oldMiddle.empty() && newMiddle.empty())
        return FileResult::Success();

    auto problem = [&](std::size_t at) -> std::string {
        std::size_t bookmarks = 0; // the slots are counted when the file is read back
        std::string why = ExtraLineProblem(now[at], bookmarks);
        if (why.empty())
            return why;
        const auto number = 1 + std::count_if(now.begin(), now.begin() + static_cast<std::ptrdiff_t>(at),
                                               [](const ExtraLine& line) { return !line.empty(); });
        return "la linea extra " + std::to_string(number) + " " + Quoted(now[at]) + " non si potrebbe rileggere: " + why;
    };
    const std::vector<Step> steps = Differences(oldMiddle.size(), newMiddle.size(), [&](std::size_t i, std::size_t j) {
        return m_bytes.substr(oldMiddle[i].offset, oldMiddle[i].length) == now[newMiddle[j]];
    });
    std::optional<Place> anchor = lastOfPrefix;
    std::vector<std::size_t> removed, added;
    std::string refusal;
    auto settle = [&] {
        const std::size_t paired = std::min(removed.size(), added.size());
        for (std::size_t i = 0; i < removed.size(); ++i) {
            const Place place = oldMiddle[removed[i]];
            if (const TableLine kind = ClassifyLine(m_bytes.substr(place.offset, place.length));
                kind.kind == TableLine::Kind::Special)
                m_lostMark.set(kind.code);
            if (i < paired) {
                if (refusal.empty())
                    refusal = problem(newMiddle[added[i]]);
                Replace(place, now[newMiddle[added[i]]]);
                anchor = place;
            } else {
                Drop(place);
            }
        }
        for (std::size_t i = paired; i < added.size(); ++i) {
            const std::size_t at = newMiddle[added[i]];
            if (refusal.empty())
                refusal = problem(at);
            if (anchor)
                InsertAfter(*anchor, now[at]);
            else if (firstAfterPrefix)
                InsertBefore(*firstAfterPrefix, now[at]);
            else
                InsertAtStart(now[at]);
        }
        removed.clear();
        added.clear();
    };
    for (const Step& step : steps) {
        if (step.kind == Step::Kind::Keep) {
            settle();
            const Place place = oldMiddle[step.from];
            Kept(place.offset, m_bytes.substr(place.offset, place.length));
            anchor = place;
        } else {
            (step.kind == Step::Kind::Remove ? removed : added).push_back(step.kind == Step::Kind::Remove ? step.from : step.to);
        }
    }
    settle();
    if (!refusal.empty())
        return FileResult::Failure(refusal);
    return FileResult::Success();
}

// A code whose mark came from an extra line that is gone, while its own
// line is a code line ("/41=<E>" removed, "41=/" left): that line now
// carries the mark, or the file would lose it.
void Merger::KeepMarks()
{
    for (std::size_t code = 0; code < CodeCount && m_lostMark.any(); ++code) {
        const auto byte = static_cast<std::uint8_t>(code);
        const TableEntry& entry = m_document.Entries[code];
        const std::int32_t index = m_record.EntryLine(byte);
        if (!m_lostMark[code] || index == FileRecord::NoLine || entry.Kind() == SpecialKind::None
            || !(entry == m_record.EntryAsRead(byte)))
            continue; // a changed entry's line is written in its own form already
        const FileRecord::Line& read = m_record.Lines()[static_cast<std::size_t>(index)];
        if (!IsSpecialLine(m_record.Text(read)))
            Replace(PlaceOf(read), *EntryLine(entry, DigitsOf(m_record.Text(read))));
    }
}

void Merger::Emit(MergedTable& merged, bool quick)
{
    std::ranges::sort(m_edits, [](const Edit& a, const Edit& b) {
        return std::tie(a.at, a.phase, a.order) < std::tie(b.at, b.phase, b.order);
    });
    const std::string_view lineEnd = m_record.LineEnd();
    const std::size_t start = m_record.BodyStart();
    const std::vector<FileRecord::Line>& old = m_record.Lines();
    // Twice: once to count the bytes, once to copy them; `put` is given
    // each piece with the position it starts at in the new file.
    auto walk = [&](std::size_t position, auto&& put, std::vector<FileRecord::Line>* lines) {
        std::size_t cursor = 0, next = 0; // in the file as read; next of `old`
        char last = '\n';                 // the last byte put, a line end before any
        auto copy = [&](std::string_view piece) {
            if (!piece.empty()) {
                put(piece, position);
                position += piece.size();
                last = piece.back();
            }
        };
        // The lines that are no extra lines before `to` stay, moved.
        auto keep = [&](std::size_t to) {
            for (; next < old.size() && old[next].Offset < to; ++next) {
                if (lines && old[next].Offset >= cursor) {
                    lines->push_back(old[next]);
                    lines->back().Offset = static_cast<std::uint32_t>(position + old[next].Offset - cursor);
                }
            }
        };
        for (const Edit& edit : m_edits) {
            if (edit.at > cursor) {
                keep(edit.at);
                copy(m_bytes.substr(cursor, edit.at - cursor));
            }
            if (edit.phase == Change && next < old.size() && old[next].Offset == edit.at)
                ++next; // the line changes or goes
            cursor = std::max(cursor, edit.at + edit.length);
            // A line put after a last line that had no line end ends that one.
            if (edit.line && !IsLineEnd(last) && edit.at > start)
                copy(lineEnd);
            if (lines && edit.role) {
                lines->push_back(*edit.role);
                lines->back().Offset = static_cast<std::uint32_t>(position);
                lines->back().Length = static_cast<std::uint32_t>(edit.text.size());
            }
            copy(edit.text);
            if (edit.line)
                copy(lineEnd);
        }
        keep(m_bytes.size() + 1);
        copy(m_bytes.substr(std::min(cursor, m_bytes.size())));
    };
    std::string head; // the first bytes, to see whether they would read as a line
    std::size_t size = 0;
    walk(0, [&](std::string_view piece, std::size_t) {
        if (head.size() < 3)
            head.append(piece.substr(0, 3 - head.size()));
        size += piece.size();
    }, nullptr);
    // A file that ends without a line end keeps ending so.
    const bool openEnd = m_bytes.size() > start && !IsLineEnd(m_bytes.back());
    std::string_view guard = start == 0 && NeedsEmptyFirstLine(head) ? lineEnd : std::string_view();
    merged.Size = guard.size() + size;
    if (quick) {
        if (!guard.empty())
            merged.Parts.push_back({0, 0, guard.size(), std::string(guard), false});
        walk(guard.size(), [&](std::string_view piece, std::size_t at) {
            const bool old = piece.data() >= m_bytes.data() && piece.data() < m_bytes.data() + m_bytes.size();
            if (old)
                merged.Parts.push_back({at, static_cast<std::size_t>(piece.data() - m_bytes.data()), piece.size(), {}, true});
            else
                merged.Parts.push_back({at, 0, piece.size(), std::string(piece), false});
        }, &merged.Lines);
    } else {
        merged.Data = AllocateBytes(merged.Size);
        Prefault(merged.Data.get(), merged.Size);
        char* out = merged.Data.get();
        if (!guard.empty())
            std::memcpy(out, guard.data(), guard.size());
        walk(guard.size(), [&](std::string_view piece, std::size_t at) { std::memcpy(out + at, piece.data(), piece.size()); },
             nullptr);
    }
    if (openEnd && merged.Size > start) {
        // The last byte put is a line end: it goes, with its CR when CR LF.
        const auto byteAt = [&](std::size_t at) {
            if (!quick)
                return merged.Data.get()[at];
            const auto part = std::ranges::find_if(merged.Parts, [at](const MergedTable::Part& p) { return at < p.At + p.Length; });
            return part->Old ? m_bytes[part->From + at - part->At] : part->Text[at - part->At];
        };
        if (IsLineEnd(byteAt(merged.Size - 1))) {
            const std::size_t cut = merged.Size >= 2 && byteAt(merged.Size - 2) == '\r' && byteAt(merged.Size - 1) == '\n' ? 2 : 1;
            merged.Size -= cut;
            for (std::size_t left = cut; quick && left > 0;) {
                MergedTable::Part& last = merged.Parts.back();
                const std::size_t taken = std::min(left, last.Length);
                last.Length -= taken;
                if (!last.Old)
                    last.Text.resize(last.Length);
                left -= taken;
                if (last.Length == 0)
                    merged.Parts.pop_back();
            }
        }
    }
    merged.Unchanged = false;
}

FileResult Merger::Run(MergedTable& merged, bool quick)
{
    merged = MergedTable{};
    if (FileResult result = MergeEntries(); !result)
        return result;
    if (FileResult result = MergeBookmarks(); !result)
        return result;
    if (quick) {
        // Only the lines of codes and bookmarks change: the others stay as
        // they are, so their record needs no second reading.
        if (m_emptiedWithOthers || m_hiddenAssigned)
            return FileResult::Success(); // not Quick: the whole merge is needed
        merged.Quick = true;
        if (!m_edits.empty())
            Emit(merged, true);
        return FileResult::Success();
    }
    const std::size_t before = m_edits.size();
    if (FileResult result = MergeExtraLines(); !result)
        return result;
    KeepMarks();
    merged.SameExtraLines = m_edits.size() == before && m_emptied.none() && !m_hiddenAssigned;
    if (!m_edits.empty())
        Emit(merged, false);
    return FileResult::Success();
}

} // namespace

FileResult MergeTable(const TableDocument& document, const FileRecord& record, MergedTable& merged)
{
    return Merger(document, record).Run(merged, false);
}

bool MergeCodesAndBookmarks(const TableDocument& document, const FileRecord& record, MergedTable& merged,
                            FileResult& refusal)
{
    refusal = Merger(document, record).Run(merged, true);
    return refusal && merged.Quick;
}

RecordBytes PatchBytes(RecordBytes old, std::size_t oldSize, const MergedTable& merged)
{
    if (merged.Size > oldSize)
        old = ResizeBytes(std::move(old), merged.Size);
    char* bytes = old.get();
    // Runs that move left go first, from the start on; then those that
    // move right, from the end back: no run is overwritten before it moved.
    for (const MergedTable::Part& part : merged.Parts) {
        if (part.Old && part.At < part.From)
            std::memmove(bytes + part.At, bytes + part.From, part.Length);
    }
    for (auto part = merged.Parts.rbegin(); part != merged.Parts.rend(); ++part) {
        if (part->Old && part->At > part->From)
            std::memmove(bytes + part->At, bytes + part->From, part->Length);
    }
    for (const MergedTable::Part& part : merged.Parts) {
        if (!part.Old)
            std::memcpy(bytes + part.At, part.Text.data(), part.Length);
    }
    if (merged.Size < oldSize)
        old = ResizeBytes(std::move(old), merged.Size);
    return old;
}

bool SameExtraLines(const TableDocument& document, const FileRecord& record)
{
    const std::vector<ExtraLine>& now = document.ExtraLines;
    std::size_t next = 0;
    bool same = true;
    record.ForEachExtraLine([&](std::size_t, std::string_view line) {
        while (next < now.size() && now[next].empty())
            ++next;
        same = next < now.size() && now[next++] == line;
        return same;
    });
    while (same && next < now.size())
        same = now[next++].empty();
    return same;
}

} // namespace zelvane
