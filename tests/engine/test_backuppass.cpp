#include "BackupPass.h"
#include "Clock.h"
#include "DateTimeText.h"
#include "Journal.h"
#include "SqlSimulator.h"
#include "TaskFile.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

Q_DECLARE_METATYPE(DateTimeFormat)

namespace {

const QString ServerNameQuery
    = QStringLiteral("SELECT REPLACE(CONVERT(char(20), SERVERPROPERTY('servername')),'\\','_') as SNAME");

QDateTime at(int day, int h, int m, int s = 0)
{
    return WallClock(QDate(2008, 12, day), QTime(h, m, s));
}

// The simulator, with "C:\" mapped to a temporary folder, and a program folder.
struct Fixture {
    SqlSimulator sim;
    QTemporaryDir root;
    TempProgramDir dir;

    bool start()
    {
        sim.setFileRoot(root.path());
        sim.addDatabase(QStringLiteral("Sales"));
        sim.addDatabase(QStringLiteral("Stock"));
        return root.isValid() && sim.start() != 0;
    }
    // A server folder "C:\name" that exists on the server.
    QString folder(const QString &name)
    {
        QDir(root.path()).mkpath(name);
        return QStringLiteral("C:\\") + name;
    }
    QString connection(const QString &password = QStringLiteral("Secret#1")) const
    {
        return StrConnectToStored(sim.oleDbConnectionString(QStringLiteral("sa"), password));
    }
    // A daily task at 10:00, last run on 24 December.
    QString task(const QString &db, const QString &path, const QString &conn = {}) const
    {
        return JoinTaskLine({ db, "10", "0", DateTimeToText(at(24, 10, 0, 5)), SuccessResult, path, "Type1", "1", "0",
                              "1", "", "1", "30.12.1899", "", "0", "-1", "0", "SRV1",
                              conn.isEmpty() ? connection() : conn });
    }
    void writeTasks(const QStringList &lines) { WriteTaskFile(dir.path(), lines); }
    QStringList tasks() const { return ReadTaskFile(dir.path()).Lines; }
    QList<QStringList> journal() const
    {
        QFile f(dir.file(JournalFileName));
        QList<QStringList> lines;
        if (!f.open(QIODevice::ReadOnly))
            return lines;
        const QByteArray all = f.readAll();
        for (const QByteArray &line : all.split('\n')) {
            if (!line.isEmpty())
                lines << QString::fromUtf8(line.chopped(1)).split(QLatin1Char('\t'));
        }
        return lines;
    }
    bool backupExists(const QString &serverPath) const { return QFileInfo(sim.mapPath(serverPath)).isFile(); }
};

BackupPassReport runPass(const Fixture &f, const Clock &clock, BackupPassOptions options = {})
{
    options.clock = &clock;
    return RunBackupPass(f.dir.path(), options);
}

} // namespace

class TestBackupPass : public QObject
{
    Q_OBJECT

private slots:
    void init() { DateTimeFormat::setCurrent(DateTimeFormat::russian()); }

    void twoDueTasks();
    void refusedLogonIsJournalled();
    void databaseMinusOneIsSkipped();
    void failedBackupStaysOneLine();
    void statementsAndStamp_data();
    void statementsAndStamp();
    void nothingDue();
    void quotedNames();
    void journalCannotBeWritten();
    void connectionDroppedDuringBackup();
    void stopBetweenTasks();
    void secondPassOnTheSameFolderIsSkipped();
    void tasksSavedDuringThePassAreKept();
};

