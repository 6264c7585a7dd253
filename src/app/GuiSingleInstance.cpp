#include "app/GuiSingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace {
const QByteArray ShowRequest = "show\n";
const QByteArray ShownReply = "ok\n";
} // namespace

GuiSingleInstance::GuiSingleInstance(const QString& windowTitle, QObject* parent)
    : QObject(parent), m_name(ServerName(windowTitle))
{
}

GuiSingleInstance::~GuiSingleInstance() = default;

QString GuiSingleInstance::ServerName(const QString& windowTitle)
{
    QString name = windowTitle + QStringLiteral("-") + QString::number(::getuid());
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    return name;
}

bool GuiSingleInstance::AskRunningInstanceToShow(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(ShowRequest);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // Only an answer proves a live instance; a socket file without a listener never gets this far.
    while (socket.bytesAvailable() < ShownReply.size())
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return socket.readAll().startsWith(ShownReply);
}

bool GuiSingleInstance::Listen()
{
    if (m_server != nullptr)
        return true;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // The socket of an instance that died: nobody answered above, so it is safe to replace.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (!client->canReadLine())
                    return;
                if (client->readLine() == ShowRequest) {
                    client->write(ShownReply);
                    client->flush();
                    Q_EMIT ShowRequested();
                }
            });
        }
    });
    return true;
}
