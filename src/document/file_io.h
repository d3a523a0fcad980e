// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <sys/uio.h>
#include <sys/types.h>

namespace zelvane {

// Reads up to `size` bytes from the start of the file into `data`, fewer
// when the file is shorter; `done` is what was read. 0 or the errno.
[[nodiscard]] int ReadFromStart(int fd, char* data, std::size_t size, std::size_t& done);

// Writes all of `bytes` at `offset`, whatever the system takes per call.
// 0 or the errno.
[[nodiscard]] int WriteAllAt(int fd, std::string_view bytes, off_t offset);

// The same for pieces written one after the other; the pieces are used up.
[[nodiscard]] int WritePiecesAt(int fd, std::span<iovec> pieces, off_t offset);

// Asks the system to start writing the range to disk now, without waiting
// for it, so that the fsync at the end finds most of the file already
// there; where the system cannot, nothing. A hint: it reports nothing.
void StartWriteback(int fd, off_t offset, off_t length) noexcept;

// Makes the pages of `data` resident before they are written, in one call
// rather than one fault per page; where the system cannot, nothing.
void Prefault(const void* data, std::size_t size) noexcept;

} // namespace zelvane
