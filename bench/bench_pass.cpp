// Times the backup pass against the in-process SQL Server simulator:
//  - a pass over N due tasks, as tasks per second, and its time divided by
//    the time of the same statements sent straight through the access layer
//    (connect, shrink, server name, backup, disconnect per task; no schedule,
//    file or journal work);
//  - a pass over M tasks of which none is due.
// Every figure is the median of several rounds.
#include "Ado.h"
#include "BackupPass.h"
#include "DateTimeText.h"
#include "SqlSimulator.h"
#include "TaskFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    if (n == 0)
        return 0;
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString list(const QList<double> &values, int precision)
{
    QStringList parts;
    for (double v : values)
        parts << QString::number(v, 'f', precision);
    return parts.join(QStringLiteral(" "));
}

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// A daily task whose last run was at `last`; with the new-task marker it is
// due whatever the time.
QString taskLine(const QString &db, const QString &folder, const QString &connection, bool isNew, const QString &kind,
                 const QString &last)
{
    return JoinTaskLine({ db, "0", "0", last, isNew ? NewTaskMarker : SuccessResult, folder, kind, "1", "-1", "1",
                          "1,2,3,4,5,6,7", "0", last.section(QLatin1Char(' '), 0, 0), "1,2,3,4,5,6,7,8,9,10,11,12",
                          "31", "-1", "0", "SIMSRV", connection });
}

struct Timing {
    double seconds = 0;
    double cpuSeconds = 0; // of this thread only: the simulator runs on its own
    bool ok = true;
};

// CPU time of the calling thread: on a busy machine wall time swings with the
// other load, this much less.
double threadCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

Timing timePass(const QString &dir)
{
    QElapsedTimer t;
    t.start();
    const double cpu = threadCpuSeconds();
    const BackupPassReport report = RunBackupPass(dir);
    Timing timing;
    timing.seconds = t.nsecsElapsed() / 1e9;
    timing.cpuSeconds = threadCpuSeconds() - cpu;
    timing.ok = report.problems.isEmpty();
    for (const BackupAttempt &a : report.attempts)
        timing.ok = timing.ok && a.succeeded;
    if (!report.problems.isEmpty())
        print(QStringLiteral("  problem: ") + report.problems.join(QStringLiteral("; ")));
    return timing;
}

// The statements a pass sent (three per task), sent again straight through
// the access layer: per task connect, shrink, server name, backup, disconnect.
Timing timeDirect(const QStringList &statements, const QString &connection)
{
    QElapsedTimer t;
    t.start();
    const double cpu = threadCpuSeconds();
    Timing timing;
    TADOConnection conn;
    TADOQuery query(&conn);
    query.CommandTimeout = 0;
    for (qsizetype i = 0; i + 2 < statements.size(); i += 3) {
        conn.Close();
        conn.ConnectionString = StrConnectFromStored(connection);
        try {
            conn.Open();
            try {
                query.SQL = statements.at(i);
                query.ExecSQL();
            } catch (...) {
            }
            query.SQL = statements.at(i + 1);
            query.Open();
            query.FieldByName(QStringLiteral("SNAME")).AsString();
            query.Close();
            query.SQL = statements.at(i + 2);
            query.ExecSQL();
        } catch (const std::exception &e) {
            if (timing.ok)
                print(QStringLiteral("  direct failed: ") + QString::fromLocal8Bit(e.what()));
            timing.ok = false;
        }
        conn.Close();
    }
    timing.seconds = t.nsecsElapsed() / 1e9;
    timing.cpuSeconds = threadCpuSeconds() - cpu;
    return timing;
}

