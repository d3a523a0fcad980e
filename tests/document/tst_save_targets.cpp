#include "common/test_files.h"
#include "document/table_document.h"
#include "document/table_writer.h"

#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

using namespace zelvane;

namespace {

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;
constexpr gid_t Users = 100;

enum Outcome { Refused, Atomic, InPlace };

const std::string Old = "41=old\r\n";
const std::string New = "41=new\r\n";

// Runs `work` in a child process, as the unprivileged user when asked;
// returns its exit status, or -1.
template<typename Work>
int InChild(bool unprivileged, Work&& work)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (unprivileged) {
            // Another primary group, with the shared one as a supplementary.
            const gid_t groups[] = {NoGroup};
            if (::setgroups(1, groups) != 0 || ::setgid(Users) != 0 || ::setuid(Nobody) != 0)
                ::_exit(99);
        }
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Save(const std::filesystem::path& path)
{
    TableDocument doc;
    doc.Entries[0x41].Value = "new";
    const FileResult result = SaveTable(doc, path);
    if (!result)
        std::fprintf(stderr, "%s\n", result.message.c_str());
    return result ? 0 : 1;
}

ino_t InodeOf(const std::filesystem::path& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class SaveTargetsTest : public QObject {
    Q_OBJECT

private slots:
    void targets_data();
    void targets();
    void in_place_failure_restores_old_bytes();
};

void SaveTargetsTest::targets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("unprivileged"); // run as nobody: needs root to set up
    QTest::addColumn<int>("outcome");

    QTest::newRow("plain_file") << "plain" << false << int(Atomic);
    QTest::newRow("read_only") << "read_only" << true << int(Refused);
    QTest::newRow("group_shared_keeps_group") << "group_shared" << true << int(Atomic);
    QTest::newRow("hard_linked_written_in_place") << "hard_linked" << false << int(InPlace);
    QTest::newRow("folder_not_writable_in_place") << "locked_folder" << true << int(InPlace);
    QTest::newRow("fifo") << "fifo" << false << int(Refused);
    QTest::newRow("socket") << "socket" << false << int(Refused);
    QTest::newRow("symlink_loop") << "loop" << false << int(Refused);
    QTest::newRow("longest_name") << "long_name" << false << int(Atomic);
}

void SaveTargetsTest::targets()
{
    QFETCH(QString, kind);
    QFETCH(bool, unprivileged);
    QFETCH(int, outcome);
    if (unprivileged && ::geteuid() != 0)
        QSKIP("needs root to set up files of another user and run the save as nobody");

    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    std::filesystem::path target = folder / "t.tbl";
    if (unprivileged)
        QCOMPARE(::chmod(folder.c_str(), 0777), 0);
    if (kind == "long_name")
        target = folder / std::string(255, 'n');
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(target.c_str(), 0666), 0);
    } else if (kind == "socket") {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, target.c_str(), sizeof address.sun_path - 1);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    } else if (kind == "loop") {
        std::filesystem::create_symlink("u.tbl", target);
        std::filesystem::create_symlink("t.tbl", folder / "u.tbl");
    } else {
        test::WriteBytes(target, Old);
    }
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
    const ino_t before = InodeOf(target);

    const int status = InChild(unprivileged, [&] { return Save(target); });
    ::chmod(folder.c_str(), 0700);
    QCOMPARE(status, outcome == Refused ? 1 : 0);
    if (outcome == Refused) {
        QCOMPARE(InodeOf(target), before);
        if (kind == "read_only")
            QCOMPARE(test::ReadBytes(target), Old);
        return;
    }
    QCOMPARE(test::ReadBytes(target), New);
    QCOMPARE(InodeOf(target) == before, outcome == InPlace);
    if (kind == "hard_linked")
        QCOMPARE(test::ReadBytes(folder / "other.tbl"), New);
    if (kind == "group_shared") {
        struct stat info {};
        QCOMPARE(::stat(target.c_str(), &info), 0);
        QCOMPARE(info.st_gid, NoGroup);
        QCOMPARE(info.st_mode & 07777, 0664u);
    }
    QCOMPARE(std::distance(std::filesystem::directory_iterator(folder), {}), kind == "hard_linked" ? 2 : 1);
}

void SaveTargetsTest::in_place_failure_restores_old_bytes()
{
    QTemporaryDir dir;
    const std::filesystem::path target = dir.filePath("t.tbl").toStdString();
    const std::string old(1000, '#');
    test::WriteBytes(target, old);
    std::filesystem::create_hard_link(target, dir.filePath("other.tbl").toStdString());

    // The file may grow to 4 KB: the new table, four times that, fails
    // part-way through.
    const int status = InChild(false, [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TableDocument doc;
        doc.Entries[0x41].Value = std::string(16384, 'x');
        return SaveTable(doc, target) ? 0 : 1;
    });
    QCOMPARE(status, 1);
    QCOMPARE(test::ReadBytes(target), old);
}

QTEST_APPLESS_MAIN(SaveTargetsTest)
#include "tst_save_targets.moc"
