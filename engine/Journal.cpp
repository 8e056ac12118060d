#include "Journal.h"

#include "Errors.h"

#include <QDir>
#include <QFile>

QString JournalFieldText(const QString &value)
{
    QString text = value;
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return text;
}

QString JoinJournalLine(const QStringList &fields)
{
    QStringList safe;
    safe.reserve(fields.size());
    for (const QString &field : fields)
        safe.append(JournalFieldText(field));
    return safe.join(QLatin1Char('\t'));
}

void AppendJournalLine(const QString &programDir, const QString &line)
{
    // Whatever the caller built, an attempt stays one line.
    QString oneLine = line;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    // One write of the whole line to a file opened for appending, so lines
    // from two writers never interleave.
    const QByteArray bytes = oneLine.toLocal8Bit() + "\r\n";
    QFile file(QDir(programDir).filePath(JournalFileName));
    auto fail = [&file]() {
        throw OrvellError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        fail();
    if (file.write(bytes) != bytes.size())
        fail();
    file.close();
    if (file.error() != QFileDevice::NoError)
        fail();
}
