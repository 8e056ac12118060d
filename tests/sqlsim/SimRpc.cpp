#include "SimRpc.h"

#include <QDate>

namespace sqlsim {

namespace {

void skipAllHeaders(Reader &r, int version)
{
    if (!tds72(version))
        return;
    const quint32 total = r.u32();
    if (total < 4 || qint64(total) - 4 > r.remaining())
        throw Malformed("ALL_HEADERS length outside the request");
    r.skip(int(total - 4));
}

QString procName(int id)
{
    static const char *names[] = {nullptr,           "sp_cursor",        "sp_cursoropen",   "sp_cursorprepare",
                                  "sp_cursorexecute", "sp_cursorprepexec", "sp_cursorunprepare", "sp_cursorfetch",
                                  "sp_cursoroption", "sp_cursorclose",   "sp_executesql",   "sp_prepare",
                                  "sp_execute",      "sp_prepexec",      "sp_prepexecrpc",  "sp_unprepare"};
    if (id >= 1 && id <= 15)
        return QString::fromLatin1(names[id]);
    return QStringLiteral("procedure %1").arg(id);
}

qint64 signedLe(const QByteArray &b)
{
    quint64 v = 0;
    for (int k = 0; k < b.size() && k < 8; ++k)
        v |= quint64(quint8(b[k])) << (8 * k);
    const int bits = int(qMin<qsizetype>(b.size(), 8)) * 8;
    if (bits > 0 && bits < 64 && (v >> (bits - 1)) & 1)
        v |= ~quint64(0) << bits;
    return qint64(v);
}

QByteArray readPlp(Reader &r, bool *isNull)
{
    const quint64 total = r.u64();
    *isNull = total == ~quint64(0);
    QByteArray out;
    if (*isNull)
        return out;
    for (;;) {
        const quint32 chunk = r.u32();
        if (chunk == 0)
            break;
        if (qint64(chunk) > r.remaining())
            throw Malformed("PLP chunk longer than the request");
        out += r.bytes(int(chunk));
    }
    return out;
}

QString fromUcs2(const QByteArray &b)
{
    QString s;
    for (int k = 0; k + 1 < b.size(); k += 2)
        s += QChar(quint16(quint8(b[k]) | (quint8(b[k + 1]) << 8)));
    return s;
}

QDateTime fromDays(qint64 daysSince0001, qint64 msOfDay)
{
    return QDateTime(QDate(1, 1, 1).addDays(daysSince0001), QTime(0, 0).addMSecs(int(msOfDay)));
}

// One parameter's TYPE_INFO and value, for the types clients send.
Value readParam(Reader &r, int version)
{
    const quint8 type = r.u8();
    Value v;
    auto fixedInt = [&](int n) {
        v = Value::integer(signedLe(r.bytes(n)), n);
        return v;
    };
    switch (type) {
    case 0x1F: // NULLTYPE
        return Value::nullOf(SqlType::integer(4));
    case 0x30:
        return Value::integer(r.u8(), 1);
    case 0x34:
        return fixedInt(2);
    case 0x38:
        return fixedInt(4);
    case 0x7F:
        return fixedInt(8);
    case 0x32:
        return Value::bit(r.u8() != 0);
    case 0x26: { // INTN
        const int size = r.u8();
        const int len = r.u8();
        if (len == 0)
            return Value::nullOf(SqlType::integer(size == 0 ? 4 : size));
        return Value::integer(signedLe(r.bytes(len)), len);
    }
    case 0x68: { // BITN
        r.u8();
        const int len = r.u8();
        if (len == 0)
            return Value::nullOf({SqlType::Bit, 1});
        return Value::bit(r.bytes(len).at(0) != 0);
    }
    case 0x3B: // FLT4
    case 0x3E: // FLT8
    case 0x6D: { // FLTN
        int len = type == 0x3B ? 4 : 8;
        if (type == 0x6D) {
            r.u8();
            len = r.u8();
            if (len == 0)
                return Value::nullOf(SqlType::varchar(30));
        }
        const QByteArray b = r.bytes(len);
        double d = 0;
        if (len == 4) {
            quint32 bits = quint32(signedLe(b));
            float f;
            memcpy(&f, &bits, 4);
            d = f;
        } else {
            quint64 bits = quint64(signedLe(b));
            memcpy(&d, &bits, 8);
        }
        // No float type of our own: the value travels as its text.
        return Value::string(QString::number(d, 'g', 17), SqlType::varchar(30));
    }
    case 0x6A: // DECIMALN
    case 0x6C: { // NUMERICN
        r.u8();
        const int precision = r.u8();
        const int scale = r.u8();
        const int len = r.u8();
        if (len == 0)
            return Value::nullOf(Value::numeric(0, qBound(1, precision, 38), scale).type);
        const QByteArray b = r.bytes(len);
        const bool positive = b.at(0) != 0;
        quint64 magnitude = 0;
        for (int k = 1; k < b.size() && k <= 8; ++k)
            magnitude |= quint64(quint8(b[k])) << (8 * (k - 1));
        return Value::numeric(positive ? qint64(magnitude) : -qint64(magnitude), qBound(1, precision, 38), scale);
    }
    case 0x3A: // SMALLDATETIME
    case 0x3D: // DATETIME
    case 0x6F: { // DATETIMN
        int len = type == 0x3A ? 4 : 8;
        if (type == 0x6F) {
            r.u8();
            len = r.u8();
            if (len == 0)
                return Value::nullOf({SqlType::DateTime, 8});
        }
        const QDate base(1900, 1, 1);
        if (len == 4) {
            const int days = r.u16();
            const int minutes = r.u16();
            return Value::dateTime(QDateTime(base.addDays(days), QTime(0, 0).addSecs(minutes * 60)));
        }
        const qint32 days = qint32(r.u32());
        const quint32 ticks = r.u32();
        return Value::dateTime(QDateTime(base.addDays(days), QTime(0, 0).addMSecs(int(qint64(ticks) * 1000 / 300))));
    }
    case 0x28: { // DATEN
        const int len = r.u8();
        if (len == 0)
            return Value::nullOf({SqlType::DateTime, 8});
        const QByteArray b = r.bytes(len);
        return Value::dateTime(fromDays(signedLe(b + QByteArray(1, '\0')), 0));
    }
    case 0x29: // TIMEN
    case 0x2A: // DATETIME2N
    case 0x2B: { // DATETIMEOFFSETN
        const int scale = r.u8();
        const int len = r.u8();
        if (len == 0)
            return Value::nullOf({SqlType::DateTime, 8});
        const QByteArray b = r.bytes(len);
        const int timeLen = scale <= 2 ? 3 : scale <= 4 ? 4 : 5;
        quint64 units = 0;
        for (int k = 0; k < timeLen && k < b.size(); ++k)
            units |= quint64(quint8(b[k])) << (8 * k);
        qint64 ms = qint64(units);
        for (int k = scale; k < 3; ++k)
            ms *= 10;
        for (int k = 3; k < scale; ++k)
            ms /= 10;
        qint64 days = 0;
        if (type != 0x29 && b.size() >= timeLen + 3)
            days = signedLe(b.mid(timeLen, 3) + QByteArray(1, '\0'));
        return Value::dateTime(fromDays(days, ms));
    }
    case 0x24: { // GUID
        r.u8();
        const int len = r.u8();
        if (len == 0)
            return Value::nullOf({SqlType::Guid, 16});
        return Value::guid(r.bytes(len));
    }
    case 0xA7: // BIGVARCHAR
    case 0xAF: // BIGCHAR
    case 0xE7: // NVARCHAR
    case 0xEF: { // NCHAR
        const bool unicode = type == 0xE7 || type == 0xEF;
        const quint16 max = r.u16();
        if (tds71(version))
            r.skip(5); // collation
        QByteArray data;
        bool isNull = false;
        if (max == 0xFFFF) {
            data = readPlp(r, &isNull);
        } else {
            const quint16 len = r.u16();
            isNull = len == 0xFFFF;
            if (!isNull)
                data = r.bytes(len);
        }
        const QString s = unicode ? fromUcs2(data) : QString::fromLatin1(data);
        const SqlType t = unicode ? SqlType::nvarchar(qBound(1, int(s.size()), 4000))
                                  : SqlType::varchar(qBound(1, int(s.size()), 8000));
        return isNull ? Value::nullOf(t) : Value::string(s, t);
    }
    case 0xA5: // BIGVARBINARY
    case 0xAD: { // BIGBINARY
        const quint16 max = r.u16();
        QByteArray data;
        bool isNull = false;
        if (max == 0xFFFF) {
            data = readPlp(r, &isNull);
        } else {
            const quint16 len = r.u16();
            isNull = len == 0xFFFF;
            if (!isNull)
                data = r.bytes(len);
        }
        const SqlType t{SqlType::VarBinary, qBound(1, int(data.size()), 8000)};
        return isNull ? Value::nullOf(t) : Value::varbinary(data, 8000);
    }
    case 0x23: // TEXT
    case 0x63: // NTEXT
    case 0x22: { // IMAGE
        r.u32(); // max length
        if (type != 0x22 && tds71(version))
            r.skip(5);
        const quint32 len = r.u32();
        if (len == 0xFFFFFFFFu)
            return Value::nullOf(type == 0x63 ? SqlType::nvarchar(4000) : SqlType::varchar(8000));
        if (qint64(len) > r.remaining())
            throw Malformed("text parameter longer than the request");
        const QByteArray data = r.bytes(int(len));
        if (type == 0x22)
            return Value::varbinary(data, 8000);
        if (type == 0x63)
            return Value::string(fromUcs2(data), SqlType::nvarchar(4000));
        return Value::string(QString::fromLatin1(data), SqlType::varchar(8000));
    }
    default:
        throw Malformed(QStringLiteral("RPC parameter of type 0x%1").arg(type, 2, 16, QLatin1Char('0')).toStdString());
    }
}

bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') || c == QLatin1Char('$')
           || c == QLatin1Char('@');
}

QStringList declaredParameterNames(const QString &definitions)
{
    QStringList names;
    int depth = 0;
    QString current;
    auto flush = [&]() {
        const QString item = current.trimmed();
        if (item.startsWith(QLatin1Char('@')))
            names << item.section(QRegularExpression(QStringLiteral("\\s+")), 0, 0);
        current.clear();
    };
    for (QChar c : definitions) {
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        if (c == QLatin1Char(',') && depth == 0)
            flush();
        else
            current += c;
    }
    flush();
    return names;
}

QString substitute(const QString &sql, const QHash<QString, QString> &literals)
{
    QString out;
    const int n = int(sql.size());
    int i = 0;
    auto copyUntil = [&](QChar close, bool doubled) {
        out += sql[i++];
        while (i < n) {
            out += sql[i];
            if (sql[i] == close) {
                if (doubled && i + 1 < n && sql[i + 1] == close) {
                    out += sql[++i];
                    ++i;
                    continue;
                }
                ++i;
                return;
            }
            ++i;
        }
    };
    while (i < n) {
        const QChar c = sql[i];
        const QChar next = i + 1 < n ? sql[i + 1] : QChar();
        if (c == QLatin1Char('\'')) {
            copyUntil(QLatin1Char('\''), true);
        } else if (c == QLatin1Char('[')) {
            copyUntil(QLatin1Char(']'), true);
        } else if (c == QLatin1Char('"')) {
            copyUntil(QLatin1Char('"'), true);
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                out += sql[i++];
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const int end = int(sql.indexOf(QStringLiteral("*/"), i + 2));
            const int stop = end < 0 ? n : end + 2;
            out += sql.mid(i, stop - i);
            i = stop;
        } else if (c == QLatin1Char('@') && (i == 0 || !isIdentChar(sql[i - 1]))) {
            int j = i + 1;
            const bool system = next == QLatin1Char('@');
            if (system)
                ++j;
            while (j < n && isIdentChar(sql[j]))
                ++j;
            const QString name = sql.mid(i, j - i);
            const auto it = literals.constFind(name.toLower());
            out += (!system && it != literals.constEnd()) ? *it : name;
            i = j;
        } else {
            out += sql[i++];
        }
    }
    return out;
}

} // namespace

