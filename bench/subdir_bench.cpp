// Times the sub-folder differences window over a large sub-folder: opening it on a CSubFolderDiffs of
// that many differing files (rows, models, first paint), scrolling one list (the other follows) and
// selecting every row.
//   subdir_bench [files]       default 200000; the helper library is taken from PARVEX_BIN_DIR or the
//                              bin folder beside this program's folder.
#include "BenchDialogs.h"
#include "BenchLibrary.h"
#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "app/frmMain.h"
#include "base/UserDialogs.h"
#include "compare/RowFormat.h"
#include "views/GuiResultPane.h"
#include "views/frmSubDirDiffs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

double Ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

// Differences the way a large sub-folder has them: a tenth on one side only, the rest newer or older.
CSubFolderDiffs Make(int files)
{
    RowFormatter format;
    const qint64 base = 133'000'000'000'000'000LL;
    ResultList one(static_cast<size_t>(files));
    ResultList two(static_cast<size_t>(files));
    for (int i = 0; i < files; ++i) {
        const QString name = QStringLiteral("dir_%1/file_%2.dat").arg(i / 1000).arg(i);
        const qint64 size = 1000 + (i % 7919) * 13;
        const bool orphan = i % 10 == 0;
        one[size_t(i)] = format.FileRow(name, size, base + i,
                                        orphan ? Category::Orphan : (i % 2 ? Category::Newer : Category::Older));
        if (!orphan)
            two[size_t(i)] = format.FileRow(name, size + 1, base, i % 2 ? Category::Older : Category::Newer);
    }
    CSubFolderDiffs diffs;
    diffs.SetStrSubFolderName(QStringLiteral("Big"));
    diffs.Assign(std::move(one), std::move(two));
    return diffs;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200'000;
    QTemporaryDir appFolder;
    SilentDialogs dialogs;
    AppContext ctx(appFolder.path(), dialogs);
    if (!BindBenchLibrary(ctx))
        return 2;
    frmMain main(ctx);
    const CSubFolderDiffs diffs = Make(files);

    QElapsedTimer t;
    t.start();
    frmSubDirDiffs window(ctx, main, diffs);
    window.resize(1200, 800);
    window.show();
    Settle();
    std::printf("window opened and painted:                %9.1f ms (%d files)\n", Ms(t), files);

    auto* one = window.findChild<GuiResultPane*>(QStringLiteral("lvwDirOneDiffs"));
    auto* two = window.findChild<GuiResultPane*>(QStringLiteral("lvwDirTwoDiffs"));
    QScrollBar* bar = one->verticalScrollBar();
    const int steps = 200;
    double worst = 0;
    t.restart();
    for (int i = 0; i < steps; ++i) {
        QElapsedTimer step;
        step.start();
        bar->setValue(int((qint64(bar->maximum()) * ((i * 7919) % steps)) / steps));
        one->viewport()->repaint();
        two->viewport()->repaint();
        worst = std::max(worst, Ms(step));
    }
    std::printf("scroll step, both lists repainted:        %9.2f ms on average, %.2f ms at worst\n", Ms(t) / steps, worst);
    if (two->verticalScrollBar()->value() != bar->value())
        std::printf("the right list did not follow!\n");

    t.restart();
    window.Commands().Run(QStringLiteral("mnuSelectAll"));
    Settle();
    std::printf("select all:                               %9.1f ms (%zu rows)\n", Ms(t), one->SelectedHoldRows().size());
    return 0;
}
