#pragma once

#include "base/Failure.h"

#include <QString>
#include <functional>

class UserDialogs;

// The operating system's message for an error code, or "Error (code) not defined." when it has none.
QString DescribeSystemError(int code);

// The end of every unexpected failure path. Each procedure catches at its boundary and calls
// HandleUnexpectedError with its label ("Module.Procedure"), then returns its default result.
class ErrorHandler final
{
public:
    explicit ErrorHandler(UserDialogs& dialogs);
    Q_DISABLE_COPY_MOVE(ErrorHandler)

    // While a comparison runs, its progress window is closed before the message is shown.
    void SetCompareHooks(std::function<bool()> isCompareRunning, std::function<void()> closeCompareProgress);

    // Reports the failure pending in the current catch block. Call only inside a catch handler.
    void HandleUnexpectedError(const QString& label) noexcept;
    // Reports a given failure under label.
    void Report(const Failure& failure, const QString& label) noexcept;

    // The message text and title the user sees for a failure.
    static QString MessageText(const Failure& failure, const QString& label);
    static QString MessageTitle(const Failure& failure);

private:
    UserDialogs& m_dialogs;
    std::function<bool()> m_isCompareRunning;
    std::function<void()> m_closeCompareProgress;
};