QString batchText(const QByteArray &payload, int version)
{
    Reader r(payload);
    skipAllHeaders(r, version);
    return r.ucs2(r.remaining() / 2);
}

QList<RpcCall> parseRpc(const QByteArray &payload, int version)
{
    Reader r(payload);
    skipAllHeaders(r, version);
    QList<RpcCall> calls;
    while (!r.atEnd()) {
        RpcCall call;
        const quint16 nameLen = r.u16();
        if (nameLen == 0xFFFF) {
            call.nameText = procName(r.u16());
        } else {
            call.nameText = r.ucs2(nameLen);
        }
        call.name = call.nameText.toLower();
        r.u16(); // option flags
        while (!r.atEnd()) {
            const quint8 peek = quint8(payload.at(r.pos()));
            if (peek == 0x80 || peek == 0xFF || peek == 0xFE)
                break;
            RpcParam p;
            p.name = r.bVarchar();
            p.output = (r.u8() & 0x01) != 0;
            p.value = readParam(r, version);
            call.params << p;
        }
        calls << call;
        if (!r.atEnd())
            r.u8(); // batch separator
    }
    if (calls.isEmpty())
        throw Malformed("empty RPC request");
    return calls;
}

TmRequest parseTransactionRequest(const QByteArray &payload, int version)
{
    Reader r(payload);
    skipAllHeaders(r, version);
    TmRequest tm;
    tm.type = r.u16();
    if (tm.type == TmRequest::Begin) {
        r.u8(); // isolation level
        r.bVarchar();
    } else if (tm.type == TmRequest::Commit || tm.type == TmRequest::Rollback) {
        r.bVarchar();
        if (!r.atEnd())
            tm.beginAnother = (r.u8() & 0x01) != 0;
    }
    return tm;
}

