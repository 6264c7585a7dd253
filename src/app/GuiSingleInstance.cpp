#include "app/GuiSingleInstance.h"

#include "base/Path.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace {
const QByteArray ShowRequest = "show\n";
const QByteArray OpenRequest = "open";
const QByteArray DoneReply = "ok\n";
const QByteArray BusyReply = "busy\n";
// Two folder paths of PATH_MAX bytes in base64 and then some: a longer line is no request of ours.
constexpr qint64 LongestRequest = 64 * 1024;
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

GuiSingleInstance::Reply GuiSingleInstance::AskRunningInstance(const QStringList& folders, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return Reply::NoInstance;
    QByteArray request = ShowRequest;
    if (!folders.isEmpty()) {
        request = OpenRequest;
        for (const QString& folder : folders)
            request += ' ' + EncodeFileName(folder).toBase64();
        request += '\n';
    }
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMs))
        return Reply::NoInstance;
    // Only an answer proves a live instance; a socket file without a listener never gets this far.
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return Reply::NoInstance;
    const QByteArray reply = socket.readLine();
    if (reply == DoneReply)
        return Reply::Done;
    if (reply == BusyReply)
        return Reply::Busy;
    return Reply::NoInstance;
}

QByteArray GuiSingleInstance::Answer(const QByteArray& request)
{
    if (request == ShowRequest) {
        Q_EMIT ShowRequested();
        return DoneReply;
    }
    const QList<QByteArray> words = request.trimmed().split(' ');
    if (words.size() < 2 || words.size() > 3 || words.front() != OpenRequest)
        return {};
    QStringList folders;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const auto decoded = QByteArray::fromBase64Encoding(words[i], QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return {};
        folders << DecodeFileName(*decoded);
    }
    Q_EMIT ShowRequested();
    return m_folderHandler && m_folderHandler(folders) ? DoneReply : BusyReply;
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
                if (!client->canReadLine()) {
                    if (client->bytesAvailable() > LongestRequest)
                        client->abort();
                    return;
                }
                const QByteArray reply = Answer(client->readLine(LongestRequest));
                if (reply.isEmpty()) {
                    client->abort();
                    return;
                }
                client->write(reply);
                client->flush();
            });
        }
    });
    return true;
}
