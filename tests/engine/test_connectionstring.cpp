#include "ConnectionString.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestConnectionString : public QObject
{
    Q_OBJECT

private slots:
    void translation_data();
    void translation();
    void parsing();
    void oleDbQuotingRoundTrips_data();
    void oleDbQuotingRoundTrips();
    void driverChoice_data();
    void driverChoice();

private:
    // unixODBC keeps the folder of the first odbcinst.ini it read, so every
    // row rewrites the same file.
    QTemporaryDir m_odbcSysIni;
};

void TestConnectionString::translation_data()
{
    QTest::addColumn<QString>("oledb");
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("odbc");

    const QString ftds = QStringLiteral("FreeTDS");
    const QString ms18 = QStringLiteral("ODBC Driver 18 for SQL Server");
    const QString ftdsTail = QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");
    const QString msTail = QStringLiteral(";Encrypt=no;TrustServerCertificate=yes");

    // The two forms the main window builds.
    QTest::newRow("sql logon, host")
        << "Provider=SQLOLEDB.1;Password=secret;Persist Security Info=False;User ID=sa;Initial Catalog=master;Data Source=SRV"
        << ftds << "DRIVER={FreeTDS};SERVER=SRV;DATABASE=master;UID=sa;PWD=secret" + ftdsTail;
    QTest::newRow("nt logon, host\\instance")
        << "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=master;Data Source=SRV\\SQLEXPRESS"
        << ftds << "DRIVER={FreeTDS};SERVER=SRV\\SQLEXPRESS;DATABASE=master;Trusted_Connection=Yes" + ftdsTail;
    QTest::newRow("host,port") << "User ID=u;Password=p;Data Source=10.0.0.5,1433" << ftds
                               << "DRIVER={FreeTDS};SERVER=10.0.0.5,1433;UID=u;PWD=p" + ftdsTail;
    QTest::newRow("host , port with blanks") << "User ID=u;Password=p;Data Source= SRV , 1500 " << ftds
                                             << "DRIVER={FreeTDS};SERVER=SRV,1500;UID=u;PWD=p" + ftdsTail;

    // This machine, in every spelling; FreeTDS knows none of the aliases.
    QTest::newRow("(local)") << "User ID=u;Password=p;Data Source=(local)" << ftds
                             << "DRIVER={FreeTDS};SERVER=127.0.0.1;UID=u;PWD=p" + ftdsTail;
    QTest::newRow("(LOCAL)\\instance") << "User ID=u;Password=p;Data Source=(LOCAL)\\INST" << ftds
                                       << "DRIVER={FreeTDS};SERVER=127.0.0.1\\INST;UID=u;PWD=p" + ftdsTail;
    QTest::newRow("dot") << "User ID=u;Password=p;Data Source=." << ftds
                         << "DRIVER={FreeTDS};SERVER=127.0.0.1;UID=u;PWD=p" + ftdsTail;
    QTest::newRow("localhost,port") << "User ID=u;Password=p;Data Source=localhost,1500" << ftds
                                    << "DRIVER={FreeTDS};SERVER=127.0.0.1,1500;UID=u;PWD=p" + ftdsTail;
    QTest::newRow("tcp: prefix") << "User ID=u;Password=p;Data Source=tcp:SRV,1433" << ftds
                                 << "DRIVER={FreeTDS};SERVER=SRV,1433;UID=u;PWD=p" + ftdsTail;

    // Microsoft's driver.
    QTest::newRow("ms, host\\instance")
        << "Provider=SQLOLEDB.1;Password=secret;Persist Security Info=False;User ID=sa;Initial Catalog=master;Data Source=SRV\\INST"
        << ms18
        << "DRIVER={ODBC Driver 18 for SQL Server};SERVER=SRV\\INST;DATABASE=master;UID=sa;PWD=secret" + msTail;
    QTest::newRow("ms, nt logon, (local)")
        << "Integrated Security=SSPI;Initial Catalog=master;Data Source=(local)" << ms18
        << "DRIVER={ODBC Driver 18 for SQL Server};SERVER=localhost;DATABASE=master;Trusted_Connection=Yes" + msTail;

    // Quoted values, keyword case and blanks.
    QTest::newRow("password with ; in double quotes")
        << "Provider=SQLOLEDB.1;Password=\"a;b\";User ID=sa;Data Source=SRV" << ftds
        << "DRIVER={FreeTDS};SERVER=SRV;UID=sa;PWD={a;b}" + ftdsTail;
    QTest::newRow("password with } and ; in single quotes")
        << "Password='x};y';User ID=sa;Data Source=SRV" << ftds
        << "DRIVER={FreeTDS};SERVER=SRV;UID=sa;PWD={x}};y}" + ftdsTail;
    QTest::newRow("doubled quote inside quotes") << "Password='it''s';User ID=sa;Data Source=SRV" << ftds
                                                 << "DRIVER={FreeTDS};SERVER=SRV;UID=sa;PWD=it's" + ftdsTail;
    QTest::newRow("edge blanks kept when quoted") << "Password=\" pw \";User ID=sa;Data Source=SRV" << ftds
                                                  << "DRIVER={FreeTDS};SERVER=SRV;UID=sa;PWD={ pw }" + ftdsTail;
    QTest::newRow("opening brace") << "Password={abc;User ID=sa;Data Source=SRV" << ftds
                                   << "DRIVER={FreeTDS};SERVER=SRV;UID=sa;PWD={{abc}" + ftdsTail;
    QTest::newRow("inner braces stay bare for FreeTDS") << "Password=a}b{c;User ID=sa;Data Source=SRV" << ftds
                                                        << "DRIVER={FreeTDS};SERVER=SRV;UID=sa;PWD=a}b{c" + ftdsTail;
    QTest::newRow("inner braces quoted for ms") << "Password=a}b{c;User ID=sa;Data Source=SRV" << ms18
                                                << "DRIVER={ODBC Driver 18 for SQL Server};SERVER=SRV;UID=sa;PWD={a}}b{c}" + msTail;
    QTest::newRow("keywords in any case, blanks around")
        << " provider = sqloledb.1 ; PASSWORD = pw ;user ID=u; initial   catalog =db;DATA SOURCE = srv ;" << ftds
        << "DRIVER={FreeTDS};SERVER=srv;DATABASE=db;UID=u;PWD=pw" + ftdsTail;
    QTest::newRow("integrated security=true") << "Integrated Security=true;Data Source=SRV" << ftds
                                              << "DRIVER={FreeTDS};SERVER=SRV;Trusted_Connection=Yes" + ftdsTail;
    QTest::newRow("cyrillic login") << QStringLiteral("User ID=Пользователь;Password=пароль;Data Source=SRV") << ftds
                                    << QStringLiteral("DRIVER={FreeTDS};SERVER=SRV;UID=Пользователь;PWD=пароль") + ftdsTail;

    // An unquoted ";" in a password ends the value, as the OLE DB provider
    // read it; the remainder is no keyword and is dropped.
    QTest::newRow("unquoted ; in password")
        << "Provider=SQLOLEDB.1;Password=ab;cd;Persist Security Info=False;User ID=sa;Initial Catalog=master;Data Source=SRV"
        << ftds << "DRIVER={FreeTDS};SERVER=SRV;DATABASE=master;UID=sa;PWD=ab" + ftdsTail;

    // Missing keys.
    QTest::newRow("no catalog, no password") << "User ID=sa;Data Source=SRV" << ftds
                                             << "DRIVER={FreeTDS};SERVER=SRV;UID=sa;PWD=" + ftdsTail;
    QTest::newRow("no data source means this machine") << "User ID=sa;Password=p" << ftds
                                                        << "DRIVER={FreeTDS};SERVER=127.0.0.1;UID=sa;PWD=p" + ftdsTail;
    QTest::newRow("empty string") << "" << ftds << "DRIVER={FreeTDS};SERVER=127.0.0.1" + ftdsTail;
    QTest::newRow("no logon keys") << "Provider=SQLOLEDB.1;Data Source=SRV" << ftds
                                   << "DRIVER={FreeTDS};SERVER=SRV" + ftdsTail;
}

