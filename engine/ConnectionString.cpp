#include "ConnectionString.h"

#include <QStringList>

#include <sql.h>
#include <sqlext.h>

namespace {

QString normalizedKey(const QString &key)
{
    return key.simplified().toLower();
}

// Reads one value starting at pos (just after "="); leaves pos on the ";"
// that ends it or at the end of the text.
QString readValue(const QString &text, qsizetype &pos)
{
    const qsizetype n = text.size();
    while (pos < n && text[pos].isSpace() && text[pos] != u';')
        ++pos;
    if (pos < n && (text[pos] == u'"' || text[pos] == u'\'')) {
        const QChar quote = text[pos++];
        QString value;
        while (pos < n) {
            if (text[pos] == quote) {
                if (pos + 1 < n && text[pos + 1] == quote) {
                    value += quote;
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            value += text[pos++];
        }
        // Anything between the closing quote and the next ";" is dropped.
        while (pos < n && text[pos] != u';')
            ++pos;
        return value;
    }
    const qsizetype start = pos;
    while (pos < n && text[pos] != u';')
        ++pos;
    return text.mid(start, pos - start).trimmed();
}

QString firstOf(const OleDbConnectionString &s, std::initializer_list<const char *> keys)
{
    for (const char *key : keys) {
        const auto it = s.values.constFind(QString::fromLatin1(key));
        if (it != s.values.constEnd())
            return it.value();
    }
    return QString();
}

bool isLocalAlias(const QString &host)
{
    return host.isEmpty() || host == u"." || host.compare(u"(local)", Qt::CaseInsensitive) == 0
        || host.compare(u"localhost", Qt::CaseInsensitive) == 0;
}

// FreeTDS has no notion of "(local)" and cannot take the "tcp:" prefix;
// Microsoft's drivers know both (on Windows even shared memory).
QString serverFor(const QString &dataSource, bool freeTds)
{
    QString text = dataSource.trimmed();
    if (freeTds && text.startsWith(u"tcp:", Qt::CaseInsensitive))
        text = text.mid(4).trimmed();

    qsizetype cut = 0;
    while (cut < text.size() && text[cut] != u'\\' && text[cut] != u',')
        ++cut;
    QString host = text.left(cut).trimmed();
    QString rest = text.mid(cut);
    if (rest.startsWith(u','))
        rest = u',' + rest.mid(1).trimmed();

    if (isLocalAlias(host)) {
        if (freeTds)
            host = QStringLiteral("127.0.0.1");
#ifndef Q_OS_WIN
        else if (host.isEmpty() || host == u"." || host.compare(u"(local)", Qt::CaseInsensitive) == 0)
            host = QStringLiteral("localhost");
#else
        else if (host.isEmpty())
            host = QStringLiteral("(local)");
#endif
    }
    return host + rest;
}

QString odbcPair(const QString &key, const QString &value, bool freeTds)
{
    return key + u'=' + QuoteOdbcValue(value, freeTds);
}

} // namespace

OleDbConnectionString OleDbConnectionString::parse(const QString &text)
{
    OleDbConnectionString result;
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n) {
        // Keyword up to "="; "==" stands for a literal "=" in a keyword.
        QString key;
        bool haveValue = false;
        while (pos < n && text[pos] != u';') {
            if (text[pos] == u'=') {
                if (pos + 1 < n && text[pos + 1] == u'=') {
                    key += u'=';
                    pos += 2;
                    continue;
                }
                ++pos;
                haveValue = true;
                break;
            }
            key += text[pos++];
        }
        if (haveValue) {
            const QString value = readValue(text, pos);
            const QString k = normalizedKey(key);
            if (!k.isEmpty())
                result.values.insert(k, value);
        }
        // A segment without "=" carries nothing; skip to the next one.
        while (pos < n && text[pos] != u';')
            ++pos;
        ++pos;
    }
    return result;
}

QString OleDbConnectionString::value(const QString &keyword) const
{
    return values.value(normalizedKey(keyword));
}

bool OleDbConnectionString::contains(const QString &keyword) const
{
    return values.contains(normalizedKey(keyword));
}

QString OleDbConnectionString::dataSource() const
{
    return firstOf(*this, {"data source", "server", "address", "addr", "network address"});
}

QString OleDbConnectionString::initialCatalog() const
{
    return firstOf(*this, {"initial catalog", "database"});
}

QString OleDbConnectionString::userId() const
{
    return firstOf(*this, {"user id", "uid", "user"});
}

QString OleDbConnectionString::password() const
{
    return firstOf(*this, {"password", "pwd"});
}

bool OleDbConnectionString::integratedSecurity() const
{
    const QString v = firstOf(*this, {"integrated security", "trusted_connection"}).trimmed();
    return v.compare(u"SSPI", Qt::CaseInsensitive) == 0 || v.compare(u"true", Qt::CaseInsensitive) == 0
        || v.compare(u"yes", Qt::CaseInsensitive) == 0;
}

QString QuoteOleDbValue(const QString &value)
{
    if (value.isEmpty())
        return value;
    const bool needed = value.contains(u';') || value.contains(u'"') || value.contains(u'\'')
        || value.front().isSpace() || value.back().isSpace();
    if (!needed)
        return value;
    if (!value.contains(u'"'))
        return u'"' + value + u'"';
    if (!value.contains(u'\''))
        return u'\'' + value + u'\'';
    QString doubled = value;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

QString QuoteOdbcValue(const QString &value, bool freeTds)
{
    if (value.isEmpty())
        return value;
    // FreeTDS takes an unbraced value verbatim up to the next ";", and before
    // 1.4 it did not undouble "}}" inside braces: leave a lone brace bare.
    const bool braces = freeTds ? value.front() == u'{' : value.contains(u'{') || value.contains(u'}');
    const bool needed = braces || value.contains(u';') || value.front().isSpace() || value.back().isSpace();
    if (!needed)
        return value;
    QString doubled = value;
    doubled.replace(u'}', QStringLiteral("}}"));
    return u'{' + doubled + u'}';
}

QString ChooseOdbcDriver()
{
    const QString forced = qEnvironmentVariable("ORVELL_ODBC_DRIVER").trimmed();
    if (!forced.isEmpty())
        return forced;

    // A handle of its own: enumeration keeps its position in the handle, so
    // sharing one across threads would mix two listings.
    QStringList drivers;
    SQLHENV env = SQL_NULL_HENV;
    if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLWCHAR name[512];
        SQLWCHAR attributes[2048];
        SQLSMALLINT nameLen = 0;
        SQLSMALLINT attrLen = 0;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        while (SQL_SUCCEEDED(SQLDriversW(env, direction, name, SQLSMALLINT(std::size(name)), &nameLen,
                                         attributes, SQLSMALLINT(std::size(attributes)), &attrLen))) {
            drivers << QString::fromUtf16(reinterpret_cast<const char16_t *>(name));
            direction = SQL_FETCH_NEXT;
        }
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }

    for (const char *preferred : {"ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server"}) {
        for (const QString &d : drivers) {
            if (d.compare(QLatin1String(preferred), Qt::CaseInsensitive) == 0)
                return d;
        }
    }
    for (const QString &d : drivers) {
        if (IsFreeTdsDriver(d))
            return d;
    }
    return QStringLiteral("FreeTDS");
}

bool IsFreeTdsDriver(const QString &driver)
{
    return driver.contains(u"freetds", Qt::CaseInsensitive) || driver.contains(u"tdsodbc", Qt::CaseInsensitive);
}

QString BuildOdbcConnectionString(const OleDbConnectionString &source, const QString &driver)
{
    const bool freeTds = IsFreeTdsDriver(driver);
    QString driverValue = driver;
    driverValue.replace(u'}', QStringLiteral("}}"));

    QStringList parts;
    parts << QStringLiteral("DRIVER={") + driverValue + u'}';
    parts << odbcPair(QStringLiteral("SERVER"), serverFor(source.dataSource(), freeTds), freeTds);
    const QString catalog = source.initialCatalog().trimmed();
    if (!catalog.isEmpty())
        parts << odbcPair(QStringLiteral("DATABASE"), catalog, freeTds);
    if (source.integratedSecurity()) {
        parts << QStringLiteral("Trusted_Connection=Yes");
    } else {
        const QString user = source.userId();
        if (!user.isEmpty()) {
            parts << odbcPair(QStringLiteral("UID"), user, freeTds);
            parts << odbcPair(QStringLiteral("PWD"), source.password(), freeTds);
        }
    }
    if (freeTds) {
        parts << QStringLiteral("TDS_Version=7.4") << QStringLiteral("ClientCharset=UTF-8");
    } else {
        // The OLE DB provider did not insist on encryption nor check the
        // server's certificate; Driver 18 would do both by default.
        parts << QStringLiteral("Encrypt=no") << QStringLiteral("TrustServerCertificate=yes");
    }
    return parts.join(u';');
}
