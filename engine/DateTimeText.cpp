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

// Numeric formats (the usual short dates and long times) are read here:
// Qt's general parser costs microseconds per call, and a pass reads two
// date-times for every task line. Fields with or without a leading zero.
enum class Read { Ok, Failed, Unsupported };

struct Fields {
    int year = -1, month = -1, day = -1;
    int hour = -1, minute = -1, second = -1;
    bool twelveHour = false;
    int pm = -1; // -1 none, 0 AM, 1 PM
};

bool readNumber(QStringView text, qsizetype &pos, int minDigits, int maxDigits, int &value)
{
    int digits = 0;
    int v = 0;
    while (digits < maxDigits && pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
        v = v * 10 + (text[pos].unicode() - u'0');
        ++pos;
        ++digits;
    }
    if (digits < minDigits)
        return false;
    value = v;
    return true;
}

// The date and the time format of the pass, split once per thread.
const QList<FormatPiece> &cachedPieces(const QString &format)
{
    constexpr int Size = 4;
    thread_local QString formats[Size];
    thread_local QList<FormatPiece> pieces[Size];
    thread_local int next = 0;
    for (int i = 0; i < Size; ++i) {
        if (!pieces[i].isEmpty() && formats[i] == format)
            return pieces[i];
    }
    const int slot = next;
    next = (next + 1) % Size;
    formats[slot] = format;
    pieces[slot] = splitFormat(format);
    return pieces[slot];
}

Read readFields(QStringView text, const QString &format, Fields &f)
{
    const QList<FormatPiece> &pieces = cachedPieces(format);
    bool hasMarker = false;
    for (const FormatPiece &p : pieces) {
        if (p.field && (p.text.front() == u'A' || p.text.front() == u'a'))
            hasMarker = true;
    }
    qsizetype pos = 0;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const FormatPiece &p = pieces[i];
        if (!p.field) {
            if (p.text.contains(QLatin1Char('\'')))
                return Read::Unsupported;
            if (text.mid(pos, p.text.size()) != p.text)
                return Read::Failed;
            pos += p.text.size();
            continue;
        }
        const QChar c = p.text.front();
        const qsizetype n = p.text.size();
        bool ok = true;
        if ((c == u'A' || c == u'a') && n == 1) {
            // "AP", "ap", "A" and "a" all stand for AM/PM.
            if (i + 1 < pieces.size() && pieces[i + 1].field && pieces[i + 1].text.size() == 1
                && (pieces[i + 1].text.front() == u'P' || pieces[i + 1].text.front() == u'p'))
                ++i;
            const QStringView marker = text.mid(pos, 2);
            if (marker.compare(QLatin1String("AM"), Qt::CaseInsensitive) == 0)
                f.pm = 0;
            else if (marker.compare(QLatin1String("PM"), Qt::CaseInsensitive) == 0)
                f.pm = 1;
            else
                return Read::Failed;
            pos += 2;
            continue;
        }
        if (n > 2 && c != u'y')
            return Read::Unsupported;
        switch (c.unicode()) {
        case u'y':
            if (n != 4)
                return Read::Unsupported;
            ok = readNumber(text, pos, 4, 4, f.year);
            break;
        case u'M':
            ok = readNumber(text, pos, 1, 2, f.month);
            break;
        case u'd':
            ok = readNumber(text, pos, 1, 2, f.day);
            break;
        case u'h':
            f.twelveHour = hasMarker;
            ok = readNumber(text, pos, 1, 2, f.hour);
            break;
        case u'H':
            ok = readNumber(text, pos, 1, 2, f.hour);
            break;
        case u'm':
            ok = readNumber(text, pos, 1, 2, f.minute);
            break;
        case u's':
            ok = readNumber(text, pos, 1, 2, f.second);
            break;
        default:
            return Read::Unsupported;
        }
        if (!ok)
            return Read::Failed;
    }
    return pos == text.size() ? Read::Ok : Read::Failed;
}

QDate readDate(QStringView text, const QString &format)
{
    Fields f;
    switch (readFields(text, format, f)) {
    case Read::Ok:
        if (f.hour >= 0 || f.minute >= 0 || f.second >= 0 || f.pm >= 0)
            return QDate();
        return QDate(f.year, f.month, f.day); // invalid when a part is missing or out of range
    case Read::Failed:
        return QDate();
    case Read::Unsupported:
        break;
    }
    return QDate::fromString(text.toString(), lenientFormat(format));
}

QTime readTime(QStringView text, const QString &format)
{
    Fields f;
    switch (readFields(text, format, f)) {
    case Read::Ok: {
        if (f.year >= 0 || f.month >= 0 || f.day >= 0 || f.hour < 0)
            return QTime();
        int hour = f.hour;
        if (f.twelveHour) {
            if (hour < 1 || hour > 12 || f.pm < 0)
                return QTime();
            hour = hour % 12 + (f.pm == 1 ? 12 : 0);
        }
        return QTime(hour, qMax(0, f.minute), qMax(0, f.second));
    }
    case Read::Failed:
        return QTime();
    case Read::Unsupported:
        break;
    }
    return QTime::fromString(text.toString(), lenientFormat(format));
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
    CurrentFormat &c = currentFormat();
    QMutexLocker lock(&c.mutex);
    if (!c.set) {
        c.format = fromLocale(timeLocale());
        c.set = true;
    }
    return c.format;
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
    return parse(QStringView(text));
}

std::optional<QDateTime> DateTimeFormat::parse(QStringView text) const
{
    const QStringView s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    const QDate alone = readDate(s, dateFormat);
    if (alone.isValid())
        return WallClock(alone);
    // The date may hold blanks of its own (and so may the time), so try every
    // blank as the border between them.
    for (qsizetype i = s.indexOf(QLatin1Char(' ')); i >= 0; i = s.indexOf(QLatin1Char(' '), i + 1)) {
        const QDate date = readDate(s.left(i).trimmed(), dateFormat);
        if (!date.isValid())
            continue;
        const QTime time = readTime(s.mid(i + 1).trimmed(), timeFormat);
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
    return currentCopy().parse(QStringView(text));
}

std::optional<QDateTime> TextToDateTime(QStringView text)
{
    return currentCopy().parse(text);
}
