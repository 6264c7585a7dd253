#pragma once

#include <QString>
#include <exception>

// An unexpected failure on its way to a procedure's error label. Number follows the program's failure
// numbers (53 file not found, 70 permission denied, ...); SystemCode keeps the errno behind it (0 = none).
class Failure : public std::exception
{
public:
    // Failure numbers the program reacts to.
    enum Number : int {
        OutOfMemory = 7,
        OutOfStringSpace = 14,
        InvalidProcedureCall = 5,
        BadFileNameOrNumber = 52,
        FileNotFound = 53,
        BadFileMode = 54,
        DeviceIOError = 57,
        DiskFull = 61,
        PermissionDenied = 70,
        PathFileAccessError = 75,
        PathNotFound = 76,
        InvalidPropertyValue = 380,
        DuplicateKey = 457,
    };

    // Source text of failures the system raises rather than one of our procedures.
    static QString ProgramSource() { return QStringLiteral("Parvex"); }

    Failure(int number, QString description, QString source = ProgramSource(), int systemCode = 0);

    // A failure for an errno value. onFile tells whether the path names a file (ENOENT → 53) or a folder
    // path (ENOENT → 76). The errno stays as the system code.
    static Failure FromErrno(int err, bool onFile = true, const QString& source = ProgramSource());
    static int NumberForErrno(int err, bool onFile);
    // The standard description of a failure number ("Permission denied").
    static QString DescriptionOf(int number);

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }
    int systemCode() const { return m_systemCode; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QString m_source;
    int m_systemCode;
    QByteArray m_what;
};

// The failure pending in the current catch block, whatever was thrown: a Failure as it is, bad_alloc as
// failure 7, any other exception as failure 5 with its text. Call only inside a catch handler.
Failure CurrentFailure();
