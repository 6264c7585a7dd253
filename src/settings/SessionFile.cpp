#include "settings/SessionFile.h"

#include "base/Failure.h"
#include "base/Path.h"
#include "platform/AtomicFile.h"
#include "platform/FileDescriptor.h"
#include "platform/IniDocument.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace SessionFile {
namespace {

// The sections the settings file is made of; a text with none of them would load nothing but defaults.
const char* const SettingsSections[] = {"Options", "Form Dimensions", "ColumnWidths", "Source", "Target"};

// Reads at most limit + 1 bytes, so that a file that grew past the limit after fstat is still told.
QByteArray ReadUpTo(int fd, qint64 limit)
{
    QByteArray data;
    char buffer[1 << 16];
    while (data.size() <= limit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Failure::FromErrno(errno, true);
        }
        if (n == 0)
            break;
        data.append(buffer, n);
    }
    return data;
}

QString TooLarge()
{
    return QStringLiteral("it is larger than ") + QString::number(MaxBytes / 1024 / 1024)
         + QStringLiteral(" MB, far more than any settings file");
}

QString Problem(const QByteArray& data)
{
    if (data.isEmpty())
        return QStringLiteral("it is empty");
    if (data.size() > MaxBytes)
        return TooLarge();
    if (data.contains('\0'))
        return QStringLiteral("it holds binary data");
    const IniDocument doc = IniDocument::FromBytes(data);
    if (doc.Status() == IniDocument::State::Unreadable)
        return doc.Problem();
    for (const char* section : SettingsSections)
        if (doc.HasSection(QString::fromLatin1(section)))
            return {};
    return QStringLiteral("it holds none of the sections of the settings file");
}

} // namespace

Contents Read(const QString& file)
{
    // Non-blocking, so that a named pipe chosen by mistake cannot hang the program while it opens.
    FileDescriptor fd(::open(EncodeFileName(file).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid())
        throw Failure::FromErrno(errno, true);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw Failure::FromErrno(errno, true);
    Contents contents;
    if (!S_ISREG(st.st_mode)) {
        contents.problem = QStringLiteral("it is not a file");
        return contents;
    }
    if (st.st_size > MaxBytes) {
        contents.problem = TooLarge();
        return contents;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    contents.text = ReadUpTo(fd.get(), MaxBytes);
    contents.problem = Problem(contents.text);
    if (!contents.problem.isEmpty())
        contents.text.clear();
    return contents;
}

QString WithExtension(const QString& file)
{
    const QString name = Path(file).FileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A leading dot makes a hidden name, not an extension.
    if (name.isEmpty() || (dot > 0 && dot < name.size() - 1))
        return file;
    return dot == name.size() - 1 && dot > 0 ? file + Extension().mid(1) : file + Extension();
}

QString NotASessionText(const QString& file, const QString& problem)
{
    return file + QStringLiteral(" is not a Parvex session file: ") + problem
         + QStringLiteral(".\r\n\r\nThe current settings are left as they were.");
}

void Write(const QString& file, const QByteArray& text)
{
    errno = 0;
    if (!WriteFileAtomically(file, text))
        throw Failure::FromErrno(errno != 0 ? errno : EIO, true);
}

} // namespace SessionFile
