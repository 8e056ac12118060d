#include "BackupPass.h"

#include "SqlQuote.h"

#include "Ado.h"
#include "DateTimeText.h"
#include "Errors.h"
#include "Journal.h"
#include "ScheduleRules.h"
#include "TaskFile.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMap>
#include <optional>

bool BackupPassReport::allSucceeded() const
{
    for (const BackupAttempt &a : attempts) {
        if (!a.succeeded)
            return false;
    }
    return problems.isEmpty();
}

namespace {

const QString ServerNameQuery
    = QStringLiteral("SELECT REPLACE(CONVERT(char(20), SERVERPROPERTY('servername')),'\\','_') as SNAME");

QString stampOf(const QString &momentText)
{
    QString s = momentText;
    for (QChar &c : s) {
        if (c == QLatin1Char(':'))
            c = QLatin1Char('.');
        else if (c == QLatin1Char(' ') || c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('-'))
            c = QLatin1Char('_');
    }
    return s + QStringLiteral(".bak");
}

QString trimmedField(const QStringList &fields, int index)
{
    return index < fields.size() ? fields.at(index).trimmed() : QStringLiteral("-1");
}

QString messageOf(const std::exception &e)
{
    const auto *oe = dynamic_cast<const OrvellError *>(&e);
    QString text = oe ? oe->message() : QString::fromLocal8Bit(e.what());
    if (text.trimmed().isEmpty())
        text = QStringLiteral("Unknown error.");
    return text;
}

class Pass
{
public:
    Pass(const QString &programDir, const BackupPassOptions &options)
        : m_dir(programDir)
        , m_options(options)
        , m_clock(options.clock ? *options.clock : Clock::system())
        , m_format(DateTimeFormat::current()) // one format for the whole pass
        , m_query(&m_connection)
    {
        m_connection.LoginPrompt = false;
        m_query.CommandTimeout = 0;
    }

    void run()
    {
        TaskFileContent content;
        try {
            m_startBytes = rawTaskFile();
            content = ReadTaskFile(m_dir);
        } catch (const std::exception &e) {
            problem(messageOf(e));
            return;
        }
        m_lines = content.Lines;
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            if (m_options.stopRequested && m_options.stopRequested->load())
                break;
            bool due = false;
            try {
                due = IsTaskDue(m_lines.at(i), m_clock.now());
            } catch (...) {
                // A line the rules cannot judge is not due; the others still are.
            }
            if (due)
                runTask(int(i));
        }
        // The pass never creates the task file, but writes it back whenever it
        // exists, also when nothing was due.
        if (QFile::exists(QDir(m_dir).filePath(TaskFileName))) {
            try {
                WriteTaskFile(m_dir, linesToWrite());
            } catch (const std::exception &e) {
                problem(messageOf(e));
            }
        }
    }

    BackupPassReport report;

private:
    std::optional<QByteArray> rawTaskFile() const
    {
        QFile file(QDir(m_dir).filePath(TaskFileName));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }

    // The tray program may have saved the task list while a long backup ran
    // here (the headless command shares its folder). Then the tasks it holds
    // now are the ones to keep, each with this pass's result where its line is
    // still the one the pass read; nothing the user saved is overwritten.
    QStringList linesToWrite()
    {
        if (rawTaskFile() == m_startBytes)
            return m_lines;
        QStringList now = ReadTaskFile(m_dir).Lines;
        QList<bool> taken(now.size(), false);
        for (auto it = m_updated.cbegin(); it != m_updated.cend(); ++it) {
            const int index = it.key();
            qsizetype at = -1;
            if (index < now.size() && !taken[index] && now[index] == it.value())
                at = index;
            for (qsizetype j = 0; at < 0 && j < now.size(); ++j) {
                if (!taken[j] && now[j] == it.value())
                    at = j;
            }
            if (at >= 0) {
                now[at] = m_lines.at(index);
                taken[at] = true;
            }
        }
        return now;
    }

    void problem(const QString &text)
    {
        if (!report.problems.contains(text))
            report.problems.append(text);
    }

    QString now() const { return m_format.toText(m_clock.now()); }

    void journal(const QStringList &fields)
    {
        try {
            AppendJournalLine(m_dir, JoinJournalLine(fields));
        } catch (const std::exception &e) {
            // The backup happened (or failed) all the same: its task line is
            // still updated and the next tasks still run.
            problem(messageOf(e));
        }
    }

