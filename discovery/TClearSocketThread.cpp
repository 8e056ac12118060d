#include "TClearSocketThread.h"

#include "Errors.h"

#include <QUdpSocket>

TClearSocketThread::TClearSocketThread(QUdpSocket *socket, int delay)
    : Delay(delay)
    , Socket(socket)
{
    // This object lives on the main thread, so the queued finished() brings
    // the handler there, next to the socket.
    connect(this, &QThread::finished, this, &TClearSocketThread::ClearSocketThreadTerminate);
    start();
    if (!isRunning() && !isFinished())
        throw OrvellError(QStringLiteral("Cannot start the thread that ends the server search"));
}

void TClearSocketThread::run()
{
    msleep(static_cast<unsigned long>(Delay));
}

void TClearSocketThread::ClearSocketThreadTerminate()
{
    wait(); // finished() comes just before the thread really ends
    if (Socket) {
        emit aboutToCloseSocket();
        Socket->close();
    }
    emit socketClosed();
    deleteLater();
}
