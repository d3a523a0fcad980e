// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/file_result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace zelvane {

// Before a file is written in place, the whole new file is flushed to a
// journal: beside the file as ".NAME.zelvane-journal" when its folder is
// writable, else in $XDG_CACHE_HOME/zelvane/ (~/.cache/zelvane/) named after
// the file's device and inode. The journal holds the new bytes, then a
// trailer naming the file (path, device, inode) with the size and a
// checksum of those bytes. It is removed once the file is complete on disk,
// so at any moment one whole copy, old or new, exists.

// Where the journal of the file `target` (an existing regular file, links
// followed) is kept.
[[nodiscard]] std::filesystem::path JournalPath(const std::filesystem::path& target);

// Writes `content` (a writer of the new bytes into an open file from its
// start: 0 or the errno) to the target's journal with its trailer, and
// flushes it and its folder; 0 or the errno. `journal` is where it went.
[[nodiscard]] int WriteJournal(const std::filesystem::path& target,
                               const std::function<int(int fd, std::uint64_t& written)>& content,
                               std::filesystem::path& journal);

// Copies the journal's bytes over the open file `fd` from its start, cuts
// the file there and flushes it; 0 or the errno.
[[nodiscard]] int CopyJournal(const std::filesystem::path& journal, int fd);

// What a journal left beside a file means when the file is opened.
enum class JournalState {
    None,        // no journal, or one that was stale and is gone now
    Interrupted, // a save was cut short: the journal holds the whole new file
};

// Looks for the journal of `target`. One that holds what the file holds
// already, that names another file, or that was never completed is removed
// quietly. `journal` names an interrupted one.
[[nodiscard]] JournalState CheckJournal(const std::filesystem::path& target, std::filesystem::path& journal);

// Completes an interrupted save: the journal's bytes written over the file
// in place, then the journal removed.
[[nodiscard]] FileResult CompleteJournal(const std::filesystem::path& target, const std::filesystem::path& journal);

// For tests: called once a journal is on disk, before the file itself is
// written; a test kills the process there.
void SetJournalHook(std::function<void(int targetFd)> hook);

} // namespace zelvane
