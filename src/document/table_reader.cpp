// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_reader.h"

#include "document/file_io.h"
#include "document/table_document.h"
#include "document/table_line.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zelvane {

namespace {

struct FileBytes {
    std::unique_ptr<char[]> data; // not zeroed first: read overwrites it
    std::size_t size = 0;         // what was read
    std::uint64_t fileSize = 0;   // what the file had when opened
    FileStamp stamp;
};

// Reads the whole file, at most the size it had when opened (a file that
// grows while being read cannot keep us reading); returns 0 or the errno of
// the failure. Only a regular file is read: a device or a pipe could go on
// for ever. EFBIG: the file is larger than any table.
int ReadWholeFile(const std::filesystem::path& fileName, FileBytes& bytes)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    bytes.fileSize = static_cast<std::uint64_t>(info.st_size);
    bytes.stamp = StampOf(info);
    if (!error && bytes.fileSize > MaxTableBytes)
        error = EFBIG;
    if (!error) {
        const auto wanted = static_cast<std::size_t>(bytes.fileSize);
        bytes.data = std::make_unique_for_overwrite<char[]>(wanted);
        Prefault(bytes.data.get(), wanted);
        error = ReadFromStart(fd, bytes.data.get(), wanted, bytes.size);
    }
    ::close(fd);
    return error;
}

// Calls `take(at, ends)` for the bytes from `at` on, sixteen at a time
// (fewer at the end), in order, until it returns false; bit i of `ends` is
// set when byte at + i is a CR or an LF. Sixteen bytes are compared in one
// step where the processor allows: a table of short lines has a line end
// every few bytes, where a call per line end would cost more than the line.
template<typename Take>
void ForEachLineEndMask(std::string_view bytes, Take&& take)
{
    std::size_t at = 0;
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; at + 16 <= bytes.size(); at += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at));
        if (!take(at, static_cast<unsigned>(_mm_movemask_epi8(
                          _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))))))
            return;
    }
#endif
    for (; at < bytes.size(); at += 16) {
        unsigned ends = 0;
        for (std::size_t i = 0; i < 16 && at + i < bytes.size(); ++i)
            ends |= unsigned{bytes[at + i] == '\r' || bytes[at + i] == '\n'} << i;
        if (!take(at, ends))
            return;
    }
}

// Calls `handle` with the position of every CR and every LF, in order,
// until it returns false.
template<typename Handler>
void ForEachLineEnd(std::string_view bytes, Handler&& handle)
{
    ForEachLineEndMask(bytes, [&](std::size_t at, unsigned ends) {
        for (; ends != 0; ends &= ends - 1) {
            if (!handle(at + static_cast<std::size_t>(std::countr_zero(ends))))
                return false;
        }
        return true;
    });
}

// Splits the bytes into lines: CR LF, a lone CR and a lone LF each end a
// line (tables made on other systems use LF alone); a last line without a
// line end is still a line. Stops early when `handle` returns false.
template<typename Handler>
void ForEachLine(std::string_view bytes, Handler&& handle)
{
    std::size_t start = 0; // of the line under way
    bool more = true;
    ForEachLineEnd(bytes, [&](std::size_t end) {
        // The LF of a CR LF: the CR ended the line.
        if (end == start && end > 0 && bytes[end] == '\n' && bytes[end - 1] == '\r') {
            start = end + 1;
            return true;
        }
        more = handle(bytes.substr(start, end - start));
        start = end + 1;
        return more;
    });
    if (more && start < bytes.size())
        handle(bytes.substr(start));
}

// The number of lines that are not empty (empty ones take no room): a line
// end counts when the byte before it is no line end. No branch per line.
std::size_t CountFilledLines(std::string_view bytes)
{
    std::size_t count = !bytes.empty() && bytes.back() != '\r' && bytes.back() != '\n'; // a last line without end
    unsigned endBefore = 1; // whether the byte before is a line end: before the first, as if it were
    ForEachLineEndMask(bytes, [&](std::size_t, unsigned ends) {
        count += static_cast<std::size_t>(std::popcount(ends & ~(ends << 1 | endBefore)));
        endBefore = ends >> 15;
        return true;
    });
    return count;
}

// Makes the document from the lines of a file known to be good.
void BuildDocument(TableDocument& document, const std::vector<std::string_view>& lines, const std::vector<std::int16_t>& codeOf,
                   const std::array<std::size_t, CodeCount>& last, const std::array<bool, CodeCount>& marked,
                   std::array<Bookmark, SlotCount>& bookmarks)
{
    constexpr std::size_t None = static_cast<std::size_t>(-1);
    std::array<TableEntry, CodeCount> entries{};
    for (std::size_t code = 0; code < CodeCount; ++code) {
        if (last[code] == None)
            continue;
        const std::string_view line = lines[last[code]];
        const TableLine kind = ClassifyLine(line);
        TableEntry& entry = entries[code];
        entry.Marked = marked[code];
        if (kind.kind == TableLine::Kind::Special) {
            entry.Value.assign(1, line.front());
            entry.Tail.assign(kind.text);
        } else {
            entry.Value.assign(kind.text);
        }
    }

    // Which of a code's lines stay as extra lines: the earlier ones, unless
    // the last leaves the code unassigned (kept above, they would assign it
    // again). The last one moves into the entry, except a code line such as
    // "41=/" after "/41": that entry is written as "/41", so the line stays.
    auto keep = [&](std::size_t i) {
        if (codeOf[i] < 0)
            return true;
        const auto code = static_cast<std::size_t>(codeOf[i]);
        const TableEntry& entry = entries[code];
        if (i != last[code])
            return !entry.Value.empty();
        const bool specialLine = lines[i].front() == '/' || lines[i].front() == '*';
        return !specialLine && entry.Kind() != SpecialKind::None;
    };
    std::size_t kept = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        kept += keep(i);
    std::vector<ExtraLine> extraLines;
    extraLines.reserve(kept);
    Prefault(extraLines.data(), kept * sizeof(ExtraLine));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (keep(i))
            extraLines.emplace_back(lines[i]);
    }

    document.Entries = std::move(entries);
    document.Bookmarks = std::move(bookmarks);
    document.ExtraLines = std::move(extraLines);
}

