// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// zelvane-script run as a user runs it: its exit status, what it writes
// and what it never writes.
class ScriptToolTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void runs_data();
    void runs();

private:
    QTemporaryDir m_dir;
};

void ScriptToolTest::initTestCase()
{
    // "HI<END>" and "A<END>" behind two 16-bit pointers at 0.
    const auto write = [this](const char* name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("game.bin", QByteArray("\x04\x00\x07\x00" "HI\x00" "A\x00", 9));
    write("game.tbl", "41=A\n48=H\n49=I\n/00\n");
    write("ok.txt", "#VAR(Table, TABLE)\n#ADDTBL(\"game.tbl\", Table)\n#ACTIVETBL(Table)\n#VAR(Ptr, CUSTOMPOINTER)\n"
                    "#CREATEPTR(Ptr, \"LINEAR\", $0, 16)\n#JMP($4)\n#WRITE(Ptr, $0)\nAH<END>\n#WRITE(Ptr, $2)\nI<END>\n");
    write("over.txt", "#VAR(Table, TABLE)\n#ADDTBL(\"game.tbl\", Table)\n#ACTIVETBL(Table)\n#JMP($4, $7)\nHIHI<END>\nHZ\n");
}

void ScriptToolTest::runs_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");      // a part of standard output
    QTest::addColumn<QString>("err");      // a part of standard error
    QTest::addColumn<QString>("written");  // a file that must exist after, or not ("!name")
    const QString block = QStringLiteral("pointers=0,count=2");
    QTest::newRow("dump") << QStringList{"dump", "game.bin", "--table", "game.tbl", "--block", block} << 0
                          << "#WRITE(Ptr1, $0)\nHI<END>\n#WRITE(Ptr1, $2)\nA<END>\n" << "" << "";
    QTest::newRow("insert_with_patches") << QStringList{"insert", "game.bin", "--script", "ok.txt", "--output", "new.bin", "--ips", "p.ips", "--bps", "p.bps"}
                                         << 0 << "regione $4: 5 byte" << "" << "p.bps";
    QTest::newRow("errors_write_nothing") << QStringList{"insert", "game.bin", "--script", "over.txt", "--output", "bad.bin", "--ips", "bad.ips"}
                                          << 1 << "" << "over.txt:6: column 2" << "!bad.bin";
    QTest::newRow("every_error_listed") << QStringList{"insert", "game.bin", "--script", "over.txt", "--output", "bad.bin"}
                                        << 1 << "" << "over.txt:5: " << "!bad.ips";
    QTest::newRow("never_over_the_input") << QStringList{"insert", "game.bin", "--script", "ok.txt", "--output", "game.bin"} << 1 << ""
                                          << "non si sovrascrive" << "";
    QTest::newRow("pointer_outside") << QStringList{"dump", "game.bin", "--table", "game.tbl", "--block", "pointers=0,count=3"} << 1
                                     << "" << "slot 2" << "";
    QTest::newRow("pointers") << QStringList{"pointers", "game.bin", "--table", "game.tbl", "--to", "$7"} << 0
                              << "pointers=0x0,count=2,bits=16,endian=little,stride=2,map=LINEAR" << "" << "";
    QTest::newRow("coverage") << QStringList{"coverage", "game.bin", "--table", "game.tbl", "--block", block} << 0
                              << "bytes: 5\ntext: 3\ncontrol: 2\nunknown: 0\n" << "" << "";
    QTest::newRow("usage") << QStringList{"dump", "game.bin"} << 2 << "" << "manca --table" << "";
}

void ScriptToolTest::runs()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, written);
    QProcess tool;
    tool.setWorkingDirectory(m_dir.path());
    tool.start(QStringLiteral(ZELVANE_SCRIPT), arguments);
    QVERIFY(tool.waitForFinished());
    const QString standardOut = QString::fromUtf8(tool.readAllStandardOutput());
    const QString standardError = QString::fromUtf8(tool.readAllStandardError());
    QCOMPARE(tool.exitCode(), exitCode);
    QVERIFY2(standardOut.contains(out), qPrintable(standardOut));
    QVERIFY2(standardError.contains(err), qPrintable(standardError));
    if (written.startsWith(u'!'))
        QVERIFY(!QFile::exists(m_dir.filePath(written.mid(1))));
    else if (!written.isEmpty())
        QVERIFY(QFile::exists(m_dir.filePath(written)));
}

QTEST_GUILESS_MAIN(ScriptToolTest)
#include "tst_script_tool.moc"
