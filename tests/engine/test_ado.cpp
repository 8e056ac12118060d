#include "Ado.h"
#include "ConnectionString.h"
#include "SqlSimulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

namespace {

template <typename F>
QString errorOf(F &&f)
{
    try {
        f();
    } catch (const DbError &e) {
        return e.message();
    }
    return QString();
}

const QString kFolderTest = QStringLiteral(
    "if isnull(object_id('tempdb..#TempTableFileEx'),0)>0 drop table #TempTableFileEx\r\n"
    "create table #TempTableFileEx (File_Exists int, Dir int, ParentDir int)\r\n"
    "insert #TempTableFileEx\r\n"
    "exec master..xp_fileexist :@PathName\r\n"
    "select File_Exists,Dir,ParentDir from #TempTableFileEx\r\n");

} // namespace

class TestAdo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void connectAndDisconnect_data();
    void connectAndDisconnect();
    void logonFailures_data();
    void logonFailures();
    void nothingListening();
    void silentServerTimesOut();

    void readsRowsByColumnName();
    void nullAndIntegerFields();
    void folderTestParameter_data();
    void folderTestParameter();
    void parameterOnlyOutsideLiterals();

    void backupSucceedsWithMessages();
    void failedBackup_data();
    void failedBackup();
    void errorAfterInformationInLaterStatement();
    void droppedConnection();
    void commandTimeout_data();
    void commandTimeout();

    void connectionsOnSeveralThreads();

private:
    TADOConnection *connect(TADOConnection &c, const QString &user = QStringLiteral("sa"),
                            const QString &password = QStringLiteral("Secret#1"));
    QString serverFolder(const QString &name); // makes a local folder, returns its server path

    SqlSimulator m_sim;
    QTemporaryDir m_root;
};

void TestAdo::initTestCase()
{
    // The layer's own choice would take Microsoft's driver where installed;
    // these tests are about the FreeTDS path.
    qputenv("ORVELL_ODBC_DRIVER", "FreeTDS");
    QVERIFY(m_root.isValid());
    m_sim.setFileRoot(m_root.path());
    QVERIFY(m_sim.start() != 0);
}

void TestAdo::init()
{
    m_sim.clearFailures();
    m_sim.clearBatches();
}

TADOConnection *TestAdo::connect(TADOConnection &c, const QString &user, const QString &password)
{
    c.ConnectionString = m_sim.oleDbConnectionString(user, QuoteOleDbValue(password));
    c.Open();
    return &c;
}

QString TestAdo::serverFolder(const QString &name)
{
    const QString local = QDir(m_root.path()).filePath(name);
    QDir().mkpath(local);
    return m_sim.toServerPath(local);
}

void TestAdo::connectAndDisconnect_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("sa") << "sa" << "Secret#1";
    QTest::newRow("cyrillic login") << QStringLiteral("Оператор") << QStringLiteral("пароль");
    QTest::newRow("password with ; and {") << "backup" << "a;b{c";
    QTest::newRow("password with braces inside") << "braces" << "x}y{z";
    QTest::newRow("password with edge blanks") << "spaced" << " pw ";
}

void TestAdo::connectAndDisconnect()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    m_sim.addLogin(user, password);

    TADOConnection c;
    int connects = 0, disconnects = 0;
    c.AfterConnect = [&] { ++connects; };
    c.AfterDisconnect = [&] { ++disconnects; };
    QVERIFY(!c.Connected());
    QVERIFY(!c.LoginPrompt);

    connect(c, user, password);
    QVERIFY(c.Connected());
    QCOMPARE(connects, 1);
    QCOMPARE(disconnects, 0);
    QVERIFY(IsFreeTdsDriver(c.DriverName()));
    QTRY_COMPARE(m_sim.connectionCount(), 1);

    c.Open(); // already open: nothing happens
    QCOMPARE(connects, 1);

    c.Close();
    QVERIFY(!c.Connected());
    QCOMPARE(disconnects, 1);
    c.Close();
    QCOMPARE(disconnects, 1);
    QTRY_COMPARE(m_sim.connectionCount(), 0);

    c.SetConnected(true);
    QVERIFY(c.Connected());
    QCOMPARE(connects, 2);
}

void TestAdo::logonFailures_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<QString>("message");
    QTest::newRow("wrong password") << "sa" << "wrong" << false << "Login failed for user 'sa'.";
    QTest::newRow("password differs in case") << "sa" << "secret#1" << false << "Login failed for user 'sa'.";
    QTest::newRow("unknown login") << "nobody" << "x" << false << "Login failed for user 'nobody'.";
    QTest::newRow("server refuses logons") << "sa" << "Secret#1" << true << "Login failed for user 'sa'.";
    QTest::newRow("no login at all") << "" << "" << false << "Login failed for user ''.";
}

