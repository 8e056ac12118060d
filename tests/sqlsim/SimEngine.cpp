#include "SimEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace sqlsim {

namespace {

const char kBackupMagic[] = "ORVELL-SQLSIM-BACKUP 1";

QString rtrim(const QString &s)
{
    int n = int(s.size());
    while (n > 0 && s[n - 1] == QLatin1Char(' '))
        --n;
    return s.left(n);
}

QString percent(const QString &s)
{
    return QString::fromLatin1(s.toUtf8().toPercentEncoding());
}

QString unpercent(const QString &s)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(s.toLatin1()));
}

QByteArray descriptorBytes(quint64 id)
{
    Writer w;
    w.u64(id);
    return w.data;
}

QString rate(qint64 pages, double seconds)
{
    const double mb = double(pages) * 8192.0 / 1048576.0;
    return QString::number(mb / seconds, 'f', 3);
}

QRegularExpression likePattern(const QString &pattern)
{
    QString re;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('%'))
            re += QStringLiteral(".*");
        else if (c == QLatin1Char('_'))
            re += QLatin1Char('.');
        else if (c == QLatin1Char('[')) {
            const int close = int(pattern.indexOf(QLatin1Char(']'), i + 1));
            if (close < 0) {
                re += QRegularExpression::escape(QString(c));
            } else {
                QString set = pattern.mid(i + 1, close - i - 1);
                if (set.startsWith(QLatin1Char('^')))
                    set = QLatin1Char('^') + QRegularExpression::escape(set.mid(1));
                else
                    set = QRegularExpression::escape(set);
                re += QLatin1Char('[') + set + QLatin1Char(']');
                i = close;
            }
        } else
            re += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QLatin1Char('^') + re + QLatin1Char('$'),
                              QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
}

} // namespace

Engine::Engine(SqlSimulator::State &state, Session &session)
    : m_state(state)
    , m_session(session)
{
}

void Engine::runBatch(const QString &sql, Reply &reply, bool inProc)
{
    Reply local(m_session.version);
    Reply *outer = m_reply;
    const bool outerInProc = m_inProc;
    m_reply = &local;
    m_inProc = inProc;
    QList<Stmt> stmts;
    try {
        stmts = parseBatch(sql);
    } catch (const ParseError &pe) {
        for (const SqlError &m : pe.messages) {
            local.message(m.number, m.state, m.severity, m.text, m_state.serverName, QString(), pe.line);
            m_session.lastError = m.number;
        }
        done(0, -1, true);
    }
    const QList<QString> tempsBefore = m_session.temps.keys();
    for (const Stmt &s : stmts)
        runStatement(s);
    if (inProc)
        dropScopedTemps(tempsBefore);
    if (!local.hasDone())
        done(0);
    if (inProc)
        local.doneToInProc();
    reply.append(local);
    m_reply = outer;
    m_inProc = outerInProc;
}

void Engine::runStatement(const Stmt &stmt)
{
    const int outerLine = m_line;
    m_line = stmt.line;
    try {
        m_session.lastError = 0;
        stmt.run(*this);
    } catch (const SqlError &e) {
        m_reply->message(e.number, e.state, e.severity, e.text, m_state.serverName, QString(), m_line);
        m_session.lastError = e.number;
        done(0, -1, true);
    }
    m_line = outerLine;
}

// Temporary tables made by dynamic SQL (sp_executesql, EXEC('...')) end
// with it; those of a plain batch live as long as the session.
void Engine::dropScopedTemps(const QList<QString> &before)
{
    for (const QString &name : m_session.temps.keys())
        if (!before.contains(name))
            m_session.temps.remove(name);
}

// ---------------------------------------------------------------- output

void Engine::info(int number, int state, const QString &text)
{
    m_reply->message(number, state, 10, text, m_state.serverName, QString(), m_line);
}

void Engine::done(quint16 curCmd, qint64 rows, bool error)
{
    quint16 status = 0;
    if (rows >= 0 && !m_session.nocount)
        status |= DoneCount;
    if (error)
        status |= DoneError;
    m_reply->done(TokDone, status, curCmd, quint64(qMax<qint64>(rows, 0)));
    m_session.lastRowCount = qMax<qint64>(rows, 0);
}

void Engine::fail(int number, int severity, int state, const QString &text)
{
    throw SqlError{number, severity, state, text};
}

void Engine::sendTable(const QList<Column> &cols, const QList<QList<Value>> &rows)
{
    m_reply->columns(cols);
    for (const QList<Value> &r : rows)
        m_reply->row(cols, r);
    done(0xC1, rows.size());
}

// Without an enclosing RPC a procedure ends with its return status and a
// DONEPROC; inside one, the RPC itself sends those.
void Engine::procEnd(int status)
{
    if (m_inProc)
        return;
    m_reply->returnStatus(status);
    m_reply->done(TokDoneProc, m_reply->hasError() ? DoneError : 0);
}

// ---------------------------------------------------------------- expressions

qint64 Engine::toInteger(const Value &v)
{
    switch (v.type.base) {
    case SqlType::Int:
    case SqlType::Bit:
        return v.i;
    case SqlType::Numeric: {
        qint64 x = v.i;
        for (int k = 0; k < v.type.scale; ++k)
            x /= 10;
        return x;
    }
    case SqlType::Char:
    case SqlType::VarChar:
    case SqlType::NChar:
    case SqlType::NVarChar: {
        bool ok = false;
        const qint64 x = v.s.trimmed().toLongLong(&ok);
        if (!ok)
            fail(245, 16, 1,
                 QStringLiteral("Conversion failed when converting the %1 value '%2' to data type int.")
                     .arg(v.type.isUnicode() ? QStringLiteral("nvarchar") : QStringLiteral("varchar"), v.s));
        return x;
    }
    default:
        fail(529, 16, 2,
             QStringLiteral("Explicit conversion from data type %1 to int is not allowed.").arg(v.type.name()));
    }
}

