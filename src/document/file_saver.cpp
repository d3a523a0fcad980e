// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/file_saver.h"

#include "document/file_io.h"
#include "document/save_journal.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace zelvane {

namespace {

// Temporary files are this prefix and six letters or digits: short enough
// for any name the target may have, and recognisable for the clean-up.
constexpr std::string_view TemporaryPrefix = ".zelvane-";
constexpr std::size_t TemporaryLetters = 6;

SaveOutcome Refused(std::string reason)
{
    return {FileResult::Failure(std::move(reason)), SaveMethod::Replaced, {}};
}

SaveOutcome SystemFailure(int error)
{
    return Refused("impossibile scrivere il file: " + SystemReason(error));
}

// Follows symbolic links, so that saving through a link replaces the file
// it points at and the link stays a link. A loop is left for stat to find.
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

// Read from the kernel's view of this process: setting the umask to learn
// it would race with any other thread creating files.
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    }
    return 022;
}

std::string RandomLetters()
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    std::string letters;
    for (std::size_t i = 0; i < TemporaryLetters; ++i)
        letters += Letters[pick(device)];
    return letters;
}

// Extended attributes carry POSIX ACLs too. Copying them may fail (another
// file system, no rights); that is no save failure, and the mode set after
// keeps access from widening.
void CopyAttributes(const std::filesystem::path& from, int to)
{
    const ssize_t listSize = ::listxattr(from.c_str(), nullptr, 0);
    if (listSize <= 0)
        return;
    std::string names(static_cast<std::size_t>(listSize), '\0');
    const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
    if (got <= 0)
        return;
    names.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
        const char* name = names.c_str() + at;
        const ssize_t valueSize = ::getxattr(from.c_str(), name, nullptr, 0);
        if (valueSize < 0)
            continue;
        std::string value(static_cast<std::size_t>(valueSize), '\0');
        const ssize_t read = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (read >= 0)
            (void)::fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0);
        if (names.find('\0', at) == std::string::npos)
            break;
    }
}

struct OldFile {
    const std::filesystem::path& path;
    const struct stat* info; // null when there is none
};

// Writes, gives the old file's owner (else its group), attributes and mode,
// and flushes to disk; 0 or the errno.
int FillTemporary(int fd, const ContentWriter& write, const OldFile& old, mode_t mode)
{
    std::uint64_t written = 0;
    if (const int error = write(fd, SaveMethod::Replaced, written))
        return error;
    if (old.info) {
        // Keeping another user's ownership needs privileges; without them
        // the group alone is kept where the user belongs to it.
        if (::fchown(fd, old.info->st_uid, old.info->st_gid) != 0)
            (void)!::fchown(fd, static_cast<uid_t>(-1), old.info->st_gid);
        CopyAttributes(old.path, fd);
    }
    if (::fchmod(fd, mode) != 0)
        return errno;
    if (::fsync(fd) != 0)
        return errno;
    return 0;
}

// Closes the descriptor on a thread of its own: when it is the last
// reference to a replaced file, the close frees the file's blocks, which
// for a big table takes longer than writing it to the cache.
void CloseLater(int fd)
{
    if (fd < 0)
        return;
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (const std::system_error&) {
        ::close(fd);
    }
}

// A complete new file beside the target, renamed over it. First choice is
// a file without a name (O_TMPFILE), linked into the folder only once it is
// complete, so a process killed while writing leaves nothing behind.
int WriteReplacement(const std::filesystem::path& target, const ContentWriter& write, const OldFile& old, mode_t mode)
{
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string temporary;
    bool named = false;
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        temporary = (folder / (std::string(TemporaryPrefix) + "XXXXXX")).string();
        fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0)
            return errno;
        named = true;
    }
    // Held until the file is closed: the clean-up of other writers leaves
    // a locked temporary alone.
    (void)::flock(fd, LOCK_EX);
    int error = FillTemporary(fd, write, old, mode);
    if (!error && !named) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        error = EEXIST;
        for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
            temporary = (folder / (std::string(TemporaryPrefix) + RandomLetters())).string();
            error = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
        }
        named = error == 0;
    }
    // The old file is held over the rename, so that the rename does not
    // wait for its blocks to be freed.
    const int oldFd = !error && old.info ? ::open(target.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC) : -1;
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    CloseLater(oldFd);
    if (error && named)
        ::unlink(temporary.c_str());
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error) {
        // Make the rename itself durable; a failure here loses nothing.
        const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd >= 0) {
            ::fsync(folderFd);
            ::close(folderFd);
        }
    }
    return error;
}