void TestConnectionString::translation()
{
    QFETCH(QString, oledb);
    QFETCH(QString, driver);
    QFETCH(QString, odbc);
    QCOMPARE(BuildOdbcConnectionString(OleDbConnectionString::parse(oledb), driver), odbc);
}

void TestConnectionString::parsing()
{
    const auto s = OleDbConnectionString::parse(
        QStringLiteral("Provider=SQLOLEDB.1;Password=\"say \"\"hi\"\"\";Persist Security Info=False;"
                       "User ID=sa;Initial Catalog=master;Data Source=HOST\\INST;novalue;Data Source=LAST"));
    QCOMPARE(s.password(), QStringLiteral("say \"hi\""));
    QCOMPARE(s.value(QStringLiteral("PROVIDER")), QStringLiteral("SQLOLEDB.1"));
    QCOMPARE(s.value(QStringLiteral("persist  security info")), QStringLiteral("False"));
    QCOMPARE(s.userId(), QStringLiteral("sa"));
    QCOMPARE(s.initialCatalog(), QStringLiteral("master"));
    QCOMPARE(s.dataSource(), QStringLiteral("LAST")); // a repeated keyword keeps its last value
    QVERIFY(!s.contains(QStringLiteral("novalue")));
    QVERIFY(!s.integratedSecurity());
    QVERIFY(s.value(QStringLiteral("missing")).isEmpty());
    QVERIFY(OleDbConnectionString::parse(QStringLiteral("Integrated Security=SSPI")).integratedSecurity());
    QVERIFY(!OleDbConnectionString::parse(QStringLiteral("Integrated Security=False")).integratedSecurity());
}

