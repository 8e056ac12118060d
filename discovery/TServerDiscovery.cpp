#include "TServerDiscovery.h"

#include "Errors.h"
#include "TClearSocketThread.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QUdpSocket>

#include <algorithm>
#include <cerrno>

namespace {

// Send failures that only mean there is no network to ask: nothing is found
// and nothing is reported. Elsewhere than Unix the reason is not at hand, and
// every send failure is taken that way.
bool MeansNoNetwork(int error)
{
#ifdef Q_OS_UNIX
    return error == ENETUNREACH || error == ENETDOWN || error == EHOSTUNREACH
        || error == EADDRNOTAVAIL;
#else
    Q_UNUSED(error);
    return true;
#endif
}

} // namespace

TServerDiscovery::TServerDiscovery(QObject *parent)
    : QObject(parent)
{
}

TServerDiscovery::~TServerDiscovery()
{
    // Before the members go: closing the socket would read into them.
    DropSocket();
}

void TServerDiscovery::setTarget(const QHostAddress &address, quint16 port)
{
    m_address = address;
    m_port = port;
}

void TServerDiscovery::StartServerDiscovery()
{
    FoundServers.clear();
    DropSocket();

    m_socket = new QUdpSocket(this);
    connect(m_socket, &QUdpSocket::readyRead, this, &TServerDiscovery::WMDiscoveryReply);

    // Qt allows broadcast on every UDP socket it makes.
    const bool ipv6 = m_address.protocol() == QAbstractSocket::IPv6Protocol;
    if (!m_socket->bind(ipv6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 0)) {
        const QString text = m_socket->errorString();
        DropSocket();
        throw OrvellError(text);
    }

    const char request = 0x02;
    errno = 0;
    const qint64 sent = m_socket->writeDatagram(&request, 1, m_address, m_port);
    const int sendError = errno;
    if (sent != 1 && !MeansNoNetwork(sendError)) {
        const QString text = sendError ? qt_error_string(sendError) : m_socket->errorString();
        DropSocket();
        throw OrvellError(text);
    }

    TClearSocketThread *thread = nullptr;
    try {
        thread = new TClearSocketThread(m_socket, ListenDelay);
    } catch (...) {
        DropSocket();
        throw;
    }
    m_thread = thread;
    // Replies that came in time but were not read yet (the main thread was
    // busy) are taken in before the socket goes.
    connect(thread, &TClearSocketThread::aboutToCloseSocket, this, [this, thread] {
        if (thread == m_thread)
            WMDiscoveryReply();
    });
    connect(thread, &TClearSocketThread::socketClosed, this, [this, thread] { ListeningOver(thread); });
}

void TServerDiscovery::WMDiscoveryReply()
{
    if (!m_socket || m_socket->state() != QAbstractSocket::BoundState)
        return;
    QByteArray buffer;
    while (m_socket->hasPendingDatagrams()) {
        buffer.fill('\0', ReplyBufferSize);
        const qint64 received = m_socket->readDatagram(buffer.data(), buffer.size());
        if (received < 0)
            break;
        buffer.truncate(received);
        FoundServers += ParseDiscoveryReply(buffer);
    }
}

void TServerDiscovery::ListeningOver(TClearSocketThread *thread)
{
    // A search started again meanwhile has a thread of its own.
    if (thread != m_thread)
        return;
    emit finished(FoundServers);
}

void TServerDiscovery::DropSocket()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    delete m_socket; // the thread of an earlier search holds it weakly
    m_socket = nullptr;
}

QStringList TServerDiscovery::ParseDiscoveryReply(const QByteArray &datagram)
{
    // Byte 0 is the reply type and bytes 1-2 the length; neither is needed,
    // and the length may well be a ';' byte.
    const qsizetype end = std::min<qsizetype>(datagram.size(), ReplyBufferSize);
    QStringList names;
    QByteArray field;
    QString server;
    bool serverNext = false;
    bool instanceNext = false;
    for (qsizetype i = 3; i < end; ++i) {
        const char c = datagram.at(i);
        if (c != ';') {
            field.append(c);
            continue;
        }
        if (serverNext) {
            server = QString::fromLocal8Bit(field);
            serverNext = false;
        }
        if (instanceNext) {
            const QString instance = QString::fromLocal8Bit(field);
            // A name without its machine or its instance reaches nothing.
            if (!server.isEmpty() && !instance.isEmpty()) {
                if (instance.compare(QLatin1String("MSSQLSERVER"), Qt::CaseInsensitive) == 0)
                    names << server;
                names << server + QLatin1Char('\\') + instance;
            }
            instanceNext = false;
        }
        if (field == "ServerName")
            serverNext = true;
        if (field == "InstanceName")
            instanceNext = true;
        field.clear();
    }
    // Whatever follows the last ';' is an unfinished field and is dropped.
    return names;
}

void MergeFoundServers(QComboBox *cbServers, const QStringList &found)
{
    if (!cbServers || found.isEmpty())
        return;
    // Adding to an empty box selects the first item; the box must keep
    // showing what it showed, and nobody should hear of a change.
    const QSignalBlocker blocker(cbServers);
    const int index = cbServers->currentIndex();
    const QString text = cbServers->currentText();
    cbServers->addItems(found);
    if (cbServers->currentIndex() != index)
        cbServers->setCurrentIndex(index);
    if (cbServers->isEditable() && cbServers->currentText() != text)
        cbServers->setEditText(text);
}
