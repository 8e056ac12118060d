#include "SqlSimulator.h"

#include "SimEngine.h"
#include "SimRpc.h"
#include "SimState.h"
#include "SimWire.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QMutexLocker>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace sqlsim {

QString osErrorText(int code)
{
    switch (code) {
    case OsFileNotFound:
        return QStringLiteral("2(The system cannot find the file specified.)");
    case OsPathNotFound:
        return QStringLiteral("3(The system cannot find the path specified.)");
    default:
        return QStringLiteral("5(Access is denied.)");
    }
}

namespace {

const int kMaxMessage = 64 * 1024 * 1024;
const QString kProductName = QStringLiteral("Microsoft SQL Server");

// Statuses of a request packet.
enum : quint8 { EndOfMessage = 0x01, IgnoreMessage = 0x02, ResetConnection = 0x08, ResetConnectionSkipTran = 0x10 };

bool knownPacketType(quint8 type)
{
    switch (type) {
    case PktSqlBatch:
    case PktPreTds7Login:
    case PktRpc:
    case PktAttention:
    case PktTransaction:
    case PktLogin7:
    case PktSspi:
    case PktPrelogin:
        return true;
    default:
        return false;
    }
}

// One client connection: reads packets as they come (also while a reply is
// held back by the delay, so that an ATTENTION gets through), answers each
// request in turn, and closes only itself on broken framing.
class Connection : public QObject
{
public:
    Connection(QTcpSocket *socket, std::shared_ptr<SqlSimulator::State> state, int spid, QObject *parent)
        : QObject(parent)
        , m_socket(socket)
        , m_state(std::move(state))
        , m_delay(new QTimer(this))
    {
        m_session.spid = spid;
        m_socket->setParent(this);
        m_delay->setSingleShot(true);
        {
            QMutexLocker lock(&m_state->mutex);
            ++m_state->connections;
        }
        connect(m_socket, &QTcpSocket::readyRead, this, [this]() { onReadyRead(); });
        connect(m_socket, &QTcpSocket::disconnected, this, [this]() {
            m_phase = Closed;
            deleteLater();
        });
        connect(m_delay, &QTimer::timeout, this, [this]() {
            m_waiting = false;
            next();
        });
        onReadyRead();
    }

    ~Connection() override
    {
        m_socket->disconnect(this);
        m_socket->abort();
        QMutexLocker lock(&m_state->mutex);
        --m_state->connections;
        if (m_loggedIn)
            m_state->useDatabase(m_session.database, -1);
    }

private:
    struct Request
    {
        quint8 type = 0;
        bool reset = false;
        bool delayed = false;
        QString batch;
        QList<RpcPlan> plans;
        TmRequest tm;
    };

    enum Phase { PreLogin, Login, Ready, Closed };

    void onReadyRead()
    {
        if (m_phase == Closed)
            return;
        m_in += m_socket->readAll();
        try {
            while (m_in.size() >= 8 && m_phase != Closed) {
                const quint8 type = quint8(m_in[0]);
                const quint8 status = quint8(m_in[1]);
                const int length = (quint8(m_in[2]) << 8) | quint8(m_in[3]);
                if (length < 8)
                    throw Malformed("packet shorter than its header");
                if (!knownPacketType(type))
                    throw Malformed("not a TDS client packet"); // no need to wait for its length

                if (m_in.size() < length)
                    break;
                const QByteArray payload = m_in.mid(8, length - 8);
                m_in.remove(0, length);
                packet(type, status, payload);
            }
        } catch (const std::exception &) {
            closeAbruptly();
        }
    }