void TestAdo::logonFailures()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, refuse);
    QFETCH(QString, message);
    m_sim.setRefuseLogons(refuse);

    TADOConnection c;
    int callbacks = 0;
    c.AfterConnect = [&] { ++callbacks; };
    c.AfterDisconnect = [&] { ++callbacks; };
    QCOMPARE(errorOf([&] { connect(c, user, password); }), message);
    QVERIFY(!c.Connected());
    QCOMPARE(callbacks, 0);
    c.Close();
    QCOMPARE(callbacks, 0);

    // The same object connects once the logon is right.
    m_sim.clearFailures();
    connect(c);
    QVERIFY(c.Connected());
}

void TestAdo::nothingListening()
{
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    TADOConnection c;
    c.ConnectionString = QStringLiteral("Provider=SQLOLEDB.1;Password=x;Persist Security Info=False;User ID=sa;"
                                        "Initial Catalog=master;Data Source=127.0.0.1,%1")
                             .arg(port);
    const QString message = errorOf([&] { c.Open(); });
    QVERIFY(!message.isEmpty());
    QVERIFY2(!message.startsWith(u'['), qPrintable(message));
    QVERIFY(!c.Connected());
}

void TestAdo::silentServerTimesOut()
{
    // The kernel completes the handshake, but nobody ever answers the logon.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    TADOConnection c;
    c.ConnectionTimeout = 2;
    c.ConnectionString = QStringLiteral("Password=x;User ID=sa;Data Source=127.0.0.1,%1").arg(silent.serverPort());
    QElapsedTimer clock;
    clock.start();
    const QString message = errorOf([&] { c.Open(); });
    QVERIFY(!message.isEmpty());
    QVERIFY(!c.Connected());
    // Well short of the 15-second default: the time-out given was applied.
    QVERIFY2(clock.elapsed() < 12000, qPrintable(QString::number(clock.elapsed())));
}

void TestAdo::readsRowsByColumnName()
{
    m_sim.addDatabase(QStringLiteral("Архив"));
    m_sim.addDatabase(QStringLiteral("Sales"));
    TADOConnection c;
    connect(c);
    TADOQuery q(&c);
    q.SQL = QStringLiteral("select name from master..sysdatabases order by name");
    q.Open();
    QVERIFY(q.Active());
    QStringList names;
    for (q.First(); !q.Eof(); q.Next())
        names << q.FieldByName(QStringLiteral("NAME")).AsString();
    QVERIFY2(names.contains(QStringLiteral("Архив")), qPrintable(names.join(u',')));
    QVERIFY(names.contains(QStringLiteral("master")));
    QCOMPARE(names.size(), q.RecordCount());
    QVERIFY(names.indexOf(QStringLiteral("master")) < names.indexOf(QStringLiteral("Sales")));

    // Walking again from the first row gives the same rows.
    q.First();
    QCOMPARE(q.FieldByName(QStringLiteral("name")).AsString(), names.first());

    QVERIFY(!errorOf([&] { q.FieldByName(QStringLiteral("nosuch")); }).isEmpty());
    q.Close();
    QVERIFY(!q.Active());
    QVERIFY(q.Eof());

    // The SQL text itself carries Cyrillic to the server.
    q.SQL = QStringLiteral("select count(name) as KOL from master..sysdatabases where name='Архив'");
    q.Open();
    QCOMPARE(q.FieldByName(QStringLiteral("KOL")).AsInteger(), 1);
}

void TestAdo::nullAndIntegerFields()
{
    TADOConnection c;
    connect(c);
    TADOQuery q(&c);
    q.CommandTimeout = 0;
    const QString file = serverFolder(QStringLiteral("nullint")) + QStringLiteral("\\master.bak");
    q.SQL = "BACKUP DATABASE [master] TO DISK='" + file + "'";
    q.ExecSQL();

    q.SQL = "RESTORE FILELISTONLY FROM DISK='" + file + "' WITH FILE = 1";
    q.Open();
    QCOMPARE(q.RecordCount(), 2);
    int seen = 0;
    for (q.First(); !q.Eof(); q.Next()) {
        const QString type = q.FieldByName(QStringLiteral("Type")).AsString();
        const TADOField group = q.FieldByName(QStringLiteral("FileGroupName"));
        if (type == u"L") {
            QVERIFY(group.IsNull());
            QCOMPARE(group.AsString(), QString());
            QCOMPARE(group.AsInteger(), 0);
        } else {
            QCOMPARE(type, QStringLiteral("D"));
            QVERIFY(!group.IsNull());
        }
        QVERIFY(q.FieldByName(QStringLiteral("FileID")).AsInteger() >= 1);
        QVERIFY(!q.FieldByName(QStringLiteral("LogicalName")).AsString().isEmpty());
        ++seen;
    }
    QCOMPARE(seen, 2);
}

