#pragma once

// Runs parsed statements for one session against the shared server state
// and writes SQL Server's tokens into a reply.

#include "SimParse.h"
#include "SimState.h"

#include <QHash>
#include <optional>

namespace sqlsim {

struct Table
{
    QString name;
    QList<Column> cols;
    QList<QList<Value>> rows;
    int id = 0;
};

struct Prepared
{
    QString sql;
    QString definitions;
};

struct Session
{
    int spid = 51;
    int version = 0x74;
    QString user;
    QString host;
    QString app;
    QString database = QStringLiteral("master");
    QString language = QStringLiteral("us_english");
    bool nocount = false;
    bool implicitTransactions = false;
    int trancount = 0;
    quint64 transaction = 0;
    QHash<QString, Table> temps; // lower-case name
    int nextTempId = -1001; // negative, as on SQL Server 2012 and later
    QHash<int, Prepared> prepared;
    int nextHandle = 1;
    qint64 lastRowCount = 0;
    int lastError = 0;
};

class Engine
{
public:
    Engine(SqlSimulator::State &state, Session &session);

    // Parses and runs a batch into reply. Inside an RPC its DONEs become
    // DONEINPROC and procedures send no DONEPROC of their own.
    void runBatch(const QString &sql, Reply &reply, bool inProc);

    // Transaction manager requests.
    void beginTransaction(Reply &reply);
    void commitTransaction(Reply &reply, bool beginAnother);
    void rollbackTransaction(Reply &reply, bool beginAnother);
    // A reset-connection request: back to the logon state.
    void resetSession(Reply &reply);

    // Statements (called by parsed statements).
    void runStatement(const Stmt &stmt);
    void select(const SelectStmt &s);
    void setOnOff(const QStringList &options, bool on);
    void setValue(const QString &option, const ExprP &value);
    void setNothing();
    void use(const QString &database);
    void beginTran();
    void commitTran();
    void rollbackTran();
    void ifStmt(const ExprP &condition, const Stmt &then, const std::optional<Stmt> &otherwise);
    void block(const QList<Stmt> &stmts);
    void createTable(const QStringList &parts, const QString &text, const QList<ColumnDef> &cols);
    void dropTable(const QStringList &parts, const QString &text, bool ifExists);
    void insertExec(const QStringList &parts, const QString &text, const QStringList &cols, const ProcCall &call);
    void insertValues(const QStringList &parts, const QString &text, const QStringList &cols,
                      const QList<QList<ExprP>> &rows);
    void exec(const ProcCall &call);
    void backupDatabase(const QString &database, bool log, const QList<ExprP> &disks, const QList<WithOption> &with);
    void restoreInfo(const QString &kind, const ExprP &disk, const QList<WithOption> &with);
    void restoreDatabase(const QString &database, const ExprP &disk, const QList<WithOption> &with);
    void dbcc(const QString &command, const QList<ExprP> &args, const QStringList &with);
    void print(const ExprP &text);

private:
    void endTransaction(Reply &reply, quint8 envChangeType, bool beginAnother);
    struct RowCtx
    {
        const QList<Column> *cols = nullptr;
        const QList<Value> *values = nullptr;
    };

    // Output
    void info(int number, int state, const QString &text);
    void done(quint16 curCmd, qint64 rows = -1, bool error = false);
    void sendTable(const QList<Column> &cols, const QList<QList<Value>> &rows);
    void procEnd(int status);
    [[noreturn]] void fail(int number, int severity, int state, const QString &text);

    // Expressions
    Value eval(const ExprP &e, const RowCtx &row);
    std::optional<bool> truth(const ExprP &e, const RowCtx &row); // nullopt: unknown
    Value callFunction(const Expr &e, const RowCtx &row);
    Value castTo(const Value &v, const SqlType &t);
    int compare(const Value &a, const Value &b); // throws on impossible conversions
    qint64 toInteger(const Value &v);
    bool isAggregate(const ExprP &e) const;
    QString evalText(const ExprP &e); // a path or a name given as an expression

    // Objects
    Table resolveTable(const QStringList &parts, const QString &text);
    Table *findTemp(const QStringList &parts);
    Table sysdatabases();
    Table sysfiles(const Database &db);
    std::optional<qint64> objectId(const QString &name);
    QString currentDatabaseName() const;
    void maybeBeginImplicit();
    void dropScopedTemps(const QList<QString> &before);
    Table runProcedure(const ProcCall &call, int *returnStatus);

    // Backup files
    struct BackupSet
    {
        QString database;
        QList<DbFile> files; // physical: full server paths at backup time
        QDateTime started;
    };
    bool readBackupFile(const QString &serverPath, const QString &terminating, QList<BackupSet> *sets);
    void terminating(const QString &what);
    bool refusedInTransaction(const QString &what); // sends 3021 + 3013
    QString osErrorOpening(const QString &localPath, bool forWriting) const;
    int optionInt(const QList<WithOption> &with, const QString &name, int fallback);
    bool hasOption(const QList<WithOption> &with, const QString &name) const;

    SqlSimulator::State &m_state;
    Session &m_session;
    Reply *m_reply = nullptr;
    bool m_inProc = false;
    int m_line = 1;
    int m_procDepth = 0;
};

} // namespace sqlsim