void TestBackupPass::twoDueTasks()
{
    Fixture f;
    QVERIFY(f.start());
    const QString backup = f.folder(QStringLiteral("Backup"));
    // Blanks around the values the pass stores trimmed; fields after the 19th.
    QStringList first = SplitTaskLine(f.task(QStringLiteral(" Sales "), QStringLiteral(" ") + backup + " "));
    first[fHour] = QStringLiteral(" 10");
    first[fMin] = QStringLiteral("0 ");
    first << QStringLiteral("extra1") << QStringLiteral("extra2");
    QStringList unjudgeable = SplitTaskLine(f.task(QStringLiteral("Sales"), backup));
    unjudgeable[fHour] = QStringLiteral("25");
    const QStringList lines { JoinTaskLine(first), JoinTaskLine(unjudgeable),
                              f.task(QStringLiteral("Stock"), backup + "\\") };
    f.writeTasks(lines);

    // Each read of the clock moves it on by a second.
    FixedClock clock(at(25, 10, 0, 0), 1000);
    QList<int> openBeforeTask;
    BackupPassOptions options;
    options.taskStarting = [&](const QString &server, const QString &) {
        QDeadlineTimer deadline(5000);
        while (f.sim.connectionCount() > 0 && !deadline.hasExpired())
            QThread::msleep(5);
        openBeforeTask << f.sim.connectionCount();
        QCOMPARE(server, QStringLiteral("SRV1"));
    };
    const BackupPassReport report = runPass(f, clock, options);
    QVERIFY2(report.problems.isEmpty(), qPrintable(report.problems.join('\n')));
    QVERIFY(report.allSucceeded());
    QCOMPARE(report.attempts.size(), 2);
    // Reconnected for each: the first task's connection was gone before the second.
    QCOMPARE(openBeforeTask, QList<int>({ 0, 0 }));

    // Clock reads: due test, stamp, journal moment, DateLast; then the
    // unjudgeable line's due test.
    const QString salesFile = backup + QStringLiteral("\\SIMSRV_Sales_25.12.2008_10.00.01.bak");
    const QString stockFile = backup + QStringLiteral("\\SIMSRV_Stock_25.12.2008_10.00.06.bak");
    QCOMPARE(f.sim.batches(),
             QStringList({ "DBCC SHRINKDATABASE ([Sales],10)", ServerNameQuery,
                           "BACKUP DATABASE [Sales] TO DISK='" + salesFile + "'", "DBCC SHRINKDATABASE ([Stock],10)",
                           ServerNameQuery, "BACKUP DATABASE [Stock] TO DISK='" + stockFile + "'" }));
    QVERIFY(f.backupExists(salesFile));
    QVERIFY(f.backupExists(stockFile));
    QCOMPARE(f.journal(),
             QList<QStringList>({ { "25.12.2008 10:00:02", SuccessResult, "SIMSRV", "Sales", salesFile },
                                  { "25.12.2008 10:00:07", SuccessResult, "SIMSRV", "Stock", stockFile } }));

    const QStringList after = f.tasks();
    QCOMPARE(after.size(), 3);
    QStringList expected = first;
    expected[fDBName] = QStringLiteral("Sales");
    expected[fHour] = QStringLiteral("10");
    expected[fMin] = QStringLiteral("0");
    expected[fDateLast] = QStringLiteral("25.12.2008 10:00:03");
    expected[fResult] = SuccessResult;
    expected[fPath] = backup + QStringLiteral("\\");
    expected[fOnceType3] = QStringLiteral("0");
    QCOMPARE(SplitTaskLine(after.at(0)), expected);
    QCOMPARE(after.at(1), lines.at(1));
    const QStringList second = SplitTaskLine(after.at(2));
    QCOMPARE(second.at(fDateLast), QStringLiteral("25.12.2008 10:00:08"));
    QCOMPARE(second.at(fPath), backup + QStringLiteral("\\"));
}

void TestBackupPass::refusedLogonIsJournalled()
{
    Fixture f;
    QVERIFY(f.start());
    const QString backup = f.folder(QStringLiteral("Backup"));
    const QStringList lines { f.task(QStringLiteral("Sales"), backup, f.connection(QStringLiteral("wrong"))),
                              f.task(QStringLiteral("Stock"), backup) };
    f.writeTasks(lines);
    FixedClock clock(at(25, 10, 0, 0), 1000);
    const BackupPassReport report = runPass(f, clock);

    QCOMPARE(report.attempts.size(), 2);
    QVERIFY(!report.attempts.at(0).connected);
    QVERIFY(!report.attempts.at(0).succeeded);
    QVERIFY2(report.attempts.at(0).result.contains(QStringLiteral("Login failed")),
             qPrintable(report.attempts.at(0).result));
    QVERIFY(report.attempts.at(1).succeeded);
    QVERIFY(!report.allSucceeded());

    const QStringList after = f.tasks();
    QCOMPARE(after.at(0), lines.at(0)); // still due at the next check
    QCOMPARE(SplitTaskLine(after.at(1)).at(fResult), SuccessResult);
    const QList<QStringList> journal = f.journal();
    QCOMPARE(journal.size(), 2);
    QCOMPARE(journal.at(0).size(), 5);
    QCOMPARE(journal.at(0).at(1), report.attempts.at(0).result);
    QCOMPARE(journal.at(0).mid(2), QStringList({ "SRV1", "Sales", "" }));
    QCOMPARE(journal.at(1).at(3), QStringLiteral("Stock"));
}

