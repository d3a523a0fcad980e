// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/test_files.h"
#include "document/save_journal.h"
#include "document/table_document.h"
#include "document/table_writer.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace zelvane;

namespace {

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;
constexpr gid_t Users = 100;

enum Outcome { Refused, Atomic, InPlace };

const std::string Old = "41=old\r\n";

TableDocument Table(std::size_t bytesPerValue)
{
    TableDocument doc;
    for (TableEntry& entry : doc.Entries)
        entry.Value = std::string(bytesPerValue, 'n');
    return doc;
}

// Runs `work` in a child process, as an unprivileged user when asked (the
// shared group a supplementary one); returns its exit status, or -1.
template<typename Work>
int InChild(bool unprivileged, Work&& work)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const gid_t groups[] = {NoGroup};
        if (unprivileged && (::setgroups(1, groups) != 0 || ::setgid(Users) != 0 || ::setuid(Nobody) != 0))
            ::_exit(99);
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `work` with files limited to `bytes`: a write beyond fails with
// EFBIG instead of killing the process.
template<typename Work>
int WithFileLimit(rlim_t bytes, Work&& work)
{
    return InChild(false, [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return work();
    });
}

ino_t InodeOf(const std::filesystem::path& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class SavingTest : public QObject {
    Q_OBJECT

private slots:
    void targets_data();
    void targets();
    void failing_writes_keep_the_old_bytes();
    void stale_temporaries_of_dead_writers_are_removed();
    void a_save_killed_in_place_leaves_a_journal_that_completes_it();
    void a_journal_that_cannot_be_written_names_its_folder();
};

void SavingTest::targets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("unprivileged"); // saved as nobody: needs root to set up
    QTest::addColumn<int>("outcome");

    QTest::newRow("plain_file_keeps_mode") << "plain" << false << int(Atomic);
    QTest::newRow("symbolic_link_stays_a_link") << "link" << false << int(Atomic);
    QTest::newRow("longest_name") << "long_name" << false << int(Atomic);
    QTest::newRow("table_with_a_line_break") << "line_break" << false << int(Refused);
    QTest::newRow("read_only") << "read_only" << true << int(Refused);
    QTest::newRow("group_shared_keeps_group") << "group_shared" << true << int(Atomic);
    QTest::newRow("hard_linked_written_in_place") << "hard_linked" << false << int(InPlace);
    QTest::newRow("folder_not_writable_in_place") << "locked_folder" << true << int(InPlace);
    QTest::newRow("folder") << "folder" << false << int(Refused);
    QTest::newRow("fifo") << "fifo" << false << int(Refused);
    QTest::newRow("symlink_loop") << "loop" << false << int(Refused);
}

void SavingTest::targets()
{
    QFETCH(QString, kind);
    QFETCH(bool, unprivileged);
    QFETCH(int, outcome);
    if (unprivileged && ::geteuid() != 0)
        QSKIP("needs root to set up files of another user and save as nobody");

    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    std::filesystem::path target = folder / (kind == "long_name" ? std::string(255, 'n') : "t.tbl");
    std::filesystem::path real = target;
    if (unprivileged)
        QCOMPARE(::chmod(folder.c_str(), 0777), 0);
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(target.c_str(), 0666), 0);
    } else if (kind == "loop") {
        std::filesystem::create_symlink("u.tbl", target);
        std::filesystem::create_symlink("t.tbl", folder / "u.tbl");
    } else if (kind == "folder") {
        std::filesystem::create_directory(target);
    } else {
        if (kind == "link") {
            real = folder / "real.tbl";
            std::filesystem::create_symlink("real.tbl", target);
        }
        test::WriteBytes(real, Old);
        QCOMPARE(::chmod(real.c_str(), 0640), 0);
    }
    // Extended attributes (ACLs among them) stay, where the file system has them.
    const bool attributes = ::setxattr(real.c_str(), "user.zelvane", "kept", 4, 0) == 0;
    if (kind == "read_only") {
        QCOMPARE(::chown(target.c_str(), Nobody, NoGroup), 0);
        QCOMPARE(::chmod(target.c_str(), 0444), 0);
    } else if (kind == "group_shared") {
        QCOMPARE(::chown(target.c_str(), 0, NoGroup), 0);
        QCOMPARE(::chmod(target.c_str(), 0664), 0);
    } else if (kind == "hard_linked") {
        std::filesystem::create_hard_link(target, folder / "other.tbl");
    } else if (kind == "locked_folder") {
        QCOMPARE(::chown(target.c_str(), Nobody, NoGroup), 0);
        QCOMPARE(::chmod(folder.c_str(), 0555), 0);
    }
    const std::vector<std::string> before = test::FolderListing(folder);
    const ino_t inode = InodeOf(real);
    struct stat old {};
    ::stat(real.c_str(), &old);

    TableDocument doc = Table(3);
    if (kind == "line_break")
        doc.Entries[0x42].Value = "a\nb";
    // An in-place save keeps its journal in the cache when the folder is
    // not writable; it is gone once the file is whole.
    QTemporaryDir cache;
    QCOMPARE(::chmod(cache.path().toLocal8Bit().constData(), 0777), 0);
    const int status = InChild(unprivileged, [&] {
        ::setenv("XDG_CACHE_HOME", cache.path().toLocal8Bit().constData(), 1);
        const FileResult result = SaveTable(doc, target);
        // FileName follows the save, and only a successful one.
        return (doc.FileName == target.string()) == bool(result) ? int(!result) : 2;
    });
    ::chmod(folder.c_str(), 0700);
    QCOMPARE(status, outcome == Refused ? 1 : 0);
    if (outcome == Refused) {
        QCOMPARE(InodeOf(real), inode);
        if (kind == "read_only" || kind == "line_break")
            QCOMPARE(test::ReadBytes(target), Old);
        QCOMPARE(test::FolderListing(folder), before);
        return;
    }
    std::string written;
    QVERIFY(FormatTable(doc, written));
    QCOMPARE(test::ReadBytes(real), written);
    QCOMPARE(InodeOf(real) == inode, outcome == InPlace);
    QCOMPARE(test::FolderListing(folder), before);
    QVERIFY(!std::filesystem::exists(cache.path().toStdString() + "/zelvane")
            || std::filesystem::is_empty(cache.path().toStdString() + "/zelvane"));
    if (kind == "hard_linked")
        QCOMPARE(test::ReadBytes(folder / "other.tbl"), written);
    struct stat now {};
    QCOMPARE(::stat(real.c_str(), &now), 0);
    QCOMPARE(now.st_mode & 07777, old.st_mode & 07777);
    QCOMPARE(now.st_gid, old.st_gid); // for the shared file: kept though saved by another group's user
    char value[8] = {};
    if (attributes)
        QCOMPARE(::getxattr(real.c_str(), "user.zelvane", value, sizeof value), ssize_t{4});
}

