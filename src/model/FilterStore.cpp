#include "model/FilterStore.h"

#include "base/ErrorHandler.h"
#include "base/Failure.h"
#include "platform/AtomicFile.h"
#include "platform/CIniFile.h"

#include <QFile>
#include <cerrno>

namespace {

const int InputPastEndOfFile = 62;

// The errno behind a failed QFile call, or a plain I/O error when Qt left none.
Failure FileFailure(bool onFile = true)
{
    return Failure::FromErrno(errno != 0 ? errno : EIO, onFile);
}

} // namespace

QString StoredFilterText(const QString& filters)
{
    const QChar quote = QLatin1Char('"');
    const bool quoted = filters.size() >= 2 && filters.startsWith(quote) && filters.endsWith(quote);
    const bool needsQuotes = filters.size() == 1 || quoted
                             || (!filters.isEmpty() && (filters.front().isSpace() || filters.back().isSpace()));
    return needsQuotes ? quote + filters + quote : filters;
}

QString FilterTextFromStore(const QString& stored)
{
    const QChar quote = QLatin1Char('"');
    if (stored.size() >= 2 && stored.startsWith(quote) && stored.endsWith(quote))
        return stored.mid(1, stored.size() - 2);
    return stored;
}

void SaveFiltersToIni(const QString& appFolder, UserDialogs& dialogs, ErrorHandler& errors,
                      const QString& includeFilters, const QString& excludeFilters)
{
    try {
        CIniFile ini(appFolder, dialogs);
        ini.SetName(CIniFile::SettingsFileName());
        ini.Set(QStringLiteral("Options"), QStringLiteral("IncludeFileTypes"), StoredFilterText(includeFilters));
        ini.Set(QStringLiteral("Options"), QStringLiteral("ExcludeFileTypes"), StoredFilterText(excludeFilters));
    } catch (...) {
        errors.HandleUnexpectedError(QStringLiteral("modParvex.SaveFiltersToIni"));
    }
}

QString FilterListFileType() { return QStringLiteral("Filter List Files (*.lst)"); }

bool WriteFilterListFile(ErrorHandler& errors, const QString& file, const QString& includeFilters,
                         const QString& excludeFilters)
{
    try {
        const QByteArray bytes = includeFilters.toUtf8() + "\r\n" + excludeFilters.toUtf8() + "\r\n";
        errno = 0;
        if (!WriteFileAtomically(file, bytes))
            throw FileFailure();
        return true;
    } catch (...) {
        errors.HandleUnexpectedError(QStringLiteral("frmOptions.cmdSaveList"));
        return false;
    }
}

bool ReadFilterListFile(ErrorHandler& errors, const QString& file, QString& includeFilters, QString& excludeFilters)
{
    try {
        QFile in(file);
        errno = 0;
        if (!in.open(QIODevice::ReadOnly))
            throw FileFailure();
        QList<QByteArray> lines = in.readAll().split('\n');
        if (in.error() != QFileDevice::NoError)
            throw FileFailure();
        // The piece after the last line end is a line only when it holds something.
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        if (lines.size() < 2)
            throw Failure(InputPastEndOfFile, QStringLiteral("Input past end of file"));
        for (int i = 0; i < 2; ++i) {
            if (lines[i].endsWith('\r'))
                lines[i].chop(1);
        }
        includeFilters = QString::fromUtf8(lines[0]);
        excludeFilters = QString::fromUtf8(lines[1]);
        return true;
    } catch (...) {
        errors.HandleUnexpectedError(QStringLiteral("frmOptions.cmdLoadList"));
        return false;
    }
}
