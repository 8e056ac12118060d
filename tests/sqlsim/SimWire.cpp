#include "SimWire.h"

#include <QDate>
#include <QTimeZone>

namespace sqlsim {

namespace {

// SQL_Latin1_General_CP1_CI_AS: LCID 0x0409, flags 0xD0, sort id 52.
const char kCollation[5] = {0x09, 0x04, char(0xD0), 0x00, 0x34};

int numericBytes(int precision)
{
    if (precision <= 9)
        return 5;
    if (precision <= 19)
        return 9;
    if (precision <= 28)
        return 13;
    return 17;
}

QByteArray singleByteText(const QString &s)
{
    return s.toLatin1(); // characters outside Latin-1 become '?', as a code page would
}

} // namespace

QByteArray collationBytes()
{
    return QByteArray(kCollation, 5);
}

void Writer::u16(quint16 v)
{
    u8(v & 0xFF);
    u8(v >> 8);
}

void Writer::u32(quint32 v)
{
    u16(v & 0xFFFF);
    u16(v >> 16);
}

void Writer::u64(quint64 v)
{
    u32(quint32(v & 0xFFFFFFFFu));
    u32(quint32(v >> 32));
}

void Writer::u16be(quint16 v)
{
    u8(v >> 8);
    u8(v & 0xFF);
}

void Writer::u32be(quint32 v)
{
    u16be(v >> 16);
    u16be(v & 0xFFFF);
}

void Writer::ucs2(const QString &s)
{
    for (QChar c : s)
        u16(c.unicode());
}

void Writer::bVarchar(const QString &s)
{
    const QString t = s.left(255);
    u8(quint8(t.size()));
    ucs2(t);
}

void Writer::usVarchar(const QString &s)
{
    const QString t = s.left(65535);
    u16(quint16(t.size()));
    ucs2(t);
}

void Writer::bVarbyte(const QByteArray &b)
{
    u8(quint8(b.size()));
    bytes(b.left(255));
}

Reader::Reader(const QByteArray &data, int pos)
    : m_data(data)
    , m_pos(pos)
{
    if (pos < 0 || pos > data.size())
        throw Malformed("offset outside the message");
}

void Reader::need(int n) const
{
    if (n < 0 || n > remaining())
        throw Malformed("message shorter than its contents say");
}

void Reader::seek(int pos)
{
    if (pos < 0 || pos > m_data.size())
        throw Malformed("offset outside the message");
    m_pos = pos;
}

void Reader::skip(int n)
{
    need(n);
    m_pos += n;
}

quint8 Reader::u8()
{
    need(1);
    return quint8(m_data[m_pos++]);
}

quint16 Reader::u16()
{
    const quint16 lo = u8();
    return quint16(lo | (quint16(u8()) << 8));
}

quint32 Reader::u32()
{
    const quint32 lo = u16();
    return lo | (quint32(u16()) << 16);
}

quint64 Reader::u64()
{
    const quint64 lo = u32();
    return lo | (quint64(u32()) << 32);
}

quint16 Reader::u16be()
{
    const quint16 hi = u8();
    return quint16((hi << 8) | u8());
}

QByteArray Reader::bytes(int n)
{
    need(n);
    QByteArray b = m_data.mid(m_pos, n);
    m_pos += n;
    return b;
}

QString Reader::ucs2(int chars)
{
    need(chars * 2);
    QString s(chars, Qt::Uninitialized);
    for (int i = 0; i < chars; ++i)
        s[i] = QChar(u16());
    return s;
}

QString Reader::bVarchar()
{
    return ucs2(u8());
}

QString Reader::usVarchar()
{
    return ucs2(u16());
}

QString SqlType::name() const
{
    switch (base) {
    case Null:
        return QStringLiteral("null");
    case Int:
        return size == 1 ? QStringLiteral("tinyint")
               : size == 2 ? QStringLiteral("smallint")
               : size == 8 ? QStringLiteral("bigint")
                           : QStringLiteral("int");
    case Bit:
        return QStringLiteral("bit");
    case Char:
        return QStringLiteral("char(%1)").arg(size);
    case VarChar:
        return QStringLiteral("varchar(%1)").arg(size);
    case NChar:
        return QStringLiteral("nchar(%1)").arg(size);
    case NVarChar:
        return QStringLiteral("nvarchar(%1)").arg(size);
    case Numeric:
        return QStringLiteral("numeric(%1,%2)").arg(precision).arg(scale);
    case Guid:
        return QStringLiteral("uniqueidentifier");
    case VarBinary:
        return QStringLiteral("varbinary(%1)").arg(size);
    case DateTime:
        return QStringLiteral("datetime");
    }
    return QString();
}

Value Value::nullOf(SqlType t)
{
    Value v;
    v.type = t;
    return v;
}

Value Value::integer(qint64 i, int bytes)
{
    Value v;
    v.type = SqlType::integer(bytes);
    v.null = false;
    v.i = i;
    return v;
}

Value Value::string(const QString &s, SqlType t)
{
    Value v;
    v.type = t;
    v.null = false;
    v.s = s;
    return v;
}

Value Value::bit(bool b)
{
    Value v;
    v.type = {SqlType::Bit, 1};
    v.null = false;
    v.i = b ? 1 : 0;
    return v;
}

Value Value::numeric(qint64 i, int precision, int scale)
{
    Value v;
    v.type = {SqlType::Numeric, numericBytes(precision), precision, scale};
    v.null = false;
    v.i = i;
    return v;
}

Value Value::guid(const QByteArray &sixteen)
{
    Value v;
    v.type = {SqlType::Guid, 16};
    v.null = false;
    v.b = sixteen.left(16).leftJustified(16, '\0');
    return v;
}

Value Value::varbinary(const QByteArray &b, int max)
{
    Value v;
    v.type = {SqlType::VarBinary, max};
    v.null = false;
    v.b = b.left(max);
    return v;
}

Value Value::dateTime(const QDateTime &dt)
{
    Value v;
    v.type = {SqlType::DateTime, 8};
    v.null = false;
    v.dt = dt;
    return v;
}

QString Value::toText() const
{
    if (null)
        return QString();
    switch (type.base) {
    case SqlType::Int:
    case SqlType::Bit:
        return QString::number(i);
    case SqlType::Numeric: {
        if (type.scale == 0)
            return QString::number(i);
        QString digits = QString::number(qAbs(i)).rightJustified(type.scale + 1, QLatin1Char('0'));
        digits.insert(digits.size() - type.scale, QLatin1Char('.'));
        return (i < 0 ? QStringLiteral("-") : QString()) + digits;
    }
    case SqlType::Guid:
    case SqlType::VarBinary:
        return QStringLiteral("0x") + QString::fromLatin1(b.toHex().toUpper());
    case SqlType::DateTime:
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    default:
        return s;
    }
}

void writeTypeInfo(Writer &w, const SqlType &t, int version)
{
    switch (t.base) {
    case SqlType::Null:
    case SqlType::Int:
        w.u8(0x26); // INTN
        w.u8(quint8(t.base == SqlType::Null ? 4 : t.size));
        break;
    case SqlType::Bit:
        w.u8(0x68); // BITN
        w.u8(1);
        break;
    case SqlType::Char:
    case SqlType::VarChar:
        w.u8(t.base == SqlType::Char ? 0xAF : 0xA7);
        w.u16(quint16(qBound(1, t.size, 8000)));
        if (tds71(version))
            w.bytes(collationBytes());
        break;
    case SqlType::NChar:
    case SqlType::NVarChar:
        w.u8(t.base == SqlType::NChar ? 0xEF : 0xE7);
        w.u16(quint16(qBound(1, t.size, 4000) * 2));
        if (tds71(version))
            w.bytes(collationBytes());
        break;
    case SqlType::Numeric:
        w.u8(0x6C); // NUMERICN
        w.u8(quint8(numericBytes(t.precision)));
        w.u8(quint8(t.precision));
        w.u8(quint8(t.scale));
        break;
    case SqlType::Guid:
        w.u8(0x24);
        w.u8(16);
        break;
    case SqlType::VarBinary:
        w.u8(0xA5);
        w.u16(quint16(qBound(1, t.size, 8000)));
        break;
    case SqlType::DateTime:
        w.u8(0x6F); // DATETIMN
        w.u8(8);
        break;
    }
}

void writeValue(Writer &w, const SqlType &t, const Value &v, int)
{
    switch (t.base) {
    case SqlType::Null:
    case SqlType::Int: {
        if (v.null || t.base == SqlType::Null) {
            w.u8(0);
            break;
        }
        const int n = t.size;
        w.u8(quint8(n));
        for (int k = 0; k < n; ++k)
            w.u8(quint8((quint64(v.i) >> (8 * k)) & 0xFF));
        break;
    }
    case SqlType::Bit:
        if (v.null) {
            w.u8(0);
        } else {
            w.u8(1);
            w.u8(v.i ? 1 : 0);
        }
        break;
    case SqlType::Char:
    case SqlType::VarChar: {
        if (v.null) {
            w.u16(0xFFFF);
            break;
        }
        const int max = qBound(1, t.size, 8000);
        QByteArray b = singleByteText(v.s).left(max);
        if (t.base == SqlType::Char)
            b = b.leftJustified(max, ' ');
        w.u16(quint16(b.size()));
        w.bytes(b);
        break;
    }
    case SqlType::NChar:
    case SqlType::NVarChar: {
        if (v.null) {
            w.u16(0xFFFF);
            break;
        }
        const int max = qBound(1, t.size, 4000);
        QString s = v.s.left(max);
        if (t.base == SqlType::NChar)
            s = s.leftJustified(max, QLatin1Char(' '));
        w.u16(quint16(s.size() * 2));
        w.ucs2(s);
        break;
    }
    case SqlType::Numeric: {
        if (v.null) {
            w.u8(0);
            break;
        }
        const int n = numericBytes(t.precision);
        w.u8(quint8(n));
        w.u8(v.i < 0 ? 0 : 1);
        const quint64 magnitude = v.i < 0 ? quint64(-(v.i + 1)) + 1 : quint64(v.i);
        for (int k = 0; k < n - 1; ++k)
            w.u8(k < 8 ? quint8((magnitude >> (8 * k)) & 0xFF) : 0);
        break;
    }
    case SqlType::Guid:
        if (v.null) {
            w.u8(0);
        } else {
            w.u8(16);
            w.bytes(v.b.left(16).leftJustified(16, '\0'));
        }
        break;
    case SqlType::VarBinary:
        if (v.null) {
            w.u16(0xFFFF);
        } else {
            const QByteArray b = v.b.left(qBound(1, t.size, 8000));
            w.u16(quint16(b.size()));
            w.bytes(b);
        }
        break;
    case SqlType::DateTime: {
        if (v.null) {
            w.u8(0);
            break;
        }
        const QDate base(1900, 1, 1);
        const QDateTime local = v.dt;
        const qint64 days = base.daysTo(local.date());
        const qint64 ms = local.time().msecsSinceStartOfDay();
        w.u8(8);
        w.u32(quint32(qint32(days)));
        w.u32(quint32(ms * 300 / 1000));
        break;
    }
    }
}

void Reply::raw(const QByteArray &bytes)
{
    Item item;
    item.bytes = bytes;
    m_items.append(item);
}

void Reply::done(quint8 token, quint16 status, quint16 curCmd, quint64 rows)
{
    Item item;
    item.isDone = true;
    item.token = token;
    item.status = status;
    item.curCmd = curCmd;
    item.rows = rows;
    if (status & DoneError)
        m_error = true;
    m_items.append(item);
}

void Reply::message(int number, int state, int severity, const QString &text, const QString &server,
                    const QString &proc, int line)
{
    Writer body;
    body.u32(quint32(number));
    body.u8(quint8(state));
    // Severity-10 messages go out with class 0, as real servers send them.
    body.u8(quint8(severity <= 10 ? 0 : severity));
    body.usVarchar(text);
    body.bVarchar(server);
    body.bVarchar(proc);
    if (tds72(m_version))
        body.u32(quint32(line));
    else
        body.u16(quint16(line));
    Writer w;
    w.u8(severity > 10 ? TokError : TokInfo);
    w.u16(quint16(body.size()));
    w.bytes(body.data);
    raw(w.data);
    if (severity > 10)
        m_error = true;
}

void Reply::envChange(quint8 type, const QString &newValue, const QString &oldValue)
{
    Writer body;
    body.u8(type);
    body.bVarchar(newValue);
    body.bVarchar(oldValue);
    Writer w;
    w.u8(TokEnvChange);
    w.u16(quint16(body.size()));
    w.bytes(body.data);
    raw(w.data);
}

void Reply::envChangeBytes(quint8 type, const QByteArray &newValue, const QByteArray &oldValue)
{
    Writer body;
    body.u8(type);
    body.bVarbyte(newValue);
    body.bVarbyte(oldValue);
    Writer w;
    w.u8(TokEnvChange);
    w.u16(quint16(body.size()));
    w.bytes(body.data);
    raw(w.data);
}

void Reply::columns(const QList<Column> &cols)
{
    Writer w;
    w.u8(TokColMetadata);
    w.u16(quint16(cols.size()));
    for (const Column &c : cols) {
        if (tds72(m_version))
            w.u32(0); // user type
        else
            w.u16(0);
        w.u16(c.type.nullable ? 0x0001 : 0x0000);
        writeTypeInfo(w, c.type, m_version);
        w.bVarchar(c.name);
    }
    raw(w.data);
}

void Reply::row(const QList<Column> &cols, const QList<Value> &values)
{
    Writer w;
    w.u8(TokRow);
    for (int k = 0; k < cols.size(); ++k)
        writeValue(w, cols[k].type, k < values.size() ? values[k] : Value::nullOf(cols[k].type), m_version);
    raw(w.data);
}

void Reply::returnStatus(qint32 value)
{
    Writer w;
    w.u8(TokReturnStatus);
    w.u32(quint32(value));
    raw(w.data);
}

void Reply::returnValueInt(const QString &name, qint32 value)
{
    Writer w;
    w.u8(TokReturnValue);
    Writer body;
    body.u16(0); // ordinal
    body.bVarchar(name);
    body.u8(0x01); // output parameter
    if (tds72(m_version))
        body.u32(0);
    else
        body.u16(0);
    body.u16(0x0001);
    writeTypeInfo(body, SqlType::integer(4), m_version);
    writeValue(body, SqlType::integer(4), Value::integer(value), m_version);
    // RETURNVALUE has no length prefix of its own: the layout is self-describing.
    w.bytes(body.data);
    raw(w.data);
}

bool Reply::hasDone() const
{
    for (const Item &i : m_items)
        if (i.isDone)
            return true;
    return false;
}

void Reply::fixMoreFlags()
{
    int last = -1;
    for (int k = 0; k < m_items.size(); ++k)
        if (m_items[k].isDone && m_items[k].token != TokDoneInProc)
            last = k;
    for (int k = 0; k < m_items.size(); ++k) {
        Item &i = m_items[k];
        if (!i.isDone)
            continue;
        if (i.token == TokDoneInProc || k != last)
            i.status |= DoneMore;
        else
            i.status &= ~DoneMore;
    }
}

void Reply::doneToInProc()
{
    for (Item &i : m_items)
        if (i.isDone && i.token == TokDone)
            i.token = TokDoneInProc;
}

void Reply::append(const Reply &other)
{
    m_items += other.m_items;
    m_error = m_error || other.m_error;
}

QByteArray Reply::doneBytes(const Item &item) const
{
    Writer w;
    w.u8(item.token);
    w.u16(item.status);
    w.u16(item.curCmd);
    if (tds72(m_version))
        w.u64(item.rows);
    else
        w.u32(quint32(item.rows));
    return w.data;
}

QByteArray Reply::serialize() const
{
    QByteArray out;
    for (const Item &i : m_items)
        out += i.isDone ? doneBytes(i) : i.bytes;
    return out;
}

QByteArray Reply::serializeUpToLastDone() const
{
    int last = -1;
    for (int k = 0; k < m_items.size(); ++k)
        if (m_items[k].isDone)
            last = k;
    QByteArray out;
    for (int k = 0; k < last; ++k)
        out += m_items[k].isDone ? doneBytes(m_items[k]) : m_items[k].bytes;
    return out;
}

} // namespace sqlsim
