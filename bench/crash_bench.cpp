// SPDX-License-Identifier: GPL-3.0-or-later
// Kills a save at a random moment (SIGKILL), 100 times on each path, and
// looks at what is left: the old file whole, the new one whole, or a torn
// file; for a torn file written in place, whether its journal holds the
// whole new file (and completes the save). A table of a million lines.

#include "document/save_journal.h"
#include "document/table_document.h"
#include "document/table_reader.h"
#include "document/table_writer.h"
#include "measures.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Tally {
    int oldWhole = 0, newWhole = 0, torn = 0, journalled = 0, journalLeft = 0;
};

Tally Run(const std::filesystem::path& folder, const std::string& oldBytes, const std::string& newBytes, bool inPlace)
{
    const std::filesystem::path target = folder / "t.tbl";
    const std::filesystem::path link = folder / "link.tbl";
    // Kills land anywhere from the start of the save to a little after its
    // usual end, timed once on this path.
    std::filesystem::remove(link);
    std::ofstream(target, std::ios::binary | std::ios::trunc).write(oldBytes.data(), std::streamsize(oldBytes.size()));
    if (inPlace)
        std::filesystem::create_hard_link(target, link);
    zelvane::TableDocument timed;
    if (!zelvane::LoadTable(timed, target))
        std::exit(1);
    timed.Entries[0x41].Value = "changed";
    const auto start = bench::Clock::now();
    if (!zelvane::SaveTable(timed, target))
        std::exit(1);
    const double seconds = bench::SecondsSince(start);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> delay(0, static_cast<int>(seconds * 1.2e6));
    Tally tally;
    for (int round = 0; round < 100; ++round) {
        std::filesystem::remove(link);
        std::ofstream(target, std::ios::binary | std::ios::trunc).write(oldBytes.data(), std::streamsize(oldBytes.size()));
        if (inPlace)
            std::filesystem::create_hard_link(target, link);
        int ready[2];
        if (::pipe(ready) != 0)
            std::exit(1);
        const pid_t child = ::fork();
        if (child == 0) {
            zelvane::TableDocument document;
            if (!zelvane::LoadTable(document, target))
                std::_Exit(1);
            document.Entries[0x41].Value = "changed";
            (void)!::write(ready[1], "r", 1);
            (void)zelvane::SaveTable(document, target);
            std::_Exit(0);
        }
        char byte = 0;
        (void)!::read(ready[0], &byte, 1);
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        const std::string now = bench::ReadFile(target);
        tally.journalLeft += std::filesystem::exists(folder / ".t.tbl.zelvane-journal");
        if (now == oldBytes) {
            ++tally.oldWhole;
        } else if (now == newBytes) {
            ++tally.newWhole;
        } else {
            ++tally.torn;
            std::filesystem::path journal;
            if (zelvane::CheckJournal(target, journal) == zelvane::JournalState::Interrupted
                && zelvane::CompleteJournal(target, journal) && bench::ReadFile(target) == newBytes)
                ++tally.journalled;
        }
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
            if (entry.path().filename().string().starts_with("."))
                std::filesystem::remove(entry.path(), ignored);
    }
    return tally;
}

} // namespace

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zelvane-bench-crash";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::filesystem::path made = bench::MakeTable(folder, 20u << 20); // about a million lines
    const std::string oldBytes = bench::ReadFile(made);
    std::filesystem::remove(made);
    zelvane::TableDocument document;
    if (!zelvane::ParseTable(document, oldBytes))
        return 1;
    document.Entries[0x41].Value = "changed";
    if (!zelvane::SaveTable(document, folder / "new.tbl"))
        return 1;
    const std::string newBytes = bench::ReadFile(folder / "new.tbl");
    std::filesystem::remove(folder / "new.tbl");

    std::printf("| path | old file whole | new file whole | torn | torn, and the journal completes the save | a journal left (offered when the file is opened) |\n|---|---|---|---|---|---|\n");
    for (const bool inPlace : {false, true}) {
        const Tally tally = Run(folder, oldBytes, newBytes, inPlace);
        std::printf("| %s | %d | %d | %d | %d | %d |\n", inPlace ? "written in place (a hard-linked file)" : "written beside and renamed",
                    tally.oldWhole, tally.newWhole, tally.torn, tally.journalled, tally.journalLeft);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
