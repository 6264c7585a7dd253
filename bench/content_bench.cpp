// Times the comparison engine's per-file work:
//
//   content_bench big <folder> [MiB] [chunk]       two equal files of MiB (default 1024) compared by every
//                                                   method; the files are created once and kept
//   content_bench sparse <folder> [bytes] [chunk]   two sparse files (default 2 GiB + 1) compared by bytes
//   content_bench small <folder> [files] [bytes]    <files> pairs of small equal files (default 20000 of 4096)
//   content_bench names [count]                     pairing and sorting <count> names (default 1000000)
//   content_bench rows [count]                      building <count> result rows (default 1000000)
//
// Reads are from the page cache unless the caller drops it first (bench/content_bench.sh does with
// --cold when run as root).

#include "BenchDialogs.h"
#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "compare/CCompare.h"
#include "compare/ContentCompare.h"
#include "compare/NameLists.h"
#include "compare/RowFormat.h"
#include "compare/TimeRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

// Processor time of this process in ms: the machine may be shared, so wall time alone misleads.
double CpuMs() { return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC; }

const char* MethodName(int method)
{
    switch (method) {
    case CCompare::ThoroughString: return "bytes ";
    case CCompare::ThoroughCRC: return "CRC-32";
    default: return "SHA-1 ";
    }
}

void WriteFile(const QString& path, qint64 bytes, quint32 seed)
{
    if (QFileInfo(path).size() == bytes)
        return;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(2);
    }
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (qint64 done = 0; done < bytes; done += block.size()) {
        for (char& c : block)
            c = char(random.generate());
        f.write(block.constData(), std::min<qint64>(block.size(), bytes - done));
    }
}

int Big(AppContext& ctx, const QString& folder, qint64 mib, int chunk)
{
    QDir().mkpath(folder);
    const QString a = folder + QStringLiteral("/big_a");
    const QString b = folder + QStringLiteral("/big_b");
    const qint64 size = mib << 20;
    WriteFile(a, size, 1);
    if (!QFile::exists(b) || QFileInfo(b).size() != size) {
        QFile::remove(b);
        QFile::copy(a, b);
    }
    ctx.Compare().SetChunkSize(chunk);
    ContentComparer comparer(ctx.Compare(), ctx.Crc32(), ctx.Log());
    for (int method : {1, 2, 3}) {
        QElapsedTimer timer;
        timer.start();
        const bool differ = comparer.AreFileContentsDifferent(a, b, method, size, false);
        const double s = timer.nsecsElapsed() / 1e9;
        std::printf("big   %s  2 x %lld MiB, chunk %d: %.2f s, %.0f MiB/s per file, %s\n", MethodName(method),
                    static_cast<long long>(mib), chunk, s, double(mib) / s, differ ? "DIFFER" : "equal");
    }
    return 0;
}

// Two sparse files of the same size (holes read as zeros): sizes past 2 GiB without the disk space.
int Sparse(AppContext& ctx, const QString& folder, qint64 bytes, int chunk)
{
    QDir().mkpath(folder);
    const QString a = folder + QStringLiteral("/sparse_a");
    const QString b = folder + QStringLiteral("/sparse_b");
    for (const QString& path : {a, b}) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || !f.resize(bytes))
            return 2;
    }
    ctx.Compare().SetChunkSize(chunk);
    ContentComparer comparer(ctx.Compare(), ctx.Crc32(), ctx.Log());
    QElapsedTimer timer;
    timer.start();
    const bool differ = comparer.AreFileContentsDifferent(a, b, CCompare::ThoroughString, bytes, false);
    const double s = timer.nsecsElapsed() / 1e9;
    std::printf("sparse bytes  2 x %lld bytes, chunk %d: %.2f s, %.0f MiB/s per file, %s\n",
                static_cast<long long>(bytes), chunk, s, double(bytes) / s / 1048576.0, differ ? "DIFFER" : "equal");
    QFile::remove(a);
    QFile::remove(b);
    return 0;
}