    void runTask(int index)
    {
        const QStringList fields = SplitTaskLine(m_lines.at(index));
        const QString db = trimmedField(fields, fDBName);
        const QString taskServer = fields.value(fServer);
        if (m_options.taskStarting)
            m_options.taskStarting(taskServer, db);

        m_connection.Close();
        m_connection.ConnectionString = StrConnectFromStored(fields.value(fStrConnect));
        try {
            m_connection.Open();
        } catch (const std::exception &e) {
            // The task stays due and is tried at the next check, but the
            // attempt is on record.
            BackupAttempt a;
            a.line = index;
            a.server = taskServer;
            a.database = db;
            a.result = messageOf(e);
            journal({ now(), a.result, a.server, a.database, QString() });
            report.attempts.append(a);
            return;
        }
        if (db == QLatin1String("-1")) {
            m_connection.Close();
            return;
        }
        backUp(index, fields, db);
        m_connection.Close();
    }

    void queryServerName()
    {
        try {
            m_query.SQL = ServerNameQuery;
            m_query.Open();
            const TADOField name = m_query.FieldByName(QStringLiteral("SNAME"));
            // char(20) comes padded with blanks, which no file name wants.
            QString text = name.IsNull() ? QString() : name.AsString();
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            m_serverName = text;
        } catch (...) {
            // The name of the previous task's server, or none, is kept.
        }
        m_query.Close();
    }

    void backUp(int index, QStringList fields, const QString &db)
    {
        const QString hourText = trimmedField(fields, fHour);
        const QString minText = trimmedField(fields, fMin);
        QString folder = trimmedField(fields, fPath);

        try {
            m_query.SQL = QStringLiteral("DBCC SHRINKDATABASE (") + BracketQuoted(db) + QStringLiteral(",10)");
            m_query.ExecSQL();
        } catch (...) {
            // A database that cannot shrink is still backed up.
        }

        if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('\\')))
            folder += QLatin1Char('\\');

        const QString stamp = stampOf(now());
        queryServerName();
        const QString target = folder + m_serverName + QLatin1Char('_') + db + QLatin1Char('_') + stamp;
        QString result;
        try {
            m_query.SQL = QStringLiteral("BACKUP DATABASE ") + BracketQuoted(db) + QStringLiteral(" TO DISK=")
                + TextQuoted(target);
            m_query.ExecSQL();
            result = SuccessResult;
        } catch (const std::exception &e) {
            result = messageOf(e);
        }

        journal({ now(), result, m_serverName, db, target });

        BackupAttempt a;
        a.line = index;
        a.server = m_serverName;
        a.database = db;
        a.target = target;
        a.result = result;
        a.connected = true;
        a.succeeded = result == SuccessResult;
        report.attempts.append(a);

        if (fields.size() >= fOnceType3 + 1) {
            fields[fDBName] = TaskFieldText(db);
            fields[fHour] = TaskFieldText(hourText);
            fields[fMin] = TaskFieldText(minText);
            fields[fDateLast] = TaskFieldText(now());
            fields[fResult] = TaskFieldText(result);
            fields[fPath] = TaskFieldText(folder);
            fields[fOnceType3] = QStringLiteral("0");
            m_updated.insert(index, m_lines.at(index));
            m_lines[index] = JoinTaskLine(fields);
        }
    }

    const QString m_dir;
    const BackupPassOptions &m_options;
    const Clock &m_clock;
    const DateTimeFormat m_format;
    TADOConnection m_connection;
    TADOQuery m_query;
    QStringList m_lines;
    std::optional<QByteArray> m_startBytes;
    QMap<int, QString> m_updated; // line index -> the line as read
    QString m_serverName; // empty at the start of the pass
};

} // namespace

BackupPassReport RunBackupPass(const QString &programDir, const BackupPassOptions &options)
{
    Pass pass(programDir, options);
    try {
        // The tray program and the headless command may share one folder; two
        // passes at once would back up the same tasks and overwrite each
        // other's task file.
        QLockFile lock(QDir(programDir).filePath(BackupPassLockName));
        lock.setStaleLockTime(0); // a backup may take hours; only a dead owner frees it
        if (!lock.tryLock(0) && lock.error() == QLockFile::LockFailedError) {
            pass.report.problems.append(QStringLiteral("Another backup pass is running on %1; this one was skipped.")
                                            .arg(QDir::toNativeSeparators(programDir)));
            return pass.report;
        }
        pass.run();
    } catch (const std::exception &e) {
        pass.report.problems.append(messageOf(e));
    } catch (...) {
        pass.report.problems.append(QStringLiteral("The backup pass ended by an unknown error."));
    }
    return pass.report;
}