void TestAdo::folderTestParameter_data()
{
    QTest::addColumn<QString>("folder");  // created under the file root, empty = none
    QTest::addColumn<QString>("path");    // as sent; %1 = the server path of folder
    QTest::addColumn<QString>("name");    // parameter name as set
    QTest::addColumn<int>("dir");
    QTest::newRow("existing folder") << "exists" << "%1" << "@PathName" << 1;
    QTest::newRow("name without @") << "exists" << "%1" << "pathname" << 1;
    QTest::newRow("cyrillic folder") << QStringLiteral("Резерв") << "%1" << "@PathName" << 1;
    QTest::newRow("missing folder") << "" << "C:\\no\\such\\folder" << "@PathName" << 0;
    QTest::newRow("quote in path") << "it's" << "%1" << "@PathName" << 1;
}

void TestAdo::folderTestParameter()
{
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(int, dir);
    if (!folder.isEmpty())
        path = path.arg(serverFolder(folder));

    TADOConnection c;
    connect(c);
    TADOQuery q(&c);
    q.SQL = kFolderTest;
    q.SetParameter(name, path);
    q.Open();
    QCOMPARE(q.RecordCount(), 1);
    QCOMPARE(q.FieldByName(QStringLiteral("Dir")).AsInteger(), dir);
    QVERIFY(!q.FieldByName(QStringLiteral("File_Exists")).IsNull());

    // Sent as a bound value, not pasted into the text.
    const QStringList sent = m_sim.batches();
    QVERIFY(!sent.isEmpty());
    QVERIFY2(!sent.last().contains(QStringLiteral(":@PathName")), qPrintable(sent.last()));
}

void TestAdo::parameterOnlyOutsideLiterals()
{
    TADOConnection c;
    connect(c);
    TADOQuery q(&c);
    q.SQL = QStringLiteral("select ':@PathName' as a, [x:@PathName] = 1 -- :@PathName\r\nwhere :@PathName = 1");
    q.SetParameter(QStringLiteral("@PathName"), QStringLiteral("v"));
    errorOf([&] { q.ExecSQL(); }); // the server may well reject it; what it received matters
    const QStringList sent = m_sim.batches();
    QVERIFY(!sent.isEmpty());
    QCOMPARE(sent.last().count(QStringLiteral(":@PathName")), 3);
    QVERIFY2(sent.last().endsWith(QStringLiteral("where 'v' = 1")) || sent.last().endsWith(QStringLiteral("where N'v' = 1")),
             qPrintable(sent.last()));
}

void TestAdo::backupSucceedsWithMessages()
{
    m_sim.addDatabase(QStringLiteral("Sales"));
    TADOConnection c;
    connect(c);
    TADOQuery q(&c);
    q.CommandTimeout = 0;
    const QString file = serverFolder(QStringLiteral("ok")) + QStringLiteral("\\SIMSRV_Sales_1.bak");
    q.SQL = "BACKUP DATABASE [Sales] TO DISK='" + file + "'";
    q.ExecSQL();
    QVERIFY(QFile::exists(m_sim.mapPath(file)));
    const QString messages = q.Messages().join(u'\n');
    QVERIFY2(messages.contains(QStringLiteral("Processed ")), qPrintable(messages));
    QVERIFY2(messages.contains(QStringLiteral("BACKUP DATABASE successfully processed")), qPrintable(messages));
    QVERIFY(!messages.contains(u'['));
    QVERIFY(c.Connected());
}

void TestAdo::failedBackup_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<QString>("start");
    QTest::newRow("missing folder") << "master" << false << "Cannot open backup device '";
    QTest::newRow("unknown database") << "NoSuchDb" << true
                                      << "Database 'NoSuchDb' does not exist. Make sure that the name is entered correctly.";
}

