#include "base/ErrorLog.h"

#include "base/UserDialogs.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

ErrorLog::ErrorLog(QString file) : m_file(std::move(file)) {}

void ErrorLog::StartNew()
{
    const std::lock_guard guard(m_lock);
    m_entriesWritten = false;
    QFile f(m_file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.close();
}

QStringList ErrorLog::EntryLines(const QString& fileName, const QString& process, const Failure& failure)
{
    QStringList lines;
    lines << QString();
    lines << QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    lines << QStringLiteral("Errors encountered during comparison");
    if (failure.number() == Failure::BadFileNameOrNumber)
        lines << QStringLiteral("File Name: Contains an invalid character \\/:*?<>|");
    else
        lines << QStringLiteral("File Name: ") + fileName;
    lines << QStringLiteral("Process: ") + process;
    if (failure.number() == Failure::OutOfStringSpace)
        lines << QStringLiteral("Error: Insufficient memory.  Try cutting your chunk size in half.");
    else
        lines << QStringLiteral("Error: ") + failure.description();
    return lines;
}

bool ErrorLog::EntriesWritten() const
{
    const std::lock_guard guard(m_lock);
    return m_entriesWritten;
}

void ErrorLog::AppendEntry(const QString& fileName, const QString& process, const Failure& failure)
{
    const std::lock_guard guard(m_lock);
    QFile f(m_file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        QByteArray bytes;
        for (const QString& line : EntryLines(fileName, process, failure))
            bytes += line.toUtf8() + "\r\n";
        f.write(bytes);
        f.close();
    }
    m_entriesWritten = true;
    if (m_onEntry)
        m_onEntry();
}

bool ReportComparisonErrors(bool errorsDuringCompare, UserDialogs& dialogs)
{
    if (!errorsDuringCompare)
        return false;
    const QString text = QStringLiteral("Errors were encountered during the comparison.\r\n"
                                        "See the file ERRORLOG.TXT for details.\r\n\r\n"
                                        "Would you like to view the log file now?");
    return dialogs.Message(text, QStringLiteral("Errors Occurred"), UserDialogs::Icon::Error,
                           UserDialogs::Buttons::YesNo) == UserDialogs::Answer::Yes;
}