    void packet(quint8 type, quint8 status, const QByteArray &payload)
    {
        if (type == PktAttention) {
            if (m_phase != Ready)
                throw Malformed("attention before logon");
            attention();
            return;
        }
        if (!m_inMessage) {
            m_inMessage = true;
            m_messageType = type;
            m_messageStatus = status;
            m_message.clear();
        } else if (type != m_messageType) {
            throw Malformed("packet of another message type in the middle of a message");
        }
        m_message += payload;
        if (m_message.size() > kMaxMessage)
            throw Malformed("message too long");
        if (!(status & EndOfMessage))
            return;
        m_inMessage = false;
        const QByteArray message = std::move(m_message);
        m_message.clear();
        if (status & IgnoreMessage)
            return; // the client gave this request up before finishing it
        switch (m_phase) {
        case PreLogin:
            if (m_messageType == PktPrelogin) {
                prelogin(message);
                m_phase = Login;
                return;
            }
            [[fallthrough]];
        case Login:
            if (m_messageType != PktLogin7)
                throw Malformed("expected a LOGIN7 request"); // also pre-7.0 logons
            login(message);
            return;
        case Ready:
            if (m_messageType != PktSqlBatch && m_messageType != PktRpc && m_messageType != PktTransaction)
                throw Malformed("unexpected request type");
            accept(m_messageType, m_messageStatus, message);
            return;
        case Closed:
            return;
        }
    }

    void prelogin(const QByteArray &payload)
    {
        Reader r(payload);
        for (;;) {
            const quint8 token = r.u8();
            if (token == 0xFF)
                break;
            const int offset = r.u16be();
            const int length = r.u16be();
            if (offset + length > payload.size())
                throw Malformed("PRELOGIN option outside the packet");
        }
        struct Option
        {
            quint8 token;
            QByteArray data;
        };
        const QList<Option> options = {
            {0x00, QByteArray("\x10\x00\x03\xE8\x00\x00", 6)}, // 16.0.1000
            {0x01, QByteArray(1, '\x02')}, // ENCRYPT_NOT_SUP: no TLS here
            {0x02, QByteArray(1, '\x00')},
            {0x03, QByteArray()},
            {0x04, QByteArray(1, '\x00')},
        };
        Writer table;
        QByteArray data;
        int offset = int(options.size()) * 5 + 1;
        for (const Option &o : options) {
            table.u8(o.token);
            table.u16be(quint16(offset + data.size()));
            table.u16be(quint16(o.data.size()));
            data += o.data;
        }
        table.u8(0xFF);
        send(table.data + data);
    }

