#include "Ado.h"

#include "ConnectionString.h"

#include <sql.h>
#include <sqlext.h>

#include <limits>
#include <string>
#include <vector>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the wide ODBC API must use UTF-16");

namespace {

const SQLWCHAR *wide(const QString &text)
{
    return reinterpret_cast<const SQLWCHAR *>(text.utf16());
}

QString fromWide(const SQLWCHAR *text, qsizetype length = -1)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

// One environment for the whole process, made on first use; C++ makes the
// initialisation of a local static thread-safe. It is never freed: handles
// of other statics may outlive any destructor order we could pick.
SQLHENV environment()
{
    static const SQLHENV env = [] {
        SQLHENV h = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h)))
            return SQLHENV(SQL_NULL_HENV);
        SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return h;
    }();
    return env;
}

struct DiagRecord {
    QString state;
    SQLINTEGER native = 0;
    QString text;
};

// Appends every diagnostic record the last call left on the handle.
int collectDiagnostics(SQLSMALLINT type, SQLHANDLE handle, QList<DiagRecord> &out)
{
    int count = 0;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLWCHAR> text(1024);
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(type, handle, i, state, &native, text.data(),
                                      SQLSMALLINT(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
            text.resize(size_t(length) + 1);
            rc = SQLGetDiagRecW(type, handle, i, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        DiagRecord r;
        r.state = fromWide(state, 5);
        r.native = native;
        r.text = fromWide(text.data(), qMin<qsizetype>(length, qsizetype(text.size()) - 1));
        out << r;
        ++count;
    }
    return count;
}

// "[FreeTDS][SQL Server]Login failed ..." -> "Login failed ..."
QString withoutDriverPrefix(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    for (;;) {
        while (i < n && text[i].isSpace())
            ++i;
        if (i >= n || text[i] != u'[')
            break;
        const qsizetype close = text.indexOf(u']', i);
        if (close < 0)
            break;
        i = close + 1;
    }
    return text.mid(i).trimmed();
}

bool isInfoState(const DiagRecord &r)
{
    return r.state.startsWith(u"01");
}

// FreeTDS reports its own client-side events (lost connection, time-outs,
// refused sockets) with numbers 20000-20999 and often an "01" state.
bool isClientLibraryMessage(const DiagRecord &r)
{
    return r.native >= 20000 && r.native <= 20999;
}

// A message the server sent as information (severity 10 or less).
bool isServerInfo(const DiagRecord &r)
{
    return isInfoState(r) && r.native != 0 && !isClientLibraryMessage(r);
}

// The error texts of a failed call. The server's own errors come first in
// priority: the generic lines a driver adds after them ("Unable to connect
// to data source") would only blur SQL Server's words. Failure itself is
// decided by return codes elsewhere; when nothing here reads as an error
// (a link lost after success messages leaves only an "01" record), the
// driver's remaining records carry the reason.
QString errorText(const QList<DiagRecord> &records)
{
    QList<DiagRecord> errors;
    for (const DiagRecord &r : records) {
        if (!isInfoState(r))
            errors << r;
    }
    if (errors.isEmpty()) {
        for (const DiagRecord &r : records) {
            if (!isServerInfo(r))
                errors << r;
        }
    }
    if (errors.isEmpty())
        errors = records;

    bool anyNumbered = false;
    for (const DiagRecord &r : errors)
        anyNumbered = anyNumbered || r.native != 0;

    QStringList texts;
    for (const DiagRecord &r : errors) {
        if (anyNumbered && r.native == 0)
            continue;
        const QString t = withoutDriverPrefix(r.text);
        if (!t.isEmpty() && (texts.isEmpty() || texts.back() != t))
            texts << t;
    }
    if (texts.isEmpty())
        return QStringLiteral("The database driver reported a failure without a message.");
    return texts.join(u' ');
}

QString parameterKey(const QString &name)
{
    QString key = name.trimmed();
    while (key.startsWith(u'@'))
        key.remove(0, 1);
    return key.toLower();
}

bool isNameStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'@' || c == u'#';
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

// Replaces every ":Name" whose name was given a value by "?", skipping string
// literals, quoted names and comments; returns the keys in order of use.
QString bindableSql(const QString &sql, const QMap<QString, QString> &params, QStringList &used)
{
    QString out;
    out.reserve(sql.size());
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto copyQuoted = [&](QChar close) {
        out += sql[i++];
        while (i < n) {
            const QChar c = sql[i++];
            out += c;
            if (c == close) {
                if (i < n && sql[i] == close) {
                    out += sql[i++];
                    continue;
                }
                return;
            }
        }
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'') {
            copyQuoted(u'\'');
        } else if (c == u'"') {
            copyQuoted(u'"');
        } else if (c == u'[') {
            copyQuoted(u']');
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n')
                out += sql[i++];
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            int depth = 0;
            while (i < n) {
                if (sql[i] == u'/' && i + 1 < n && sql[i + 1] == u'*') {
                    ++depth;
                    out += sql[i++];
                    out += sql[i++];
                } else if (sql[i] == u'*' && i + 1 < n && sql[i + 1] == u'/') {
                    --depth;
                    out += sql[i++];
                    out += sql[i++];
                    if (depth == 0)
                        break;
                } else {
                    out += sql[i++];
                }
            }
        } else if (c == u':' && i + 1 < n && isNameStart(sql[i + 1]) && (i == 0 || sql[i - 1] != u':')) {
            qsizetype end = i + 1;
            while (end < n && isNameChar(sql[end]))
                ++end;
            const QString key = parameterKey(sql.mid(i + 1, end - i - 1));
            if (params.contains(key)) {
                out += u'?';
                used << key;
                i = end;
            } else {
                out += sql[i++];
            }
        } else {
            out += sql[i++];
        }
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------

struct TADOConnection::Impl {
    TADOConnection *q = nullptr;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool open = false;
    QString driver;

    void release()
    {
        if (dbc != SQL_NULL_HDBC) {
            if (open)
                SQLDisconnect(dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
            dbc = SQL_NULL_HDBC;
        }
        open = false;
    }

    // The driver's last known state of the link; costs no round trip.
    bool linkDead() const
    {
        if (dbc == SQL_NULL_HDBC)
            return true;
        SQLUINTEGER dead = SQL_CD_FALSE;
        if (!SQL_SUCCEEDED(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, SQL_IS_UINTEGER, nullptr)))
            return false;
        return dead == SQL_CD_TRUE;
    }

    // The link broke under a statement: the connection reads as closed from
    // now on, and its owner hears of it like of a Close.
    void markBroken()
    {
        if (!open)
            return;
        release();
        if (q->AfterDisconnect) {
            try {
                q->AfterDisconnect();
            } catch (...) {
                // The statement's own error is what the caller must see.
            }
        }
    }
};

TADOConnection::TADOConnection()
    : d(std::make_unique<Impl>())
{
    d->q = this;
}

TADOConnection::~TADOConnection()
{
    d->release();
}

void TADOConnection::Open()
{
    if (d->open)
        return;
    d->release();

    const OleDbConnectionString source = OleDbConnectionString::parse(ConnectionString);
    if (!source.integratedSecurity() && source.userId().isEmpty()) {
        // Left to itself FreeTDS would turn a missing login into a Kerberos
        // logon; the OLE DB provider tried SQL Server's with an empty name.
        throw DbError(QStringLiteral("Login failed for user ''."));
    }

    SQLHENV env = environment();
    if (env == SQL_NULL_HENV)
        throw DbError(QStringLiteral("The ODBC driver manager could not be started."));
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &d->dbc))) {
        QList<DiagRecord> records;
        collectDiagnostics(SQL_HANDLE_ENV, env, records);
        d->dbc = SQL_NULL_HDBC;
        throw DbError(errorText(records));
    }

    const QString driver = ChooseOdbcDriver();
    const QString odbc = BuildOdbcConnectionString(source, driver);
    const auto timeout = reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(qMax(0, ConnectionTimeout)));
    SQLSetConnectAttrW(d->dbc, SQL_ATTR_LOGIN_TIMEOUT, timeout, SQL_IS_UINTEGER);
    SQLSetConnectAttrW(d->dbc, SQL_ATTR_CONNECTION_TIMEOUT, timeout, SQL_IS_UINTEGER);

    const SQLRETURN rc = SQLDriverConnectW(d->dbc, nullptr, const_cast<SQLWCHAR *>(wide(odbc)),
                                           SQLSMALLINT(odbc.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        QList<DiagRecord> records;
        collectDiagnostics(SQL_HANDLE_DBC, d->dbc, records);
        d->release();
        throw DbError(errorText(records));
    }
    d->open = true;
    d->driver = driver;
    if (AfterConnect)
        AfterConnect();
}

