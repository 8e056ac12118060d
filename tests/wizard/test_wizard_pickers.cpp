// The backup target checks and the two pickers beside the wizard: the local
// write probe, the folder test on the server, the folder tree and the
// database list.
#include "DateTimeText.h"
#include "WizardFixture.h"
#include "ui/MainKey.h"
#include "ui/untMyDialog.h"
#include "wizard/TargetChecks.h"
#include "wizard/untAdd.h"
#include "wizard/untDB.h"
#include "wizard/untFolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

const QString ProbeName = QStringLiteral("Orvell_Params.INI");

void Touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class TestWizardPickers : public QObject
{
    Q_OBJECT

    MainWindowFixture main;
    SqlSimulator sim;
    QTemporaryDir scratch;
    QPointer<TfrmAdd> wizard;

    // A folder this process cannot write into, even as root.
    QString unwritableFolder()
    {
        const QString folder = scratch.filePath(QStringLiteral("readonly"));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(folder + QStringLiteral("/x"));
        if (!probe.open(QIODevice::WriteOnly))
            return folder;
        probe.remove();
        return QStringLiteral("/sys"); // root passes file modes; sysfs refuses new files
    }

    QString newFolder(const QString &name)
    {
        const QString folder = scratch.filePath(name);
        QDir().mkpath(folder);
        return folder;
    }

    void openWizard(const QString &page)
    {
        main.window->EditMode = false;
        wizard = new TfrmAdd(main.window.get());
        wizard->show();
        wizard->SetActivePage(page);
    }

    TfrmOpenFolder *openFolderPicker(QLineEdit *field)
    {
        field->findChild<QAction *>(field->objectName() + QStringLiteral("Button"))->trigger();
        return frmOpenFolder.data();
    }

    TfrmDB *openDatabasePicker(QLineEdit *field)
    {
        field->findChild<QAction *>(field->objectName() + QStringLiteral("Button"))->trigger();
        return frmDB.data();
    }

    QStringList names(TfrmDB *picker) const
    {
        QStringList list;
        for (int row = 0; row < picker->DBGrid->rowCount(); ++row)
            list << picker->DBGrid->item(row, 0)->text();
        return list;
    }

private slots:
    void initTestCase()
    {
        DateTimeFormat::setCurrent(DateTimeFormat::russian());
        QVERIFY(sim.start());
        MessageSeam::script();
        main.create();
    }

    void init()
    {
        MessageSeam::script();
        MessageSeam::clearShown();
        sim.setFileRoot(QDir::rootPath());
        sim.clearFailures();
        main.pointAt(sim);
    }

    void cleanup()
    {
        delete wizard.data();
        delete frmOpenFolder.data();
        delete frmDB.data();
        main.disconnect();
    }

    void writeProbe()
    {
        const QString folder = newFolder(QStringLiteral("probe"));
        Touch(folder + QLatin1Char('/') + ProbeName); // a file of that name is replaced and removed
        QVERIFY(CheckFolderWritable(QStringLiteral("  ") + folder + QStringLiteral(" "), QStringLiteral("m")));
        QVERIFY(QDir(folder).isEmpty());
        QVERIFY(CheckFolderWritable(folder + QLatin1Char('/'), QStringLiteral("m")));
        QVERIFY(QDir(folder).isEmpty());
        QVERIFY(MessageSeam::shown().isEmpty());
        // The probe goes inside the folder, with this system's separator.
        QCOMPARE(WriteProbePath(folder), folder + QDir::separator() + ProbeName);

        QVERIFY(!CheckFolderWritable(unwritableFolder(), QStringLiteral("no write")));
        QVERIFY(!CheckFolderWritable(scratch.filePath(QStringLiteral("missing")), QStringLiteral("no write")));
        const auto shown = MessageSeam::shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].kind, QStringLiteral("plain"));
        QCOMPARE(shown[0].text, QStringLiteral("no write"));
    }

    void folderTestOnTheServer()
    {
        TADOQuery query;
        const QString folder = newFolder(QStringLiteral("onserver"));
        QCOMPARE(CheckFolderOnServer(query, &main.window->ADOConnection, folder), FolderOnServer::NoAnswer);
        main.connect();
        sim.clearBatches();
        QCOMPARE(CheckFolderOnServer(query, &main.window->ADOConnection, QStringLiteral(" ") + folder),
                 FolderOnServer::Found);
        const QString batch = sim.batches().join(QLatin1Char('\n'));
        QVERIFY2(batch.contains(QStringLiteral("exec master..xp_fileexist '") + folder + QLatin1Char('\'')),
                 qPrintable(batch));
        QVERIFY(batch.contains(QStringLiteral("select File_Exists,Dir,ParentDir from #TempTableFileEx")));
        QCOMPARE(CheckFolderOnServer(query, &main.window->ADOConnection, folder + QStringLiteral("/none")),
                 FolderOnServer::NotFound);
        // A file is no folder.
        Touch(folder + QStringLiteral("/file.bak"));
        QCOMPARE(CheckFolderOnServer(query, &main.window->ADOConnection, folder + QStringLiteral("/file.bak")),
                 FolderOnServer::NotFound);
        // The server refuses the extended procedure: no answer, no message.
        sim.failStatement(QStringLiteral("xp_fileexist"), 229, 14,
                          QStringLiteral("The EXECUTE permission was denied on the object 'xp_fileexist'."));
        QCOMPARE(CheckFolderOnServer(query, &main.window->ADOConnection, folder), FolderOnServer::NoAnswer);
        QVERIFY(MessageSeam::shown().isEmpty());
    }

    void treeListsFoldersOnlyBesideTheWizard()
    {
        const QString folder = newFolder(QStringLiteral("tree"));
        QDir(folder).mkdir(QStringLiteral("sub"));
        Touch(folder + QStringLiteral("/file.bak"));

        auto *alone = new TfrmOpenFolder;
        alone->show();
        QVERIFY(alone->ListsFiles());
        QVERIFY(alone->SelectPath(folder + QStringLiteral("/file.bak")));
        QCOMPARE(alone->SelectedPath(), QDir::toNativeSeparators(folder + QStringLiteral("/file.bak")));
        delete alone;

        openWizard(QStringLiteral("Type1"));
        TfrmOpenFolder *picker = openFolderPicker(wizard->deFolder);
        QVERIFY(picker && picker->isVisible());
        QVERIFY(!picker->ListsFiles());
        const QModelIndex dir = picker->ShellModel->index(folder);
        picker->ShellModel->fetchMore(dir);
        QTRY_COMPARE(picker->ShellModel->rowCount(dir), 1);
        QCOMPARE(picker->ShellModel->fileName(picker->ShellModel->index(0, 0, dir)), QStringLiteral("sub"));
    }

    void fieldWithAFolderSelectsIt()
    {
        const QString folder = newFolder(QStringLiteral("selected"));
        openWizard(QStringLiteral("Type2"));
        wizard->deFolderType2->setText(folder);
        TfrmOpenFolder *picker = openFolderPicker(wizard->deFolderType2);
        QCOMPARE(picker->SelectedPath(), QDir::toNativeSeparators(folder));
        delete picker;
        wizard->deFolderType2->setText(QStringLiteral("D:\\Backup"));
        picker = openFolderPicker(wizard->deFolderType2);
        QVERIFY(picker->SelectedPath().isEmpty());
    }

    // Open from the wizard: the server's answer first, the local probe only
    // when the server cannot be asked.
    void openChecksTheFolder_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("folder"); // writable, unwritable, elsewhere (not on the server)
        QTest::addColumn<QString>("message");

        QTest::newRow("on the server: no local probe") << true << "writable" << "";
        QTest::newRow("not on the server") << true << "elsewhere"
                                           << "Данная папка отсутствует в файловой системе сервера БД.";
        QTest::newRow("no connection, writable") << false << "writable" << "";
        QTest::newRow("no connection, not writable") << false << "unwritable"
                                                     << "Отсутствует доступ к папке на запись.";
    }

    void openChecksTheFolder()
    {
        QFETCH(bool, connected);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        const QString path = folder == QLatin1String("unwritable") ? unwritableFolder()
                                                                   : newFolder(QStringLiteral("target"));
        if (folder == QLatin1String("elsewhere"))
            sim.setFileRoot(newFolder(QStringLiteral("serverroot")));
        // Left there on purpose: the probe would remove it.
        if (connected)
            Touch(path + QLatin1Char('/') + ProbeName);
        if (connected)
            main.connect();
        openWizard(QStringLiteral("Type1"));
        TfrmOpenFolder *picker = openFolderPicker(wizard->deFolder);
        QVERIFY(picker->SelectPath(path));
        picker->bbOpen->click();
        if (message.isEmpty()) {
            QVERIFY(MessageSeam::shown().isEmpty());
            QVERIFY(!frmOpenFolder);
            QCOMPARE(wizard->deFolder->text(), QDir::toNativeSeparators(path));
            QCOMPARE(QFile::exists(path + QLatin1Char('/') + ProbeName), connected);
            if (!connected)
                QVERIFY(QDir(path).isEmpty());
        } else {
            QCOMPARE(MessageSeam::shown().size(), 1);
            QCOMPARE(MessageSeam::shown()[0].kind, QStringLiteral("plain"));
            QCOMPARE(MessageSeam::shown()[0].text, message);
            QVERIFY(frmOpenFolder && frmOpenFolder->isVisible());
            QVERIFY(wizard->deFolder->text().isEmpty());
        }
        QFile::remove(path + QLatin1Char('/') + ProbeName);
    }

    void folderGoesToThePageShownAtOpen()
    {
        const QString folder = newFolder(QStringLiteral("switch"));
        openWizard(QStringLiteral("Type2"));
        TfrmOpenFolder *picker = openFolderPicker(wizard->deFolderType2);
        picker->SelectPath(folder);
        wizard->SetActivePage(QStringLiteral("Type4"));
        picker->bbOpen->click();
        QCOMPARE(wizard->deFolderType4->text(), QDir::toNativeSeparators(folder));
        QVERIFY(wizard->deFolderType2->text().isEmpty());
    }

    void folderPickerKeepsItsSizeAndOpensCentred()
    {
        const auto key = OpenMainKey(QStringLiteral("frmOpenFolder"));
        key->setValue(QStringLiteral("Top"), QStringLiteral("3"));
        key->setValue(QStringLiteral("Left"), QStringLiteral("4"));
        key->setValue(QStringLiteral("Width"), QStringLiteral("500"));
        key->setValue(QStringLiteral("Height"), QStringLiteral("300"));
        auto *picker = new TfrmOpenFolder;
        picker->show();
        QCOMPARE(picker->size(), QSize(500, 300));
        QVERIFY(picker->pos() != QPoint(4, 3));
        picker->resize(480, 280);
        picker->bbClose->click();
        QVERIFY(!frmOpenFolder);
        QCOMPARE(OpenMainKey(QStringLiteral("frmOpenFolder"))->value(QStringLiteral("Width")).toString(),
                 QStringLiteral("480"));
        delete picker;
    }

    void databasePickerReadsTheListAtEveryShow()
    {
        main.connect();
        openWizard(QStringLiteral("Type4"));
        TfrmDB *picker = openDatabasePicker(wizard->edBaseType4);
        QVERIFY(picker && picker->isVisible());
        QCOMPARE(picker->windowTitle(), QStringLiteral("Выбор базы"));
        QVERIFY(!names(picker).contains(QStringLiteral("Fresh")));
        QVERIFY(names(picker).contains(QStringLiteral("tempdb")));
        picker->btnClose->click();
        QVERIFY(!frmDB);
        QVERIFY(wizard->edBaseType4->text().isEmpty());

        sim.addDatabase(QStringLiteral("Fresh"));
        picker = openDatabasePicker(wizard->edBaseType4);
        const int row = int(names(picker).indexOf(QStringLiteral("Fresh")));
        QVERIFY(row >= 0);
        // A double click applies like the button.
        QWidget *viewport = picker->DBGrid->viewport();
        const QPoint at = picker->DBGrid->visualItemRect(picker->DBGrid->item(row, 0)).topLeft() + QPoint(20, 5);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton,
                                Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &doubleClick);
        QVERIFY(!frmDB);
        QCOMPARE(wizard->edBaseType4->text(), QStringLiteral("Fresh"));
    }

    void databasePickerPlacement()
    {
        const auto key = OpenMainKey(QStringLiteral("frmDB"));
        key->setValue(QStringLiteral("Top"), QStringLiteral("50"));
        key->setValue(QStringLiteral("Left"), QStringLiteral("60"));
        key->setValue(QStringLiteral("Width"), QStringLiteral("wide"));
        key->setValue(QStringLiteral("Height"), QStringLiteral("250"));
        main.connect();
        openWizard(QStringLiteral("Type1"));
        TfrmDB *picker = openDatabasePicker(wizard->edDB);
        QCOMPARE(picker->pos(), QPoint(60, 50));
        QCOMPARE(picker->size(), QSize(392, 250));
        picker->move(70, 80);
        picker->btnClose->click();
        QCOMPARE(OpenMainKey(QStringLiteral("frmDB"))->value(QStringLiteral("Left")).toString(), QStringLiteral("70"));
        QCOMPARE(OpenMainKey(QStringLiteral("frmDB"))->value(QStringLiteral("Width")).toString(),
                 QStringLiteral("392"));
    }

    void databaseListFailureIsShownAndLeavesTheListEmpty()
    {
        main.connect();
        sim.failStatement(QStringLiteral("sysdatabases"), 229, 14,
                          QStringLiteral("The SELECT permission was denied on the object 'sysdatabases'."));
        openWizard(QStringLiteral("Type1"));
        TfrmDB *picker = openDatabasePicker(wizard->edDB);
        QCOMPARE(picker->DBGrid->rowCount(), 0);
        QCOMPARE(MessageSeam::shown().size(), 1);
        QVERIFY(MessageSeam::shown()[0].text.contains(QStringLiteral("SELECT permission")));
        // Applying the empty list empties the field; Next then names it missing.
        wizard->edDB->setText(QStringLiteral("old"));
        picker->btnApple->click();
        QVERIFY(wizard->edDB->text().isEmpty());
    }
};

int main(int argc, char **argv)
{
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    TestWizardPickers test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_wizard_pickers.moc"