Value Engine::castTo(const Value &v, const SqlType &t)
{
    if (v.null)
        return Value::nullOf(t);
    Value out;
    out.type = t;
    out.null = false;
    switch (t.base) {
    case SqlType::Null:
        return Value::nullOf(t);
    case SqlType::Int: {
        const qint64 x = toInteger(v);
        const int bits = t.size * 8;
        const bool fits = t.size == 8 || (t.size == 1 ? (x >= 0 && x <= 255)
                                                      : (x >= -(qint64(1) << (bits - 1)) && x < (qint64(1) << (bits - 1))));
        if (!fits)
            fail(8115, 16, 2,
                 QStringLiteral("Arithmetic overflow error converting expression to data type %1.").arg(t.name()));
        out.i = x;
        return out;
    }
    case SqlType::Bit:
        if (v.type.isString()) {
            const QString s = v.s.trimmed().toLower();
            out.i = s == QLatin1String("true") ? 1 : s == QLatin1String("false") ? 0 : (toInteger(v) != 0);
        } else {
            out.i = toInteger(v) != 0;
        }
        return out;
    case SqlType::Char:
    case SqlType::NChar:
        out.s = v.toText().left(t.size).leftJustified(t.size, QLatin1Char(' '));
        return out;
    case SqlType::VarChar:
    case SqlType::NVarChar:
        out.s = v.toText().left(t.size);
        return out;
    case SqlType::Numeric: {
        if (v.type.base == SqlType::Numeric) {
            qint64 x = v.i;
            for (int k = v.type.scale; k < t.scale; ++k)
                x *= 10;
            for (int k = t.scale; k < v.type.scale; ++k)
                x /= 10;
            out.i = x;
        } else {
            qint64 x = toInteger(v);
            for (int k = 0; k < t.scale; ++k)
                x *= 10;
            out.i = x;
        }
        return out;
    }
    case SqlType::Guid:
        if (v.type.isString()) {
            const QByteArray hex = v.s.trimmed().remove(QLatin1Char('-')).remove(QLatin1Char('{')).remove(QLatin1Char('}')).toLatin1();
            if (hex.size() != 32)
                fail(8169, 16, 2, QStringLiteral("Conversion failed when converting from a character string to uniqueidentifier."));
            out.b = QByteArray::fromHex(hex);
        } else {
            out.b = v.b.left(16).leftJustified(16, '\0');
        }
        return out;
    case SqlType::VarBinary:
        out.b = v.type.isString() ? v.s.toUtf8().left(t.size) : v.b.left(t.size);
        return out;
    case SqlType::DateTime:
        if (v.type.base == SqlType::DateTime) {
            out.dt = v.dt;
        } else {
            out.dt = QDateTime::fromString(v.toText().trimmed(), Qt::ISODateWithMs);
            if (!out.dt.isValid())
                out.dt = QDateTime::fromString(v.toText().trimmed(), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
            if (!out.dt.isValid())
                fail(241, 16, 1, QStringLiteral("Conversion failed when converting date and/or time from character string."));
        }
        return out;
    }
    return out;
}

int Engine::compare(const Value &a, const Value &b)
{
    if (a.type.isString() && b.type.isString())
        return rtrim(a.s).compare(rtrim(b.s), Qt::CaseInsensitive);
    if (a.type.base == SqlType::DateTime || b.type.base == SqlType::DateTime) {
        const QDateTime x = castTo(a, {SqlType::DateTime, 8}).dt;
        const QDateTime y = castTo(b, {SqlType::DateTime, 8}).dt;
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (a.type.base == SqlType::Guid || a.type.base == SqlType::VarBinary || b.type.base == SqlType::Guid
        || b.type.base == SqlType::VarBinary) {
        const QByteArray x = a.type.isString() ? a.s.toUtf8() : a.b;
        const QByteArray y = b.type.isString() ? b.s.toUtf8() : b.b;
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (a.type.base == SqlType::Numeric || b.type.base == SqlType::Numeric) {
        const int scale = qMax(a.type.scale, b.type.scale);
        const qint64 x = castTo(a, Value::numeric(0, 38, scale).type).i;
        const qint64 y = castTo(b, Value::numeric(0, 38, scale).type).i;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const qint64 x = toInteger(a);
    const qint64 y = toInteger(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

std::optional<bool> Engine::truth(const ExprP &e, const RowCtx &row)
{
    switch (e->kind) {
    case Expr::And: {
        const auto a = truth(e->args[0], row);
        if (a == false)
            return false;
        const auto b = truth(e->args[1], row);
        if (b == false)
            return false;
        if (a && b)
            return true;
        return std::nullopt;
    }
    case Expr::Or: {
        const auto a = truth(e->args[0], row);
        if (a == true)
            return true;
        const auto b = truth(e->args[1], row);
        if (b == true)
            return true;
        if (a && b)
            return false;
        return std::nullopt;
    }
    case Expr::Not: {
        const auto a = truth(e->args[0], row);
        if (!a)
            return std::nullopt;
        return !*a;
    }
    case Expr::Compare: {
        const Value a = eval(e->args[0], row);
        const Value b = eval(e->args[1], row);
        if (a.null || b.null)
            return std::nullopt;
        const int c = compare(a, b);
        if (e->op == QLatin1String("="))
            return c == 0;
        if (e->op == QLatin1String("<>"))
            return c != 0;
        if (e->op == QLatin1String("<"))
            return c < 0;
        if (e->op == QLatin1String(">"))
            return c > 0;
        if (e->op == QLatin1String("<="))
            return c <= 0;
        return c >= 0;
    }
    case Expr::IsNull: {
        const bool isNull = eval(e->args[0], row).null;
        return e->negated ? !isNull : isNull;
    }
    case Expr::Like: {
        const Value a = eval(e->args[0], row);
        const Value p = eval(e->args[1], row);
        if (a.null || p.null)
            return std::nullopt;
        const bool m = likePattern(rtrim(p.toText())).match(rtrim(a.toText())).hasMatch();
        return e->negated ? !m : m;
    }
    case Expr::In: {
        const Value a = eval(e->args[0], row);
        if (a.null)
            return std::nullopt;
        bool unknown = false;
        for (int k = 1; k < e->args.size(); ++k) {
            const Value b = eval(e->args[k], row);
            if (b.null) {
                unknown = true;
                continue;
            }
            if (compare(a, b) == 0)
                return !e->negated;
        }
        if (unknown)
            return std::nullopt;
        return e->negated;
    }
    default:
        fail(4145, 15, 1,
             QStringLiteral("An expression of non-boolean type specified in a context where a condition is expected, "
                            "near '%1'.")
                 .arg(e->text));
    }
}

Value Engine::eval(const ExprP &e, const RowCtx &row)
{
    switch (e->kind) {
    case Expr::Literal:
        return e->literal;
    case Expr::ColumnRef: {
        const QString col = e->parts.last();
        if (row.cols) {
            for (int k = 0; k < row.cols->size(); ++k)
                if ((*row.cols)[k].name.compare(col, Qt::CaseInsensitive) == 0)
                    return (*row.values)[k];
        }
        fail(207, 16, 1, QStringLiteral("Invalid column name '%1'.").arg(col));
    }
    case Expr::SysVar: {
        const QString &n = e->name;
        if (n == QLatin1String("servername"))
            return Value::nvarchar(m_state.serverName);
        if (n == QLatin1String("servicename")) {
            const int slash = int(m_state.serverName.indexOf(QLatin1Char('\\')));
            return Value::nvarchar(slash < 0 ? QStringLiteral("MSSQLSERVER") : m_state.serverName.mid(slash + 1));
        }
        if (n == QLatin1String("version"))
            return Value::nvarchar(QStringLiteral("Microsoft SQL Server 2022 (RTM) - 16.0.1000.6 (X64) \n"
                                                  "\tOrvell SQL Server simulator\n"
                                                  "\tDeveloper Edition (64-bit) on Linux <X64>"),
                                   300);
        if (n == QLatin1String("spid"))
            return Value::integer(m_session.spid, 2);
        if (n == QLatin1String("trancount"))
            return Value::integer(m_session.trancount);
        if (n == QLatin1String("rowcount"))
            return Value::integer(m_session.lastRowCount);
        if (n == QLatin1String("error"))
            return Value::integer(m_session.lastError);
        if (n == QLatin1String("language"))
            return Value::nvarchar(m_session.language);
        if (n == QLatin1String("identity"))
            return Value::nullOf(Value::numeric(0, 38).type);
        fail(137, 15, 2, QStringLiteral("Must declare the scalar variable \"@@%1\".").arg(n));
    }
    case Expr::Func:
        return callFunction(*e, row);
    case Expr::Cast:
        return castTo(eval(e->args[0], row), e->castType);
    case Expr::Negate: {
        const Value a = eval(e->args[0], row);
        if (a.null)
            return a;
        if (a.type.base == SqlType::Numeric) {
            Value r = a;
            r.i = -r.i;
            return r;
        }
        return Value::integer(-toInteger(a), qMax(4, a.type.base == SqlType::Int ? a.type.size : 4));
    }
    case Expr::Arith: {
        const Value a = eval(e->args[0], row);
        const Value b = eval(e->args[1], row);
        const bool strings = a.type.isString() && b.type.isString();
        if (strings && e->op == QLatin1String("+")) {
            const bool uni = a.type.isUnicode() || b.type.isUnicode();
            const SqlType t = uni ? SqlType::nvarchar(qMin(4000, a.type.size + b.type.size))
                                  : SqlType::varchar(qMin(8000, a.type.size + b.type.size));
            if (a.null || b.null)
                return Value::nullOf(t);
            return Value::string(a.s + b.s, t);
        }
        const int size = (a.type.base == SqlType::Int && a.type.size == 8) || (b.type.base == SqlType::Int && b.type.size == 8) ? 8 : 4;
        if (a.null || b.null)
            return Value::nullOf(SqlType::integer(size));
        const qint64 x = toInteger(a);
        const qint64 y = toInteger(b);
        if ((e->op == QLatin1String("/") || e->op == QLatin1String("%")) && y == 0)
            fail(8134, 16, 1, QStringLiteral("Divide by zero error encountered."));
        qint64 r = 0;
        if (e->op == QLatin1String("+"))
            r = x + y;
        else if (e->op == QLatin1String("-"))
            r = x - y;
        else if (e->op == QLatin1String("*"))
            r = x * y;
        else if (e->op == QLatin1String("/"))
            r = x / y;
        else
            r = x % y;
        return Value::integer(r, size);
    }
    case Expr::CountStar:
    case Expr::Count:
        fail(147, 15, 1,
             QStringLiteral("An aggregate may not appear in the WHERE clause unless it is in a subquery contained in a "
                            "HAVING clause or a select list, and the column being aggregated is an outer reference."));
    default:
        // A condition where a value belongs.
        fail(102, 15, 1, QStringLiteral("Incorrect syntax near '%1'.").arg(e->op.isEmpty() ? e->text : e->op.trimmed()));
    }
}

Value Engine::callFunction(const Expr &e, const RowCtx &row)
{
    const QString &n = e.name;
    QList<Value> a;
    for (const ExprP &arg : e.args)
        a << eval(arg, row);
    auto argc = [&](int min, int max) {
        if (a.size() < min || a.size() > max)
            fail(174, 15, 1,
                 QStringLiteral("The %1 function requires %2 argument(s).")
                     .arg(n, min == max ? QString::number(min) : QStringLiteral("%1 to %2").arg(min).arg(max)));
    };
    auto text = [&](int k) { return a[k].toText(); };

    if (n == QLatin1String("serverproperty")) {
        argc(1, 1);
        const QString p = text(0).trimmed().toLower();
        const QString name = m_state.serverName;
        const int slash = int(name.indexOf(QLatin1Char('\\')));
        // sql_variant on a real server; nvarchar(128) carries the same text.
        if (p == QLatin1String("servername"))
            return Value::nvarchar(name);
        if (p == QLatin1String("machinename") || p == QLatin1String("computernamephysicalnetbios"))
            return Value::nvarchar(slash < 0 ? name : name.left(slash));
        if (p == QLatin1String("instancename"))
            return slash < 0 ? Value::nullOf(SqlType::nvarchar(128)) : Value::nvarchar(name.mid(slash + 1));
        if (p == QLatin1String("productversion"))
            return Value::nvarchar(QStringLiteral("16.0.1000.6"));
        if (p == QLatin1String("productlevel"))
            return Value::nvarchar(QStringLiteral("RTM"));
        if (p == QLatin1String("edition"))
            return Value::nvarchar(QStringLiteral("Developer Edition (64-bit)"));
        if (p == QLatin1String("engineedition"))
            return Value::integer(3);
        if (p == QLatin1String("collation"))
            return Value::nvarchar(QStringLiteral("SQL_Latin1_General_CP1_CI_AS"));
        if (p == QLatin1String("isintegratedsecurityonly") || p == QLatin1String("isclustered")
            || p == QLatin1String("issingleuser"))
            return Value::integer(0);
        return Value::nullOf(SqlType::nvarchar(128));
    }
    if (n == QLatin1String("replace")) {
        argc(3, 3);
        const bool uni = a[0].type.isUnicode() || a[1].type.isUnicode() || a[2].type.isUnicode();
        const SqlType t = uni ? SqlType::nvarchar(4000) : SqlType::varchar(8000);
        if (a[0].null || a[1].null || a[2].null)
            return Value::nullOf(t);
        QString s = a[0].toText();
        if (!a[1].toText().isEmpty())
            s.replace(a[1].toText(), a[2].toText(), Qt::CaseInsensitive); // the collation ignores case
        return Value::string(s, t);
    }
    if (n == QLatin1String("isnull")) {
        argc(2, 2);
        if (!a[0].null)
            return a[0];
        return a[0].type.base == SqlType::Null ? a[1] : castTo(a[1], a[0].type);
    }
    if (n == QLatin1String("coalesce")) {
        argc(1, 255);
        for (const Value &v : a)
            if (!v.null)
                return v;
        return a.first();
    }
    if (n == QLatin1String("object_id")) {
        argc(1, 2);
        const auto id = a[0].null ? std::nullopt : objectId(text(0));
        return id ? Value::integer(*id) : Value::nullOf(SqlType::integer(4));
    }
    if (n == QLatin1String("db_name")) {
        argc(0, 1);
        if (a.isEmpty())
            return Value::nvarchar(currentDatabaseName());
        const Database *d = a[0].null ? nullptr : m_state.findDatabase(int(toInteger(a[0])));
        return d ? Value::nvarchar(d->name) : Value::nullOf(SqlType::nvarchar(128));
    }
    if (n == QLatin1String("db_id")) {
        argc(0, 1);
        const Database *d = m_state.findDatabase(a.isEmpty() ? currentDatabaseName() : text(0));
        return d ? Value::integer(d->id, 2) : Value::nullOf(SqlType::integer(2));
    }
    if (n == QLatin1String("len")) {
        argc(1, 1);
        return a[0].null ? Value::nullOf(SqlType::integer(4)) : Value::integer(rtrim(text(0)).size());
    }
    if (n == QLatin1String("datalength")) {
        argc(1, 1);
        if (a[0].null)
            return Value::nullOf(SqlType::integer(4));
        if (a[0].type.isString())
            return Value::integer(a[0].s.size() * (a[0].type.isUnicode() ? 2 : 1));
        return Value::integer(a[0].type.base == SqlType::Int ? a[0].type.size : a[0].b.size());
    }
    if (n == QLatin1String("upper") || n == QLatin1String("lower") || n == QLatin1String("ltrim")
        || n == QLatin1String("rtrim") || n == QLatin1String("trim")) {
        argc(1, 1);
        if (a[0].null)
            return a[0];
        QString s = text(0);
        if (n == QLatin1String("upper"))
            s = s.toUpper();
        else if (n == QLatin1String("lower"))
            s = s.toLower();
        else if (n == QLatin1String("rtrim"))
            s = rtrim(s);
        else if (n == QLatin1String("ltrim"))
            s = s.mid(int(s.size()) - int(QString(s).remove(QRegularExpression(QStringLiteral("^ +"))).size()));
        else
            s = s.trimmed();
        return Value::string(s, a[0].type.isUnicode() ? SqlType::nvarchar(qMax(1, a[0].type.size))
                                                      : SqlType::varchar(qMax(1, a[0].type.size)));
    }
    if (n == QLatin1String("left") || n == QLatin1String("right")) {
        argc(2, 2);
        if (a[0].null || a[1].null)
            return Value::nullOf(SqlType::varchar(8000));
        const int k = int(qMax<qint64>(0, toInteger(a[1])));
        const QString s = n == QLatin1String("left") ? text(0).left(k) : text(0).right(k);
        return Value::string(s, a[0].type.isUnicode() ? SqlType::nvarchar(4000) : SqlType::varchar(8000));
    }
    if (n == QLatin1String("substring")) {
        argc(3, 3);
        if (a[0].null || a[1].null || a[2].null)
            return Value::nullOf(SqlType::varchar(8000));
        const qint64 start = toInteger(a[1]);
        const qint64 len = toInteger(a[2]);
        const qint64 from = qMax<qint64>(1, start);
        const qint64 to = start + len; // exclusive, 1-based
        const QString s = to <= from ? QString() : text(0).mid(int(from - 1), int(to - from));
        return Value::string(s, a[0].type.isUnicode() ? SqlType::nvarchar(4000) : SqlType::varchar(8000));
    }
    if (n == QLatin1String("suser_sname") || n == QLatin1String("suser_name"))
        return Value::nvarchar(m_session.user);
    if (n == QLatin1String("user_name"))
        return Value::nvarchar(QStringLiteral("dbo"));
    if (n == QLatin1String("host_name"))
        return Value::nvarchar(m_session.host);
    if (n == QLatin1String("app_name"))
        return Value::nvarchar(m_session.app);
    if (n == QLatin1String("getdate") || n == QLatin1String("sysdatetime"))
        return Value::dateTime(QDateTime::currentDateTime());
    if (n == QLatin1String("newid"))
        return Value::guid(QByteArray::number(QDateTime::currentMSecsSinceEpoch()).rightJustified(16, '0'));
    fail(195, 15, 10, QStringLiteral("'%1' is not a recognized built-in function name.").arg(n));
}

bool Engine::isAggregate(const ExprP &e) const
{
    if (e->kind == Expr::Count || e->kind == Expr::CountStar)
        return true;
    for (const ExprP &a : e->args)
        if (isAggregate(a))
            return true;
    return false;
}

QString Engine::evalText(const ExprP &e)
{
    if (e->kind == Expr::ColumnRef)
        return e->parts.last();
    return eval(e, {}).toText();
}

// ---------------------------------------------------------------- objects

QString Engine::currentDatabaseName() const
{
    return m_session.database;
}

std::optional<qint64> Engine::objectId(const QString &name)
{
    QString object = name.section(QLatin1Char('.'), -1).trimmed();
    if (object.startsWith(QLatin1Char('[')) && object.endsWith(QLatin1Char(']')))
        object = object.mid(1, object.size() - 2).replace(QStringLiteral("]]"), QStringLiteral("]"));
    if (object.startsWith(QLatin1Char('#'))) {
        const auto it = m_session.temps.constFind(object.toLower());
        if (it == m_session.temps.constEnd())
            return std::nullopt;
        return it->id;
    }
    const QString lower = object.toLower();
    if (lower == QLatin1String("sysdatabases"))
        return -1044;
    if (lower == QLatin1String("sysfiles"))
        return -1048;
    return std::nullopt;
}

Table *Engine::findTemp(const QStringList &parts)
{
    const QString object = parts.last().toLower();
    auto it = m_session.temps.find(object);
    return it == m_session.temps.end() ? nullptr : &*it;
}

Table Engine::sysdatabases()
{
    Table t;
    t.name = QStringLiteral("sysdatabases");
    t.cols = {{QStringLiteral("name"), SqlType::nvarchar(128)},
              {QStringLiteral("dbid"), SqlType::integer(2)},
              {QStringLiteral("sid"), {SqlType::VarBinary, 85}},
              {QStringLiteral("mode"), SqlType::integer(2)},
              {QStringLiteral("status"), SqlType::integer(4)},
              {QStringLiteral("status2"), SqlType::integer(4)},
              {QStringLiteral("crdate"), {SqlType::DateTime, 8}},
              {QStringLiteral("reserved"), {SqlType::DateTime, 8}},
              {QStringLiteral("category"), SqlType::integer(4)},
              {QStringLiteral("cmptlevel"), SqlType::integer(1)},
              {QStringLiteral("filename"), SqlType::nvarchar(260)},
              {QStringLiteral("version"), SqlType::integer(2)}};
    for (const Database &d : m_state.databases) {
        QString file;
        for (const DbFile &f : d.files)
            if (f.type == QLatin1Char('D')) {
                file = m_state.physicalPath(f);
                break;
            }
        t.rows << QList<Value>{Value::nvarchar(d.name),
                               Value::integer(d.id, 2),
                               Value::varbinary(QByteArray(1, '\x01'), 85),
                               Value::integer(0, 2),
                               Value::integer(d.id <= 4 ? 65544 : 65536),
                               Value::integer(1627389952),
                               Value::dateTime(d.created),
                               Value::dateTime(QDateTime(QDate(1900, 1, 1), QTime(0, 0))),
                               Value::integer(0),
                               Value::integer(160, 1),
                               Value::string(file, SqlType::nvarchar(260)),
                               Value::integer(957, 2)};
    }
    return t;
}

Table Engine::sysfiles(const Database &db)
{
    Table t;
    t.name = QStringLiteral("sysfiles");
    const SqlType fileName = m_state.sysfilesPadded ? SqlType{SqlType::NChar, 260} : SqlType::nvarchar(260);
    t.cols = {{QStringLiteral("fileid"), SqlType::integer(2)},  {QStringLiteral("groupid"), SqlType::integer(2)},
              {QStringLiteral("size"), SqlType::integer(4)},    {QStringLiteral("maxsize"), SqlType::integer(4)},
              {QStringLiteral("growth"), SqlType::integer(4)},  {QStringLiteral("status"), SqlType::integer(4)},
              {QStringLiteral("perf"), SqlType::integer(4)},    {QStringLiteral("name"), SqlType::nvarchar(128)},
              {QStringLiteral("filename"), fileName}};
    for (const DbFile &f : db.files) {
        const bool log = f.type == QLatin1Char('L');
        QString path = m_state.physicalPath(f);
        if (m_state.sysfilesPadded)
            path = path.leftJustified(260, QLatin1Char(' '));
        t.rows << QList<Value>{Value::integer(f.fileId, 2),
                               Value::integer(log ? 0 : 1, 2),
                               Value::integer(f.pages),
                               Value::integer(log ? 268435456 : -1),
                               Value::integer(log ? 10 : 8192),
                               Value::integer(log ? 0x100042 : 0x2),
                               Value::integer(0),
                               Value::nvarchar(f.logical),
                               Value::string(path, fileName)};
    }
    return t;
}

Table Engine::resolveTable(const QStringList &parts, const QString &text)
{
    const QString object = parts.last().toLower();
    const QString schema = parts.size() >= 2 ? parts[parts.size() - 2].toLower() : QString();
    const QString dbName = parts.size() >= 3 ? parts[parts.size() - 3] : QString();
    auto invalid = [&]() { fail(208, 16, 1, QStringLiteral("Invalid object name '%1'.").arg(text)); };
    if (object.startsWith(QLatin1Char('#'))) {
        if (!dbName.isEmpty() && dbName.compare(QLatin1String("tempdb"), Qt::CaseInsensitive) != 0)
            invalid();
        Table *t = findTemp(parts);
        if (!t)
            invalid();
        return *t;
    }
    const Database *db = m_state.findDatabase(dbName.isEmpty() ? currentDatabaseName() : dbName);
    if (!db)
        fail(911, 16, 1,
             QStringLiteral("Database '%1' does not exist. Make sure that the name is entered correctly.").arg(dbName));
    const bool compat = schema.isEmpty() || schema == QLatin1String("dbo") || schema == QLatin1String("sys");
    if (object == QLatin1String("sysdatabases") && compat)
        return sysdatabases();
    if (object == QLatin1String("sysfiles") && compat)
        return sysfiles(*db);
    if (object == QLatin1String("databases") && schema == QLatin1String("sys")) {
        Table all = sysdatabases();
        Table t;
        t.cols = {{QStringLiteral("name"), SqlType::nvarchar(128)},
                  {QStringLiteral("database_id"), SqlType::integer(4)},
                  {QStringLiteral("create_date"), {SqlType::DateTime, 8}}};
        for (const QList<Value> &r : all.rows)
            t.rows << QList<Value>{r[0], Value::integer(r[1].i), r[6]};
        return t;
    }
    invalid();
    return {};
}

void Engine::maybeBeginImplicit()
{
    if (m_session.implicitTransactions && m_session.trancount == 0) {
        m_session.transaction = m_state.nextTransaction++;
        m_session.trancount = 1;
        m_reply->envChangeBytes(8, descriptorBytes(m_session.transaction), QByteArray());
    }
}

// ---------------------------------------------------------------- statements

void Engine::select(const SelectStmt &s)
{
    Table src;
    if (s.hasFrom) {
        maybeBeginImplicit();
        src = resolveTable(s.from, s.fromText);
    } else {
        src.rows = {QList<Value>()};
    }

    QList<QList<Value>> rows;
    for (const QList<Value> &r : src.rows) {
        const RowCtx ctx{&src.cols, &r};
        if (!s.where || truth(s.where, ctx) == true)
            rows << r;
    }
    if (!s.orderBy.isEmpty()) {
        QList<QPair<QList<Value>, QList<Value>>> keyed;
        for (const QList<Value> &r : rows) {
            QList<Value> keys;
            const RowCtx ctx{&src.cols, &r};
            for (const OrderItem &o : s.orderBy)
                keys << eval(o.expr, ctx);
            keyed << qMakePair(keys, r);
        }
        std::stable_sort(keyed.begin(), keyed.end(), [&](const auto &x, const auto &y) {
            for (int k = 0; k < s.orderBy.size(); ++k) {
                const Value &a = x.first[k];
                const Value &b = y.first[k];
                int c = 0;
                if (a.null || b.null)
                    c = a.null == b.null ? 0 : (a.null ? -1 : 1);
                else
                    c = compare(a, b);
                if (c != 0)
                    return s.orderBy[k].descending ? c > 0 : c < 0;
            }
            return false;
        });
        rows.clear();
        for (const auto &k : keyed)
            rows << k.second;
    }

    bool aggregate = false;
    for (const SelectItem &item : s.items)
        if (!item.star && isAggregate(item.expr))
            aggregate = true;

    QList<Column> cols;
    QList<QList<Value>> out;
    QList<Value> nullRow;
    for (const Column &c : src.cols)
        nullRow << Value::nullOf(c.type);
    const RowCtx nullCtx{&src.cols, &nullRow};

    for (const SelectItem &item : s.items) {
        if (item.star) {
            if (!s.hasFrom)
                fail(263, 16, 1, QStringLiteral("Must specify table to select from."));
            cols += src.cols;
            continue;
        }
        Column c;
        c.name = !item.alias.isEmpty() ? item.alias
                 : item.expr->kind == Expr::ColumnRef ? item.expr->parts.last()
                                                      : QString();
        if (item.expr->kind == Expr::Count || item.expr->kind == Expr::CountStar)
            c.type = SqlType::integer(4);
        else if (!s.hasFrom)
            c.type = eval(item.expr, nullCtx).type;
        else if (aggregate)
            c.type = eval(item.expr, {}).type; // only constants may stand beside an aggregate
        else
            c.type = eval(item.expr, nullCtx).type;
        if (c.type.base == SqlType::Null)
            c.type = SqlType::integer(4);
        cols << c;
    }

    if (aggregate) {
        QList<Value> r;
        for (const SelectItem &item : s.items) {
            if (item.star)
                fail(8120, 16, 1,
                     QStringLiteral("Column '%1.*' is invalid in the select list because it is not contained in "
                                    "either an aggregate function or the GROUP BY clause.")
                         .arg(s.fromText));
            const ExprP &e = item.expr;
            if (e->kind == Expr::CountStar) {
                r << Value::integer(rows.size());
            } else if (e->kind == Expr::Count) {
                qint64 n = 0;
                for (const QList<Value> &row : rows)
                    if (!eval(e->args[0], {&src.cols, &row}).null)
                        ++n;
                r << Value::integer(n);
            } else {
                r << eval(e, {});
            }
        }
        out << r;
    } else {
        for (const QList<Value> &row : rows) {
            const RowCtx ctx{&src.cols, &row};
            QList<Value> r;
            int k = 0;
            for (const SelectItem &item : s.items) {
                if (item.star) {
                    r += row;
                    k += int(src.cols.size());
                    continue;
                }
                Value v = eval(item.expr, ctx);
                if (v.type.base != cols[k].type.base || v.type.size != cols[k].type.size)
                    v = castTo(v, cols[k].type);
                r << v;
                ++k;
            }
            out << r;
            if (s.top >= 0 && out.size() >= s.top)
                break;
        }
    }
    if (s.top >= 0 && out.size() > s.top)
        out = out.mid(0, s.top);
    sendTable(cols, out);
}

void Engine::setOnOff(const QStringList &options, bool on)
{
    for (const QString &o : options) {
        if (o == QLatin1String("nocount"))
            m_session.nocount = on;
        else if (o == QLatin1String("implicit_transactions"))
            m_session.implicitTransactions = on;
    }
    done(0);
}

void Engine::setValue(const QString &option, const ExprP &value)
{
    if (option == QLatin1String("language")) {
        const QString old = m_session.language;
        m_session.language = evalText(value);
        m_reply->envChange(2, m_session.language, old);
        info(5703, 1, QStringLiteral("Changed language setting to %1.").arg(m_session.language));
    } else {
        eval(value, {});
    }
    done(0);
}

void Engine::setNothing()
{
    done(0);
}

void Engine::use(const QString &database)
{
    const Database *d = m_state.findDatabase(database);
    if (!d)
        fail(911, 16, 1,
             QStringLiteral("Database '%1' does not exist. Make sure that the name is entered correctly.").arg(database));
    const QString old = m_session.database;
    m_state.useDatabase(old, -1);
    m_session.database = d->name;
    m_state.useDatabase(d->name, +1);
    m_reply->envChange(1, d->name, old);
    info(5701, 1, QStringLiteral("Changed database context to '%1'.").arg(d->name));
    done(0);
}

void Engine::beginTran()
{
    if (m_session.trancount == 0) {
        m_session.transaction = m_state.nextTransaction++;
        m_reply->envChangeBytes(8, descriptorBytes(m_session.transaction), QByteArray());
    }
    ++m_session.trancount;
    done(0);
}

void Engine::commitTran()
{
    if (m_session.trancount == 0)
        fail(3902, 16, 1, QStringLiteral("The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."));
    if (--m_session.trancount == 0)
        m_reply->envChangeBytes(9, QByteArray(), descriptorBytes(m_session.transaction));
    done(0);
}

void Engine::rollbackTran()
{
    if (m_session.trancount == 0)
        fail(3903, 16, 1, QStringLiteral("The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION."));
    m_session.trancount = 0;
    m_reply->envChangeBytes(10, QByteArray(), descriptorBytes(m_session.transaction));
    done(0);
}

void Engine::beginTransaction(Reply &reply)
{
    Reply *outer = m_reply;
    m_reply = &reply;
    beginTran();
    m_reply = outer;
}

void Engine::commitTransaction(Reply &reply, bool beginAnother)
{
    endTransaction(reply, 9, beginAnother);
}

void Engine::rollbackTransaction(Reply &reply, bool beginAnother)
{
    endTransaction(reply, 10, beginAnother);
}

// Commit and rollback differ only in the ENVCHANGE type that reports them.
void Engine::endTransaction(Reply &reply, quint8 envChangeType, bool beginAnother)
{
    Reply *outer = m_reply;
    m_reply = &reply;
    if (m_session.trancount > 0) {
        m_session.trancount = 0;
        reply.envChangeBytes(envChangeType, QByteArray(), descriptorBytes(m_session.transaction));
    }
    if (beginAnother) {
        m_session.transaction = m_state.nextTransaction++;
        m_session.trancount = 1;
        reply.envChangeBytes(8, descriptorBytes(m_session.transaction), QByteArray());
    }
    done(0);
    m_reply = outer;
}

void Engine::resetSession(Reply &reply)
{
    m_session.nocount = false;
    m_session.implicitTransactions = false;
    m_session.trancount = 0;
    m_session.temps.clear();
    m_session.prepared.clear();
    // Reset-connection acknowledgement.
    reply.envChangeBytes(18, QByteArray(), QByteArray());
}

void Engine::ifStmt(const ExprP &condition, const Stmt &then, const std::optional<Stmt> &otherwise)
{
    if (truth(condition, {}) == true)
        runStatement(then);
    else if (otherwise)
        runStatement(*otherwise);
}

void Engine::block(const QList<Stmt> &stmts)
{
    for (const Stmt &s : stmts)
        runStatement(s);
}

void Engine::createTable(const QStringList &parts, const QString &text, const QList<ColumnDef> &cols)
{
    const QString object = parts.last();
    if (!object.startsWith(QLatin1Char('#')))
        fail(262, 14, 1, QStringLiteral("CREATE TABLE permission denied in database '%1'.").arg(currentDatabaseName()));
    if (findTemp(parts))
        fail(2714, 16, 6, QStringLiteral("There is already an object named '%1' in the database.").arg(object));
    maybeBeginImplicit();
    Table t;
    t.name = object;
    t.id = m_session.nextTempId--;
    for (const ColumnDef &c : cols)
        t.cols << Column{c.name, c.type};
    m_session.temps.insert(object.toLower(), t);
    Q_UNUSED(text);
    done(0);
}

void Engine::dropTable(const QStringList &parts, const QString &text, bool ifExists)
{
    if (parts.last().startsWith(QLatin1Char('#')) && findTemp(parts)) {
        maybeBeginImplicit();
        m_session.temps.remove(parts.last().toLower());
    } else if (!ifExists) {
        fail(3701, 11, 5,
             QStringLiteral("Cannot drop the table '%1', because it does not exist or you do not have permission.").arg(text));
    }
    done(0);
}

namespace {

QList<int> targetColumns(const Table &t, const QStringList &cols, const std::function<void(const QString &)> &invalid)
{
    QList<int> idx;
    if (cols.isEmpty()) {
        for (int k = 0; k < t.cols.size(); ++k)
            idx << k;
        return idx;
    }
    for (const QString &c : cols) {
        int found = -1;
        for (int k = 0; k < t.cols.size(); ++k)
            if (t.cols[k].name.compare(c, Qt::CaseInsensitive) == 0)
                found = k;
        if (found < 0)
            invalid(c);
        idx << found;
    }
    return idx;
}

} // namespace

void Engine::insertExec(const QStringList &parts, const QString &text, const QStringList &cols, const ProcCall &call)
{
    Table *t = findTemp(parts);
    if (!t)
        fail(208, 16, 1, QStringLiteral("Invalid object name '%1'.").arg(text));
    const QList<int> idx = targetColumns(*t, cols, [&](const QString &c) {
        fail(207, 16, 1, QStringLiteral("Invalid column name '%1'.").arg(c));
    });
    maybeBeginImplicit();
    int status = 0;
    const Table result = runProcedure(call, &status);
    if (!result.cols.isEmpty() && result.cols.size() != idx.size())
        fail(213, 16, 7, QStringLiteral("Column name or number of supplied values does not match table definition."));
    Table *target = findTemp(parts);
    for (const QList<Value> &r : result.rows) {
        QList<Value> row;
        for (const Column &c : target->cols)
            row << Value::nullOf(c.type);
        for (int k = 0; k < idx.size(); ++k)
            row[idx[k]] = castTo(r[k], target->cols[idx[k]].type);
        target->rows << row;
    }
    done(0xC3, result.rows.size());
}

void Engine::insertValues(const QStringList &parts, const QString &text, const QStringList &cols,
                          const QList<QList<ExprP>> &rows)
{
    Table *t = findTemp(parts);
    if (!t)
        fail(208, 16, 1, QStringLiteral("Invalid object name '%1'.").arg(text));
    const QList<int> idx = targetColumns(*t, cols, [&](const QString &c) {
        fail(207, 16, 1, QStringLiteral("Invalid column name '%1'.").arg(c));
    });
    maybeBeginImplicit();
    QList<QList<Value>> add;
    for (const QList<ExprP> &r : rows) {
        if (r.size() != idx.size())
            fail(213, 16, 7, QStringLiteral("Column name or number of supplied values does not match table definition."));
        QList<Value> row;
        for (const Column &c : t->cols)
            row << Value::nullOf(c.type);
        for (int k = 0; k < idx.size(); ++k)
            row[idx[k]] = castTo(eval(r[k], {}), t->cols[idx[k]].type);
        add << row;
    }
    t->rows += add;
    done(0xC3, add.size());
}

Table Engine::runProcedure(const ProcCall &call, int *returnStatus)
{
    *returnStatus = 0;
    const QString proc = call.parts.last().toLower();
    const QString db = call.parts.size() >= 3 ? call.parts[call.parts.size() - 3].toLower() : QString();
    const bool inMaster = db.isEmpty() || db == QLatin1String("master");
    if (proc == QLatin1String("xp_fileexist") && inMaster) {
        if (call.args.isEmpty())
            fail(22004, 12, 1, QStringLiteral("xp_fileexist: the path argument is missing."));
        const QString local = m_state.mapPath(evalText(call.args.first().value));
        const QFileInfo fi(local);
        const QFileInfo parent(fi.absolutePath());
        const bool isRoot = QDir::cleanPath(local) == QDir::cleanPath(m_state.mapPath(QStringLiteral("C:\\")));
        Table t;
        const SqlType notNull{SqlType::Int, 4, 0, 0, false};
        t.cols = {{QStringLiteral("File Exists"), notNull},
                  {QStringLiteral("File is a Directory"), notNull},
                  {QStringLiteral("Parent Directory Exists"), notNull}};
        t.rows << QList<Value>{Value::integer(fi.isFile() ? 1 : 0), Value::integer(fi.isDir() ? 1 : 0),
                               Value::integer(!isRoot && parent.isDir() ? 1 : 0)};
        return t;
    }
    fail(2812, 16, 62, QStringLiteral("Could not find stored procedure '%1'.").arg(call.nameText));
}

void Engine::exec(const ProcCall &call)
{
    if (call.dynamicSql) {
        const QString sql = evalText(call.dynamicSql);
        QList<Stmt> stmts;
        try {
            stmts = parseBatch(sql);
        } catch (const ParseError &pe) {
            for (const SqlError &m : pe.messages)
                m_reply->message(m.number, m.state, m.severity, m.text, m_state.serverName, QString(), pe.line);
            done(0, -1, true);
            return;
        }
        const QList<QString> tempsBefore = m_session.temps.keys();
        for (const Stmt &s : stmts)
            runStatement(s);
        dropScopedTemps(tempsBefore);
        return;
    }
    int status = 0;
    const Table t = runProcedure(call, &status);
    if (!t.cols.isEmpty()) {
        m_reply->columns(t.cols);
        for (const QList<Value> &r : t.rows)
            m_reply->row(t.cols, r);
    }
    if (m_inProc) {
        done(0xC1, t.cols.isEmpty() ? -1 : t.rows.size());
    } else {
        if (!t.cols.isEmpty())
            m_reply->done(TokDoneInProc, m_session.nocount ? 0 : DoneCount, 0xC1, quint64(t.rows.size()));
        procEnd(status);
    }
}

// ---------------------------------------------------------------- backup and restore

QString Engine::osErrorOpening(const QString &localPath, bool forWriting) const
{
    const QFileInfo fi(localPath);
    if (!QFileInfo(fi.absolutePath()).isDir())
        return osErrorText(OsPathNotFound);
    if (!forWriting && !fi.exists())
        return osErrorText(OsFileNotFound);
    return osErrorText(OsAccessDenied);
}

void Engine::terminating(const QString &what)
{
    m_reply->message(3013, 1, 16, QStringLiteral("%1 is terminating abnormally.").arg(what), m_state.serverName,
                     QString(), m_line);
    m_session.lastError = 3013;
    done(0, -1, true);
}

bool Engine::refusedInTransaction(const QString &what)
{
    if (m_session.trancount == 0)
        return false;
    m_reply->message(3021, 1, 16, QStringLiteral("Cannot perform a backup or restore operation within a transaction."),
                     m_state.serverName, QString(), m_line);
    terminating(what);
    return true;
}

int Engine::optionInt(const QList<WithOption> &with, const QString &name, int fallback)
{
    for (const WithOption &o : with)
        if (o.name == name && o.value)
            return int(toInteger(eval(o.value, {})));
    return fallback;
}

bool Engine::hasOption(const QList<WithOption> &with, const QString &name) const
{
    for (const WithOption &o : with)
        if (o.name == name)
            return true;
    return false;
}

bool Engine::readBackupFile(const QString &serverPath, const QString &what, QList<BackupSet> *sets)
{
    const QString local = m_state.mapPath(serverPath);
    QFile file(local);
    if (!QFileInfo(local).isFile() || !file.open(QIODevice::ReadOnly)) {
        m_reply->message(3201, 2, 16,
                         QStringLiteral("Cannot open backup device '%1'. Operating system error %2.")
                             .arg(serverPath, osErrorOpening(local, false)),
                         m_state.serverName, QString(), m_line);
        terminating(what);
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.first() != QLatin1String(kBackupMagic)) {
        m_reply->message(3241, 1, 16,
                         QStringLiteral("The media family on device '%1' is incorrectly formed. SQL Server cannot "
                                        "process this media family.")
                             .arg(serverPath),
                         m_state.serverName, QString(), m_line);
        terminating(what);
        return false;
    }
    for (const QString &line : lines.mid(1)) {
        const QStringList f = line.split(QLatin1Char(' '));
        if (f.value(0) == QLatin1String("SET") && f.size() >= 3) {
            BackupSet s;
            s.database = unpercent(f[1]);
            s.started = QDateTime::fromString(f[2], Qt::ISODate);
            sets->append(s);
        } else if (f.value(0) == QLatin1String("FILE") && f.size() >= 6 && !sets->isEmpty()) {
            DbFile df;
            df.type = f[1].isEmpty() ? QLatin1Char('D') : f[1][0];
            df.logical = unpercent(f[2]);
            df.physical = unpercent(f[3]);
            df.pages = f[4].toInt();
            df.fileId = f[5].toInt();
            sets->last().files << df;
        }
    }
    return true;
}

void Engine::backupDatabase(const QString &database, bool log, const QList<ExprP> &disks, const QList<WithOption> &with)
{
    const QString what = log ? QStringLiteral("BACKUP LOG") : QStringLiteral("BACKUP DATABASE");
    QElapsedTimer clock;
    clock.start();
    if (refusedInTransaction(what))
        return;
    const Database *d = m_state.findDatabase(database);
    if (!d) {
        m_reply->message(911, 1, 16,
                         QStringLiteral("Database '%1' does not exist. Make sure that the name is entered correctly.")
                             .arg(database),
                         m_state.serverName, QString(), m_line);
        terminating(what);
        return;
    }
    if (d->name.compare(QLatin1String("tempdb"), Qt::CaseInsensitive) == 0) {
        m_reply->message(3147, 1, 16, QStringLiteral("Backup and restore operations are not allowed on database tempdb."),
                         m_state.serverName, QString(), m_line);
        terminating(what);
        return;
    }
    if (log) {
        m_reply->message(4208, 1, 16,
                         QStringLiteral("The statement BACKUP LOG is not allowed while the recovery model is SIMPLE. "
                                        "Use BACKUP DATABASE or change the recovery model using ALTER DATABASE."),
                         m_state.serverName, QString(), m_line);
        terminating(what);
        return;
    }
    const bool overwrite = hasOption(with, QStringLiteral("init")) || hasOption(with, QStringLiteral("format"));
    int position = 1;
    for (const ExprP &disk : disks) {
        QString device = evalText(disk);
        if (QDir::isRelativePath(QString(device).replace(QLatin1Char('\\'), QLatin1Char('/')))
            && !QRegularExpression(QStringLiteral("^[A-Za-z]:")).match(device).hasMatch())
            device = m_state.dataFolder + device;
        const QString local = m_state.mapPath(device);
        const QFileInfo fi(local);
        QList<BackupSet> existing;
        if (!overwrite && fi.isFile() && fi.size() > 0) {
            if (!readBackupFile(device, what, &existing))
                return;
        }
        QFile file(local);
        const bool opened = !fi.isDir() && QFileInfo(fi.absolutePath()).isDir()
                            && file.open(overwrite || existing.isEmpty() ? (QIODevice::WriteOnly | QIODevice::Truncate)
                                                                          : (QIODevice::WriteOnly | QIODevice::Append));
        if (!opened) {
            m_reply->message(3201, 1, 16,
                             QStringLiteral("Cannot open backup device '%1'. Operating system error %2.")
                                 .arg(device, osErrorOpening(local, true)),
                             m_state.serverName, QString(), m_line);
            terminating(what);
            return;
        }
        QString text;
        if (existing.isEmpty())
            text += QLatin1String(kBackupMagic) + QLatin1Char('\n');
        text += QStringLiteral("SET %1 %2\n").arg(percent(d->name), QDateTime::currentDateTime().toString(Qt::ISODate));
        for (const DbFile &f : d->files)
            text += QStringLiteral("FILE %1 %2 %3 %4 %5\n")
                        .arg(QString(f.type), percent(f.logical), percent(m_state.physicalPath(f)),
                             QString::number(f.pages), QString::number(f.fileId));
        const QByteArray bytes = text.toUtf8();
        if (file.write(bytes) != bytes.size() || !file.flush()) {
            file.close();
            m_reply->message(3202, 1, 16,
                             QStringLiteral("Write on \"%1\" failed: 112(There is not enough space on the disk.)").arg(device),
                             m_state.serverName, QString(), m_line);
            terminating(what);
            return;
        }
        file.close();
        position = int(existing.size()) + 1;
    }
    qint64 total = 0;
    for (const DbFile &f : d->files) {
        info(4035, 1,
             QStringLiteral("Processed %1 pages for database '%2', file '%3' on file %4.")
                 .arg(QString::number(f.pages), d->name, f.logical, QString::number(position)));
        total += f.pages;
    }
    const double seconds = qMax<qint64>(clock.elapsed(), 1) / 1000.0;
    info(3014, 1,
         QStringLiteral("%1 successfully processed %2 pages in %3 seconds (%4 MB/sec).")
             .arg(what, QString::number(total), QString::number(seconds, 'f', 3), rate(total, seconds)));
    done(0);
}

void Engine::restoreInfo(const QString &kind, const ExprP &disk, const QList<WithOption> &with)
{
    const QString what = kind == QLatin1String("filelistonly") ? QStringLiteral("RESTORE FILELIST")
                         : kind == QLatin1String("verifyonly") ? QStringLiteral("VERIFY DATABASE")
                         : kind == QLatin1String("labelonly")  ? QStringLiteral("RESTORE LABELONLY")
                                                               : QStringLiteral("RESTORE HEADERONLY");
    const QString device = evalText(disk);
    QList<BackupSet> sets;
    if (!readBackupFile(device, what, &sets))
        return;
    const int position = optionInt(with, QStringLiteral("file"), 1);
    if (position < 1 || position > sets.size()) {
        m_reply->message(4038, 1, 16, QStringLiteral("Cannot find file ID %1 on device '%2'.").arg(QString::number(position), device),
                         m_state.serverName, QString(), m_line);
        terminating(what);
        return;
    }
    const BackupSet &set = sets[position - 1];
    if (kind == QLatin1String("verifyonly")) {
        info(3262, 1, QStringLiteral("The backup set on file %1 is valid.").arg(position));
        done(0);
        return;
    }
    if (kind != QLatin1String("filelistonly")) {
        // Only the columns a caller could want from a simulated header.
        const QList<Column> cols = {{QStringLiteral("BackupName"), SqlType::nvarchar(128)},
                                    {QStringLiteral("BackupType"), SqlType::integer(1)},
                                    {QStringLiteral("Position"), SqlType::integer(2)},
                                    {QStringLiteral("DeviceType"), SqlType::integer(1)},
                                    {QStringLiteral("ServerName"), SqlType::nvarchar(128)},
                                    {QStringLiteral("DatabaseName"), SqlType::nvarchar(128)},
                                    {QStringLiteral("BackupStartDate"), {SqlType::DateTime, 8}}};
        QList<QList<Value>> rows;
        for (int k = 0; k < sets.size(); ++k)
            rows << QList<Value>{Value::nullOf(SqlType::nvarchar(128)), Value::integer(1, 1), Value::integer(k + 1, 2),
                                 Value::integer(2, 1), Value::nvarchar(m_state.serverName),
                                 Value::nvarchar(sets[k].database), Value::dateTime(sets[k].started)};
        sendTable(cols, rows);
        return;
    }
    const SqlType num20 = Value::numeric(0, 20).type;
    const SqlType num25 = Value::numeric(0, 25).type;
    const QList<Column> cols = {
        {QStringLiteral("LogicalName"), SqlType::nvarchar(128)},
        {QStringLiteral("PhysicalName"), SqlType::nvarchar(260)},
        {QStringLiteral("Type"), SqlType::chars(1)},
        {QStringLiteral("FileGroupName"), SqlType::nvarchar(128)},
        {QStringLiteral("Size"), num20},
        {QStringLiteral("MaxSize"), num20},
        {QStringLiteral("FileID"), SqlType::integer(8)},
        {QStringLiteral("CreateLSN"), num25},
        {QStringLiteral("DropLSN"), num25},
        {QStringLiteral("UniqueID"), {SqlType::Guid, 16}},
        {QStringLiteral("ReadOnlyLSN"), num25},
        {QStringLiteral("ReadWriteLSN"), num25},
        {QStringLiteral("BackupSizeInBytes"), SqlType::integer(8)},
        {QStringLiteral("SourceBlockSize"), SqlType::integer(4)},
        {QStringLiteral("FileGroupID"), SqlType::integer(4)},
        {QStringLiteral("LogGroupGUID"), {SqlType::Guid, 16}},
        {QStringLiteral("DifferentialBaseLSN"), num25},
        {QStringLiteral("DifferentialBaseGUID"), {SqlType::Guid, 16}},
        {QStringLiteral("IsReadOnly"), {SqlType::Bit, 1}},
        {QStringLiteral("IsPresent"), {SqlType::Bit, 1}},
        {QStringLiteral("TDEThumbprint"), {SqlType::VarBinary, 32}},
        {QStringLiteral("SnapshotURL"), SqlType::nvarchar(360)},
    };
    QList<QList<Value>> rows;
    for (const DbFile &f : set.files) {
        const bool logFile = f.type == QLatin1Char('L');
        QByteArray guid = QByteArray::number(qHash(set.database + f.logical), 16).rightJustified(16, '0');
        rows << QList<Value>{Value::nvarchar(f.logical),
                             Value::string(f.physical, SqlType::nvarchar(260)),
                             Value::string(QString(f.type), SqlType::chars(1)),
                             logFile ? Value::nullOf(SqlType::nvarchar(128)) : Value::nvarchar(QStringLiteral("PRIMARY")),
                             Value::numeric(qint64(f.pages) * 8192, 20),
                             Value::numeric(logFile ? 2199023255552LL : 35184372080640LL, 20),
                             Value::integer(f.fileId, 8),
                             Value::numeric(0, 25),
                             Value::numeric(0, 25),
                             Value::guid(guid),
                             Value::numeric(0, 25),
                             Value::numeric(0, 25),
                             Value::integer(qint64(f.pages) * 8192, 8),
                             Value::integer(4096),
                             Value::integer(logFile ? 0 : 1),
                             Value::nullOf({SqlType::Guid, 16}),
                             Value::numeric(0, 25),
                             Value::guid(QByteArray(16, '\0')),
                             Value::bit(false),
                             Value::bit(true),
                             Value::nullOf({SqlType::VarBinary, 32}),
                             Value::nullOf(SqlType::nvarchar(360))};
    }
    sendTable(cols, rows);
}

void Engine::restoreDatabase(const QString &database, const ExprP &disk, const QList<WithOption> &with)
{
    const QString what = QStringLiteral("RESTORE DATABASE");
    QElapsedTimer clock;
    clock.start();
    if (refusedInTransaction(what))
        return;
    auto error = [&](int number, int state, const QString &text) {
        m_reply->message(number, state, 16, text, m_state.serverName, QString(), m_line);
    };
    if (database.compare(QLatin1String("tempdb"), Qt::CaseInsensitive) == 0) {
        error(3147, 1, QStringLiteral("Backup and restore operations are not allowed on database tempdb."));
        terminating(what);
        return;
    }
    const QString device = evalText(disk);
    QList<BackupSet> sets;
    if (!readBackupFile(device, what, &sets))
        return;
    const int position = optionInt(with, QStringLiteral("file"), 1);
    if (position < 1 || position > sets.size()) {
        error(4038, 1, QStringLiteral("Cannot find file ID %1 on device '%2'.").arg(QString::number(position), device));
        terminating(what);
        return;
    }
    const BackupSet set = sets[position - 1];
    const Database *existing = m_state.findDatabase(database);
    if (existing && !hasOption(with, QStringLiteral("replace"))) {
        if (existing->name.compare(set.database, Qt::CaseInsensitive) == 0)
            error(3159, 1,
                  QStringLiteral("The tail of the log for the database \"%1\" has not been backed up. Use BACKUP LOG "
                                 "WITH NORECOVERY to backup the log if it contains work you do not want to lose. Use "
                                 "the WITH REPLACE or WITH STOPAT clause of the RESTORE statement to just overwrite "
                                 "the contents of the log.")
                      .arg(existing->name));
        else
            error(3154, 1,
                  QStringLiteral("The backup set holds a backup of a database other than the existing '%1' database.")
                      .arg(existing->name));
        terminating(what);
        return;
    }
    if (existing && m_state.databaseUsers.value(existing->name.toLower()) > 0) {
        error(3101, 1, QStringLiteral("Exclusive access could not be obtained because the database is in use."));
        terminating(what);
        return;
    }

    // Where each file goes.
    QList<DbFile> targets = set.files;
    for (const WithOption &o : with) {
        if (o.name != QLatin1String("move"))
            continue;
        const QString logical = evalText(o.value);
        const QString to = evalText(o.moveTo);
        bool found = false;
        for (DbFile &f : targets)
            if (f.logical.compare(logical, Qt::CaseInsensitive) == 0) {
                f.physical = to;
                found = true;
            }
        if (!found) {
            error(3234, 2,
                  QStringLiteral("Logical file '%1' is not part of database '%2'. Use RESTORE FILELISTONLY to list "
                                 "the logical file names.")
                      .arg(logical, database));
            terminating(what);
            return;
        }
    }

    bool planOk = true;
    for (const DbFile &f : targets) {
        const QString local = m_state.mapPath(f.physical);
        if (!QFileInfo(QFileInfo(local).absolutePath()).isDir()) {
            error(5133, 1,
                  QStringLiteral("Directory lookup for the file \"%1\" failed with the operating system error %2.")
                      .arg(f.physical, osErrorText(OsPathNotFound)));
            error(3156, 3,
                  QStringLiteral("File '%1' cannot be restored to '%2'. Use WITH MOVE to identify a valid location "
                                 "for the file.")
                      .arg(f.logical, f.physical));
            planOk = false;
            continue;
        }
        for (const Database &other : m_state.databases) {
            if (existing && other.id == existing->id)
                continue;
            for (const DbFile &of : other.files) {
                if (QDir::cleanPath(m_state.mapPath(m_state.physicalPath(of))) == QDir::cleanPath(local)) {
                    error(1834, 1,
                          QStringLiteral("The file '%1' cannot be overwritten. It is being used by database '%2'.")
                              .arg(f.physical, other.name));
                    error(3156, 4,
                          QStringLiteral("File '%1' cannot be restored to '%2'. Use WITH MOVE to identify a valid "
                                         "location for the file.")
                              .arg(f.logical, f.physical));
                    planOk = false;
                }
            }
        }
    }
    if (planOk) {
        for (const DbFile &f : targets) {
            QFile file(m_state.mapPath(f.physical));
            if (QFileInfo(file.fileName()).isDir() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                error(3634, 1,
                      QStringLiteral("The operating system returned the error '%1' while attempting "
                                     "'RestoreContainer::ValidateTargetForCreation' on '%2'.")
                          .arg(osErrorText(OsAccessDenied), f.physical));
                error(3156, 8,
                      QStringLiteral("File '%1' cannot be restored to '%2'. Use WITH MOVE to identify a valid "
                                     "location for the file.")
                          .arg(f.logical, f.physical));
                planOk = false;
                continue;
            }
            file.write(QStringLiteral("simulated %1 file '%2' of database '%3'\n")
                           .arg(f.type == QLatin1Char('L') ? QStringLiteral("log") : QStringLiteral("data"), f.logical,
                                database)
                           .toUtf8());
        }
    }
    if (!planOk) {
        error(3119, 1,
              QStringLiteral("Problems were identified while planning for the RESTORE statement. Previous messages "
                             "provide details."));
        terminating(what);
        return;
    }

    Database *target = m_state.findDatabase(database);
    if (!target)
        target = &m_state.createDatabase(database);
    target->files = targets;
    qint64 total = 0;
    for (const DbFile &f : targets) {
        info(4035, 1,
             QStringLiteral("Processed %1 pages for database '%2', file '%3' on file %4.")
                 .arg(QString::number(f.pages), target->name, f.logical, QString::number(position)));
        total += f.pages;
    }
    const double seconds = qMax<qint64>(clock.elapsed(), 1) / 1000.0;
    info(3014, 1,
         QStringLiteral("RESTORE DATABASE successfully processed %1 pages in %2 seconds (%3 MB/sec).")
             .arg(QString::number(total), QString::number(seconds, 'f', 3), rate(total, seconds)));
    done(0);
}

void Engine::dbcc(const QString &command, const QList<ExprP> &args, const QStringList &with)
{
    if (command != QLatin1String("shrinkdatabase"))
        fail(2526, 16, 3,
             QStringLiteral("Incorrect DBCC statement. Check the documentation for the correct DBCC syntax and options."));
    if (args.isEmpty() || args.size() > 3)
        fail(102, 15, 1, QStringLiteral("Incorrect syntax near 'SHRINKDATABASE'."));
    const Database *d = nullptr;
    QString name;
    const ExprP &a = args.first();
    if (a->kind == Expr::ColumnRef) {
        name = a->parts.last();
        d = m_state.findDatabase(name);
    } else {
        const Value v = eval(a, {});
        if (v.type.base == SqlType::Int) {
            name = v.toText();
            d = v.i == 0 ? m_state.findDatabase(currentDatabaseName()) : m_state.findDatabase(int(v.i));
        } else {
            name = v.toText();
            d = m_state.findDatabase(name);
        }
    }
    if (args.size() >= 2) {
        const qint64 percentFree = toInteger(eval(args[1], {}));
        if (percentFree < 0 || percentFree > 99)
            fail(2507, 16, 1,
                 QStringLiteral("Value %1 for the target percent is out of range; it must be between 0 and 99.")
                     .arg(percentFree));
    }
    if (!d)
        fail(2520, 16, 12,
             QStringLiteral("Could not find database '%1'. The database either does not exist, or was dropped before "
                            "a statement tried to use it. Verify if the database exists by querying the sys.databases "
                            "catalog view.")
                 .arg(name));
    const QList<Column> cols = {{QStringLiteral("DbId"), SqlType::integer(2)},
                                {QStringLiteral("FileId"), SqlType::integer(4)},
                                {QStringLiteral("CurrentSize"), SqlType::integer(4)},
                                {QStringLiteral("MinimumSize"), SqlType::integer(4)},
                                {QStringLiteral("UsedPages"), SqlType::integer(4)},
                                {QStringLiteral("EstimatedPages"), SqlType::integer(4)}};
    QList<QList<Value>> rows;
    for (const DbFile &f : d->files)
        rows << QList<Value>{Value::integer(d->id, 2), Value::integer(f.fileId), Value::integer(f.pages),
                             Value::integer(f.pages), Value::integer(qMax(1, f.pages - 8)), Value::integer(qMax(1, f.pages - 8))};
    sendTable(cols, rows);
    if (!with.contains(QStringLiteral("no_infomsgs"))) {
        info(2528, 1, QStringLiteral("DBCC execution completed. If DBCC printed error messages, contact your system administrator."));
        done(0);
    }
}

void Engine::print(const ExprP &text)
{
    info(0, 1, eval(text, {}).toText());
    done(0);
}

} // namespace sqlsim
