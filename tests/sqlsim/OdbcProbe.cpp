#include "OdbcProbe.h"

#include <QFileInfo>

namespace {

QList<OdbcDiag> diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    QList<OdbcDiag> out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[2048] = {};
        SQLSMALLINT len = 0;
        const SQLRETURN rc = SQLGetDiagRec(type, handle, i, state, &native, text, sizeof text, &len);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        out << OdbcDiag{QString::fromLatin1(reinterpret_cast<char *>(state)), int(native),
                        QString::fromUtf8(reinterpret_cast<char *>(text))};
    }
    return out;
}

} // namespace

QStringList OdbcResult::texts() const
{
    QStringList out;
    for (const OdbcDiag &d : diags)
        out << d.text;
    return out;
}

QList<int> OdbcResult::natives() const
{
    QList<int> out;
    for (const OdbcDiag &d : diags)
        out << d.native;
    return out;
}

OdbcProbe::OdbcProbe()
{
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
    SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
}

OdbcProbe::~OdbcProbe()
{
    disconnect();
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

QString OdbcProbe::driver()
{
    SQLHENV env = SQL_NULL_HENV;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    bool named = false;
    SQLCHAR name[256];
    SQLCHAR attrs[1024];
    SQLSMALLINT nameLen = 0, attrsLen = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(env, direction, name, sizeof name, &nameLen, attrs, sizeof attrs, &attrsLen))) {
        direction = SQL_FETCH_NEXT;
        if (QString::fromLatin1(reinterpret_cast<char *>(name)) == QLatin1String("FreeTDS"))
            named = true;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    if (named)
        return QStringLiteral("{FreeTDS}");
    for (const char *path : {"/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so",
                             "/usr/lib/odbc/libtdsodbc.so"})
        if (QFileInfo::exists(QString::fromLatin1(path)))
            return QString::fromLatin1(path);
    return QStringLiteral("{FreeTDS}");
}

QString OdbcProbe::connectionString(quint16 port, const QString &user, const QString &password,
                                    const QString &database, const QString &tdsVersion)
{
    QString pwd = password;
    pwd.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return QStringLiteral("DRIVER=%1;SERVER=127.0.0.1,%2;UID=%3;PWD={%4};DATABASE=%5;TDS_Version=%6")
        .arg(driver(), QString::number(port), user, pwd, database, tdsVersion);
}

bool OdbcProbe::connect(const QString &connectionString)
{
    disconnect();
    SQLSetConnectAttr(m_dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(10), 0);
    const QByteArray cs = connectionString.toUtf8();
    const SQLRETURN rc = SQLDriverConnect(m_dbc, nullptr, reinterpret_cast<SQLCHAR *>(const_cast<char *>(cs.constData())),
                                          SQLSMALLINT(cs.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    m_connectDiags = diagnostics(SQL_HANDLE_DBC, m_dbc);
    m_connected = SQL_SUCCEEDED(rc);
    return m_connected;
}

void OdbcProbe::disconnect()
{
    if (m_connected)
        SQLDisconnect(m_dbc);
    m_connected = false;
}

OdbcResult OdbcProbe::exec(const QString &sql, const QStringList &params, Mode mode, int timeoutSeconds)
{
    OdbcResult result;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt))) {
        result.diags = diagnostics(SQL_HANDLE_DBC, m_dbc);
        result.anyError = true;
        return result;
    }
    SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(timeoutSeconds)), 0);

    QList<QByteArray> values;
    QList<SQLLEN> lengths(params.size());
    for (const QString &p : params)
        values << p.toUtf8();
    for (int k = 0; k < values.size(); ++k) {
        lengths[k] = SQLLEN(values[k].size());
        SQLBindParameter(stmt, SQLUSMALLINT(k + 1), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                         SQLULEN(qMax<qsizetype>(1, values[k].size())), 0, values[k].data(), SQLLEN(values[k].size()),
                         &lengths[k]);
    }
    const QByteArray text = sql.toUtf8();
    SQLCHAR *sqlText = reinterpret_cast<SQLCHAR *>(const_cast<char *>(text.constData()));
    if (mode == Prepared) {
        result.execRc = SQLPrepare(stmt, sqlText, SQLINTEGER(text.size()));
        if (SQL_SUCCEEDED(result.execRc))
            result.execRc = SQLExecute(stmt);
    } else {
        result.execRc = SQLExecDirect(stmt, sqlText, SQLINTEGER(text.size()));
    }
    result.diags += diagnostics(SQL_HANDLE_STMT, stmt);
    result.anyError = result.execRc == SQL_ERROR;

    SQLRETURN rc = result.execRc;
    bool haveRows = false;
    while (rc != SQL_NO_DATA && rc != SQL_ERROR && rc != SQL_INVALID_HANDLE) {
        SQLSMALLINT cols = 0;
        SQLNumResultCols(stmt, &cols);
        if (cols > 0 && !haveRows) {
            haveRows = true;
            for (SQLSMALLINT c = 1; c <= cols; ++c) {
                SQLCHAR name[256] = {};
                SQLSMALLINT nameLen = 0, type = 0, digits = 0, nullable = 0;
                SQLULEN size = 0;
                SQLDescribeCol(stmt, c, name, sizeof name, &nameLen, &type, &size, &digits, &nullable);
                result.columns << QString::fromUtf8(reinterpret_cast<char *>(name));
            }
            for (;;) {
                const SQLRETURN f = SQLFetch(stmt);
                if (f == SQL_ERROR)
                    result.anyError = true;
                if (!SQL_SUCCEEDED(f))
                    break;
                QList<std::optional<QString>> row;
                for (SQLSMALLINT c = 1; c <= cols; ++c) {
                    char buffer[8192];
                    SQLLEN ind = 0;
                    SQLGetData(stmt, c, SQL_C_CHAR, buffer, sizeof buffer, &ind);
                    if (ind == SQL_NULL_DATA)
                        row << std::nullopt;
                    else
                        row << QString::fromUtf8(buffer);
                }
                result.rows << row;
            }
        }
        rc = SQLMoreResults(stmt);
        result.diags += diagnostics(SQL_HANDLE_STMT, stmt);
        if (rc == SQL_ERROR)
            result.anyError = true;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return result;
}
