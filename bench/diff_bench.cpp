// Times the visual differences of two generated 200,000-line text files (about 2% of the lines changed,
// added or deleted): the diff run, loading both files, aligning them and the window's first paint,
// against `diff` plus `cat` of both files run in the same process; and the memory the run and the
// window add, against the two files' size.
//   diff_bench [LINES] [FOLDER]   defaults 200000 and a temporary folder; RUNS (environment) rounds,
//                                 default 5. The helper library comes from PARVEX_BIN_DIR.
#include "BenchDialogs.h"
#include "BenchLibrary.h"
#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "diff/DiffRun.h"
#include "diff/frmFileDiffs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

// Source-like lines of 20 to 100 characters; the second file changes, drops or adds about 2% of them.
void Generate(const QString& one, const QString& two, int lines)
{
    QRandomGenerator rng(12345);
    static const char* words[] = {"int", "value", "return", "if", "(", ")", "{", "}", "count", "+=", "index",
                                  "std::vector", "buffer", "=", ";", "const", "auto", "for", "while", "name"};
    QByteArray a, b;
    for (int i = 0; i < lines; ++i) {
        QByteArray line = QByteArray(static_cast<int>(rng.bounded(4u)) * 4, ' ');
        const int target = 20 + static_cast<int>(rng.bounded(80u));
        while (line.size() < target)
            line += QByteArray(words[rng.bounded(20u)]) + ' ';
        line += QByteArray::number(i) + '\n';
        a += line;
        const quint32 roll = rng.bounded(1000u);
        if (roll < 7)
            b += "    changed " + line; // changed
        else if (roll < 14)
            continue;                    // deleted
        else if (roll < 20)
            b += line + "    added line\n"; // added
        else
            b += line;
    }
    for (const auto& [path, bytes] : {std::pair{one, a}, std::pair{two, b}}) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(2);
        }
    }
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long PeakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
    QTemporaryDir temp;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temp.path();
    QDir().mkpath(folder);
    const QString one = folder + QStringLiteral("/one.txt");
    const QString two = folder + QStringLiteral("/two.txt");
    Generate(one, two, lines);
    const qint64 bytes = QFileInfo(one).size() + QFileInfo(two).size();
    const int runs = std::max(1, qEnvironmentVariableIntValue("RUNS") > 0 ? qEnvironmentVariableIntValue("RUNS") : 5);

    SilentDialogs dialogs;
    QTemporaryDir appFolder;
    AppContext ctx(appFolder.path(), dialogs);
    if (!BindBenchLibrary(ctx))
        return 2;

    // The baseline: what the tools take to find the differences and read the files.
    std::vector<double> tools, ours, runOnly;
    const QString script = QStringLiteral("diff \"$1\" \"$2\" >/dev/null; cat \"$1\" \"$2\" >/dev/null");
    const long before = PeakKiB();
    std::size_t rows = 0, blocks = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), script, QStringLiteral("sh"), one, two});
        tools.push_back(t.nsecsElapsed() / 1e6);

        t.start();
        DiffRunResult run = RunFileDiffs({one, two, false, false, 0}, ctx.DiffEngine());
        runOnly.push_back(t.nsecsElapsed() / 1e6);
        rows = run.alignment.left.size();
        blocks = run.alignment.differences.size();
        frmFileDiffs window(ctx, std::move(run), ctx.DiffEngine());
        window.show();
        window.repaint();
        QApplication::processEvents();
        ours.push_back(t.nsecsElapsed() / 1e6);
    }
    const long after = PeakKiB();
    const double ratio = Median(ours) / Median(tools);
    const double memory = static_cast<double>(after - before) * 1024.0 / static_cast<double>(bytes);
    std::printf("files: %d lines, %.1f MB together; %zu aligned rows, %zu difference blocks\n", lines, bytes / 1e6, rows,
                blocks);
    std::printf("diff + cat:                     %8.1f ms (median of %d)\n", Median(tools), runs);
    std::printf("run (diff, load, align):        %8.1f ms\n", Median(runOnly));
    std::printf("visual ready (run + first paint)%8.1f ms  = %.2fx diff + cat  (goal <= 2x: %s)\n", Median(ours), ratio,
                ratio <= 2.0 ? "PASS" : "MISS");
    std::printf("memory added (peak RSS):        %8.1f MB  = %.2fx the files (goal <= 3x: %s)\n",
                (after - before) / 1024.0, memory, memory <= 3.0 ? "PASS" : "MISS");
    return 0;
}
