#include "ScheduleRules.h"

#include "Clock.h"
#include "DateTimeText.h"
#include "TaskFile.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

namespace {

constexpr qint64 MsPerMinute = 60 * 1000;
constexpr qint64 MsPerDay = 24 * 60 * MsPerMinute;

// Every comparison works on wall-clock readings, whatever time zone a caller marked.
QDateTime wall(const QDateTime &d)
{
    return d.timeSpec() == Qt::UTC ? d : WallClock(d.date(), d.time());
}

qint64 msApart(const QDateTime &a, const QDateTime &b)
{
    return std::llabs(wall(a).msecsTo(wall(b)));
}

// The fields of a line as views into it: a pass judges every line at every
// check, and copying nineteen strings per line is most of the cost.
struct LineFields {
    std::array<QStringView, TaskFieldCount> at {};
    int count = 0; // as SplitTaskLine counts them

    explicit LineFields(QStringView line)
    {
        qsizetype start = 0;
        for (;;) {
            const qsizetype end = line.indexOf(QLatin1Char(';'), start);
            const QStringView piece = line.mid(start, end < 0 ? line.size() - start : end - start);
            if (end < 0) {
                // The empty piece after the final ";" is no field.
                if (!piece.isEmpty())
                    add(piece);
                return;
            }
            add(piece);
            start = end + 1;
        }
    }
    void add(QStringView piece)
    {
        if (count < TaskFieldCount)
            at[count] = piece;
        ++count;
    }
};

// Decimal integer with an optional sign and blanks around; as ParseIntText.
std::optional<int> parseInt(QStringView text)
{
    const QStringView s = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        negative = s[i++] == u'-';
    if (i == s.size())
        return std::nullopt;
    qint64 v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < u'0' || s[i] > u'9')
            return std::nullopt;
        v = v * 10 + (s[i].unicode() - u'0');
        if (v > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    v = negative ? -v : v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(v);
}

int intOr(const LineFields &f, int index, int fallback)
{
    return parseInt(f.at[index]).value_or(fallback);
}

bool boolOr(const LineFields &f, int index)
{
    const QStringView s = f.at[index].trimmed();
    if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (const auto n = parseInt(s))
        return *n != 0;
    return false;
}

QDateTime momentOr(const LineFields &f, int index)
{
    return TextToDateTime(f.at[index]).value_or(NeverRun());
}

// A number is listed only when an item is exactly its decimal text.
bool isListed(QStringView list, int number)
{
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, "%d", number);
    const QLatin1String wanted(digits, n);
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = list.indexOf(QLatin1Char(','), start);
        if (list.mid(start, end < 0 ? list.size() - start : end - start) == wanted)
            return true;
        if (end < 0)
            return false;
        start = end + 1;
    }
}

// What every rule reads: the fields, the scheduled time of day and the last
// run. Absent when the line cannot be judged (too short, or an hour or
// minute that forms no time of day).
struct Judged {
    const LineFields &fields;
    QTime scheduled;
    QDateTime lastRun;
    QDateTime now;
    QTime nowHM;

    bool reached() const { return scheduled <= nowHM; }
    bool notRunToday() const { return SameDayMinutes(now, lastRun) == -1; }
};

std::optional<Judged> judge(const LineFields &f, const QDateTime &now, int lastFieldRead)
{
    if (f.count <= lastFieldRead)
        return std::nullopt;
    const int hour = intOr(f, fHour, -1);
    const int minute = intOr(f, fMin, -1);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return std::nullopt;
    Judged j { f, QTime(hour, minute), {}, wall(now), {} };
    j.lastRun = f.at[fResult] == NewTaskMarker ? NeverRun() : momentOr(f, fDateLast);
    j.nowHM = QTime(j.now.time().hour(), j.now.time().minute());
    return j;
}

bool isDueByMonths(const LineFields &f, const QDateTime &now)
{
    const auto j = judge(f, now, fEveryWeekType4);
    if (!j)
        return false;
    return isListed(f.at[fMonthType4], j->now.date().month()) && j->reached()
        && j->now.date().day() == intOr(f, fEveryWeekType4, -1) && j->notRunToday();
}

