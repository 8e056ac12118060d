#include "Clock.h"
#include "DateTimeText.h"

#include <QTest>

Q_DECLARE_METATYPE(DateTimeFormat)

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return WallClock(QDate(y, mo, d), QTime(h, mi, s, ms));
}

} // namespace

class TestDateTime : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { DateTimeFormat::resetCurrent(); }

    void fromLocale();
    void localesRoundTrip_data();
    void localesRoundTrip();
    void toText_data();
    void toText();
    void parse_data();
    void parse();
    void roundTripToTheSecond();
    void currentFormat();
};

void TestDateTime::fromLocale()
{
    const DateTimeFormat ru = DateTimeFormat::fromLocale(QLocale(QLocale::Russian, QLocale::Russia));
    QCOMPARE(ru.dateFormat, DateTimeFormat::russian().dateFormat);
    QCOMPARE(ru.timeFormat, DateTimeFormat::russian().timeFormat);
    // Qt's own US data has a two-digit year and a zone.
    const DateTimeFormat us = DateTimeFormat::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(us.dateFormat, DateTimeFormat::usEnglish().dateFormat);
    QCOMPARE(us.timeFormat, DateTimeFormat::usEnglish().timeFormat);
    QCOMPARE(DateTimeFormat::fromLocale(QLocale(QLocale::German, QLocale::Germany)).dateFormat,
             QStringLiteral("dd.MM.yyyy"));
    QCOMPARE(DateTimeFormat::fromLocale(QLocale(QLocale::Chinese, QLocale::China)).timeFormat,
             QStringLiteral("HH:mm:ss"));
    const DateTimeFormat c = DateTimeFormat::fromLocale(QLocale::c());
    QCOMPARE(c.dateFormat, QStringLiteral("yyyy-MM-dd"));
    QCOMPARE(c.timeFormat, QStringLiteral("HH:mm:ss"));
}

