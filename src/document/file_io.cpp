// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/file_io.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace zelvane {

void StartWriteback(int fd, off_t offset, off_t length) noexcept
{
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)offset;
    (void)length;
#endif
}

void Prefault(const void* data, std::size_t size) noexcept
{
    // Faulting in pages one at a time is dear, on virtual machines most of
    // all: a 64 MB buffer takes 16,384 faults of 4 KB pages, 32 of huge ones.
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const auto end = begin + size;
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t HugePage = std::uintptr_t{2} << 20;
    const auto hugeFirst = (begin + HugePage - 1) & ~(HugePage - 1);
    const auto hugeLast = end & ~(HugePage - 1);
    if (hugeLast > hugeFirst)
        ::madvise(reinterpret_cast<void*>(hugeFirst), hugeLast - hugeFirst, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    const auto first = (begin + page - 1) & ~(page - 1);
    const auto last = end & ~(page - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
    (void)page;
    (void)end;
#endif
}

int ReadFromStart(int fd, char* data, std::size_t size, std::size_t& done)
{
    done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, data + done, size - done, static_cast<off_t>(done));
        if (got == 0)
            return 0;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<std::size_t>(got);
    }
    return 0;
}

int WritePiecesAt(int fd, std::span<iovec> pieces, off_t offset)
{
    std::size_t next = 0;
    while (next < pieces.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(pieces.size() - next, IOV_MAX));
        const ssize_t written = ::pwritev(fd, pieces.data() + next, count, offset);
        if (written <= 0) {
            if (written < 0 && errno == EINTR)
                continue;
            return written == 0 ? EIO : errno;
        }
        offset += written;
        // Past the pieces written whole; into the one written in part.
        for (auto done = static_cast<std::size_t>(written); done > 0;) {
            iovec& piece = pieces[next];
            const std::size_t step = std::min(done, piece.iov_len);
            piece.iov_base = static_cast<char*>(piece.iov_base) + step;
            piece.iov_len -= step;
            done -= step;
            if (piece.iov_len == 0)
                ++next;
        }
        while (next < pieces.size() && pieces[next].iov_len == 0)
            ++next;
    }
    return 0;
}

int WriteAllAt(int fd, std::string_view bytes, off_t offset)
{
    iovec piece{const_cast<char*>(bytes.data()), bytes.size()};
    return WritePiecesAt(fd, std::span(&piece, 1), offset);
}

} // namespace zelvane
