#include "Clock.h"
#include "DateTimeText.h"
#include "ScheduleRules.h"
#include "TaskFile.h"

#include <QTest>
#include <initializer_list>
#include <utility>

namespace {

using Fields = std::initializer_list<std::pair<TaskField, QString>>;

// A task line with neutral values, the given fields set.
QString task(Fields set)
{
    QStringList f = SplitTaskLine(QStringLiteral(
        "db;10;0;;Succesfull;C:\\Backup\\;Type1;0;0;1;;0;30.12.1899;;0;0;0;SRV;Provider=SQLOLEDB.1|Data Source=SRV;"));
    for (const auto &[field, value] : set)
        f[field] = value;
    return JoinTaskLine(f);
}

QString withLast(const QString &line, const QString &lastRun)
{
    QStringList f = SplitTaskLine(line);
    f[fDateLast] = lastRun;
    return JoinTaskLine(f);
}

// Dates in December 2008 unless a month is given; 22 December is a Monday.
QDateTime at(int month, int day, int h, int m, int s = 0, int year = 2008)
{
    return WallClock(QDate(year, month, day), QTime(h, m, s));
}

QString text(int month, int day, int h, int m, int s = 0)
{
    return DateTimeFormat::russian().toText(at(month, day, h, m, s));
}

const QString dailyAt10 = task({ { fDailyOnType1, "-1" }, { fEveryType1, "1" } });
const QString dailyAt10Every2h = task({ { fDailyOnType1, "-1" }, { fEveryType1, "1" }, { fEveryHour, "2" } });
const QString workDaysAt10 = task({ { fOnWeekDaysType1, "-1" } });
const QString workDaysAt10Every2h = task({ { fOnWeekDaysType1, "-1" }, { fEveryHour, "2" } });
const QString every3DaysAt10 = task({ { fEveryType1, "3" } });
const QString every3DaysAt10Every2h = task({ { fEveryType1, "3" }, { fEveryHour, "2" } });
const QString weekdays135 = task({ { fType, "Type2" }, { fDayType2, "1,3,5" } });
const QString onceOn25 = task({ { fType, "Type3" }, { fDateType3, "25.12.2008" }, { fResult, "insert_new_task" } });
const QString months1_6_12Day25 = task({ { fType, "Type4" }, { fMonthType4, "1,6,12" }, { fEveryWeekType4, "25" } });

} // namespace

class TestSchedule : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { DateTimeFormat::setCurrent(DateTimeFormat::russian()); }

    void workedExamples_data();
    void workedExamples();
    void edges_data();
    void edges();
    void kindOf();
    void dateFunctions();
};