    void login(const QByteArray &payload)
    {
        Reader r(payload);
        const quint32 length = r.u32();
        if (length > quint32(payload.size()) || payload.size() < 72)
            throw Malformed("LOGIN7 shorter than its fixed part");
        const quint32 tdsVersion = r.u32();
        const quint32 packetSize = r.u32();
        r.skip(12);
        r.u8();
        const quint8 flags2 = r.u8();
        auto field = [&](int at) -> QPair<int, int> {
            Reader f(payload, at);
            const int off = f.u16();
            const int len = f.u16();
            if (len > 0 && (off < 36 || off + len * 2 > payload.size()))
                throw Malformed("LOGIN7 field outside the packet");
            return {off, len};
        };
        auto text = [&](int at) {
            const auto [off, len] = field(at);
            if (len == 0)
                return QString();
            Reader s(payload, off);
            return s.ucs2(len);
        };
        const QString host = text(36);
        const QString user = text(40);
        const auto [passOff, passLen] = field(44);
        QByteArray pass = payload.mid(passOff, passLen * 2);
        for (char &c : pass) {
            quint8 b = quint8(c) ^ 0xA5;
            c = char(((b & 0x0F) << 4) | (b >> 4));
        }
        Reader passReader(pass);
        const QString password = passReader.ucs2(passLen);
        const QString app = text(48);
        const QString database = text(68);

        const quint8 major = quint8(tdsVersion >> 24);
        int version = 0;
        quint32 ack = tdsVersion;
        if (major >= 0x70 && major <= 0x74)
            version = major;
        else if (major == 0x07 && ((tdsVersion >> 16) & 0xFF) <= 1)
            version = 0x70 + int((tdsVersion >> 16) & 0xFF);
        else
            throw Malformed("unsupported TDS version");
        if (version == 0x70)
            ack = 0x07000000;
        else if (version == 0x71)
            ack = 0x71000001;
        m_session.version = version;
        m_session.host = host;
        m_session.app = app;

        Reply reply(version);
        QString serverName;
        bool ok = false;
        {
            QMutexLocker lock(&m_state->mutex);
            serverName = m_state->serverName;
            const auto login = m_state->logins.constFind(user.toLower());
            if (flags2 & 0x80) {
                reply.message(18452, 1, 14,
                              QStringLiteral("Login failed. The login is from an untrusted domain and cannot be used "
                                             "with Integrated authentication."),
                              serverName);
            } else if (m_state->refuseLogons || login == m_state->logins.constEnd() || login->second != password) {
                reply.message(18456, 1, 14, QStringLiteral("Login failed for user '%1'.").arg(user), serverName);
            } else {
                const QString wanted = database.isEmpty() ? QStringLiteral("master") : database;
                const Database *db = m_state->findDatabase(wanted);
                if (!db) {
                    reply.message(4060, 1, 11,
                                  QStringLiteral("Cannot open database \"%1\" requested by the login. The login failed.")
                                      .arg(wanted),
                                  serverName);
                    reply.message(18456, 1, 14, QStringLiteral("Login failed for user '%1'.").arg(user), serverName);
                } else {
                    ok = true;
                    m_session.user = login->first;
                    m_session.database = db->name;
                    m_state->useDatabase(db->name, +1);
                    m_loggedIn = true;
                }
            }
        }
        if (!ok) {
            reply.done(TokDone, DoneError);
            send(reply.serialize());
            closeGracefully();
            return;
        }
        const int negotiated = packetSize == 0 ? 4096 : int(qBound<quint32>(512, packetSize, 32767));
        reply.envChange(1, m_session.database, QStringLiteral("master"));
        reply.message(5701, 2, 10, QStringLiteral("Changed database context to '%1'.").arg(m_session.database), serverName);
        if (tds71(version))
            reply.envChangeBytes(7, collationBytes(), QByteArray());
        reply.envChange(2, m_session.language, QString());
        reply.message(5703, 1, 10, QStringLiteral("Changed language setting to %1.").arg(m_session.language), serverName);
        Writer ackBody;
        ackBody.u8(1); // SQL_TSQL
        ackBody.u32be(ack);
        ackBody.bVarchar(kProductName);
        ackBody.u8(16);
        ackBody.u8(0);
        ackBody.u8(0x03);
        ackBody.u8(0xE8); // 16.0.1000
        Writer loginAck;
        loginAck.u8(TokLoginAck);
        loginAck.u16(quint16(ackBody.size()));
        loginAck.bytes(ackBody.data);
        reply.raw(loginAck.data);
        reply.envChange(4, QString::number(negotiated), QString::number(m_packetSize));
        reply.done(TokDone, DoneFinal);
        send(reply.serialize());
        m_packetSize = negotiated;
        m_phase = Ready;
    }

    // A request after logon: logged at once, answered in turn.
    void accept(quint8 type, quint8 status, const QByteArray &payload)
    {
        Request req;
        req.type = type;
        req.reset = status & (ResetConnection | ResetConnectionSkipTran);
        QStringList logged;
        if (type == PktSqlBatch) {
            req.batch = batchText(payload, m_session.version);
            logged << req.batch;
        } else if (type == PktRpc) {
            for (const RpcCall &call : parseRpc(payload, m_session.version)) {
                req.plans << planRpc(call, m_session);
                if (req.plans.last().logged)
                    logged << req.plans.last().sql;
            }
        } else {
            req.tm = parseTransactionRequest(payload, m_session.version);
        }
        if (!logged.isEmpty()) {
            QMutexLocker lock(&m_state->mutex);
            m_state->batches += logged;
        }
        m_queue << req;
        next();
    }

