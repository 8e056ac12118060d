#pragma once

#include <QPointer>
#include <QThread>

class QUdpSocket;

// Ends the listening of a discovery: sleeps Delay milliseconds, then the
// socket is closed. A socket belongs to the thread that made it, so the
// closing happens in the termination handler, which runs on the main thread;
// the object frees itself afterwards.
class TClearSocketThread : public QThread
{
    Q_OBJECT
public:
    // Starts at once. Throws OrvellError when the thread cannot be started.
    TClearSocketThread(QUdpSocket *socket, int delay);

    const int Delay;
    QPointer<QUdpSocket> Socket;

signals:
    // On the main thread, right before Socket is closed.
    void aboutToCloseSocket();
    // On the main thread, right after Socket was closed.
    void socketClosed();

protected:
    void run() override;

private:
    void ClearSocketThreadTerminate();
};
