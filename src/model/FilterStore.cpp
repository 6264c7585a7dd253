#include "model/FilterStore.h"

#include "app/AppContext.h"
#include "app/Failure.h"
#include "platform/AtomicFile.h"
#include "settings/CIniFile.h"

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

void SaveFiltersToIni(AppContext& ctx, const QString& includeFilters, const QString& excludeFilters)
{
    try {
        CIniFile ini(ctx);
        ini.SetName(CIniFile::SettingsFileName());
        ini.Set(QStringLiteral("Options"), QStringLiteral("IncludeFileTypes"), includeFilters);
        ini.Set(QStringLiteral("Options"), QStringLiteral("ExcludeFileTypes"), excludeFilters);
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("modParvex.SaveFiltersToIni"));
    }
}

QString FilterListFileType() { return QStringLiteral("Filter List Files (*.lst)"); }

bool WriteFilterListFile(AppContext& ctx, const QString& file, const QString& includeFilters,
                         const QString& excludeFilters)
{
    try {
        const QByteArray bytes = includeFilters.toUtf8() + "\r\n" + excludeFilters.toUtf8() + "\r\n";
        errno = 0;
        if (!WriteFileAtomically(file, bytes))
            throw FileFailure();
        return true;
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.cmdSaveList"));
        return false;
    }
}

bool ReadFilterListFile(AppContext& ctx, const QString& file, QString& includeFilters, QString& excludeFilters)
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
        ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.cmdLoadList"));
        return false;
    }
}