void TestSchedule::workedExamples_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("due");

    auto row = [](const char *name, const QString &line, const QString &last, const QDateTime &now, bool due) {
        QTest::newRow(name) << withLast(line, last) << now << due;
    };
    row("daily: 10:00 still to come", dailyAt10, text(12, 24, 10, 0, 5), at(12, 25, 9, 55), false);
    row("daily: at 10:00", dailyAt10, text(12, 24, 10, 0, 5), at(12, 25, 10, 0), true);
    row("daily: run today", dailyAt10, text(12, 25, 10, 0, 5), at(12, 25, 10, 5), false);
    row("daily 2h: last run on an earlier day", dailyAt10Every2h, text(12, 24, 22, 0, 5), at(12, 25, 0, 5), true);
    row("daily 2h: 10:00 on the last run's day to come", dailyAt10Every2h, text(12, 25, 0, 5, 3), at(12, 25, 9, 0),
        false);
    row("daily 2h: 594 minutes since the last run", dailyAt10Every2h, text(12, 25, 0, 5, 3), at(12, 25, 10, 0), true);
    row("daily 2h: 119 whole minutes", dailyAt10Every2h, text(12, 25, 10, 0, 7), at(12, 25, 12, 0, 5), false);
    row("daily 2h: 120 minutes", dailyAt10Every2h, text(12, 25, 10, 0, 7), at(12, 25, 12, 0, 30), true);
    QTest::newRow("daily at 23:00, marker: never-run rule") << task({ { fDailyOnType1, "-1" },
                                                                      { fEveryType1, "1" },
                                                                      { fHour, "23" },
                                                                      { fResult, "insert_new_task" },
                                                                      { fDateLast, text(12, 25, 8, 59, 30) } })
                                                            << at(12, 25, 9, 0) << true;
    row("working days: Saturday", workDaysAt10, text(12, 26, 10, 0), at(12, 27, 10, 30), false);
    row("working days: Friday", workDaysAt10, text(12, 25, 10, 0), at(12, 26, 10, 30), true);
    row("working days 2h: 120 is not more than 120", workDaysAt10Every2h, text(12, 26, 10, 0, 5), at(12, 26, 12, 0),
        false);
    row("working days 2h: 121", workDaysAt10Every2h, text(12, 26, 10, 0, 5), at(12, 26, 12, 1), true);
    row("every 3 days: 2 whole days", every3DaysAt10, text(12, 23, 10, 0, 5), at(12, 26, 10, 0), false);
    row("every 3 days: 3 whole days", every3DaysAt10, text(12, 23, 10, 0, 5), at(12, 26, 10, 5), true);
    row("every 3 days 2h: repetition lifts the days", every3DaysAt10Every2h, text(12, 23, 10, 0, 5), at(12, 24, 10, 5),
        true);
    row("every 3 days 2h: 119 minutes since the slot", every3DaysAt10Every2h, text(12, 24, 10, 0, 5),
        at(12, 24, 11, 59), false);
    row("every 3 days 2h: 120 minutes since the slot", every3DaysAt10Every2h, text(12, 24, 10, 0, 5), at(12, 24, 12, 0),
        true);
    row("weekdays: Wednesday before 10:00", weekdays135, text(12, 22, 10, 0, 5), at(12, 24, 9, 59), false);
    row("weekdays: Wednesday 10:00", weekdays135, text(12, 22, 10, 0, 5), at(12, 24, 10, 0), true);
    row("weekdays: run today", weekdays135, text(12, 24, 10, 0, 5), at(12, 24, 10, 5), false);
    row("weekdays: Thursday not listed", weekdays135, text(12, 24, 10, 0, 5), at(12, 25, 10, 5), false);
    row("weekdays, marker", task({ { fType, "Type2" }, { fDayType2, "1,3,5" }, { fResult, "insert_new_task" } }),
        text(12, 24, 10, 0, 5), at(12, 24, 15, 0), true);
    row("once: before its moment", onceOn25, text(12, 20, 12, 0), at(12, 25, 9, 59), false);
    row("once: at its moment", onceOn25, text(12, 20, 12, 0), at(12, 25, 10, 0), true);
    row("once: after its run", task({ { fType, "Type3" }, { fDateType3, "25.12.2008" } }), text(12, 25, 10, 0, 9),
        at(12, 25, 10, 5), false);
    row("once: run at the next check",
        task({ { fType, "Type3" }, { fDateType3, "25.12.2008" }, { fResult, "insert_new_task" }, { fOnceType3, "1" } }),
        text(12, 20, 12, 0), at(12, 20, 12, 5), true);
    row("months: December 25", months1_6_12Day25, text(6, 25, 10, 0, 5), at(12, 25, 10, 0), true);
    row("months: other day", months1_6_12Day25, text(6, 25, 10, 0, 5), at(12, 24, 10, 0), false);
    row("months: November not listed", months1_6_12Day25, text(6, 25, 10, 0, 5), at(11, 25, 10, 0), false);
    row("months: run today", months1_6_12Day25, text(12, 25, 10, 0, 5), at(12, 25, 10, 5), false);
}

void TestSchedule::workedExamples()
{
    QFETCH(QString, line);
    QFETCH(QDateTime, now);
    QFETCH(bool, due);
    QCOMPARE(IsTaskDue(line, now), due);
}

