#include "TestSupport.h"
#include "app/OrvellProgram.h"
#include "app/SingleInstance.h"
#include "ui/untMyDialog.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        MessageSeam::script();
        MessageSeam::clearShown();
    }

    void secondCopyInThisProcessIsRefused()
    {
        QTemporaryDir dir;
        qputenv("ORVELL_INSTANCE_LOCK", dir.filePath(QStringLiteral("one.lock")).toUtf8());
        TOneInstance first(QStringLiteral("Orvell Backup"));
        QVERIFY(first.TryAcquire());
        QCOMPARE(OrvellBackupMain({QStringLiteral("orvell-backup")}), 1);
        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown()[0].kind, QStringLiteral("plain"));
        QCOMPARE(MessageSeam::shown()[0].text, QStringLiteral("Одна версия программы уже запущена"));
        QCOMPARE(MessageSeam::shown()[0].title, QStringLiteral("Orvell Backup"));
    }

    void secondCopyBesideARunningProgram()
    {
        QTemporaryDir dir;
        // The program keeps its files beside itself: run a copy in a folder of its own.
        const QString program = dir.filePath(QStringLiteral("orvell-backup"));
        QVERIFY(QFile::copy(QStringLiteral(ORVELL_BACKUP_EXE), program));
        const QString lock = dir.filePath(QStringLiteral("instance.lock"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ORVELL_INSTANCE_LOCK"), lock);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        QProcess first;
        first.setProcessEnvironment(env);
        first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 20000);

        qputenv("ORVELL_INSTANCE_LOCK", lock.toUtf8());
        QCOMPARE(OrvellBackupMain({QStringLiteral("orvell-backup")}), 1);
        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown()[0].text, QStringLiteral("Одна версия программы уже запущена"));
        QTest::qWait(200);
        QCOMPARE(first.state(), QProcess::Running); // the first copy runs on
        first.kill();
        first.waitForFinished();
    }
};

int main(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_single_instance.moc"
