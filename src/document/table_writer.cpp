#include "document/table_writer.h"

#include "document/table_document.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelvane {

namespace {

constexpr std::string_view LineEnd = "\r\n";

bool HasLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

// Follows symbolic links, so that saving through a link replaces the file
// it points at and the link stays a link.
std::filesystem::path ResolveLinks(std::filesystem::path path)
{
    std::error_code error;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(path, error); ++hops) {
        std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error)
            break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Writes `bytes` to a fresh temporary file beside `target` and renames it
// over `target`. Returns 0 or the errno of the first failure; on failure
// the temporary file is gone and `target` is untouched.
int ReplaceFile(const std::filesystem::path& target, std::string_view bytes)
{
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return EISDIR;

    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;

    int error = WriteAll(fd, bytes);
    if (!error) {
        const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
        // Keeping a foreign owner needs privileges; without them the file
        // simply becomes the user's, which is no failure.
        if (exists)
            (void)!::fchown(fd, existing.st_uid, existing.st_gid);
        if (::fchmod(fd, mode) != 0)
            error = errno;
    }
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }
    // Make the rename itself durable; a failure here loses nothing.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

} // namespace

FileResult FormatTable(const TableDocument& document, std::string& bytes)
{
    bytes.clear();
    for (std::size_t slot = 0; slot < SlotCount; ++slot) {
        const ExtraLine& line = document.ExtraLines[slot];
        if (line.empty())
            continue;
        if (HasLineBreak(line))
            return FileResult::Failure("la linea extra " + std::to_string(slot + 1) + " contiene un ritorno a capo");
        bytes.append(line).append(LineEnd);
    }
    for (std::size_t code = 0; code < CodeCount; ++code) {
        const TableEntry& entry = document.Entries[code];
        if (entry.Value.empty())
            continue;
        const std::string digits = CodeText(static_cast<std::uint8_t>(code));
        switch (entry.Kind()) {
        case SpecialKind::EndOfLine:
            bytes.append("/").append(digits);
            break;
        case SpecialKind::EndOfWindow:
            bytes.append("*").append(digits);
            break;
        case SpecialKind::None:
            if (HasLineBreak(entry.Value))
                return FileResult::Failure("il valore del codice " + digits + " contiene un ritorno a capo");
            bytes.append(digits).append("=").append(entry.Value);
            break;
        }
        bytes.append(LineEnd);
    }
    for (const Bookmark& bookmark : document.Bookmarks) {
        if (bookmark.Title.empty())
            continue;
        if (HasLineBreak(bookmark.Title))
            return FileResult::Failure("il titolo del bookmark " + AddressText(bookmark.Address)
                                       + " contiene un ritorno a capo");
        bytes.append(LineEnd).append("(").append(AddressText(bookmark.Address)).append("h)");
        bytes.append(bookmark.Title).append(LineEnd);
    }
    return FileResult::Success();
}

FileResult SaveTable(TableDocument& document, const std::filesystem::path& fileName)
{
    std::string bytes;
    if (FileResult formatted = FormatTable(document, bytes); !formatted)
        return formatted;
    if (!fileName.has_filename())
        return FileResult::Failure("impossibile scrivere il file: "
                                   + SystemReason(fileName.empty() ? ENOENT : EISDIR));
    if (const int error = ReplaceFile(ResolveLinks(fileName), bytes))
        return FileResult::Failure("impossibile scrivere il file: " + SystemReason(error));
    document.FileName = fileName.string();
    return FileResult::Success();
}

} // namespace zelvane
