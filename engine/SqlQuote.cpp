#include "SqlQuote.h"

QString BracketQuoted(const QString &name)
{
    return QLatin1Char('[') + QString(name).replace(QLatin1Char(']'), QLatin1String("]]")) + QLatin1Char(']');
}

QString TextQuoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}
