// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_writer.h"

#include "document/file_io.h"
#include "document/file_record.h"
#include "document/file_saver.h"
#include "document/table_document.h"
#include "document/table_line.h"
#include "document/table_merge.h"
#include "document/table_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <iterator>
#include <future>
#include <memory>
#include <new>
#include <optional>
#include <sys/uio.h>
#include <system_error>
#include <vector>

namespace zelvane {

namespace {

constexpr std::string_view LineEnd = "\r\n";

// Whether WriteTable checks each line on the way.
enum class Checked { Yes, No };

// Hands the file's bytes to `out`, piece by piece, in file order. Checked:
// each line is checked on the way that the reader could take it back, and
// a line it could not stops the writing with the reason; No: the caller
// checks the table in another pass.
template<Checked Check, typename Sink>
FileResult WriteTable(const TableDocument& document, Sink&& out)
{
    constexpr bool checked = Check == Checked::Yes;
    std::uint64_t size = 0;
    auto put = [&](std::string_view piece) {
        size += piece.size();
        out(piece);
    };
    const auto tooLarge = [] {
        return FileResult::Failure("la tabella supererebbe i 256 MiB, il massimo che si può rileggere");
    };
    const auto first = std::find_if(document.ExtraLines.begin(), document.ExtraLines.end(),
                                    [](const ExtraLine& line) { return !line.empty(); });
    if (first != document.ExtraLines.end() && NeedsEmptyFirstLine(*first))
        put(LineEnd);
    // The reader takes bookmark-shaped extra lines as bookmarks: together
    // with the real ones they must fit the slots.
    std::size_t bookmarks = document.BookmarkCount();
    std::size_t number = 0;
    for (const ExtraLine& line : document.ExtraLines) {
        if (line.empty())
            continue;
        if constexpr (checked) {
            ++number;
            if (const std::string problem = ExtraLineProblem(line, bookmarks); !problem.empty())
                return FileResult::Failure("la linea extra " + std::to_string(number) + " " + Quoted(line)
                                           + " non si potrebbe rileggere: " + problem);
            if (size + line.size() > MaxTableBytes)
                return tooLarge();
        }
        put(line);
        put(LineEnd);
    }
    for (std::size_t code = 0; code < CodeCount; ++code) {
        const TableEntry& entry = document.Entries[code];
        if (entry.Value.empty())
            continue;
        const std::string_view text = entry.Kind() == SpecialKind::None ? std::string_view(entry.Value) : entry.Tail;
        const std::string digits = CodeText(static_cast<std::uint8_t>(code));
        if constexpr (checked) {
            if (HasLineBreak(text))
                return FileResult::Failure("il valore del codice " + digits + " contiene un ritorno a capo");
            if (size + text.size() > MaxTableBytes)
                return tooLarge();
        }
        switch (entry.Kind()) {
        case SpecialKind::EndOfLine: put("/"); put(digits); put(entry.Tail); break;
        case SpecialKind::EndOfWindow: put("*"); put(digits); put(entry.Tail); break;
        case SpecialKind::None: put(digits); put("="); put(entry.Value); break;
        }
        put(LineEnd);
    }
    for (const Bookmark& bookmark : document.Bookmarks) {
        if (bookmark.Title.empty())
            continue;
        if (checked && HasLineBreak(bookmark.Title))
            return FileResult::Failure("il titolo del bookmark " + AddressText(bookmark.Address)
                                       + " contiene un ritorno a capo");
        put(LineEnd);
        put("(");
        put(AddressText(bookmark.Address));
        put("h)");
        put(bookmark.Title);
        put(LineEnd);
    }
    return checked && size > MaxTableBytes ? tooLarge() : FileResult::Success();
}

FileResult CheckTable(const TableDocument& document)
{
    return WriteTable<Checked::Yes>(document, [](std::string_view) {});
}

// Writes pieces to a file in few system calls and without a copy of the
// whole table: short pieces are gathered in a small buffer, long ones are
// written straight from the document.
class GatheringWriter {
public:
    explicit GatheringWriter(int fd) : m_fd(fd), m_buffer(std::make_unique_for_overwrite<char[]>(BufferBytes)) {}

