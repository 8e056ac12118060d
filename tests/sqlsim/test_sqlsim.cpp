// The simulator through the real unixODBC driver manager and FreeTDS driver.

#include "OdbcProbe.h"
#include "SimRpc.h"
#include "SqlSimulator.h"

#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char kFolderTest[] = "if isnull(object_id('tempdb..#TempTableFileEx'),0)>0 drop table #TempTableFileEx\r\n"
                           "create table #TempTableFileEx (File_Exists int, Dir int, ParentDir int)\r\n"
                           "insert #TempTableFileEx\r\n"
                           "exec master..xp_fileexist ?\r\n"
                           "select File_Exists,Dir,ParentDir from #TempTableFileEx";

QString cell(const OdbcResult &r, int row, const QString &column)
{
    const int c = int(r.columns.indexOf(column));
    if (c < 0 || row >= r.rows.size())
        return QStringLiteral("<missing>");
    return r.rows[row][c].value_or(QStringLiteral("<NULL>"));
}

QString describe(const OdbcResult &r)
{
    QStringList lines;
    for (const OdbcDiag &d : r.diags)
        lines << QStringLiteral("[%1] %2 %3").arg(d.state).arg(d.native).arg(d.text);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestSqlSim : public QObject
{
    Q_OBJECT

private:
    SqlSimulator m_sim;
    QTemporaryDir m_root;
    quint16 m_port = 0;

    QString local(const QString &relative) const { return m_root.filePath(relative); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_sim.setFileRoot(m_root.path());
        m_sim.addDatabase(QStringLiteral("Sales"));
        QVERIFY(QDir().mkpath(local(QStringLiteral("Backup"))));
        m_port = m_sim.start();
        QVERIFY(m_port != 0);
    }

    void init()
    {
        m_sim.clearFailures();
        m_sim.clearBatches();
        // The previous test's connections may still be closing.
        QTRY_COMPARE(m_sim.connectionCount(), 0);
    }

    void paths_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("relative");
        QTest::newRow("drive and backslashes") << "C:\\Backup\\x.bak" << "Backup/x.bak";
        QTest::newRow("forward slashes, lower-case drive") << "c:/Backup/x.bak" << "Backup/x.bak";
        QTest::newRow("another drive letter") << "D:\\Data\\x" << "Data/x";
        QTest::newRow("no climbing above the root") << "C:\\a\\..\\..\\..\\etc\\passwd" << "etc/passwd";
        QTest::newRow("a Linux path") << "/var/opt/mssql/x.bak" << "var/opt/mssql/x.bak";
        QTest::newRow("relative: the data folder") << "x.bak" << "SQLDATA/x.bak";
        QTest::newRow("the root itself") << "C:\\" << "";
    }

    void paths()
    {
        QFETCH(QString, server);
        QFETCH(QString, relative);
        const QString expected = relative.isEmpty() ? QDir::cleanPath(m_root.path()) : QDir::cleanPath(local(relative));
        QCOMPARE(m_sim.mapPath(server), expected);
        if (!server.startsWith(QLatin1String("D:")) && !server.contains(QLatin1String("..")) && server.contains(QLatin1Char(':')))
            QCOMPARE(m_sim.mapPath(m_sim.toServerPath(expected)), expected);
    }

    // Parameters of RPC statements go in as literals, by the names the
    // definition string declares or by their own names.
    void parameterBinding_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("definitions");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("expected");
        QTest::newRow("declared name, unnamed value")
            << "exec master..xp_fileexist @P1" << "@P1 varchar(9)" << QStringList{""} << QStringList{"C:\\Backup"}
            << "exec master..xp_fileexist 'C:\\Backup'";
        QTest::newRow("named value") << "exec master..xp_fileexist @PathName" << "@PathName nvarchar(4000)"
                                     << QStringList{"@PathName"} << QStringList{"C:\\x"}
                                     << "exec master..xp_fileexist 'C:\\x'";
        QTest::newRow("quote doubled") << "select @P1" << "@P1 varchar(4)" << QStringList{""} << QStringList{"it's"}
                                       << "select 'it''s'";
        QTest::newRow("@P1 is not a prefix of @P10")
            << "select @P10, @P1" << "@P1 int,@P2 int,@P3 int,@P4 int,@P5 int,@P6 int,@P7 int,@P8 int,@P9 int,@P10 int"
            << QStringList{"", "", "", "", "", "", "", "", "", ""}
            << QStringList{"a", "", "", "", "", "", "", "", "", "j"} << "select 'j', 'a'";
        QTest::newRow("strings, brackets, comments and @@ untouched")
            << "select '@P1', [@P1], @@spid, @P1 -- @P1" << "@P1 int" << QStringList{""} << QStringList{"v"}
            << "select '@P1', [@P1], @@spid, 'v' -- @P1";
        QTest::newRow("definition with a comma in a type")
            << "select @a, @b" << "@a decimal(10,2), @b varchar(5)" << QStringList{"", ""} << QStringList{"1", "2"}
            << "select '1', '2'";
    }

    void parameterBinding()
    {
        QFETCH(QString, sql);
        QFETCH(QString, definitions);
        QFETCH(QStringList, names);
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        QList<sqlsim::RpcParam> params;
        for (int k = 0; k < values.size(); ++k)
            params << sqlsim::RpcParam{names[k], false, sqlsim::Value::string(values[k], sqlsim::SqlType::varchar(10))};
        QCOMPARE(sqlsim::bindParameters(sql, definitions, params), expected);
    }

    // Every TDS version FreeTDS speaks gets the layouts it expects: rows,
    // messages, and the DONE after the rows of a DBCC.
    void versions_data()
    {
        QTest::addColumn<QString>("version");
        for (const char *v : {"7.0", "7.1", "7.2", "7.3", "7.4"})
            QTest::newRow(v) << QString::fromLatin1(v);
    }

    void versions()
    {
        QFETCH(QString, version);
        OdbcProbe db;
        QVERIFY(db.connect(OdbcProbe::connectionString(m_port, QStringLiteral("sa"), QStringLiteral("Secret#1"),
                                                        QStringLiteral("master"), version)));

        // char(20) pads; the caller gets the blanks, as from a real server.
        const OdbcResult name =
            db.exec(QStringLiteral("SELECT REPLACE(CONVERT(char(20), SERVERPROPERTY('servername')),'\\','_') as SNAME"));
        QVERIFY2(!name.anyError, qPrintable(describe(name)));
        QCOMPARE(cell(name, 0, QStringLiteral("SNAME")), QStringLiteral("SIMSRV").leftJustified(20));

        const OdbcResult list = db.exec(QStringLiteral("select name from master..sysdatabases order by name"));
        QStringList names;
        for (const auto &row : list.rows)
            names << row[0].value_or(QString());
        QCOMPARE(names, (QStringList{"master", "model", "msdb", "Sales", "tempdb"}));

        const OdbcResult backup = db.exec(QStringLiteral("BACKUP DATABASE [Sales] TO DISK='C:\\NoSuch\\x.bak'"));
        QVERIFY(backup.anyError);
        QVERIFY2(backup.natives().contains(3201) && backup.natives().contains(3013), qPrintable(describe(backup)));

        const OdbcResult shrink = db.exec(QStringLiteral("DBCC SHRINKDATABASE ([Sales],10)"));
        QVERIFY2(!shrink.anyError, qPrintable(describe(shrink)));
        QCOMPARE(shrink.columns, (QStringList{"DbId", "FileId", "CurrentSize", "MinimumSize", "UsedPages", "EstimatedPages"}));
        QCOMPARE(shrink.rows.size(), 2);
        QVERIFY2(shrink.natives().contains(2528), qPrintable(describe(shrink)));
    }

    void logonRefused_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QString>("text");
        QTest::newRow("wrong password") << "sa" << "wrong" << "master" << false << "Login failed for user 'sa'.";
        QTest::newRow("password case matters") << "sa" << "secret#1" << "master" << false << "Login failed for user 'sa'.";
        QTest::newRow("unknown logon") << "nobody" << "x" << "master" << false << "Login failed for user 'nobody'.";
        QTest::newRow("refused on demand") << "sa" << "Secret#1" << "master" << true << "Login failed for user 'sa'.";
        QTest::newRow("unknown database")
            << "sa" << "Secret#1" << "NoSuchDb" << false << "Cannot open database \"NoSuchDb\" requested by the login. The login failed.";
    }

    void logonRefused()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        QFETCH(bool, refuse);
        QFETCH(QString, text);
        m_sim.setRefuseLogons(refuse);
        OdbcProbe db;
        QVERIFY(!db.connect(OdbcProbe::connectionString(m_port, user, password, database)));
        bool found = false;
        bool loginFailed = false;
        for (const OdbcDiag &d : db.connectDiags()) {
            found = found || d.text.endsWith(text);
            loginFailed = loginFailed || d.native == 18456;
        }
        QVERIFY2(found && loginFailed, qPrintable(text));
        QTRY_COMPARE(m_sim.connectionCount(), 0); // the server closed it
    }

    // Broken framing closes that one connection; another one carries on.
    void malformedInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("length below the header") << QByteArray("\x12\x01\x00\x04\x00\x00\x00\x00", 8);
        QTest::newRow("not TDS at all") << QByteArray("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
        QTest::newRow("PRELOGIN option outside the packet")
            << QByteArray("\x12\x01\x00\x0E\x00\x00\x00\x00" "\x00\x01\x00\x00\x06\xFF", 14);
        QTest::newRow("LOGIN7 cut short") << QByteArray("\x10\x01\x00\x14\x00\x00\x00\x00" "\x00\x01\x00\x00\x04\x00\x00\x74\x00\x10\x00\x00", 20);
        QTest::newRow("SQL before logon") << QByteArray("\x01\x01\x00\x0C\x00\x00\x00\x00" "s\x00" "1\x00", 12);
    }

    void malformedInput()
    {
        QFETCH(QByteArray, bytes);
        OdbcProbe good;
        QVERIFY(good.connect(OdbcProbe::connectionString(m_port)));
        QCOMPARE(m_sim.connectionCount(), 1);

        QTcpSocket bad;
        bad.connectToHost(QHostAddress::LocalHost, m_port);
        QVERIFY(bad.waitForConnected(5000));
        bad.write(bytes);
        QVERIFY(bad.waitForBytesWritten(5000));
        QTRY_COMPARE(bad.state(), QAbstractSocket::UnconnectedState);
        QTRY_COMPARE(m_sim.connectionCount(), 1);

        const OdbcResult r = good.exec(QStringLiteral("select count(name) as KOL from master..sysdatabases where name='sales'"));
        QVERIFY2(!r.anyError, qPrintable(describe(r)));
        QCOMPARE(cell(r, 0, QStringLiteral("KOL")), QStringLiteral("1"));
    }

    // The program's folder test: the parameter arrives through sp_executesql
    // (direct) or sp_prepexec (prepared); the temporary table lives on
    // between runs on one connection, so the second run drops it first.
    void folderTest_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("flags");
        QTest::newRow("direct, folder") << int(OdbcProbe::Direct) << "C:\\Backup" << "0 1 1";
        QTest::newRow("direct, folder with trailing backslash") << int(OdbcProbe::Direct) << "C:\\Backup\\" << "0 1 1";
        QTest::newRow("direct, missing") << int(OdbcProbe::Direct) << "C:\\NoSuch\\Deeper" << "0 0 0";
        QTest::newRow("prepared, file") << int(OdbcProbe::Prepared) << "C:\\Backup\\probe.txt" << "1 0 1";
        QTest::newRow("prepared, quote in the name") << int(OdbcProbe::Prepared) << "C:\\Bob's" << "0 0 1";
    }

    void folderTest()
    {
        QFETCH(int, mode);
        QFETCH(QString, path);
        QFETCH(QString, flags);
        QFile probe(local(QStringLiteral("Backup/probe.txt")));
        QVERIFY(probe.open(QIODevice::WriteOnly));
        probe.close();
        OdbcProbe db;
        QVERIFY(db.connect(OdbcProbe::connectionString(m_port)));
        for (int run = 0; run < 2; ++run) {
            const OdbcResult r = db.exec(QString::fromLatin1(kFolderTest), {path}, OdbcProbe::Mode(mode));
            QVERIFY2(!r.anyError, qPrintable(describe(r)));
            QCOMPARE(r.columns, (QStringList{"File_Exists", "Dir", "ParentDir"}));
            QCOMPARE(QStringList({cell(r, 0, "File_Exists"), cell(r, 0, "Dir"), cell(r, 0, "ParentDir")}).join(' '), flags);
        }
        QString quoted = path;
        quoted.replace(QLatin1String("'"), QLatin1String("''"));
        const QStringList log = m_sim.batches();
        QCOMPARE(log.size(), 2);
        QVERIFY2(log.last().contains(QStringLiteral("exec master..xp_fileexist '%1'").arg(quoted)), qPrintable(log.last()));
    }

    // As a plain batch the table outlives the batch, and temporary tables
    // have negative ids since SQL Server 2012, so the guard
    // "isnull(object_id(...),0)>0" never drops it: a second run fails.
    void folderTestAsPlainBatch()
    {
        OdbcProbe db;
        QVERIFY(db.connect(OdbcProbe::connectionString(m_port)));
        QString sql = QString::fromLatin1(kFolderTest);
        sql.replace(QLatin1String("?"), QLatin1String("'C:\\Backup'"));
        const OdbcResult first = db.exec(sql);
        QVERIFY2(!first.anyError, qPrintable(describe(first)));
        QCOMPARE(cell(first, 0, QStringLiteral("Dir")), QStringLiteral("1"));

        const OdbcResult second = db.exec(sql);
        QVERIFY(second.anyError);
        QVERIFY2(second.texts().contains(
                     QStringLiteral("[FreeTDS][SQL Server]There is already an object named '#TempTableFileEx' in the database.")),
                 qPrintable(describe(second)));

        sql.replace(QLatin1String("isnull(object_id('tempdb..#TempTableFileEx'),0)>0"),
                    QLatin1String("object_id('tempdb..#TempTableFileEx') is not null"));
        const OdbcResult guarded = db.exec(sql);
        QVERIFY2(!guarded.anyError, qPrintable(describe(guarded)));
        QCOMPARE(cell(guarded, 0, QStringLiteral("Dir")), QStringLiteral("1"));
    }

    // What the restore window does, in its order, against a backup the
    // backup pass made.
    void backupAndRestore()
    {
        OdbcProbe db;
        QVERIFY(db.connect(OdbcProbe::connectionString(m_port)));
        const QString file = QStringLiteral("C:\\Backup\\SIMSRV_Sales_1.bak");

        const OdbcResult backup = db.exec(QStringLiteral("BACKUP DATABASE [Sales] TO DISK='%1'").arg(file));
        QVERIFY2(!backup.anyError, qPrintable(describe(backup)));
        QCOMPARE(backup.natives(), (QList<int>{4035, 4035, 3014}));
        QVERIFY(backup.texts().first().endsWith("Processed 360 pages for database 'Sales', file 'Sales' on file 1."));
        QVERIFY(backup.texts().last().contains(QStringLiteral("BACKUP DATABASE successfully processed 362 pages in ")));
        QVERIFY(QFile::exists(local(QStringLiteral("Backup/SIMSRV_Sales_1.bak"))));

        const OdbcResult count = db.exec(QStringLiteral("select count(name) as KOL from master..sysdatabases where name='Sales2'"));
        QCOMPARE(cell(count, 0, QStringLiteral("KOL")), QStringLiteral("0"));

        const OdbcResult sysfiles = db.exec(QStringLiteral("select filename from dbo.sysfiles where fileid = 1"));
        QCOMPARE(cell(sysfiles, 0, QStringLiteral("filename")), QStringLiteral("C:\\SQLDATA\\master.mdf"));

        const OdbcResult list = db.exec(QStringLiteral("RESTORE FILELISTONLY FROM DISK='%1' WITH FILE = 1").arg(file));
        QVERIFY2(!list.anyError, qPrintable(describe(list)));
        QCOMPARE(list.rows.size(), 2);
        QCOMPARE(cell(list, 0, QStringLiteral("LogicalName")), QStringLiteral("Sales"));
        QCOMPARE(cell(list, 0, QStringLiteral("Type")), QStringLiteral("D"));
        QCOMPARE(cell(list, 0, QStringLiteral("PhysicalName")), QStringLiteral("C:\\SQLDATA\\Sales.mdf"));
        QCOMPARE(cell(list, 1, QStringLiteral("LogicalName")), QStringLiteral("Sales_log"));
        QCOMPARE(cell(list, 1, QStringLiteral("Type")), QStringLiteral("L"));

        const OdbcResult restore = db.exec(QStringLiteral(
            "RESTORE DATABASE [Sales2] FROM DISK='%1' WITH  MOVE 'Sales' TO 'C:\\SQLDATA\\Sales2mdf', "
            "MOVE 'Sales_log' TO 'C:\\SQLDATA\\Sales2ldf', replace").arg(file));
        QVERIFY2(!restore.anyError, qPrintable(describe(restore)));
        QCOMPARE(restore.natives(), (QList<int>{4035, 4035, 3014}));
        QVERIFY(m_sim.hasDatabase(QStringLiteral("Sales2")));
        QVERIFY(QFile::exists(local(QStringLiteral("SQLDATA/Sales2mdf"))));
        QVERIFY(QFile::exists(local(QStringLiteral("SQLDATA/Sales2ldf"))));

        const OdbcResult again = db.exec(QStringLiteral("select count(name) as KOL from master..sysdatabases where name='SALES2'"));
        QCOMPARE(cell(again, 0, QStringLiteral("KOL")), QStringLiteral("1"));

        // The files now belong to Sales2: another restore onto them is refused.
        const OdbcResult clash = db.exec(QStringLiteral(
            "RESTORE DATABASE [Sales3] FROM DISK='%1' WITH  MOVE 'Sales' TO 'C:\\SQLDATA\\Sales2mdf', "
            "MOVE 'Sales_log' TO 'C:\\SQLDATA\\Sales3ldf', replace").arg(file));
        QVERIFY(clash.anyError);
        QVERIFY2(clash.natives().contains(1834) && clash.natives().contains(3119) && clash.natives().contains(3013),
                 qPrintable(describe(clash)));
        QVERIFY(!m_sim.hasDatabase(QStringLiteral("Sales3")));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QList<int>>("natives");
        QTest::addColumn<QString>("text");
        QTest::newRow("backup, missing folder")
            << "BACKUP DATABASE [Sales] TO DISK='C:\\NoSuch\\x.bak'" << QList<int>{3201, 3013}
            << "Cannot open backup device 'C:\\NoSuch\\x.bak'. Operating system error 3(The system cannot find the path specified.).";
        QTest::newRow("backup onto a folder")
            << "BACKUP DATABASE [Sales] TO DISK='C:\\Backup'" << QList<int>{3201, 3013}
            << "Cannot open backup device 'C:\\Backup'. Operating system error 5(Access is denied.).";
        QTest::newRow("backup, unknown database")
            << "BACKUP DATABASE [Nope] TO DISK='C:\\Backup\\n.bak'" << QList<int>{911, 3013}
            << "Database 'Nope' does not exist. Make sure that the name is entered correctly.";
        QTest::newRow("backup inside a transaction")
            << "begin tran\nBACKUP DATABASE [Sales] TO DISK='C:\\Backup\\t.bak'\nrollback" << QList<int>{3021, 3013}
            << "Cannot perform a backup or restore operation within a transaction.";
        QTest::newRow("file list of a missing file")
            << "RESTORE FILELISTONLY FROM DISK='C:\\Backup\\none.bak' WITH FILE = 1" << QList<int>{3201, 3013}
            << "RESTORE FILELIST is terminating abnormally.";
        QTest::newRow("restore into a missing folder")
            << "RESTORE DATABASE [X] FROM DISK='C:\\Backup\\SIMSRV_Sales_1.bak' WITH  MOVE 'Sales' TO "
               "'C:\\NoDir\\Xmdf', MOVE 'Sales_log' TO 'C:\\SQLDATA\\Xldf', replace"
            << QList<int>{5133, 3156, 3119, 3013}
            << "Directory lookup for the file \"C:\\NoDir\\Xmdf\" failed with the operating system error 3(The system cannot find the path specified.).";
        QTest::newRow("restore, unknown logical name")
            << "RESTORE DATABASE [X] FROM DISK='C:\\Backup\\SIMSRV_Sales_1.bak' WITH MOVE 'Other' TO 'C:\\SQLDATA\\Xmdf'"
            << QList<int>{3234, 3013} << "RESTORE DATABASE is terminating abnormally.";
        QTest::newRow("restore, empty name")
            << "RESTORE DATABASE [] FROM DISK='C:\\Backup\\SIMSRV_Sales_1.bak'" << QList<int>{1038} << "";
        QTest::newRow("shrink, unknown database") << "DBCC SHRINKDATABASE ([Nope],10)" << QList<int>{2520} << "";
        QTest::newRow("anything else") << "values('test')" << QList<int>{102} << "Incorrect syntax near 'values'.";
        QTest::newRow("unknown procedure") << "exec sp_nothing 1" << QList<int>{2812}
                                           << "Could not find stored procedure 'sp_nothing'.";
        QTest::newRow("chosen failure") << "DBCC SHRINKDATABASE ([Sales],10)" << QList<int>{50000} << "chosen";
    }

    void failures()
    {
        QFETCH(QString, sql);
        QFETCH(QList<int>, natives);
        QFETCH(QString, text);
        if (QByteArray(QTest::currentDataTag()) == "chosen failure")
            m_sim.failStatement(QStringLiteral("^dbcc shrinkdatabase"), 50000, 16, QStringLiteral("chosen"));
        OdbcProbe db;
        QVERIFY(db.connect(OdbcProbe::connectionString(m_port)));
        if (!QFile::exists(local(QStringLiteral("Backup/SIMSRV_Sales_1.bak"))))
            QVERIFY(!db.exec(QStringLiteral("BACKUP DATABASE [Sales] TO DISK='C:\\Backup\\SIMSRV_Sales_1.bak'")).anyError);
        const OdbcResult r = db.exec(sql);
        QVERIFY2(r.anyError, qPrintable(describe(r)));
        QList<int> got;
        for (int n : r.natives())
            if (natives.contains(n) && !got.contains(n))
                got << n;
        QCOMPARE(got, natives);
        if (!text.isEmpty()) {
            bool found = false;
            for (const QString &t : r.texts())
                found = found || t.endsWith(text);
            QVERIFY2(found, qPrintable(describe(r)));
        }
        QCOMPARE(m_sim.batches().last(), sql);
    }

    // The link breaks after the success messages: the client must see a
    // failure, and the connection is gone afterwards.
    void droppedMidBackup()
    {
        m_sim.dropConnectionOn(QStringLiteral("^BACKUP DATABASE"));
        OdbcProbe db;
        QVERIFY(db.connect(OdbcProbe::connectionString(m_port)));
        const OdbcResult r = db.exec(QStringLiteral("BACKUP DATABASE [Sales] TO DISK='C:\\Backup\\dropped.bak'"));
        QVERIFY2(r.anyError, qPrintable(describe(r)));
        QVERIFY2(r.natives().contains(3014), qPrintable(describe(r)));
        QCOMPARE(m_sim.batches(), QStringList{"BACKUP DATABASE [Sales] TO DISK='C:\\Backup\\dropped.bak'"});
        QVERIFY(db.exec(QStringLiteral("select 1")).anyError);
    }

    // A query time-out makes FreeTDS send ATTENTION during the delay; the
    // acknowledgement keeps the connection usable.
    void timeoutAndAttention()
    {
        OdbcProbe db;
        QVERIFY(db.connect(OdbcProbe::connectionString(m_port)));
        m_sim.setDelayMs(4000);
        const OdbcResult slow = db.exec(QStringLiteral("select name from master..sysdatabases"), {}, OdbcProbe::Direct, 1);
        QVERIFY(slow.anyError);
        bool timedOut = false;
        for (const OdbcDiag &d : slow.diags)
            timedOut = timedOut || d.state == QLatin1String("HYT00");
        QVERIFY2(timedOut, qPrintable(describe(slow)));
        m_sim.setDelayMs(0);
        const OdbcResult next = db.exec(QStringLiteral("select db_name() as db"));
        QVERIFY2(!next.anyError, qPrintable(describe(next)));
        QCOMPARE(cell(next, 0, QStringLiteral("db")), QStringLiteral("master"));
    }

    void stopClosesEverything()
    {
        SqlSimulator other;
        const quint16 port = other.start();
        QVERIFY(port != 0);
        OdbcProbe a, b;
        QVERIFY(a.connect(OdbcProbe::connectionString(port)));
        QVERIFY(b.connect(OdbcProbe::connectionString(port)));
        QTRY_COMPARE(other.connectionCount(), 2);
        other.stop();
        QCOMPARE(other.connectionCount(), 0);
        QCOMPARE(other.port(), quint16(0));
        QVERIFY(a.exec(QStringLiteral("select 1")).anyError);
        OdbcProbe c;
        QVERIFY(!c.connect(OdbcProbe::connectionString(port)));
        QCOMPARE(other.start(port), port); // the same port can be taken again
    }
};

QTEST_GUILESS_MAIN(TestSqlSim)
#include "test_sqlsim.moc"