// Both sides start from an empty backup folder, so neither appends to a
// backup file the other left.
void emptyFolder(const QString &path)
{
    QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files))
        dir.remove(name);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Backup pass benchmark against the in-process SQL Server simulator."));
    parser.addHelpOption();
    const QCommandLineOption roundsOption(
        QStringLiteral("rounds"),
        QStringLiteral("Rounds per figure (default 5; a round of the due pass runs each side twice)."),
        QStringLiteral("N"), QStringLiteral("5"));
    const QCommandLineOption dueOption(QStringLiteral("due"), QStringLiteral("Due tasks per pass (default 1000)."),
                                       QStringLiteral("N"), QStringLiteral("1000"));
    const QCommandLineOption idleOption(QStringLiteral("idle"),
                                        QStringLiteral("Tasks of the pass with none due (default 10000)."),
                                        QStringLiteral("N"), QStringLiteral("10000"));
    parser.addOption(roundsOption);
    parser.addOption(dueOption);
    parser.addOption(idleOption);
    parser.process(app);
    const int rounds = qMax(1, parser.value(roundsOption).toInt());
    const int dueCount = qMax(1, parser.value(dueOption).toInt());
    const int idleCount = qMax(1, parser.value(idleOption).toInt());

    QTemporaryDir root;
    QTemporaryDir programDir;
    if (!root.isValid() || !programDir.isValid()) {
        print(QStringLiteral("cannot make temporary folders"));
        return 1;
    }
    QDir(root.path()).mkpath(QStringLiteral("Backup"));
    const QString backupFolder = QDir(root.path()).filePath(QStringLiteral("Backup"));
    SqlSimulator sim;
    sim.setFileRoot(root.path());
    // One database per task, so every backup file has a name of its own as in
    // real use (one pass never backs up one database twice in a second).
    QStringList databases;
    for (int i = 0; i < dueCount; ++i) {
        databases << QStringLiteral("Bench%1").arg(i, 5, 10, QLatin1Char('0'));
        sim.addDatabase(databases.last());
    }
    if (sim.start() == 0) {
        print(QStringLiteral("the simulator did not start"));
        return 1;
    }
    const QString connection = StrConnectToStored(sim.oleDbConnectionString());
    const QString folder = QStringLiteral("C:\\Backup\\");
    const QString dir = programDir.path() + QLatin1Char('/');

    QStringList dueLines;
    for (int i = 0; i < dueCount; ++i)
        dueLines << taskLine(databases.at(i), folder, connection, true, QStringLiteral("Type1"), QString());

    print(QStringLiteral("date-time format: %1 %2")
              .arg(DateTimeFormat::current().dateFormat, DateTimeFormat::current().timeFormat));
    print(QStringLiteral("%1 due tasks, %2 rounds").arg(dueCount).arg(rounds));
    QList<double> passTimes, directTimes, ratios, passCpu, directCpu, cpuRatios;
    bool ok = true;
    auto runPass = [&] {
        WriteTaskFile(dir, dueLines);
        QFile::remove(dir + QStringLiteral("Backup.log"));
        emptyFolder(backupFolder);
        sim.clearBatches();
        return timePass(dir);
    };
    // A first pass, untimed, gives the statements the direct runs send.
    ok = runPass().ok;
    const QStringList statements = sim.batches();
    if (statements.size() != 3 * dueCount) {
        print(QStringLiteral("the pass sent %1 statements for %2 tasks").arg(statements.size()).arg(dueCount));
        return 1;
    }
    auto runDirect = [&] {
        emptyFolder(backupFolder);
        return timeDirect(statements, connection);
    };
    for (int r = 0; r < rounds; ++r) {
        // Direct, pass, pass, direct: a steady drift of a busy machine (or of
        // the simulator's growing state) then weighs on both sides alike.
        const Timing d1 = runDirect();
        const Timing p1 = runPass();
        const Timing p2 = runPass();
        const Timing d2 = runDirect();
        ok = ok && p1.ok && p2.ok && d1.ok && d2.ok;
        const double pass = (p1.seconds + p2.seconds) / 2;
        const double direct = (d1.seconds + d2.seconds) / 2;
        passTimes << pass;
        directTimes << direct;
        ratios << pass / direct;
        passCpu << (p1.cpuSeconds + p2.cpuSeconds) / 2;
        directCpu << (d1.cpuSeconds + d2.cpuSeconds) / 2;
        cpuRatios << passCpu.last() / directCpu.last();
    }
    print(QStringLiteral("pass over %1 due tasks: median %2 s = %3 tasks/s   [%4]")
              .arg(dueCount)
              .arg(median(passTimes), 0, 'f', 3)
              .arg(dueCount / median(passTimes), 0, 'f', 1)
              .arg(list(passTimes, 3)));
    print(QStringLiteral("same statements straight through the access layer: median %1 s = %2 tasks/s   [%3]")
              .arg(median(directTimes), 0, 'f', 3)
              .arg(dueCount / median(directTimes), 0, 'f', 1)
              .arg(list(directTimes, 3)));
    print(QStringLiteral("ratio pass / direct: median %1 (goal at most 1.10)   [%2]")
              .arg(median(ratios), 0, 'f', 3)
              .arg(list(ratios, 3)));
    print(QStringLiteral("client thread CPU: pass median %1 s, direct median %2 s, ratio median %3   [%4]")
              .arg(median(passCpu), 0, 'f', 3)
              .arg(median(directCpu), 0, 'f', 3)
              .arg(median(cpuRatios), 0, 'f', 3)
              .arg(list(cpuRatios, 3)));

    // None due: every kind, each run earlier today (or not on today's list).
    const QString today = DateTimeToText(LocalNow());
    QStringList idleLines;
    const QStringList kinds { QStringLiteral("Type1"), QStringLiteral("Type2"), QStringLiteral("Type3"),
                              QStringLiteral("Type4") };
    for (int i = 0; i < idleCount; ++i)
        idleLines << taskLine(databases.at(i % dueCount), folder, connection, false, kinds[i % 4], today);
    QList<double> idleTimes, idleCpu;
    sim.clearBatches();
    for (int r = 0; r < rounds; ++r) {
        WriteTaskFile(dir, idleLines);
        const Timing idle = timePass(dir);
        ok = ok && idle.ok;
        idleTimes << idle.seconds * 1000;
        idleCpu << idle.cpuSeconds * 1000;
    }
    print(QStringLiteral("pass over %1 tasks, none due: median %2 ms (goal under 50 ms), CPU median %3 ms   [%4]")
              .arg(idleCount)
              .arg(median(idleTimes), 0, 'f', 1)
              .arg(median(idleCpu), 0, 'f', 1)
              .arg(list(idleTimes, 1)));
    if (!sim.batches().isEmpty()) {
        print(QStringLiteral("a task was due in the idle pass"));
        ok = false;
    }
    return ok ? 0 : 1;
}
