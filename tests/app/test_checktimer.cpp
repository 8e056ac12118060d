// The check timer, the connection panel and exit, against the SQL Server simulator.
#include "DateTimeText.h"
#include "Journal.h"
#include "SqlSimulator.h"
#include "TaskFile.h"
#include "TestSupport.h"
#include "app/TaskGrid.h"
#include "app/TaskTable.h"
#include "app/TrayIcon.h"
#include "app/untSetting.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class TestCheckTimer : public QObject
{
    Q_OBJECT

    std::unique_ptr<SqlSimulator> m_sim;
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<TempProgramDir> m_dir;

    // Daily at 00:00 and never run: due at the first check.
    QString dueTask(const QString &database) const
    {
        return database + QStringLiteral(";0;0;;insert_new_task;C:\\Backups\\;Type1;1;0;0;;0;;;0;-1;0;")
            + m_sim->dataSource() + QLatin1Char(';') + StrConnectToStored(m_sim->oleDbConnectionString());
    }

    void useSqlLogon(TfrmSetting *w, const QString &user, const QString &password)
    {
        w->rbnamePassword->click();
        w->cbServers->setEditText(m_sim->dataSource());
        w->edSQLName->setText(user);
        w->edSQLPassword->setText(password);
    }

private slots:
    void initTestCase() { DateTimeFormat::setCurrent(DateTimeFormat::russian()); }

    void init()
    {
        OpenMainKey()->clear();
        m_sim = std::make_unique<SqlSimulator>();
        m_root = std::make_unique<QTemporaryDir>();
        m_sim->setFileRoot(m_root->path());
        QDir(m_root->path()).mkpath(QStringLiteral("Backups"));
        m_sim->addDatabase(QStringLiteral("Sales"));
        QVERIFY(m_sim->start() != 0);
        m_dir = std::make_unique<TempProgramDir>();
        TfrmSetting::SetProgramDirForTests(m_dir->path());
        TTrayIcon::SetAvailableForTests(false);
        MessageSeam::script();
        MessageSeam::clearShown();
    }

    void cleanup() { m_sim.reset(); }

    void passRunsOffTheGuiThread()
    {
        WriteTaskFile(m_dir->path(), {dueTask(QStringLiteral("Sales"))});
        m_sim->setDelayMs(800); // every statement of the pass waits this long
        TfrmSetting w;
        w.show();
        const int result = w.GridModel->ColumnOf(QStringLiteral("Result"));
        const int last = w.GridModel->ColumnOf(QStringLiteral("DateLast"));
        QCOMPARE(w.GridModel->CellText(0, result), QStringLiteral("Внесена задача"));
        QSignalSpy started(&w, &TfrmSetting::passStarted);
        QSignalSpy finished(&w, &TfrmSetting::passFinished);

        // How long the event loop goes without turning while the pass works.
        QElapsedTimer clock;
        qint64 lastBeat = 0, longestStall = 0;
        QTimer beat;
        beat.setInterval(5);
        connect(&beat, &QTimer::timeout, this, [&] {
            const qint64 now = clock.elapsed();
            longestStall = std::max(longestStall, now - lastBeat);
            lastBeat = now;
        });
        clock.start();
        beat.start();

        w.tmThreadTimerBackupTimer();
        QVERIFY(w.CheckRunning);
        QVERIFY(w.PassRunning());
        QVERIFY(w.pnlBottom->isVisible());
        QVERIFY(!w.tmResultat->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(w.lbAct->text().contains(QStringLiteral("Sales")), 10000); // names the task

        // Meanwhile the commands refuse, and a tick that falls due waits.
        int wizardRuns = 0;
        w.OpenTaskWizard = [&] { ++wizardRuns; };
        w.tbPlusClick();
        w.tbEditClick();
        w.tbDeleteClick();
        QCOMPARE(wizardRuns, 0);
        QCOMPARE(MessageSeam::shown().size(), 3);
        QCOMPARE(MessageSeam::shown()[2].text, QStringLiteral("Идет проверка. Подождите, пока она не закончится."));
        w.tmThreadTimerBackupTimer();
        QCOMPARE(started.size(), 1);

        QVERIFY(finished.wait(30000));
        beat.stop();
        qInfo("longest event-loop stall during a pass with 800 ms statements: %lld ms", longestStall);
        QVERIFY2(longestStall < 500, qPrintable(QString::number(longestStall)));

        // The pending tick gave one more pass right after the first.
        QCOMPARE(started.size(), 2);
        QVERIFY(finished.wait(30000));
        QVERIFY(!w.CheckRunning);
        QVERIFY(!w.pnlBottom->isVisible());
        QVERIFY(w.tmResultat->isActive());
        const BackupPassReport report = finished.at(0).at(0).value<BackupPassReport>();
        QCOMPARE(report.attempts.size(), 1);
        QVERIFY(report.attempts[0].succeeded);
        QCOMPARE(w.GridModel->CellText(0, result), QStringLiteral("Успешно выполнено"));
        QVERIFY(!w.GridModel->CellText(0, last).isEmpty());
        QCOMPARE(QDir(m_root->filePath(QStringLiteral("Backups"))).entryList(QDir::Files).size(), 1);
        QCOMPARE(SplitTaskLine(ReadTaskFile(m_dir->path()).Lines[0])[fResult], SuccessResult);
    }

    void passProblemsReachTheTrayMessage()
    {
        WriteTaskFile(m_dir->path(), {dueTask(QStringLiteral("Sales"))});
        QDir().mkpath(m_dir->file(JournalFileName)); // the journal cannot be written
        TfrmSetting w;
        QSignalSpy finished(&w, &TfrmSetting::passFinished);
        w.tmThreadTimerBackupTimer();
        QVERIFY(finished.wait(30000));
        QVERIFY(!finished.at(0).at(0).value<BackupPassReport>().problems.isEmpty());
        QCOMPARE(w.TrayIcon->LastMessageTitle(), QStringLiteral("Архивирование баз"));
        QVERIFY(!w.TrayIcon->LastMessageText().isEmpty());
        // Without a tray it is shown in the message window.
        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown()[0].title, QStringLiteral("Архивирование баз"));
    }

    void wizardCanAskForACheck()
    {
        TfrmSetting w;
        QSignalSpy finished(&w, &TfrmSetting::passFinished);
        w.OpenTaskWizard = [&] {
            const int row = w.MemSettitngs->Append();
            w.MemSettitngs->SetRecord(row, TaskRecord::fromLine(dueTask(QStringLiteral("Sales"))));
            QVERIFY(w.CloseCurrentFile());
            w.RunAfterCreate = true;
        };
        w.tbPlusClick();
        QVERIFY(!w.RunAfterCreate);
        QVERIFY(w.CheckRunning);
        QVERIFY(finished.wait(30000));
        QCOMPARE(SplitTaskLine(ReadTaskFile(m_dir->path()).Lines[0])[fResult], SuccessResult);
    }

    void exitDuringAPassWaitsForIt()
    {
        WriteTaskFile(m_dir->path(), {dueTask(QStringLiteral("Sales")), dueTask(QStringLiteral("Sales"))});
        m_sim->setDelayMs(500);
        TfrmSetting w;
        w.show();
        QSignalSpy ending(&w, &TfrmSetting::exitRequested);
        w.tmThreadTimerBackupTimer();
        QTRY_VERIFY_WITH_TIMEOUT(w.lbAct->text().contains(QStringLiteral("Sales")), 10000);
        w.pmClose->trigger();
        QCOMPARE(ending.size(), 0); // not before the running task is done
        QVERIFY(!w.isVisible());
        QVERIFY(ending.wait(30000));
        QVERIFY(!w.PassRunning());
        // The running task finished and its result was written; the second was not started.
        const QStringList lines = ReadTaskFile(m_dir->path()).Lines;
        QCOMPARE(SplitTaskLine(lines[0])[fResult], SuccessResult);
        QCOMPARE(SplitTaskLine(lines[1])[fResult], NewTaskMarker);
    }

    void connectAndDisconnect()
    {
        TfrmSetting w;
        useSqlLogon(&w, QStringLiteral("sa"), QStringLiteral("Secret#1"));
        w.btnOpenClick();
        QVERIFY(MessageSeam::shown().isEmpty());
        QVERIFY(w.ADOConnection.Connected());
        QCOMPARE(w.btnOpen->text(), QStringLiteral("Отключиться"));
        QCOMPARE(w.ConnectionPanelDrawnText(), QStringLiteral(" Connected: true"));
        QCOMPARE(w.StatusPanelText(2), QStringLiteral("Текущий сервер: ") + m_sim->dataSource());
        w.btnOpenClick();
        QVERIFY(!w.ADOConnection.Connected());
        QCOMPARE(w.btnOpen->text(), QStringLiteral("Подключиться"));
        QCOMPARE(w.ConnectionPanelDrawnText(), QStringLiteral(" Connected: false"));
    }

    void pickingAnotherServerDisconnects()
    {
        TfrmSetting w;
        useSqlLogon(&w, QStringLiteral("sa"), QStringLiteral("Secret#1"));
        w.btnOpenClick();
        QVERIFY(w.ADOConnection.Connected());
        w.MergeFoundServers({QStringLiteral("HOST"), QStringLiteral("HOST\\SQLEXPRESS")});
        w.cbServers->setCurrentIndex(w.cbServers->findText(QStringLiteral("HOST\\SQLEXPRESS")));
        w.cbServersCloseUp();
        QVERIFY(!w.ADOConnection.Connected());
        QCOMPARE(w.btnOpen->text(), QStringLiteral("Подключиться"));
        QCOMPARE(w.StatusPanelText(2), QStringLiteral("Текущий сервер: HOST\\SQLEXPRESS"));
        QVERIFY(w.edSQLName->text().isEmpty() && w.edSQLPassword->text().isEmpty());
        QVERIFY(w.edSQLName->isReadOnly() && w.edSQLPassword->isReadOnly());
    }

    void refusedLogonIsShown()
    {
        m_sim->setRefuseLogons(true);
        TfrmSetting w;
        useSqlLogon(&w, QStringLiteral("sa"), QStringLiteral("Secret#1"));
        const QString caption = w.btnOpen->text();
        w.btnOpenClick();
        QVERIFY(!w.ADOConnection.Connected());
        QCOMPARE(w.btnOpen->text(), caption);
        QCOMPARE(w.ConnectionPanelDrawnText(), QStringLiteral(" Connected: false"));
        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown()[0].title, QStringLiteral("Предупреждение"));
        QVERIFY2(MessageSeam::shown()[0].text.contains(QStringLiteral("Login failed")),
                 qPrintable(MessageSeam::shown()[0].text));
    }

    void passwordWithSemicolonLogsOn()
    {
        m_sim->addLogin(QStringLiteral("semi"), QStringLiteral("Sec;User ID=sa"));
        TfrmSetting w;
        useSqlLogon(&w, QStringLiteral("semi"), QStringLiteral("Sec;User ID=sa"));
        w.btnOpenClick();
        QVERIFY2(w.ADOConnection.Connected(),
                 qPrintable(MessageSeam::shown().isEmpty() ? QString() : MessageSeam::shown()[0].text));
    }

    void minimizeClosesAndShowReopens()
    {
        TTrayIcon::SetAvailableForTests(true);
        TfrmSetting w;
        w.show();
        useSqlLogon(&w, QStringLiteral("sa"), QStringLiteral("Secret#1"));
        w.btnOpenClick();
        QVERIFY(w.ADOConnection.Connected());
        w.close();
        QVERIFY(!w.isVisible());
        QVERIFY(!w.ADOConnection.Connected());
        QVERIFY(w.ReconnectOnShow);
        w.pmOpenProgramClick();
        QVERIFY(w.isVisible());
        QVERIFY(w.ADOConnection.Connected());
        // Disconnected by hand, hidden and shown again: connected again.
        w.btnOpenClick();
        w.pmOpenProgramClick();
        w.pmOpenProgramClick();
        QVERIFY(w.ADOConnection.Connected());
        w.btnOpenClick();
    }
};

int main(int argc, char **argv)
{
    // As on a Russian desktop: the interface starts in Russian. Set before
    // anything reads the system locale, which Qt reads once.
    qputenv("LC_ALL", "ru_RU.UTF-8");
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    qRegisterMetaType<BackupPassReport>();
    TestCheckTimer test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_checktimer.moc"