FileResult LineFailure(std::size_t lineNumber, const std::string& why)
{
    return FileResult::Failure("riga " + std::to_string(lineNumber) + ": " + why, lineNumber);
}

} // namespace

FileResult ParseTable(TableDocument& document, std::string_view bytes)
{
    if (StartsAsUtf16(bytes))
        return FileResult::Failure("il file è in UTF-16, non è una tabella a 8 bit: salvalo in UTF-8 o in "
                                   "Shift-JIS con un editor di testo e riaprilo");

    constexpr std::size_t None = static_cast<std::size_t>(-1);
    // Every code and special line goes into the extra lines as it comes, its
    // code noted beside it; once the file is read, the last line of each
    // code moves into the entry and the earlier ones stay where they stand.
    // The lines are views into `bytes` until the whole file is known good.
    std::vector<std::string_view> lines;
    std::vector<std::int16_t> codeOf; // -1: not a code's line
    // Room for every line at once: growing would move them all, repeatedly.
    const std::size_t most = CountFilledLines(bytes);
    lines.reserve(most);
    codeOf.reserve(most);
    Prefault(lines.data(), most * sizeof(std::string_view));
    std::array<std::size_t, CodeCount> last;
    last.fill(None);
    std::array<bool, CodeCount> marked{};
    std::array<Bookmark, SlotCount> bookmarks{};
    std::size_t nextBookmark = 0;
    std::size_t lineNumber = 0;
    FileResult result = FileResult::Success();

    ForEachLine(bytes, [&](std::string_view line) {
        ++lineNumber;
        const TableLine kind = ClassifyLine(line);
        switch (kind.kind) {
        case TableLine::Kind::Empty:
            return true;
        case TableLine::Kind::Refused:
            result = LineFailure(lineNumber, kind.problem);
            return false;
        case TableLine::Kind::Bookmark:
            if (kind.text.empty())
                return true; // an empty title is a free slot: it takes none
            if (nextBookmark == SlotCount) {
                result = LineFailure(lineNumber, "ci sono più di " + std::to_string(SlotCount) + " bookmark");
                return false;
            }
            bookmarks[nextBookmark++] = Bookmark{kind.address, std::string(kind.text)};
            return true;
        case TableLine::Kind::Special:
            marked[kind.code] = true; // a later code line keeps the mark
            [[fallthrough]];
        case TableLine::Kind::Code:
            last[kind.code] = lines.size();
            codeOf.push_back(kind.code);
            lines.emplace_back(line);
            return true;
        case TableLine::Kind::Extra:
            codeOf.push_back(-1);
            lines.emplace_back(line);
            return true;
        }
        return true;
    });
    if (!result)
        return result;

    // The file is good. An unmodified table is on disk as it stands: it goes
    // before the new one is built, so that the two are never in memory at
    // once. Unsaved work stays until the new table is complete.
    const bool dropFirst = !document.Modified;
    auto drop = [&document] {
        document.ClearTable();
        document.Bookmarks.fill(Bookmark{});
        std::vector<ExtraLine>().swap(document.ExtraLines);
    };
    if (dropFirst)
        drop();
    try {
        BuildDocument(document, lines, codeOf, last, marked, bookmarks);
    } catch (const std::bad_alloc&) {
        if (dropFirst) {
            // Half a table must never be saved over the file it came from.
            drop();
            document.FileName = std::string(UntitledName);
            document.DiskStamp.reset();
        }
        throw;
    }
    return result;
}

FileResult LoadTable(TableDocument& document, const std::filesystem::path& fileName)
{
    try {
        FileBytes bytes;
        if (const int error = ReadWholeFile(fileName, bytes)) {
            if (error == EFBIG)
                return FileResult::Failure("il file è troppo grande per essere una tabella: " + std::to_string(bytes.fileSize)
                                           + " byte, il massimo è 256 MiB");
            return FileResult::Failure("impossibile leggere il file: " + SystemReason(error));
        }
        FileResult result = ParseTable(document, std::string_view(bytes.data.get(), bytes.size));
        if (result) {
            document.FileName = fileName.string();
            document.DiskStamp = bytes.stamp;
            document.Encoding = GuessEncoding(document);
        }
        return result;
    } catch (const std::bad_alloc&) {
        return FileResult::Failure("memoria insufficiente per leggere il file");
    }
}

} // namespace zelvane