void TADOConnection::Close()
{
    if (!d->open) {
        d->release();
        return;
    }
    d->release();
    if (AfterDisconnect)
        AfterDisconnect();
}

bool TADOConnection::Connected() const
{
    return d->open;
}

QString TADOConnection::DriverName() const
{
    return d->driver;
}

// ---------------------------------------------------------------------------

int TADOField::AsInteger() const
{
    if (!m_value)
        return 0;
    const QString t = m_value->trimmed();
    bool ok = false;
    const int v = t.toInt(&ok);
    if (ok)
        return v;
    const double dv = t.toDouble(&ok);
    if (ok && dv >= double(std::numeric_limits<int>::min()) && dv <= double(std::numeric_limits<int>::max()))
        return int(dv);
    return 0;
}

// ---------------------------------------------------------------------------

struct TADOQuery::Impl {
    QMap<QString, QString> params; // key: name without "@", lower-cased
    QStringList columns;
    QList<QList<std::optional<QString>>> rows;
    qsizetype current = 0;
    bool active = false;
    QStringList messages;

    void reset()
    {
        columns.clear();
        rows.clear();
        current = 0;
        active = false;
    }
};

namespace {

// Frees the statement handle on every way out.
struct Statement {
    SQLHSTMT h = SQL_NULL_HSTMT;
    ~Statement()
    {
        if (h != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, h);
    }
};

// Reads one column of the current row as text; false when the call failed.
bool readValue(SQLHSTMT stmt, SQLUSMALLINT column, std::optional<QString> &value, QList<DiagRecord> &records)
{
    QString text;
    std::vector<SQLWCHAR> buffer(4096);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, SQL_C_WCHAR, buffer.data(),
                                        SQLLEN(buffer.size() * sizeof(SQLWCHAR)), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc)) {
            collectDiagnostics(SQL_HANDLE_STMT, stmt, records);
            return false;
        }
        if (indicator == SQL_NULL_DATA) {
            value.reset();
            return true;
        }
        // A part that did not fit fills the buffer but for its terminator.
        qsizetype chars = qsizetype(buffer.size()) - 1;
        if (indicator != SQL_NO_TOTAL && indicator / SQLLEN(sizeof(SQLWCHAR)) < SQLLEN(chars))
            chars = indicator / SQLLEN(sizeof(SQLWCHAR));
        text += fromWide(buffer.data(), chars);
        if (rc == SQL_SUCCESS)
            break;
    }
    value = text;
    return true;
}

} // namespace

