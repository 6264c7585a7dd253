#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <initializer_list>
#include <ostream>
#include <sys/stat.h>

class AppContext;
class ParvexLib;

// A fresh temporary folder per test, with helpers that create files of given bytes and modification
// times. The folder is kept (and its path printed) when the test fails.
class TempDir final
{
public:
    TempDir();
    ~TempDir();

    // The folder, with a trailing "/".
    QString path() const;
    // The full path of a relative name.
    QString file(const QString& relative) const;

    // Creates relative (and its parent folders) with data; when time is valid sets its modification time.
    QString createFile(const QString& relative, const QByteArray& data, const QDateTime& time = {}) const;
    // Same, with the modification time given as seconds and nanoseconds since the Unix epoch.
    QString createFileAt(const QString& relative, const QByteArray& data, qint64 seconds, long nanoseconds = 0) const;
    QString createFolder(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

// The object at path as lstat() sees it (a link itself, not what it names); st_mode 0 when there is none.
struct stat ObjectStat(const QString& path);

// The folder holding the freshly built program, library and assets.
QString TestBinDir();
// The freshly built libparvexlib.so.
QString TestLibraryFile();
// Binds the freshly built helper library into ctx; fails the current test when it cannot.
void BindTestLibrary(AppContext& ctx);

// The bytes of a file; "<unreadable>" when it cannot be read (a file that must be missing is tested so).
QByteArray FileBytes(const QString& file);

// A text written as a literal (UTF-8); the project builds without implicit casts from char*.
inline QString U(const char* text) { return QString::fromUtf8(text); }

// A list of texts written as literals (UTF-8).
QStringList Strings(std::initializer_list<const char*> texts);

// Runs program with arguments, its output dropped, and answers its exit code (-1 when it did not end
// normally).
int Quietly(const QString& program, const QStringList& arguments);

// The names in folder (hidden ones included), sorted.
QStringList Entries(const QString& folder);
// Everything below folder whose name carries the temporary prefix of a copy (".parvex-*"): what an
// operation may never leave behind once it has returned.
QStringList Leftovers(const QString& folder);

// Failed comparisons show a text as text, not as the bytes of a QString.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

// Copies the freshly built parvexcmd and helper library into dir's folder "bin", so that the program's
// application folder (and so its parvex.ini) is the test's own; answers that folder.
QString PrivateParvexCmdFolder(const TempDir& dir);

// What one run of a program said: its exit code (-1 when it did not end normally or within two minutes),
// its standard output as lines and its standard error.
struct ProgramRun
{
    int exitCode = -1;
    QStringList lines;
    QString errors;
    QString output; // standard output as it came, blank lines included
};
ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
