#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QComboBox;
class QUdpSocket;
class TClearSocketThread;

// Finds SQL Servers on the LAN with one broadcast of the SQL Server
// Resolution Protocol (a 0x02 byte to UDP port 1434). Replies are read on the
// main thread; about a second after the start the socket is closed and
// finished() hands the names found to the main window.
class TServerDiscovery : public QObject
{
    Q_OBJECT
public:
    // What one receive takes in; the rest of a longer reply is lost.
    static constexpr int ReplyBufferSize = 64001;
    // How long replies are listened for, in milliseconds.
    static constexpr int ListenDelay = 1000;

    explicit TServerDiscovery(QObject *parent = nullptr);
    ~TServerDiscovery() override;

    // Throws OrvellError with the system's text when the socket cannot be
    // made or the datagram cannot be sent for a reason other than having no
    // network at all (a machine without a network simply finds nothing).
    // Never waits: the names come later through finished().
    void StartServerDiscovery();

    // Names found so far: HOST for a default instance, HOST\INSTANCE for every instance.
    QStringList FoundServers;

    // The names in one reply datagram (only the bytes actually received).
    static QStringList ParseDiscoveryReply(const QByteArray &datagram);

    // Tests point the request elsewhere (default 255.255.255.255:1434).
    void setTarget(const QHostAddress &address, quint16 port);

signals:
    // Emitted once on the main thread after the socket was closed.
    void finished(const QStringList &found);

private:
    void WMDiscoveryReply();
    void ListeningOver(TClearSocketThread *thread);
    void DropSocket();

    QUdpSocket *m_socket = nullptr;
    QPointer<TClearSocketThread> m_thread;
    QHostAddress m_address = QHostAddress::Broadcast;
    quint16 m_port = 1434;
};

// Appends the names found to the server box's list: what is there stays,
// nothing is sorted or removed, and the text shown in the box is kept.
void MergeFoundServers(QComboBox *cbServers, const QStringList &found);