int Small(AppContext& ctx, const QString& folder, int files, int bytes)
{
    const QString left = folder + QStringLiteral("/small_left/");
    const QString right = folder + QStringLiteral("/small_right/");
    QDir().mkpath(left);
    QDir().mkpath(right);
    QByteArray data(bytes, 'x');
    for (int i = 0; i < files; ++i) {
        const QString name = QStringLiteral("f%1").arg(i);
        if (QFileInfo(left + name).size() == bytes)
            continue;
        for (const QString& side : {left, right}) {
            QFile f(side + name);
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(data);
        }
    }
    ContentComparer comparer(ctx.Compare(), ctx.Crc32(), ctx.Log());
    for (int method : {1, 2, 3}) {
        QElapsedTimer timer;
        timer.start();
        int differing = 0;
        for (int i = 0; i < files; ++i) {
            const QString name = QStringLiteral("f%1").arg(i);
            differing += comparer.AreFileContentsDifferent(left + name, right + name, method, bytes, false) ? 1 : 0;
        }
        const double s = timer.nsecsElapsed() / 1e9;
        std::printf("small %s  %d pairs of %d bytes: %.2f s, %.0f pairs/s, %d differ\n", MethodName(method), files,
                    bytes, s, files / s, differing);
    }
    return 0;
}

int Names(qsizetype count)
{
    QStringList left;
    QStringList right;
    for (qsizetype i = 0; i < count; ++i) {
        const QString name = QStringLiteral("file_%1_Name.txt").arg((i * 7919) % 1000003);
        left.append(name);
        right.append(i % 10 == 0 ? name.toUpper() : name);
    }
    QElapsedTimer timer;
    timer.start();
    double cpu = CpuMs();
    const std::vector<NamePair> pairs = PairNames(left, right);
    std::printf("names pairing 2 x %lld names (10%% differ in case): %lld ms (cpu %.0f ms)\n", static_cast<long long>(count),
                static_cast<long long>(timer.elapsed()), CpuMs() - cpu);
    timer.restart();
    cpu = CpuMs();
    QStringList sorted = left;
    NameOrder().Sort(sorted);
    std::printf("names sort %lld: %lld ms (cpu %.0f ms)\n", static_cast<long long>(sorted.size()),
                static_cast<long long>(timer.elapsed()), CpuMs() - cpu);
    return pairs.empty() || sorted.isEmpty() ? 1 : 0;
}

int Rows(qsizetype count)
{
    RowFormatter formatter;
    const QString name = QStringLiteral("file.txt");
    const qint64 base = Q_INT64_C(1685620800) * TicksPerSecond + UnixEpochTicks;
    QElapsedTimer timer;
    timer.start();
    const double cpu = CpuMs();
    ResultList rows;
    rows.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        rows.push_back(formatter.FileRow(name, i * 977, base + i * 37 * TicksPerSecond, Category::Same));
    std::printf("rows  %lld file rows (%s): %lld ms (cpu %.0f ms), e.g. %s | %s\n", static_cast<long long>(count),
                qPrintable(QLocale().name()), static_cast<long long>(timer.elapsed()), CpuMs() - cpu,
                qPrintable(rows.back().sizeText),
                qPrintable(rows.back().dateText));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    SilentDialogs dialogs(true);
    const QTemporaryDir appFolder;
    AppContext ctx(appFolder.path(), dialogs);
    if (mode == QLatin1String("big") && args.size() >= 2)
        return Big(ctx, args.at(1), args.value(2, QStringLiteral("1024")).toLongLong(),
                    args.value(3, QStringLiteral("500000")).toInt());
    if (mode == QLatin1String("sparse") && args.size() >= 2)
        return Sparse(ctx, args.at(1), args.value(2, QStringLiteral("2147483649")).toLongLong(),
                      args.value(3, QStringLiteral("500000")).toInt());
    if (mode == QLatin1String("small") && args.size() >= 2)
        return Small(ctx, args.at(1), args.value(2, QStringLiteral("20000")).toInt(),
                     args.value(3, QStringLiteral("4096")).toInt());
    if (mode == QLatin1String("names"))
        return Names(args.value(1, QStringLiteral("1000000")).toLongLong());
    if (mode == QLatin1String("rows"))
        return Rows(args.value(1, QStringLiteral("1000000")).toLongLong());
    std::fprintf(stderr, "usage: content_bench big|sparse|small <folder> [...] | names [count] | rows [count]\n");
    return 2;
}
