// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/file_io.h"

#include <cerrno>
#include <unistd.h>

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace zelvane {

void Prefault(const void* data, std::size_t size) noexcept
{
    // Faulting in pages one at a time is dear on virtual machines: a
    // 64 MB buffer takes thousands of faults.
#ifdef MADV_POPULATE_WRITE
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto first = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(page - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)size;
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

int WriteAllAt(int fd, std::string_view bytes, off_t offset)
{
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return 0;
}

} // namespace zelvane
