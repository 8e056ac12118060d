// orvell-backup-pass: runs one backup pass over the task file of its program
// folder (or of --dir) and exits; for machines without a desktop.
#include "BackupPass.h"
#include "Journal.h"
#include "TaskFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {

enum ExitCode { AllSucceeded = 0, SomethingFailed = 1, UsageError = 2 };

std::atomic_bool stopRequested { false };

#ifdef Q_OS_UNIX
// The first SIGINT or SIGTERM lets the running backup finish and the task file
// be written; a second one ends the program at once.
void onStopSignal(int signal)
{
    stopRequested.store(true);
    std::signal(signal, SIG_DFL);
}
#endif

void printLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

const char *const Description
    = "Runs one backup pass of Orvell Backup for MS SQL Server and exits.\n"
      "\n"
      "Every task of Settings.ini that is due now is backed up, journalled in Backup.log and\n"
      "updated in Settings.ini, exactly as the tray program's check does; both can share one\n"
      "program folder. One line is printed per task attempted: server, database and result,\n"
      "separated by a TAB. Problems that did not stop the pass (a journal that cannot be\n"
      "written) go to standard error.\n"
      "\n"
      "Exit status: 0 when every attempted backup succeeded (also when none was due),\n"
      "1 when any failed or a problem was reported, 2 on a usage error.\n"
      "\n"
      "Dates are written in the regional format of LC_TIME (or LC_ALL, LANG). Run it with the\n"
      "same one as the desktop session that shares the folder, or the dates each side writes\n"
      "will not read back on the other. From cron or a systemd timer, e.g. every 15 minutes:\n"
      "  */15 * * * * LC_TIME=ru_RU.UTF-8 /path/to/orvell-backup-pass";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvell-backup-pass"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(Description));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption dirOption(QStringLiteral("dir"),
                                       QStringLiteral("The folder that holds Settings.ini and Backup.log "
                                                      "(default: the folder of this program)."),
                                       QStringLiteral("FOLDER"));
    parser.addOption(dirOption);

    if (!parser.parse(app.arguments())) {
        printLine(stderr, parser.errorText());
        printLine(stderr, QStringLiteral("Try '%1 --help'.").arg(QCoreApplication::applicationName()));
        return UsageError;
    }
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        printLine(stdout, parser.helpText().trimmed());
        return AllSucceeded;
    }
    if (!parser.positionalArguments().isEmpty()) {
        printLine(stderr, QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first()));
        printLine(stderr, QStringLiteral("Try '%1 --help'.").arg(QCoreApplication::applicationName()));
        return UsageError;
    }

    QString dir = ProgramDir();
    if (parser.isSet(dirOption)) {
        const QFileInfo folder(parser.value(dirOption));
        if (parser.value(dirOption).isEmpty() || !folder.isDir()) {
            printLine(stderr, QStringLiteral("No such folder: %1").arg(parser.value(dirOption)));
            return UsageError;
        }
        dir = folder.absoluteFilePath() + QLatin1Char('/');
    }

#ifdef Q_OS_UNIX
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
#endif

    BackupPassOptions options;
    options.stopRequested = &stopRequested;
    const BackupPassReport report = RunBackupPass(dir, options);

    for (const BackupAttempt &attempt : report.attempts)
        printLine(stdout, JoinJournalLine({ attempt.server, attempt.database, attempt.result }));
    for (const QString &problem : report.problems)
        printLine(stderr, problem);
    return report.allSucceeded() ? AllSucceeded : SomethingFailed;
}
