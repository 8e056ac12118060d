#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

// The user's short date and long time format: how every date-time is stored
// in the task file and the journal and shown in the windows. The text is the
// date, a blank and the time; at exactly 00:00:00 the date alone. Years always
// have four digits and the time never carries a zone. Reading takes day, month
// and hour with or without a leading zero, so 25.12.2008 9:05:03 and
// 25.12.2008 09:05:03 both read.
class DateTimeFormat
{
public:
    // Qt format strings, e.g. "dd.MM.yyyy" and "HH:mm:ss" (Russian) or
    // "M/d/yyyy" and "h:mm:ss AP" (US English).
    QString dateFormat;
    QString timeFormat;

    static DateTimeFormat fromLocale(const QLocale &locale);
    static DateTimeFormat russian();   // 25.12.2008 14:30:05
    static DateTimeFormat usEnglish(); // 12/25/2008 2:30:05 PM

    // The format in force for the whole program: the system locale's (LC_TIME)
    // unless a test set another one.
    static const DateTimeFormat &current();
    static void setCurrent(const DateTimeFormat &format);
    static void resetCurrent();

    QString toText(const QDateTime &moment) const;
    std::optional<QDateTime> parse(const QString &text) const; // wall clock, marked UTC
    std::optional<QDateTime> parse(QStringView text) const;
};

// 30 December 1899 00:00, the value of an empty or unparsable date-time.
QDateTime ZeroDateTime();

// Shorthands for DateTimeFormat::current().
QString DateTimeToText(const QDateTime &moment);
std::optional<QDateTime> TextToDateTime(const QString &text);
std::optional<QDateTime> TextToDateTime(QStringView text);
