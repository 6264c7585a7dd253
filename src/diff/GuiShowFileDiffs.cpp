#include "diff/GuiShowFileDiffs.h"

#include "app/AppContext.h"
#include "base/ErrorHandler.h"
#include "base/ProgressSink.h"
#include "base/QtEventPump.h"
#include "diff/DiffRun.h"
#include "diff/frmFileDiffs.h"
#include "diff/frmViewFileDiffOptions.h"

#include <QProgressDialog>
#include <QTimer>
#include <atomic>

namespace {

// The progress of a long run: appears only after 400 ms, so a small pair of files never flashes a
// window; Cancel and Escape stop the run.
class LoadProgress final : public ProgressSink
{
public:
    LoadProgress(QWidget* parent, std::atomic<bool>& cancel) : m_dialog(parent)
    {
        m_dialog.setObjectName(QStringLiteral("frmDiffProgress"));
        m_dialog.setWindowTitle(QStringLiteral("View File Differences"));
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(0);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setMinimumWidth(420);
        m_dialog.hide();
        QObject::connect(&m_dialog, &QProgressDialog::canceled, &m_dialog, [&cancel] { cancel = true; });
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, &m_dialog, [this] { m_dialog.show(); });
        m_timer.start(400);
    }
    ~LoadProgress() override { m_dialog.hide(); }
    Q_DISABLE_COPY_MOVE(LoadProgress)

    void SetRange(qint64 maximum) override
    {
        m_scale = maximum > INT32_MAX ? maximum / INT32_MAX + 1 : 1;
        m_dialog.setRange(0, static_cast<int>(maximum / m_scale));
    }
    void SetValue(qint64 value) override { m_dialog.setValue(static_cast<int>(value / m_scale)); }
    void SetText(const QString& text) override { m_dialog.setLabelText(text); }

private:
    QProgressDialog m_dialog;
    QTimer m_timer;
    qint64 m_scale = 1;
};

} // namespace

bool RunFileDifferences(AppContext& ctx, QWidget* parent)
{
    const cViewFileDiffsOptions& o = ctx.DiffOptions();
    const DiffRequest request{o.FileOne(), o.FileTwo(), o.IgnoreCase(), o.IgnoreWhiteSpace(), o.Format()};
    DiffRunResult run;
    {
        BusyPointer busy(ctx.Dialogs());
        std::atomic<bool> cancel{false};
        LoadProgress progress(parent, cancel);
        QtEventPump pump;
        run = RunFileDiffs(request, ctx.DiffEngine(), {&pump, &cancel, &progress});
    }
    if (run.loadFailure)
        ctx.Errors().Report(*run.loadFailure, QStringLiteral("frmFileDiffs.LoadFilesIntoGrids"));
    if (run.message)
        ctx.Dialogs().Message(run.message->text, run.message->title, run.message->icon);
    if (!run.ShowsWindow())
        return false;
    frmFileDiffs window(ctx, std::move(run), ctx.DiffEngine(), parent);
    window.exec();
    return window.SavedAFile();
}

bool ShowFileDifferences(AppContext& ctx, QWidget* parent, const DiffCallerFolders& folders,
                         const std::function<void()>& marksChanged)
{
    try {
        if (ctx.DiffOptions().ShowOptionsDialog()) {
            frmViewFileDiffOptions options(ctx, folders, marksChanged, parent);
            options.exec();
            return options.SavedAFile();
        }
        return RunFileDifferences(ctx, parent);
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("frmFileDiffs.Form_Load"));
    }
    return false;
}
