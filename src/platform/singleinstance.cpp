#include "platform/singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <memory>

namespace platform {

namespace {

// What a later start sends to the running instance.
const QByteArray activateRequest = QByteArrayLiteral("activate\n");

constexpr int connectTimeoutMs = 1000;
constexpr int writeTimeoutMs = 2000;

// Asks a running instance to come to the front. True when one answered.
bool askRunningInstance(const QString &name)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(activateRequest);
    socket.waitForBytesWritten(writeTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(writeTimeoutMs);
    return true;
}

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent), m_name(name)
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

bool SingleInstance::acquire()
{
    if (m_server && m_server->isListening())
        return true;

    if (askRunningInstance(m_name))
        return false;

    if (!m_server) {
        m_server = new QLocalServer(this);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    }
    if (m_server->listen(m_name))
        return true;

    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        // Either another instance started between our connect and listen, or
        // a crashed instance left its name behind. Ask once more before the
        // name is taken over, so that two racing starts do not both run.
        if (askRunningInstance(m_name))
            return false;
        QLocalServer::removeServer(m_name);
        if (m_server->listen(m_name))
            return true;
    }

    // Nobody answers and the name cannot be taken (for example it belongs to
    // another user): run without the guard rather than refuse to start.
    qWarning("single-instance guard unavailable for %s: %s", qPrintable(m_name),
             qPrintable(m_server->errorString()));
    return true;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        auto readRequest = [this, socket, buffer] {
            *buffer += socket->readAll();
            if (buffer->contains('\n')) {
                const bool activate = buffer->startsWith(activateRequest);
                buffer->clear();
                socket->disconnectFromServer();
                if (activate)
                    emit activationRequested();
            } else if (buffer->size() > 256) {
                socket->abort(); // not one of ours
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        // The request may have arrived together with the connection.
        if (socket->bytesAvailable() > 0)
            readRequest();
    }
}

} // namespace platform
