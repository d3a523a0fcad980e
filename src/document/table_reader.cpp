#include "document/table_reader.h"

#include "document/table_document.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelvane {

namespace {

// Reads the whole file; returns 0 or the errno of the failure. Only a
// regular file is read: a device or a pipe could go on for ever.
int ReadWholeFile(const std::filesystem::path& fileName, std::string& bytes)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return error;
    }
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return error;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return 0;
}

bool HexPair(char high, char low, std::uint8_t& code)
{
    const int h = HexDigitValue(high);
    const int l = HexDigitValue(low);
    if (h < 0 || l < 0)
        return false;
    code = static_cast<std::uint8_t>(h * 16 + l);
    return true;
}

// Position of the first "h)" or "H)" after the opening "(", or npos.
std::size_t FindAddressEnd(std::string_view line)
{
    for (std::size_t p = line.find(')', 2); p != std::string_view::npos; p = line.find(')', p + 1)) {
        if (line[p - 1] == 'h' || line[p - 1] == 'H')
            return p - 1;
    }
    return std::string_view::npos;
}

// Splits the bytes into lines: CR LF, a lone CR and a lone LF each end a
// line (tables made on other systems use LF alone); a last line without a
// line end is still a line. Stops early when `handle` returns false.
template<typename Handler>
void ForEachLine(std::string_view bytes, Handler&& handle)
{
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* cursor = begin;
    // The next CR and LF are looked up once each and kept until passed, so
    // every byte is searched at most twice, both times by memchr.
    const char* nextCr = nullptr;
    const char* nextLf = nullptr;
    auto findFrom = [end](const char* from, char c) {
        const void* hit = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return hit ? static_cast<const char*>(hit) : end;
    };
    while (cursor < end) {
        if (nextCr < cursor)
            nextCr = findFrom(cursor, '\r');
        if (nextLf < cursor)
            nextLf = findFrom(cursor, '\n');
        const char* lineEnd = nextCr < nextLf ? nextCr : nextLf;
        if (!handle(std::string_view(cursor, static_cast<std::size_t>(lineEnd - cursor))))
            return;
        if (lineEnd == end)
            return;
        cursor = lineEnd + 1;
        if (*lineEnd == '\r' && cursor < end && *cursor == '\n')
            ++cursor;
    }
}

// The file's bytes as they may stand in a message: printable ASCII as it
// is, any other byte as \xHH, so the message stays plain text.
std::string Quoted(std::string_view text)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string quoted = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            quoted += c;
        } else {
            quoted += "\\x";
            quoted += Hex[byte >> 4];
            quoted += Hex[byte & 0x0F];
        }
    }
    return quoted + "\"";
}

} // namespace

FileResult ParseTable(TableDocument& document, std::string_view bytes)
{
    TableDocument fresh;
    std::size_t nextBookmark = 0;
    std::size_t nextExtra = 0;
    std::size_t lineNumber = 0;
    FileResult result = FileResult::Success();

    auto fail = [&](std::string why) {
        result = FileResult::Failure("riga " + std::to_string(lineNumber) + ": " + std::move(why), lineNumber);
        return false;
    };

    ForEachLine(bytes, [&](std::string_view line) {
        ++lineNumber;
        std::uint8_t code = 0;
        if (line.size() >= 3 && line[2] == '=') {
            if (!HexPair(line[0], line[1], code))
                return fail("il codice " + Quoted(line.substr(0, 2)) + " non è formato da due cifre esadecimali");
            fresh.Entries[code].Value.assign(line.substr(3));
            return true;
        }
        switch (line.empty() ? '\0' : line.front()) {
        case '\0':
            return true;
        case '(': {
            const std::size_t p = FindAddressEnd(line);
            if (p == std::string_view::npos)
                return true; // no "h)": the line is dropped
            std::int32_t address = 0;
            if (!ParseAddress(line.substr(1, p - 1), address))
                return fail("l'indirizzo del bookmark " + Quoted(line.substr(1, p - 1))
                            + " non è un numero esadecimale di al massimo 32 bit");
            const std::string_view title = line.substr(p + 2);
            if (title.empty())
                return true; // an empty title is a free slot: it takes none
            if (nextBookmark == SlotCount)
                return fail("ci sono più di " + std::to_string(SlotCount) + " bookmark");
            fresh.Bookmarks[nextBookmark++] = Bookmark{address, std::string(title)};
            return true;
        }
        case '/':
        case '*':
            if (line.size() < 3 || !HexPair(line[1], line[2], code))
                return fail("dopo " + Quoted(line.substr(0, 1))
                            + " mancano le due cifre esadecimali del codice");
            fresh.Entries[code].Value.assign(1, line.front());
            fresh.Entries[code].Marked = true;
            return true;
        default:
            if (nextExtra == SlotCount)
                return fail("ci sono più di " + std::to_string(SlotCount) + " linee extra");
            fresh.ExtraLines[nextExtra++].assign(line);
            return true;
        }
    });

    if (!result)
        return result;
    document.Entries = std::move(fresh.Entries);
    document.Bookmarks = std::move(fresh.Bookmarks);
    document.ExtraLines = std::move(fresh.ExtraLines);
    return result;
}

FileResult LoadTable(TableDocument& document, const std::filesystem::path& fileName)
{
    std::string bytes;
    if (const int error = ReadWholeFile(fileName, bytes))
        return FileResult::Failure("impossibile leggere il file: " + SystemReason(error));
    FileResult result = ParseTable(document, bytes);
    if (result)
        document.FileName = fileName.string();
    return result;
}

} // namespace zelvane
