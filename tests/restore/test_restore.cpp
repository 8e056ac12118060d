// The restore window against a simulated SQL Server, driven through the real
// main window (its connection, its server box and its program folder).
#include "Ado.h"
#include "Clock.h"
#include "DateTimeText.h"
#include "Journal.h"
#include "SqlSimulator.h"
#include "TaskFile.h"
#include "TestSupport.h"
#include "app/SettingWidgets.h"
#include "app/untSetting.h"
#include "restore/RestoreSql.h"
#include "restore/untRestore.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"
#include "wizard/untFolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QtTest>
#include <memory>

namespace {

using Shown = MessageSeam::Shown;

QString Messages(const QList<Shown> &shown)
{
    QStringList lines;
    for (const Shown &s : shown)
        lines << s.kind + QLatin1Char('|') + s.title + QLatin1Char('|') + s.text;
    return lines.join(QLatin1Char('\n'));
}

QStringList ReadLines(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromLocal8Bit(f.readAll());
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    return text.isEmpty() ? QStringList() : text.split(QStringLiteral("\r\n"));
}

// Answers every translated text of the restore window with "EN " + the source.
class MarkingTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "TfrmRestore") != 0)
            return {};
        return QStringLiteral("EN ") + QString::fromUtf8(source);
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestRestore : public QObject
{
    Q_OBJECT

    SqlSimulator sim;
    TempProgramDir programDir;
    QTemporaryDir files;            // backup files and the server's data folder
    QString serverData;             // as the server names it: C:\...\data\ (backslashes)
    std::unique_ptr<TfrmSetting> main;
    QPointer<TfrmRestore> window;

    QString local(const QString &name) const { return files.filePath(name); }

    void connectMain()
    {
        if (!main->ADOConnection.Connected())
            main->btnOpenClick();
        QVERIFY(main->ADOConnection.Connected());
    }

    void disconnectMain()
    {
        if (main->ADOConnection.Connected())
            main->btnOpenClick();
    }

    // A backup of database made by the server into a file of this machine.
    QString backupOf(const QString &database, const QString &fileName)
    {
        const QString path = local(fileName);
        QFile::remove(path);
        TADOQuery query(&main->ADOConnection);
        query.SQL = QStringLiteral("BACKUP DATABASE [%1] TO DISK='%2'").arg(database, path);
        query.ExecSQL();
        return path;
    }

    // The window as the tray command shows it, without the modal loop.
    TfrmRestore *openWindow(const QString &name, const QString &path)
    {
        window = new TfrmRestore(main.get());
        window->show();
        window->edNewName->setText(name);
        window->deFolderType->setText(path);
        sim.clearBatches();
        MessageSeam::clearShown();
        return window;
    }

    QString journal() const { return programDir.file(JournalFileName); }

private slots:
    void initTestCase()
    {
        QVERIFY(files.isValid());
        DateTimeFormat::setCurrent(DateTimeFormat::russian());
        QVERIFY(sim.start());
        sim.setFileRoot(QDir::rootPath());
        QVERIFY(QDir().mkpath(local(QStringLiteral("data"))));
        serverData = QStringLiteral("C:") + local(QStringLiteral("data")).replace(QLatin1Char('/'), QLatin1Char('\\'))
                     + QLatin1Char('\\');
        sim.setDataFolder(serverData);
        sim.addDatabase(QStringLiteral("Sales"));

        MessageSeam::script();
        TfrmSetting::SetProgramDirForTests(programDir.path());
        main = std::make_unique<TfrmSetting>();
        main->tmThreadTimerBackup->stop();
        main->cbServers->setEditText(sim.dataSource());
        main->rbnamePassword->setChecked(true);
        main->edSQLName->setText(QStringLiteral("sa"));
        main->edSQLPassword->setText(QStringLiteral("Secret#1"));
    }

    void init()
    {
        MessageSeam::script();
        MessageSeam::clearShown();
        sim.clearFailures();
        connectMain();
        QFile::remove(journal());
    }

    void cleanup()
    {
        delete window.data();
        disconnectMain();
    }

    void cleanupTestCase()
    {
        main.reset();
        MessageSeam::stopScript();
    }

    // ---- the statements ----

    void designedStatement()
    {
        QCOMPARE(RestoreSql::RestoreDatabaseSql(QStringLiteral("Sales"), QStringLiteral("C:\\Backup\\HOST_Sales_1.bak"),
                                                RestoreSql::DataFolderOf(QStringLiteral("C:\\Data\\master.mdf"))
                                                    + QStringLiteral("Sales"),
                                                QStringLiteral("Sales_Data"), QStringLiteral("Sales_Log")),
                 QStringLiteral("RESTORE DATABASE [Sales] FROM DISK='C:\\Backup\\HOST_Sales_1.bak' WITH  MOVE "
                                "'Sales_Data' TO 'C:\\Data\\Salesmdf', MOVE 'Sales_Log' TO 'C:\\Data\\Salesldf', "
                                "replace"));
    }

    void quoting()
    {
        QCOMPARE(RestoreSql::RestoreDatabaseSql(QStringLiteral("a]b"), QStringLiteral("C:\\It's\\x.bak "),
                                                QStringLiteral("C:\\O'Data\\a]b "), QStringLiteral("d'1"),
                                                QStringLiteral("l]'2")),
                 QStringLiteral("RESTORE DATABASE [a]]b] FROM DISK='C:\\It''s\\x.bak ' WITH  MOVE 'd''1' TO "
                                "'C:\\O''Data\\a]bmdf', MOVE 'l]''2' TO 'C:\\O''Data\\a]bldf', replace"));
        QCOMPARE(RestoreSql::FileListSql(QStringLiteral("/b/o'k.bak")),
                 QStringLiteral("RESTORE FILELISTONLY FROM DISK='/b/o''k.bak' WITH FILE = 1"));
        QCOMPARE(RestoreSql::DatabaseCountSql(QStringLiteral("x';drop database y--")),
                 QStringLiteral("select count(name) as KOL from master..sysdatabases where name='x'';drop database y--'"));
    }

    void dataFolder_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("folder");
        QTest::newRow("Windows") << "C:\\Program Files\\MSSQL\\DATA\\master.mdf" << "C:\\Program Files\\MSSQL\\DATA\\";
        QTest::newRow("padded nchar") << QStringLiteral("C:\\Data\\master.mdf").leftJustified(260) << "C:\\Data\\";
        QTest::newRow("Linux server") << "/var/opt/mssql/data/master.mdf" << "/var/opt/mssql/data/";
        QTest::newRow("no folder") << "master.mdf" << "";
        QTest::newRow("empty") << "" << "";
    }

    void dataFolder()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, folder);
        QCOMPARE(RestoreSql::DataFolderOf(fileName), folder);
    }

    // ---- the checks ----

    void missingFile()
    {
        openWindow(QStringLiteral("NewDb"), local(QStringLiteral("nothing-here.bak")));
        window->bbRestoreClick();
        QCOMPARE(Messages(MessageSeam::shown()),
                 QStringLiteral("message|Предупреждение|Файл не найден."));
        QVERIFY(sim.batches().isEmpty());
        QVERIFY(window->isVisible());
        // A folder is not a backup file.
        window->deFolderType->setText(files.path());
        window->bbRestoreClick();
        QCOMPARE(MessageSeam::shown().size(), 2);
        QVERIFY(sim.batches().isEmpty());
    }

    void notConnectedAnsweredNo()
    {
        const QString path = backupOf(QStringLiteral("Sales"), QStringLiteral("no.bak"));
        disconnectMain();
        openWindow(QStringLiteral("NewDb"), path);
        MessageSeam::script({2});
        window->bbRestoreClick();
        QCOMPARE(Messages(MessageSeam::shown()),
                 QStringLiteral("question|Вопрос|Установить связь с сервером?"));
        QVERIFY(!main->ADOConnection.Connected());
        QVERIFY(sim.batches().isEmpty());
        QVERIFY(window->isVisible());
        QVERIFY(!QFile::exists(journal()));
    }

    // The connection fails after "Да": the main window shows why, and the
    // first statement's error is shown in the message window; nothing closes.
    void connectionFailsAfterYes()
    {
        const QString path = backupOf(QStringLiteral("Sales"), QStringLiteral("refused.bak"));
        disconnectMain();
        sim.setRefuseLogons(true);
        openWindow(QStringLiteral("NewDb"), path);
        MessageSeam::script({1});
        window->bbRestoreClick();
        const QList<Shown> shown = MessageSeam::shown();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0].kind, QStringLiteral("question"));
        QVERIFY2(shown[1].text.contains(QStringLiteral("Login failed")), qPrintable(shown[1].text));
        QCOMPARE(shown[2].kind, QStringLiteral("message"));
        QCOMPARE(shown[2].title, QStringLiteral("Предупреждение"));
        QVERIFY(!shown[2].text.isEmpty());
        QVERIFY(window->isVisible());
        QVERIFY(!QFile::exists(journal()));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        for (const char *name : {"my db", "a.b", "x-y", "a]b", "o'k", "a@b", "[x", "b/c", "q?"})
            QTest::newRow(name) << QString::fromUtf8(name) << true;
        for (const char *name : {"Sales_2011", "a$b", "a;b", "  Trimmed  "})
            QTest::newRow(name) << QString::fromUtf8(name) << false;
    }

    // Refused names stop before any statement; accepted ones reach the
    // server's name check with exactly the name given (trimmed).
    void names()
    {
        QFETCH(QString, name);
        QFETCH(bool, refused);
        const QString path = backupOf(QStringLiteral("Sales"), QStringLiteral("names.bak"));
        openWindow(name, path);
        window->bbRestoreClick();
        if (refused) {
            QCOMPARE(Messages(MessageSeam::shown()),
                     QStringLiteral("message|Предупреждение|Имя базы содержит недопустимые символы."));
            QVERIFY(sim.batches().isEmpty());
            QVERIFY(window->isVisible());
        } else {
            QVERIFY(!sim.batches().isEmpty());
            QCOMPARE(sim.batches().first(),
                     QStringLiteral("select count(name) as KOL from master..sysdatabases where name='%1'")
                         .arg(name.trimmed()));
            QVERIFY2(!Messages(MessageSeam::shown()).contains(QStringLiteral("недопустимые")),
                     qPrintable(Messages(MessageSeam::shown())));
            QVERIFY(sim.hasDatabase(name.trimmed()));
            sim.removeDatabase(name.trimmed());
        }
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void existingNameInAnotherCase()
    {
        const QString path = backupOf(QStringLiteral("Sales"), QStringLiteral("exists.bak"));
        openWindow(QStringLiteral("SALES"), path);
        window->bbRestoreClick();
        QCOMPARE(Messages(MessageSeam::shown()),
                 QStringLiteral("message|Предупреждение|База данных с таким наименованием уже существует."));
        QCOMPARE(sim.batches().size(), 1);
        QVERIFY(window->isVisible());
        QVERIFY(!QFile::exists(journal()));
    }

    // ---- restoring ----

    void restoresUnderANewName_data()
    {
        QTest::addColumn<bool>("padded");
        QTest::addColumn<bool>("connected");
        QTest::newRow("connected") << false << true;
        QTest::newRow("connects after the question, padded file name") << true << false;
    }

    void restoresUnderANewName()
    {
        QFETCH(bool, padded);
        QFETCH(bool, connected);
        const QString path = backupOf(QStringLiteral("Sales"), QStringLiteral("HOST_Sales_1.bak"));
        sim.setSysfilesPadded(padded);
        if (!connected)
            disconnectMain();
        openWindow(QStringLiteral(" Sales_2011 "), path);
        MessageSeam::script({1});
        const QDateTime before = LocalNow().addSecs(-1);
        window->bbRestoreClick();
        sim.setSysfilesPadded(false);

        QStringList expectedMessages;
        if (!connected)
            expectedMessages << QStringLiteral("question|Вопрос|Установить связь с сервером?");
        expectedMessages << QStringLiteral("message|Сообщение|База успешно восстановлена.");
        QCOMPARE(Messages(MessageSeam::shown()), expectedMessages.join(QLatin1Char('\n')));

        QCOMPARE(sim.batches(),
                 QStringList({QStringLiteral("select count(name) as KOL from master..sysdatabases where name='Sales_2011'"),
                              QStringLiteral("select filename from dbo.sysfiles where fileid = 1"),
                              QStringLiteral("RESTORE FILELISTONLY FROM DISK='%1' WITH FILE = 1").arg(path),
                              QStringLiteral("RESTORE DATABASE [Sales_2011] FROM DISK='%1' WITH  MOVE 'Sales' TO "
                                             "'%2Sales_2011mdf', MOVE 'Sales_log' TO '%2Sales_2011ldf', replace")
                                  .arg(path, serverData)}));
        QVERIFY(sim.hasDatabase(QStringLiteral("Sales_2011")));
        QVERIFY(QFile::exists(local(QStringLiteral("data/Sales_2011mdf"))));
        QVERIFY(QFile::exists(local(QStringLiteral("data/Sales_2011ldf"))));

        const QStringList lines = ReadLines(journal());
        QCOMPARE(lines.size(), 1);
        const QStringList fields = lines.first().split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 5);
        const auto moment = TextToDateTime(fields[0]);
        QVERIFY2(moment && *moment >= before && *moment <= LocalNow().addSecs(1), qPrintable(fields[0]));
        QCOMPARE(fields.mid(1), QStringList({QStringLiteral("Succesfull"), sim.dataSource(),
                                             QStringLiteral("Sales_2011"), QStringLiteral("Restore database")}));

        QTRY_VERIFY(window.isNull());
        QVERIFY(TfrmRestore::instance() == nullptr);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(OpenMainKey(QStringLiteral("frmRestore"))->value(QStringLiteral("RestorePath")).toString(), path);

        // The next opening offers the last path.
        window = new TfrmRestore(main.get());
        window->show();
        QCOMPARE(window->deFolderType->text(), path);
        sim.removeDatabase(QStringLiteral("Sales_2011"));
    }

    void serverCannotReadTheFile_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("around"); // blanks put around the path
        QTest::addColumn<QString>("serverText");
        QTest::newRow("not a backup") << "garbage.bak" << QByteArray("not a backup\n") << ""
                                      << "The media family on device";
        // The file test trims the path; the server is handed it as typed.
        QTest::newRow("blanks around the path") << "blanks.bak" << QByteArray() << "  "
                                                << "Cannot open backup device";
    }

    void serverCannotReadTheFile()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(QString, around);
        QFETCH(QString, serverText);
        QString path;
        if (content.isEmpty()) {
            path = backupOf(QStringLiteral("Sales"), fileName);
        } else {
            path = local(fileName);
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content);
        }
        openWindow(QStringLiteral("NewDb"), around + path + around);
        window->bbRestoreClick();
        const QList<Shown> shown = MessageSeam::shown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("Предупреждение"));
        QVERIFY2(shown[0].text.contains(serverText), qPrintable(shown[0].text));
        QCOMPARE(sim.batches().size(), 3);
        QCOMPARE(sim.batches().last(),
                 QStringLiteral("RESTORE FILELISTONLY FROM DISK='%1' WITH FILE = 1").arg(around + path + around));
        QVERIFY(window->isVisible());
        QVERIFY(!QFile::exists(journal()));
        QVERIFY(!sim.hasDatabase(QStringLiteral("NewDb")));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void restoreStatementFails()
    {
        const QString text = QStringLiteral("Exclusive access could not be obtained because the database is in use.");
        const QString path = backupOf(QStringLiteral("Sales"), QStringLiteral("busy.bak"));
        sim.failStatement(QStringLiteral("^RESTORE DATABASE"), 3101, 16, text);
        openWindow(QStringLiteral("Busy"), path);
        window->bbRestoreClick();
        QCOMPARE(Messages(MessageSeam::shown()), QStringLiteral("message|Предупреждение|") + text);
        const QStringList lines = ReadLines(journal());
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().split(QLatin1Char('\t')).mid(1),
                 QStringList({text, sim.dataSource(), QStringLiteral("Busy"), QStringLiteral("Restore database")}));
        QTRY_VERIFY(window.isNull());
    }

    // With several files of a type only the last of each is moved.
    void lastFileOfEachTypeIsMoved()
    {
        const QString path = local(QStringLiteral("two-files.bak"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("ORVELL-SQLSIM-BACKUP 1\n"
                "SET Multi 2011-01-01T10:00:00\n"
                "FILE D Multi_A C:\\old\\a.mdf 8 1\n"
                "FILE L Multi_L1 C:\\old\\l1.ldf 8 2\n"
                "FILE D Multi_B C:\\old\\b.ndf 8 3\n"
                "FILE L Multi_L2 C:\\old\\l2.ldf 8 4\n");
        f.close();
        openWindow(QStringLiteral("Multi2"), path);
        window->bbRestoreClick();
        QCOMPARE(sim.batches().size(), 4);
        QCOMPARE(sim.batches().last(),
                 QStringLiteral("RESTORE DATABASE [Multi2] FROM DISK='%1' WITH  MOVE 'Multi_B' TO '%2Multi2mdf', "
                                "MOVE 'Multi_L2' TO '%2Multi2ldf', replace")
                     .arg(path, serverData));
    }

    // The journal cannot be written: the restore is not reported as a
    // success, the failure is shown, and the window stays.
    void journalCannotBeWritten()
    {
        const QString path = backupOf(QStringLiteral("Sales"), QStringLiteral("nojournal.bak"));
        QVERIFY(QDir().mkpath(journal())); // a folder where the file should be
        openWindow(QStringLiteral("NoJournal"), path);
        window->bbRestoreClick();
        const QList<Shown> shown = MessageSeam::shown();
        QCOMPARE(shown.size(), 2);
        for (const Shown &s : shown) {
            QCOMPARE(s.title, QStringLiteral("Предупреждение"));
            QVERIFY2(s.text.contains(JournalFileName), qPrintable(s.text));
        }
        QVERIFY(window->isVisible());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(QDir(journal()).removeRecursively());
        sim.removeDatabase(QStringLiteral("NoJournal"));
    }

    // ---- the window ----

    void placement_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<bool>("applied");
        QTest::newRow("whole numbers") << "37" << "41" << true;
        QTest::newRow("top not a number") << "37" << "x" << false;
        QTest::newRow("left missing") << "" << "41" << false;
    }

    void placement()
    {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(bool, applied);
        {
            const auto key = OpenMainKey(QStringLiteral("frmRestore"));
            key->remove(QString());
            if (!left.isEmpty())
                key->setValue(QStringLiteral("Left"), left);
            key->setValue(QStringLiteral("Top"), top);
        }
        window = new TfrmRestore(main.get());
        window->show();
        QCOMPARE(window->size(), QSize(442, 162));
        QCOMPARE(window->pos() == QPoint(37, 41), applied);
        QCOMPARE(window->deFolderType->text(), QDir::toNativeSeparators(QDir::rootPath()));
        QCOMPARE(window->edNewName->text(), QString());

        window->move(120, 130);
        window->deFolderType->setText(QStringLiteral("/some/where.bak"));
        window->bbNoneClick();
        QTRY_VERIFY(window.isNull());
        const auto key = OpenMainKey(QStringLiteral("frmRestore"));
        QCOMPARE(key->value(QStringLiteral("Left")).toString(), QStringLiteral("120"));
        QCOMPARE(key->value(QStringLiteral("Top")).toString(), QStringLiteral("130"));
        QCOMPARE(key->value(QStringLiteral("RestorePath")).toString(), QStringLiteral("/some/where.bak"));
        key->remove(QString());
    }

    // The tray menu's command shows one modal window that frees itself.
    void trayCommandOpensTheWindow()
    {
        bool modal = false;
        QTimer::singleShot(0, this, [&] {
            TfrmRestore *open = TfrmRestore::instance();
            if (!open)
                return;
            modal = open->isModal() && open->isVisible();
            open->bbNoneClick();
        });
        main->mmRestoreDb->trigger();
        QVERIFY(modal);
        QVERIFY(TfrmRestore::instance() == nullptr);
    }

    void followsTheLanguage()
    {
        window = new TfrmRestore(main.get());
        QCOMPARE(window->windowTitle(), QStringLiteral("Восстановление базы данных"));
        QCOMPARE(window->strrsNoFile, QStringLiteral("Файл не найден."));
        MarkingTranslator english;
        QApplication::installTranslator(&english);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCOMPARE(window->windowTitle(), QStringLiteral("EN Восстановление базы данных"));
        QCOMPARE(window->bbRestore->text(), QStringLiteral("EN Восстановить"));
        QCOMPARE(window->strrsNoFile, QStringLiteral("EN Файл не найден."));
        QCOMPARE(window->strrsP, QStringLiteral("EN Предупреждение"));
        // A window made while the language is active comes up in it.
        auto second = std::make_unique<TfrmRestore>(TRestoreHost{});
        QCOMPARE(second->strrsDbRest, QStringLiteral("EN База успешно восстановлена."));
        QApplication::removeTranslator(&english);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCOMPARE(window->strrsNoFile, QStringLiteral("Файл не найден."));
        QCOMPARE(window->Label1->text(), QStringLiteral("Наименование базы данных"));
    }

    // The field's button opens the picker on the current file, listing files,
    // and the file chosen there comes back into the field.
    void pickerHandsBackAFile()
    {
        const QString first = local(QStringLiteral("pick-1.bak"));
        const QString second = local(QStringLiteral("pick-2.bak"));
        for (const QString &name : {first, second}) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        openWindow(QString(), first);
        bool listsFiles = false;
        bool modal = false;
        QString startedAt;
        QTimer::singleShot(0, this, [&] {
            TfrmOpenFolder *picker = TfrmOpenFolder::instance();
            if (!picker)
                return;
            listsFiles = picker->ListsFiles();
            modal = picker->isModal();
            startedAt = picker->SelectedPath();
            picker->SelectPath(second);
            picker->bbOpenClick();
            if (TfrmOpenFolder::instance())
                TfrmOpenFolder::instance()->bbCloseClick();
        });
        window->deFolderTypeButton->trigger();
        QVERIFY(listsFiles);
        QVERIFY(modal);
        QCOMPARE(startedAt, first);
        QCOMPARE(window->deFolderType->text(), second);
        QTRY_VERIFY(TfrmOpenFolder::instance() == nullptr);
    }
};

int main(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    TestRestore test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_restore.moc"