void TestConnectionString::oleDbQuotingRoundTrips_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "secret";
    QTest::newRow("semicolon") << "a;b;Data Source=evil";
    QTest::newRow("single quote") << "it's";
    QTest::newRow("double quote") << "say \"hi\"";
    QTest::newRow("both quotes") << "it's \"x\";y";
    QTest::newRow("edge blanks") << "  padded ";
    QTest::newRow("empty") << "";
}

void TestConnectionString::oleDbQuotingRoundTrips()
{
    QFETCH(QString, value);
    const QString text = "Provider=SQLOLEDB.1;Password=" + QuoteOleDbValue(value) + ";User ID=u;Data Source=SRV";
    const auto s = OleDbConnectionString::parse(text);
    QCOMPARE(s.password(), value);
    QCOMPARE(s.dataSource(), QStringLiteral("SRV"));
}

void TestConnectionString::driverChoice_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("forced");
    QTest::addColumn<QString>("expected");
    QTest::newRow("18 over 17 over FreeTDS")
        << QStringList{"FreeTDS", "ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"} << ""
        << "ODBC Driver 18 for SQL Server";
    QTest::newRow("17 over FreeTDS") << QStringList{"FreeTDS", "ODBC Driver 17 for SQL Server"} << ""
                                     << "ODBC Driver 17 for SQL Server";
    QTest::newRow("FreeTDS under another name") << QStringList{"PostgreSQL", "FreeTDS 1.3"} << "" << "FreeTDS 1.3";
    QTest::newRow("nothing registered") << QStringList{} << "" << "FreeTDS";
    QTest::newRow("forced") << QStringList{"ODBC Driver 18 for SQL Server"} << "FreeTDS" << "FreeTDS";
}

void TestConnectionString::driverChoice()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, forced);
    QFETCH(QString, expected);

    // unixODBC reads the driver list from $ODBCSYSINI/odbcinst.ini.
    QFile ini(m_odbcSysIni.filePath(QStringLiteral("odbcinst.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    for (const QString &name : installed)
        ini.write(QStringLiteral("[%1]\nDescription=test\nDriver=/nonexistent/lib.so\n\n").arg(name).toUtf8());
    ini.close();

    const bool hadSysIni = qEnvironmentVariableIsSet("ODBCSYSINI");
    const QByteArray oldSysIni = qgetenv("ODBCSYSINI");
    qputenv("ODBCSYSINI", m_odbcSysIni.path().toLocal8Bit());
    qputenv("ORVELL_ODBC_DRIVER", forced.toLocal8Bit());
    const QString chosen = ChooseOdbcDriver();
    if (hadSysIni)
        qputenv("ODBCSYSINI", oldSysIni);
    else
        qunsetenv("ODBCSYSINI");
    qunsetenv("ORVELL_ODBC_DRIVER");
    QCOMPARE(chosen, expected);
}

QTEST_GUILESS_MAIN(TestConnectionString)
#include "test_connectionstring.moc"