void TestDateTime::localesRoundTrip_data()
{
    QTest::addColumn<QString>("locale");
    for (const char *name : { "ru_RU", "en_US", "de_DE", "en_GB", "fr_FR", "ja_JP", "zh_CN", "ko_KR", "fa_IR", "hu_HU",
                              "bg_BG", "sv_SE", "nl_NL", "uk_UA", "ar_EG" })
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestDateTime::localesRoundTrip()
{
    QFETCH(QString, locale);
    const DateTimeFormat f = DateTimeFormat::fromLocale(QLocale(locale));
    for (const QDateTime &moment : { at(2008, 12, 25, 14, 30, 5), at(2008, 1, 5, 9, 5, 3), at(1999, 3, 7) }) {
        const QString text = f.toText(moment);
        QVERIFY2(text.contains(QString::number(moment.date().year())), qPrintable(text));
        QCOMPARE(f.parse(text), std::optional<QDateTime>(moment));
    }
}

void TestDateTime::toText_data()
{
    QTest::addColumn<DateTimeFormat>("format");
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("text");
    const DateTimeFormat ru = DateTimeFormat::russian();
    const DateTimeFormat us = DateTimeFormat::usEnglish();
    QTest::newRow("ru afternoon") << ru << at(2008, 12, 25, 14, 30, 5) << "25.12.2008 14:30:05";
    QTest::newRow("us afternoon") << us << at(2008, 12, 25, 14, 30, 5) << "12/25/2008 2:30:05 PM";
    QTest::newRow("ru morning") << ru << at(2008, 1, 5, 9, 5, 3) << "05.01.2008 09:05:03";
    QTest::newRow("us after midnight") << us << at(2008, 1, 5, 0, 5, 3) << "1/5/2008 12:05:03 AM";
    QTest::newRow("us noon") << us << at(2008, 1, 5, 12, 0, 0) << "1/5/2008 12:00:00 PM";
    QTest::newRow("ru midnight") << ru << at(2008, 12, 26) << "26.12.2008";
    QTest::newRow("us midnight") << us << at(2008, 12, 26) << "12/26/2008";
    QTest::newRow("ru midnight with ms") << ru << at(2008, 12, 26, 0, 0, 0, 400) << "26.12.2008";
    QTest::newRow("ru one second past") << ru << at(2008, 12, 26, 0, 0, 1) << "26.12.2008 00:00:01";
    QTest::newRow("ru zero date") << ru << ZeroDateTime() << "30.12.1899";
    QTest::newRow("us zero date") << us << ZeroDateTime() << "12/30/1899";
}

void TestDateTime::toText()
{
    QFETCH(DateTimeFormat, format);
    QFETCH(QDateTime, moment);
    QFETCH(QString, text);
    QCOMPARE(format.toText(moment), text);
}

void TestDateTime::parse_data()
{
    QTest::addColumn<DateTimeFormat>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("moment"); // invalid: does not parse
    const DateTimeFormat ru = DateTimeFormat::russian();
    const DateTimeFormat us = DateTimeFormat::usEnglish();
    const QDateTime none;
    QTest::newRow("ru full") << ru << "25.12.2008 14:30:05" << at(2008, 12, 25, 14, 30, 5);
    QTest::newRow("ru hour without zero") << ru << "25.12.2008 9:05:03" << at(2008, 12, 25, 9, 5, 3);
    QTest::newRow("ru hour with zero") << ru << "25.12.2008 09:05:03" << at(2008, 12, 25, 9, 5, 3);
    QTest::newRow("ru day and month without zero") << ru << "5.1.2008 10:00:00" << at(2008, 1, 5, 10);
    QTest::newRow("ru date alone") << ru << "26.12.2008" << at(2008, 12, 26);
    QTest::newRow("ru blanks around") << ru << "  26.12.2008 " << at(2008, 12, 26);
    QTest::newRow("us full") << us << "12/25/2008 2:30:05 PM" << at(2008, 12, 25, 14, 30, 5);
    QTest::newRow("us leading zeros") << us << "01/05/2008 02:30:05 PM" << at(2008, 1, 5, 14, 30, 5);
    QTest::newRow("us midnight hour") << us << "1/5/2008 12:05:03 AM" << at(2008, 1, 5, 0, 5, 3);
    QTest::newRow("us date alone") << us << "12/26/2008" << at(2008, 12, 26);
    QTest::newRow("zero date") << ru << "30.12.1899" << ZeroDateTime();
    QTest::newRow("empty") << ru << "" << none;
    QTest::newRow("garbage") << ru << "insert_new_task" << none;
    QTest::newRow("no such day") << ru << "32.12.2008" << none;
    QTest::newRow("no such hour") << ru << "25.12.2008 25:00:00" << none;
    QTest::newRow("two-digit year") << ru << "25.12.08" << none;
    QTest::newRow("us text under ru") << ru << "12/25/2008 2:30:05 PM" << none;
    QTest::newRow("ru text under us") << us << "25.12.2008 14:30:05" << none;
}

void TestDateTime::parse()
{
    QFETCH(DateTimeFormat, format);
    QFETCH(QString, text);
    QFETCH(QDateTime, moment);
    const std::optional<QDateTime> parsed = format.parse(text);
    if (!moment.isValid()) {
        QVERIFY2(!parsed, qPrintable(parsed ? parsed->toString(Qt::ISODate) : QString()));
        return;
    }
    QVERIFY(parsed.has_value());
    QCOMPARE(*parsed, moment);
    QCOMPARE(parsed->timeSpec(), Qt::UTC);
}

void TestDateTime::roundTripToTheSecond()
{
    for (const DateTimeFormat &f : { DateTimeFormat::russian(), DateTimeFormat::usEnglish() }) {
        QDateTime moment = at(2008, 12, 25, 0, 0, 1, 999);
        for (int i = 0; i < 48; ++i, moment = moment.addSecs(1799)) {
            const std::optional<QDateTime> back = f.parse(f.toText(moment));
            QVERIFY(back.has_value());
            QCOMPARE(*back, moment.addMSecs(-moment.time().msec()));
        }
    }
}

void TestDateTime::currentFormat()
{
    DateTimeFormat::setCurrent(DateTimeFormat::usEnglish());
    QCOMPARE(DateTimeToText(at(2008, 12, 25, 14, 30, 5)), QStringLiteral("12/25/2008 2:30:05 PM"));
    QCOMPARE(TextToDateTime(QStringLiteral("12/25/2008")), std::optional<QDateTime>(at(2008, 12, 25)));
    DateTimeFormat::setCurrent(DateTimeFormat::russian());
    QCOMPARE(DateTimeToText(at(2008, 12, 25, 14, 30, 5)), QStringLiteral("25.12.2008 14:30:05"));
    // The tests run under the C locale, whose format is numeric too.
    DateTimeFormat::resetCurrent();
    QCOMPARE(DateTimeToText(at(2008, 12, 25, 14, 30, 5)), QStringLiteral("2008-12-25 14:30:05"));
}

QTEST_GUILESS_MAIN(TestDateTime)
#include "test_datetime.moc"
