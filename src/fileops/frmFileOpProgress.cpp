#include "fileops/frmFileOpProgress.h"

#include "base/QtEventPump.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString ActionText(FileOpRunner::Kind kind)
{
    switch (kind) {
    case FileOpRunner::Kind::Copy:
    case FileOpRunner::Kind::CopyAs: return QStringLiteral("Copying...");
    case FileOpRunner::Kind::Move:
    case FileOpRunner::Kind::MoveAs: return QStringLiteral("Moving...");
    case FileOpRunner::Kind::Trash: return QStringLiteral("Sending to the Recycle Bin...");
    case FileOpRunner::Kind::Delete: break;
    }
    return QStringLiteral("Deleting...");
}

} // namespace

QString frmFileOpProgress::CaptionFor(FileOpRunner::Kind kind)
{
    switch (kind) {
    case FileOpRunner::Kind::Copy:
    case FileOpRunner::Kind::CopyAs: return QStringLiteral("Copy");
    case FileOpRunner::Kind::Move:
    case FileOpRunner::Kind::MoveAs: return QStringLiteral("Move");
    case FileOpRunner::Kind::Trash: return QStringLiteral("Send to Recycle Bin");
    case FileOpRunner::Kind::Delete: break;
    }
    return QStringLiteral("Delete");
}

frmFileOpProgress::frmFileOpProgress(FileOpRunner::Kind kind, QWidget* parent)
    : frmFileOpProgress(CaptionFor(kind), ActionText(kind), parent)
{
    m_kind = kind;
}

frmFileOpProgress::frmFileOpProgress(const QString& caption, const QString& action, QWidget* parent)
    : QDialog(parent), m_lblAction(new QLabel(action, this)), m_lblCurrent(new QLabel(this)),
      m_lblCounts(new QLabel(this)), m_bar(new QProgressBar(this)),
      m_cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmFileOpProgress"));
    setWindowTitle(caption);
    setWindowModality(Qt::ApplicationModal);
    m_lblAction->setObjectName(QStringLiteral("lblAction"));
    m_lblCurrent->setObjectName(QStringLiteral("lblCurrent"));
    m_lblCurrent->setTextFormat(Qt::PlainText);
    m_lblCurrent->setMinimumWidth(420);
    m_lblCounts->setObjectName(QStringLiteral("lblCounts"));
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, 1000);
    m_bar->setValue(0);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmFileOpProgress::Cancel);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblAction);
    layout->addWidget(m_lblCurrent);
    layout->addWidget(m_bar);
    layout->addWidget(m_lblCounts);
    layout->addLayout(buttons);

    m_refresh.setInterval(100);
    connect(&m_refresh, &QTimer::timeout, this, &frmFileOpProgress::Refresh);
}

FileOps::Result frmFileOpProgress::Run(const QStringList& objects, const QString& destination, const QStringList& roots)
{
    FileOps::Result result;
    RunWork([&](const FileOps::Control& control) {
        FileOps::Control confined = control;
        confined.roots = roots;
        result = RunFileOp(m_kind, objects, destination, confined);
    });
    return result;
}

void frmFileOpProgress::SetActionText(const QString& text)
{
    if (!m_cancel)
        m_lblAction->setText(text);
}

void frmFileOpProgress::RunWork(const std::function<void(const FileOps::Control&)>& work)
{
    QtEventPump pump;
    FileOps::Control control;
    control.cancel = &m_cancel;
    control.pump = &pump;
    control.onProgress = [this](const FileOps::Progress& progress) { Update(progress); };
    m_running = true;
    m_started.start();
    m_refresh.start();
    // What is already waiting (a repaint, a Cancel pressed early) runs before the first object.
    pump.PumpNow();
    try {
        work(control);
    } catch (...) {
        m_refresh.stop();
        m_running = false;
        hide();
        throw;
    }
    m_refresh.stop();
    m_running = false;
    hide();
}

void frmFileOpProgress::Update(const FileOps::Progress& progress)
{
    // Only stored here; the refresh timer shows it.
    const bool another = progress.objectsDone != m_progress.objectsDone;
    m_progress = progress;
    if (another)
        Q_EMIT ObjectDone(progress.objectsDone);
}

void frmFileOpProgress::Refresh()
{
    if (!isVisible() && m_running && m_started.elapsed() >= ShowDelayMs) {
        show();
        Q_EMIT Shown();
    }
    const FileOps::Progress& p = m_progress;
    m_lblCurrent->setText(p.current);
    const QLocale locale;
    if (m_steps > 0)
        m_lblCounts->setText(locale.toString(m_stepsDone) + QStringLiteral(" of ") + locale.toString(m_steps)
                             + QStringLiteral(" operation(s) done"));
    else
        m_lblCounts->setText(locale.toString(p.objectsDone) + QStringLiteral(" of ") + locale.toString(p.objectsTotal)
                             + QStringLiteral(" object(s), ") + locale.toString(p.bytesDone) + QStringLiteral(" of ")
                             + locale.toString(p.bytesTotal) + QStringLiteral(" bytes"));
    m_bar->setValue(BarValue());
}

int frmFileOpProgress::BarValue() const
{
    const FileOps::Progress& p = m_progress;
    // Bytes when there are any to copy, otherwise objects.
    const double current = p.bytesTotal > 0 ? double(p.bytesDone) / double(p.bytesTotal)
                           : p.objectsTotal > 0 ? double(p.objectsDone) / double(p.objectsTotal)
                                                : 0.0;
    const double done = m_steps > 0 ? (double(m_stepsDone) + qBound(0.0, current, 1.0)) / double(m_steps) : current;
    return int(qBound(0.0, done, 1.0) * 1000);
}

void frmFileOpProgress::StepDone(qint64 stepsDone)
{
    m_stepsDone = stepsDone;
    // The finished step's own progress is in the count now; the next one starts from nothing.
    m_progress = {};
}

void frmFileOpProgress::Cancel()
{
    m_cancel = true;
    m_cmdCancel->setEnabled(false);
    m_lblAction->setText(QStringLiteral("Cancelling..."));
}

void frmFileOpProgress::reject()
{
    // Escape: the run ends by itself once it has seen the flag.
    if (m_running)
        Cancel();
    else
        QDialog::reject();
}

void frmFileOpProgress::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        Cancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

FileOps::Result GuiFileOpRunner::Run(Kind kind, const QStringList& objects, const QString& destination)
{
    frmFileOpProgress window(kind, m_parent);
    return window.Run(objects, destination, roots);
}
