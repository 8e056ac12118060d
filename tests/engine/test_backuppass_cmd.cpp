#include "Journal.h"
#include "SqlSimulator.h"
#include "TaskFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runCommand(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(ORVELL_BACKUP_PASS_BIN), arguments);
    Run r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

} // namespace

class TestBackupPassCmd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void passes_data();
    void passes();
    void journalProblemFails();
    void usage_data();
    void usage();

private:
    // A new daily task at 00:00, due at whatever time the test runs.
    QString task(const QString &db, const QString &folder) const
    {
        return JoinTaskLine({ db, "0", "0", "", NewTaskMarker, folder, "Type1", "1", "0", "1", "", "0", "", "", "0",
                              "-1", "0", "SRV1", StrConnectToStored(m_sim.oleDbConnectionString()) });
    }

    SqlSimulator m_sim;
    QTemporaryDir m_root;
};

void TestBackupPassCmd::initTestCase()
{
    QVERIFY(m_root.isValid());
    QVERIFY(QDir(m_root.path()).mkpath(QStringLiteral("Backup")));
    m_sim.setFileRoot(m_root.path());
    m_sim.addDatabase(QStringLiteral("Sales"));
    QVERIFY(m_sim.start() != 0);
}

void TestBackupPassCmd::passes_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("printed"); // a printed line starts with its entry

    QTest::newRow("nothing due") << QStringList({ "not a task;" }) << 0 << QStringList();
    QTest::newRow("backed up") << QStringList({ task("Sales", "C:\\Backup") }) << 0
                               << QStringList({ "SIMSRV\tSales\tSuccesfull" });
    QTest::newRow("one fails") << QStringList({ task("Sales", "C:\\Missing"), task("master", "C:\\Backup") }) << 1
                               << QStringList(
                                      { "SIMSRV\tSales\tCannot open backup device", "SIMSRV\tmaster\tSuccesfull" });
}

void TestBackupPassCmd::passes()
{
    QFETCH(QStringList, lines);
    QFETCH(int, exitCode);
    QFETCH(QStringList, printed);
    TempProgramDir dir;
    WriteTaskFile(dir.path(), lines);

    const Run run = runCommand({ QStringLiteral("--dir"), dir.path() });
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    const QStringList out = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(out.size(), printed.size());
    for (qsizetype i = 0; i < out.size(); ++i)
        QVERIFY2(out.at(i).startsWith(printed.at(i)), qPrintable(out.at(i)));
    // The same files as the program: each attempt journalled and recorded.
    QCOMPARE(ReadTaskFile(dir.path()).Lines.size(), lines.size());
    QFile journal(dir.file(JournalFileName));
    if (printed.isEmpty()) {
        QVERIFY(!journal.exists());
    } else {
        QVERIFY(journal.open(QIODevice::ReadOnly));
        QCOMPARE(journal.readAll().count("\r\n"), printed.size());
    }
}

void TestBackupPassCmd::journalProblemFails()
{
    TempProgramDir dir;
    WriteTaskFile(dir.path(), { task("Sales", "C:\\Backup") });
    QVERIFY(QDir(dir.path()).mkdir(JournalFileName));
    const Run run = runCommand({ QStringLiteral("--dir=") + dir.path() });
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.startsWith(QStringLiteral("SIMSRV\tSales\tSuccesfull")), qPrintable(run.out));
    QVERIFY2(run.err.contains(JournalFileName), qPrintable(run.err));
    QCOMPARE(SplitTaskLine(ReadTaskFile(dir.path()).Lines.at(0)).at(fResult), SuccessResult);
}

void TestBackupPassCmd::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    QTest::newRow("help") << QStringList({ "--help" }) << 0 << "--dir";
    QTest::newRow("unknown option") << QStringList({ "--bogus" }) << 2 << "bogus";
    QTest::newRow("folder missing") << QStringList({ "--dir" }) << 2 << "--dir";
    QTest::newRow("no such folder") << QStringList({ "--dir", "/no/such/folder" }) << 2 << "/no/such/folder";
    QTest::newRow("stray argument") << QStringList({ "now" }) << 2 << "now";
}

void TestBackupPassCmd::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    const Run run = runCommand(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? run.out : run.err).contains(says), qPrintable(run.out + run.err));
}

QTEST_GUILESS_MAIN(TestBackupPassCmd)
#include "test_backuppass_cmd.moc"