    void next()
    {
        while (!m_queue.isEmpty() && !m_waiting && m_phase == Ready) {
            Request &front = m_queue.first();
            int delay = 0;
            if (front.type != PktTransaction && !front.delayed) {
                QMutexLocker lock(&m_state->mutex);
                delay = m_state->delayMs;
            }
            if (delay > 0) {
                front.delayed = true;
                m_waiting = true;
                m_delay->start(delay);
                return;
            }
            answer(m_queue.takeFirst());
        }
    }

    static bool matches(const QRegularExpression &re, const QString &text)
    {
        return re.match(text).hasMatch() || re.match(text.simplified()).hasMatch();
    }

    void answer(const Request &req)
    {
        Reply reply(m_session.version);
        Engine engine(*m_state, m_session);
        bool drop = false;
        {
            QMutexLocker lock(&m_state->mutex);
            const QString server = m_state->serverName;
            auto failureFor = [&](const QString &text) -> const FailRule * {
                for (const QRegularExpression &re : m_state->drops)
                    if (matches(re, text))
                        drop = true;
                for (const FailRule &f : m_state->failures)
                    if (matches(f.pattern, text))
                        return &f;
                return nullptr;
            };
            if (req.reset)
                engine.resetSession(reply);
            if (req.type == PktSqlBatch) {
                if (const FailRule *f = failureFor(req.batch)) {
                    reply.message(f->number, 1, f->severity, f->text, server);
                    reply.done(TokDone, f->severity > 10 ? DoneError : 0);
                } else {
                    engine.runBatch(req.batch, reply, false);
                }
            } else if (req.type == PktRpc) {
                for (const RpcPlan &plan : req.plans) {
                    const FailRule *f = plan.logged ? failureFor(plan.sql) : nullptr;
                    if (f) {
                        Reply r(m_session.version);
                        r.message(f->number, 1, f->severity, f->text, server);
                        r.done(TokDoneInProc, f->severity > 10 ? DoneError : 0);
                        finishRpc(plan, r);
                        reply.append(r);
                    } else {
                        runRpc(plan, engine, reply, server);
                    }
                }
            } else {
                switch (req.tm.type) {
                case TmRequest::Begin:
                    engine.beginTransaction(reply);
                    break;
                case TmRequest::Commit:
                    engine.commitTransaction(reply, req.tm.beginAnother);
                    break;
                case TmRequest::Rollback:
                    engine.rollbackTransaction(reply, req.tm.beginAnother);
                    break;
                default:
                    reply.message(8522, 1, 16, QStringLiteral("Distributed transactions are not supported by this server."),
                                  server);
                    reply.done(TokDone, DoneError);
                }
            }
        }
        reply.fixMoreFlags();
        if (drop) {
            const QByteArray partial = reply.serializeUpToLastDone();
            if (!partial.isEmpty())
                send(partial, false);
            closeGracefully();
            return;
        }
        send(reply.serialize());
    }

    // Stops whatever is pending and acknowledges; also when nothing was
    // pending any more (the answer and the ATTENTION crossed).
    void attention()
    {
        m_inMessage = false;
        m_message.clear();
        m_queue.clear();
        m_delay->stop();
        m_waiting = false;
        Reply r(m_session.version);
        r.done(TokDone, DoneAttn);
        send(r.serialize());
    }

    void send(const QByteArray &tokens, bool endOfMessage = true)
    {
        if (m_phase == Closed)
            return;
        const int max = m_packetSize - 8;
        int pos = 0;
        QByteArray out;
        do {
            const QByteArray chunk = tokens.mid(pos, max);
            pos += int(chunk.size());
            const bool last = pos >= tokens.size();
            Writer h;
            h.u8(PktReply);
            h.u8(last && endOfMessage ? EndOfMessage : 0);
            h.u16be(quint16(chunk.size() + 8));
            h.u16be(quint16(m_session.spid));
            h.u8(m_packetId++);
            h.u8(0);
            out += h.data + chunk;
        } while (pos < tokens.size());
        m_socket->write(out);
    }

