#include "ScheduleRules.h"

#include "Clock.h"
#include "DateTimeText.h"
#include "TaskFile.h"

#include <QStringList>
#include <cstdlib>
#include <optional>

namespace {

constexpr qint64 MsPerMinute = 60 * 1000;
constexpr qint64 MsPerDay = 24 * 60 * MsPerMinute;

// Every comparison works on wall-clock readings, whatever spec a caller used.
QDateTime wall(const QDateTime &d)
{
    return d.timeSpec() == Qt::UTC ? d : WallClock(d.date(), d.time());
}

qint64 msApart(const QDateTime &a, const QDateTime &b)
{
    return std::llabs(wall(a).msecsTo(wall(b)));
}

int intOr(const QStringList &f, int index, int fallback)
{
    return ParseIntText(f.at(index)).value_or(fallback);
}

bool boolOr(const QStringList &f, int index)
{
    return ParseBoolText(f.at(index)).value_or(false);
}

QDateTime momentOr(const QStringList &f, int index)
{
    return TextToDateTime(f.at(index)).value_or(NeverRun());
}

// A number is listed only when an item is exactly its decimal text.
bool isListed(const QString &list, int number)
{
    const QString wanted = QString::number(number);
    const QStringList items = list.split(QLatin1Char(','));
    return items.contains(wanted);
}

// What every rule reads: the fields, the scheduled time of day and the last
// run. Absent when the line cannot be judged (too short, or an hour or
// minute that forms no time of day).
struct Judged {
    QStringList fields;
    QTime scheduled;
    QDateTime lastRun;
    QDateTime now;
    QTime nowHM;

    bool reached() const { return scheduled <= nowHM; }
    bool notRunToday() const { return SameDayMinutes(now, lastRun) == -1; }
};

std::optional<Judged> judge(const QString &line, const QDateTime &now, int lastFieldRead)
{
    Judged j;
    j.fields = SplitTaskLine(line);
    if (j.fields.size() <= lastFieldRead)
        return std::nullopt;
    const int hour = intOr(j.fields, fHour, -1);
    const int minute = intOr(j.fields, fMin, -1);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return std::nullopt;
    j.scheduled = QTime(hour, minute);
    j.lastRun = j.fields.at(fResult) == NewTaskMarker ? NeverRun() : momentOr(j.fields, fDateLast);
    j.now = wall(now);
    j.nowHM = QTime(j.now.time().hour(), j.now.time().minute());
    return j;
}

} // namespace

QDateTime NeverRun()
{
    return WallClock(QDate(1, 1, 1));
}

QString TaskKindOf(const QString &line)
{
    const QStringList f = SplitTaskLine(line);
    return f.size() > fType ? f.at(fType).trimmed().toUpper() : QString();
}

bool IsDueByMonths(const QString &line, const QDateTime &now)
{
    const auto j = judge(line, now, fEveryWeekType4);
    if (!j)
        return false;
    return isListed(j->fields.at(fMonthType4), j->now.date().month()) && j->reached()
        && j->now.date().day() == intOr(j->fields, fEveryWeekType4, -1) && j->notRunToday();
}

bool IsDueByWeekdays(const QString &line, const QDateTime &now)
{
    const auto j = judge(line, now, fDayType2);
    if (!j)
        return false;
    return isListed(j->fields.at(fDayType2), IsoWeekday(j->now)) && j->reached() && j->notRunToday();
}

bool IsDueOnce(const QString &line, const QDateTime &now)
{
    const auto j = judge(line, now, fDateType3);
    if (!j)
        return false;
    const QDateTime taskMoment = WallClock(momentOr(j->fields, fDateType3).date(), j->scheduled);
    const QDateTime nowMoment = WallClock(j->now.date(), j->nowHM);
    if (taskMoment <= nowMoment && YearsApart(j->lastRun, j->now) > 10)
        return true;
    return j->fields.at(fOnceType3) == QLatin1String("1");
}

bool IsDueByDays(const QString &line, const QDateTime &now)
{
    const auto j = judge(line, now, fEveryHour);
    if (!j)
        return false;
    const QStringList &f = j->fields;
    const bool dailyOn = boolOr(f, fDailyOnType1);
    const bool workDays = boolOr(f, fOnWeekDaysType1);
    const int everyDays = intOr(f, fEveryType1, -1);
    const int everyHour = intOr(f, fEveryHour, 0);
    const QDateTime &now_ = j->now;
    const QDate today = now_.date();

    QDate lastDay = j->lastRun.date();
    QTime scheduled = j->scheduled;
    // Never run: as if scheduled at 00:00 today. The last run itself stays,
    // so the task is not run today.
    if (j->lastRun.date().year() < 1970) {
        lastDay = today;
        scheduled = QTime(0, 0);
    }
    const bool reached = scheduled <= j->nowHM;
    const bool notRunToday = j->notRunToday();
    const qint64 interval = qint64(everyHour) * 60;

    // The slot of the repetition the last run belongs to, counted from the
    // scheduled time today.
    auto slotMinutes = [&]() {
        const QDateTime anchor = WallClock(today, scheduled);
        const QDateTime slot = AddMinutes(anchor, (MinutesApart(anchor, j->lastRun) / interval) * interval);
        return SameDayMinutes(now_, slot);
    };

    bool due = false;
    if (dailyOn) {
        if (WallClock(lastDay, scheduled) <= WallClock(today, j->nowHM) && everyHour > 0) {
            if (notRunToday || SameDayMinutes(now_, j->lastRun) >= interval)
                due = true;
        }
        if (reached && everyHour == 0 && notRunToday)
            due = true;
    }
    if (workDays) {
        const int weekday = IsoWeekday(now_);
        if (reached && weekday != 6 && weekday != 7) {
            if (notRunToday)
                due = true;
            else if (everyHour > 0 && slotMinutes() > interval)
                due = true;
        }
    }
    if (!workDays && !dailyOn && everyDays > 0) {
        if (reached && (DaysApart(j->lastRun, now_) >= everyDays || everyHour > 0)) {
            if (notRunToday)
                due = true;
            else if (everyHour > 0 && slotMinutes() >= interval)
                due = true;
        }
    }
    return due;
}

bool IsTaskDue(const QString &line, const QDateTime &now)
{
    const QString kind = TaskKindOf(line);
    if (kind == QLatin1String("TYPE1"))
        return IsDueByDays(line, now);
    if (kind == QLatin1String("TYPE2"))
        return IsDueByWeekdays(line, now);
    if (kind == QLatin1String("TYPE3"))
        return IsDueOnce(line, now);
    if (kind == QLatin1String("TYPE4"))
        return IsDueByMonths(line, now);
    return false;
}

int SameDayMinutes(const QDateTime &a, const QDateTime &b)
{
    if (wall(a).date() != wall(b).date())
        return -1;
    return int(msApart(a, b) / MsPerMinute);
}

qint64 MinutesApart(const QDateTime &a, const QDateTime &b)
{
    return msApart(a, b) / MsPerMinute;
}

qint64 DaysApart(const QDateTime &a, const QDateTime &b)
{
    return msApart(a, b) / MsPerDay;
}

qint64 YearsApart(const QDateTime &a, const QDateTime &b)
{
    return qint64((double(msApart(a, b)) / double(MsPerDay)) / 365.25);
}

int IsoWeekday(const QDateTime &d)
{
    return wall(d).date().dayOfWeek();
}

QDateTime AddMinutes(const QDateTime &d, qint64 minutes)
{
    return wall(d).addSecs(minutes * 60);
}
