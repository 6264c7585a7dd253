#include "base/QtEventPump.h"

#include <QCoreApplication>

QtEventPump::QtEventPump(int intervalMs) : m_intervalMs(intervalMs) { m_timer.start(); }

void QtEventPump::Pump()
{
    if (m_timer.elapsed() < m_intervalMs)
        return;
    PumpNow();
}

void QtEventPump::PumpNow()
{
    QCoreApplication::processEvents();
    m_timer.restart();
}