void TestSchedule::edges_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("due");

    const QString longAgo = text(1, 1, 10, 0);
    auto day = [&](const QString &dayOfMonth, const QString &months) {
        return task(
            { { fType, "Type4" }, { fMonthType4, months }, { fEveryWeekType4, dayOfMonth }, { fDateLast, longAgo } });
    };
    QTest::newRow("day 31 in April") << day("31", "4,5") << at(4, 30, 10, 0) << false;
    QTest::newRow("day 30 in April") << day("30", "4") << at(4, 30, 10, 0) << true;
    QTest::newRow("day 29 in a leap February") << day("29", "2") << at(2, 29, 10, 0) << true;
    QTest::newRow("day 29 in a plain February") << day("29", "2") << at(2, 28, 10, 0, 0, 2009) << false;

    auto weekdays = [&](const QString &list) {
        return task({ { fType, "Type2" }, { fDayType2, list }, { fDateLast, longAgo } });
    };
    QTest::newRow("' 3' does not list 3") << weekdays(" 3") << at(12, 24, 10, 0) << false;
    QTest::newRow("'03' does not list 3") << weekdays("03") << at(12, 24, 10, 0) << false;
    QTest::newRow("trailing comma") << weekdays("1,3,") << at(12, 24, 10, 0) << true;
    QTest::newRow("empty list") << weekdays("") << at(12, 24, 10, 0) << false;

    auto once = [](const QString &last) {
        return task({ { fType, "Type3" }, { fDateType3, "25.12.2008" }, { fDateLast, last } });
    };
    QTest::newRow("once: ZeroDateTime counts as never run") << once("30.12.1899") << at(12, 25, 10, 0) << true;
    QTest::newRow("once: unparsable last run") << once("yesterday") << at(12, 25, 10, 0) << true;
    QTest::newRow("once: run 10 years ago")
        << once(text(12, 25, 10, 0, 0).replace("2008", "1998")) << at(12, 25, 10, 0) << false;

    // Both every day and working days: either branch can make it due.
    const QString both = task({ { fDailyOnType1, "-1" }, { fOnWeekDaysType1, "-1" }, { fEveryHour, "2" } });
    QTest::newRow("both: Saturday, by the daily branch")
        << withLast(both, text(12, 26, 10, 0)) << at(12, 27, 10, 30) << true;
    QTest::newRow("both: by the working-days slot")
        << withLast(both, text(12, 26, 11, 30)) << at(12, 26, 12, 1) << true;
    QTest::newRow("both: neither") << withLast(both, text(12, 26, 11, 30)) << at(12, 26, 12, 0) << false;

    const QString marker = NewTaskMarker;
    QTest::newRow("no option, empty every-days")
        << task({ { fEveryType1, "" }, { fResult, marker } }) << at(12, 25, 10, 0) << false;
    QTest::newRow("no option, zero every-days")
        << task({ { fEveryType1, "0" }, { fResult, marker } }) << at(12, 25, 10, 0) << false;
    QTest::newRow("new working-days task on Saturday")
        << task({ { fOnWeekDaysType1, "-1" }, { fResult, marker } }) << at(12, 27, 10, 0) << false;
    QTest::newRow("new every-day task on Saturday")
        << task({ { fDailyOnType1, "-1" }, { fResult, marker } }) << at(12, 27, 0, 0) << true;

    // Lines that cannot be judged are not due.
    const QString daily = withLast(dailyAt10, longAgo);
    QTest::newRow("hour empty") << task({ { fDailyOnType1, "-1" }, { fHour, "" } }) << at(12, 25, 12, 0) << false;
    QTest::newRow("hour not a number") << task({ { fDailyOnType1, "-1" }, { fHour, "ten" } }) << at(12, 25, 12, 0)
                                       << false;
    QTest::newRow("hour 24") << task({ { fDailyOnType1, "-1" }, { fHour, "24" } }) << at(12, 25, 12, 0) << false;
    QTest::newRow("minute 60") << task({ { fDailyOnType1, "-1" }, { fMin, "60" } }) << at(12, 25, 12, 0) << false;
    QTest::newRow("minute -1 on a new task")
        << task({ { fDailyOnType1, "-1" }, { fMin, "-1" }, { fResult, marker } }) << at(12, 25, 12, 0) << false;
    QTest::newRow("once with bad hour and run-now flag")
        << task({ { fType, "Type3" }, { fOnceType3, "1" }, { fHour, "x" } }) << at(12, 25, 12, 0) << false;
    QTest::newRow("Type1 cut after field 15")
        << JoinTaskLine(SplitTaskLine(daily).mid(0, 16)) << at(12, 25, 12, 0) << false;
    QTest::newRow("Type1 with 17 fields") << JoinTaskLine(SplitTaskLine(daily).mid(0, 17)) << at(12, 25, 12, 0) << true;
    QTest::newRow("Type2 cut after field 9")
        << JoinTaskLine(SplitTaskLine(weekdays("3")).mid(0, 10)) << at(12, 24, 10, 0) << false;
    QTest::newRow("Type4 cut after field 13")
        << JoinTaskLine(SplitTaskLine(day("25", "12")).mid(0, 14)) << at(12, 25, 10, 0) << false;
    QTest::newRow("kind only") << QStringLiteral("db;10;0;;;;Type1;") << at(12, 25, 12, 0) << false;
    QTest::newRow("empty line") << QString() << at(12, 25, 12, 0) << false;
    QTest::newRow("kind in other case and blanks")
        << task({ { fType, " type2 " }, { fDayType2, "3" }, { fDateLast, longAgo } }) << at(12, 24, 10, 0) << true;
    QTest::newRow("unknown kind") << task({ { fType, "Type5" }, { fResult, marker } }) << at(12, 24, 10, 0) << false;
}

