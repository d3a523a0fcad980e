// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/save_journal.h"

#include "document/file_io.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace zelvane {

namespace {

constexpr std::string_view Suffix = ".zelvane-journal";
constexpr std::string_view Magic = "\nZELVANE-JOURNAL 1\n";
// The last line: the whole trailer's length, always this long.
constexpr std::size_t LastLineLength = 19; // "trailer 0000000000\n"
constexpr std::size_t Chunk = std::size_t{1} << 20;

std::function<void(int)>& Hook()
{
    static std::function<void(int)> hook;
    return hook;
}

// FNV-1a, 64 bits: enough to tell a journal's bytes from a file's.
struct Checksum {
    std::uint64_t value = 0xCBF29CE484222325ULL;
    void Add(std::string_view bytes)
    {
        for (char c : bytes) {
            value ^= static_cast<unsigned char>(c);
            value *= 0x100000001B3ULL;
        }
    }
};

// The checksum of the first `size` bytes of the open file; false when
// they cannot all be read.
bool ChecksumOf(int fd, std::uint64_t size, std::uint64_t& sum)
{
    Checksum checksum;
    const auto buffer = std::make_unique_for_overwrite<char[]>(Chunk);
    for (std::uint64_t at = 0; at < size;) {
        const ssize_t got = ::pread(fd, buffer.get(), static_cast<std::size_t>(std::min<std::uint64_t>(Chunk, size - at)),
                                    static_cast<off_t>(at));
        if (got <= 0)
            return false;
        checksum.Add({buffer.get(), static_cast<std::size_t>(got)});
        at += static_cast<std::uint64_t>(got);
    }
    sum = checksum.value;
    return true;
}

void SyncFolder(const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::filesystem::path CacheFolder()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        return std::filesystem::path(cache) / "zelvane";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".cache" / "zelvane";
}

std::filesystem::path BesideName(const std::filesystem::path& target)
{
    return target.parent_path() / ("." + target.filename().string() + std::string(Suffix));
}

std::filesystem::path CacheName(const struct stat& info)
{
    return CacheFolder() / (std::to_string(info.st_dev) + "-" + std::to_string(info.st_ino) + std::string(Suffix));
}

// What a journal's trailer says.
struct Trailer {
    std::string path;
    std::uint64_t device = 0, inode = 0, size = 0, checksum = 0;
};

std::string Field(std::string_view name, std::uint64_t value)
{
    return std::string(name) + " " + std::to_string(value) + "\n";
}

// Reads the trailer of the open journal; false for one never completed.
bool ReadTrailer(int fd, Trailer& trailer)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || static_cast<std::size_t>(info.st_size) < LastLineLength)
        return false;
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);
    char last[LastLineLength];
    if (::pread(fd, last, LastLineLength, static_cast<off_t>(fileSize - LastLineLength)) != static_cast<ssize_t>(LastLineLength)
        || std::string_view(last, 8) != "trailer ")
        return false;
    std::uint64_t length = 0;
    if (std::from_chars(last + 8, last + 18, length).ec != std::errc{} || length > fileSize || length > (1u << 16))
        return false;
    std::string text(static_cast<std::size_t>(length), '\0');
    if (::pread(fd, text.data(), text.size(), static_cast<off_t>(fileSize - length)) != static_cast<ssize_t>(length)
        || !text.starts_with(Magic))
        return false;
    std::string_view rest = std::string_view(text).substr(Magic.size());
    auto number = [&](std::string_view name, std::uint64_t& value) {
        if (!rest.starts_with(name) || rest.size() <= name.size())
            return false;
        rest.remove_prefix(name.size() + 1);
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
        if (error != std::errc{} || end == rest.data() + rest.size() || *end != '\n')
            return false;
        rest.remove_prefix(static_cast<std::size_t>(end - rest.data()) + 1);
        return true;
    };
    std::uint64_t pathLength = 0;
    if (!number("path", pathLength) || pathLength + 1 > rest.size())
        return false;
    trailer.path.assign(rest.substr(0, static_cast<std::size_t>(pathLength)));
    rest.remove_prefix(static_cast<std::size_t>(pathLength) + 1);
    if (!number("device", trailer.device) || !number("inode", trailer.inode) || !number("size", trailer.size)
        || !number("checksum", trailer.checksum) || trailer.size + length != fileSize)
        return false;
    std::uint64_t sum = 0;
    return ChecksumOf(fd, trailer.size, sum) && sum == trailer.checksum;
}

} // namespace