    void closeGracefully()
    {
        m_phase = Closed;
        m_socket->disconnectFromHost();
        // A peer that never reads must not keep the connection forever.
        QTimer::singleShot(5000, this, [this]() { deleteLater(); });
    }

    void closeAbruptly()
    {
        m_phase = Closed;
        m_socket->abort();
        deleteLater();
    }

    QTcpSocket *m_socket;
    std::shared_ptr<SqlSimulator::State> m_state;
    QTimer *m_delay;
    Session m_session;
    Phase m_phase = PreLogin;
    bool m_loggedIn = false;
    QByteArray m_in;
    bool m_inMessage = false;
    quint8 m_messageType = 0;
    quint8 m_messageStatus = 0;
    QByteArray m_message;
    int m_packetSize = 4096;
    quint8 m_packetId = 1;
    QList<Request> m_queue;
    bool m_waiting = false;
};

class Server : public QObject
{
public:
    explicit Server(std::shared_ptr<SqlSimulator::State> state)
        : m_state(std::move(state))
        , m_tcp(new QTcpServer(this))
    {
        connect(m_tcp, &QTcpServer::newConnection, this, [this]() {
            while (QTcpSocket *socket = m_tcp->nextPendingConnection()) {
                m_connections.removeAll(nullptr);
                m_connections << new Connection(socket, m_state, m_nextSpid, this);
                m_nextSpid = m_nextSpid >= 32767 ? 51 : m_nextSpid + 1;
            }
        });
    }

    bool listen(quint16 port) { return m_tcp->listen(QHostAddress::LocalHost, port); }
    quint16 port() const { return m_tcp->serverPort(); }

    void shutdown()
    {
        m_tcp->close();
        for (const QPointer<Connection> &c : std::as_const(m_connections))
            delete c.data();
        m_connections.clear();
    }

private:
    std::shared_ptr<SqlSimulator::State> m_state;
    QTcpServer *m_tcp;
    QList<QPointer<Connection>> m_connections;
    int m_nextSpid = 51;
};

QString stripDrive(QString path, bool *rooted)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (drive.match(path).hasMatch()) {
        path = path.mid(2);
        if (!path.startsWith(QLatin1Char('/')))
            path.prepend(QLatin1Char('/'));
    }
    *rooted = path.startsWith(QLatin1Char('/'));
    return path;
}

} // namespace
} // namespace sqlsim

using namespace sqlsim;

// ---------------------------------------------------------------- shared state

SqlSimulator::State::State()
{
    logins.insert(QStringLiteral("sa"), {QStringLiteral("sa"), QStringLiteral("Secret#1")});
    const QDateTime installed(QDate(2022, 10, 8), QTime(6, 0));
    auto system = [&](const char *name, int id, const char *data, const char *dataFile, int dataPages, const char *log,
                      const char *logFile, int logPages) {
        Database d;
        d.name = QString::fromLatin1(name);
        d.id = id;
        d.created = installed;
        d.files = {{QString::fromLatin1(data), QLatin1Char('D'), QString::fromLatin1(dataFile), dataPages, 1},
                   {QString::fromLatin1(log), QLatin1Char('L'), QString::fromLatin1(logFile), logPages, 2}};
        databases << d;
    };
    system("master", 1, "master", "master.mdf", 512, "mastlog", "mastlog.ldf", 5);
    system("tempdb", 2, "tempdev", "tempdb.mdf", 1024, "templog", "templog.ldf", 64);
    system("model", 3, "modeldev", "model.mdf", 408, "modellog", "modellog.ldf", 4);
    system("msdb", 4, "MSDBData", "MSDBData.mdf", 2920, "MSDBLog", "MSDBLog.ldf", 11);
}