void SavingTest::failing_writes_keep_the_old_bytes()
{
    QTemporaryDir dir;
    const std::filesystem::path target = dir.filePath("t.tbl").toStdString();
    const std::string old(1000, '#');
    for (const bool hardLinked : {false, true}) {
        // Atomic: the disk fills up while writing the temporary file. In
        // place: the write fails part-way over the old bytes.
        test::WriteBytes(target, old);
        if (hardLinked)
            std::filesystem::create_hard_link(target, dir.filePath("other.tbl").toStdString());
        const int status = WithFileLimit(4096, [&] {
            TableDocument doc = Table(64);
            const FileResult result = SaveTable(doc, target);
            return !result && result.message.find("dimensione") != std::string::npos ? 0 : 1;
        });
        QCOMPARE(status, 0);
        QCOMPARE(test::ReadBytes(target), old);
        QCOMPARE(test::FolderListing(dir.path().toStdString()).size(), std::size_t(hardLinked ? 2 : 1));
    }
}

void SavingTest::stale_temporaries_of_dead_writers_are_removed()
{
    QTemporaryDir dir;
    auto path = [&](const char* name) { return dir.filePath(QLatin1String(name)).toStdString(); };
    // Only an unlocked file of the writer's name pattern is stale.
    for (const char* name : {".zelvane-stale1", ".zelvane-live01", ".zelvane-notes.txt"})
        test::WriteBytes(path(name), "x");
    const int live = ::open(path(".zelvane-live01").c_str(), O_RDONLY);
    QCOMPARE(::flock(live, LOCK_EX), 0); // a writer still at work

    TableDocument doc;
    QVERIFY(SaveTable(doc, path("t.tbl")));
    ::close(live);
    QCOMPARE(test::FolderListing(dir.path().toStdString()),
             (std::vector<std::string>{".zelvane-live01", ".zelvane-notes.txt", "t.tbl"}));
}

