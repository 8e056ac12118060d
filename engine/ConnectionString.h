#pragma once

#include <QMap>
#include <QString>

// The OLE DB connection strings the program stores, e.g.
//   Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=master;Data Source=HOST\INST
//   Provider=SQLOLEDB.1;Password=P;Persist Security Info=True;User ID=U;Initial Catalog=master;Data Source=HOST,1433
// Keywords are case-insensitive; a value may be quoted with " or ' (the quote
// doubled inside). A keyword given twice keeps its last value.
struct OleDbConnectionString {
    QMap<QString, QString> values; // keys lower-cased, inner blanks collapsed

    static OleDbConnectionString parse(const QString &text);
    QString value(const QString &keyword) const; // empty when missing
    bool contains(const QString &keyword) const;

    // Each accessor also accepts the usual synonyms (Server, Database, UID,
    // PWD, Trusted_Connection).
    QString dataSource() const;
    QString initialCatalog() const;
    QString userId() const;
    QString password() const;
    bool integratedSecurity() const; // Integrated Security=SSPI (or true/yes)
};

// Quotes a value for an OLE DB string when it holds ";", a quote or edge blanks.
QString QuoteOleDbValue(const QString &value);

// Quotes a value for an ODBC string with braces ("}" doubled) when it holds
// ";", "{", "}" or edge blanks. For FreeTDS a brace only calls for quoting at
// the start of the value.
QString QuoteOdbcValue(const QString &value, bool freeTds = false);

// The ODBC driver the program uses: Microsoft's "ODBC Driver 18 for SQL
// Server", else 17, when registered with the driver manager; else FreeTDS.
// ORVELL_ODBC_DRIVER overrides the choice.
QString ChooseOdbcDriver();
bool IsFreeTdsDriver(const QString &driver);

// The ODBC connection string for the given driver. Data Source HOST,
// HOST\INSTANCE, HOST,PORT and (local); Initial Catalog; User ID/Password;
// Integrated Security as a trusted logon. Values are brace-quoted when needed.
QString BuildOdbcConnectionString(const OleDbConnectionString &source, const QString &driver);