Database *SqlSimulator::State::findDatabase(const QString &name)
{
    for (Database &d : databases)
        if (d.name.compare(name, Qt::CaseInsensitive) == 0)
            return &d;
    return nullptr;
}

Database *SqlSimulator::State::findDatabase(int id)
{
    for (Database &d : databases)
        if (d.id == id)
            return &d;
    return nullptr;
}

Database &SqlSimulator::State::createDatabase(const QString &name)
{
    Database d;
    d.name = name;
    d.id = nextDatabaseId++;
    d.created = QDateTime::currentDateTime();
    d.files = {{name, QLatin1Char('D'), name + QStringLiteral(".mdf"), 360, 1},
               {name + QStringLiteral("_log"), QLatin1Char('L'), name + QStringLiteral("_log.ldf"), 2, 2}};
    databases << d;
    return databases.last();
}

QString SqlSimulator::State::physicalPath(const DbFile &file) const
{
    if (file.physical.contains(QLatin1Char('\\')) || file.physical.contains(QLatin1Char('/')))
        return file.physical;
    return dataFolder + file.physical;
}

QString SqlSimulator::State::mapPath(const QString &serverPath) const
{
    bool rooted = false;
    QString path = stripDrive(serverPath, &rooted);
    if (!rooted) {
        bool dataRooted = false;
        path = stripDrive(dataFolder, &dataRooted) + QLatin1Char('/') + path;
    }
    // ".." stops at the root, as it does on a real file system.
    QStringList parts;
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            parts.isEmpty() ? void() : parts.removeLast();
        else if (part != QLatin1String("."))
            parts << part;
    }
    path = QLatin1Char('/') + parts.join(QLatin1Char('/'));
    if (fileRoot == QLatin1String("/"))
        return path;
    return path == QLatin1String("/") ? fileRoot : fileRoot + path;
}

QString SqlSimulator::State::toServerPath(const QString &localPath) const
{
    const QString clean = QDir::cleanPath(QFileInfo(localPath).absoluteFilePath());
    QString rel;
    if (fileRoot == QLatin1String("/"))
        rel = clean;
    else if (clean == fileRoot)
        rel = QStringLiteral("/");
    else if (clean.startsWith(fileRoot + QLatin1Char('/')))
        rel = clean.mid(fileRoot.size());
    else
        return QString();
    return QStringLiteral("C:") + rel.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

void SqlSimulator::State::useDatabase(const QString &name, int delta)
{
    const QString key = name.toLower();
    const int n = databaseUsers.value(key) + delta;
    if (n <= 0)
        databaseUsers.remove(key);
    else
        databaseUsers.insert(key, n);
}

// ---------------------------------------------------------------- public API

struct SqlSimulator::Runner
{
    QThread thread;
    Server *server = nullptr;
    quint16 port = 0;
};

SqlSimulator::SqlSimulator()
    : m_state(std::make_shared<State>())
{
}

SqlSimulator::~SqlSimulator()
{
    stop();
}

quint16 SqlSimulator::start(quint16 port)
{
    stop();
    m_runner = std::make_unique<Runner>();
    auto *server = new Server(m_state);
    server->moveToThread(&m_runner->thread);
    m_runner->server = server;
    m_runner->thread.setObjectName(QStringLiteral("sqlsim"));
    m_runner->thread.start();
    quint16 bound = 0;
    QMetaObject::invokeMethod(
        server, [&]() { bound = server->listen(port) ? server->port() : 0; }, Qt::BlockingQueuedConnection);
    if (!bound) {
        stop();
        return 0;
    }
    m_runner->port = bound;
    return bound;
}

void SqlSimulator::stop()
{
    if (!m_runner)
        return;
    Server *server = m_runner->server;
    QMetaObject::invokeMethod(
        server,
        [server]() {
            server->shutdown();
            server->deleteLater(); // deleted when the thread finishes at the latest
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_runner->thread.wait();
    m_runner.reset();
}

bool SqlSimulator::isRunning() const
{
    return m_runner != nullptr;
}

quint16 SqlSimulator::port() const
{
    return m_runner ? m_runner->port : 0;
}

QString SqlSimulator::dataSource() const
{
    return QStringLiteral("127.0.0.1,%1").arg(port());
}

QString SqlSimulator::oleDbConnectionString(const QString &user, const QString &password, const QString &catalog) const
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=%1;Persist Security Info=True;User ID=%2;Initial Catalog=%3;"
                          "Data Source=%4")
        .arg(password, user, catalog, dataSource());
}

void SqlSimulator::addLogin(const QString &user, const QString &password)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->logins.insert(user.toLower(), {user, password});
}