QString bindParameters(const QString &sql, const QString &definitions, const QList<RpcParam> &values)
{
    const QStringList declared = declaredParameterNames(definitions);
    QHash<QString, QString> literals;
    for (int k = 0; k < values.size(); ++k) {
        QString name = values[k].name;
        if (name.isEmpty())
            name = declared.value(k);
        if (name.isEmpty())
            continue;
        if (!name.startsWith(QLatin1Char('@')))
            name.prepend(QLatin1Char('@'));
        literals.insert(name.toLower(), sqlLiteral(values[k].value));
    }
    return substitute(sql, literals);
}

RpcPlan planRpc(const RpcCall &call, Session &session)
{
    RpcPlan plan;
    const auto &p = call.params;
    auto missing = [&](const QString &param) {
        plan.kind = RpcPlan::Refuse;
        plan.sql = QStringLiteral("exec %1").arg(call.nameText);
        plan.error = {201, 16, 4,
                      QStringLiteral("Procedure or function '%1' expects parameter '%2', which was not supplied.")
                          .arg(call.nameText, param)};
        return plan;
    };
    if (call.name == QLatin1String("sp_executesql")) {
        if (p.isEmpty())
            return missing(QStringLiteral("@statement"));
        const QString defs = p.size() > 1 ? p[1].value.toText() : QString();
        plan.sql = bindParameters(p[0].value.toText(), defs, p.mid(2));
        return plan;
    }
    if (call.name == QLatin1String("sp_prepexec") || call.name == QLatin1String("sp_prepare")) {
        if (p.size() < 3)
            return missing(p.size() < 2 ? QStringLiteral("@params") : QStringLiteral("@stmt"));
        const QString defs = p[1].value.toText();
        const QString stmt = p[2].value.toText();
        plan.handle = session.nextHandle++;
        session.prepared.insert(plan.handle, {stmt, defs});
        plan.returnsHandle = true;
        plan.handleName = p[0].name;
        if (call.name == QLatin1String("sp_prepare")) {
            plan.kind = RpcPlan::Prepare;
            plan.logged = false;
        } else {
            plan.sql = bindParameters(stmt, defs, p.mid(3));
        }
        return plan;
    }
    if (call.name == QLatin1String("sp_execute")) {
        if (p.isEmpty())
            return missing(QStringLiteral("@handle"));
        const int handle = int(p[0].value.i);
        const auto it = session.prepared.constFind(handle);
        if (p[0].value.null || it == session.prepared.constEnd()) {
            plan.kind = RpcPlan::Refuse;
            plan.sql = QStringLiteral("exec sp_execute %1").arg(sqlLiteral(p[0].value));
            plan.error = {8179, 16, 4, QStringLiteral("Could not find prepared statement with handle %1.").arg(sqlLiteral(p[0].value))};
            return plan;
        }
        plan.sql = bindParameters(it->sql, it->definitions, p.mid(1));
        return plan;
    }
    if (call.name == QLatin1String("sp_unprepare")) {
        plan.kind = RpcPlan::Unprepare;
        plan.logged = false;
        if (!p.isEmpty())
            session.prepared.remove(int(p[0].value.i));
        return plan;
    }
    // Any other procedure: as if it had been called with EXEC.
    QStringList args;
    for (const RpcParam &a : p) {
        QString arg = sqlLiteral(a.value);
        if (!a.name.isEmpty())
            arg = a.name + QStringLiteral(" = ") + arg;
        args << arg;
    }
    plan.sql = QStringLiteral("exec %1").arg(call.nameText);
    if (!args.isEmpty())
        plan.sql += QLatin1Char(' ') + args.join(QStringLiteral(", "));
    return plan;
}

void finishRpc(const RpcPlan &plan, Reply &reply)
{
    reply.returnStatus(0);
    if (plan.returnsHandle)
        reply.returnValueInt(plan.handleName, plan.handle);
    reply.done(TokDoneProc, reply.hasError() ? DoneError : 0);
}

void runRpc(const RpcPlan &plan, Engine &engine, Reply &reply, const QString &serverName)
{
    Reply r(reply.version());
    switch (plan.kind) {
    case RpcPlan::Execute:
        engine.runBatch(plan.sql, r, true);
        finishRpc(plan, r);
        break;
    case RpcPlan::Prepare:
    case RpcPlan::Unprepare:
        finishRpc(plan, r);
        break;
    case RpcPlan::Refuse:
        r.message(plan.error.number, plan.error.state, plan.error.severity, plan.error.text, serverName);
        r.done(TokDoneProc, DoneError);
        break;
    }
    reply.append(r);
}

} // namespace sqlsim
