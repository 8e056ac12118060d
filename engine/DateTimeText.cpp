#include "DateTimeText.h"

#include "Clock.h"

#include <QMutex>

namespace {

// A Qt date/time format split into runs of one pattern letter and literal text,
// so that fields can be rewritten without touching quoted literals.
struct FormatPiece {
    bool field = false;
    QString text;
};

QList<FormatPiece> splitFormat(const QString &format)
{
    QList<FormatPiece> pieces;
    auto addLiteral = [&pieces](const QString &s) {
        if (!pieces.isEmpty() && !pieces.last().field)
            pieces.last().text += s;
        else
            pieces.append({ false, s });
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            // Quoted literals stay quoted; a doubled quote stands for one quote.
            qsizetype j = i + 1;
            while (j < format.size()) {
                if (format[j] == QLatin1Char('\'')) {
                    if (j + 1 < format.size() && format[j + 1] == QLatin1Char('\'')) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            addLiteral(format.mid(i, j + 1 - i));
            i = j + 1;
        } else if (c.isLetter() && c.unicode() < 128) {
            qsizetype j = i;
            while (j < format.size() && format[j] == c)
                ++j;
            pieces.append({ true, format.mid(i, j - i) });
            i = j;
        } else {
            addLiteral(QString(c));
            ++i;
        }
    }
    return pieces;
}

QString joinFormat(const QList<FormatPiece> &pieces)
{
    QString out;
    for (const FormatPiece &p : pieces)
        out += p.text;
    return out;
}

QString fourDigitYearDate(const QString &format)
{
    QList<FormatPiece> pieces = splitFormat(format);
    for (FormatPiece &p : pieces) {
        if (p.field && p.text.front() == QLatin1Char('y'))
            p.text = QStringLiteral("yyyy");
    }
    return joinFormat(pieces);
}

QString zoneFreeTime(const QString &format)
{
    QList<FormatPiece> pieces = splitFormat(format);
    pieces.removeIf([](const FormatPiece &p) { return p.field && p.text.front() == QLatin1Char('t'); });
    QString out = joinFormat(pieces);
    out.remove(QStringLiteral("()"));
    return out.simplified();
}

// Reading takes a field with or without its leading zero: "d" reads 9 and 09,
// "dd" only 09.
QString lenientFormat(const QString &format)
{
    QList<FormatPiece> pieces = splitFormat(format);
    for (FormatPiece &p : pieces) {
        if (!p.field || p.text.size() != 2)
            continue;
        const QChar c = p.text.front();
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('h') || c == QLatin1Char('H')
            || c == QLatin1Char('m') || c == QLatin1Char('s'))
            p.text.truncate(1);
    }
    return joinFormat(pieces);
}

bool isCLocaleName(const QByteArray &name)
{
    return name.isEmpty() || name == "C" || name == "POSIX" || name.startsWith("C.");
}

// The locale of LC_TIME as the C library would choose it.
QLocale timeLocale()
{
    for (const char *var : { "LC_ALL", "LC_TIME", "LANG" }) {
        const QByteArray value = qgetenv(var);
        if (value.isEmpty())
            continue;
        if (isCLocaleName(value))
            return QLocale::c();
        QByteArray name = value;
        const qsizetype dot = name.indexOf('.');
        if (dot >= 0)
            name.truncate(dot);
        const qsizetype at = name.indexOf('@');
        if (at >= 0)
            name.truncate(at);
        return QLocale(QString::fromLatin1(name));
    }
    return QLocale::system();
}

struct CurrentFormat {
    QMutex mutex;
    bool set = false;
    DateTimeFormat format;
};

CurrentFormat &currentFormat()
{
    static CurrentFormat current;
    return current;
}

DateTimeFormat currentCopy()
{
    CurrentFormat &c = currentFormat();
    QMutexLocker lock(&c.mutex);
    if (!c.set) {
        c.format = DateTimeFormat::fromLocale(timeLocale());
        c.set = true;
    }
    return c.format;
}

} // namespace

DateTimeFormat DateTimeFormat::fromLocale(const QLocale &locale)
{
    // The C locale has no regional numeric date of its own; ISO order keeps
    // file names and journal lines sortable there.
    if (locale.language() == QLocale::C)
        return { QStringLiteral("yyyy-MM-dd"), QStringLiteral("HH:mm:ss") };
    return { fourDigitYearDate(locale.dateFormat(QLocale::ShortFormat)),
             zoneFreeTime(locale.timeFormat(QLocale::LongFormat)) };
}

DateTimeFormat DateTimeFormat::russian()
{
    return { QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss") };
}

DateTimeFormat DateTimeFormat::usEnglish()
{
    return { QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP") };
}

const DateTimeFormat &DateTimeFormat::current()
{
    currentCopy();
    return currentFormat().format;
}

void DateTimeFormat::setCurrent(const DateTimeFormat &format)
{
    CurrentFormat &c = currentFormat();
    QMutexLocker lock(&c.mutex);
    c.format = format;
    c.set = true;
}

void DateTimeFormat::resetCurrent()
{
    CurrentFormat &c = currentFormat();
    QMutexLocker lock(&c.mutex);
    c.set = false;
}

QString DateTimeFormat::toText(const QDateTime &moment) const
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    const QString dateText = date.toString(dateFormat);
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return dateText;
    return dateText + QLatin1Char(' ') + time.toString(timeFormat);
}

std::optional<QDateTime> DateTimeFormat::parse(const QString &text) const
{
    const QString s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    const QString dateReader = lenientFormat(dateFormat);
    const QDate alone = QDate::fromString(s, dateReader);
    if (alone.isValid())
        return WallClock(alone);
    // The date may hold blanks of its own (and so may the time), so try every
    // blank as the border between them.
    const QString timeReader = lenientFormat(timeFormat);
    for (qsizetype i = s.indexOf(QLatin1Char(' ')); i >= 0; i = s.indexOf(QLatin1Char(' '), i + 1)) {
        const QDate date = QDate::fromString(s.left(i).trimmed(), dateReader);
        if (!date.isValid())
            continue;
        const QTime time = QTime::fromString(s.mid(i + 1).trimmed(), timeReader);
        if (time.isValid())
            return WallClock(date, time);
    }
    return std::nullopt;
}

QDateTime ZeroDateTime()
{
    return WallClock(QDate(1899, 12, 30));
}

QString DateTimeToText(const QDateTime &moment)
{
    return currentCopy().toText(moment);
}

std::optional<QDateTime> TextToDateTime(const QString &text)
{
    return currentCopy().parse(text);
}