void TestAdo::failedBackup()
{
    QFETCH(QString, database);
    QFETCH(bool, folderExists);
    QFETCH(QString, start);
    const QString folder = folderExists ? serverFolder(QStringLiteral("fail")) : QStringLiteral("C:\\missing\\dir");

    TADOConnection c;
    connect(c);
    TADOQuery q(&c);
    q.CommandTimeout = 0;
    q.SQL = "BACKUP DATABASE [" + database + "] TO DISK='" + folder + "\\x.bak'";
    const QString message = errorOf([&] { q.ExecSQL(); });
    QVERIFY2(message.startsWith(start), qPrintable(message));
    QVERIFY2(message.endsWith(QStringLiteral(" BACKUP DATABASE is terminating abnormally.")), qPrintable(message));
    QVERIFY(!message.contains(QStringLiteral("[FreeTDS]")));
    QVERIFY(c.Connected()); // a failed statement leaves the link alone

    q.SQL = QStringLiteral("select name from master..sysdatabases order by name");
    q.Open();
    QVERIFY(!q.Eof());
}

void TestAdo::errorAfterInformationInLaterStatement()
{
    // The first BACKUP succeeds with its informational messages; the error of
    // the second one only arrives with a later result of the batch.
    const QString good = serverFolder(QStringLiteral("twice")) + QStringLiteral("\\a.bak");
    TADOConnection c;
    connect(c);
    TADOQuery q(&c);
    q.CommandTimeout = 0;
    q.SQL = "BACKUP DATABASE [master] TO DISK='" + good + "'\r\nBACKUP DATABASE [master] TO DISK='C:\\missing\\dir\\b.bak'";
    const QString message = errorOf([&] { q.ExecSQL(); });
    QVERIFY2(message.startsWith(QStringLiteral("Cannot open backup device 'C:\\missing\\dir\\b.bak'")), qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("successfully processed")), qPrintable(message));
}

void TestAdo::droppedConnection()
{
    TADOConnection c;
    int disconnects = 0;
    c.AfterDisconnect = [&] { ++disconnects; };
    connect(c);
    m_sim.dropConnectionOn(QStringLiteral("^BACKUP DATABASE"));

    TADOQuery q(&c);
    q.CommandTimeout = 0; // as the pass runs it: only the broken link may end it
    q.SQL = "BACKUP DATABASE [master] TO DISK='" + serverFolder(QStringLiteral("drop")) + "\\x.bak'";
    const QString message = errorOf([&] { q.ExecSQL(); });
    QVERIFY(!message.isEmpty());
    QVERIFY2(!message.contains(QStringLiteral("successfully processed")), qPrintable(message));
    QVERIFY(!c.Connected());
    QCOMPARE(disconnects, 1);

    // The next statement is refused at once, and the connection opens afresh.
    q.SQL = QStringLiteral("select name from master..sysdatabases order by name");
    QVERIFY(!errorOf([&] { q.Open(); }).isEmpty());
    m_sim.clearFailures();
    c.Open();
    q.Open();
    QVERIFY(!q.Eof());
}

void TestAdo::commandTimeout_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<bool>("fails");
    QTest::newRow("time-out shorter than the delay") << 4000 << 1 << true;
    QTest::newRow("no limit waits") << 1500 << 0 << false;
}

void TestAdo::commandTimeout()
{
    QFETCH(int, delayMs);
    QFETCH(int, timeout);
    QFETCH(bool, fails);
    TADOConnection c;
    connect(c);
    m_sim.setDelayMs(delayMs);
    TADOQuery q(&c);
    q.CommandTimeout = timeout;
    q.SQL = QStringLiteral("select name from master..sysdatabases order by name");
    const QString message = errorOf([&] { q.Open(); });
    QCOMPARE(!message.isEmpty(), fails);
    if (fails) {
        QVERIFY(!q.Active());
        // The server acknowledged the cancel: the link still serves.
        m_sim.clearFailures();
        QVERIFY(c.Connected());
        q.Open();
        QVERIFY(!q.Eof());
    } else {
        QVERIFY(!q.Eof());
    }
}

void TestAdo::connectionsOnSeveralThreads()
{
    std::atomic<int> failures{0};
    const QString oledb = m_sim.oleDbConnectionString();
    auto work = [&] {
        for (int i = 0; i < 5; ++i) {
            try {
                TADOConnection c;
                c.ConnectionString = oledb;
                c.Open();
                TADOQuery q(&c);
                q.SQL = QStringLiteral("select name from master..sysdatabases order by name");
                q.Open();
                if (q.Eof())
                    ++failures;
                c.Close();
            } catch (const DbError &) {
                ++failures;
            }
        }
    };
    std::thread a(work), b(work), d(work);
    a.join();
    b.join();
    d.join();
    QCOMPARE(failures.load(), 0);
}

QTEST_GUILESS_MAIN(TestAdo)
#include "test_ado.moc"