    // Called for every piece of every line: what fits the buffer is copied
    // there at once, the rest takes the longer way.
    void operator()(std::string_view piece)
    {
        if (piece.size() < DirectBytes && m_used + piece.size() <= BufferBytes) [[likely]] {
            std::memcpy(m_buffer.get() + m_used, piece.data(), piece.size());
            m_used += piece.size();
            return;
        }
        Place(piece);
    }

    // 0 or the errno, once everything is written.
    [[nodiscard]] int Finish()
    {
        Flush();
        return m_error;
    }
    [[nodiscard]] std::uint64_t Written() const { return static_cast<std::uint64_t>(m_offset); }

private:
    static constexpr std::size_t BufferBytes = std::size_t{1} << 20;
    static constexpr std::size_t DirectBytes = std::size_t{64} << 10;
    static constexpr std::size_t MostPieces = 512;

    void Place(std::string_view piece)
    {
        if (m_error)
            return;
        if (piece.size() >= DirectBytes) {
            Mark();
            Add(piece);
            return;
        }
        Flush();
        std::memcpy(m_buffer.get(), piece.data(), piece.size());
        m_used = piece.size();
    }

    // What the buffer gathered since the last mark becomes one piece.
    void Mark()
    {
        if (m_used > m_marked) {
            m_pieces.push_back({m_buffer.get() + m_marked, m_used - m_marked});
            m_pending += m_used - m_marked;
            m_marked = m_used;
        }
    }

    void Add(std::string_view piece)
    {
        m_pieces.push_back({const_cast<char*>(piece.data()), piece.size()});
        m_pending += piece.size();
        if (m_pieces.size() >= MostPieces)
            Flush();
    }

    void Flush()
    {
        Mark();
        if (!m_error && !m_pieces.empty()) {
            m_error = WritePiecesAt(m_fd, m_pieces, m_offset);
            // The disk writes what is done while the rest is gathered.
            StartWriteback(m_fd, m_offset, static_cast<off_t>(m_pending));
            m_offset += static_cast<off_t>(m_pending);
        }
        m_pending = 0;
        m_pieces.clear();
        m_used = 0;
        m_marked = 0;
    }

