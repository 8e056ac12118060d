#pragma once

#include <QDateTime>
#include <QString>

// 1 January of year 1, 00:00:00.000: the last run of a task never run.
QDateTime NeverRun();

// Field 6 upper-cased and trimmed ("TYPE1" ... "TYPE4"); empty when missing.
QString TaskKindOf(const QString &line);

// The due rules. A line they cannot judge (missing fields, an hour or minute
// that forms no time of day) is not due; they never throw.
bool IsDueByDays(const QString &line, const QDateTime &now);     // Type1
bool IsDueByWeekdays(const QString &line, const QDateTime &now); // Type2
bool IsDueOnce(const QString &line, const QDateTime &now);       // Type3
bool IsDueByMonths(const QString &line, const QDateTime &now);   // Type4
// Dispatch on TaskKindOf; any other kind is not due.
bool IsTaskDue(const QString &line, const QDateTime &now);

// Calendar helpers on wall-clock moments.
int SameDayMinutes(const QDateTime &a, const QDateTime &b); // -1 on different days
qint64 MinutesApart(const QDateTime &a, const QDateTime &b);
qint64 DaysApart(const QDateTime &a, const QDateTime &b);
qint64 YearsApart(const QDateTime &a, const QDateTime &b);
int IsoWeekday(const QDateTime &d); // 1 = Monday ... 7 = Sunday
QDateTime AddMinutes(const QDateTime &d, qint64 minutes);
