#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <ctime>

// Runs a test body under another time zone and restores the previous one.
class TimeZoneScope final
{
public:
    explicit TimeZoneScope(const char* zone) : m_had(qEnvironmentVariableIsSet("TZ")), m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneScope()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }
    Q_DISABLE_COPY_MOVE(TimeZoneScope)

private:
    bool m_had;
    QByteArray m_old;
};
