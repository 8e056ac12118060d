#include "ConnectionString.h"
#include "DateTimeText.h"
#include "TaskFile.h"
#include "TestSupport.h"
#include "app/AutoStart.h"
#include "app/OrvellProgram.h"
#include "app/TaskGrid.h"
#include "app/TaskTable.h"
#include "app/TrayIcon.h"
#include "app/untSaveTimer.h"
#include "app/untSetting.h"
#include "journal/JournalModel.h"
#include "journal/untJOpen.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {
QString taskLine(const QString &db, const QString &result)
{
    return db + QStringLiteral(";1;2;25.12.2008 10:00:00;") + result
        + QStringLiteral(";C:\\B\\;Type1;1;0;0;;0;;;0;-1;0;SRV;Provider=SQLOLEDB.1|Data Source=SRV");
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempProgramDir> m_dir;

    std::unique_ptr<TfrmSetting> makeWindow(const QStringList &args = {QStringLiteral("orvell-backup")})
    {
        return std::make_unique<TfrmSetting>(args);
    }
    QString storedValue(const QString &name, const QString &group = {})
    {
        return OpenMainKey(group)->value(name).toString();
    }

private slots:
    void initTestCase() { DateTimeFormat::setCurrent(DateTimeFormat::russian()); }

    void init()
    {
        OpenMainKey()->clear();
        m_dir = std::make_unique<TempProgramDir>();
        TfrmSetting::SetProgramDirForTests(m_dir->path());
        TTrayIcon::SetAvailableForTests(false);
        MessageSeam::script();
        MessageSeam::clearShown();
    }

    void cleanProfileStart()
    {
        auto w = makeWindow();
        QCOMPARE(storedValue(QStringLiteral("Server")), QStringLiteral("(local)"));
        QCOMPARE(storedValue(QStringLiteral("typeNT")), QStringLiteral("1"));
        QVERIFY(OpenMainKey()->contains(QStringLiteral("name")));
        QCOMPARE(storedValue(QStringLiteral("name")), QString());
        QVERIFY(OpenMainKey()->contains(QStringLiteral("password")));
        QCOMPARE(storedValue(QStringLiteral("password")), QString());
        QVERIFY(!OpenMainKey()->contains(QStringLiteral("Interval")));
        QCOMPARE(w->tmThreadTimerBackup->interval(), 15 * 60000);
        QVERIFY(w->tmThreadTimerBackup->isActive());
        QVERIFY(!w->tmResultat->isActive());
        QVERIFY(w->rbNT->isChecked());
        QVERIFY(w->edSQLName->isReadOnly());
        QCOMPARE(w->cbServers->currentText(), QStringLiteral("(local)"));
        QVERIFY(!w->MemSettitngs->Active()); // no task file
        QVERIFY(!w->pnlBottom->isVisible());
        QVERIFY(MessageSeam::shown().isEmpty());
    }

    void storedInterval_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("minutes");
        QTest::newRow("30") << QStringLiteral("30") << 30;
        QTest::newRow("1440") << QStringLiteral("1440") << 1440;
        QTest::newRow("0 would never pause") << QStringLiteral("0") << 15;
        QTest::newRow("negative") << QStringLiteral("-5") << 15;
        QTest::newRow("above a day") << QStringLiteral("1441") << 15;
        QTest::newRow("not a number") << QStringLiteral("abc") << 15;
    }

    void storedInterval()
    {
        QFETCH(QString, stored);
        QFETCH(int, minutes);
        OpenMainKey()->setValue(QStringLiteral("Interval"), stored);
        auto w = makeWindow();
        QCOMPARE(w->tmThreadTimerBackup->interval(), minutes * 60000);
        QCOMPARE(w->StatusPanelText(1), QStringLiteral("Таймер: каждые %1 мин").arg(minutes));
        w->SaveForClose();
        QCOMPARE(storedValue(QStringLiteral("Interval")), QString::number(minutes));
    }

    void storedLogonKind_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("rewritten");
        QTest::newRow("windows") << QStringLiteral("1") << QStringLiteral("1");
        QTest::newRow("sql") << QStringLiteral("0") << QStringLiteral("0");
        QTest::newRow("a word") << QStringLiteral("yes") << QStringLiteral("1");
        QTest::newRow("empty") << QString() << QStringLiteral("1");
    }

    void storedLogonKind()
    {
        QFETCH(QString, stored);
        QFETCH(QString, rewritten);
        OpenMainKey()->setValue(QStringLiteral("typeNT"), stored);
        OpenMainKey()->setValue(QStringLiteral("name"), QStringLiteral("  sa "));
        auto w = makeWindow();
        QCOMPARE(storedValue(QStringLiteral("typeNT")), rewritten);
        const bool nt = rewritten == QLatin1String("1");
        QCOMPARE(w->rbNT->isChecked(), nt);
        QCOMPARE(w->rbnamePassword->isChecked(), !nt);
        QCOMPARE(w->edSQLPassword->isReadOnly(), nt);
        QCOMPARE(w->edSQLName->text(), QStringLiteral("  sa ")); // as typed, untrimmed
    }

    void placementColumnsAndPasswordRoundTrip()
    {
        {
            const auto key = OpenMainKey();
            key->setValue(QStringLiteral("Left"), QStringLiteral("40"));
            key->setValue(QStringLiteral("Top"), QStringLiteral("50"));
            key->setValue(QStringLiteral("Width"), QStringLiteral("800"));
            key->setValue(QStringLiteral("Height"), QStringLiteral("x"));
            key->setValue(QStringLiteral("Server"), QStringLiteral(" HOST\\SQL "));
            const auto t1 = OpenMainKey(QStringLiteral("t1"));
            t1->setValue(QStringLiteral("Width0"), 200);
            t1->setValue(QStringLiteral("FieldTitle0"), QStringLiteral("Srv"));
            t1->setValue(QStringLiteral("Width1"), QStringLiteral("wide"));
            t1->setValue(QStringLiteral("FieldName6"), QStringLiteral("Result"));
        }
        const QString password = QStringLiteral("P@ss;w0rd!_Пароль");
        {
            auto w = makeWindow();
            QCOMPARE(w->pos(), QPoint(40, 50));
            QCOMPARE(w->size(), QSize(800, 576)); // a bad Height keeps the default
            QCOMPARE(w->DBGridMain->columnWidth(0), 200);
            QCOMPARE(w->DBGridMain->columnWidth(1), 122);
            QCOMPARE(w->GridModel->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Srv"));
            QCOMPARE(w->GridModel->headerData(1, Qt::Horizontal).toString(), QStringLiteral("База данных"));
            QCOMPARE(w->cbServers->currentText(), QStringLiteral(" HOST\\SQL "));
            w->edSQLPassword->setText(password);
            w->DBGridMain->setColumnWidth(3, 77);
            w->SaveForClose();
        }
        const auto t1 = OpenMainKey(QStringLiteral("t1"));
        QCOMPARE(t1->value(QStringLiteral("Width3")).toInt(), 77);
        QCOMPARE(t1->value(QStringLiteral("FieldName5")).toString(), QStringLiteral("DateLast"));
        QCOMPARE(t1->value(QStringLiteral("FieldTitle6")).toString(), QStringLiteral("Результат"));
        QCOMPARE(storedValue(QStringLiteral("Server")), QStringLiteral(" HOST\\SQL "));
        QVERIFY(storedValue(QStringLiteral("password")) != password); // enciphered
        auto w = makeWindow();
        QCOMPARE(w->edSQLPassword->text(), password);
        QCOMPARE(w->DBGridMain->columnWidth(3), 77);
    }

    void hiddenStartArgument_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("/hide") << QStringList{"orvell-backup", "/hide"} << true;
        QTest::newRow("capitals") << QStringList{"orvell-backup", "/HIDE"} << false;
        QTest::newRow("second position") << QStringList{"orvell-backup", "x", "/hide"} << false;
        QTest::newRow("none") << QStringList{"orvell-backup"} << false;
    }

    void hiddenStartArgument()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, hidden);
        QCOMPARE(IsHiddenStart(args), hidden);
        auto w = makeWindow(args);
        QCOMPARE(w->StartHidden, hidden);
        QCOMPARE(w->pmOpenProgram->text(), hidden ? QStringLiteral("Открыть") : QStringLiteral("Скрыть"));
    }

    void hiddenStartGoesToTheTray()
    {
        TTrayIcon::SetAvailableForTests(true);
        auto w = makeWindow({QStringLiteral("orvell-backup"), QStringLiteral("/hide")});
        w->StartInTray();
        QVERIFY(!w->isVisible());
        QVERIFY(!w->StartHidden);
        QCOMPARE(storedValue(QStringLiteral("Interval")), QStringLiteral("15")); // settings saved
        // Without a tray the window stays reachable, minimized.
        TTrayIcon::SetAvailableForTests(false);
        auto w2 = makeWindow({QStringLiteral("orvell-backup"), QStringLiteral("/hide")});
        w2->StartInTray();
        QVERIFY(w2->isVisible());
        QVERIFY(w2->isMinimized());
    }

    void closeHidesIntoTheTray_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::newRow("tray") << true;
        QTest::newRow("no tray") << false;
    }

    void closeHidesIntoTheTray()
    {
        QFETCH(bool, tray);
        TTrayIcon::SetAvailableForTests(tray);
        auto w = makeWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->move(33, 44);
        QVERIFY(!w->close()); // refused: the program keeps running
        QCOMPARE(w->isVisible(), !tray);
        QCOMPARE(w->isMinimized(), !tray);
        QCOMPARE(storedValue(QStringLiteral("Left")), QStringLiteral("33"));
        QCOMPARE(w->pmOpenProgram->text(), QStringLiteral("Открыть"));

        // The tray icon's double click runs the menu's first item: show again ...
        WriteTaskFile(m_dir->path(), {taskLine(QStringLiteral("A"), SuccessResult)});
        emit w->TrayIcon->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(w->isVisible());
        QVERIFY(!w->isMinimized());
        QCOMPARE(w->pmOpenProgram->text(), QStringLiteral("Скрыть"));
        QCOMPARE(w->MemSettitngs->RecordCount(), 1); // each showing reloads the task file
        // ... and hide again.
        emit w->TrayIcon->activated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(w->isVisible(), !tray);
        QCOMPARE(w->pmOpenProgram->text(), QStringLiteral("Открыть"));
    }

    void trayMenuInDesignedOrder()
    {
        auto w = makeWindow();
        QStringList names;
        for (QAction *a : w->PopupMenu->actions())
            names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(names, QStringList({"pmOpenProgram", "-", "pmAutoRun", "-", "pmCheckTime", "-", "mmRestoreDb", "-",
                                     "mmHelp", "pmAbout", "-", "mmLang", "pmClose"}));
        QCOMPARE(w->PopupMenu->defaultAction(), w->pmOpenProgram);
        QCOMPARE(w->pmClose->text(), QStringLiteral("Выход"));
        QCOMPARE(w->mmHelp->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(w->mmLang->text(), QStringLiteral("Переключить на английский"));
        // The first item follows the window each time the menu opens.
        w->pmOpenProgram->setText(QStringLiteral("?"));
        w->PopupMenuPopup();
        QCOMPARE(w->pmOpenProgram->text(), QStringLiteral("Открыть"));
    }

    void helpFromMenuAndF1()
    {
        auto w = makeWindow();
        QStringList opened;
        w->OpenHelpFile = [&](const QString &path) { opened << path; };
        w->mmHelp->trigger();
        w->mH->trigger();
        QCOMPARE(opened, QStringList(2, m_dir->file(QStringLiteral("Orvell backup.chm"))));
        QVERIFY(MessageSeam::shown().isEmpty()); // a missing file is not reported
    }

    void journalButtonOpensTheViewerOnce()
    {
        QFile log(m_dir->file(QStringLiteral("Backup.log")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write("25.12.2008 14:30:07\tSuccesfull\tSRV\tmaster\tC:\\B\\SRV_master_x.bak\r\n");
        log.close();
        auto w = makeWindow();
        w->bbJourn->click();
        TfrmJOpen *viewer = TfrmJOpen::instance();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QTRY_COMPARE(viewer->rxMem()->rowCount(), 1);
        w->bbJourn->click(); // a second press brings the same window forward
        QCOMPARE(TfrmJOpen::instance(), viewer);
        viewer->close();
        QTRY_VERIFY(!TfrmJOpen::instance());
    }

    void taskListLoadAndDelete()
    {
        WriteTaskFile(m_dir->path(), {taskLine(QStringLiteral("A"), SuccessResult),
                                      taskLine(QStringLiteral("B"), NewTaskMarker),
                                      taskLine(QStringLiteral("C"), QStringLiteral("Some error"))});
        auto w = makeWindow();
        QCOMPARE(w->DBGridMain->model()->rowCount(), 3);
        const int result = w->GridModel->ColumnOf(QStringLiteral("Result"));
        QCOMPARE(w->GridModel->CellText(0, result), QStringLiteral("Успешно выполнено"));
        QCOMPARE(w->GridModel->CellText(1, result), QStringLiteral("Внесена задача"));
        QCOMPARE(w->GridModel->CellText(2, result), QStringLiteral("Some error"));

        w->DBGridMain->setCurrentIndex(w->GridModel->index(1, 0));
        QCOMPARE(w->MemSettitngs->CurrentRow(), 1);
        MessageSeam::script({2}); // "Нет"
        w->tbDeleteClick();
        QCOMPARE(ReadTaskFile(m_dir->path()).Lines.size(), 3);
        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown()[0].kind, QStringLiteral("question"));
        QCOMPARE(MessageSeam::shown()[0].text, QStringLiteral("Удалить задачу?"));
        QCOMPARE(MessageSeam::shown()[0].title, QStringLiteral(" "));

        MessageSeam::script({1}); // "Да"
        w->tbDeleteClick();
        QVERIFY(w->tmThreadTimerBackup->isActive());
        QStringList lines = ReadTaskFile(m_dir->path()).Lines;
        QCOMPARE(lines.size(), 2);
        QCOMPARE(SplitTaskLine(lines[1])[fDBName], QStringLiteral("C"));

        MessageSeam::script({1, 1});
        w->tbDeleteClick();
        w->tbDeleteClick();
        const TaskFileContent content = ReadTaskFile(m_dir->path());
        QVERIFY(content.Exists);
        QVERIFY(QFile(m_dir->file(TaskFileName)).size() == 0); // the only task's deletion leaves an empty file
        w->MemSettitngs->Close();
        w->ReopenTable();
        QVERIFY(!w->MemSettitngs->Active());
        MessageSeam::clearShown();
        w->tbDeleteClick(); // nothing to delete: no question
        w->tbEditClick();
        QVERIFY(MessageSeam::shown().isEmpty());
    }

    void unreadableTaskFileIsNeverOverwritten()
    {
        QDir().mkpath(m_dir->file(TaskFileName)); // a folder where the file should be
        auto w = makeWindow();
        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown()[0].title, QStringLiteral("Предупреждение"));
        w->MemSettitngs->Append();
        QVERIFY_THROWS_EXCEPTION(OrvellError, w->CloseCurrentFile());
    }

    void commandsWaitForTheCheck()
    {
        WriteTaskFile(m_dir->path(), {taskLine(QStringLiteral("A"), SuccessResult)});
        auto w = makeWindow();
        int wizardRuns = 0;
        w->OpenTaskWizard = [&] { ++wizardRuns; };
        w->CheckRunning = true;
        w->tbPlusClick();
        w->tbEditClick();
        w->tbDeleteClick();
        QCOMPARE(wizardRuns, 0);
        const auto shown = MessageSeam::shown();
        QCOMPARE(shown.size(), 3);
        for (const auto &m : shown) {
            QCOMPARE(m.text, QStringLiteral("Идет проверка. Подождите, пока она не закончится."));
            QCOMPARE(m.title, QStringLiteral("Предупреждение"));
        }
        QCOMPARE(ReadTaskFile(m_dir->path()).Lines.size(), 1);
        w->CheckRunning = false;
    }

    void addAndEditOpenTheWizard()
    {
        WriteTaskFile(m_dir->path(), {taskLine(QStringLiteral("A"), SuccessResult)});
        auto w = makeWindow();
        QList<bool> modes;
        bool timerStopped = false;
        w->OpenTaskWizard = [&] {
            modes << w->EditMode;
            timerStopped = !w->tmThreadTimerBackup->isActive();
        };
        w->tbPlusClick();
        w->tbEditClick();
        QCOMPARE(modes, QList<bool>({false, true}));
        QVERIFY(timerStopped);
        QVERIFY(w->tmThreadTimerBackup->isActive());

        // Double click: on the result its text, elsewhere the wizard.
        const int result = w->GridModel->ColumnOf(QStringLiteral("Result"));
        w->DBGridMainCellClick(result);
        w->DBGridMainDblClick();
        QCOMPARE(MessageSeam::shown().size(), 1);
        QCOMPARE(MessageSeam::shown()[0].kind, QStringLiteral("value"));
        QCOMPARE(MessageSeam::shown()[0].text, QStringLiteral("Успешно выполнено"));
        QCOMPARE(MessageSeam::shown()[0].title, QStringLiteral("Результат"));
        w->DBGridMainCellClick(0);
        w->DBGridMainDblClick();
        QCOMPARE(modes.size(), 3);
        QVERIFY(modes.last());
    }

    void connectionString_data()
    {
        QTest::addColumn<bool>("nt");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("expected");
        QTest::newRow("windows logon")
            << true << QStringLiteral(" HOST\\SQLEXPRESS ") << QStringLiteral("ignored") << QString()
            << QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                              "Initial Catalog=master;Data Source=HOST\\SQLEXPRESS");
        QTest::newRow("sql logon") << false << QStringLiteral("127.0.0.1,1433") << QStringLiteral(" sa ")
                                   << QStringLiteral("Secret#1")
                                   << QStringLiteral("Provider=SQLOLEDB.1;Password=Secret#1;Persist Security Info=False;"
                                                     "User ID=sa;Initial Catalog=master;Data Source=127.0.0.1,1433");
        QTest::newRow("password with a semicolon is quoted")
            << false << QStringLiteral("(local)") << QStringLiteral("sa") << QStringLiteral("a;Data Source=evil")
            << QStringLiteral("Provider=SQLOLEDB.1;Password=\"a;Data Source=evil\";Persist Security Info=False;"
                              "User ID=sa;Initial Catalog=master;Data Source=(local)");
    }

    void connectionString()
    {
        QFETCH(bool, nt);
        QFETCH(QString, server);
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QString, expected);
        auto w = makeWindow();
        (nt ? w->rbNT : w->rbnamePassword)->setChecked(true);
        w->cbServers->setEditText(server);
        w->edSQLName->setText(login);
        w->edSQLPassword->setText(password);
        QCOMPARE(w->CreateConnectString(), expected);
        const auto parsed = OleDbConnectionString::parse(w->CreateConnectString());
        QCOMPARE(parsed.password(), password);
        QCOMPARE(parsed.dataSource(), server.trimmed());
    }

    void logonKindKeepsTypedTexts()
    {
        auto w = makeWindow();
        w->rbnamePassword->click();
        QVERIFY(!w->edSQLName->isReadOnly());
        w->edSQLName->setText(QStringLiteral("user"));
        w->rbNT->click();
        QVERIFY(w->edSQLName->isReadOnly());
        QCOMPARE(w->edSQLName->text(), QStringLiteral("user"));
        w->rbnamePassword->click();
        QVERIFY(!w->edSQLName->isReadOnly());
        QCOMPARE(w->edSQLName->text(), QStringLiteral("user"));
    }

    void statusBarAndServerPick()
    {
        auto w = makeWindow();
        QVERIFY(w->StatusPanelText(0).startsWith(QStringLiteral("Старт: ")));
        QCOMPARE(w->StatusPanelText(0), QStringLiteral("Старт: ") + DateTimeToText(w->StartTime));
        QCOMPARE(w->StatusPanelText(1), QStringLiteral("Таймер: каждые 15 мин"));
        QCOMPARE(w->StatusPanelText(2), QStringLiteral("Текущий сервер: ")); // before the stored server is read
        QCOMPARE(w->StatusPanelText(3), QStringLiteral("Соединение: Нет"));
        QCOMPARE(w->ConnectionPanelDrawnText(), QStringLiteral(" Connected: false"));
        w->show();
        QCOMPARE(w->StatusPanelText(2), QStringLiteral("Текущий сервер: (local)"));

        // Names found on the network are added without changing the text.
        w->MergeFoundServers({QStringLiteral("HOST"), QStringLiteral("HOST\\SQLEXPRESS"), QStringLiteral("HOST")});
        QCOMPARE(w->cbServers->count(), 3);
        QCOMPARE(w->cbServers->currentText(), QStringLiteral("(local)"));

        w->rbnamePassword->click();
        w->edSQLName->setText(QStringLiteral("sa"));
        w->edSQLPassword->setText(QStringLiteral("pw"));
        w->cbServers->setCurrentIndex(1);
        w->cbServersCloseUp();
        QCOMPARE(w->StatusPanelText(2), QStringLiteral("Текущий сервер: HOST\\SQLEXPRESS"));
        QVERIFY(w->edSQLName->text().isEmpty() && w->edSQLPassword->text().isEmpty());
        QVERIFY(w->rbnamePassword->isChecked());
        QVERIFY(w->edSQLName->isReadOnly());
    }

    void checkIntervalDialog_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("saved");
        QTest::newRow("0 gives 15") << QStringLiteral("0") << 15;
        QTest::newRow("2000 gives 1440") << QStringLiteral("2000") << 1440;
        QTest::newRow("empty gives 15") << QString() << 15;
        QTest::newRow("45") << QStringLiteral("45") << 45;
        QTest::newRow("letters are refused") << QStringLiteral("4a5") << 45;
    }

    void checkIntervalDialog()
    {
        QFETCH(QString, typed);
        QFETCH(int, saved);
        auto w = makeWindow();
        w->pmCheckTimeClick();
        QPointer<TfrmSaveTimer> dialog = w->frmSaveTimer;
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Частота проверок"));
        QCOMPARE(dialog->seTimer->value(), 15);
        auto *edit = dialog->seTimer->findChild<QLineEdit *>();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, typed);
        dialog->move(21, 22);
        dialog->btnSave->click();
        QTRY_VERIFY(!dialog);
        QCOMPARE(storedValue(QStringLiteral("Interval")), QString::number(saved));
        QCOMPARE(w->tmThreadTimerBackup->interval(), saved * 60000);
        QVERIFY(w->tmThreadTimerBackup->isActive());
        QCOMPARE(w->StatusPanelText(1), QStringLiteral("Timer: every %1 min").arg(saved));
        QCOMPARE(storedValue(QStringLiteral("Left"), QStringLiteral("frmSaveTimer")), QStringLiteral("21"));
        QCOMPARE(storedValue(QStringLiteral("Top"), QStringLiteral("frmSaveTimer")), QStringLiteral("22"));
    }

    void checkIntervalDialogCancel()
    {
        auto w = makeWindow();
        w->pmCheckTimeClick();
        QPointer<TfrmSaveTimer> dialog = w->frmSaveTimer;
        dialog->seTimer->setValue(99);
        dialog->BitBtn1->click();
        QTRY_VERIFY(!dialog);
        QCOMPARE(w->tmThreadTimerBackup->interval(), 15 * 60000);
        QVERIFY(!OpenMainKey()->contains(QStringLiteral("Interval")));
    }

    void autorunEntry()
    {
        auto w = makeWindow();
        TSessionAutoStart entry;
        const QString path = entry.EntryPath();
        QVERIFY(path.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        QFile::remove(path);
        w->LoadRegParam();
        QVERIFY(!w->AutoRunOn());

        w->pmAutoRun->trigger();
        QVERIFY(w->AutoRunOn());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        const QString exec = QStringLiteral("Exec=\"%1\" /hide\n").arg(QCoreApplication::applicationFilePath());
        QVERIFY2(text.contains(exec), qPrintable(text));
        file.close();

        w->pmAutoRun->trigger();
        QVERIFY(!w->AutoRunOn());
        QVERIFY(!QFile::exists(path));
        QVERIFY(MessageSeam::shown().isEmpty());
    }

    void autorunFailureIsTold()
    {
        auto w = makeWindow();
        TSessionAutoStart entry;
        const QString folder = QFileInfo(entry.EntryPath()).absolutePath();
        QDir(folder).removeRecursively();
        QFile blocker(folder); // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        w->LoadRegParam();
        w->CheckMenu();
        QVERIFY(!w->AutoRunOn()); // shows what is true
        QCOMPARE(MessageSeam::shown().size(), 1);
        QFile::remove(folder);
    }

    void autorunCommandLineQuoting()
    {
        TSessionAutoStart entry(QStringLiteral("/opt/My Apps/orvell$backup"));
        QCOMPARE(entry.CommandLine(), QStringLiteral("\"/opt/My Apps/orvell\\\\$backup\" /hide"));
    }

    void exitSavesAndEnds()
    {
        auto w = makeWindow();
        QSignalSpy ending(w.get(), &TfrmSetting::exitRequested);
        w->cbServers->setEditText(QStringLiteral("OTHER"));
        w->pmClose->trigger();
        QCOMPARE(ending.size(), 1);
        QCOMPARE(storedValue(QStringLiteral("Server")), QStringLiteral("OTHER"));
        QVERIFY(!w->tmThreadTimerBackup->isActive());
    }
};

int main(int argc, char **argv)
{
    // As on a Russian desktop: the interface starts in Russian. Set before
    // anything reads the system locale, which Qt reads once.
    qputenv("LC_ALL", "ru_RU.UTF-8");
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mainwindow.moc"