bool isDueByWeekdays(const LineFields &f, const QDateTime &now)
{
    const auto j = judge(f, now, fDayType2);
    if (!j)
        return false;
    return isListed(f.at[fDayType2], IsoWeekday(j->now)) && j->reached() && j->notRunToday();
}

bool isDueOnce(const LineFields &f, const QDateTime &now)
{
    const auto j = judge(f, now, fDateType3);
    if (!j)
        return false;
    const QDateTime taskMoment = WallClock(momentOr(f, fDateType3).date(), j->scheduled);
    const QDateTime nowMoment = WallClock(j->now.date(), j->nowHM);
    if (taskMoment <= nowMoment && YearsApart(j->lastRun, j->now) > 10)
        return true;
    return f.at[fOnceType3] == QLatin1String("1");
}

bool isDueByDays(const LineFields &f, const QDateTime &now)
{
    const auto j = judge(f, now, fEveryHour);
    if (!j)
        return false;
    const bool dailyOn = boolOr(f, fDailyOnType1);
    const bool workDays = boolOr(f, fOnWeekDaysType1);
    const int everyDays = intOr(f, fEveryType1, -1);
    const int everyHour = intOr(f, fEveryHour, 0);
    const QDateTime &current = j->now;
    const QDate today = current.date();

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
        return SameDayMinutes(current, slot);
    };

    bool due = false;
    if (dailyOn) {
        if (WallClock(lastDay, scheduled) <= WallClock(today, j->nowHM) && everyHour > 0) {
            if (notRunToday || SameDayMinutes(current, j->lastRun) >= interval)
                due = true;
        }
        if (reached && everyHour == 0 && notRunToday)
            due = true;
    }
    if (workDays) {
        const int weekday = IsoWeekday(current);
        if (reached && weekday != 6 && weekday != 7) {
            if (notRunToday)
                due = true;
            else if (everyHour > 0 && slotMinutes() > interval)
                due = true;
        }
    }
    if (!workDays && !dailyOn && everyDays > 0) {
        if (reached && (DaysApart(j->lastRun, current) >= everyDays || everyHour > 0)) {
            if (notRunToday)
                due = true;
            else if (everyHour > 0 && slotMinutes() >= interval)
                due = true;
        }
    }
    return due;
}

} // namespace

QDateTime NeverRun()
{
    return WallClock(QDate(1, 1, 1));
}

QString TaskKindOf(const QString &line)
{
    const LineFields f(line);
    return f.count > fType ? f.at[fType].trimmed().toString().toUpper() : QString();
}

bool IsDueByMonths(const QString &line, const QDateTime &now)
{
    return isDueByMonths(LineFields(line), now);
}

bool IsDueByWeekdays(const QString &line, const QDateTime &now)
{
    return isDueByWeekdays(LineFields(line), now);
}

bool IsDueOnce(const QString &line, const QDateTime &now)
{
    return isDueOnce(LineFields(line), now);
}

bool IsDueByDays(const QString &line, const QDateTime &now)
{
    return isDueByDays(LineFields(line), now);
}

bool IsTaskDue(const QString &line, const QDateTime &now)
{
    const LineFields f(line);
    if (f.count <= fType)
        return false;
    const QStringView kind = f.at[fType].trimmed();
    if (kind.compare(QLatin1String("TYPE1"), Qt::CaseInsensitive) == 0)
        return isDueByDays(f, now);
    if (kind.compare(QLatin1String("TYPE2"), Qt::CaseInsensitive) == 0)
        return isDueByWeekdays(f, now);
    if (kind.compare(QLatin1String("TYPE3"), Qt::CaseInsensitive) == 0)
        return isDueOnce(f, now);
    if (kind.compare(QLatin1String("TYPE4"), Qt::CaseInsensitive) == 0)
        return isDueByMonths(f, now);
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
