#pragma once

// A few lines of raw ODBC for the simulator's own tests: connect, run one
// statement, walk every result and keep every diagnostic record. Kept
// independent of the program's access layer so that the simulator is
// checked against the real driver, not against our own client.

#include <QString>
#include <QStringList>

#include <optional>
#include <sql.h>
#include <sqlext.h>

struct OdbcDiag
{
    QString state;
    int native = 0;
    QString text;
};

struct OdbcResult
{
    SQLRETURN execRc = SQL_ERROR; // of SQLExecDirect / SQLExecute
    bool anyError = false; // any call returned SQL_ERROR
    QStringList columns; // of the first result that has columns
    QList<QList<std::optional<QString>>> rows;
    QList<OdbcDiag> diags; // in the order they were read
    QStringList texts() const;
    QList<int> natives() const;
};

class OdbcProbe
{
public:
    OdbcProbe();
    ~OdbcProbe();

    // DRIVER={FreeTDS} when unixODBC knows it by name, else the driver's path.
    static QString driver();
    static QString connectionString(quint16 port, const QString &user = QStringLiteral("sa"),
                                    const QString &password = QStringLiteral("Secret#1"),
                                    const QString &database = QStringLiteral("master"),
                                    const QString &tdsVersion = QStringLiteral("7.4"));

    bool connect(const QString &connectionString);
    void disconnect();
    QList<OdbcDiag> connectDiags() const { return m_connectDiags; }

    enum Mode { Direct, Prepared };
    OdbcResult exec(const QString &sql, const QStringList &params = {}, Mode mode = Direct, int timeoutSeconds = 0);

private:
    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    bool m_connected = false;
    QList<OdbcDiag> m_connectDiags;
};
