#include "TaskCodes.h"

#include <QStringList>

QString JoinCodeList(const QList<bool> &checked)
{
    QStringList codes;
    for (int i = 0; i < checked.size(); ++i) {
        if (checked.at(i))
            codes << QString::number(i + 1);
    }
    return codes.join(QLatin1Char(','));
}

QList<bool> ParseCodeList(const QString &list, int count)
{
    QList<bool> checked(count, false);
    const QStringList elements = list.split(QLatin1Char(','));
    for (int n = 1; n <= count; ++n) {
        if (elements.contains(QString::number(n)))
            checked[n - 1] = true;
    }
    return checked;
}

QTime StoredTimeOfDay(int hour, int minute)
{
    const QTime time(hour, minute);
    return time.isValid() ? time : QTime(0, 0);
}