std::filesystem::path JournalPath(const std::filesystem::path& target)
{
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const std::filesystem::path beside = BesideName(target);
    if (beside.filename().string().size() <= NAME_MAX && ::access(folder.c_str(), W_OK) == 0)
        return beside;
    struct stat info {};
    ::stat(target.c_str(), &info);
    return CacheName(info);
}

int WriteJournal(const std::filesystem::path& target, const std::function<int(int fd, std::uint64_t& written)>& content,
                 std::filesystem::path& journal)
{
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0)
        return errno;
    journal = JournalPath(target);
    std::error_code ignored;
    if (journal.parent_path() != (target.has_parent_path() ? target.parent_path() : "."))
        std::filesystem::create_directories(journal.parent_path(), ignored);
    const int fd = ::open(journal.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno;
    std::uint64_t written = 0;
    int error = content(fd, written);
    std::uint64_t sum = 0;
    if (!error && !ChecksumOf(fd, written, sum))
        error = EIO;
    if (!error) {
        const std::string path = target.string();
        std::string trailer = std::string(Magic) + Field("path", path.size()) + path + "\n"
                              + Field("device", static_cast<std::uint64_t>(info.st_dev))
                              + Field("inode", static_cast<std::uint64_t>(info.st_ino)) + Field("size", written)
                              + Field("checksum", sum);
        char last[LastLineLength + 1];
        std::snprintf(last, sizeof last, "trailer %010zu\n", trailer.size() + LastLineLength);
        trailer += last;
        error = WriteAllAt(fd, trailer, static_cast<off_t>(written));
        if (!error && ::ftruncate(fd, static_cast<off_t>(written + trailer.size())) != 0)
            error = errno;
    }
    if (!error && ::fsync(fd) != 0)
        error = errno;
    ::close(fd);
    if (error) {
        ::unlink(journal.c_str());
        return error;
    }
    SyncFolder(journal);
    return 0;
}

int CopyJournal(const std::filesystem::path& journal, int fd)
{
    const int from = ::open(journal.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (from < 0)
        return errno;
    Trailer trailer;
    int error = ReadTrailer(from, trailer) ? 0 : EIO;
    if (!error && Hook())
        Hook()(fd);
    const auto buffer = std::make_unique_for_overwrite<char[]>(Chunk);
    for (std::uint64_t at = 0; !error && at < trailer.size;) {
        const ssize_t got = ::pread(from, buffer.get(),
                                    static_cast<std::size_t>(std::min<std::uint64_t>(Chunk, trailer.size - at)),
                                    static_cast<off_t>(at));
        if (got <= 0) {
            error = got < 0 ? errno : EIO;
            break;
        }
        error = WriteAllAt(fd, {buffer.get(), static_cast<std::size_t>(got)}, static_cast<off_t>(at));
        at += static_cast<std::uint64_t>(got);
    }
    ::close(from);
    if (!error && ::ftruncate(fd, static_cast<off_t>(trailer.size)) != 0)
        error = errno;
    if (!error && ::fsync(fd) != 0)
        error = errno;
    return error;
}

JournalState CheckJournal(const std::filesystem::path& target, std::filesystem::path& journal)
{
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return JournalState::None;
    for (const std::filesystem::path& candidate : {BesideName(target), CacheName(info)}) {
        const int fd = ::open(candidate.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        Trailer trailer;
        bool pending = ReadTrailer(fd, trailer) && trailer.device == static_cast<std::uint64_t>(info.st_dev)
                       && trailer.inode == static_cast<std::uint64_t>(info.st_ino);
        ::close(fd);
        if (pending && trailer.size == static_cast<std::uint64_t>(info.st_size)) {
            // The file may hold the new bytes already: the save got that far.
            const int file = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            std::uint64_t sum = 0;
            pending = !(file >= 0 && ChecksumOf(file, trailer.size, sum) && sum == trailer.checksum);
            if (file >= 0)
                ::close(file);
        }
        if (pending) {
            journal = candidate;
            return JournalState::Interrupted;
        }
        ::unlink(candidate.c_str());
    }
    return JournalState::None;
}

FileResult CompleteJournal(const std::filesystem::path& target, const std::filesystem::path& journal)
{
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    int error = fd < 0 ? errno : CopyJournal(journal, fd);
    if (fd >= 0)
        ::close(fd);
    if (error)
        return FileResult::Failure("impossibile completare il salvataggio: " + SystemReason(error));
    ::unlink(journal.c_str());
    return FileResult::Success();
}

void SetJournalHook(std::function<void(int targetFd)> hook)
{
    Hook() = std::move(hook);
}

} // namespace zelvane
