#include "base/Failure.h"

#include <cerrno>
#include <new>

Failure::Failure(int number, QString description, QString source, int systemCode)
    : m_number(number), m_description(std::move(description)), m_source(std::move(source)), m_systemCode(systemCode),
      m_what(m_description.toUtf8())
{
}

int Failure::NumberForErrno(int err, bool onFile)
{
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
        return PermissionDenied;
    case ENOENT:
        return onFile ? FileNotFound : PathNotFound;
    case ENOTDIR:
        return PathNotFound;
    case EINVAL:
    case ENAMETOOLONG:
    case EILSEQ:
        return BadFileNameOrNumber;
    case ENOMEM:
        return OutOfMemory;
    case ENOSPC:
    case EDQUOT:
        return DiskFull;
    case EIO:
        return DeviceIOError;
    case EEXIST:
        return PathFileAccessError;
    default:
        return PathFileAccessError;
    }
}

QString Failure::DescriptionOf(int number)
{
    switch (number) {
    case InvalidProcedureCall: return QStringLiteral("Invalid procedure call or argument");
    case OutOfMemory: return QStringLiteral("Out of memory");
    case OutOfStringSpace: return QStringLiteral("Out of string space");
    case BadFileNameOrNumber: return QStringLiteral("Bad file name or number");
    case FileNotFound: return QStringLiteral("File not found");
    case BadFileMode: return QStringLiteral("Bad file mode");
    case DeviceIOError: return QStringLiteral("Device I/O error");
    case DiskFull: return QStringLiteral("Disk full");
    case PermissionDenied: return QStringLiteral("Permission denied");
    case PathFileAccessError: return QStringLiteral("Path/File access error");
    case PathNotFound: return QStringLiteral("Path not found");
    case InvalidPropertyValue: return QStringLiteral("Invalid property value");
    case DuplicateKey: return QStringLiteral("This key is already associated with an element of this collection");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

Failure Failure::FromErrno(int err, bool onFile, const QString& source)
{
    const int number = NumberForErrno(err, onFile);
    return Failure(number, DescriptionOf(number), source, err);
}

Failure CurrentFailure()
{
    try {
        throw;
    } catch (const Failure& f) {
        return f;
    } catch (const std::bad_alloc&) {
        return Failure(Failure::OutOfMemory, Failure::DescriptionOf(Failure::OutOfMemory));
    } catch (const std::exception& e) {
        return Failure(Failure::InvalidProcedureCall, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return Failure(Failure::InvalidProcedureCall, Failure::DescriptionOf(Failure::InvalidProcedureCall));
    }
}
