// Feeds arbitrary bytes to LoadTable through a file. For every input it
// accepts: writing the table and reading it back gives the same table, and
// writing that again gives the same bytes.

#include "document/table_document.h"
#include "document/table_reader.h"
#include "document/table_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

// A private folder in memory where there is one, removed at exit.
struct WorkFolder {
    std::filesystem::path path;

    WorkFolder()
    {
        const std::filesystem::path shm = "/dev/shm";
        path = (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path())
               / ("zelvane-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
    }
    ~WorkFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "round trip broken: %s\n", what);
    std::abort();
}

// Two tables are the same when they write the same lines: values, the
// special kind (a mark counts only with "/" or "*"), and the slots in use.
bool SameTable(const zelvane::TableDocument& a, const zelvane::TableDocument& b)
{
    for (std::size_t code = 0; code < zelvane::CodeCount; ++code) {
        if (a.Entries[code].Value != b.Entries[code].Value || a.Entries[code].Kind() != b.Entries[code].Kind())
            return false;
    }
    for (std::size_t slot = 0; slot < zelvane::SlotCount; ++slot) {
        if (a.ExtraLines[slot] != b.ExtraLines[slot] || a.Bookmarks[slot].Title != b.Bookmarks[slot].Title)
            return false;
        if (!a.Bookmarks[slot].Title.empty() && a.Bookmarks[slot].Address != b.Bookmarks[slot].Address)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const WorkFolder folder;
    const std::filesystem::path input = folder.path / "input.tbl";
    const std::filesystem::path first = folder.path / "first.tbl";
    const std::filesystem::path second = folder.path / "second.tbl";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    zelvane::TableDocument read;
    if (!zelvane::LoadTable(read, input))
        return 0;
    if (read.FileName != input.string())
        Fail("FileName after a read");

    if (!zelvane::SaveTable(read, first))
        Fail("cannot write a table that was read");
    zelvane::TableDocument again;
    if (!zelvane::LoadTable(again, first))
        Fail("cannot read what was written");
    if (!SameTable(read, again))
        Fail("the table read back differs");
    if (!zelvane::SaveTable(again, second))
        Fail("cannot write the table read back");
    if (ReadAll(first) != ReadAll(second))
        Fail("the second write differs");
    return 0;
}
