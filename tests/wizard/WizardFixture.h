#pragma once

// The real main window over a temporary program folder, pointed at a
// simulated SQL Server, for the tests of the wizard and its pickers.

#include "SqlSimulator.h"
#include "TaskFile.h"
#include "TestSupport.h"
#include "app/SettingWidgets.h"
#include "app/TaskTable.h"
#include "app/untSetting.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <memory>

struct MainWindowFixture {
    TempProgramDir programDir;
    std::unique_ptr<TfrmSetting> window;

    void create()
    {
        TfrmSetting::SetProgramDirForTests(programDir.path());
        window = std::make_unique<TfrmSetting>();
        window->tmThreadTimerBackup->stop(); // passes run only when a test asks
    }

    // The settings group names the simulator with its SQL logon.
    void pointAt(const SqlSimulator &sim)
    {
        disconnect();
        window->cbServers->setEditText(sim.dataSource());
        window->rbnamePassword->setChecked(true);
        window->edSQLName->setText(QStringLiteral("sa"));
        window->edSQLPassword->setText(QStringLiteral("Secret#1"));
    }

    void connect()
    {
        if (!window->ADOConnection.Connected())
            window->btnOpenClick();
    }

    void disconnect()
    {
        if (window->ADOConnection.Connected())
            window->btnOpenClick();
    }

    // Writes the task file and loads it into the table, as the window does.
    void load(const QStringList &lines)
    {
        WriteTaskFile(programDir.path(), lines);
        window->MemSettitngs->Close();
        window->ReopenTable();
    }

    TTaskTable *table() const { return window->MemSettitngs; }
};

// A task line of a kind, for a server named by its simulator.
inline TaskRecord TaskOf(const QString &kind, const SqlSimulator &sim, const QString &serverName)
{
    TaskRecord task;
    task.DBName = QStringLiteral("sales");
    task.Hour = 10;
    task.Min = 20;
    task.DateLast = QDateTime(QDate(2008, 12, 25), QTime(14, 30, 5), Qt::UTC);
    task.Result = SuccessResult;
    task.Path = QStringLiteral("/var/backups");
    task.Type = kind;
    task.EveryType1 = 0; // as the main window writes a loaded task back
    task.Server = serverName;
    task.StrConnect = StrConnectToStored(sim.oleDbConnectionString());
    return task;
}