void TestSchedule::edges()
{
    QFETCH(QString, line);
    QFETCH(QDateTime, now);
    QFETCH(bool, due);
    QCOMPARE(IsTaskDue(line, now), due);
}

void TestSchedule::kindOf()
{
    QCOMPARE(TaskKindOf(task({ { fType, " tYpe3 " } })), QStringLiteral("TYPE3"));
    QCOMPARE(TaskKindOf(QStringLiteral("a;b;c;")), QString());
}

void TestSchedule::dateFunctions()
{
    QCOMPARE(SameDayMinutes(at(12, 25, 23, 59), at(12, 26, 0, 0)), -1);
    QCOMPARE(SameDayMinutes(at(12, 25, 12, 0, 5), at(12, 25, 10, 0, 7)), 119);
    QCOMPARE(SameDayMinutes(at(12, 25, 10, 0, 7), at(12, 25, 12, 0, 5)), 119);
    QCOMPARE(DaysApart(at(12, 23, 10, 0, 5), at(12, 26, 10, 0)), 2);
    QCOMPARE(DaysApart(at(12, 26, 10, 5), at(12, 23, 10, 0, 5)), 3);
    QCOMPARE(MinutesApart(at(12, 24, 22, 0), at(12, 25, 0, 5)), 125);
    QCOMPARE(IsoWeekday(at(12, 22, 0, 0)), 1);
    QCOMPARE(IsoWeekday(at(12, 28, 0, 0)), 7);
    QCOMPARE(AddMinutes(at(12, 31, 23, 30), 45), at(1, 1, 0, 15, 0, 2009));

    // 11 years are 11 x 365.25 days, to the millisecond.
    const QDateTime start = at(1, 1, 0, 0);
    const QDateTime eleven = start.addMSecs(qint64(11 * 365.25 * 24 * 3600 * 1000));
    QCOMPARE(YearsApart(start, eleven), 11);
    QCOMPARE(YearsApart(start, eleven.addMSecs(-1)), 10);
    QCOMPARE(YearsApart(ZeroDateTime(), at(12, 25, 10, 0)), 108);
    QVERIFY(YearsApart(NeverRun(), at(12, 25, 10, 0)) > 2000);

    // A moment marked as local time is taken by its wall-clock reading.
    const QDateTime local(QDate(2008, 12, 25), QTime(10, 0), Qt::LocalTime);
    QCOMPARE(SameDayMinutes(local, at(12, 25, 12, 0)), 120);
}

QTEST_GUILESS_MAIN(TestSchedule)
#include "test_schedule.moc"
