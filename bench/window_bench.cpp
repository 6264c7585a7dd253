// Times a comparison in the main window the way a user waits for it: from the Compare command (the one
// the toolbar button and the menu run, taken from the command registry) until both result panes show
// the rows, that is until the model reset is done and the first paint of both panes has finished. The
// program's start is not counted; everything after the click is (scan, pairing, classification, rows,
// notes from the memory, model reset, status bar, first paint).
//   window_bench LEFT RIGHT [REPEAT] [--phases]
//       REPEAT comparisons in this process (default 1), one line each: "window <ms> ms", then one line of
//       the results' counts. --phases adds when each visible step began: the progress window's start
//       delays (the second one starts the classification), the left scan's end, the models' resets.
// The helper library is taken from PARVEX_BIN_DIR or the bin folder beside this program's folder. The
// window runs with the quick method, no sound and no summary window after the comparison (a modal window
// would wait for a click); every other setting is the default.
#include "BenchDialogs.h"
#include "BenchLibrary.h"
#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "app/frmMain.h"
#include "compare/CCompare.h"
#include "settings/CSoundSettings.h"
#include "settings/MainOptions.h"
#include "views/GuiResultPane.h"
#include "views/ResultTableModel.h"

#include <QApplication>
#include <QLabel>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <cstdio>
#include <map>

namespace {

// Notes when each pane's viewport has finished a paint that shows real rows. The paint is run from
// inside the filter so its end can be timed; a paint of the cleared panes at the start of a run does
// not count.
class PaintWatch final : public QObject
{
public:
    PaintWatch(GuiResultPane* left, GuiResultPane* right) : m_panes{left, right}
    {
        for (GuiResultPane* pane : m_panes)
            pane->viewport()->installEventFilter(this);
    }

    void Start(const QElapsedTimer* clock)
    {
        m_clock = clock;
        m_done = {-1, -1};
    }
    bool Done() const { return m_done[0] >= 0 && m_done[1] >= 0; }
    double LastMs() const { return std::max(m_done[0], m_done[1]); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || m_clock == nullptr || m_inside)
            return false;
        for (size_t side = 0; side < 2; ++side) {
            GuiResultPane* pane = m_panes[side];
            if (watched != pane->viewport() || pane->model()->rowCount() <= 1)
                continue;
            m_inside = true;
            static_cast<QObject*>(watched)->event(event);
            m_inside = false;
            if (m_done[side] < 0)
                m_done[side] = static_cast<double>(m_clock->nsecsElapsed()) / 1e6;
            return true;
        }
        return false;
    }

private:
    std::array<GuiResultPane*, 2> m_panes;
    std::array<double, 2> m_done{-1, -1};
    const QElapsedTimer* m_clock = nullptr;
    bool m_inside = false;
};

// The left categories and the row count, to check that the window found what parvexcmd finds.
void PrintCounts(const ResultList& left, const ResultList& right)
{
    std::map<QString, long> counts;
    for (const ResultRow& row : left)
        ++counts[CategoryKey(row.icon)];
    std::printf("rows %zu %zu", left.size(), right.size());
    for (const auto& [key, n] : counts)
        std::printf(" %s=%ld", key.isEmpty() ? "-" : qPrintable(key), n);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_bench LEFT RIGHT [REPEAT] [--phases]\n");
        return 2;
    }
    const QString left = QString::fromLocal8Bit(argv[1]);
    const QString right = QString::fromLocal8Bit(argv[2]);
    const QStringList args = QApplication::arguments();
    const bool phases = args.contains(QStringLiteral("--phases"));
    const int repeat = argc > 3 && argv[3][0] != '-' ? std::max(1, QString::fromLocal8Bit(argv[3]).toInt()) : 1;
    QTemporaryDir appFolder;
    SilentDialogs dialogs(true);
    AppContext ctx(appFolder.path(), dialogs);
    if (!BindBenchLibrary(ctx))
        return 2;
    frmMain window(ctx);
    ctx.Compare().SetCompareMethod(CCompare::Quick);
    ctx.MainOptions().ShowGraphAfterCompare = false;
    ctx.Sounds().SetSoundOn(false);
    window.resize(1200, 800);
    window.show();
    window.ReplaceFolderTexts(left, right);
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();

    PaintWatch watch(window.SourcePane(), window.TargetPane());
    QElapsedTimer clock;
    auto phase = [&](const char* what) {
        if (phases)
            std::printf("  %9.1f ms  %s\n", static_cast<double>(clock.nsecsElapsed()) / 1e6, what);
    };
    QObject::connect(&window, &frmMain::CompareProgressShown, &window,
                     [&] { phase("progress window: start delay begins"); });
    // The progress window's message line names the step; it is read whenever the run lets events run.
    QString shownMessage;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        auto* line = window.findChild<QLabel*>(QStringLiteral("lblMessage"));
        const QString text = line != nullptr && line->isVisible() ? line->text() : QString();
        if (text != shownMessage && !text.isEmpty())
            phase(qPrintable(QStringLiteral("seen: ") + text));
        shownMessage = text;
    });
    if (phases)
        poll.start();
    QObject::connect(window.SourcePane()->model(), &QAbstractItemModel::modelAboutToBeReset, &window,
                     [&] { phase("left model: reset begins"); });
    QObject::connect(window.TargetPane()->model(), &QAbstractItemModel::modelReset, &window,
                     [&] { phase("right model: reset done"); });
    for (int run = 0; run < repeat; ++run) {
        clock.start();
        watch.Start(&clock);
        if (!window.Commands().Run(QStringLiteral("mnuFileCompareDirectories"))) {
            std::fprintf(stderr, "the Compare command is not enabled\n");
            return 2;
        }
        const double returned = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        phase("command returned");
        // The paint may have happened inside the run's last event pump; if not, it follows at once.
        QElapsedTimer limit;
        limit.start();
        while (!watch.Done() && limit.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!watch.Done()) {
            std::fprintf(stderr, "the panes were not painted with rows\n");
            return 1;
        }
        std::printf("window %.1f ms (command returned after %.1f ms)\n", watch.LastMs(), returned);
        std::fflush(stdout);
    }
    watch.Start(nullptr);
    PrintCounts(window.HoldSource(), window.HoldTarget());
    return 0;
}
