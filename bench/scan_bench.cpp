// Times the folder scan on a folder of many files: the scan as the comparison runs it (no filters, an
// include filter, an exclude filter), and for contrast a listing through QDir/QFileInfo.
//
//   scan_bench <folder> [files]   creates <files> files in <folder> when it holds none yet (default 200000)

#include "BenchDialogs.h"
#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "model/CDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString AddSlash(const QString& s) { return s.endsWith(QLatin1Char('/')) ? s : s + QLatin1Char('/'); }

void CreateFiles(const QString& folder, int count)
{
    QDir().mkpath(folder);
    const QByteArray base = QFile::encodeName(AddSlash(folder));
    static const char* const extensions[] = {".txt", ".doc", ".bak", ".cpp", ".h"};
    for (int i = 0; i < count; ++i) {
        const QByteArray name = base + "file_" + QByteArray::number(i) + extensions[i % 5];
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            const QByteArray data = QByteArray::number(i);
            if (::write(fd, data.constData(), static_cast<size_t>(data.size())) < 0)
                std::perror("write");
            ::close(fd);
        }
    }
}

double Scan(AppContext& ctx, const QString& folder, const QString& include, const QString& exclude, qsizetype* kept)
{
    CDir dir(ctx.Errors());
    dir.SetPath(folder);
    QElapsedTimer timer;
    timer.start();
    dir.PopulateSelfWithFiles(include, exclude, false, false, false, false);
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    *kept = dir.FileCount();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: scan_bench <folder> [files]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int files = argc > 2 ? std::atoi(argv[2]) : 200000;
    if (!QDir(folder).exists() || QDir(folder).isEmpty()) {
        QElapsedTimer t;
        t.start();
        CreateFiles(folder, files);
        std::printf("created %d files in %.1f s\n", files, static_cast<double>(t.elapsed()) / 1000.0);
    }

    SilentDialogs dialogs(true);
    AppContext ctx(QDir::tempPath(), dialogs);
    qsizetype kept = 0;
    Scan(ctx, folder, QString(), QString(), &kept); // warm the cache
    const struct
    {
        const char* label;
        const char* include;
        const char* exclude;
    } runs[] = {{"no filters", "", ""}, {"include *.txt,*.cpp", "*.txt,*.cpp", ""}, {"exclude *.bak,/temp", "", "*.bak,/temp"},
                {"include file_1#[0-4]*.?", "file_1#[0-4]*.?", ""}};
    for (const auto& r : runs) {
        double best = 1e300;
        for (int i = 0; i < 3; ++i)
            best = std::min(best, Scan(ctx, folder, QString::fromUtf8(r.include), QString::fromUtf8(r.exclude), &kept));
        std::printf("scan, %-26s %9.1f ms  %8lld files kept\n", r.label, best, static_cast<long long>(kept));
    }

    QElapsedTimer timer;
    timer.start();
    qint64 total = 0;
    const QFileInfoList infos = QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& fi : infos)
        total += fi.size() + fi.lastModified().toMSecsSinceEpoch() % 2;
    std::printf("for contrast, QDir::entryInfoList + QFileInfo size/time: %.1f ms (%lld entries)\n",
                static_cast<double>(timer.nsecsElapsed()) / 1e6, static_cast<long long>(infos.size()));
    return total < 0 ? 1 : 0;
}
