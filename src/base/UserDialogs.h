#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Every modal question, message, input box and file or folder picker goes through this interface, so that
// engine code never includes a widget header and tests can answer questions from a script.
class UserDialogs
{
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
    enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

    virtual ~UserDialogs() = default;

    // A modal message. defaultButton is the 0-based index of the button that has the focus.
    virtual Answer Message(const QString& text, const QString& title, Icon icon, Buttons buttons = Buttons::Ok,
                           int defaultButton = 0) = 0;

    // An input box; none when the user cancels.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title, const QString& initial) = 0;

    // File pickers; an empty text when the user cancels. filter is in Qt's "Text (*.txt);;All (*)" form.
    virtual QString PickOpenFile(const QString& title, const QString& startFolder, const QString& filter) = 0;
    virtual QString PickSaveFile(const QString& title, const QString& startFile, const QString& filter) = 0;
    virtual QString PickFolder(const QString& title, const QString& startFolder) = 0;

    // Shows the busy pointer (true) or restores the normal one (false).
    virtual void ShowBusy(bool busy) { (void)busy; }
};

// Shows the busy pointer for its lifetime and restores the normal pointer on every way out.
class BusyPointer final
{
public:
    explicit BusyPointer(UserDialogs& dialogs) : m_dialogs(dialogs) { m_dialogs.ShowBusy(true); }
    ~BusyPointer() { m_dialogs.ShowBusy(false); }
    Q_DISABLE_COPY_MOVE(BusyPointer)

private:
    UserDialogs& m_dialogs;
};
