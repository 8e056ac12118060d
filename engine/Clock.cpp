#include "Clock.h"

#include <QMutex>
#include <limits>

QDateTime WallClock(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, Qt::UTC);
}

QDateTime LocalNow()
{
    // Converting to local time asks the C library, which looks at the zone
    // file on every call; a pass reads the clock once per task line. Zone
    // offsets change only on whole minutes, so one lookup per minute is exact.
    static QMutex mutex;
    static qint64 cachedMinute = std::numeric_limits<qint64>::min();
    static qint64 cachedOffsetMs = 0;

    const qint64 utcMs = QDateTime::currentMSecsSinceEpoch();
    const qint64 minute = utcMs >= 0 ? utcMs / 60000 : (utcMs - 59999) / 60000;
    qint64 offsetMs = 0;
    {
        QMutexLocker lock(&mutex);
        if (minute != cachedMinute) {
            cachedOffsetMs
                = qint64(QDateTime::fromMSecsSinceEpoch(minute * 60000, Qt::LocalTime).offsetFromUtc()) * 1000;
            cachedMinute = minute;
        }
        offsetMs = cachedOffsetMs;
    }
    return QDateTime::fromMSecsSinceEpoch(utcMs + offsetMs, Qt::UTC);
}

const Clock &Clock::system()
{
    static const Clock clock;
    return clock;
}
