#include "base/ErrorHandler.h"

#include "base/UserDialogs.h"

#include <QCoreApplication>
#include <cstring>

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

QString DescribeSystemError(int code)
{
    char buffer[1024];
    // The GNU strerror_r answers a pointer that may or may not be the buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    QString described = text != nullptr ? QString::fromLocal8Bit(text) : QString();
    if (described.isEmpty() || described.startsWith(QLatin1String("Unknown error")))
        return QStringLiteral("Error (") + QString::number(code) + QStringLiteral(") not defined.");
    return described.left(1024);
}

ErrorHandler::ErrorHandler(UserDialogs& dialogs) : m_dialogs(dialogs) {}

void ErrorHandler::SetCompareHooks(std::function<bool()> isCompareRunning, std::function<void()> closeCompareProgress)
{
    m_isCompareRunning = std::move(isCompareRunning);
    m_closeCompareProgress = std::move(closeCompareProgress);
}

void ErrorHandler::HandleUnexpectedError(const QString& label) noexcept
{
    try {
        Report(CurrentFailure(), label);
    } catch (...) {
        // The handler never fails visibly.
    }
}

QString ErrorHandler::MessageText(const Failure& failure, const QString& label)
{
    QString text;
    if (failure.systemCode() != 0) {
        text = QStringLiteral("DLL Error: ") + DescribeSystemError(failure.systemCode()) + CrLf
             + QStringLiteral("Error: ") + failure.description() + CrLf + QStringLiteral("Source: ") + label + CrLf
             + QStringLiteral("No: ") + QString::number(failure.systemCode()) + CrLf;
    } else {
        text = QStringLiteral("Error: ") + failure.description() + CrLf + QStringLiteral("Source: ") + label + CrLf
             + QStringLiteral("No: ") + QString::number(failure.number()) + CrLf;
    }
    text += CrLf + QStringLiteral("* If this problem persists, please contact our technical support staff for assistance.")
          + CrLf + QStringLiteral("  (Refer to the Troubleshooting section of the Help file for details.)");
    return text;
}

QString ErrorHandler::MessageTitle(const Failure& failure)
{
    return QStringLiteral("Unexpected Error in ") + failure.source();
}

void ErrorHandler::Report(const Failure& failure, const QString& label) noexcept
{
    try {
        if (m_isCompareRunning && m_isCompareRunning()) {
            if (m_closeCompareProgress)
                m_closeCompareProgress();
            if (QCoreApplication::instance() != nullptr)
                QCoreApplication::processEvents();
        }
        if (failure.number() == Failure::InvalidPropertyValue)
            return;
        m_dialogs.Message(MessageText(failure, label), MessageTitle(failure), UserDialogs::Icon::Warning,
                          UserDialogs::Buttons::Ok);
    } catch (...) {
    }
}