void TestBackupPass::databaseMinusOneIsSkipped()
{
    Fixture f;
    QVERIFY(f.start());
    const QStringList lines { f.task(QStringLiteral("-1"), f.folder(QStringLiteral("Backup"))) };
    f.writeTasks(lines);
    FixedClock clock(at(25, 10, 0, 0));
    const BackupPassReport report = runPass(f, clock);
    QVERIFY(report.attempts.isEmpty());
    QVERIFY(report.problems.isEmpty());
    QCOMPARE(f.sim.batches(), QStringList());
    QVERIFY(!QFile::exists(f.dir.file(JournalFileName)));
    QCOMPARE(f.tasks(), lines);

    // It was connected to: with logons refused the attempt shows.
    f.sim.setRefuseLogons(true);
    QCOMPARE(runPass(f, clock).attempts.size(), 1);
}

void TestBackupPass::failedBackupStaysOneLine()
{
    Fixture f;
    QVERIFY(f.start());
    const QString backup = f.folder(QStringLiteral("Backup"));
    const QStringList lines { f.task(QStringLiteral("Sales"), QStringLiteral("C:\\Missing")),
                              f.task(QStringLiteral("Stock"), backup) };
    f.writeTasks(lines);
    // A multi-line error with a ";" for the second task.
    f.sim.failStatement(QStringLiteral("^BACKUP DATABASE \\[Stock\\]"), 3201, 16,
                        QStringLiteral("Cannot open backup device 'x;y'.\r\nOperating system error 5."));
    FixedClock clock(at(25, 10, 0, 0), 1000);
    const BackupPassReport report = runPass(f, clock);
    QCOMPARE(report.attempts.size(), 2);
    QVERIFY(!report.attempts.at(0).succeeded);
    QVERIFY(!report.attempts.at(1).succeeded);

    const QStringList after = f.tasks();
    QCOMPARE(after.size(), 2);
    for (const QString &line : after)
        QCOMPARE(SplitTaskLine(line).size(), TaskFieldCount);
    const QStringList missing = SplitTaskLine(after.at(0));
    QVERIFY2(missing.at(fResult).contains(QStringLiteral("Cannot open backup device"))
                 && missing.at(fResult).contains(QStringLiteral("BACKUP DATABASE is terminating abnormally.")),
             qPrintable(missing.at(fResult)));
    QCOMPARE(missing.at(fDateLast), QStringLiteral("25.12.2008 10:00:03"));
    QCOMPARE(missing.at(fOnceType3), QStringLiteral("0"));
    QCOMPARE(SplitTaskLine(after.at(1)).at(fResult),
             QStringLiteral("Cannot open backup device 'x,y'.  Operating system error 5."));

    const QList<QStringList> journal = f.journal();
    QCOMPARE(journal.size(), 2);
    QCOMPARE(journal.at(0).size(), 5);
    QCOMPARE(journal.at(0).at(1), missing.at(fResult));
    QCOMPARE(journal.at(1).at(1), QStringLiteral("Cannot open backup device 'x;y'.  Operating system error 5."));
}

void TestBackupPass::statementsAndStamp_data()
{
    QTest::addColumn<DateTimeFormat>("format");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("ru") << DateTimeFormat::russian() << at(25, 14, 30, 5) << "25.12.2008_14.30.05.bak";
    QTest::newRow("us") << DateTimeFormat::usEnglish() << at(25, 14, 30, 5) << "12_25_2008_2.30.05_PM.bak";
    QTest::newRow("ru midnight") << DateTimeFormat::russian() << at(26, 0, 0) << "26.12.2008.bak";
    QTest::newRow("us midnight") << DateTimeFormat::usEnglish() << at(26, 0, 0) << "12_26_2008.bak";
}

void TestBackupPass::statementsAndStamp()
{
    QFETCH(DateTimeFormat, format);
    QFETCH(QDateTime, now);
    QFETCH(QString, stamp);
    DateTimeFormat::setCurrent(format);
    Fixture f;
    QVERIFY(f.start());
    f.sim.setServerName(QStringLiteral("SRV"));
    const QString backup = f.folder(QStringLiteral("Backup"));
    // A new daily task at 00:00: due at once.
    QStringList task = SplitTaskLine(f.task(QStringLiteral("master"), backup));
    task[fHour] = QStringLiteral("0");
    task[fResult] = NewTaskMarker;
    f.writeTasks({ JoinTaskLine(task) });

    FixedClock clock(now);
    const BackupPassReport report = runPass(f, clock);
    QCOMPARE(report.attempts.size(), 1);
    const QString file = QStringLiteral("C:\\Backup\\SRV_master_") + stamp;
    QCOMPARE(f.sim.batches(),
             QStringList({ "DBCC SHRINKDATABASE ([master],10)", ServerNameQuery,
                           "BACKUP DATABASE [master] TO DISK='" + file + "'" }));
    QVERIFY(f.backupExists(file));
    const QStringList after = SplitTaskLine(f.tasks().at(0));
    QCOMPARE(after.at(fPath), QStringLiteral("C:\\Backup\\"));
    QCOMPARE(after.at(fDateLast), format.toText(now));
    QCOMPARE(after.at(fResult), SuccessResult);
}

