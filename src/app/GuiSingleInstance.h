#pragma once

#include <QObject>

class QLocalServer;

// One running program per window title and user. The first instance listens on a local socket named
// after its main window's title and the user id; a second instance with the same title connects, asks
// the first to come to the front and ends. An instance with another title (another version) finds no
// one listening under its name and starts normally.
class GuiSingleInstance final : public QObject
{
    Q_OBJECT

public:
    explicit GuiSingleInstance(const QString& windowTitle, QObject* parent = nullptr);
    ~GuiSingleInstance() override;

    // The socket name for a title: the title and the user id, with anything but letters, digits, "." and
    // "-" made "_" so it is a plain file name.
    static QString ServerName(const QString& windowTitle);

    // Asks an instance already running under this title to come to the front. Answers true when one
    // answered; the caller then ends.
    bool AskRunningInstanceToShow(int timeoutMs = 1500);
    // Starts listening for later instances. A socket left behind by an instance that died is replaced.
    bool Listen();

Q_SIGNALS:
    // A later instance asked this one to come to the front.
    void ShowRequested();

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};