TADOQuery::TADOQuery(TADOConnection *connection)
    : Connection(connection)
    , d(std::make_unique<Impl>())
{
}

TADOQuery::~TADOQuery() = default;

void TADOQuery::SetParameter(const QString &name, const QString &value)
{
    d->params.insert(parameterKey(name), value);
}

void TADOQuery::ClearParameters()
{
    d->params.clear();
}

void TADOQuery::ExecSQL()
{
    run(false);
}

void TADOQuery::Open()
{
    run(true);
}

void TADOQuery::run(bool keepRows)
{
    d->reset();
    d->messages.clear();
    if (!Connection || !Connection->Connected())
        throw DbError(QStringLiteral("The connection to the server is closed."));
    TADOConnection::Impl *conn = Connection->impl();

    QList<DiagRecord> records;
    bool failed = false;

    Statement stmt;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, conn->dbc, &stmt.h))) {
        stmt.h = SQL_NULL_HSTMT;
        collectDiagnostics(SQL_HANDLE_DBC, conn->dbc, records);
        if (conn->linkDead())
            conn->markBroken();
        throw DbError(errorText(records));
    }
    // Anything but forward-only read-only makes FreeTDS open server cursors.
    SQLSetStmtAttrW(stmt.h, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_FORWARD_ONLY), SQL_IS_UINTEGER);
    SQLSetStmtAttrW(stmt.h, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), SQL_IS_UINTEGER);
    SQLSetStmtAttrW(stmt.h, SQL_ATTR_QUERY_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(qMax(0, CommandTimeout))), SQL_IS_UINTEGER);

    QStringList used;
    const QString text = bindableSql(SQL, d->params, used);
    // The bound buffers must stay put until the statement has run.
    std::vector<std::u16string> values;
    std::vector<SQLLEN> lengths(size_t(used.size()));
    values.reserve(size_t(used.size()));
    for (qsizetype i = 0; i < used.size(); ++i) {
        const QString &v = d->params.value(used[i]);
        values.emplace_back(reinterpret_cast<const char16_t *>(v.utf16()), size_t(v.size()));
        lengths[size_t(i)] = SQLLEN(v.size() * sizeof(SQLWCHAR));
        const SQLULEN size = SQLULEN(qMax<qsizetype>(1, v.size()));
        const SQLRETURN rc = SQLBindParameter(stmt.h, SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, SQL_C_WCHAR,
                                              size > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR, size, 0,
                                              values.back().data(), lengths[size_t(i)], &lengths[size_t(i)]);
        if (!SQL_SUCCEEDED(rc)) {
            collectDiagnostics(SQL_HANDLE_STMT, stmt.h, records);
            throw DbError(errorText(records));
        }
    }

    bool captured = false;
    auto fetchRows = [&] {
        SQLSMALLINT count = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(stmt.h, &count)) || count <= 0)
            return;
        if (!keepRows || captured)
            return; // SQLMoreResults discards the rows
        captured = true;
        for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(count); ++c) {
            std::vector<SQLWCHAR> name(256);
            SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLRETURN rc = SQLDescribeColW(stmt.h, c, name.data(), SQLSMALLINT(name.size()), &nameLength, &type,
                                           &size, &digits, &nullable);
            if (rc == SQL_SUCCESS_WITH_INFO && nameLength >= SQLSMALLINT(name.size())) {
                name.resize(size_t(nameLength) + 1);
                rc = SQLDescribeColW(stmt.h, c, name.data(), SQLSMALLINT(name.size()), &nameLength, &type, &size,
                                     &digits, &nullable);
            }
            d->columns << (SQL_SUCCEEDED(rc) ? fromWide(name.data(), qMin<qsizetype>(nameLength, name.size() - 1))
                                             : QString());
        }
        for (;;) {
            const SQLRETURN rc = SQLFetch(stmt.h);
            if (rc == SQL_NO_DATA)
                break;
            if (rc == SQL_SUCCESS_WITH_INFO)
                collectDiagnostics(SQL_HANDLE_STMT, stmt.h, records);
            if (!SQL_SUCCEEDED(rc)) {
                collectDiagnostics(SQL_HANDLE_STMT, stmt.h, records);
                failed = true;
                return;
            }
            QList<std::optional<QString>> row;
            row.reserve(count);
            for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(count); ++c) {
                std::optional<QString> value;
                if (!readValue(stmt.h, c, value, records)) {
                    failed = true;
                    return;
                }
                row << value;
            }
            d->rows << row;
        }
    };

    // Judge by return codes alone: BACKUP sends its informational messages
    // before an error, and a link lost after "successfully processed" leaves
    // no error-class record at all. Every result is walked, since the error
    // of a later statement of the batch only shows in SQLMoreResults.
    SQLRETURN rc = SQLExecDirectW(stmt.h, const_cast<SQLWCHAR *>(wide(text)), SQLINTEGER(text.size()));
    collectDiagnostics(SQL_HANDLE_STMT, stmt.h, records);
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
        fetchRows();
    else if (rc != SQL_NO_DATA)
        failed = true;

    if (rc != SQL_INVALID_HANDLE && rc != SQL_NEED_DATA && rc != SQL_STILL_EXECUTING) {
        for (;;) {
            if (failed && conn->linkDead())
                break;
            rc = SQLMoreResults(stmt.h);
            if (rc == SQL_NO_DATA)
                break;
            const int fresh = collectDiagnostics(SQL_HANDLE_STMT, stmt.h, records);
            if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
                fetchRows();
                continue;
            }
            failed = true;
            // An error that brings no news would repeat for ever.
            if (rc != SQL_ERROR || fresh == 0)
                break;
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt.h);
    stmt.h = SQL_NULL_HSTMT;

    for (const DiagRecord &r : records) {
        if (isServerInfo(r))
            d->messages << withoutDriverPrefix(r.text);
    }

    const bool dead = conn->linkDead();
    if (failed || dead) {
        d->reset();
        QString message = errorText(records);
        if (dead)
            conn->markBroken();
        throw DbError(message);
    }
    d->active = keepRows;
}

void TADOQuery::Close()
{
    d->reset();
}

bool TADOQuery::Active() const
{
    return d->active;
}

bool TADOQuery::Eof() const
{
    return d->current >= d->rows.size();
}

void TADOQuery::First()
{
    d->current = 0;
}

void TADOQuery::Next()
{
    if (d->current < d->rows.size())
        ++d->current;
}

int TADOQuery::RecordCount() const
{
    return int(d->rows.size());
}

QStringList TADOQuery::ColumnNames() const
{
    return d->columns;
}

TADOField TADOQuery::FieldByName(const QString &column) const
{
    qsizetype index = -1;
    for (qsizetype i = 0; i < d->columns.size(); ++i) {
        if (d->columns[i].compare(column, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    }
    if (index < 0)
        throw DbError(QStringLiteral("Field '%1' not found.").arg(column));
    if (d->current >= d->rows.size())
        throw DbError(QStringLiteral("There is no current row."));
    return TADOField(d->rows[d->current][index]);
}

QStringList TADOQuery::Messages() const
{
    return d->messages;
}