void SqlSimulator::setServerName(const QString &name)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->serverName = name;
}

void SqlSimulator::addDatabase(const QString &name)
{
    QMutexLocker lock(&m_state->mutex);
    if (!m_state->findDatabase(name))
        m_state->createDatabase(name);
}

void SqlSimulator::removeDatabase(const QString &name)
{
    QMutexLocker lock(&m_state->mutex);
    const Database *d = m_state->findDatabase(name);
    if (!d || d->id <= 4)
        return;
    const int id = d->id;
    m_state->databases.removeIf([id](const Database &x) { return x.id == id; });
}

bool SqlSimulator::hasDatabase(const QString &name) const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->findDatabase(name) != nullptr;
}

QStringList SqlSimulator::databases() const
{
    QMutexLocker lock(&m_state->mutex);
    QStringList names;
    for (const Database &d : std::as_const(m_state->databases))
        names << d.name;
    return names;
}

void SqlSimulator::setFileRoot(const QString &dir)
{
    QMutexLocker lock(&m_state->mutex);
    const QString clean = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    m_state->fileRoot = clean;
    if (clean != QLatin1String("/"))
        QDir().mkpath(m_state->mapPath(m_state->dataFolder));
}

QString SqlSimulator::fileRoot() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->fileRoot;
}

void SqlSimulator::setDataFolder(const QString &serverPath)
{
    QMutexLocker lock(&m_state->mutex);
    QString folder = serverPath;
    if (!folder.endsWith(QLatin1Char('\\')) && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('\\');
    m_state->dataFolder = folder;
    if (m_state->fileRoot != QLatin1String("/"))
        QDir().mkpath(m_state->mapPath(folder));
}

QString SqlSimulator::dataFolder() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->dataFolder;
}

QString SqlSimulator::mapPath(const QString &serverPath) const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->mapPath(serverPath);
}

QString SqlSimulator::toServerPath(const QString &localPath) const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->toServerPath(localPath);
}

void SqlSimulator::setSysfilesPadded(bool padded)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->sysfilesPadded = padded;
}

void SqlSimulator::setRefuseLogons(bool refuse)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->refuseLogons = refuse;
}

void SqlSimulator::setDelayMs(int ms)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->delayMs = qMax(0, ms);
}

void SqlSimulator::dropConnectionOn(const QString &regex)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->drops << QRegularExpression(regex, QRegularExpression::CaseInsensitiveOption);
}

void SqlSimulator::failStatement(const QString &regex, int number, int severity, const QString &text)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->failures << FailRule{QRegularExpression(regex, QRegularExpression::CaseInsensitiveOption), number,
                                  severity, text};
}

void SqlSimulator::clearFailures()
{
    QMutexLocker lock(&m_state->mutex);
    m_state->failures.clear();
    m_state->drops.clear();
    m_state->refuseLogons = false;
    m_state->delayMs = 0;
}

QStringList SqlSimulator::batches() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->batches;
}

void SqlSimulator::clearBatches()
{
    QMutexLocker lock(&m_state->mutex);
    m_state->batches.clear();
}

int SqlSimulator::connectionCount() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->connections;
}