void TestBackupPass::nothingDue()
{
    Fixture f;
    QVERIFY(f.start());
    FixedClock clock(at(25, 10, 0, 0));
    // No task file: none is made, nothing journalled.
    BackupPassReport report = runPass(f, clock);
    QVERIFY(report.attempts.isEmpty());
    QVERIFY(report.problems.isEmpty());
    QVERIFY(!QFile::exists(f.dir.file(TaskFileName)));
    QVERIFY(!QFile::exists(f.dir.file(JournalFileName)));

    QStringList runToday = SplitTaskLine(f.task(QStringLiteral("Sales"), f.folder(QStringLiteral("Backup"))));
    runToday[fDateLast] = QStringLiteral("25.12.2008 09:00:00");
    const QStringList lines { JoinTaskLine(runToday), QStringLiteral("not a task;") };
    f.writeTasks(lines);
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-2);
    {
        QFile file(f.dir.file(TaskFileName));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    report = runPass(f, clock);
    QVERIFY(report.attempts.isEmpty());
    QVERIFY(report.allSucceeded());
    QCOMPARE(f.sim.batches(), QStringList());
    QCOMPARE(f.tasks(), lines);
    QVERIFY(QFileInfo(f.dir.file(TaskFileName)).lastModified().toUTC() > old.addDays(1));
}

void TestBackupPass::quotedNames()
{
    Fixture f;
    QVERIFY(f.start());
    f.sim.addDatabase(QStringLiteral("Q]1"));
    const QString folder = f.folder(QStringLiteral("O'Brien"));
    f.writeTasks({ f.task(QStringLiteral("Q]1"), folder) });
    FixedClock clock(at(25, 10, 0, 0));
    const BackupPassReport report = runPass(f, clock);
    QCOMPARE(report.attempts.size(), 1);
    QVERIFY2(report.attempts.at(0).succeeded, qPrintable(report.attempts.at(0).result));
    const QString file = QStringLiteral("C:\\O'Brien\\SIMSRV_Q]1_25.12.2008_10.00.00.bak");
    QCOMPARE(report.attempts.at(0).target, file);
    QCOMPARE(f.sim.batches(),
             QStringList({ "DBCC SHRINKDATABASE ([Q]]1],10)", ServerNameQuery,
                           "BACKUP DATABASE [Q]]1] TO DISK='C:\\O''Brien\\SIMSRV_Q]1_25.12.2008_10.00.00.bak'" }));
    QVERIFY(f.backupExists(file));
    QCOMPARE(f.journal().at(0).at(4), file);
}

void TestBackupPass::journalCannotBeWritten()
{
    Fixture f;
    QVERIFY(f.start());
    const QString backup = f.folder(QStringLiteral("Backup"));
    f.writeTasks({ f.task(QStringLiteral("Sales"), backup), f.task(QStringLiteral("Stock"), backup) });
    // A folder in the journal's place cannot be written, not even by root.
    QVERIFY(QDir(f.dir.path()).mkdir(JournalFileName));
    FixedClock clock(at(25, 10, 0, 0), 1000);
    const BackupPassReport report = runPass(f, clock);

    QCOMPARE(report.attempts.size(), 2);
    QVERIFY(report.attempts.at(0).succeeded && report.attempts.at(1).succeeded);
    QCOMPARE(report.problems.size(), 1);
    QVERIFY2(report.problems.at(0).contains(JournalFileName), qPrintable(report.problems.at(0)));
    QVERIFY(!report.allSucceeded());
    for (const QString &line : f.tasks()) {
        const QStringList fields = SplitTaskLine(line);
        QCOMPARE(fields.at(fResult), SuccessResult);
        QVERIFY(fields.at(fDateLast).startsWith(QStringLiteral("25.12.2008")));
    }
}

