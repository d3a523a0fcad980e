#include "document/table_writer.h"

#include "document/table_document.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
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

struct Permissions {
    mode_t mode;
    const struct stat* owner; // the old file's owner to keep, if any
};

// Writes, sets the permissions and flushes to disk; 0 or the errno.
int FillAndFlush(int fd, std::string_view bytes, const Permissions& permissions)
{
    if (const int error = WriteAll(fd, bytes))
        return error;
    // Keeping a foreign owner needs privileges; without them the file
    // simply becomes the user's, which is no failure.
    if (permissions.owner)
        (void)!::fchown(fd, permissions.owner->st_uid, permissions.owner->st_gid);
    if (::fchmod(fd, permissions.mode) != 0)
        return errno;
    if (::fsync(fd) != 0)
        return errno;
    return 0;
}

// First choice: a file without a name (O_TMPFILE), linked into the folder
// only once it is complete, so a process killed while writing leaves
// nothing behind. Returns 0, the errno of a failed write, or -1 when the
// file system cannot do it and the caller should fall back.
int WriteUnnamed(const std::filesystem::path& folder, const std::string& base, std::string_view bytes,
                 const Permissions& permissions, std::string& temporary)
{
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    int error = FillAndFlush(fd, bytes, permissions);
    if (!error) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        error = -1;
        for (int attempt = 0; attempt < 100 && error == -1; ++attempt) {
            temporary = (folder / (base + std::to_string(::getpid()) + "-" + std::to_string(attempt))).string();
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0)
                error = 0;
            else if (errno != EEXIST)
                break;
        }
        if (error)
            temporary.clear();
    }
    if (::close(fd) != 0 && !error)
        error = errno;
    return error;
}

// The fallback: a named temporary file from the start.
int WriteNamed(const std::filesystem::path& folder, const std::string& base, std::string_view bytes,
               const Permissions& permissions, std::string& temporary)
{
    temporary = (folder / (base + std::to_string(::getpid()) + "-XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        temporary.clear();
        return errno;
    }
    int error = FillAndFlush(fd, bytes, permissions);
    if (::close(fd) != 0 && !error)
        error = errno;
    return error;
}

// A save killed between naming its temporary file and the rename leaves
// that file behind. Temporary names carry the writer's process id, so one
// whose writer no longer runs is known to be stale and is removed.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& base)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, base.size(), base) != 0)
            continue;
        const std::size_t dash = name.find('-', base.size());
        if (dash == std::string::npos || dash == base.size()
            || name.find_first_not_of("0123456789", base.size()) != dash)
            continue;
        const long pid = std::strtol(name.c_str() + base.size(), nullptr, 10);
        if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlink(it->path().c_str());
    }
}

// Writes `bytes` to a temporary file beside `target`, flushed to disk, and
// renames it over `target`. Returns 0 or the errno of the first failure;
// on failure the temporary file is gone and `target` is untouched.
int ReplaceFile(const std::filesystem::path& target, std::string_view bytes)
{
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return EISDIR;
    const Permissions permissions{exists ? mode_t(existing.st_mode & 07777) : mode_t(0666 & ~CurrentUmask()),
                                  exists ? &existing : nullptr};

    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const std::string base = "." + target.filename().string() + ".salva-";
    RemoveStaleTemporaries(folder, base);
    std::string temporary;
    int error = WriteUnnamed(folder, base, bytes, permissions, temporary);
    if (error == -1)
        error = WriteNamed(folder, base, bytes, permissions, temporary);
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error) {
        if (!temporary.empty())
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
