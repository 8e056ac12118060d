#include "discovery/TServerDiscovery.h"

#include "Errors.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QUdpSocket>

#include <cerrno>
#include <cstring>
#include <sched.h>

namespace {

// A reply as SQL Server's browser sends it: type 0x05, the length of the
// data in two bytes (little-endian), then the data.
QByteArray BrowserReply(const QByteArray &data)
{
    QByteArray reply;
    reply.append('\x05');
    reply.append(char(data.size() & 0xff));
    reply.append(char((data.size() >> 8) & 0xff));
    return reply + data;
}

const QByteArray DefaultAndNamed =
    "ServerName;HOST;InstanceName;MSSQLSERVER;IsClustered;No;Version;15.0.2000.5;tcp;1433;;"
    "ServerName;HOST;InstanceName;SQLEXPRESS;IsClustered;No;Version;15.0.2000.5;tcp;49690;"
    "np;\\\\HOST\\pipe\\MSSQL$SQLEXPRESS\\sql\\query;;";
const QStringList DefaultAndNamedNames{"HOST", "HOST\\MSSQLSERVER", "HOST\\SQLEXPRESS"};

// A reply longer than the receive buffer whose second instance field ends
// with the ';' at lastSemicolon; more records follow behind it.
QByteArray LongReply(qsizetype lastSemicolon)
{
    const QByteArray head = BrowserReply("").left(3) + "ServerName;HOST;InstanceName;FIRST;;";
    const QByteArray tail = "ServerName;HOST;InstanceName;LAST;";
    const qsizetype padding = lastSemicolon + 1 - head.size() - tail.size() - 5;
    QByteArray reply = head + "Pad;" + QByteArray(padding, 'x') + ";" + tail;
    Q_ASSERT(reply.size() == lastSemicolon + 1 && reply.endsWith(';'));
    reply += ";ServerName;HOST;InstanceName;AFTER;;" + QByteArray(1000, 'y') + ";";
    reply[1] = char(reply.size() & 0xff);
    reply[2] = char((reply.size() >> 8) & 0xff);
    return reply;
}

bool OnlyLoopback()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    return std::all_of(interfaces.begin(), interfaces.end(),
                       [](const QNetworkInterface &i) { return i.name() == "lo"; });
}

