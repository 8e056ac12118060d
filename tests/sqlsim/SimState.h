#pragma once

// What the simulator's connections share: logons, databases, the file
// mapping, the failure switches and the batch log. Guarded by one mutex that
// a connection holds while it runs a request.

#include "SqlSimulator.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace sqlsim {

struct DbFile
{
    QString logical;
    QChar type; // 'D' data, 'L' log
    QString physical; // a server path, or a bare file name inside the data folder
    int pages = 0;
    int fileId = 1;
};

struct Database
{
    QString name;
    int id = 0;
    QList<DbFile> files;
    QDateTime created;
};

struct FailRule
{
    QRegularExpression pattern;
    int number = 0;
    int severity = 16;
    QString text;
};

// Windows error numbers and texts, as SQL Server words them (also on Linux).
enum OsError { OsFileNotFound = 2, OsPathNotFound = 3, OsAccessDenied = 5 };
QString osErrorText(int code); // "3(The system cannot find the path specified.)"

} // namespace sqlsim

struct SqlSimulator::State
{
    State();

    mutable QMutex mutex;

    QHash<QString, QPair<QString, QString>> logins; // lower-case name -> (name, password)
    QString serverName = QStringLiteral("SIMSRV");
    QList<sqlsim::Database> databases;
    int nextDatabaseId = 5;
    QString fileRoot = QStringLiteral("/");
    QString dataFolder = QStringLiteral("C:\\SQLDATA\\");
    bool sysfilesPadded = false;
    bool refuseLogons = false;
    int delayMs = 0;
    QList<QRegularExpression> drops;
    QList<sqlsim::FailRule> failures;
    QStringList batches;
    QHash<QString, int> databaseUsers; // lower-case database name -> sessions in it
    int connections = 0;
    quint64 nextTransaction = 1;

    // All of these expect the mutex to be held by the caller.
    sqlsim::Database *findDatabase(const QString &name);
    sqlsim::Database *findDatabase(int id);
    sqlsim::Database &createDatabase(const QString &name);
    QString physicalPath(const sqlsim::DbFile &file) const; // always a full server path
    QString mapPath(const QString &serverPath) const;
    QString toServerPath(const QString &localPath) const;
    void useDatabase(const QString &name, int delta);
};
