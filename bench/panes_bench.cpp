// Times the result panes of the main window with a million row pairs: filling them after a comparison
// (ApplyViewTypes with its model reset and the first paint), switching views, and scrolling one pane with
// synchronised scrolling on.
//   panes_bench [pairs]        default 1000000; the helper library is taken from PARVEX_BIN_DIR or the
//                              bin folder beside this program's folder.
#include "BenchDialogs.h"
#include "BenchLibrary.h"
#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "app/frmMain.h"
#include "compare/RowFormat.h"
#include "views/GuiResultPane.h"
#include "views/GuiSelectionCommands.h"
#include "views/ResultTableModel.h"
#include "views/SelectionRules.h"

#include <QDate>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>

namespace {

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

double Ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

// A comparison's worth of rows: every tenth name exists on one side only, the rest fall into the
// categories the way a typical pair of folders does.
void Fill(ResultList& left, ResultList& right, int pairs)
{
    RowFormatter format;
    const qint64 base = 133'000'000'000'000'000LL;
    left.reserve(static_cast<size_t>(pairs));
    right.reserve(static_cast<size_t>(pairs));
    for (int i = 0; i < pairs; ++i) {
        const QString name = QStringLiteral("folder_%1/file_%2.dat").arg(i / 1000).arg(i);
        const qint64 size = 1000 + (i % 7919) * 13;
        switch (i % 10) {
        case 0:
            left.push_back(format.FileRow(name, size, base + i, Category::Orphan));
            right.push_back(RowFormatter::PlaceholderRow());
            break;
        case 1:
            left.push_back(format.FileRow(name, size, base + i, Category::Newer));
            right.push_back(format.FileRow(name, size, base, Category::Older));
            break;
        case 2:
            left.push_back(format.FileRow(name, size, base, Category::Binary));
            right.push_back(format.FileRow(name, size + 1, base, Category::Binary));
            break;
        default:
            left.push_back(format.FileRow(name, size, base, Category::Same));
            right.push_back(format.FileRow(name, size, base, Category::Same));
            break;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int pairs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1'000'000;
    QTemporaryDir appFolder;
    SilentDialogs dialogs;
    AppContext ctx(appFolder.path(), dialogs);
    if (!BindBenchLibrary(ctx))
        return 2;
    frmMain window(ctx);
    window.resize(1200, 800);
    window.show();
    Settle();

    QElapsedTimer t;
    t.start();
    Fill(window.HoldSource(), window.HoldTarget(), pairs);
    std::printf("rows built by the row formatter:          %9.1f ms (%d pairs)\n", Ms(t), pairs);

    t.restart();
    window.ApplyViewTypes();
    const double apply = Ms(t);
    Settle();
    std::printf("fill both panes (All), reset + totals:     %9.1f ms\n", apply);
    std::printf("  ... and the first paint:                 %9.1f ms\n", Ms(t));

    t.restart();
    window.Action(QStringLiteral("mnuViewDifferences"))->trigger();
    Settle();
    std::printf("View Differences Only (filter + paint):    %9.1f ms  (%d rows)\n", Ms(t),
                window.SourcePane()->model()->rowCount());

    t.restart();
    window.findChild<QToolButton*>(QStringLiteral("imgViews4"))->click();
    Settle();
    std::printf("category button Orphan (custom view):      %9.1f ms  (%d rows)\n", Ms(t),
                window.SourcePane()->model()->rowCount());

    window.Action(QStringLiteral("mnuViewViewAll"))->trigger();
    Settle();
    if (!window.SyncScrolling())
        window.SetSyncScrolling(true);
    QScrollBar* bar = window.SourcePane()->verticalScrollBar();
    const int steps = 200;
    int misaligned = 0;
    double worst = 0;
    t.restart();
    for (int i = 0; i < steps; ++i) {
        QElapsedTimer one;
        one.start();
        bar->setValue((bar->maximum() / steps) * i + (i % 3) * 17);
        window.SourcePane()->viewport()->repaint();
        window.TargetPane()->viewport()->repaint();
        worst = std::max(worst, Ms(one));
        if (window.SourcePane()->TopRow() != window.TargetPane()->TopRow())
            ++misaligned;
    }
    std::printf("scroll left pane + repaint both (synced):  %9.3f ms per step, worst %.3f ms, %d misaligned\n",
                Ms(t) / steps, worst, misaligned);

    // Selection of every row pair: one selection-model change each, with the status text.
    GuiSelectionCommands& select = window.SelectionCommands();
    GuiResultPane* left = window.SourcePane();
    Q_EMIT left->FocusTaken();
    t.restart();
    window.Action(QStringLiteral("mnuSelectAll"))->trigger();
    Settle();
    std::printf("Select All (+ status, paint):              %9.1f ms  (%lld selected)\n", Ms(t),
                static_cast<long long>(left->selectionModel()->selection().size()));
    t.restart();
    window.Action(QStringLiteral("mnuInvertSelection"))->trigger();
    Settle();
    std::printf("Invert Selection, all selected:            %9.1f ms\n", Ms(t));
    t.restart();
    window.Action(QStringLiteral("mnuInvertSelection"))->trigger();
    Settle();
    std::printf("Invert Selection, none selected:           %9.1f ms\n", Ms(t));
    SelectCriteria newer;
    newer.categories[0] = true; // one row in ten
    newer.patterns = QStringLiteral("*.dat");
    t.restart();
    const std::vector<int> matched = RowsMatchingSelection(left->ResultModel()->Hold(), left->ResultModel()->Rows(), newer,
                                                           ctx.Errors(), QDate::currentDate());
    std::printf("  the wizard's rules alone:                %9.1f ms  (%zu rows)\n", Ms(t), matched.size());
    {
        window.Action(QStringLiteral("mnuDeSelectAll"))->trigger();
        t.restart();
        QItemSelection selection;
        for (const auto& [first, last] : RowRuns(matched))
            selection.select(left->model()->index(first, 0), left->model()->index(last, 2));
        std::printf("  building the ranges:                     %9.1f ms\n", Ms(t));
        t.restart();
        left->selectionModel()->select(selection, QItemSelectionModel::Select);
        std::printf("  select():                                %9.1f ms\n", Ms(t));
        t.restart();
        Settle();
        std::printf("  paint:                                   %9.1f ms\n", Ms(t));
        t.restart();
        window.Action(QStringLiteral("mnuDeSelectAll"))->trigger();
        std::printf("  clear:                                   %9.1f ms\n", Ms(t));
    }
    t.restart();
    select.SelectFileTypesInList(left, newer);
    Settle();
    std::printf("Select Wizard, newer *.dat (1 in 10):      %9.1f ms  (%lld ranges)\n", Ms(t),
                static_cast<long long>(left->selectionModel()->selection().size()));
    return misaligned == 0 ? 0 : 1;
}
