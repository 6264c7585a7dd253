#include "base/QtEventPump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>

QtEventPump::QtEventPump(int intervalMs) : m_intervalMs(intervalMs) { m_timer.start(); }

void QtEventPump::Pump()
{
    if (m_timer.elapsed() < m_intervalMs)
        return;
    PumpNow();
}

void QtEventPump::WaitForEvents(int maxMs)
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr || maxMs <= 0) {
        PumpNow();
        return;
    }
    // The timer bounds the wait; any earlier event ends it sooner.
    QTimer bound;
    bound.setSingleShot(true);
    bound.start(maxMs);
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_timer.restart();
}

void QtEventPump::PumpNow()
{
    QCoreApplication::processEvents();
    m_timer.restart();
}
