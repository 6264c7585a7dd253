#include "TestSupport.h"

#include "app/AppContext.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {
bool CurrentTestFailed()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return info != nullptr && info->result() != nullptr && info->result()->Failed();
}
} // namespace

TempDir::TempDir() { EXPECT_TRUE(m_dir.isValid()); }

TempDir::~TempDir()
{
    if (CurrentTestFailed()) {
        m_dir.setAutoRemove(false);
        fprintf(stderr, "Kept test folder: %s\n", qPrintable(m_dir.path()));
    }
}

QString TempDir::path() const { return m_dir.path() + QLatin1Char('/'); }

QString TempDir::file(const QString& relative) const { return path() + relative; }

QString TempDir::createFile(const QString& relative, const QByteArray& data, const QDateTime& time) const
{
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(full);
    f.write(data);
    f.close();
    if (time.isValid()) {
        const qint64 ms = time.toMSecsSinceEpoch();
        const qint64 seconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
        return createFileAt(relative, data, seconds, static_cast<long>((ms - seconds * 1000) * 1000000));
    }
    return full;
}

QString TempDir::createFileAt(const QString& relative, const QByteArray& data, qint64 seconds, long nanoseconds) const
{
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(full);
    f.write(data);
    f.close();
    struct timespec times[2];
    times[0].tv_sec = seconds;
    times[0].tv_nsec = nanoseconds;
    times[1] = times[0];
    EXPECT_EQ(utimensat(AT_FDCWD, QFile::encodeName(full).constData(), times, 0), 0);
    return full;
}

QString TempDir::createFolder(const QString& relative) const
{
    const QString full = file(relative);
    EXPECT_TRUE(QDir().mkpath(full));
    return full;
}

struct stat ObjectStat(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        st.st_mode = 0;
    return st;
}

QString TestBinDir()
{
    const QByteArray dir = qgetenv("PARVEX_BIN_DIR");
    return dir.isEmpty() ? QStringLiteral("../bin") : QString::fromLocal8Bit(dir);
}

QString TestLibraryFile() { return TestBinDir() + QStringLiteral("/libparvexlib.so"); }

void BindTestLibrary(AppContext& ctx)
{
    QString problem;
    ASSERT_TRUE(ctx.LoadHelperLibrary(&problem, TestLibraryFile())) << qPrintable(problem);
}

QStringList Strings(std::initializer_list<const char*> texts)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

QByteArray FileBytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QString PrivateParvexCmdFolder(const TempDir& dir)
{
    const QString bin = dir.createFolder(QStringLiteral("bin"));
    const QString program = bin + QStringLiteral("/parvexcmd");
    EXPECT_TRUE(QFile::copy(TestBinDir() + QStringLiteral("/parvexcmd"), program));
    EXPECT_TRUE(QFile::copy(TestLibraryFile(), bin + QStringLiteral("/libparvexlib.so")));
    QFile(program).setPermissions(QFileDevice::ExeOwner | QFileDevice::ReadOwner);
    return bin;
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList Leftovers(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, {QStringLiteral(".parvex-*")}, QDir::AllEntries | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

int Quietly(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

ProgramRun RunProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(program, arguments);
    EXPECT_TRUE(p.waitForFinished(120000)) << qPrintable(program);
    ProgramRun run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit && p.state() == QProcess::NotRunning ? p.exitCode() : -1;
    run.output = QString::fromUtf8(p.readAllStandardOutput());
    run.lines = run.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(p.readAllStandardError());
    return run;
}
