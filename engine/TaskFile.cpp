#include "TaskFile.h"

#include "DateTimeText.h"
#include "Errors.h"
#include "uEncrypt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString taskFilePath(const QString &programDir)
{
    return QDir(programDir).filePath(TaskFileName);
}

QString fieldAt(const QStringList &fields, int index)
{
    return index < fields.size() ? fields.at(index) : QString();
}

QString dateTimeText(const std::optional<QDateTime> &value)
{
    return DateTimeToText(value.value_or(ZeroDateTime()));
}

} // namespace

QString ProgramDir()
{
    QString dir;
    if (QCoreApplication::instance()) {
        dir = QCoreApplication::applicationDirPath();
    } else {
#ifdef Q_OS_LINUX
        dir = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
#else
        dir = QDir::currentPath();
#endif
    }
    dir = dir.trimmed();
    if (!dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QDir::separator()))
        dir += QLatin1Char('/');
    return dir;
}

TaskFileContent ReadTaskFile(const QString &programDir)
{
    TaskFileContent content;
    QFile file(taskFilePath(programDir));
    if (!file.exists())
        return content;
    content.Exists = true;
    if (!file.open(QIODevice::ReadOnly))
        throw OrvellError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw OrvellError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    // The CR LF after the enciphered text is plain; the text itself is split
    // into lines only once deciphered, since enciphered bytes may be CR or LF.
    if (bytes.endsWith("\r\n"))
        bytes.chop(2);
    if (bytes.isEmpty())
        return content;
    CipherInPlace(bytes.data(), bytes.size(), QByteArray(CipherKey), CipherDirection::Subtract);
    // Line by line: CR LF never occurs inside a multi-byte character.
    const QByteArrayView plain(bytes);
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = plain.indexOf(QByteArrayView("\r\n"), start);
        content.Lines.append(QString::fromLocal8Bit(plain.sliced(start, (end < 0 ? plain.size() : end) - start)));
        if (end < 0)
            break;
        start = end + 2;
    }
    return content;
}

void WriteTaskFile(const QString &programDir, const QStringList &lines)
{
    QByteArray plain;
    qsizetype total = 0;
    for (const QString &line : lines)
        total += line.size() + 2;
    plain.reserve(total + total / 8);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            plain.append("\r\n", 2);
        plain.append(lines.at(i).toLocal8Bit());
    }
    qsizetype begin = 0;
    qsizetype end = plain.size();
    while (begin < end && static_cast<unsigned char>(plain[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(plain[end - 1]) <= 32)
        --end;
    // Positions of the cipher count from the first byte kept.
    char *stored = plain.data() + begin;
    const qsizetype length = end - begin;
    CipherInPlace(stored, length, QByteArray(CipherKey), CipherDirection::Add);

    // A crash or a full disk halfway must never leave a cut or empty task
    // file: write beside it, flush, then rename over it. The file holds logon
    // data, so only its owner may read it.
    QSaveFile file(taskFilePath(programDir));
    auto fail = [&file]() {
        const QString text
            = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
        file.cancelWriting();
        throw OrvellError(text);
    };
    if (!file.open(QIODevice::WriteOnly))
        fail();
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        fail();
    // The CR LF after the text stays plain; an empty text gives an empty file.
    if (length > 0 && (file.write(stored, length) != length || file.write("\r\n", 2) != 2))
        fail();
    if (!file.commit())
        throw OrvellError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
}

QStringList SplitTaskLine(const QString &line)
{
    QStringList fields = line.split(QLatin1Char(';'));
    // The empty piece after the final ";" is no field (and an empty line has none).
    if (fields.last().isEmpty())
        fields.removeLast();
    return fields;
}

QString JoinTaskLine(const QStringList &fields)
{
    QString line;
    for (const QString &field : fields) {
        line += field;
        line += QLatin1Char(';');
    }
    return line;
}

QString TaskFieldText(const QString &value)
{
    QString text = value;
    for (QChar &c : text) {
        if (c == QLatin1Char(';'))
            c = QLatin1Char(',');
        else if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return text;
}

QString BoolText(bool value)
{
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

std::optional<bool> ParseBoolText(const QString &text)
{
    const QString s = text.trimmed();
    if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto n = ParseIntText(s))
        return *n != 0;
    return std::nullopt;
}

QString IntText(std::optional<int> value)
{
    return QString::number(value.value_or(0));
}

std::optional<int> ParseIntText(const QString &text)
{
    const QString s = text.trimmed();
    // Decimal only: toInt() would also take blanks inside and no base prefix,
    // but a "+" or "-" sign is allowed as the platform's conversion allows it.
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+'))))
            return std::nullopt;
    }
    bool ok = false;
    const int value = s.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString StrConnectToStored(const QString &connectionString)
{
    QString s = connectionString;
    return s.replace(QLatin1Char(';'), QLatin1Char('|'));
}

QString StrConnectFromStored(const QString &stored)
{
    QString s = stored;
    return s.replace(QLatin1Char('|'), QLatin1Char(';'));
}

TaskRecord TaskRecord::fromLine(const QString &line)
{
    const QStringList f = SplitTaskLine(line);
    auto text = [&f](int i) { return fieldAt(f, i); };
    auto integer = [&f](int i) { return std::optional<int>(ParseIntText(fieldAt(f, i)).value_or(0)); };
    auto boolean = [&f](int i) { return std::optional<bool>(ParseBoolText(fieldAt(f, i)).value_or(false)); };
    auto moment
        = [&f](int i) { return std::optional<QDateTime>(TextToDateTime(fieldAt(f, i)).value_or(ZeroDateTime())); };

    TaskRecord r;
    r.DBName = text(fDBName);
    r.Hour = integer(fHour);
    r.Min = integer(fMin);
    r.DateLast = moment(fDateLast);
    r.Result = text(fResult);
    r.Path = text(fPath) == QLatin1String("-1") ? QString() : text(fPath);
    r.Type = text(fType);
    // Kept empty when stored empty, so the line is written back as it was.
    r.EveryType1 = text(fEveryType1).isEmpty() ? std::nullopt : integer(fEveryType1);
    r.OnWeekDaysType1 = boolean(fOnWeekDaysType1);
    r.EveryType2 = integer(fEveryType2);
    r.DayType2 = text(fDayType2);
    r.OnceType3 = integer(fOnceType3);
    r.DateType3 = moment(fDateType3);
    r.MonthType4 = text(fMonthType4);
    r.EveryWeekType4 = integer(fEveryWeekType4);
    r.DailyOnType1 = boolean(fDailyOnType1);
    r.EveryHour = integer(fEveryHour);
    r.Server = text(fServer);
    r.StrConnect = text(fStrConnect);
    return r;
}

QString TaskRecord::toLine() const
{
    QStringList f;
    f.reserve(TaskFieldCount);
    f << DBName << IntText(Hour) << IntText(Min) << dateTimeText(DateLast) << Result
      << (Path.isEmpty() ? QStringLiteral("-1") : Path) << Type
      << (EveryType1 ? QString::number(*EveryType1) : QString()) << BoolText(OnWeekDaysType1.value_or(false))
      << IntText(EveryType2) << DayType2 << IntText(OnceType3) << dateTimeText(DateType3) << MonthType4
      << IntText(EveryWeekType4) << BoolText(DailyOnType1.value_or(false)) << IntText(EveryHour) << Server
      << StrConnect;
    for (QString &value : f)
        value = TaskFieldText(value);
    return JoinTaskLine(f);
}
