#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QLocalServer;

// One running program per window title and user. The first instance listens on a local socket named
// after its main window's title and the user id; a second instance with the same title connects, asks
// the first to come to the front (handing over the folders it was started with) and ends. An instance
// with another title (another version) finds no one listening under its name and starts normally.
//
// The conversation is one line each way: "show" or "open" with the folders (each the base64 of the
// folder's bytes, so any name survives), answered by "ok", or by "busy" when the running window cannot
// take folders now.
class GuiSingleInstance final : public QObject
{
    Q_OBJECT

public:
    explicit GuiSingleInstance(const QString& windowTitle, QObject* parent = nullptr);
    ~GuiSingleInstance() override;

    // The socket name for a title: the title and the user id, with anything but letters, digits, "." and
    // "-" made "_" so it is a plain file name.
    static QString ServerName(const QString& windowTitle);

    enum class Reply { NoInstance, Done, Busy };
    // Asks an instance already running under this title to come to the front and, when folders are
    // given, to take them over. NoInstance: nobody answered, the caller starts normally; otherwise the
    // caller ends.
    Reply AskRunningInstance(const QStringList& folders, int timeoutMs = 1500);
    bool AskRunningInstanceToShow(int timeoutMs = 1500) { return AskRunningInstance({}, timeoutMs) != Reply::NoInstance; }

    // Decides, in the listening instance, whether folders handed over by a later start are taken now
    // (answers false when they cannot be: the later start then says so). Without one they are refused.
    // It must not block: work that takes long is queued.
    void SetFolderHandler(std::function<bool(const QStringList&)> handler) { m_folderHandler = std::move(handler); }

    // Starts listening for later instances. A socket left behind by an instance that died is replaced.
    bool Listen();

Q_SIGNALS:
    // A later instance asked this one to come to the front.
    void ShowRequested();

private:
    QByteArray Answer(const QByteArray& request);

    QString m_name;
    QLocalServer* m_server = nullptr;
    std::function<bool(const QStringList&)> m_folderHandler;
};