// Over the old file itself, which keeps its inode, links, owner and
// attributes. The old bytes are held first, and written back when the new
// ones cannot all be written and flushed.
int WriteInPlace(const std::filesystem::path& target, const ContentWriter& write, std::filesystem::path& journalFailed)
{
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    std::string old;
    int error = 0;
    struct stat info {};
    try {
        if (::fstat(fd, &info) != 0)
            error = errno;
        else
            old.resize(static_cast<std::size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
    }
    std::size_t done = 0;
    if (!error)
        error = ReadFromStart(fd, old.data(), old.size(), done);
    old.resize(done);
    std::filesystem::path journal;
    if (!error) {
        // The whole new file reaches the disk in the journal before the
        // file is touched: a crash then leaves one whole copy, old or new.
        error = WriteJournal(
            target, [&](int journalFd, std::uint64_t& written) { return write(journalFd, SaveMethod::InPlace, written); },
            journal);
        bool touched = false;
        if (error && error != ECANCELED)
            journalFailed = journal.empty() ? JournalPath(target) : journal;
        if (!error) {
            touched = true;
            error = CopyJournal(journal, fd);
        }
        if (error && touched) {
            (void)WriteAllAt(fd, old, 0);
            (void)!::ftruncate(fd, static_cast<off_t>(old.size()));
            (void)::fsync(fd);
        }
        // Once the file is whole, old or new, the journal has served.
        if (touched)
            ::unlink(journal.c_str());
    }
    ::close(fd);
    return error;
}

// Removes temporaries that writers killed before their rename left behind:
// only names of our pattern, regular files, and only unlocked ones, since a
// live writer holds a lock on its own. (A named temporary, made only where
// the file system has no O_TMPFILE, is unlocked for the moment between its
// creation and its lock; should it go then, that save fails and says so.)
void RemoveStaleTemporaries(const std::filesystem::path& folder)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        // Only our temporaries' names: never a save's journal, ".NAME.zelvane-journal".
        if (name.size() != TemporaryPrefix.size() + TemporaryLetters || name.rfind(TemporaryPrefix, 0) != 0)
            continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(it->path().c_str());
        ::close(fd);
    }
}

std::string NotAFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return "il percorso indica una cartella, non un file";
    if (S_ISFIFO(mode))
        return "il percorso indica una pipe (FIFO), non un file";
    if (S_ISSOCK(mode))
        return "il percorso indica un socket, non un file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "il percorso indica un dispositivo, non un file";
    return "il percorso non indica un file normale";
}

} // namespace

SaveOutcome SaveFileSafely(const std::filesystem::path& path, const ContentWriter& write)
{
    if (!path.has_filename())
        return SystemFailure(path.empty() ? ENOENT : EISDIR);
    const std::filesystem::path target = ResolveLinks(path);
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (!exists && errno == ELOOP)
        return Refused("impossibile scrivere il file: i collegamenti simbolici del percorso formano un ciclo");
    if (!exists && errno != ENOENT)
        return SystemFailure(errno);
    if (exists && !S_ISREG(info.st_mode))
        return Refused("impossibile scrivere il file: " + NotAFile(info.st_mode));
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        if (errno == EACCES || errno == EPERM)
            return Refused("impossibile scrivere il file: è di sola lettura, o non hai il permesso di modificarlo");
        return SystemFailure(errno);
    }

    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    RemoveStaleTemporaries(folder);
    const mode_t mode = exists ? (info.st_mode & 07777) : (0666 & ~CurrentUmask());
    SaveOutcome outcome{FileResult::Success(), SaveMethod::Replaced, {}};
    int error = 0;
    // A rename would leave the other names of a hard-linked file with the
    // old table.
    if (exists && info.st_nlink > 1) {
        outcome.method = SaveMethod::InPlace;
    } else {
        error = WriteReplacement(target, write, OldFile{target, exists ? &info : nullptr}, mode);
        // A folder the user may not write, a bind-mounted file, another
        // file system: the file itself can still be written.
        if (exists && (error == EACCES || error == EPERM || error == EBUSY || error == EXDEV || error == EROFS)) {
            outcome.method = SaveMethod::InPlace;
            error = 0;
        }
        if (!exists && (error == EACCES || error == EPERM))
            return Refused("impossibile scrivere il file: non hai il permesso di creare file nella cartella");
    }
    std::filesystem::path journalFailed;
    if (!error && outcome.method == SaveMethod::InPlace)
        error = WriteInPlace(target, write, journalFailed);
    if (error && !journalFailed.empty()) {
        // The file itself could be written: say where the journal could not.
        return Refused("impossibile scrivere il giornale del salvataggio nella cartella «"
                       + journalFailed.parent_path().string() + "» (" + SystemReason(error)
                       + "); il file non è stato toccato. Rendi scrivibile quella cartella, oppure imposta "
                         "XDG_CACHE_HOME su una cartella scrivibile");
    }
    if (error)
        return SystemFailure(error);
    if (const auto stamp = StampOf(target))
        outcome.stamp = *stamp;
    return outcome;
}

} // namespace zelvane