    int m_fd;
    int m_error = 0;
    off_t m_offset = 0;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;   // bytes in m_buffer
    std::size_t m_marked = 0; // of them, already among m_pieces
    std::vector<iovec> m_pieces;
    std::size_t m_pending = 0; // bytes in m_pieces
};

} // namespace

FileResult FormatTable(const TableDocument& document, std::string& bytes)
{
    bytes.clear();
    FileResult result = WriteTable<Checked::Yes>(document, [&bytes](std::string_view piece) { bytes.append(piece); });
    if (!result)
        bytes.clear();
    return result;
}

namespace {

// A table never read from a file, in the plain layout.
FileResult SavePlain(TableDocument& document, const std::filesystem::path& fileName)
{
    // The table is checked on a second core while it is written: a new file
    // is thrown away on a refusal, and the old file itself is written only
    // once the check passed.
    FileResult refusal = FileResult::Success();
    SaveOutcome outcome;
    try {
        outcome = SaveFileSafely(fileName, [&](int fd, SaveMethod method, std::uint64_t& written) {
            std::future<FileResult> check;
            try {
                check = std::async(std::launch::async, CheckTable, std::cref(document));
            } catch (const std::system_error&) {
                check = std::async(std::launch::deferred, CheckTable, std::cref(document)); // no thread to be had
            }
            if (method == SaveMethod::InPlace && !(refusal = check.get()))
                return ECANCELED;
            GatheringWriter writer(fd);
            (void)WriteTable<Checked::No>(document, writer);
            const int error = writer.Finish();
            written = writer.Written();
            if (check.valid())
                refusal = check.get();
            return refusal ? error : ECANCELED;
        });
    } catch (const std::bad_alloc&) {
        return FileResult::Failure("memoria insufficiente per scrivere il file");
    }
    if (!refusal)
        return refusal;
    if (!outcome.result)
        return outcome.result;
    document.FileName = fileName.string();
    document.DiskStamp = outcome.stamp;
    return FileResult::Success();
}


// Writes the bytes a megabyte at a time, each handed to the disk at once.
int WriteBytes(int fd, std::string_view bytes)
{
    constexpr std::size_t Step = std::size_t{1} << 20;
    for (std::size_t at = 0; at < bytes.size(); at += Step) {
        const std::string_view piece = bytes.substr(at, Step);
        if (const int error = WriteAllAt(fd, piece, static_cast<off_t>(at)))
            return error;
        StartWriteback(fd, static_cast<off_t>(at), static_cast<off_t>(piece.size()));
    }
    return 0;
}

// Writes the new file's parts: runs of the old file's bytes as they lie,
// new text between them, a few hundred in each system call.
int WriteParts(int fd, std::string_view old, const std::vector<MergedTable::Part>& parts)
{
    constexpr std::size_t Batch = 512;
    std::vector<iovec> pieces;
    off_t offset = 0;
    for (std::size_t first = 0; first < parts.size(); first += Batch) {
        pieces.clear();
        std::size_t bytes = 0;
        for (std::size_t i = first; i < std::min(parts.size(), first + Batch); ++i) {
            const MergedTable::Part& part = parts[i];
            const char* data = part.Old ? old.data() + part.From : part.Text.data();
            pieces.push_back({const_cast<char*>(data), part.Length});
            bytes += part.Length;
        }
        if (const int error = WritePiecesAt(fd, pieces, offset))
            return error;
        StartWriteback(fd, offset, static_cast<off_t>(bytes));
        offset += static_cast<off_t>(bytes);
    }
    return 0;
}

// Brings the document in line with what its file now says, where a merged
// write gave a line another meaning than the table had (a line added among
// the extra lines for a code after that code's own line); true when it did.
bool FollowFile(TableDocument& document, const FileRecord& record, bool sameExtraLines)
{
    bool changed = false;
    for (std::size_t code = 0; code < CodeCount; ++code) {
        TableEntry read = record.EntryAsRead(static_cast<std::uint8_t>(code));
        const TableEntry& entry = document.Entries[code];
        if (entry.Value != read.Value || entry.Kind() != read.Kind()
            || (read.Kind() != SpecialKind::None && entry.Tail != read.Tail)) {
            document.Entries[code] = std::move(read);
            changed = true;
        }
    }
    std::vector<Bookmark> read = record.BookmarksAsRead(), now;
    std::ranges::copy_if(document.Bookmarks, std::back_inserter(now), [](const Bookmark& b) { return !b.Title.empty(); });
    if (read != now) {
        document.Bookmarks.fill(Bookmark{});
        std::ranges::move(read, document.Bookmarks.begin());
        changed = true;
    }
    if (!sameExtraLines && !SameExtraLines(document, record)) {
        document.ExtraLines = record.ExtraLinesAsRead();
        changed = true;
    }
    return changed;
}

} // namespace

namespace {

// Runs `work` on a second core where one can be had, else when asked for.
template<typename Work>
auto Beside(Work&& work)
{
    try {
        return std::async(std::launch::async, std::forward<Work>(work));
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, std::forward<Work>(work));
    }
}

// The common save: only lines of codes and bookmarks changed, which
// `merged` holds. Whether the extra lines are as read is checked on a
// second core while the file is written; when they are not, nothing is
// written (a new file is thrown away, the old one is written in place only
// once the check passed) and nothing is returned: the whole merge is
// needed.
std::optional<FileResult> SaveQuickly(TableDocument& document, const std::filesystem::path& fileName,
                                      MergedTable& merged, bool& tableChanged)
{
    const FileRecord& record = *document.Record;
    std::future<bool> check = Beside([&] { return SameExtraLines(document, record); });
    std::optional<bool> same;
    auto sameExtraLines = [&] {
        if (!same)
            same = check.get();
        return *same;
    };
    const SaveOutcome outcome = SaveFileSafely(fileName, [&](int fd, SaveMethod method, std::uint64_t& size) {
        if (method == SaveMethod::InPlace && !sameExtraLines())
            return ECANCELED;
        const int error = merged.Unchanged ? WriteBytes(fd, record.Bytes()) : WriteParts(fd, record.Bytes(), merged.Parts);
        size = merged.Unchanged ? record.Bytes().size() : merged.Size;
        return sameExtraLines() ? error : ECANCELED;
    });
    if (!sameExtraLines())
        return std::nullopt;
    if (!outcome.result)
        return outcome.result;
    document.FileName = fileName.string();
    document.DiskStamp = outcome.stamp;
    if (!merged.Unchanged) {
        // The file as written becomes the record: the old bytes patched in
        // place when no other copy of the table shares them, so that the
        // save never holds the file twice.
        RecordBytes bytes;
        if (document.Record.use_count() == 1) {
            const std::size_t oldSize = record.Bytes().size();
            bytes = PatchBytes(std::const_pointer_cast<FileRecord>(document.Record)->TakeBytes(), oldSize, merged);
        } else {
            bytes = AllocateBytes(merged.Size);
            for (const MergedTable::Part& part : merged.Parts)
                std::memcpy(bytes.get() + part.At, part.Old ? record.Bytes().data() + part.From : part.Text.data(), part.Length);
        }
        auto written = FileRecord::Derive(record, std::move(bytes), merged.Size, std::move(merged.Lines));
        tableChanged = FollowFile(document, *written, true);
        document.Record = std::move(written);
    }
    return FileResult::Success();
}

// Any save: the whole table merged into the file as read. The new file is
// read as the reader would on a second core while it is written; that
// checks it and makes the record of the next save.
FileResult SaveMerged(TableDocument& document, const std::filesystem::path& fileName, bool& tableChanged)
{
    const FileRecord& record = *document.Record;
    MergedTable merged;
    if (FileResult result = MergeTable(document, record, merged); !result)
        return result;
    if (merged.Size > MaxTableBytes)
        return FileResult::Failure("la tabella supererebbe i 256 MiB, il massimo che si può rileggere");
    std::unique_ptr<FileRecord> written;
    std::future<FileResult> check;
    std::string_view bytes = record.Bytes();
    if (!merged.Unchanged) {
        written = std::make_unique<FileRecord>(std::move(merged.Data), merged.Size);
        bytes = written->Bytes();
        check = Beside([record = written.get()] { return record->Scan(); });
    }
    FileResult refusal = FileResult::Success();
    const SaveOutcome outcome = SaveFileSafely(fileName, [&](int fd, SaveMethod method, std::uint64_t& size) {
        if (method == SaveMethod::InPlace && check.valid() && !(refusal = check.get()))
            return ECANCELED;
        const int error = WriteBytes(fd, bytes);
        size = bytes.size();
        if (check.valid())
            refusal = check.get();
        return refusal ? error : ECANCELED;
    });
    if (check.valid())
        refusal = check.get();
    if (!refusal)
        return FileResult::Failure("la tabella non si potrebbe rileggere: " + refusal.message);
    if (!outcome.result)
        return outcome.result;
    document.FileName = fileName.string();
    document.DiskStamp = outcome.stamp;
    if (written) {
        tableChanged = FollowFile(document, *written, merged.SameExtraLines);
        document.Record = std::move(written);
    }
    return FileResult::Success();
}

} // namespace

FileResult SaveTable(TableDocument& document, const std::filesystem::path& fileName, bool& tableChanged)
{
    tableChanged = false;
    if (!document.Record)
        return SavePlain(document, fileName);
    try {
        MergedTable merged;
        FileResult refusal = FileResult::Success();
        if (MergeCodesAndBookmarks(document, *document.Record, merged, refusal)) {
            if (merged.Size > MaxTableBytes)
                return FileResult::Failure("la tabella supererebbe i 256 MiB, il massimo che si può rileggere");
            if (std::optional<FileResult> result = SaveQuickly(document, fileName, merged, tableChanged))
                return *result;
        } else if (!refusal) {
            return refusal;
        }
        return SaveMerged(document, fileName, tableChanged);
    } catch (const std::bad_alloc&) {
        return FileResult::Failure("memoria insufficiente per scrivere il file");
    }
}

FileResult SaveTable(TableDocument& document, const std::filesystem::path& fileName)
{
    bool tableChanged = false;
    return SaveTable(document, fileName, tableChanged);
}

} // namespace zelvane
