#include "Clock.h"

QDateTime WallClock(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, Qt::UTC);
}

QDateTime LocalNow()
{
    const QDateTime local = QDateTime::currentDateTime();
    return WallClock(local.date(), local.time());
}

const Clock &Clock::system()
{
    static const Clock clock;
    return clock;
}
