// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/table_reader.h"

#include "document/file_io.h"
#include "document/file_record.h"
#include "document/table_document.h"
#include "document/table_line.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zelvane {

namespace {

struct FileBytes {
    RecordBytes data;             // not zeroed first: read overwrites it
    std::size_t size = 0;         // what was read
    std::uint64_t fileSize = 0;   // what the file had when opened
    FileStamp stamp;
    mode_t type = 0;              // the file's type, S_IFREG for a table
};

// Reads the whole file, at most the size it had when opened (a file that
// grows while being read cannot keep us reading); returns 0 or the errno of
// the failure. Only a regular file is read: a device or a pipe could go on
// for ever. EFBIG: the file is larger than any table.
// Not a regular file: a pipe, a device or a socket, never read (a pipe
// would wait for a writer).
constexpr int NotRegular = -1;

std::string TypeName(mode_t type)
{
    switch (type) {
    case S_IFIFO: return "una pipe con nome";
    case S_IFCHR:
    case S_IFBLK: return "un dispositivo";
    case S_IFSOCK: return "un socket";
    default: return "un oggetto speciale del sistema";
    }
}

int ReadWholeFile(const std::filesystem::path& fileName, FileBytes& bytes)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = S_ISDIR(info.st_mode) ? EISDIR : NotRegular;
    bytes.type = info.st_mode & S_IFMT;
    bytes.fileSize = static_cast<std::uint64_t>(info.st_size);
    bytes.stamp = StampOf(info);
    if (!error && bytes.fileSize > MaxTableBytes)
        error = EFBIG;
    if (!error) {
        const auto wanted = static_cast<std::size_t>(bytes.fileSize);
        bytes.data = AllocateBytes(wanted);
        Prefault(bytes.data.get(), wanted);
        error = ReadFromStart(fd, bytes.data.get(), wanted, bytes.size);
    }
    ::close(fd);
    return error;
}

} // namespace

namespace {

// Reads the record's bytes into `document`, replacing it only when every
// line was taken.
FileResult Adopt(TableDocument& document, std::unique_ptr<FileRecord> record)
{
    FileResult result = record->Scan();
    if (!result)
        return result;
    // The file is good. An unmodified table is on disk as it stands: it goes
    // before the new one is built, so that the two are never in memory at
    // once. Unsaved work stays until the new table is complete.
    const bool dropFirst = !document.Modified;
    auto drop = [&document] {
        std::vector<ExtraLine>().swap(document.ExtraLines);
        document.ClearTable();
        document.Bookmarks.fill(Bookmark{});
        document.Record.reset();
    };
    if (dropFirst)
        drop();
    try {
        record->Fill(document);
    } catch (const std::bad_alloc&) {
        if (dropFirst) {
            // Half a table must never be saved over the file it came from.
            drop();
            document.FileName = std::string(UntitledName);
            document.DiskStamp.reset();
        }
        throw;
    }
    document.Record = std::move(record);
    return result;
}

} // namespace

FileResult ParseTable(TableDocument& document, std::string_view bytes)
{
    RecordBytes data = AllocateBytes(bytes.size());
    std::copy(bytes.begin(), bytes.end(), data.get());
    return Adopt(document, std::make_unique<FileRecord>(std::move(data), bytes.size()));
}

FileResult LoadTable(TableDocument& document, const std::filesystem::path& fileName)
{
    try {
        FileBytes bytes;
        if (const int error = ReadWholeFile(fileName, bytes)) {
            if (error == NotRegular)
                return FileResult::Failure("non è un file ma " + TypeName(bytes.type) + ": non si può leggere come tabella");
            if (error == EFBIG)
                return FileResult::Failure("il file è troppo grande per essere una tabella: " + std::to_string(bytes.fileSize)
                                           + " byte, il massimo è 256 MiB");
            return FileResult::Failure("impossibile leggere il file: " + SystemReason(error));
        }
        FileResult result = Adopt(document, std::make_unique<FileRecord>(std::move(bytes.data), bytes.size));
        if (result) {
            document.FileName = fileName.string();
            document.DiskStamp = bytes.stamp;
            // A byte-order mark says UTF-8 outright.
            document.Encoding = document.Record->BodyStart() > 0 ? TextEncoding::Utf8 : GuessEncoding(document);
        }
        return result;
    } catch (const std::bad_alloc&) {
        return FileResult::Failure("memoria insufficiente per leggere il file");
    }
}

bool LooksBinary(std::string_view head)
{
    head = head.substr(0, BinaryCheckBytes);
    if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF"))
        return false;
    if (head.find('\0') != std::string_view::npos)
        return true;
    // Signatures that need no NUL to be told: images, archives, documents,
    // programs, and the ROM headers that begin a file.
    static constexpr std::string_view Signatures[] = {
        "\x89PNG\r\n\x1A\n", "GIF87a", "GIF89a", "\xFF\xD8\xFF", "PK\x03\x04", "PK\x05\x06", "\x1F\x8B",
        "7z\xBC\xAF\x27\x1C", "Rar!\x1A\x07", "\xFD" "7zXZ", "\x28\xB5\x2F\xFD", "%PDF-", "\x7F" "ELF", "NES\x1A",
        "FDS\x1A",
    };
    return std::ranges::any_of(Signatures, [head](std::string_view signature) { return head.starts_with(signature); });
}

bool LooksBinary(const std::filesystem::path& fileName)
{
    // Never waits on a pipe: what is no regular file the reader refuses.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    std::string head(BinaryCheckBytes, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = ::read(fd, head.data() + got, head.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    head.resize(got);
    return LooksBinary(std::string_view(head));
}

} // namespace zelvane