// Runs ip; an empty result means success, anything else is the reason.
QString Ip(const QStringList &args)
{
    QString program = QStandardPaths::findExecutable("ip", {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
    if (program.isEmpty())
        program = QStandardPaths::findExecutable("ip");
    if (program.isEmpty())
        return "the ip command is not installed";
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return "ip " + args.join(' ') + ": " + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return {};
}

// Moves this test into a network namespace of its own, so that other tests
// running beside it cannot see or disturb its traffic. Refuses unless the
// test already runs in a namespace with nothing but loopback (or in one it
// made itself): nothing here may ever reach a real network. Every call gives
// a fresh namespace. Returns why it refused, or nothing.
QString EnterOwnNetworkNamespace()
{
    static bool inOwnNamespace = false;
    if (!inOwnNamespace && !OnlyLoopback())
        return "this process sees network interfaces other than lo; run the tests through tools/run-tests.sh";
    if (unshare(CLONE_NEWNET) != 0)
        return QString("cannot make a network namespace: ") + std::strerror(errno);
    inOwnNamespace = true;
    if (!OnlyLoopback())
        return "the new network namespace has interfaces other than lo";
    return Ip({"link", "set", "lo", "up"});
}

// Two ends of a virtual cable, both in this namespace, and a default route
// over v0: a broadcast goes out of v0 like onto a LAN.
QString AddVethPair()
{
    if (!OnlyLoopback())
        return "interfaces other than lo exist; refusing to add a veth pair";
    if (QString failure = Ip({"link", "add", "v0", "type", "veth", "peer", "name", "v1"}); !failure.isEmpty())
        return failure;
    for (const QStringList &args : {QStringList{"addr", "add", "10.213.0.1/24", "dev", "v0"},
                                    QStringList{"addr", "add", "10.213.0.2/24", "dev", "v1"},
                                    QStringList{"link", "set", "v0", "up"},
                                    QStringList{"link", "set", "v1", "up"},
                                    QStringList{"route", "add", "default", "via", "10.213.0.2", "dev", "v0"}}) {
        if (QString failure = Ip(args); !failure.isEmpty())
            return failure;
    }
    return {};
}

// Answers the first 0x02 request like SQL Server's browser service, with
// every datagram of its list in turn.
class BrowserResponder : public QObject
{
public:
    BrowserResponder(const QHostAddress &address, quint16 port, QList<QByteArray> replies)
        : m_replies(std::move(replies))
    {
        QVERIFY2(m_socket.bind(address, port), qPrintable(m_socket.errorString()));
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] { AnswerPending(); });
    }

    quint16 port() const { return m_socket.localPort(); }

    // Reads and answers what has come without an event loop.
    void AnswerBlocking(int timeout)
    {
        QVERIFY(m_socket.waitForReadyRead(timeout));
        AnswerPending();
    }

    void SendToClient(const QByteArray &datagram)
    {
        QCOMPARE(m_socket.writeDatagram(datagram, m_client.senderAddress(), m_client.senderPort()),
                 datagram.size());
    }

    QNetworkDatagram m_client; // the first request
    int m_requests = 0;

private:
    void AnswerPending()
    {
        while (m_socket.hasPendingDatagrams()) {
            QNetworkDatagram request = m_socket.receiveDatagram();
            // A broadcast may come in once per interface; answer it once.
            if (m_requests++ > 0)
                continue;
            m_client = request;
            for (const QByteArray &reply : std::as_const(m_replies))
                SendToClient(reply);
        }
    }

    QUdpSocket m_socket;
    QList<QByteArray> m_replies;
};

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT
private slots:
    void parseReply_data();
    void parseReply();
    void mergeIntoServerBox_data();
    void mergeIntoServerBox();
    void noNetworkFindsNothing();
    void repliesReachServerBox_data();
    void repliesReachServerBox();
    void repliesWaitingAtCloseStillCount();
};

void TestDiscovery::parseReply_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("default and named instance") << BrowserReply(DefaultAndNamed) << DefaultAndNamedNames;
    QTest::newRow("default instance in lower case")
        << BrowserReply("ServerName;HOST;InstanceName;mssqlserver;tcp;1433;;")
        << QStringList{"HOST", "HOST\\mssqlserver"};
    QTest::newRow("keys only with their case")
        << BrowserReply("servername;OTHER;ServerName;HOST;instancename;A;InstanceName;B;;")
        << QStringList{"HOST\\B"};
    QTest::newRow("two machines")
        << BrowserReply("ServerName;ONE;InstanceName;A;;ServerName;TWO;InstanceName;MSSQLServer;;")
        << QStringList{"ONE\\A", "TWO", "TWO\\MSSQLServer"};
    QTest::newRow("record without its own machine name")
        << BrowserReply("ServerName;HOST;InstanceName;A;;InstanceName;B;;")
        << QStringList{"HOST\\A", "HOST\\B"};
    // The length 0x3b is a ';' byte: the header is never part of the data.
    QTest::newRow("length byte is a semicolon")
        << QByteArray("\x05;\x00", 3) + "ServerName;HOST;InstanceName;SQLEXPRESS;;" << QStringList{"HOST\\SQLEXPRESS"};
    QTest::newRow("unfinished last field")
        << BrowserReply("ServerName;HOST;InstanceName;SQLEXPRESS") << QStringList{};
    QTest::newRow("instance before any machine name")
        << BrowserReply("InstanceName;SQLEXPRESS;;") << QStringList{};
    QTest::newRow("empty instance name") << BrowserReply("ServerName;HOST;InstanceName;;") << QStringList{};
    QTest::newRow("instance field ends at the last byte read") << LongReply(TServerDiscovery::ReplyBufferSize - 1)
                                                               << QStringList{"HOST\\FIRST", "HOST\\LAST"};
    QTest::newRow("instance field ends one byte later") << LongReply(TServerDiscovery::ReplyBufferSize)
                                                        << QStringList{"HOST\\FIRST"};
    QTest::newRow("empty") << QByteArray() << QStringList{};
    QTest::newRow("header only") << QByteArray("\x05\x00\x00", 3) << QStringList{};
    QTest::newRow("semicolons only") << QByteArray(100, ';') << QStringList{};
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(char((i * 7919 + 13) % 251));
    QTest::newRow("noise") << noise << QStringList{};
    QTest::newRow("keys without values") << BrowserReply("ServerName;InstanceName;") << QStringList{};
}

