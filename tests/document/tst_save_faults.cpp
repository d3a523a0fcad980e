#include "common/test_files.h"
#include "document/table_document.h"
#include "document/table_writer.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <random>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zelvane;

namespace {

// A table of some megabytes, so that a save takes a while.
TableDocument LargeTable(char fill)
{
    TableDocument doc;
    for (std::size_t code = 0; code < CodeCount; ++code)
        doc.Entries[code].Value = std::string(16 * 1024, static_cast<char>(fill + code % 7));
    doc.ExtraLines = {std::string(1000, '#')};
    doc.Bookmarks[0] = {0x100, std::string(1000, fill)};
    return doc;
}

std::string Bytes(const TableDocument& doc)
{
    std::string bytes;
    if (!FormatTable(doc, bytes))
        qFatal("cannot format");
    return bytes;
}

// Runs `work` in a child process and returns its exit status, or -1 when
// it did not exit normally.
template<typename Work>
int InChild(Work&& work)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(work());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

class SaveFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void out_of_room_keeps_old_file();
    void killed_while_saving_leaves_old_or_new();
    void stale_temporaries_of_dead_writers_are_removed();
};

void SaveFaultsTest::out_of_room_keeps_old_file()
{
    QTemporaryDir dir;
    const std::filesystem::path target = dir.filePath("t.tbl").toStdString();
    const std::string old = "41=old\r\n";
    test::WriteBytes(target, old);

    const int status = InChild([&] {
        // Files may grow to 64 KB only; the write beyond fails with EFBIG
        // instead of killing the process.
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
        TableDocument doc = LargeTable('a');
        const FileResult result = SaveTable(doc, target);
        if (result)
            return 1;
        if (doc.FileName != UntitledName)
            return 2;
        return result.message.find("dimensione") != std::string::npos ? 0 : 3;
    });
    QCOMPARE(status, 0);
    QCOMPARE(test::ReadBytes(target), old);
    QCOMPARE(test::FolderListing(dir.path().toStdString()), std::vector<std::string>{"t.tbl"});
}

void SaveFaultsTest::killed_while_saving_leaves_old_or_new()
{
    QTemporaryDir dir;
    const std::filesystem::path target = dir.filePath("t.tbl").toStdString();
    const TableDocument oldTable = LargeTable('a');
    const TableDocument newTable = LargeTable('n');
    const std::string oldBytes = Bytes(oldTable);
    const std::string newBytes = Bytes(newTable);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> delay(0, 20000);

    for (int round = 0; round < 30; ++round) {
        TableDocument restore = oldTable;
        QVERIFY(SaveTable(restore, target));

        // The writer saves the new and the old table in turn, and says when
        // its first save is done; it is killed some moment after that.
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            TableDocument tables[] = {newTable, oldTable};
            for (unsigned save = 0;; ++save) {
                (void)SaveTable(tables[save % 2], target);
                if (save == 0)
                    (void)!::write(ready[1], "x", 1);
            }
        }
        ::close(ready[1]);
        char byte = 0;
        QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
        ::close(ready[0]);
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);

        const std::string now = test::ReadBytes(target);
        QVERIFY2(now == oldBytes || now == newBytes, qPrintable(QString("round %1: a mix").arg(round)));
        // Only a kill between naming the finished file and the rename can
        // leave one behind, and then it is complete.
        for (const std::string& name : test::FolderListing(dir.path().toStdString())) {
            if (name == "t.tbl")
                continue;
            const std::string left = test::ReadBytes(dir.filePath(QString::fromStdString(name)).toStdString());
            QVERIFY(left == oldBytes || left == newBytes);
        }
    }

    // The next save clears whatever a killed writer left.
    TableDocument doc = oldTable;
    QVERIFY(SaveTable(doc, target));
    QCOMPARE(test::FolderListing(dir.path().toStdString()), std::vector<std::string>{"t.tbl"});
}

void SaveFaultsTest::stale_temporaries_of_dead_writers_are_removed()
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

QTEST_APPLESS_MAIN(SaveFaultsTest)
#include "tst_save_faults.moc"
