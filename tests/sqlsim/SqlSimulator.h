#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// A small SQL Server of our own for the tests: it speaks TDS 7.0-7.4 on a
// loopback port, answers the statements the program sends with SQL Server's
// message numbers, texts and result columns, and writes real backup files
// into real folders of this machine.
//
// It runs on a thread of its own; every setter may be called from any thread
// while it runs and takes effect from the next batch or logon.
//
// Server paths: "\" and "/" are alike, a leading drive letter ("C:") maps to
// the file root, a path without a root is taken relative to the data folder.
class SqlSimulator
{
public:
    SqlSimulator();
    ~SqlSimulator(); // stops it

    SqlSimulator(const SqlSimulator &) = delete;
    SqlSimulator &operator=(const SqlSimulator &) = delete;

    // Listens on 127.0.0.1 (never any other address); 0 picks a free port.
    // Returns the port, or 0 when it could not listen. Restarts if running.
    quint16 start(quint16 port = 0);
    void stop(); // closes every connection; no thread is left afterwards
    bool isRunning() const;
    quint16 port() const;
    QString dataSource() const; // "127.0.0.1,PORT"

    // Provider=SQLOLEDB.1;Password=P;Persist Security Info=True;User ID=U;Initial Catalog=C;Data Source=127.0.0.1,PORT
    QString oleDbConnectionString(const QString &user = QStringLiteral("sa"),
                                  const QString &password = QStringLiteral("Secret#1"),
                                  const QString &catalog = QStringLiteral("master")) const;

    // Logons: names compare without case, passwords with case. "sa"/"Secret#1" exists.
    void addLogin(const QString &user, const QString &password);
    void setServerName(const QString &name); // default "SIMSRV": SERVERPROPERTY('servername'), @@SERVERNAME

    // Databases: master, tempdb, model, msdb always exist. A database added
    // here has the logical files NAME (data) and NAME_log (log) in the data folder.
    void addDatabase(const QString &name);
    void removeDatabase(const QString &name); // not the four system databases
    bool hasDatabase(const QString &name) const; // without case, like the server's collation
    QStringList databases() const;               // in order of creation

    void setFileRoot(const QString &dir); // where "C:\" maps; default "/". Creates the data folder under it
    QString fileRoot() const;
    void setDataFolder(const QString &serverPath); // default "C:\SQLDATA\"
    QString dataFolder() const;                    // a server path ending in "\"
    QString mapPath(const QString &serverPath) const;    // the local file of a server path
    QString toServerPath(const QString &localPath) const; // "C:\..." for a local path under the file root
    // dbo.sysfiles.filename as SQL Server 2000 sent it: nchar(260), padded with blanks.
    void setSysfilesPadded(bool padded);

    // Failures on demand.
    void setRefuseLogons(bool refuse); // every logon fails with 18456
    // Wait before answering each batch or RPC; the socket is still read
    // meanwhile, so an ATTENTION cancels the wait and is acknowledged.
    void setDelayMs(int ms);
    // Close the socket in the middle of the answer to a batch whose text
    // matches (case-insensitive): after every token but the last DONE, so a
    // BACKUP sends 4035, 4035, 3014 and then the link breaks.
    void dropConnectionOn(const QString &regex);
    // Answer a matching batch (case-insensitive) with this message and a DONE
    // with the error flag (severity 11 and above) instead of running it.
    void failStatement(const QString &regex, int number, int severity, const QString &text);
    // Back to a well-behaved server: no statement failures, no drops, no
    // refused logons, no delay.
    void clearFailures();

    // Every SQL batch and RPC statement received after logon, in order, logged
    // before any delay, failure or drop. Batches as sent; RPCs as the
    // statement with its parameters put in as literals ('text', 12, NULL);
    // sp_prepare/sp_unprepare are not logged.
    QStringList batches() const;
    void clearBatches();

    int connectionCount() const; // open client connections

    struct State;

private:
    std::shared_ptr<State> m_state;
    struct Runner;
    std::unique_ptr<Runner> m_runner;
};
