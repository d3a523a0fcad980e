// SPDX-License-Identifier: GPL-3.0-or-later
#include <QProcess>
#include <QTest>

// The program's own options, run as a user runs them, without a display.
class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void options_data();
    void options();
};

void CommandLineTest::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("help") << QStringList{"--help"} << 0 << "Uso: zelvane [OPZIONE] [FILE]" << "";
    QTest::newRow("short help after a file") << QStringList{"a.tbl", "-h"} << 0 << "--version" << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "Zelvane 0.9\n" << "";
    QTest::newRow("unknown option") << QStringList{"--colore"} << 2 << "" << "opzione sconosciuta: --colore";
    QTest::newRow("two files") << QStringList{"a.tbl", "b.tbl"} << 2 << "" << "un solo file";
    QTest::newRow("a file named like an option") << QStringList{"--", "-x.tbl"} << 1 << "" << "nessun display";
    QTest::newRow("no display") << QStringList{} << 1 << "" << "nessun display";
}

void CommandLineTest::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(ZELVANE_EXECUTABLE), arguments);
    QVERIFY(program.waitForFinished());
    const QString standardOut = QString::fromUtf8(program.readAllStandardOutput());
    const QString standardError = QString::fromUtf8(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(out.isEmpty() ? standardOut.isEmpty() : standardOut.contains(out), qPrintable(standardOut));
    QVERIFY2(err.isEmpty() ? standardError.isEmpty() : standardError.contains(err), qPrintable(standardError));
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