void TestBackupPass::connectionDroppedDuringBackup()
{
    Fixture f;
    QVERIFY(f.start());
    const QString backup = f.folder(QStringLiteral("Backup"));
    f.writeTasks({ f.task(QStringLiteral("Sales"), backup), f.task(QStringLiteral("Stock"), backup) });
    f.sim.dropConnectionOn(QStringLiteral("^BACKUP DATABASE \\[Sales\\]"));
    FixedClock clock(at(25, 10, 0, 0), 1000);
    const BackupPassReport report = runPass(f, clock);

    QCOMPARE(report.attempts.size(), 2);
    QVERIFY(!report.attempts.at(0).succeeded);
    QVERIFY(!report.attempts.at(0).result.isEmpty());
    QVERIFY2(report.attempts.at(1).succeeded, qPrintable(report.attempts.at(1).result));
    const QStringList after = f.tasks();
    QCOMPARE(SplitTaskLine(after.at(0)).at(fResult), TaskFieldText(report.attempts.at(0).result));
    QCOMPARE(SplitTaskLine(after.at(0)).at(fDateLast), QStringLiteral("25.12.2008 10:00:03"));
    QCOMPARE(SplitTaskLine(after.at(1)).at(fResult), SuccessResult);
    QVERIFY(f.backupExists(report.attempts.at(1).target));
}

void TestBackupPass::stopBetweenTasks()
{
    Fixture f;
    QVERIFY(f.start());
    const QString backup = f.folder(QStringLiteral("Backup"));
    const QStringList lines { f.task(QStringLiteral("Sales"), backup), f.task(QStringLiteral("Stock"), backup) };
    f.writeTasks(lines);
    std::atomic_bool stop { false };
    BackupPassOptions options;
    options.stopRequested = &stop;
    options.taskStarting = [&](const QString &, const QString &) { stop = true; };
    FixedClock clock(at(25, 10, 0, 0), 1000);
    const BackupPassReport report = runPass(f, clock, options);
    // The running task ends, no new one starts, and the file is written.
    QCOMPARE(report.attempts.size(), 1);
    const QStringList after = f.tasks();
    QCOMPARE(SplitTaskLine(after.at(0)).at(fResult), SuccessResult);
    QCOMPARE(after.at(1), lines.at(1));
}

void TestBackupPass::secondPassOnTheSameFolderIsSkipped()
{
    Fixture f;
    QVERIFY(f.start());
    const QStringList lines { f.task(QStringLiteral("Sales"), f.folder(QStringLiteral("Backup"))) };
    f.writeTasks(lines);
    QLockFile running(f.dir.file(BackupPassLockName));
    QVERIFY(running.lock());
    FixedClock clock(at(25, 10, 0, 0));
    BackupPassReport report = runPass(f, clock);
    QVERIFY(report.attempts.isEmpty());
    QCOMPARE(report.problems.size(), 1);
    QCOMPARE(f.sim.batches(), QStringList());
    QCOMPARE(f.tasks(), lines);

    running.unlock();
    report = runPass(f, clock);
    QCOMPARE(report.attempts.size(), 1);
    QVERIFY(!QFile::exists(f.dir.file(BackupPassLockName)));
}

void TestBackupPass::tasksSavedDuringThePassAreKept()
{
    Fixture f;
    QVERIFY(f.start());
    const QString backup = f.folder(QStringLiteral("Backup"));
    const QString sales = f.task(QStringLiteral("Sales"), backup);
    const QString stock = f.task(QStringLiteral("Stock"), backup);
    f.writeTasks({ sales, stock });
    // While the first backup runs, the main window saves the list with a new
    // task in front and the second task deleted.
    QStringList added = SplitTaskLine(f.task(QStringLiteral("master"), backup));
    added[fHour] = QStringLiteral("23");
    const QString newTask = JoinTaskLine(added);
    BackupPassOptions options;
    bool saved = false;
    options.taskStarting = [&](const QString &, const QString &) {
        if (!saved)
            f.writeTasks({ newTask, sales });
        saved = true;
    };
    FixedClock clock(at(25, 10, 0, 0), 1000);
    const BackupPassReport report = runPass(f, clock, options);
    QCOMPARE(report.attempts.size(), 2); // both were due when the pass read the file

    const QStringList after = f.tasks();
    QCOMPARE(after.size(), 2);
    QCOMPARE(after.at(0), newTask);
    const QStringList salesAfter = SplitTaskLine(after.at(1));
    QCOMPARE(salesAfter.at(fDBName), QStringLiteral("Sales"));
    QCOMPARE(salesAfter.at(fDateLast), QStringLiteral("25.12.2008 10:00:03"));
    QCOMPARE(salesAfter.at(fResult), SuccessResult);
}

QTEST_GUILESS_MAIN(TestBackupPass)
#include "test_backuppass.moc"
