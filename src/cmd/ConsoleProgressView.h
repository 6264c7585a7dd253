#pragma once

#include "compare/CompareProgressView.h"

#include <QElapsedTimer>
#include <cstdio>

// The headless front end's progress: one line on standard error, rewritten in place a few times per
// second, and only when standard error is a terminal (a pipe or a file gets no progress noise).
class ConsoleProgressView final : public CompareProgressView
{
public:
    explicit ConsoleProgressView(FILE* out = stderr);

    void Show(const QString& message, const QString& fileName) override;
    void Close() override;
    void SetMessage(const QString& message) override;
    void SetFileName(const QString& fileName) override;
    void StartDelay() override {}
    bool DelayHasPassed() const override { return true; }
    void StartAnimation(const QString&) override {}
    void StopAnimation() override {}
    ProgressSink& Progress() override { return m_sink; }

    // Removes the progress line so that a message can be written on a clean line.
    void Wipe();

private:
    class Sink final : public ProgressSink
    {
    public:
        explicit Sink(ConsoleProgressView& view) : m_view(view) {}
        void SetRange(qint64 maximum) override { m_maximum = maximum; m_view.Tick(); }
        void SetValue(qint64 value) override { m_value = value; m_view.Tick(); }
        void SetText(const QString& text) override { m_view.m_fileName = text; m_view.Tick(); }

        ConsoleProgressView& m_view;
        qint64 m_maximum = 0;
        qint64 m_value = 0;
    };

    void Tick();
    void Draw();

    FILE* m_out;
    bool m_enabled;
    bool m_open = false;
    bool m_lineShown = false;
    QString m_message;
    QString m_fileName;
    QElapsedTimer m_sinceDraw;
    Sink m_sink{*this};
};
