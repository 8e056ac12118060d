// FreeTDS's own command-line client against the simulator: a client we did
// not write keeps the simulator honest to the protocol.

#include "SqlSimulator.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestSqlSimTsql : public QObject
{
    Q_OBJECT

private:
    SqlSimulator m_sim;
    QTemporaryDir m_root;
    QString m_tsql;

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Run tsql(const QString &user, const QString &password, const QString &input)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TDSVER"), QStringLiteral("auto"));
        p.setProcessEnvironment(env);
        p.start(m_tsql, {QStringLiteral("-H"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                         QString::number(m_sim.port()), QStringLiteral("-U"), user, QStringLiteral("-P"), password});
        p.write(input.toUtf8());
        p.closeWriteChannel();
        Run r;
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

private slots:
    void initTestCase()
    {
        m_tsql = QStandardPaths::findExecutable(QStringLiteral("tsql"));
        QVERIFY2(!m_tsql.isEmpty(), "tsql (package freetds-bin) is needed");
        QVERIFY(m_root.isValid());
        m_sim.setFileRoot(m_root.path());
        m_sim.setServerName(QStringLiteral("HOST\\SQLEXPRESS"));
        m_sim.addDatabase(QStringLiteral("Sales"));
        QVERIFY(m_sim.start() != 0);
    }

    void logonQueryAndFailedBackup()
    {
        const Run r = tsql(QStringLiteral("sa"), QStringLiteral("Secret#1"),
                           QStringLiteral("SELECT REPLACE(CONVERT(char(20), SERVERPROPERTY('servername')),'\\','_') as SNAME\n"
                                          "go\n"
                                          "BACKUP DATABASE [Sales] TO DISK='C:\\NoSuch\\HOST_Sales.bak'\n"
                                          "go\n"
                                          "exit\n"));
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral("SNAME\nHOST_SQLEXPRESS     \n")), qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("(1 row affected)")), qPrintable(r.out));
        const int backupError = int(r.err.indexOf(QStringLiteral("Msg 3201 (severity 16, state 1) from HOST\\SQLEXPRESS")));
        const int terminating = int(r.err.indexOf(QStringLiteral("Msg 3013 (severity 16, state 1)")));
        QVERIFY2(backupError >= 0 && terminating > backupError, qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral(
            "\"Cannot open backup device 'C:\\NoSuch\\HOST_Sales.bak'. Operating system error 3(The system cannot "
            "find the path specified.).\"")));
        QVERIFY(r.err.contains(QStringLiteral("\"BACKUP DATABASE is terminating abnormally.\"")));
        QCOMPARE(m_sim.batches().size(), 2);
    }

    void successMessagesInOrder()
    {
        const Run r = tsql(QStringLiteral("sa"), QStringLiteral("Secret#1"),
                           QStringLiteral("BACKUP DATABASE [Sales] TO DISK='C:\\Sales.bak'\ngo\nexit\n"));
        const int first = int(r.err.indexOf(QStringLiteral("\"Processed 360 pages for database 'Sales', file 'Sales' on file 1.\"")));
        const int second = int(r.err.indexOf(QStringLiteral("\"Processed 2 pages for database 'Sales', file 'Sales_log' on file 1.\"")));
        const int done = int(r.err.indexOf(QStringLiteral("\"BACKUP DATABASE successfully processed 362 pages in ")));
        QVERIFY2(first >= 0 && second > first && done > second, qPrintable(r.err));
        QVERIFY(QFile::exists(m_root.filePath(QStringLiteral("Sales.bak"))));
    }

    void wrongPassword()
    {
        const Run r = tsql(QStringLiteral("sa"), QStringLiteral("nope"), QStringLiteral("exit\n"));
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Msg 18456 (severity 14, state 1)")), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("\"Login failed for user 'sa'.\"")));
    }
};

QTEST_GUILESS_MAIN(TestSqlSimTsql)
#include "test_sqlsim_tsql.moc"