void SavingTest::a_save_killed_in_place_leaves_a_journal_that_completes_it()
{
    QTemporaryDir dir;
    const std::filesystem::path target = dir.filePath("t.tbl").toStdString();
    const std::filesystem::path other = dir.filePath("other.tbl").toStdString();
    test::WriteBytes(target, Old);
    std::filesystem::create_hard_link(target, other); // written in place
    const TableDocument doc = Table(3);
    std::string expected;
    QVERIFY(FormatTable(doc, expected));
    // Killed once the journal is on disk, after a first piece of the file
    // is written, or after all of it.
    const auto killedAfter = [&](std::string_view written) {
        return InChild(false, [&] {
            SetJournalHook([written](int fd) {
                (void)!::pwrite(fd, written.data(), written.size(), 0);
                (void)!::ftruncate(fd, static_cast<off_t>(written.size()));
                ::_exit(9);
            });
            TableDocument copy = doc;
            (void)SaveTable(copy, target);
            return 0;
        });
    };
    QCOMPARE(killedAfter(std::string_view(expected).substr(0, 100)), 9);
    QCOMPARE(test::ReadBytes(target), expected.substr(0, 100));
    std::filesystem::path journal;
    QCOMPARE(CheckJournal(target, journal), JournalState::Interrupted);
    QCOMPARE(journal, dir.filePath(".t.tbl.zelvane-journal").toStdString());
    QVERIFY(CompleteJournal(target, journal));
    QCOMPARE(test::ReadBytes(other), expected);
    QVERIFY(!std::filesystem::exists(journal));

    // A journal whose file is whole already goes quietly.
    test::WriteBytes(target, Old);
    QCOMPARE(killedAfter(expected), 9);
    QVERIFY(std::filesystem::exists(journal));
    QCOMPARE(CheckJournal(target, journal), JournalState::None);
    QVERIFY(!std::filesystem::exists(journal));

    // The ordinary rename path writes no journal.
    std::filesystem::remove(other);
    bool journalled = false;
    SetJournalHook([&](int) { journalled = true; });
    TableDocument copy = doc;
    QVERIFY(SaveTable(copy, target));
    SetJournalHook({});
    QVERIFY(!journalled);

    // A journal whose trailer is intact but whose bytes are damaged is not
    // used: the file stays as the cut-short save left it.
    std::filesystem::create_hard_link(target, other);
    test::WriteBytes(target, Old);
    QCOMPARE(killedAfter(std::string_view(expected).substr(0, 100)), 9);
    std::string damaged = test::ReadBytes(journal);
    damaged[10] ^= 0x20;
    test::WriteBytes(journal, damaged);
    QCOMPARE(CheckJournal(target, journal), JournalState::None);
    QCOMPARE(test::ReadBytes(target), expected.substr(0, 100));
}

void SavingTest::a_journal_that_cannot_be_written_names_its_folder()
{
    QTemporaryDir dir;
    const std::filesystem::path target = dir.filePath("t.tbl").toStdString();
    test::WriteBytes(target, Old);
    std::filesystem::create_hard_link(target, dir.filePath("other.tbl").toStdString()); // written in place
    std::filesystem::permissions(dir.path().toStdString(), std::filesystem::perms(0755));
    std::filesystem::permissions(target, std::filesystem::perms(0666));
    // The folder is not the user's, and the cache cannot be made.
    const int status = InChild(true, [&] {
        ::setenv("XDG_CACHE_HOME", "/proc/zelvane-cache", 1);
        TableDocument doc = Table(1);
        const FileResult result = SaveTable(doc, target);
        const bool named = result.message.find("/proc/zelvane-cache") != std::string::npos
                           && result.message.find("XDG_CACHE_HOME") != std::string::npos;
        return !result && named ? 0 : 1;
    });
    QCOMPARE(status, 0);
    QCOMPARE(test::ReadBytes(target), Old);
}

QTEST_APPLESS_MAIN(SavingTest)
#include "tst_saving.moc"
