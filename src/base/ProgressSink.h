#pragma once

#include <QString>
#include <QtGlobal>

// Where a long operation reports how far it is. All calls are cheap; a window implementation repaints
// only when the event pump runs.
class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void SetRange(qint64 maximum) = 0;
    virtual void SetValue(qint64 value) = 0;
    virtual void SetText(const QString& text) = 0;
};

// A sink that discards everything.
class NullProgressSink final : public ProgressSink
{
public:
    void SetRange(qint64) override {}
    void SetValue(qint64) override {}
    void SetText(const QString&) override {}
};

// "Let pending events run": long operations call Pump() between steps (per file or per chunk) and then
// test their cancel flag. The window implementation processes events at most every ~30 ms, because a
// call per file would cost seconds on a large tree.
class EventPump
{
public:
    virtual ~EventPump() = default;
    virtual void Pump() = 0;
    // Waits until an event has arrived (a timer ran out, a key was pressed) and lets it run, for at most
    // maxMs. A pump without an event queue just pumps.
    virtual void WaitForEvents(int maxMs)
    {
        (void)maxMs;
        Pump();
    }
};

class NullEventPump final : public EventPump
{
public:
    void Pump() override {}
};
