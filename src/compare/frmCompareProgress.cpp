#include "compare/frmCompareProgress.h"

#include "compare/CCompare.h"
#include "compare/GuiCompareProgressAnimation.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <limits>

namespace {
// Repaint interval of the texts and the bar while a run reports progress.
constexpr int RefreshMs = 50;
constexpr int FileLineWidth = 380;
} // namespace

frmCompareProgress::frmCompareProgress(CCompare& compare, QWidget* parent)
    : QDialog(parent), m_compare(compare), m_progressBar(new QProgressBar(this)),
      m_animation(new GuiCompareProgressAnimation(this)), m_lblMessage(new QLabel(this)), m_lblFileName(new QLabel(this))
{
    setObjectName(QStringLiteral("frmCompareProgress"));
    setWindowTitle(QStringLiteral("Comparison Progress"));
    setModal(false);
    if (parent != nullptr)
        setWindowIcon(parent->window()->windowIcon());

    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_animation->setObjectName(QStringLiteral("animFolder"));
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    m_lblMessage->setText(QStringLiteral("Comparing folder contents.  Please wait..."));
    m_lblFileName->setObjectName(QStringLiteral("lblFileName"));
    m_lblFileName->setFixedWidth(FileLineWidth);
    m_lblFileName->setTextFormat(Qt::PlainText);
    m_lblMessage->setTextFormat(Qt::PlainText);

    auto* top = new QHBoxLayout;
    top->addWidget(m_animation);
    auto* texts = new QVBoxLayout;
    texts->addWidget(m_lblMessage);
    texts->addWidget(m_lblFileName);
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_progressBar);

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setSingleShot(true);
    m_timer1.setInterval(StartDelayMs);
    connect(&m_timer1, &QTimer::timeout, this, [this] { m_delayHasPassed = true; });
    m_refresh.setInterval(RefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &frmCompareProgress::Refresh);
}

frmCompareProgress::~frmCompareProgress() = default;

void frmCompareProgress::Show(const QString& message, const QString& fileName)
{
    m_sink.m_maximum = 0;
    m_sink.m_value = 0;
    m_lblMessage->setText(message);
    m_fileName = fileName;
    Refresh();
    m_animation->Play(QStringLiteral("filetreelist.avi"));
    m_closingByRun = false;
    show();
    raise();
    activateWindow();
    m_refresh.start();
    StartDelay();
}

void frmCompareProgress::Close()
{
    m_closingByRun = true;
    m_timer1.stop();
    m_refresh.stop();
    StopAnimation();
    close();
}

void frmCompareProgress::SetMessage(const QString& message)
{
    // The message changes a handful of times per run: show it at once.
    m_lblMessage->setText(message);
}

void frmCompareProgress::SetFileName(const QString& fileName) { m_fileName = fileName; }

void frmCompareProgress::StartDelay()
{
    m_delayHasPassed = false;
    m_timer1.start();
    Q_EMIT DelayStarted();
}

void frmCompareProgress::StartAnimation(const QString& name) { m_animation->Play(name); }

void frmCompareProgress::StopAnimation() { m_animation->Stop(); }

void frmCompareProgress::Refresh()
{
    // QProgressBar holds an int range; very large counts are scaled down together.
    qint64 maximum = m_sink.m_maximum;
    qint64 value = qBound<qint64>(0, m_sink.m_value, maximum);
    constexpr qint64 intMax = std::numeric_limits<int>::max();
    if (maximum > intMax) {
        const qint64 divisor = maximum / intMax + 1;
        maximum /= divisor;
        value /= divisor;
    }
    if (m_progressBar->maximum() != maximum)
        m_progressBar->setRange(0, static_cast<int>(maximum));
    if (m_progressBar->value() != value)
        m_progressBar->setValue(static_cast<int>(value));
    if (m_fileName != m_shownFileName) {
        m_shownFileName = m_fileName;
        m_lblFileName->setText(m_lblFileName->fontMetrics().elidedText(m_fileName, Qt::ElideMiddle, FileLineWidth));
        m_lblFileName->setToolTip(m_fileName);
    }
}

void frmCompareProgress::CancelRun()
{
    m_compare.SetCompareCancelled(true);
}

void frmCompareProgress::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        CancelRun();
        Close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmCompareProgress::closeEvent(QCloseEvent* event)
{
    if (!m_closingByRun)
        CancelRun();
    m_closingByRun = false;
    m_timer1.stop();
    m_refresh.stop();
    StopAnimation();
    QDialog::closeEvent(event);
}
