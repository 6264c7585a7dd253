#pragma once

#include "compare/CompareProgressView.h"

#include <QDialog>
#include <QTimer>

class CCompare;
class QLabel;
class QProgressBar;
class GuiCompareProgressAnimation;

// The comparison progress window ("Comparison Progress"): a message line, the file being worked on, a
// progress bar and a busy animation. ESC cancels the run (sets CompareCancelled and closes the window);
// closing it from the title bar does the same, since a run without its window could not be stopped.
//
// Texts and bar values are only stored when the run sets them and reach the widgets on a short refresh
// timer, so a run that reports every file does not repaint every file.
class frmCompareProgress final : public QDialog, public CompareProgressView
{
    Q_OBJECT

public:
    // The start delay that lets the window appear before work begins.
    static constexpr int StartDelayMs = 250;

    explicit frmCompareProgress(CCompare& compare, QWidget* parent = nullptr);
    ~frmCompareProgress() override;
    Q_DISABLE_COPY_MOVE(frmCompareProgress)

    void Show(const QString& message, const QString& fileName) override;
    void Close() override;
    void SetMessage(const QString& message) override;
    void SetFileName(const QString& fileName) override;
    void StartDelay() override;
    bool DelayHasPassed() const override { return m_delayHasPassed; }
    void StartAnimation(const QString& name) override;
    void StopAnimation() override;
    ProgressSink& Progress() override { return m_sink; }

Q_SIGNALS:
    // The start delay began: the window shows and the run lets events run until the delay is over.
    void DelayStarted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The bar; a text set through it (a content comparison's "name - 40%") goes to the file line.
    class Sink final : public ProgressSink
    {
    public:
        explicit Sink(QString& fileName) : m_fileName(fileName) {}
        void SetRange(qint64 maximum) override { m_maximum = maximum; }
        void SetValue(qint64 value) override { m_value = value; }
        void SetText(const QString& text) override { m_fileName = text; }

        QString& m_fileName;
        qint64 m_maximum = 0;
        qint64 m_value = 0;
    };

    void Refresh();
    void CancelRun();

    CCompare& m_compare;
    QProgressBar* m_progressBar;
    GuiCompareProgressAnimation* m_animation;
    QLabel* m_lblMessage;
    QLabel* m_lblFileName;
    QTimer m_timer1;
    QTimer m_refresh;
    QString m_fileName;
    Sink m_sink{m_fileName};
    QString m_shownFileName;
    bool m_delayHasPassed = false;
    bool m_closingByRun = false;
};