void TestDiscovery::parseReply()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QStringList, names);
    QCOMPARE(TServerDiscovery::ParseDiscoveryReply(datagram), names);
}

void TestDiscovery::mergeIntoServerBox_data()
{
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<QStringList>("mergedItems");

    QTest::newRow("empty box keeps the stored name")
        << true << QStringList{} << -1 << "SRV1" << DefaultAndNamedNames << DefaultAndNamedNames;
    QTest::newRow("items and selection stay, duplicates too")
        << true << QStringList{"OLD", "B"} << 1 << "B" << QStringList{"B", "A", "B"}
        << QStringList{"OLD", "B", "B", "A", "B"};
    QTest::newRow("typed text over a selection stays")
        << true << QStringList{"OLD"} << 0 << "TYPED" << QStringList{"A"} << QStringList{"OLD", "A"};
    QTest::newRow("nothing found") << true << QStringList{} << -1 << "SRV1" << QStringList{} << QStringList{};
    QTest::newRow("box that cannot be typed into")
        << false << QStringList{} << -1 << "" << QStringList{"A"} << QStringList{"A"};
}

void TestDiscovery::mergeIntoServerBox()
{
    QFETCH(bool, editable);
    QFETCH(QStringList, items);
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    QFETCH(QStringList, mergedItems);

    QComboBox cbServers;
    cbServers.setEditable(editable);
    cbServers.addItems(items);
    cbServers.setCurrentIndex(index);
    if (editable)
        cbServers.setEditText(text);
    QCOMPARE(cbServers.currentText(), text);
    QSignalSpy textChanges(&cbServers, &QComboBox::currentTextChanged);

    MergeFoundServers(&cbServers, found);

    QStringList merged;
    for (int i = 0; i < cbServers.count(); ++i)
        merged << cbServers.itemText(i);
    QCOMPARE(merged, mergedItems);
    QCOMPARE(cbServers.currentIndex(), index);
    QCOMPARE(cbServers.currentText(), text);
    QCOMPARE(textChanges.count(), 0);
}

void TestDiscovery::noNetworkFindsNothing()
{
    if (const QString refusal = EnterOwnNetworkNamespace(); !refusal.isEmpty())
        QSKIP(qPrintable(refusal));

    QComboBox cbServers;
    cbServers.setEditable(true);
    cbServers.setEditText("SRV1");
    TServerDiscovery discovery;
    connect(&discovery, &TServerDiscovery::finished, &cbServers,
            [&cbServers](const QStringList &found) { MergeFoundServers(&cbServers, found); });
    QSignalSpy finished(&discovery, &TServerDiscovery::finished);

    // Loopback only: the broadcast is refused with "network is unreachable".
    try {
        discovery.StartServerDiscovery();
    } catch (const OrvellError &error) {
        QFAIL(qPrintable("no network was reported: " + error.message()));
    }
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().toStringList(), QStringList{});
    QCOMPARE(cbServers.count(), 0);
    QCOMPARE(cbServers.currentText(), QString("SRV1"));
}

