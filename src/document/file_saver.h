// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/file_result.h"
#include "document/file_stamp.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace zelvane {

// How the bytes reached the disk.
enum class SaveMethod {
    Replaced, // a complete new file renamed over the old one: all or nothing
    InPlace,  // written over the old file, whose old bytes return on failure
};

struct SaveOutcome {
    FileResult result;
    SaveMethod method = SaveMethod::Replaced;
    FileStamp stamp; // of the file as written, on success
};

// Writes a file's whole content into the open file `fd` from its start:
// 0 or the errno, and in `written` the number of bytes. `method` tells
// whether `fd` is a new file (whatever is written there may be thrown
// away) or the old file itself, which the writer may refuse to touch by
// returning ECANCELED before writing anything.
using ContentWriter = std::function<int(int fd, SaveMethod method, std::uint64_t& written)>;

// Puts what `write` writes into the file `path` names, a symbolic link
// followed to its target. Normally a temporary file beside it is written,
// flushed and renamed over it, keeping the old file's mode, owner (else
// group), extended attributes and ACLs. Where a rename would split hard
// links or cannot work (a bind-mounted file, a folder the user may not
// write, another file system), the file is written in place and flushed,
// and if that fails part-way its old bytes are written back; `write` is
// then called a second time. A file the user may not write, and anything
// but a regular file, is refused untouched.
[[nodiscard]] SaveOutcome SaveFileSafely(const std::filesystem::path& path, const ContentWriter& write);

} // namespace zelvane
