#pragma once

// TDS byte layouts: a little-endian writer, a bounds-checked reader, the
// value types the simulator sends, and the tokens of a reply.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <stdexcept>

namespace sqlsim {

// Broken framing: the connection that sent it is closed.
struct Malformed : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

enum PacketType : quint8 {
    PktSqlBatch = 0x01,
    PktPreTds7Login = 0x02,
    PktRpc = 0x03,
    PktReply = 0x04,
    PktAttention = 0x06,
    PktTransaction = 0x0E,
    PktLogin7 = 0x10,
    PktSspi = 0x11,
    PktPrelogin = 0x12,
};

enum Token : quint8 {
    TokReturnStatus = 0x79,
    TokColMetadata = 0x81,
    TokError = 0xAA,
    TokInfo = 0xAB,
    TokReturnValue = 0xAC,
    TokLoginAck = 0xAD,
    TokRow = 0xD1,
    TokEnvChange = 0xE3,
    TokDone = 0xFD,
    TokDoneProc = 0xFE,
    TokDoneInProc = 0xFF,
};

enum DoneStatus : quint16 {
    DoneFinal = 0x00,
    DoneMore = 0x01,
    DoneError = 0x02,
    DoneCount = 0x10,
    DoneAttn = 0x20,
};

// TDS versions by their leading byte: 0x70 (7.0) .. 0x74 (7.4).
inline bool tds71(int v) { return v >= 0x71; }
inline bool tds72(int v) { return v >= 0x72; }

class Writer
{
public:
    QByteArray data;

    void u8(quint8 v) { data.append(char(v)); }
    void u16(quint16 v);
    void u32(quint32 v);
    void u64(quint64 v);
    void u16be(quint16 v);
    void u32be(quint32 v);
    void bytes(const QByteArray &b) { data.append(b); }
    void ucs2(const QString &s); // UCS-2LE, no length
    void bVarchar(const QString &s); // byte length in characters + UCS-2
    void usVarchar(const QString &s); // 16-bit length in characters + UCS-2
    void bVarbyte(const QByteArray &b);
    int size() const { return int(data.size()); }
};

class Reader
{
public:
    explicit Reader(const QByteArray &data, int pos = 0);

    int pos() const { return m_pos; }
    int remaining() const { return int(m_data.size()) - m_pos; }
    bool atEnd() const { return remaining() <= 0; }
    void seek(int pos);
    void skip(int n);

    quint8 u8();
    quint16 u16();
    quint32 u32();
    quint64 u64();
    quint16 u16be();
    QByteArray bytes(int n);
    QString ucs2(int chars);
    QString bVarchar();
    QString usVarchar();

private:
    void need(int n) const;
    const QByteArray &m_data;
    int m_pos = 0;
};

// SQL types as far as the simulator uses them.
struct SqlType
{
    enum Base : quint8 { Null, Int, Bit, Char, VarChar, NChar, NVarChar, Numeric, Guid, VarBinary, DateTime };
    Base base = Null;
    int size = 0; // Int: bytes 1/2/4/8; strings: characters; VarBinary: bytes
    int precision = 0;
    int scale = 0;
    bool nullable = true;

    static SqlType integer(int bytes) { return {Int, bytes}; }
    static SqlType nvarchar(int chars) { return {NVarChar, chars}; }
    static SqlType varchar(int chars) { return {VarChar, chars}; }
    static SqlType chars(int n) { return {Char, n}; }
    bool isString() const { return base == Char || base == VarChar || base == NChar || base == NVarChar; }
    bool isUnicode() const { return base == NChar || base == NVarChar; }
    QString name() const; // "int", "nvarchar(128)", ...
};

struct Value
{
    SqlType type;
    bool null = true;
    qint64 i = 0; // Int, Bit, Numeric (unscaled)
    QString s; // strings
    QByteArray b; // Guid, VarBinary
    QDateTime dt; // DateTime

    static Value nullOf(SqlType t);
    static Value integer(qint64 v, int bytes = 4);
    static Value string(const QString &s, SqlType t);
    static Value nvarchar(const QString &s, int chars = 128) { return string(s, SqlType::nvarchar(chars)); }
    static Value bit(bool v);
    static Value numeric(qint64 v, int precision, int scale = 0);
    static Value guid(const QByteArray &sixteen);
    static Value varbinary(const QByteArray &b, int max);
    static Value dateTime(const QDateTime &dt);

    QString toText() const; // for messages, comparisons and literals
};

struct Column
{
    QString name;
    SqlType type;
};

// One reply as a list of tokens; the DONE tokens stay structured so that the
// "more follows" flags can be set once the whole reply is known.
class Reply
{
public:
    explicit Reply(int tdsVersion)
        : m_version(tdsVersion)
    {
    }
    int version() const { return m_version; }

    void raw(const QByteArray &bytes);
    void done(quint8 token, quint16 status, quint16 curCmd = 0, quint64 rows = 0);
    void message(int number, int state, int severity, const QString &text, const QString &server,
                 const QString &proc = QString(), int line = 1);
    void envChange(quint8 type, const QString &newValue, const QString &oldValue);
    void envChangeBytes(quint8 type, const QByteArray &newValue, const QByteArray &oldValue);
    void columns(const QList<Column> &cols);
    void row(const QList<Column> &cols, const QList<Value> &values);
    void returnStatus(qint32 value);
    void returnValueInt(const QString &name, qint32 value);

    bool isEmpty() const { return m_items.isEmpty(); }
    bool hasDone() const;
    // Sets DONE_MORE on every DONE and DONEPROC but the last, and on every DONEINPROC.
    void fixMoreFlags();
    // Turns DONE into DONEINPROC (for a batch run inside an RPC).
    void doneToInProc();
    bool hasError() const { return m_error; }
    void append(const Reply &other);

    QByteArray serialize() const;
    QByteArray serializeUpToLastDone() const; // everything before the final DONE

private:
    struct Item
    {
        QByteArray bytes;
        bool isDone = false;
        quint8 token = 0;
        quint16 status = 0;
        quint16 curCmd = 0;
        quint64 rows = 0;
    };
    QByteArray doneBytes(const Item &item) const;
    int m_version;
    QList<Item> m_items;
    bool m_error = false;
};

void writeTypeInfo(Writer &w, const SqlType &t, int version);
void writeValue(Writer &w, const SqlType &t, const Value &v, int version);
QByteArray collationBytes();

} // namespace sqlsim