void TestDiscovery::repliesReachServerBox_data()
{
    QTest::addColumn<bool>("broadcast");
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::addColumn<QStringList>("names");

    // One machine answering on two adapters: every name twice.
    QTest::newRow("broadcast over a virtual LAN, two identical replies")
        << true << QList<QByteArray>{BrowserReply(DefaultAndNamed), BrowserReply(DefaultAndNamed)}
        << DefaultAndNamedNames + DefaultAndNamedNames;
    // Over loopback the datagram can exceed the buffer (over the veth the
    // IPv4 limit is the same, but the cut is what matters here).
    QTest::newRow("reply longer than the buffer, loopback")
        << false << QList<QByteArray>{LongReply(TServerDiscovery::ReplyBufferSize - 1)}
        << QStringList{"HOST\\FIRST", "HOST\\LAST"};
}

void TestDiscovery::repliesReachServerBox()
{
    QFETCH(bool, broadcast);
    QFETCH(QList<QByteArray>, replies);
    QFETCH(QStringList, names);

    if (const QString refusal = EnterOwnNetworkNamespace(); !refusal.isEmpty())
        QSKIP(qPrintable(refusal));
    if (broadcast) {
        if (const QString refusal = AddVethPair(); !refusal.isEmpty())
            QSKIP(qPrintable("cannot build a virtual LAN: " + refusal));
    }

    BrowserResponder responder(broadcast ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(QHostAddress::LocalHost),
                               broadcast ? 1434 : 0, replies);
    QComboBox cbServers;
    cbServers.setEditable(true);
    cbServers.addItem("OLD");
    cbServers.setEditText("SRV1");
    TServerDiscovery discovery;
    if (!broadcast)
        discovery.setTarget(QHostAddress::LocalHost, responder.port());
    connect(&discovery, &TServerDiscovery::finished, &cbServers,
            [&cbServers](const QStringList &found) { MergeFoundServers(&cbServers, found); });
    QSignalSpy finished(&discovery, &TServerDiscovery::finished);

    QElapsedTimer clock;
    clock.start();
    discovery.StartServerDiscovery();

    // The names are collected at once but reach the box only when the
    // listening is over.
    QTRY_COMPARE(discovery.FoundServers, names);
    if (finished.isEmpty()) // a machine under heavy load may already be past the second
        QCOMPARE(cbServers.count(), 1);

    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QVERIFY(clock.elapsed() >= TServerDiscovery::ListenDelay - 10);
    QCOMPARE(responder.m_client.data(), QByteArray(1, '\x02'));
    if (broadcast)
        QCOMPARE(responder.m_client.destinationAddress(), QHostAddress(QHostAddress::Broadcast));
    QCOMPARE(finished.first().first().toStringList(), names);
    QStringList items;
    for (int i = 0; i < cbServers.count(); ++i)
        items << cbServers.itemText(i);
    QCOMPARE(items, QStringList{"OLD"} + names);
    QCOMPARE(cbServers.currentText(), QString("SRV1"));

    // A reply after the close adds nothing anywhere.
    responder.SendToClient(BrowserReply("ServerName;LATE;InstanceName;MSSQLSERVER;;"));
    QTest::qWait(300);
    QCOMPARE(discovery.FoundServers, names);
    QCOMPARE(cbServers.count(), 1 + names.size());
    QCOMPARE(finished.count(), 1);
}

// Start-up may keep the main thread busy past the listening time; replies
// that came in time are still waiting in the socket and must count.
void TestDiscovery::repliesWaitingAtCloseStillCount()
{
    if (const QString refusal = EnterOwnNetworkNamespace(); !refusal.isEmpty())
        QSKIP(qPrintable(refusal));

    BrowserResponder responder(QHostAddress::LocalHost, 0, {BrowserReply(DefaultAndNamed)});
    TServerDiscovery discovery;
    discovery.setTarget(QHostAddress::LocalHost, responder.port());
    QSignalSpy finished(&discovery, &TServerDiscovery::finished);

    discovery.StartServerDiscovery();
    responder.AnswerBlocking(5000);
    QThread::msleep(TServerDiscovery::ListenDelay + 500);

    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().toStringList(), DefaultAndNamedNames);
}

QTEST_MAIN(TestDiscovery)
#include "test_discovery.moc"
